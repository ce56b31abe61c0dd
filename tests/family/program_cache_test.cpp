// Linked programs kept on disk between runs (koui/family/program_cache.h).
//
// The driver hands out program binaries only with its own shader cache on,
// which the GL fixture turns off for every other test; this program turns
// it on, in a folder of its own, before the fixture makes its context.
#include <GL/glew.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <glm/gtc/type_ptr.hpp>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "koui/family/glsl_program.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"

namespace {

namespace fs = std::filesystem;
using ko::glsl::Program;
using koui::test::AppMsgCapture;
using koui::test::GlTest;

fs::path root() {
    return fs::temp_directory_path() / ("koui-program-cache-" + std::to_string(getpid()));
}

const bool kDriverCacheOn = [] {
    setenv("MESA_SHADER_CACHE_DISABLE", "false", 1);
    setenv("MESA_SHADER_CACHE_DIR", (root() / "driver").c_str(), 1);
    return true;
}();

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
out vec4 out_color;
void main() { out_color = color; }
)";

class ProgramCache : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        glGenVertexArrays(1, &vertexArray_);
    }
    void TearDown() override {
        glDeleteVertexArrays(1, &vertexArray_);
        GlTest::TearDown();
    }
    GLuint vertexArray_ = 0;
};

// Programs kept on disk between runs: a file that is damaged, cut short or
// made by another driver is refused with one line and the program is
// compiled and written again; either way the program draws the same.
TEST_F(ProgramCache, RefusesBadFilesAndStillDraws) {
    GLint formats = 0;
    glGetIntegerv(GL_NUM_PROGRAM_BINARY_FORMATS, &formats);
    if (formats <= 0) GTEST_SKIP() << "the driver hands out no program binaries";
    const fs::path dir = root() / "programs";
    setenv("KOUI_PROGRAM_CACHE", dir.c_str(), 1);
    auto drawsRed = [&] {
        std::unique_ptr<Program> p(Program::CreateFromVertFragText(kQuadVertex, kColorFragment));
        if (!p) return false;
        clear(0, 0, 0);
        const glm::mat4 mvp = projection();
        const float red[4] = {1, 0, 0, 1};
        p->setUniformMat4fv("mvp", glm::value_ptr(mvp), 1, false);
        p->setUniform2f("pos", 10, 20);
        p->setUniform2f("size", 30, 40);
        p->setUniform4fv("color", red, 1);
        glBindVertexArray(vertexArray_);
        if (!p->Use()) return false;
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        p->UnUse();
        return regionIs(10, 20, 30, 40, {255, 0, 0}, 0) &&
               countDifferent(0, 0, kWidth, kHeight, {0, 0, 0}) == 30 * 40;
    };
    auto bytes = [](const fs::path& file) {
        std::ifstream in(file, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    AppMsgCapture capture;
    ASSERT_TRUE(drawsRed());  // compiled and written
    ASSERT_EQ(std::distance(fs::directory_iterator(dir), {}), 1);
    const fs::path file = fs::directory_iterator(dir)->path();
    const std::string good = bytes(file);
    const std::string path = file.string();
    struct Case {
        const char* name;
        std::string text;  // written over the file
        std::string line;  // logged
    };
    std::string otherDriver = good, damaged = good, foreign = good;
    otherDriver[16] ^= 1;  // the driver's hash
    damaged.back() ^= 1;
    foreign[0] = 'X';
    const Case cases[] = {
        {"a hit", good, ""},
        {"cut short", good.substr(0, good.size() - 9), path + " is truncated"},
        {"header only, half", good.substr(0, 20), path + " is truncated"},
        {"another driver", otherDriver, path + " was made by another driver"},
        {"damaged", damaged, path + " is damaged"},
        {"not ours", foreign, path + " is not a program cache file"},
    };
    auto inode = [&] {
        struct stat st {};
        return stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    for (const Case& c : cases) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.text;
        const auto before = inode();
        capture.clear();
        EXPECT_TRUE(drawsRed()) << c.name;
        // A hit leaves the file; a refused one is replaced by a new file.
        EXPECT_EQ(inode() != before, !c.line.empty()) << c.name;
        const auto expected =
            c.line.empty() ? std::vector<std::string>{}
                           : std::vector{"[WARN] glsl program cache: " + c.line + "; compiling the program"};
        EXPECT_EQ(capture.lines(), expected) << c.name;
    }
    // The last file written again is a hit.
    const auto rewritten = inode();
    capture.clear();
    EXPECT_TRUE(drawsRed());
    EXPECT_EQ(std::tuple(inode(), capture.lines().size()), std::tuple(rewritten, size_t{0}));
    // A folder that cannot be made: compiled, one line.
    const fs::path blocked = dir / "file";
    std::ofstream(blocked) << "x";
    setenv("KOUI_PROGRAM_CACHE", (blocked / "sub").c_str(), 1);
    capture.clear();
    EXPECT_TRUE(drawsRed());
    ASSERT_EQ(capture.lines().size(), 1u);
    EXPECT_EQ(capture.lines()[0].rfind(
                  "[WARN] glsl program cache: cannot write " + (blocked / "sub").string() + ": ", 0),
              0u)
        << capture.lines()[0];
    unsetenv("KOUI_PROGRAM_CACHE");
    fs::remove_all(root());
}

}  // namespace
