#include "koui/pz/setmat.h"

#include <gtest/gtest.h>

namespace koui::pz {
namespace {

const float kAnchorView[2] = {100, 100};
const float kAnchorPos[2] = {40, 30};

struct ZoomCase {
    const char* name;
    int mode;
    double s0x, s0y;
    double rangeMin, rangeMax;
    float feedX, feedY;  // pointer for drag zoom
    double wheel;        // step for wheel zoom
    double sx, sy;       // expected scales
};

// Start transforms keep the anchor's plot point under the anchor, so every
// zoom result must keep it there too.
TEST(SetMat, ZoomScalesClampAndKeepTheAnchor) {
    const ZoomCase cases[] = {
        {"drag right zooms in", 2, 2, 2, 0.25, 10, 110, 500, 0, 3, 3},
        {"drag left zooms out", 2, 2, 1, 0.25, 10, 95, 100, 0, 1.5, 0.5},
        {"drag vertical only: nothing", 2, 2, 2, 0.25, 10, 100, 300, 0, 2, 2},
        {"drag clamps to max", 2, 2, 2, 0.25, 10, 1000, 100, 0, 10, 10},
        {"flipped axis grows away from zero", 2, 2, -2, 0.25, 10, 110, 100, 0, 3, -3},
        {"flipped axis clamps to -max", 2, 2, -2, 0.25, 10, 1000, 100, 0, 10, -10},
        {"flipped axis clamps to -min", 2, 2, -2, 0.25, 10, 0, 100, 0, 0.25, -0.25},
        {"wheel notch up", 3, 2, 4, 0.25, 10, 0, 0, 1, 2.2, 4.4},
        {"wheel ten notches down clamps to min", 3, 2, 4, 0.25, 10, 0, 0, -10, 0.25, 0.25},
        {"initial 0..0 limits give 0", 3, 2, 2, 0, 0, 0, 0, 1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        VMat start;
        start.scale[0] = c.s0x, start.scale[1] = c.s0y;
        start.offset[0] = kAnchorView[0] - kAnchorPos[0] * c.s0x;
        start.offset[1] = kAnchorView[1] - kAnchorPos[1] * c.s0y;
        SetMat g;
        g.setScaleRangeX(c.rangeMin, c.rangeMax);
        g.setScaleRangeY(c.rangeMin, c.rangeMax);
        g.start(start, kAnchorView, kAnchorPos, c.mode);
        const float p[2] = {c.feedX, c.feedY};
        if (c.mode == 3)
            g.feed_from_wheel(c.wheel);
        else
            g.feed(p, p);
        const VMat& m = g.currentVMat;
        EXPECT_DOUBLE_EQ(m.scale[0], c.sx);
        EXPECT_DOUBLE_EQ(m.scale[1], c.sy);
        EXPECT_DOUBLE_EQ(m.offset[0] + kAnchorPos[0] * m.scale[0], kAnchorView[0]);
        EXPECT_DOUBLE_EQ(m.offset[1] + kAnchorPos[1] * m.scale[1], kAnchorView[1]);
    }
}

TEST(SetMat, PanMovesTheOffsetOnlyAndIgnoresTheWheel) {
    VMat start;
    start.offset[0] = 10, start.offset[1] = 20, start.scale[0] = 3;
    SetMat g;
    g.start(start, kAnchorView, kAnchorPos, SetMat::kPan);
    EXPECT_TRUE(g.isActive());
    g.feed(kAnchorView, nullptr);
    EXPECT_EQ(g.currentVMat, start);
    g.feed_from_wheel(1);
    EXPECT_EQ(g.currentVMat, start);
    const float moved[2] = {103, 95};
    g.feed(moved, nullptr);
    VMat want = start;
    want.offset[0] = 13, want.offset[1] = 15;
    EXPECT_EQ(g.currentVMat, want);
    g.stop();
    EXPECT_FALSE(g.isActive());
    EXPECT_EQ(g.currentVMat, want);
}

}  // namespace
}  // namespace koui::pz
