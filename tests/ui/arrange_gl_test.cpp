// Arrangement commands on real GL, cursor read back from placed children and pixels.
#include <gtest/gtest.h>

#include <string>

#include "koui/family/gl_font.h"
#include "tests/ui/draw_fixture.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Rgba;

const Rgba kBlack{0, 0, 0};
const Rgba kRed{255, 0, 0};

// The panel's own program: a raw text block, so its lines end in CR LF.
const char* kResources = R"(fonts {
  small { font src: "Fonts/test.ttf" size: 12 }
}
colors { green: #00ff00 }
pics {
  imgsrc
  src: "Images/red.png"
}
panel {
  padding: 4
  "!ui-arrange" {
    h1-font: fonts.small
    h2-color: colors.green
    commands: !<[[
sep,0,3
h0,Title
h1,one
h1,two
div,probe,0,0
]]>
  }
}
)";

// A 256 x 256 panel at the origin with padding 4 (client area 4..251), two
// children "probe" (10 x 10) and "other" (30 x 12).
struct ArrangeGlTest : test::DrawTest {
    static constexpr int kPad = 4;
    static constexpr int kClientW = kWidth - 2 * kPad;

    Div* panel = nullptr;
    Div* probe = nullptr;
    Div* other = nullptr;

    ArrangeGlTest() {
        theme = kResources;
        images = {{"Images/red.png", 16, 8, kRed}};
        // The test font stands in for the instance's default font as well.
        fontCopies.push_back("Fonts/verdana.ttf");
    }
    void SetUp() override {
        DrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        panel = (new test::Probe())->Create("panel", canvas, 0, 0, kWidth, kHeight, nullptr, 0, "panel");
        probe = test::make(panel, 0, 0, 10, 10, "probe");
        other = test::make(panel, 0, 0, 30, 12, "other");
    }

    // One iterate (geometry, matrices), then the program on a black frame.
    void arrange(const std::string& program) {
        panel->arrangeCommands = program;
        inst->Iterate(0, 0, kWidth, kHeight);
        clear(0, 0, 0);
        panel->UIArrange();
    }
    // Where the program last placed `d` (it set both axes in pixels).
    static glm::vec2 placed(Div* d) {
        EXPECT_EQ(d->posUnits, 0);
        return {d->pos[0], d->pos[1]};
    }
    int lineHeight(const std::string& fontPath) { return panel->font(fontPath)->getLineHeight(); }
};

TEST_F(ArrangeGlTest, HeadingsStackByLineHeightPlusSeparation) {
    // The style's own program, read by OnUpdateStyle with CR LF line ends.
    EXPECT_EQ(panel->arrangeCommands, "\r\nsep,0,3\r\nh0,Title\r\nh1,one\r\nh1,two\r\ndiv,probe,0,0\r\n");
    arrange(panel->arrangeCommands);
    int big = lineHeight("missing.font"), small = lineHeight("fonts.small");
    ASSERT_NE(big, small);
    int top[3] = {0, big + 3, big + 3 + small + 3};
    int height[3] = {big, small, small};
    EXPECT_EQ(placed(probe), glm::vec2(0, top[2] + small + 3));
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(countDifferent(kPad, kPad + top[i], kClientW, height[i], kBlack, 40), 0) << "line " << i;
    int end = kPad + top[2] + small;
    EXPECT_EQ(countDifferent(0, end, kWidth, kHeight - end, kBlack), 0);
    // Nothing left of the client area but the faint edge of a glyph's smoothing.
    EXPECT_EQ(countDifferent(0, 0, kPad, kHeight, kBlack, 40), 0);
}

TEST_F(ArrangeGlTest, HeadingColoursAndLevels) {
    // h0 takes the default colour (white), h2 the green of its colour node.
    arrange("h0,Wide\nh2,Wide\n");
    int big = lineHeight("missing.font");
    test::Frame f = readFrame();
    int white = 0, green = 0, stray = 0;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            Rgba c = f.at(x, y);
            if (c.r < 60 && c.g < 60 && c.b < 60) continue;
            bool inFirst = y < kPad + big;
            if (inFirst && c.r == c.g && c.g == c.b)
                ++white;
            else if (!inFirst && c.r == 0 && c.b == 0 && c.g >= 60)
                ++green;
            else
                ++stray;
        }
    EXPECT_GT(white, 20);
    EXPECT_GT(green, 20);
    EXPECT_EQ(stray, 0);

    // Levels 6 and up do not exist: nothing written, the cursor stays.
    arrange("h6,Hidden\nh7,Hidden\nh9xy,0,0,Hidden\ndiv,probe,0,0\n");
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 0);
    EXPECT_EQ(placed(probe), glm::vec2(0, 0));

    // "h<d>xy" writes at cursor + (dx, dy) without moving the cursor; a
    // four-character form not ending in "xy" moves like "h<d>".
    arrange("off,0,100\nh0xy,100,40,Moved\ndiv,probe,0,0\nh0ab,Line\ndiv,other,0,0\n");
    EXPECT_EQ(placed(probe), glm::vec2(0, 100));
    EXPECT_EQ(placed(other), glm::vec2(0, 100 + big));
    EXPECT_EQ(countDifferent(kPad, kPad + 140, 100, big, kBlack), 0);  // left of dx
    EXPECT_GT(countDifferent(kPad + 100, kPad + 140, kClientW - 100, big, kBlack, 40), 0);
}

TEST_F(ArrangeGlTest, WithoutResourcesHeadingsWriteNothingAndStay) {
    // A detached element has no resource instance and so no heading font.
    std::unique_ptr<Div> loose(new Div());
    Div* child = test::make(loose.get(), 0, 0, 10, 10, "child");
    loose->arrangeCommands = "off,5,6\nh0,Text\nh1xy,0,0,Text\ndiv,child,0,0\n";
    clear(0, 0, 0);
    loose->UIArrange();
    EXPECT_EQ(placed(child), glm::vec2(5, 6));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 0);
}

TEST_F(ArrangeGlTest, SeparatorLine) {
    // Without a width from the cursor to the client's right edge; white at
    // alpha 0.6 over black reads 153.
    arrange("off,20,40\nhline\noff,0,60\nhline,50\n");
    const Rgba grey{153, 153, 153};
    EXPECT_TRUE(regionIs(kPad + 20, kPad + 40, kClientW - 20, 1, grey, 1));
    EXPECT_TRUE(regionIs(kPad, kPad + 60, 50, 1, grey, 1));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), kClientW - 20 + 50);
}

// Where the cursor commands leave a child (both start at -1, -1).
TEST_F(ArrangeGlTest, CursorAndChildPlacement) {
    const struct {
        const char* program;
        const char* child;
        glm::vec2 at;
    } cases[] = {
        // off with one argument keeps y; x+= adds up; an empty argument keeps x.
        {"off,30,40\noff,10\nx+=5\nx+=5\ndiv,probe,0,0\n", "probe", {20, 40}},
        {"off,30,40\noff,,7\ny+=-2\ndiv,other,0,0\n", "other", {30, 5}},
        // A last line without its line feed is not run; empty lines are skipped.
        {"\n\noff,50,60\n\ndiv,probe,0,0", "probe", {-1, -1}},
        {"\n\noff,50,60\n\ndiv,probe,0,0\n", "probe", {50, 60}},
        // Control bytes other than the line feed and bytes of 0x80 and up are dropped.
        {"o\tf\xc3\xa9"
         "f,10,20\r\n\x80\r\r\ndiv,probe,0,0\r\n",
         "probe",
         {10, 20}},
        // Absurd steps saturate instead of wrapping round.
        {"off,2147483647\nx+=100\ndiv,probe,0,0\n", "probe", {2147483647.0f, 0}},
        // The width token of "hline" is consumed; the checks after it look at it.
        {"off,3,4\nhline,x+=7\ndiv,probe,0,0\n", "probe", {10, 4}},
        // divix: the cursor goes to the child's right edge plus sx; without a
        // width the child's current width (30) counts. diviy likewise downwards.
        {"sep,8,3\noff,10,5\ndivix,probe,0,0,50,20\ndivix,other,0,0\n", "other", {68, 5}},
        {"sep,8,3\noff,10,5\ndivix,probe,0,0,50,20\ndivix,other,0,0\ndiv,probe,0\n", "probe", {106, 5}},
        {"sep,8,3\noff,10,5\ndiviy,probe,2,4,50,20\n", "probe", {12, 9}},
        {"sep,8,3\noff,10,5\ndiviy,probe,2,4,50,20\ndiv,other,0,0\n", "other", {10, 9 + 20 + 3}},
        // Unknown or missing names move nothing, not even the cursor.
        {"off,1,1\ndivix,nobody,5,5,5,5\ndivix,,5,5,5,5\ndiv,other,0,0\n", "other", {1, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        probe->dSetPos(-1, -1);
        other->dSetPos(-1, -1);
        arrange(c.program);
        EXPECT_EQ(placed((*panel)[c.child]), c.at);
    }
    // "*" takes the client width from x to the right edge; height as given;
    // units go back to pixels; past the right edge the width is 0, not negative.
    probe->dSetX(50.0f, UNIT_PERCENT);
    probe->dSetCX(50.0f, UNIT_PERCENT);
    arrange("off,10,5\ndiv,probe,0,2,*,20\n");
    EXPECT_EQ(placed(probe), glm::vec2(10, 7));
    EXPECT_EQ(probe->size[0], kClientW - 10);
    EXPECT_EQ(probe->size[1], 20);
    EXPECT_EQ(probe->sizeUnits, 0);
    arrange("div,probe,300,0,*\n");
    EXPECT_EQ(probe->size[0], 0);
}

TEST_F(ArrangeGlTest, Images) {
    // 16 x 8 red source; natural size, then 32 x 16 (fits exactly, doubled).
    // Paths that name no image draw nothing and leave the cursor.
    arrange(
        "sep,2,3\noff,10,10\nimage,pics,0,0\nimageix,pics,20,0,32,16\ndiv,probe,0,0\n"
        "image,nothing,0,0\nimageix,nothing,0,0\nimageiy,pics,0,30\ndiv,other,0,0\n");
    EXPECT_TRUE(regionIs(kPad + 10, kPad + 10, 16, 8, kRed, 2));
    EXPECT_TRUE(regionIs(kPad + 30, kPad + 10, 32, 16, kRed, 2));
    // imageix: cursor x = 30 + 32 + 2.
    EXPECT_EQ(placed(probe), glm::vec2(64, 10));
    EXPECT_TRUE(regionIs(kPad + 64, kPad + 40, 16, 8, kRed, 2));
    // imageiy: cursor y = 40 + 8 + 3.
    EXPECT_EQ(placed(other), glm::vec2(64, 51));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack, 2), 16 * 8 + 32 * 16 + 16 * 8);
}

// The program is kept from frame to frame, and a reload that changes only a
// heading's colour reaches it at once.
TEST_F(ArrangeGlTest, ReloadReachesTheKeptProgram) {
    const int big = lineHeight("missing.font");
    auto greenTitle = [&] {
        clear(0, 0, 0);
        inst->Iterate(0, 0, kWidth, kHeight);
        inst->Draw();
        test::Frame f = readFrame();
        int n = 0;
        for (int y = kPad; y < kPad + big; ++y)
            for (int x = 0; x < kWidth; ++x)
                n += f.at(x, y).r == 0 && f.at(x, y).b == 0 && f.at(x, y).g >= 60;
        return n;
    };
    EXPECT_EQ(greenTitle(), 0);
    EXPECT_EQ(greenTitle(), 0);
    std::string edited = kResources;
    edited.insert(edited.find("h1-font"), "h0-color: colors.green\n    ");
    folder.write("res.kor", edited);
    inst->resFlags.fetch_or(Instance::RES_CHANGED);
    EXPECT_GT(greenTitle(), 20);
}

}  // namespace
}  // namespace koui
