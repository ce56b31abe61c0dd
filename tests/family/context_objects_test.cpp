// Programs and vertex arrays per context: two windows' GL threads must never
// share a program, or the uniforms one sets would reach the other's draws.
#include "koui/family/context_objects.h"

#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <thread>

#include "koui/family/glsl_program.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"

namespace {

using koui::test::AppMsgCapture;
using koui::test::GlTest;

constexpr const char* kVertex = R"(#version 330 core
uniform vec2 offset;
void main() { gl_Position = vec4(offset, 0.0, 1.0); }
)";
constexpr const char* kFragment = R"(#version 330 core
out vec4 out_color;
void main() { out_color = vec4(1.0); }
)";
const ko::gl::ProgramText kText{kVertex, kFragment};
const ko::gl::ProgramText kBroken{kVertex, "#version 330 core\nvoid main() { undefined_call(); }\n"};

using ContextObjects = GlTest;

TEST_F(ContextObjects, AContextKeepsItsObjectsUntilReleased) {
    ko::glsl::Program* program = ko::gl::contextProgram(kText);
    ASSERT_NE(program, nullptr);
    const unsigned vertexArray = ko::gl::contextVertexArray();
    EXPECT_NE(vertexArray, 0u);
    EXPECT_EQ(ko::gl::contextProgram(kText), program);
    EXPECT_EQ(ko::gl::contextVertexArray(), vertexArray);

    const unsigned id = program->id();
    ko::gl::releaseContextObjects();
    EXPECT_FALSE(glIsProgram(id));
    EXPECT_FALSE(glIsVertexArray(vertexArray));
    ko::glsl::Program* again = ko::gl::contextProgram(kText);
    ASSERT_NE(again, nullptr);
    EXPECT_TRUE(glIsProgram(again->id()));
}

TEST_F(ContextObjects, AnotherContextOnAnotherThreadGetsItsOwn) {
    GLFWwindow* mine = glfwGetCurrentContext();
    ko::glsl::Program* program = ko::gl::contextProgram(kText);
    ASSERT_NE(program, nullptr);
    program->setUniform2f("offset", 0.25f, 0.5f);

    // A second window sharing objects with the first, as the windows of an
    // application do; GLFW makes windows on the main thread only.
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* other = glfwCreateWindow(16, 16, "second context", nullptr, mine);
    ASSERT_NE(other, nullptr);
    unsigned otherId = 0, otherVertexArray = 0;
    float otherOffset[2] = {-1, -1};
    std::thread worker([&] {
        glfwMakeContextCurrent(other);
        ko::glsl::Program* p = ko::gl::contextProgram(kText);
        if (p) {
            otherId = p->id();
            p->setUniform2f("offset", -0.75f, 0.125f);
            glGetUniformfv(otherId, p->uniformLocation("offset"), otherOffset);
        }
        otherVertexArray = ko::gl::contextVertexArray();
        ko::gl::releaseContextObjects();
        glfwMakeContextCurrent(nullptr);
    });
    worker.join();
    glfwDestroyWindow(other);
    glfwMakeContextCurrent(mine);

    ASSERT_NE(otherId, 0u);
    EXPECT_NE(otherId, program->id());
    EXPECT_NE(otherVertexArray, 0u);
    EXPECT_FLOAT_EQ(otherOffset[0], -0.75f);
    // The first context's program kept its own value.
    float offset[2] = {0, 0};
    glGetUniformfv(program->id(), program->uniformLocation("offset"), offset);
    EXPECT_FLOAT_EQ(offset[0], 0.25f);
    EXPECT_FLOAT_EQ(offset[1], 0.5f);
    // And this thread still has its own objects for its context.
    EXPECT_EQ(ko::gl::contextProgram(kText), program);
}

TEST_F(ContextObjects, AProgramThatDoesNotBuildIsReportedOncePerContext) {
    AppMsgCapture capture;
    EXPECT_EQ(ko::gl::contextProgram(kBroken), nullptr);
    const size_t reported = capture.lines().size();
    EXPECT_GT(reported, 0u);
    EXPECT_TRUE(capture.contains("fragment shader"));
    EXPECT_EQ(ko::gl::contextProgram(kBroken), nullptr);
    EXPECT_EQ(capture.lines().size(), reported);
}

}  // namespace
