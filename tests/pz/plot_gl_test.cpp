// Plot view on real GL: a scatter series at a known transform, pixels read
// back. (Grid, axes, ruler marks, bars and lines are checked by the
// gallery's plot page.)
#include <gtest/gtest.h>

#include "koui/pz/view.h"
#include "tests/ui/draw_fixture.h"

namespace koui::pz {
namespace {

using test::Rgba;

struct PlotGl : test::DrawTest {
    PlotGl() {
        theme =
            "plot { canvas { grid { color-dim: #000000 color-bright: #000000 } axis { color: #000000 }"
            " series { dots: #ffffff } } }\n";
    }
};

// The canvas's client area starts at window (20, 20), plot 0 100 pixels
// further: the point (50.5, 30.5) is centred on window (170.5, 150.5).
TEST_F(PlotGl, ScatterPointsAreSquaresOfTheirSize) {
    auto* view =
        static_cast<View*>((new View())->Create("v", canvas, 0, 0, kWidth, kHeight, nullptr, 0, "plot"));
    view->addScatter({{50.5f, 30.5f}}, "series.dots", 3);
    view->getCanvas()->setOffset({100, 100});
    clear(0, 0, 0);
    frame();
    frame();
    EXPECT_TRUE(regionIs(169, 149, 3, 3, Rgba{255, 255, 255}));
    EXPECT_EQ(countDifferent(167, 147, 7, 7, Rgba{0, 0, 0}), 9) << "3 wide, not 5";
}

}  // namespace
}  // namespace koui::pz
