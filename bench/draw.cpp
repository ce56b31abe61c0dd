// Element drawing cost: one frame of 1000 styled elements (rounded corners,
// a border, a third of them with a line of text in the element's font)
// drawn by the canvas into a 256 x 256 frame buffer, finished with glFinish.
// Reports milliseconds per frame and the GL draw calls per frame, counted by
// defining glDrawArrays and glBegin here (the executable exports them, so the
// library's calls land here first and are passed on to GL) and by wrapping
// GLEW's glDrawArraysInstanced pointer. Needs an X display (xvfb-run).
#include <GL/glew.h>
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <string>
#include <vector>

#include "bench/gl_window.h"
#include "koui/family/gl_font.h"
#include "koui/family/kox_fbo.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/ui/div.h"
#include "tests/support/test_font.h"

using namespace ko::gl;

namespace {

uint64_t gDrawCalls = 0;

template <class Fn>
Fn nextSymbol(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

PFNGLDRAWARRAYSINSTANCEDPROC gRealInstanced = nullptr;
void GLAPIENTRY countInstanced(GLenum mode, GLint first, GLsizei count, GLsizei instances) {
    ++gDrawCalls;
    gRealInstanced(mode, first, count, instances);
}

}  // namespace

extern "C" {
void GLAPIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count) {
    using Fn = void(GLAPIENTRY*)(GLenum, GLint, GLsizei);
    static Fn real = nextSymbol<Fn>("glDrawArrays");
    ++gDrawCalls;
    real(mode, first, count);
}
void GLAPIENTRY glBegin(GLenum mode) {
    using Fn = void(GLAPIENTRY*)(GLenum);
    static Fn real = nextSymbol<Fn>("glBegin");
    ++gDrawCalls;
    real(mode);
}
}

namespace {

constexpr int kSize = 256;
constexpr int kElements = 1000;

const char* const kTheme = R"(fonts {
  small { font src: "Fonts/test.ttf" size: 9 }
}
cell {
  bkcolor: #3070c0
  border-color: #e0e8f0
  border-size: 1
  border-radius: 3
  color: #ffffff
  font-type: fonts.small
}
)";

// A styled element that writes its text (when it has one) in its font
// after the background, as a static text would.
class TextCell : public koui::Div {
public:
    void OnDraw(koui::e_draw* e) override {
        koui::Div::OnDraw(e);
        if (styleFont && !text.empty()) styleFont->write(getMVP(), textColor, 1, 0, text);
    }
};

// Only the text, no background: for the order experiment below.
class TextOnly : public koui::Div {
public:
    void OnDraw(koui::e_draw*) override {
        if (styleFont && !text.empty()) styleFont->write(getMVP(), textColor, 1, 0, text);
    }
};

// The UI instance and its canvas of 1000 elements in a 32 x 32 grid of
// 8-pixel cells, each element 10 x 9 so neighbours overlap.
class Scene {
public:
    enum Text { kNoText, kTextInEachThird, kTextsAfterBackgrounds };
    explicit Scene(Text mode) : ui_("bench_draw", kTheme) {
        koui::Canvas* canvas = ui_.canvas();
        for (int i = 0; i < kElements; ++i) {
            koui::Div* d =
                (new TextCell())->Create("", canvas, (i % 32) * 8, (i / 32) * 8, 10, 9, nullptr, 0, "cell");
            if (mode == kTextInEachThird && i % 3 == 0) d->text = "Ab";
        }
        // The same texts as separate elements in front of all backgrounds,
        // so that they draw after them.
        for (int i = 0; mode == kTextsAfterBackgrounds && i < kElements; i += 3)
            (new TextOnly())
                ->Create("", canvas, (i % 32) * 8, (i / 32) * 8, 10, 9, nullptr, 0, "cell")
                ->text = "Ab";
    }
    bool ok() const { return ui_.ok(); }
    void frame() { ui_.frame(kSize, kSize); }

private:
    koui::bench::ThemedCanvas ui_;
};

void drawFrames(benchmark::State& state, Scene::Text mode) {
    koui::bench::GlWindow context(kSize, "bench_draw");
    if (!context.ok()) return state.SkipWithError("no X display with GL (run under xvfb-run -a)");
    Scene scene(mode);
    if (!scene.ok()) return state.SkipWithError("theme did not load");
    CkoxGL_FBO target;
    if (target.Create(kSize, kSize, 0, 1, GL_RGB, GL_TEXTURE_2D, 0) != 0)
        return state.SkipWithError("no frame buffer");
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    scene.frame();  // first use: programs, glyph atlas
    // After every glewInit (the instance may run one), which resets it.
    if (__glewDrawArraysInstanced != &countInstanced) {
        gRealInstanced = __glewDrawArraysInstanced;
        __glewDrawArraysInstanced = &countInstanced;
    }
    gDrawCalls = 0;
    const uint64_t fontCalls = ko::gl::Font::drawCallCount();
    for (auto _ : state) {
        target.Begin2D(0.1, 0.1, 0.1, 1);
        scene.frame();
        glFinish();
        target.End(nullptr);
    }
    const double frames = static_cast<double>(state.iterations());
    state.counters["draw_calls/frame"] = static_cast<double>(gDrawCalls) / frames;
    state.counters["text_draws/frame"] =
        static_cast<double>(ko::gl::Font::drawCallCount() - fontCalls) / frames;
}

void BM_Frame1000StyledElements(benchmark::State& state) {
    drawFrames(state, Scene::kTextInEachThird);
}
BENCHMARK(BM_Frame1000StyledElements)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same without text: the backgrounds alone.
void BM_Frame1000Backgrounds(benchmark::State& state) {
    drawFrames(state, Scene::kNoText);
}
BENCHMARK(BM_Frame1000Backgrounds)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same backgrounds and texts, the texts drawn after all backgrounds: the
// same draws and state changes in another order, to tell the cost of the
// draws themselves from that of their order on the driver at hand.
void BM_Frame1000BackgroundsThenTexts(benchmark::State& state) {
    drawFrames(state, Scene::kTextsAfterBackgrounds);
}
BENCHMARK(BM_Frame1000BackgroundsThenTexts)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

// The order experiment compares the benchmarks with one another, so by
// default each runs in 5 rounds and the rounds of all of them are shuffled
// together (medians and spreads reported); flags given on the command line
// come later and win.
int main(int argc, char** argv) {
    std::string rounds = "--benchmark_repetitions=5",
                shuffled = "--benchmark_enable_random_interleaving=true",
                aggregates = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args(argv, argv + argc);
    args.insert(args.begin() + 1, {rounds.data(), shuffled.data(), aggregates.data()});
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
