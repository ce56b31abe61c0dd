// plot: a pan-and-zoom plot of a few functions, a scatter of 10 000 points
// and a bar chart, drawn by the plot view without any GL in the program.
//
// Middle button (or Ctrl + right button) pans, Ctrl + wheel zooms about the
// pointer (Shift for bigger steps), Ctrl + Shift + left drag zooms, the
// wheel scrolls, dragging a ruler pans along it. Keys: F fits all data,
// R hides or shows the rulers. Colours come from resdata/res.kor.
#include <cmath>
#include <cstdint>
#include <vector>

#include "koui/koui.h"

namespace {

std::vector<glm::vec2> sampled(float (*f)(float)) {
    std::vector<glm::vec2> pts;
    for (int i = 0; i <= 2000; ++i) {
        float x = -10.0f + i * 0.01f;
        pts.push_back({x, f(x)});
    }
    return pts;
}

// A reproducible cloud: sums of uniform numbers from a fixed generator.
std::vector<glm::vec2> cloud(int n) {
    uint32_t state = 12345;
    auto uniform = [&state] {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / float(1 << 24);
    };
    auto bell = [&] { return uniform() + uniform() + uniform() - 1.5f; };
    std::vector<glm::vec2> pts;
    for (int i = 0; i < n; ++i) pts.push_back({3.0f + 1.5f * bell(), 1.0f + 0.8f * bell()});
    return pts;
}

std::vector<glm::vec2> bars() {
    std::vector<glm::vec2> corners;
    for (int i = 0; i < 8; ++i) {
        float x = -9.0f + i * 0.8f;
        corners.push_back({x, -3.0f});
        corners.push_back({x + 0.6f, -3.0f + 0.25f * float(i + 1)});
    }
    return corners;
}

}  // namespace

int main(int argc, char** argv) {
    koui::App app("plot", argc, argv);
    koui::pz::View* view = nullptr;
    bool rulers = true;
    koui::WindowConfig config("plot", 900, 600, "plot.app");
    config.drawOnDemand = true;
    koui::AppWindow* w = app.open(config, [&view](koui::Div& root) {
        view = &koui::add<koui::pz::View>(root, "view", "plot.view");
        view->addRects(bars(), "series.bars");
        view->addScatter(cloud(10000), "series.cloud", 2.0f);
        view->addLine(sampled([](float x) { return std::sin(x); }), "series.sine");
        view->addLine(sampled([](float x) { return 0.5f * std::cos(2 * x); }), "series.cosine");
        view->addLine(sampled([](float x) { return 0.05f * x * x - 2; }), "series.parabola");
        // y grows upwards, one unit 60 pixels, the origin near the middle.
        view->getCanvas()->setOffsetAndScaleXY(440, 290, 60, -60);
    });
    if (w)
        w->onKey([&](const koui::KeyPress& k) {
            if (!view) return false;
            if (k.key == 'F') return view->getCanvas()->fitData(20);
            if (k.key != 'R') return false;
            rulers = !rulers;
            for (int i = 0; i < 2; ++i) view->getRuler(i)->show(rulers, 0.3);
            return true;
        });
    return app.run();
}
