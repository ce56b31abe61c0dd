// Plot view on real GL: grid, axes, ruler marks and series at a known
// transform, pixels read back.
#include <gtest/gtest.h>

#include "koui/pz/view.h"
#include "tests/ui/draw_fixture.h"

namespace koui::pz {
namespace {

using test::Rgba;

const char* const kPlotTheme = R"(
plot {
  ruler { horz { height: 20 ticks { short { color: #0000ff lenght: 3 } long { color: #00ff00 lenght: 8 } }
                 zero { color: #ff0000 lenght: 12 } }
          vert { width: 20 } }
  canvas { grid { color-dim: #404040 color-bright: #00ff00 } axis { color: #ff0000 }
           series { dots: #ffffff boxes: #ffff00 } }
}
)";

const Rgba kBlack{0, 0, 0}, kDim{64, 64, 64}, kGreen{0, 255, 0}, kRed{255, 0, 0}, kBlue{0, 0, 255},
    kWhite{255, 255, 255}, kYellow{255, 255, 0};

struct PlotGl : test::DrawTest {
    PlotGl() { theme = kPlotTheme; }
};

// The canvas's client area starts at window (20, 20); plot 0 sits 100
// pixels further, so main steps of 100 fall on window 20, 120, 220.
TEST_F(PlotGl, GridAxesRulerMarksAndSeriesAtAKnownTransform) {
    auto* view =
        static_cast<View*>((new View())->Create("v", canvas, 0, 0, kWidth, kHeight, nullptr, 0, "plot"));
    view->addScatter({{50.5f, 30.5f}}, "series.dots", 3);
    view->addRects({{-60, -60}, {-40, -40}}, "series.boxes");
    view->getCanvas()->setOffset({100, 100});
    clear(0, 0, 0);
    frame();
    frame();
    struct {
        const char* what;
        int x, y;
        Rgba colour;
    } const pixels[] = {
        {"vertical axis", 120, 60, kRed},    {"horizontal axis", 60, 120, kRed},
        {"bright x line", 220, 60, kGreen},  {"bright y line", 60, 220, kGreen},
        {"dim line", 130, 60, kDim},         {"between lines", 125, 65, kBlack},
        {"scatter point", 171, 149, kWhite}, {"point is 3 wide", 169, 151, kWhite},
        {"not 5 wide", 172, 150, kDim},      {"rectangle", 65, 65, kYellow},
        {"zero mark", 120, 8, kRed},         {"above the zero mark", 120, 7, kBlack},
        {"long tick", 220, 12, kGreen},      {"above the long tick", 220, 11, kBlack},
        {"short tick", 230, 17, kBlue},      {"above the short tick", 230, 16, kBlack},
    };
    for (const auto& p : pixels) EXPECT_EQ(pixel(p.x, p.y), p.colour) << p.what;
}

}  // namespace
}  // namespace koui::pz
