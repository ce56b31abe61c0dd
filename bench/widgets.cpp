// Widget frames: 500 static texts laid out in the element's font (half of
// them word-wrapped, right-aligned), 100 edit fields with text and 100
// buttons writing a classic formatted font, iterated and drawn by the
// canvas into a 1280 x 800 frame buffer, finished with glFinish. Reports milliseconds per frame, and in a
// second run the heap allocations per frame (alloc_origin.h): all of them,
// and those the library asked for, which in steady state should be none, as
// the texts' layouts are kept. Needs an X display (xvfb-run).
#include <GL/glew.h>
#include <benchmark/benchmark.h>

#include <string>

#include "bench/alloc_origin.h"
#include "bench/gl_window.h"
#include "koui/family/kox_fbo.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/rm/rm.h"
#include "koui/widgets/button.h"
#include "koui/widgets/edit.h"
#include "tests/support/test_font.h"

namespace {

constexpr int kWidth = 1280, kHeight = 800;

const char* const kTheme = R"(fonts { small { font src: "Fonts/test.ttf" size: 9 } }
label { color: #ffffff font-type: fonts.small font-align: "left,top" }
wrapped { color: #ffffff font-type: fonts.small font-align: "right,top" font-wordwrap: true }
field { color: #ffffff bkcolor: #202020 font-type: fonts.small edit-margins: 4,3,4,3 }
)";

const char kClassic[] = "#colors\nwhite,#ffffff\n#formatfonts\nsmall,font=sans,color=white\n";

class Scene {
public:
    Scene() : ui_("bench_widgets", kTheme) {
        koui::Instance& inst = ui_.instance();
        inst.rm->glFontList->Add("sans", (koui::test::kTestFontPath + std::string("@9")).c_str());
        inst.rm->CreateFromBuffer(kClassic, sizeof kClassic - 1, nullptr);
        koui::Canvas* canvas = ui_.canvas();
        for (int i = 0; i < 500; ++i) {
            auto* s = koui::Static::wCreate("", canvas, (i % 20) * 64, (i / 20) * 16, 60, 14, nullptr,
                                            nullptr, nullptr, nullptr);
            s->uiSetStyle(i % 2 ? "wrapped" : "label");
            s->setText("Label " + std::to_string(i));
        }
        for (int i = 0; i < 100; ++i)
            koui::Edit::wCreate("", canvas, (i % 10) * 128, 410 + (i / 10) * 20, 120, 18, 0, "field")
                ->setText("Field " + std::to_string(i));
        for (int i = 0; i < 100; ++i)
            koui::Button::wCreate("", canvas, (i % 20) * 64, 620 + (i / 20) * 20, 60, 18, nullptr, "small",
                                  nullptr, nullptr)
                ->setText("OK");
    }
    bool ok() const { return ui_.ok(); }
    void frame() { ui_.frame(kWidth, kHeight); }

private:
    koui::bench::ThemedCanvas ui_;
};

void frames(benchmark::State& state, bool count) {
    koui::bench::GlWindow context(256, "bench_widgets");
    if (!context.ok()) return state.SkipWithError("no X display with GL (run under xvfb-run -a)");
    Scene scene;
    if (!scene.ok()) return state.SkipWithError("theme did not load");
    ko::gl::CkoxGL_FBO target;
    if (target.Create(kWidth, kHeight, 0, 1, GL_RGB, GL_TEXTURE_2D, 0) != 0)
        return state.SkipWithError("no frame buffer");
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    scene.frame();  // first use: programs, glyph atlases, layouts
    koui::bench::gAllocations = koui::bench::gLibraryAllocations = 0;
    koui::bench::gCounting = count;
    for (auto _ : state) {
        target.Begin2D(0.1, 0.1, 0.1, 1);
        scene.frame();
        glFinish();
        target.End(nullptr);
    }
    koui::bench::gCounting = false;
    if (!count) return;
    const double n = static_cast<double>(state.iterations());
    state.counters["allocations/frame"] = static_cast<double>(koui::bench::gAllocations) / n;
    state.counters["library_allocations/frame"] = static_cast<double>(koui::bench::gLibraryAllocations) / n;
}

void BM_Frame500Statics100Edits100Buttons(benchmark::State& state) {
    frames(state, false);
}
BENCHMARK(BM_Frame500Statics100Edits100Buttons)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same frames with every allocation traced to its caller (slow).
void BM_AllocationsPerFrame(benchmark::State& state) {
    frames(state, true);
}
BENCHMARK(BM_AllocationsPerFrame)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
