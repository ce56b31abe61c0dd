// Widgets drawn on real GL, pixels read back: the fader's thumb and ticks,
// the progress bar's two sections, the function view's grid and numbers.
#include <gtest/gtest.h>

#include <filesystem>

#include "koui/widgets/dcontainer.h"
#include "koui/widgets/fader.h"
#include "koui/widgets/fview.h"
#include "koui/widgets/progbar.h"
#include "koui/widgets/progbar_num.h"
#include "tests/support/png_writer.h"
#include "tests/ui/draw_fixture.h"

namespace koui {
namespace {

using test::Rgba;

const Rgba kGreen{0, 255, 0};
const Rgba kBlue{0, 0, 255};
const Rgba kBlack{0, 0, 0};
const Rgba kGrey{128, 128, 128};
const Rgba kYellow{255, 255, 0};

// "bars.sec": a 40 x 10 bar, section 0 grey above section 1 yellow.
const char* const kTheme = R"(
colors { red: #ff0000 green: #00ff00 blue: #0000ff }
fonts { num { font src: "Fonts/test.ttf" size: 16 } }
pics { imgsrc src: "Images/green.png" }
bars { imgsrc src: "Images/bar.png" sec { img pos: 0,0 size: 40,10 vdist: 10 ver: 0,1 } }
fader { thumb-image: pics thumb-width: 24 tick-height: 6 tick-color: colors.blue tick-separation: 20 }
bar { bar-image: bars.sec }
barnum { bar-image: bars.sec bar-image-pos: 10,4 }
red { bkcolor: colors.red }
grid { color-sublines: colors.red color-lines: colors.green color-num: colors.blue font-num: fonts.num }
)";

struct WidgetsGl : test::DrawTest {
    WidgetsGl() { theme = kTheme; }
    void SetUp() override {
        std::filesystem::create_directories(folder.root() + "/Images");
        std::vector<uint8_t> rgba(40 * 20 * 4, 255);
        for (size_t i = 0; i < rgba.size(); i += 4) {
            bool full = i >= rgba.size() / 2;
            rgba[i] = full ? 255 : 128, rgba[i + 1] = full ? 255 : 128, rgba[i + 2] = full ? 0 : 128;
        }
        ASSERT_TRUE(test::writePng(folder.root() + "/Images/bar.png", 40, 20, rgba.data()));
        DrawTest::SetUp();
    }
    template <class T>
    T* add(int x, int y, int w, int h, const std::string& style) {
        return static_cast<T*>((new T())->Create("", canvas, x, y, w, h, nullptr, 0, style));
    }
    void frames() {
        clear(0, 0, 0);
        frame();
        clear(0, 0, 0);
        frame();
    }
};

// Track 100 pixels (124 - 24); ticks mark thumb centres from 12 every 20.
TEST_F(WidgetsGl, FaderThumbAndTicks) {
    auto* f = add<Fader>(10, 100, 124, 10, "fader");
    f->setRange(0, 100);
    f->setValue(50);
    frames();
    EXPECT_TRUE(regionIs(60, 100, 24, 10, kGreen));
    for (int x : {12, 32, 92, 112}) {
        EXPECT_TRUE(regionIs(10 + x, 102, 1, 6, kBlue)) << x;
        EXPECT_TRUE(regionIs(10 + x + 1, 100, 1, 10, kBlack)) << x;
        EXPECT_TRUE(regionIs(10 + x, 100, 1, 2, kBlack)) << x;
    }
}

TEST_F(WidgetsGl, ProgressBarCutsTheFullSectionAtTheShare) {
    struct Case {
        double value;
        int filled;
    } cases[] = {{0, 0}, {25, 10}, {100, 40}, {150, 40}};
    std::vector<FixedProgBar*> bars;
    for (const Case& c : cases) {
        bars.push_back(add<FixedProgBar>(10, 20 + 20 * static_cast<int>(bars.size()), 1, 1, "bar"));
        bars.back()->setRange(0, 100);
        bars.back()->value = c.value;  // past setValue's clamp: the norm keeps the bar whole
    }
    frames();
    for (size_t i = 0; i < bars.size(); ++i) {
        int y = 20 + 20 * static_cast<int>(i), filled = cases[i].filled;
        EXPECT_EQ(std::pair(bars[i]->dGetCX(), bars[i]->dGetCY()), std::pair(40, 10));
        EXPECT_TRUE(filled == 0 || regionIs(10, y, filled, 10, kYellow)) << i;
        EXPECT_TRUE(filled == 40 || regionIs(10 + filled, y, 40 - filled, 10, kGrey)) << i;
        EXPECT_TRUE(regionIs(50, y, 10, 10, kBlack)) << i;
    }
}

// Zoom 1, no pan: major lines every 100 pixels, minor every 10.
TEST_F(WidgetsGl, FunctionViewGridAndNumbers) {
    auto* v = add<FViewEx>(0, 0, kWidth, kHeight, "grid");
    v->showNumbers = false;
    frames();
    EXPECT_TRUE(regionIs(100, 60, 1, 30, kGreen));
    EXPECT_TRUE(regionIs(60, 200, 30, 1, kGreen));
    EXPECT_TRUE(regionIs(110, 61, 1, 8, Rgba{255, 0, 0}));
    EXPECT_TRUE(regionIs(101, 61, 8, 8, kBlack));
    v->showNumbers = true;
    v->pan[1] = 20;  // y 0 at row 20, under the top strip's reach
    frames();
    auto blue = [&](int x, int y, int w, int h) { return countDifferent(x, y, w, h, kBlue, 80); };
    EXPECT_LT(blue(102, 1, 30, 16), 30 * 16) << "\"100.0\" along the top";
    EXPECT_LT(blue(2, 122, 40, 16), 40 * 16) << "\"100.0\" along the left";
    EXPECT_EQ(blue(2, 21, 40, 16), 40 * 16) << "no \"0.0\" at y 20";
    v->dSetSize(150, 150);
    frames();
    EXPECT_TRUE(regionIs(150, 0, 106, 256, kBlack) && regionIs(0, 150, 150, 106, kBlack))
        << "nothing past the view";
}

TEST_F(WidgetsGl, NumberedBarDrawsItsBarAtTheStylePosition) {
    auto* b = add<FixedProgBarNum>(20, 200, 80, 20, "barnum");
    b->setRange(0, 100)->setUnits(" %")->setValue(42.4);
    EXPECT_FALSE(b->setNumFormat("%s"));
    frames();
    EXPECT_EQ(b->getText(), "42 %");
    EXPECT_TRUE(regionIs(30, 204, 16, 10, kYellow));
    EXPECT_TRUE(regionIs(48, 204, 22, 10, kGrey));
}

// The inner tree is drawn into the frame buffer, clipped to the client
// area, and moved by the wheel's scroll (limited to the overflow: 190 - 80).
TEST_F(WidgetsGl, DrawingContainerShowsItsScrolledInnerTree) {
    auto* dc = new DContainer();
    dc->instance = inst.get();
    dc->Create("", canvas, 20, 20, 100, 80, nullptr, 0, "");
    make(dc->canvas, 10, 10, 30, 30, "red");
    make(dc->canvas, 0, 150, 100, 40, "red");
    frames();
    const Rgba kRed{255, 0, 0}, kDark{38, 38, 38};
    EXPECT_TRUE(regionIs(30, 30, 30, 30, kRed));
    EXPECT_TRUE(regionIs(70, 70, 40, 20, kDark, 1));
    EXPECT_TRUE(regionIs(120, 20, 20, 80, kBlack));  // nothing past the client area
    canvas->ProcessMTEvent(MT_WHEEL, 50, 50, -120, 0);
    for (int i = 0; i < 60; ++i) frame();
    frames();
    EXPECT_EQ(dc->scroll[1], -110);
    EXPECT_TRUE(regionIs(20, 60, 100, 40, kRed));
    EXPECT_TRUE(regionIs(30, 20, 30, 40, kDark, 1));
}

}  // namespace
}  // namespace koui
