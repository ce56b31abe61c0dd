// Element drawing on real GL, pixels read back.
#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "koui/family/glyph_vector.h"
#include "koui/rm/rm.h"
#include "tests/rm/rm_fixture.h"
#include "tests/ui/draw_fixture.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Rgba;
using ::testing::ElementsAre;

const Rgba kRed{255, 0, 0};
const Rgba kGreen{0, 255, 0};
const Rgba kBlue{0, 0, 255};
const Rgba kBlack{0, 0, 0};
const Rgba kGrey{51, 51, 51};

std::vector<std::string> gOrder;

// Clears whatever the scissor lets through to its colour and records the
// scissor state it found.
struct Painter : Div {
    std::string tag;
    float rgb[3] = {0, 0, 0};
    GLint box[4] = {0, 0, 0, 0};
    GLboolean scissorOn = GL_FALSE;
    void OnDraw(e_draw*) override {
        gOrder.push_back(tag);
        glGetIntegerv(GL_SCISSOR_BOX, box);
        scissorOn = glIsEnabled(GL_SCISSOR_TEST);
        glClearColor(rgb[0], rgb[1], rgb[2], 1);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    void OnPostDraw(e_draw*) override { gOrder.push_back(tag + ".post"); }
};

struct DrawGl : test::DrawTest {
    DrawGl() { fontCopies.push_back("Fonts/verdana.ttf"); }  // the headings' default font
    void SetUp() override {
        DrawTest::SetUp();
        gOrder.clear();
    }
    Painter* paint(Div* parent, const std::string& tag, int x, int y, int w, int h, float r, float g, float b,
                   unsigned long opts = 0) {
        auto* p = new Painter();
        p->tag = tag;
        p->rgb[0] = r, p->rgb[1] = g, p->rgb[2] = b;
        return static_cast<Painter*>(p->Create(tag, parent ? parent : canvas, x, y, w, h, nullptr, opts, ""));
    }
};

// Nested clips intersect: the inner box reaches far past the outer one.
TEST_F(DrawGl, ClipOptionScissorsElementAndChildren) {
    Painter* box = paint(nullptr, "box", 20, 30, 100, 60, 0, 0, 1, DIV_CLIP);
    Painter* inner = paint(box, "inner", 50, 40, 200, 200, 0, 1, 0, DIV_CLIP);
    clear(0, 0, 0);
    frame();
    EXPECT_EQ(box->scissorOn, GL_TRUE);
    EXPECT_THAT(box->box, ElementsAre(20, kHeight - 30 - 60, 100, 60));  // bottom-up
    EXPECT_THAT(inner->box, ElementsAre(70, kHeight - 90, 50, 20));
    EXPECT_TRUE(regionIs(20, 30, 50, 40, kBlue));
    EXPECT_TRUE(regionIs(70, 70, 50, 20, kGreen));
    EXPECT_TRUE(regionIs(120, 30, 100, 150, kBlack));  // clipped away
    EXPECT_TRUE(regionIs(0, 0, 20, 20, kBlack));
    // After the pass the scissor covers the whole viewport again.
    glGetIntegerv(GL_SCISSOR_BOX, box->box);
    EXPECT_THAT(box->box, ElementsAre(0, 0, kWidth, kHeight));
}

TEST_F(DrawGl, OrderHiddenSubtreesAndNoDraw) {
    Painter* p = paint(nullptr, "p", 0, 0, 50, 50, 1, 1, 1);
    paint(p, "c1", 0, 0, 10, 10, 1, 1, 1);
    Painter* c2 = paint(p, "c2", 0, 0, 10, 10, 1, 1, 1);
    paint(c2, "g", 0, 0, 5, 5, 1, 1, 1);
    paint(nullptr, "empty", 0, 0, 0, 10, 1, 1, 1);  // no client area: children only
    frame();
    EXPECT_EQ(gOrder,
              (std::vector<std::string>{"p", "c1", "c1.post", "c2", "g", "g.post", "c2.post", "p.post"}));
    gOrder.clear();
    c2->dHide();
    canvas->dGetChild(1)->dHide();
    frame();
    EXPECT_EQ(gOrder, (std::vector<std::string>{"p", "c1", "c1.post", "p.post"}));
    gOrder.clear();
    canvas->noDraw = true;
    frame();
    EXPECT_TRUE(gOrder.empty());
}

// Culling: an element wholly outside the scissor is skipped, with its
// subtree when it clips; a child reaching back into view still draws, as do
// a partly visible element and one whose heading reaches into view. The
// pixels are those of the pass without culling.
TEST_F(DrawGl, ElementsOutsideTheScissorAreSkipped) {
    make(nullptr, -20, 10, 40, 20, "round");
    make(make(nullptr, 0, -50, 30, 40, "plain-red"), 100, 60, 10, 10, "plain-red");
    make(nullptr, -60, 40, 50, 30, "plain-red")->arrangeCommands = "h0xy,56,0,Wide\n";
    auto pass = [this](bool cull) {
        canvas->cullOutside = cull;
        clear(0, 0, 0);
        frame();  // the first pass runs the heading's program; the second may cull by its box
        clear(0, 0, 0);
        frame();
        return readFrame().rgba;
    };
    const std::vector<uint8_t> all = pass(false);
    EXPECT_EQ(pass(true), all);
    EXPECT_TRUE(regionIs(0, 12, 10, 16, kRed));
    EXPECT_TRUE(regionIs(100, 10, 10, 10, kRed));
    EXPECT_GT(countDifferent(0, 40, 40, 30, kBlack, 40), 20);  // the heading, outside its element
    // Painters clear whatever the scissor lets through: only the one in view runs.
    paint(nullptr, "right", kWidth + 3, 0, 30, 30, 1, 1, 1);
    paint(paint(nullptr, "clips", 0, -50, 30, 40, 1, 1, 1, DIV_CLIP), "clipped", 0, 50, 10, 10, 1, 1, 1);
    paint(paint(nullptr, "open", 0, -50, 30, 40, 1, 1, 1), "reaching", 100, 60, 10, 10, 0, 1, 0);
    frame();
    EXPECT_EQ(gOrder, (std::vector<std::string>{"reaching", "reaching.post"}));
}

// "image-make": the image's pixel size (24 x 10) becomes the element's size.
TEST_F(DrawGl, FontTypeAndImageMake) {
    Div* d = make(nullptr, 0, 0, 5, 5, "made");
    EXPECT_NE(d->styleFont, nullptr);
    EXPECT_EQ(d->styleFont, d->font("fonts.tip"));
    EXPECT_TRUE(d->styleImage.isValid());
    EXPECT_THAT(d->size, test::floatsAre(24, 10));
    EXPECT_EQ(d->imageFlags, 0x2u);
}

// The frame is border-size pixels wide on every side; a fragment exactly at
// tuv = border-size belongs to it, which shows when the element sits half a
// pixel off the grid (pixel centres then fall on whole tuv values).
TEST_F(DrawGl, HardBorderAroundTheFill) {
    make(nullptr, 10, 10, 20, 16, "framed");
    Div* half = make(nullptr, 0, 40, 20, 16, "framed");
    half->dSetX(40.5f, UNIT_PIXEL);
    clear(0.2f, 0.2f, 0.2f);
    frame();
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kGrey), 2 * 20 * 16);
    EXPECT_TRUE(regionIs(12, 12, 16, 12, kRed));
    EXPECT_EQ(countDifferent(10, 10, 20, 16, kBlack), 16 * 12);
    // Columns 40, 41, 42 sit at tuv 0, 1, 2: all frame; 43 at tuv 3 is fill.
    EXPECT_TRUE(regionIs(40, 40, 3, 16, kBlack));
    EXPECT_TRUE(regionIs(43, 42, 15, 12, kRed));
    EXPECT_TRUE(regionIs(58, 40, 2, 16, kBlack));  // tuv 18, 19
}

// Without edge-smooth a corner drops exactly the pixels whose centre lies
// farther than the radius from the corner circle's centre. (The blend into
// the border colour is shared with the smoothed corners of the gallery.)
TEST_F(DrawGl, RoundedCornersDropThePixelsBeyondTheRadius) {
    make(nullptr, 100, 60, 40, 40, "round");
    clear(0, 0, 0);
    frame();
    const test::Frame f = readFrame(100, 60, 40, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) {
            const float px = std::max(std::fabs(x + 0.5f - 20) - 10, 0.0f);
            const float py = std::max(std::fabs(y + 0.5f - 20) - 10, 0.0f);
            ASSERT_EQ(f.at(x, y) == kBlack, std::hypot(px, py) > 10) << x << "," << y << " " << f.at(x, y);
        }
}

// With an image in the style, "bkcolor" (red) never shows.
TEST_F(DrawGl, StyleImageReplacesTheBackground) {
    Div* d = make(nullptr, 30, 30, 48, 32, "pictured");
    ASSERT_TRUE(d->styleImage.isValid());
    clear(0, 0, 0);
    frame();
    EXPECT_TRUE(regionIs(30, 30, 48, 32, kGreen, 1));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 48 * 32);
}

// A style without keys leaves fill and border transparent.
TEST_F(DrawGl, StyledElementWithoutColoursIsInvisible) {
    make(nullptr, 10, 10, 50, 50, "no-such-style");
    clear(0.2f, 0.2f, 0.2f);
    frame();
    EXPECT_TRUE(regionIs(0, 0, 80, 80, kGrey));
}

// Unstyled, no image set: filled with colour entry 0, outlined inside with entry 1.
TEST_F(DrawGl, ClassicBoxFillAndOutline) {
    Div* d = make(nullptr, 150, 20, 20, 10, "");
    const float fill[4] = {0, 0, 1, 1}, line[4] = {1, 1, 0, 1};
    std::copy(fill, fill + 4, d->colorSet.entry[0].rgbaf);
    std::copy(line, line + 4, d->colorSet.entry[1].rgbaf);
    clear(0, 0, 0);
    frame();
    EXPECT_TRUE(regionIs(151, 21, 18, 8, kBlue));
    EXPECT_EQ(countDifferent(150, 20, 20, 10, Rgba{255, 255, 0}), 18 * 8);
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 20 * 10);
}

// Part sets draw the state's image at its size, which the element takes
// (alpha 0.25 when disabled); a nine-cell set stretches it over the client size.
TEST_F(DrawGl, ClassicImageSets) {
    test::RgbaImage states(16, 8);
    states.fill(0, 0, 8, 8, 255, 0, 0);
    states.fill(8, 0, 8, 8, 0, 255, 0);
    ASSERT_TRUE(states.save(folder.root() + "/states.png"));
    test::RgbaImage cells(12, 12);
    cells.fill(0, 0, 12, 12, 0, 0, 255);
    ASSERT_TRUE(cells.save(folder.root() + "/cells.png"));
    const std::string def =
        "#source,!file,states.png,!id,states,!grid,1,1\n"
        "parts,!mpart.h,#0,#1,0,0,8,8,8\n"
        "part,!part,8,0,8,8\n"
        "#source,!file,cells.png,!id,cells,!grid,1,1\n"
        "rects,!mrect.h,#0,0,0,4,4,12\n";
    ASSERT_EQ(
        inst->rm->CreateFromBuffer(def.data(), static_cast<int>(def.size()), (folder.root() + "/").c_str()),
        0);
    Div* on = make(nullptr, 10, 10, 0, 0, "", 0, "parts");
    Div* off = make(nullptr, 30, 10, 0, 0, "", DIV_DISABLED, "parts");
    make(nullptr, 50, 10, 0, 0, "", DIV_DISABLED, "parts");
    make(nullptr, 100, 100, 40, 30, "", 0, "rects");
    make(nullptr, 70, 10, 0, 0, "", 0, "part");
    on->uiSetCurrentIndex(1);
    off->uiSetCurrentIndex(1);
    for (int i = 0; i < 4 && inst->rmProgress < 100.0; ++i) frame();  // one texture a cycle
    ASSERT_EQ(inst->rmProgress, 100.0);
    clear(0, 0, 0);
    frame();
    EXPECT_TRUE(regionIs(10, 10, 8, 8, kGreen));
    EXPECT_TRUE(regionIs(30, 10, 8, 8, Rgba{0, 64, 0}, 1));
    EXPECT_TRUE(regionIs(50, 10, 8, 8, Rgba{64, 0, 0}, 1));
    EXPECT_TRUE(regionIs(70, 10, 8, 8, kGreen));
    EXPECT_TRUE(regionIs(100, 100, 40, 30, kBlue));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 4 * 64 + 40 * 30);
}

double gNow = 0;
double fakeClock() {
    return gNow;
}

struct TooltipGl : test::DrawTest {
    Div* target = nullptr;
    void SetUp() override {
        DrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        canvas->setClock(&fakeClock);
        target = make(nullptr, 0, 0, kWidth, kHeight, "");
        frame();  // geometry for hit testing
    }
    // Rests the pointer at (x, y) for just over the hover delay.
    void rest(double x, double y) {
        gNow = std::floor(gNow) + 1.0;
        canvas->ProcessMTEvent(MT_MOVE, x, y, 0, 0);
        gNow += 0.5;
        canvas->ProcessMTEvent(MT_MOVE, x, y, 0, 0);
        ASSERT_EQ(canvas->toolTipTarget, 0.0) << "shown after exactly the delay";
        gNow += 0.001;
        canvas->ProcessMTEvent(MT_MOVE, x, y, 0, 0);
    }
};

TEST_F(TooltipGl, FadesInNearThePointerAtLeastTheMinimumWide) {
    target->setToolTipText("i");
    rest(100, 100);
    // Box at (100 + 20 - 5, 100 + 15 - 5), 50 + 2 x 5 wide ("i" is below the
    // minimum); first eased step: red 0.2 border over blue 0.2 fill.
    clear(0, 0, 0);
    frame();
    EXPECT_DOUBLE_EQ(canvas->toolTipOpacity, 0.2);
    EXPECT_TRUE(regionIs(115, 110, 60, 1, Rgba{51, 0, 41}, 1));
    EXPECT_TRUE(regionIs(140, 112, 30, 5, Rgba{0, 0, 51}, 1));

    for (int i = 0; i < 40 && canvas->toolTipOpacity < 1.0; ++i) frame();
    ASSERT_EQ(canvas->toolTipOpacity, 1.0);
    clear(0, 0, 0);
    frame();
    ko::gl::FontGlyphVector layout;
    layout.Process(canvas->font("fonts.tip"), 1e10f, 1e10f, 0, 0, 1, 1, 0, "i");
    float bounds[4];
    layout.calculateBoundindBox(bounds);
    const int h = static_cast<int>(bounds[3] - bounds[1] + 10);
    EXPECT_TRUE(regionIs(115, 110, 60, 1, kRed));   // border
    EXPECT_TRUE(regionIs(140, 112, 30, 5, kBlue));  // background
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 60 * h);
    int green = 0;
    for (int y = 115; y < 110 + h - 5; ++y)
        for (int x = 120; x < 130; ++x) green += pixel(x, y).g > 128;
    EXPECT_GT(green, 5);

    // Moving fades it out again (the target's reset is checked without GL).
    canvas->ProcessMTEvent(MT_MOVE, 101, 100, 0, 0);
    frame();
    EXPECT_DOUBLE_EQ(canvas->toolTipOpacity, 0.8);
}

// Without a resource instance there is no tooltip font: nothing is drawn.
TEST_F(TooltipGl, NoFontShowsNothing) {
    Instance bare;
    Canvas* other = bare.CreateCanvas();
    other->toolTipText = "x";
    other->toolTipTarget = 1;
    bare.Iterate(0, 0, kWidth, kHeight);
    bare.Draw();
    EXPECT_DOUBLE_EQ(other->toolTipOpacity, 0.2);
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 0);
    delete other;
}

}  // namespace
}  // namespace koui
