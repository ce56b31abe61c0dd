#include "koui/family/context_objects.h"

#include <GL/glew.h>

#include <map>
#include <memory>

#include "koui/family/glsl_program.h"
#include "koui/platform/gl_context.h"

namespace ko::gl {

namespace {

struct ContextObjects {
    GLuint vertexArray = 0;
    // A null program marks text that did not build on this context.
    std::map<const ProgramText*, std::unique_ptr<glsl::Program>> programs;
};

// The objects of every context this thread has drawn for and not released,
// by context. When the thread ends, no GL call is safe any more (its
// context may be gone or another one current), so whatever is left is
// forgotten, not deleted.
struct ThreadObjects {
    std::map<const void*, ContextObjects> contexts;
    ~ThreadObjects() {
        for (auto& [context, objects] : contexts)
            for (auto& [text, program] : objects.programs)
                if (program) program->abandonGL();
    }
};

ThreadObjects& threadObjects() {
    thread_local ThreadObjects objects;
    return objects;
}

ContextObjects& currentObjects() {
    return threadObjects().contexts[koui::platform::currentGLContextKey()];
}

}  // namespace

unsigned contextVertexArray() {
    ContextObjects& objects = currentObjects();
    if (!objects.vertexArray) glGenVertexArrays(1, &objects.vertexArray);
    return objects.vertexArray;
}

glsl::Program* contextProgram(const ProgramText& text) {
    auto& programs = currentObjects().programs;
    auto found = programs.find(&text);
    if (found == programs.end()) {
        std::unique_ptr<glsl::Program> built(
            glsl::Program::CreateFromVertFragText(text.vertex, text.fragment));
        found = programs.emplace(&text, std::move(built)).first;
    }
    return found->second.get();
}

void releaseContextObjects() {
    auto& contexts = threadObjects().contexts;
    const auto found = contexts.find(koui::platform::currentGLContextKey());
    if (found == contexts.end()) return;
    if (found->second.vertexArray) glDeleteVertexArrays(1, &found->second.vertexArray);
    contexts.erase(found);  // each ~Program deletes its program on the current context
}

}  // namespace ko::gl
