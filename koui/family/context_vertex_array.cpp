#include "koui/family/context_vertex_array.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>

namespace ko::gl {

unsigned contextVertexArray() {
    thread_local GLFWwindow* context = nullptr;
    thread_local GLuint vertexArray = 0;
    GLFWwindow* current = glfwGetCurrentContext();
    if (!vertexArray || current != context) {
        context = current;
        vertexArray = 0;
        glGenVertexArrays(1, &vertexArray);
    }
    return vertexArray;
}

}  // namespace ko::gl
