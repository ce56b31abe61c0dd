// What the widgets draw, read back from real GL: pictures that size
// themselves and show the state's version, icons, styled text placement,
// classic and styled text side by side and faded when disabled, and the
// simple edit field's pulse, caret and missing-font blink.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "koui/rm/rm.h"
#include "koui/widgets/button.h"
#include "koui/widgets/sedit.h"
#include "tests/ui/draw_fixture.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Rgba;

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

struct WidgetsGl : test::DrawTest {
    WidgetsGl() { theme = kTheme; }
    void SetUp() override {
        std::vector<uint8_t> rgba(16 * 8 * 4, 255);  // versions: slot 0 red, slot 1 blue
        for (int i = 0; i < 16 * 8; ++i) rgba[i * 4 + 1] = rgba[i * 4 + (i % 16 < 8 ? 2 : 0)] = 0;
        std::filesystem::create_directories(folder.root() + "/Images");
        ASSERT_TRUE(test::writePng(folder.root() + "/Images/states.png", 16, 8, rgba.data()));
        DrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_NE(inst->rm->glFontList->Add("sans", test::kTestFontPath), nullptr);
        const std::string classic = "#colors\nred,#ff0000\n#formatfonts\nred16,font=sans,color=red\n";
        inst->rm->CreateFromBuffer(classic.data(), static_cast<int>(classic.size()), nullptr);
    }
    Static* make(int x, int y, int w, int h, const char* style, const char* font = nullptr) {
        Static* s = Static::wCreate("", canvas, x, y, w, h, nullptr, font, nullptr, nullptr);
        s->uiSetStyle(style);
        return s;
    }
    void draw() {
        clear(0, 0, 0);
        frame();
    }
    // The brightest value of one channel (0 red, 1 green) in a rectangle.
    static int brightest(int x, int y, int w, int h, size_t channel) {
        const test::Frame f = readFrame(x, y, w, h);
        int m = 0;
        for (size_t i = channel; i < f.rgba.size(); i += 4) m = std::max<int>(m, f.rgba[i]);
        return m;
    }
};

// The picture takes its image's size at the first iterate, over the style's
// 100 x 100; an image button's picture shows its state's version; the icon
// (24 x 10 at scale 2) sits in the bottom right corner, offset by (-3, -4).
TEST_F(WidgetsGl, PicturesAndIcons) {
    Static* p = Static::wCreateImage("p", canvas, 10, 10, "pics");
    p->uiSetStyle("sized");
    Button::wCreateImageButton("b", canvas, 50, 50, "states.cell");
    make(100, 150, 60, 40, "icon");
    draw();
    EXPECT_THAT(p->size, test::floatsAre(24, 10));
    draw();
    EXPECT_TRUE(regionIs(10, 10, 24, 10, Rgba{0, 255, 0}));
    EXPECT_TRUE(regionIs(50, 50, 8, 8, Rgba{255, 0, 0}));
    EXPECT_TRUE(regionIs(100 + 60 - 48 - 3, 150 + 40 - 20 - 4, 48, 20, Rgba{0, 255, 0}));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, Rgba{}), 24 * 10 + 8 * 8 + 48 * 20);
    canvas->ProcessMTEvent(MT_LDOWN, 54, 54, 0, 0);
    draw();
    EXPECT_TRUE(regionIs(50, 50, 8, 8, Rgba{0, 0, 255}));
}

// Right-aligned text ends at the client's right edge (x 219) whether the
// layout (word wrap) or the element placed it; centred text is centred on
// x 120. All ink lies in the expected columns, until a longer text is laid
// out again.
TEST_F(WidgetsGl, StyledTextPlacement) {
    for (auto [style, x] : {std::pair("wrap-right", 196), {"right", 196}, {"center", 105}}) {
        Static* s = make(20, 20, 200, 40, style);
        draw();
        const int ink = countDifferent(0, 0, kWidth, 100, Rgba{});
        EXPECT_GT(ink, 20) << style;
        EXPECT_EQ(countDifferent(x, 20, style[0] == 'c' ? 30 : 24, 20, Rgba{}), ink) << style;
        s->setText("Hi Hi Hi");
        draw();
        EXPECT_LT(countDifferent(x, 20, 30, 20, Rgba{}), countDifferent(0, 0, kWidth, 100, Rgba{})) << style;
        delete s;
    }
}

// Classic text (red, additive, at (5, 2)) and styled text (green, bottom
// right) both show; disabled, the classic one keeps a quarter and the
// styled one 0.3. Conversions in the text show as written.
TEST_F(WidgetsGl, ClassicAndStyledTextFadeWhenDisabled) {
    Static* s = make(20, 80, 200, 60, "both", "red16");
    s->setText("H%sH%n");
    for (double strength : {1.0, 0.0}) {
        if (!strength) s->dDisable();
        draw();
        EXPECT_NEAR(brightest(22, 80, 90, 24, 0), 255 * (strength ? 1 : 0.25), 2);
        EXPECT_NEAR(brightest(140, 116, 80, 24, 1), 255 * (strength ? 1 : 0.3), 2);
        EXPECT_EQ(countDifferent(20, 80, 200, 60, Rgba{}),
                  countDifferent(22, 80, 90, 24, Rgba{}) + countDifferent(140, 116, 80, 24, Rgba{}));
    }
}

// Focus frame and caret pulse between alpha 0.4 and 0.6 each half second;
// a field without formatted font blinks red at 0.1, focused or not. The
// classic field writes in its formatted font's colour.
TEST_F(WidgetsGl, SEditPulseCaretAndMissingFontBlink) {
    SEdit* e = SEdit::wCreate("e", canvas, 20, 20, 120, 24, nullptr, "red16", nullptr, nullptr);
    SEdit::wCreate("bare", canvas, 20, 60, 120, 24, nullptr, "nofont", nullptr, nullptr)
        ->setClock(&fakeClock);
    e->setClock(&fakeClock);
    e->SetText("ab");
    e->setFocus();
    const int caret = 20 + e->fmtFont->getTextExtent("ab", -1);
    for (auto [t, pulse, red] : {std::tuple(0.25, 102, 0), {0.5, 102, 0}, {0.75, 153, 26}, {7.9, 153, 26}}) {
        fakeNow = t;
        draw();
        const Rgba white(pulse, pulse, pulse);
        EXPECT_TRUE(regionIs(20, 32, 1, 1, white) && regionIs(caret, 32, 2, 1, white)) << t;
        EXPECT_TRUE(regionIs(20, 60, 120, 24, Rgba(red, 0, 0), 1)) << t;
        EXPECT_EQ(
            std::tuple(brightest(21, 21, caret - 21, 22, 0) > 200, brightest(21, 21, caret - 21, 22, 1)),
            std::tuple(true, 0))
            << t;
    }
}

}  // namespace
}  // namespace koui
