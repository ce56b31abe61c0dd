// Text costs of the GL font layer:
//  - FontGlyphVector::Process of a 64-byte line, which several widgets run
//    every frame (glyphs per second);
//  - one frame of 1000 lines of 64 glyphs, counting the draw calls the fonts
//    issued (Font::drawCallCount) per frame. Needs an X display (xvfb-run).
#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <memory>
#include <string>
#include <vector>

#include "bench/gl_window.h"
#include "koui/family/gl_font.h"
#include "koui/family/glyph_vector.h"
#include "tests/support/test_font.h"

namespace {

using ko::gl::Font;
using ko::gl::FontGlyphVector;

const std::string kLine = "The quick brown fox jumps over the lazy dog. 0123456789 AVATAR!!";
static_assert(sizeof("The quick brown fox jumps over the lazy dog. 0123456789 AVATAR!!") == 65);

std::unique_ptr<Font> makeFont(int size) {
    return Font::fromBytes(koui::test::readTestFont(), size, "DejaVuSans.ttf");
}

void BM_ProcessLine64(benchmark::State& state) {
    auto font = makeFont(20);
    if (!font) return state.SkipWithError("test font missing");
    FontGlyphVector layout;
    for (auto _ : state) {
        layout.Process(font.get(), 1e10f, 1e10f, 0, 0, 1, 1, 0, kLine);
        benchmark::DoNotOptimize(layout.glyphs().data());
    }
    state.counters["glyphs/s"] = benchmark::Counter(static_cast<double>(state.iterations() * kLine.size()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProcessLine64)->UseRealTime();

// The same line wrapped into a 150-pixel box and centred, as a word-wrapping
// static text lays it out.
void BM_ProcessLine64WrappedCentred(benchmark::State& state) {
    auto font = makeFont(20);
    if (!font) return state.SkipWithError("test font missing");
    FontGlyphVector layout;
    for (auto _ : state) {
        layout.Process(font.get(), 150, 1e10f, 0, 0, 1, 1, FontGlyphVector::kCenter, kLine);
        benchmark::DoNotOptimize(layout.glyphs().data());
    }
    state.counters["glyphs/s"] = benchmark::Counter(static_cast<double>(state.iterations() * kLine.size()),
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ProcessLine64WrappedCentred)->UseRealTime();

constexpr int kWindowSize = 1024;

// The frame state the text draws under: viewport over the window, blending.
void beginFrame() {
    glViewport(0, 0, kWindowSize, kWindowSize);
    glClearColor(0.1f, 0.1f, 0.1f, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

// Where line i of 1000 goes: columns of 73 lines over the window.
glm::vec2 linePosition(int i) {
    return {static_cast<float>((i / 73) * 70), static_cast<float>((i % 73) * 14)};
}

void reportFrame(benchmark::State& state, uint64_t calls) {
    const double frames = static_cast<double>(state.iterations());
    state.counters["draw_calls/frame"] = static_cast<double>(calls) / frames;
    state.counters["glyphs/frame"] = 1000.0 * static_cast<double>(kLine.size());
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}

// 1000 lines written with Font::write (layout and drawing every frame).
void BM_Frame1000LinesWrite(benchmark::State& state) {
    koui::bench::GlWindow window(kWindowSize, "bench_glyphs");
    if (!window.ok()) return state.SkipWithError("no X display with GL (run under xvfb-run -a)");
    auto font = makeFont(12);
    if (!font) return state.SkipWithError("test font missing");
    const glm::mat4 mvp = glm::ortho(0.0f, float(kWindowSize), float(kWindowSize), 0.0f, -1.0f, 1.0f);
    const float colour[4] = {1, 1, 1, 1};
    uint64_t calls = 0;
    for (auto _ : state) {
        beginFrame();
        const uint64_t before = Font::drawCallCount();
        for (int i = 0; i < 1000; ++i) {
            const glm::vec2 p = linePosition(i);
            font->write(glm::value_ptr(mvp), colour, p.x, p.y, kLine);
        }
        calls += Font::drawCallCount() - before;
        glFinish();
    }
    reportFrame(state, calls);
}
BENCHMARK(BM_Frame1000LinesWrite)->Unit(benchmark::kMillisecond)->UseRealTime();

// 1000 lines laid out once and drawn with drawDGlyphs every frame.
void BM_Frame1000LinesDrawDGlyphs(benchmark::State& state) {
    koui::bench::GlWindow window(kWindowSize, "bench_glyphs");
    if (!window.ok()) return state.SkipWithError("no X display with GL (run under xvfb-run -a)");
    auto font = makeFont(12);
    if (!font) return state.SkipWithError("test font missing");
    std::vector<FontGlyphVector> lines(1000);
    for (auto& l : lines) l.Process(font.get(), 1e10f, 1e10f, 0, 0, 1, 1, 0, kLine);
    const glm::mat4 mvp = glm::ortho(0.0f, float(kWindowSize), float(kWindowSize), 0.0f, -1.0f, 1.0f);
    const float colour[4] = {1, 1, 1, 1};
    uint64_t calls = 0;
    for (auto _ : state) {
        beginFrame();
        const uint64_t before = Font::drawCallCount();
        for (int i = 0; i < 1000; ++i) {
            const glm::vec2 p = linePosition(i);
            font->drawDGlyphs(lines[i], glm::value_ptr(mvp), colour, p.x, p.y + 12, 0, 0, kWindowSize,
                              kWindowSize);
        }
        calls += Font::drawCallCount() - before;
        glFinish();
    }
    reportFrame(state, calls);
}
BENCHMARK(BM_Frame1000LinesDrawDGlyphs)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
