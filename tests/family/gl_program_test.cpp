// GLSL programs on real GL: uniforms, build failures; and the programs and
// vertex arrays each context keeps for itself.
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <array>
#include <glm/gtc/type_ptr.hpp>
#include <memory>
#include <thread>

#include "koui/family/context_objects.h"
#include "koui/family/glsl_program.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"

namespace {

using ko::glsl::Program;
using koui::test::AppMsgCapture;
using koui::test::GlTest;
using koui::test::Rgba;

// A quad from the vertex index, as the toolkit's own programs draw.
constexpr const char* kQuadVertex = R"(#version 330 core
uniform mat4 mvp;
uniform vec2 pos;
uniform vec2 size;
void main() {
    vec2 corner = vec2(float(gl_VertexID & 1), float(gl_VertexID >> 1));
    gl_Position = mvp * vec4(pos + corner * size, 0.0, 1.0);
}
)";
constexpr const char* kColorFragment = R"(#version 330 core
uniform vec4 color;
uniform ivec2 pick[2];
out vec4 out_color;
void main() { out_color = color + vec4(0.0, float(pick[1].y) / 255.0, 0.0, 0.0); }
)";

class GlProgram : public GlTest {
protected:
    void drawQuad(Program& p) {
        GLuint vao = 0;
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        ASSERT_TRUE(p.Use());
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        p.UnUse();
        glBindVertexArray(0);
        glDeleteVertexArrays(1, &vao);
    }
};

TEST_F(GlProgram, UniformsReachTheProgramWhetherOrNotItIsCurrent) {
    std::unique_ptr<Program> p(Program::CreateFromVertFragText(kQuadVertex, kColorFragment));
    ASSERT_TRUE(p);
    const glm::mat4 mvp = projection();
    // Set before Use: the values must land in this program anyway.
    p->setUniformMat4fv("mvp", glm::value_ptr(mvp), 1, false);
    p->setUniform2f("pos", 10, 20);
    p->setUniform2f("size", 30, 40);
    const float red[4] = {1, 0, 0, 1};
    p->setUniform4fv("color", red, 1);
    const int pick[4] = {0, 0, 0, 128};
    p->setUniform2iv("pick", pick, 2);
    p->setUniform1f("missing", 1.0f);  // ignored without a GL error
    EXPECT_EQ(p->uniformLocation("missing"), -1);
    drawQuad(*p);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_TRUE(regionIs(10, 20, 30, 40, {255, 128, 0}, 1));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, {0, 0, 0}), 30 * 40);
}

// A shader that does not link, or no text at all, gives no program and the
// log in exact-prefix error lines. (One that does not compile: below.)
TEST_F(GlProgram, FaultyShadersGiveNullAndTheLog) {
    AppMsgCapture capture;  // both stages declare the uniform "pos", with different types
    std::unique_ptr<Program> p(Program::CreateFromVertFragText(
        kQuadVertex, "#version 330 core\nuniform float pos;\nout vec4 c;\nvoid main() { c = vec4(pos); }\n"));
    EXPECT_FALSE(p);
    ASSERT_FALSE(capture.lines().empty());
    EXPECT_EQ(capture.lines()[0].rfind("[ERROR] glsl link: ", 0), 0u) << capture.lines()[0];

    capture.clear();
    EXPECT_EQ(Program::CreateFromVertFragText(nullptr, kColorFragment), nullptr);
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"[ERROR] glsl: missing shader text"});
}

const ko::gl::ProgramText kText{kQuadVertex, kColorFragment};
const ko::gl::ProgramText kBroken{kQuadVertex, "#version 330 core\nvoid main() { undefined_call(); }\n"};

using ContextObjects = GlTest;

TEST_F(ContextObjects, AContextKeepsItsObjectsUntilReleased) {
    ko::glsl::Program* program = ko::gl::contextProgram(kText);
    ASSERT_NE(program, nullptr);
    const unsigned vertexArray = ko::gl::contextVertexArray();
    EXPECT_NE(vertexArray, 0u);
    EXPECT_EQ(std::tuple(ko::gl::contextProgram(kText), ko::gl::contextVertexArray()),
              std::tuple(program, vertexArray));

    const unsigned id = program->id();
    ko::gl::releaseContextObjects();
    EXPECT_FALSE(glIsProgram(id) || glIsVertexArray(vertexArray));
    ko::glsl::Program* again = ko::gl::contextProgram(kText);
    EXPECT_TRUE(again && glIsProgram(again->id()));
}

// A second window sharing objects with the first, as the windows of an
// application do, drawn from another thread; GLFW makes windows on the main
// thread only.
TEST_F(ContextObjects, AnotherContextOnAnotherThreadGetsItsOwn) {
    GLFWwindow* mine = glfwGetCurrentContext();
    ko::glsl::Program* program = ko::gl::contextProgram(kText);
    ASSERT_NE(program, nullptr);
    program->setUniform2f("pos", 0.25f, 0.5f);
    glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);
    GLFWwindow* other = glfwCreateWindow(16, 16, "second context", nullptr, mine);
    ASSERT_NE(other, nullptr);
    unsigned otherId = 0, otherVertexArray = 0;
    std::thread([&] {
        glfwMakeContextCurrent(other);
        ko::glsl::Program* p = ko::gl::contextProgram(kText);
        otherId = p ? p->id() : 0;
        if (p) p->setUniform2f("pos", -0.75f, 0.125f);
        otherVertexArray = ko::gl::contextVertexArray();
        glBindVertexArray(otherVertexArray);  // a name of another context would fail here
        if (glGetError() != GL_NO_ERROR) otherVertexArray = 0;
        ko::gl::releaseContextObjects();
        glfwMakeContextCurrent(nullptr);
    }).join();
    glfwDestroyWindow(other);
    glfwMakeContextCurrent(mine);
    EXPECT_TRUE(otherId != 0 && otherId != program->id() && otherVertexArray != 0) << otherId;
    // The first context's program kept its own value, and this thread still
    // has its own objects for its context.
    float offset[2] = {0, 0};
    glGetUniformfv(program->id(), program->uniformLocation("pos"), offset);
    EXPECT_EQ((std::array{offset[0], offset[1]}), (std::array{0.25f, 0.5f}));
    EXPECT_EQ(ko::gl::contextProgram(kText), program);
}

TEST_F(ContextObjects, AProgramThatDoesNotBuildIsReportedOncePerContext) {
    AppMsgCapture capture;
    EXPECT_EQ(ko::gl::contextProgram(kBroken), nullptr);
    const size_t reported = capture.lines().size();
    EXPECT_GT(reported, 0u);
    for (const auto& line : capture.lines())
        EXPECT_EQ(line.rfind("[ERROR] glsl fragment shader: ", 0), 0u) << line;
    EXPECT_EQ(std::tuple(ko::gl::contextProgram(kBroken), capture.lines().size()),
              std::tuple(nullptr, reported));
}

}  // namespace
