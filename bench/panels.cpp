// The frame of the performance comparison: N rounded, bordered panels with
// a heading each (the heading written by the panel style's arrangement
// program), three to a row in a column far taller than the 256 x 256 window,
// so that about 15 panels are visible whatever N is. Reports the drawing
// thread's CPU time per frame (the CPU column) and the wall time, the GL
// draw calls and the text draws per frame. The peer program
// bench/peers/frame_imgui.cpp draws the same scene. Needs an X display
// (xvfb-run).
#include <GL/glew.h>
#include <GLFW/glfw3.h>
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "bench/gl_window.h"
#include "koui/family/gl_font.h"
#include "koui/family/kox_fbo.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/ui/div.h"

namespace {

uint64_t gDrawCalls = 0;

}  // namespace

// Counts the library's draws on their way to GL (the executable exports it).
extern "C" void GLAPIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    using Fn = void(GLAPIENTRY*)(GLenum, GLint, GLsizei);
    static Fn real = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, "glDrawArrays"));
    ++gDrawCalls;
    real(mode, first, count);
}

namespace {

constexpr int kSize = 256;
constexpr int kColumns = 3;
constexpr int kPanelW = 80, kPanelH = 48, kGap = 4;

const char* const kTheme = R"(fonts {
  small { font src: "Fonts/test.ttf" size: 11 }
}
panel {
  bkcolor: #283848
  border-color: #a0b8d0
  border-size: 1
  border-radius: 5
  padding: 4
  "!ui-arrange" {
    h0-font: fonts.small
    h0-color: #ffffff
    commands: !<[[
h0,Panel
]]>
  }
}
)";

void BM_FramePanels(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0));
    // Opening the display fails now and then on a loaded machine (GLFW
    // reports it through the callback): a few more tries before giving up.
    glfwSetErrorCallback(
        [](int code, const char* what) { std::fprintf(stderr, "GLFW %#x: %s\n", code, what); });
    std::unique_ptr<koui::bench::GlWindow> context;
    for (int attempt = 0; attempt < 10 && !(context && context->ok()); ++attempt) {
        if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(200));
        context.reset();
        context = std::make_unique<koui::bench::GlWindow>(kSize, "bench_panels");
    }
    if (!context->ok()) return state.SkipWithError("no X display with GL (run under xvfb-run -a)");
    koui::bench::ThemedCanvas ui("bench_panels", kTheme);
    if (!ui.ok()) return state.SkipWithError("theme did not load");
    for (int i = 0; i < n; ++i)
        (new koui::Div())
            ->Create("", ui.canvas(), kGap + (i % kColumns) * (kPanelW + kGap),
                     kGap + (i / kColumns) * (kPanelH + kGap), kPanelW, kPanelH, nullptr, 0, "panel");
    ko::gl::CkoxGL_FBO target;
    if (target.Create(kSize, kSize, 0, 1, GL_RGB, GL_TEXTURE_2D, 0) != 0)
        return state.SkipWithError("no frame buffer");
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    ui.frame(kSize, kSize);  // first use: programs, glyph atlas
    gDrawCalls = 0;
    const uint64_t texts = ko::gl::Font::drawCallCount();
    for (auto _ : state) {
        target.Begin2D(0.1, 0.1, 0.1, 1);
        ui.frame(kSize, kSize);
        glFinish();
        target.End(nullptr);
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["draw_calls/frame"] = static_cast<double>(gDrawCalls) / frames;
    state.counters["text_draws/frame"] = static_cast<double>(ko::gl::Font::drawCallCount() - texts) / frames;
}
BENCHMARK(BM_FramePanels)->Arg(1000)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
