// Linked programs kept on disk between runs (koui/family/program_cache.h).
// The driver hands out program binaries only with its own shader cache on,
// which the GL fixture turns off; this program turns it on, in a folder of
// its own, before the fixture makes its context.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <glm/gtc/type_ptr.hpp>
#include <iterator>
#include <memory>

#include "koui/family/glsl_program.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"

namespace {

namespace fs = std::filesystem;
using ProgramCache = koui::test::GlTest;

const fs::path kRoot = fs::temp_directory_path() / ("koui-program-cache-" + std::to_string(getpid()));
const bool kDriverCacheOn = fs::create_directories(kRoot / "driver") &&
                            setenv("MESA_SHADER_CACHE_DISABLE", "false", 1) == 0 &&
                            setenv("MESA_SHADER_CACHE_DIR", (kRoot / "driver").c_str(), 1) == 0;

constexpr const char* kVertex = R"(#version 330 core
uniform mat4 mvp;
void main() { gl_Position = mvp * vec4(vec2(10, 20) + vec2(gl_VertexID & 1, gl_VertexID >> 1) * vec2(30, 40), 0, 1); })";
constexpr const char* kFragment =
    "#version 330 core\nuniform vec4 color;\nout vec4 o;\nvoid main() { o = color; }";

// A file that is damaged, cut short or made by another driver is refused
// with one line and the program is compiled and written again; either way
// the program draws the same.
TEST_F(ProgramCache, RefusesBadFilesAndStillDraws) {
    GLint formats = 0;
    glGetIntegerv(GL_NUM_PROGRAM_BINARY_FORMATS, &formats);
    if (!kDriverCacheOn || formats <= 0) GTEST_SKIP() << "the driver hands out no program binaries";
    const fs::path dir = kRoot / "programs";
    setenv("KOUI_PROGRAM_CACHE", dir.c_str(), 1);
    auto drawsRed = [&] {
        std::unique_ptr<ko::glsl::Program> p(ko::glsl::Program::CreateFromVertFragText(kVertex, kFragment));
        if (!p) return false;
        clear(0, 0, 0);
        const float red[4] = {1, 0, 0, 1};
        p->setUniformMat4fv("mvp", glm::value_ptr(projection()), 1, false);
        p->setUniform4fv("color", red, 1);
        GLuint vao = 0;
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        const bool used = p->Use();
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDeleteVertexArrays(1, &vao);
        return used && regionIs(10, 20, 30, 40, {255, 0, 0}) &&
               countDifferent(0, 0, kWidth, kHeight, {0, 0, 0}) == 30 * 40;
    };
    koui::test::AppMsgCapture capture;
    ASSERT_TRUE(drawsRed());  // compiled and written
    ASSERT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
    const std::string path = fs::directory_iterator(dir)->path().string();
    std::ifstream in(path, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), {});
    auto flipped = [&](size_t at) { return good.substr(0, at) + char(good[at] ^ 1) + good.substr(at + 1); };
    const struct {
        std::string text;  // written over the file
        std::string why;   // logged; none for a hit
    } cases[] = {
        {good, ""},
        {good.substr(0, good.size() - 9), "is truncated"},
        {flipped(16), "was made by another driver"},  // its hash of the driver
        {flipped(good.size() - 1), "is damaged"},
        {flipped(0), "is not a program cache file"},
        {"", "is truncated"},
        {good, ""},  // the file written again after the refusal above
    };
    auto inode = [&] {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    for (const auto& c : cases) {
        if (&c != &cases[std::size(cases) - 1]) std::ofstream(path, std::ios::binary) << c.text;
        const auto before = inode();
        capture.clear();
        EXPECT_TRUE(drawsRed()) << c.why;
        // A hit leaves the file; a refused one is replaced.
        EXPECT_EQ(inode() != before, !c.why.empty()) << c.why;
        EXPECT_EQ(capture.lines(), c.why.empty() ? std::vector<std::string>{}
                                                 : std::vector{"[WARN] glsl program cache: " + path + " " +
                                                               c.why + "; compiling the program"});
    }
    // A folder that cannot be made: compiled, one line.
    std::ofstream(dir / "file") << "x";
    setenv("KOUI_PROGRAM_CACHE", (dir / "file" / "sub").c_str(), 1);
    capture.clear();
    EXPECT_TRUE(drawsRed());
    EXPECT_EQ(capture.lines(),
              std::vector<std::string>{"[WARN] glsl program cache: cannot write " +
                                       (dir / "file" / "sub").string() +
                                       ": Not a directory; programs are compiled at each start"});
    unsetenv("KOUI_PROGRAM_CACHE");
    fs::remove_all(kRoot);
}

}  // namespace
