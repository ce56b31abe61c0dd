// Plot frames: a plot view (grid, axes, both rulers with their marks) with
// one scatter series of N points, iterated and drawn by the canvas into a
// 512 x 512 frame buffer and finished with glFinish; beside it the same N
// points drawn by raw GL (one buffer, one program, one draw call), which is
// the floor the series drawing is measured against. The view runs without
// a theme (the instance reports that once; every colour is then white). CPU time per frame is
// the figure to compare (the GPU work is the same in both). Needs an X
// display (xvfb-run).
#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "bench/gl_window.h"
#include "koui/family/kox_fbo.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/pz/view.h"

namespace {

constexpr int kSize = 512;

std::vector<glm::vec2> points(int n) {
    std::vector<glm::vec2> pts(static_cast<size_t>(n));
    uint32_t s = 1;
    for (auto& p : pts) {
        s = s * 1664525u + 1013904223u;
        p.x = float(s >> 16) / 65536.0f * 8 - 4;
        s = s * 1664525u + 1013904223u;
        p.y = float(s >> 16) / 65536.0f * 8 - 4;
    }
    return pts;
}

struct Target {
    ko::gl::CkoxGL_FBO fbo;
    bool ok = fbo.Create(kSize, kSize, 0, 1, GL_RGB, GL_TEXTURE_2D, 0) == 0;
};

void BM_PlotFrame(benchmark::State& state) {
    koui::bench::GlWindow context(kSize, "bench_plot");
    if (!context.ok()) return state.SkipWithError("no X display with GL (run under xvfb-run -a)");
    std::unique_ptr<koui::Instance> inst(koui::CreateInstance("", "", "", nullptr));
    koui::Canvas* canvas = inst->CreateCanvas();
    auto* view = static_cast<koui::pz::View*>(
        (new koui::pz::View())->Create("v", canvas, 0, 0, kSize, kSize, nullptr, 0, "plot"));
    view->addScatter(points(int(state.range(0))), "dots", 2);
    view->getCanvas()->setOffsetAndScaleXY(256, 256, 60, -60);
    Target t;
    if (!t.ok) return state.SkipWithError("no frame buffer");
    auto frame = [&] {
        t.fbo.Begin2D(0.1, 0.1, 0.1, 1);
        inst->Iterate(0, 0, kSize, kSize);
        inst->Draw();
        glFinish();
        t.fbo.End(nullptr);
    };
    frame();  // first use: programs, buffer upload
    for (auto _ : state) frame();
    delete canvas;
}
BENCHMARK(BM_PlotFrame)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

const char* const kVertex = R"(#version 330 core
layout(location = 0) in vec2 p;
void main() { gl_Position = vec4(p * 0.2, 0.0, 1.0); gl_PointSize = 2.0; })";
const char* const kFragment = R"(#version 330 core
out vec4 c;
void main() { c = vec4(1.0); })";

GLuint compile(GLenum kind, const char* src) {
    GLuint s = glCreateShader(kind);
    glShaderSource(s, 1, &src, nullptr);
    glCompileShader(s);
    return s;
}

void BM_RawGlScatter(benchmark::State& state) {
    koui::bench::GlWindow context(kSize, "bench_plot_raw");
    if (!context.ok()) return state.SkipWithError("no X display with GL (run under xvfb-run -a)");
    std::vector<glm::vec2> pts = points(int(state.range(0)));
    GLuint prog = glCreateProgram(), vao = 0, vbo = 0;
    glAttachShader(prog, compile(GL_VERTEX_SHADER, kVertex));
    glAttachShader(prog, compile(GL_FRAGMENT_SHADER, kFragment));
    glLinkProgram(prog);
    glGenVertexArrays(1, &vao);
    glBindVertexArray(vao);
    glGenBuffers(1, &vbo);
    glBindBuffer(GL_ARRAY_BUFFER, vbo);
    glBufferData(GL_ARRAY_BUFFER, GLsizeiptr(pts.size() * sizeof(glm::vec2)), pts.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, sizeof(glm::vec2), nullptr);
    glEnable(GL_PROGRAM_POINT_SIZE);
    Target t;
    if (!t.ok) return state.SkipWithError("no frame buffer");
    for (auto _ : state) {
        t.fbo.Begin2D(0.1, 0.1, 0.1, 1);
        glUseProgram(prog);
        glBindVertexArray(vao);
        glDrawArrays(GL_POINTS, 0, GLsizei(pts.size()));
        glFinish();
        t.fbo.End(nullptr);
    }
    glDeleteBuffers(1, &vbo);
    glDeleteVertexArrays(1, &vao);
    glDeleteProgram(prog);
}
BENCHMARK(BM_RawGlScatter)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
