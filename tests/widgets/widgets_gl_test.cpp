// What the widgets draw, read back from real GL: pictures that size
// themselves and show the state's version, styled text placement, classic
// and styled text side by side and faded when disabled, icons, and the
// simple edit field's pulse, caret and missing-font blink.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "koui/rm/rm.h"
#include "koui/widgets/button.h"
#include "koui/widgets/sedit.h"
#include "tests/ui/draw_fixture.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Rgba;

const Rgba kBlack{0, 0, 0};
const Rgba kGreen{0, 255, 0};

double fakeNow = 0;
double fakeClock() {
    return fakeNow;
}

const char* const kTheme = R"(
colors { white: #ffffff green: #00ff00 }
fonts { tip { font src: "Fonts/test.ttf" size: 16 } }
pics { imgsrc src: "Images/green.png" }
states { imgsrc src: "Images/states.png" cell { img pos: 0,0 size: 8,8 hdist: 8 ver: 0,1 } }
sized { width: 100 height: 100 }
wrap-right { font-type: fonts.tip color: colors.white font-align: "right,top" font-wordwrap: true text: "Hi" }
right { font-type: fonts.tip color: colors.white font-align: "right,top" text: "Hi" }
center { font-type: fonts.tip color: colors.white font-align: "center,top" text: "Hi" }
both { font-type: fonts.tip color: colors.green font-align: "right,bottom" }
icon { icon: pics icon-flags: "scale" icon-scale: 2 icon-align: "right,bottom" icon-offset: "-3,-4" }
)";

// The bounds of what differs from black in a rectangle, and the brightest
// red and green found there.
struct Ink {
    int x0 = INT_MAX, y0 = INT_MAX, x1 = -1, y1 = -1;
    int red = 0, green = 0;
};

struct WidgetsGl : test::DrawTest {
    WidgetsGl() { theme = kTheme; }
    void SetUp() override {
        // Versions side by side: slot 0 red, slot 1 blue.
        std::vector<uint8_t> rgba(16 * 8 * 4, 255);
        for (int i = 0; i < 16 * 8; ++i) rgba[i * 4 + 1] = 0, rgba[i * 4 + (i % 16 < 8 ? 2 : 0)] = 0;
        std::filesystem::create_directories(folder.root() + "/Images");
        ASSERT_TRUE(test::writePng(folder.root() + "/Images/states.png", 16, 8, rgba.data()));
        DrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_NE(inst->rm->glFontList->Add("sans", test::kTestFontPath), nullptr);
        const std::string classic = "#colors\nred,#ff0000\n#formatfonts\nred16,font=sans,color=red\n";
        inst->rm->CreateFromBuffer(classic.data(), static_cast<int>(classic.size()), nullptr);
        fakeNow = 0;
    }
    void draw() {
        clear(0, 0, 0);
        frame();
    }
    static Ink ink(int x, int y, int w, int h) {
        const test::Frame f = readFrame(x, y, w, h);
        Ink k;
        for (int j = 0; j < h; ++j)
            for (int i = 0; i < w; ++i) {
                const Rgba c = f.at(i, j);
                if (c == kBlack) continue;
                k.x0 = std::min(k.x0, x + i), k.x1 = std::max(k.x1, x + i);
                k.y0 = std::min(k.y0, y + j), k.y1 = std::max(k.y1, y + j);
                k.red = std::max<int>(k.red, c.r), k.green = std::max<int>(k.green, c.g);
            }
        return k;
    }
};

// The picture takes its image's size at the first iterate, over the style's
// 100 x 100; an image button's picture shows the version of its state.
TEST_F(WidgetsGl, PicturesSizeThemselvesAndFollowTheState) {
    Static* p = Static::wCreateImage("p", canvas, 10, 10, "pics");
    p->uiSetStyle("sized");
    Button* b = Button::wCreateImageButton("b", canvas, 50, 50, "states.cell");
    draw();
    EXPECT_THAT(p->size, test::floatsAre(24, 10));
    EXPECT_THAT(b->size, test::floatsAre(8, 8));
    draw();
    EXPECT_TRUE(regionIs(10, 10, 24, 10, kGreen));
    EXPECT_TRUE(regionIs(50, 50, 8, 8, Rgba{255, 0, 0}));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 24 * 10 + 8 * 8);
    EXPECT_TRUE(canvas->ProcessMTEvent(MT_LDOWN, 54, 54, 0, 0));
    draw();
    EXPECT_TRUE(regionIs(50, 50, 8, 8, Rgba{0, 0, 255}));
}

// Right-aligned text ends at the client's right edge whether the layout
// (word wrap) or the element (no wrap) placed it; centred text is centred.
// A longer text is laid out again.
TEST_F(WidgetsGl, StyledTextPlacement) {
    struct Row {
        const char* style;
        int left, right;  // ink columns, within 3 pixels
    } rows[] = {{"wrap-right", -1, 219}, {"right", -1, 219}, {"center", 120, 120}};
    for (const Row& r : rows) {
        Static* s = Static::wCreate("s", canvas, 20, 20, 200, 40, nullptr, nullptr, nullptr, nullptr);
        s->uiSetStyle(r.style);
        draw();
        const Ink k = ink(0, 0, kWidth, 100);
        if (r.left < 0) {
            EXPECT_NEAR(k.x1, r.right, 3) << r.style;
        } else {
            EXPECT_NEAR((k.x0 + k.x1) / 2, r.left, 2) << r.style;
        }
        EXPECT_NEAR(k.y0, 20 + 3, 3) << r.style;
        EXPECT_LT(k.x1 - k.x0, 30) << r.style;
        s->setText("Hi Hi Hi");
        draw();
        EXPECT_GT(ink(0, 0, kWidth, 100).x1 - ink(0, 0, kWidth, 100).x0, 2 * (k.x1 - k.x0)) << r.style;
        delete s;
    }
}

// Classic text (red, top left, additive) and styled text (green, bottom
// right) both show; disabled, the classic one keeps a quarter of its
// strength and the styled one 0.3 of its colour's alpha. The text holds
// conversions, which must show as written.
TEST_F(WidgetsGl, ClassicAndStyledTextFadeWhenDisabled) {
    Static* s = Static::wCreate("s", canvas, 20, 80, 200, 60, nullptr, "red16", nullptr, nullptr);
    s->uiSetStyle("both");
    s->setText("H%sH%n");
    draw();
    const Ink classic = ink(20, 80, 100, 30), styled = ink(120, 110, 100, 30);
    EXPECT_EQ(std::tuple(classic.red, classic.green, styled.red, styled.green), std::tuple(255, 0, 0, 255));
    EXPECT_NEAR(classic.x0, 20 + 5, 2);
    EXPECT_NEAR(styled.x1, 219, 3);
    EXPECT_NEAR(styled.y1, 139, 6);
    s->dDisable();
    draw();
    EXPECT_NEAR(ink(20, 80, 100, 30).red, 255 * 0.25, 2);
    EXPECT_NEAR(ink(120, 110, 100, 30).green, 255 * 0.3, 2);
}

TEST_F(WidgetsGl, IconAlignedAndOffset) {
    Static* s = Static::wCreate("s", canvas, 100, 150, 60, 40, nullptr, nullptr, nullptr, nullptr);
    s->uiSetStyle("icon");
    draw();
    EXPECT_TRUE(regionIs(100 + 60 - 48 - 3, 150 + 40 - 20 - 4, 48, 20, kGreen));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 48 * 20);
}

// Focus frame and caret pulse between alpha 0.4 and 0.6 each half second;
// a field without formatted font blinks red at 0.1, focused or not. The
// classic field's text has the formatted font's colour.
TEST_F(WidgetsGl, SEditPulseCaretAndMissingFontBlink) {
    SEdit* e = SEdit::wCreate("e", canvas, 20, 20, 120, 24, nullptr, "red16", nullptr, nullptr);
    SEdit* bare = SEdit::wCreate("bare", canvas, 20, 60, 120, 24, nullptr, "nofont", nullptr, nullptr);
    e->setClock(&fakeClock);
    bare->setClock(&fakeClock);
    e->SetText("ab");
    e->setFocus();
    const int caret = 20 + e->fmtFont->getTextExtent("ab", -1);
    struct Row {
        double t;
        uint8_t pulse, red;
    } rows[] = {{0.25, 102, 0}, {0.5, 102, 0}, {0.75, 153, 26}, {7.9, 153, 26}};
    for (const Row& r : rows) {
        fakeNow = r.t;
        draw();
        EXPECT_TRUE(regionIs(20, 32, 1, 1, Rgba{r.pulse, r.pulse, r.pulse})) << r.t;
        EXPECT_TRUE(regionIs(caret, 32, 2, 1, Rgba{r.pulse, r.pulse, r.pulse})) << r.t;
        EXPECT_TRUE(regionIs(20, 60, 120, 24, Rgba{r.red, 0, 0}, 1)) << r.t;
        const Ink text = ink(21, 21, caret - 21, 22);
        EXPECT_EQ(std::tuple(text.red > 200, text.green), std::tuple(true, 0)) << r.t;
    }
}

}  // namespace
}  // namespace koui
