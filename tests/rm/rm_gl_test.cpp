// The classic resource manager on real GL, pixels read back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "koui/family/kox_dib.h"
#include "koui/family/kox_font.h"
#include "koui/family/kox_texture.h"
#include "koui/family/png_encoder.h"
#include "koui/platform/win32_names.h"
#include "koui/rm/rm.h"
#include "tests/rm/rm_fixture.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_font.h"

using namespace ko::gl;
using namespace ko::util;

namespace {

using koui::RM;
using koui::RMImg;
using koui::RMImgSet;
using koui::test::AppMsgCapture;
using koui::test::GlTest;
using koui::test::Rgba;
using koui::test::RgbaImage;

class ClassicGl : public koui::test::RmFolderT<GlTest> {
protected:
    int parse(const std::string& text) {
        return rm.CreateFromBuffer(text.data(), static_cast<int>(text.size()), dirWithSlash().c_str());
    }
    // Loads every texture (a few calls more than needed would change nothing).
    void loadAll() {
        double progress = 0;
        for (int i = 0; i <= rm.imgList->GetCount(); ++i) rm.glMaintain(&progress, nullptr);
        ASSERT_EQ(progress, 100.0);
    }
    // Runs `draw` with the origin moved to (x, y).
    template <class Draw>
    static void at(double x, double y, Draw draw) {
        glPushMatrix();
        glTranslated(x, y, 0);
        draw();
        glPopMatrix();
    }
    RM rm;
};

// Nine 4 x 4 cells, each its own colour: cell (i, j) of the grid is kCells[j][i].
const Rgba kCells[3][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}},
                           {{255, 255, 0}, {0, 255, 255}, {255, 0, 255}},
                           {{255, 128, 0}, {128, 0, 255}, {255, 255, 255}}};
const Rgba kBlack{0, 0, 0};

RgbaImage cellImage(int columns, int rows) {
    RgbaImage image(columns * 4, rows * 4);
    for (int j = 0; j < rows; ++j)
        for (int i = 0; i < columns; ++i) {
            const Rgba& c = kCells[j][i];
            image.fill(i * 4, j * 4, 4, 4, c.r, c.g, c.b);
        }
    return image;
}

TEST_F(ClassicGl, ProgressCountsSourcesReadyBeforeEachCall) {
    writeImage("a.png", 4, 4);
    writeImage("b.png", 4, 4);
    writeImage("c.png", 4, 4);
    ASSERT_EQ(parse("#source,!file,a.png\n#source,!file,b.png\n#source,!file,c.png\n"), 0);
    ASSERT_EQ(rm.imgList->GetCount(), 3);
    double progress = -1;
    char name[260];
    const double expected[] = {0.0, 100.0 / 3, 200.0 / 3};
    const char* files[] = {"a.png", "b.png", "c.png"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(rm.glMaintain(&progress, name), 0);
        EXPECT_DOUBLE_EQ(progress, expected[i]) << i;
        EXPECT_EQ(std::string(name), path(files[i]));
        EXPECT_TRUE((*rm.imgList)(i)->IsReady());
        EXPECT_EQ(i + 1 < 3 ? (*rm.imgList)(i + 1)->texture : nullptr, nullptr);
    }
    EXPECT_EQ(rm.glMaintain(&progress, name), 0);
    EXPECT_EQ(std::tuple(progress, std::string(name), (*rm.imgList)(2)->GetTextureWidth()),
              std::tuple(100.0, "", 4));
    EXPECT_TRUE(rm.imgSetList->IsReady());
}

TEST_F(ClassicGl, ASourceThatWillNotDecodeIsRetriedAndHoldsProgressBelowAHundred) {
    writeImage("good.png", 4, 4);
    write("bad.png", "this is no image");
    AppMsgCapture capture;
    ASSERT_EQ(parse("#source,!file,good.png\nok,!part,0,0,1,1\n#source,!file,bad.png\nbad,!part,0,0,1,1\n"),
              0);
    ASSERT_EQ(rm.imgList->GetCount(), 2);
    double progress = -1;
    rm.glMaintain(&progress, nullptr);
    EXPECT_EQ(progress, 0.0);
    for (int i = 0; i < 3; ++i) {
        rm.glMaintain(&progress, nullptr);
        EXPECT_EQ(progress, 50.0);
    }
    EXPECT_EQ(
        std::tuple((*rm.imgList)(1)->IsReady(), rm.rmimgset("ok")->IsReady(), rm.rmimgset("bad")->IsReady()),
        std::tuple(false, true, false));
    EXPECT_FALSE(capture.lines().empty());       // the texture says why
    rm.rmimgset("bad")->Draw(0, 1, 1, 1, 1, 0);  // not ready: draws nothing
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 0);
}

TEST_F(ClassicGl, MaskHoldsTheAlphaChannel) {
    RgbaImage image(5, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) image.set(x, y, 10, 20, 30, static_cast<uint8_t>(x * 50 + y));
    ASSERT_TRUE(image.save(path("m.png")));
    RMImg* whole = rm.GetImageFromFilePath("m", path("m.png").c_str(), nullptr, 3553, 1, 1);
    ASSERT_NE(whole, nullptr);
    AppMsgCapture capture;
    char name[260];
    double progress = -1;
    rm.glMaintain(&progress, name);
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"                  MASK"});
    auto* mask = whole->source->mask;
    ASSERT_NE(mask, nullptr);
    ASSERT_EQ(std::pair(mask->GetWidth(), mask->GetHeight()), std::pair(5, 3));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(mask->GetRow(y)[x], x * 50 + y) << x << "," << y;
    EXPECT_EQ(std::pair(whole->GetWidth(), whole->GetMinHeight()), std::pair(5, 3));
}

TEST_F(ClassicGl, ResourceSourcesLoadUnderTheirIndexName) {
    RgbaImage image(2, 2);
    image.fill(0, 0, 2, 2, 0, 255, 0);
    const std::vector<uint8_t> bytes = ko::png::encodePng(2, 2, image.pixels.data());
    static int moduleTag;
    const HINSTANCE module = reinterpret_cast<HINSTANCE>(&moduleTag);
    ASSERT_TRUE(stmmRegisterResource(module, 7, "PNG", bytes.data(), bytes.size()));
    koui::RMCImg* source = rm.imgList->AddByRes("res", 7, "PNG", module, nullptr, 3553, 1, 0);
    ASSERT_NE(source, nullptr);
    EXPECT_STREQ(source->attr.format, "png");
    EXPECT_EQ(rm.imgList->AddByRes("again", 7, "PNG", module, nullptr, 3553, 1, 0), source);
    char name[260];
    double progress = -1;
    rm.glMaintain(&progress, name);
    EXPECT_EQ(std::tuple(std::string(name), progress, source->IsReady()), std::tuple("imgidx=0", 0.0, true));
    rm.GetImageByID("res")->Draw(1, 1, 1, 1);
    EXPECT_TRUE(regionIs(0, 0, 2, 2, Rgba{0, 255, 0}));
    EXPECT_TRUE(stmmUnregisterResource(module, 7, "PNG"));
}

// Nine cells: corners at their size, edges and centre stretched.
TEST_F(ClassicGl, NineCellRectangleAtSeveralSizesAndBelowTwoCells) {
    ASSERT_TRUE(cellImage(3, 3).save(path("nine.png")));
    ASSERT_EQ(
        parse(
            "#source,!file,nine.png,!id,nine\nframe,!mrect.h,#0,0,0,4,4,0\nframe.v,!mrect.v,#0,0,0,4,4,0\n"),
        0);
    loadAll();
    RMImgSet* set = rm.rmimgset("frame");
    ASSERT_NE(set, nullptr);
    const int sizes[][2] = {{40, 30}, {12, 12}, {64, 20}};
    for (const auto& size : sizes) {
        const int W = size[0], H = size[1];
        SCOPED_TRACE(std::to_string(W) + "x" + std::to_string(H));
        clear(0, 0, 0);
        at(20, 30, [&] { set->DrawRect(0, W, H, 1, 1, 1, 1, 0); });
        const int x0 = 20, y0 = 30;
        // Corners: exact.
        EXPECT_TRUE(regionIs(x0, y0, 4, 4, kCells[0][0]));
        EXPECT_TRUE(regionIs(x0 + W - 4, y0, 4, 4, kCells[0][2]));
        EXPECT_TRUE(regionIs(x0, y0 + H - 4, 4, 4, kCells[2][0]));
        EXPECT_TRUE(regionIs(x0 + W - 4, y0 + H - 4, 4, 4, kCells[2][2]));
        // Edges and centre: their colour away from the blended borders.
        const int mw = W - 8, mh = H - 8;
        if (mw >= 4 && mh >= 4) {
            EXPECT_TRUE(regionIs(x0 + 4 + mw / 4, y0, mw / 2, 4, kCells[0][1], 2));
            EXPECT_TRUE(regionIs(x0 + 4 + mw / 4, y0 + H - 4, mw / 2, 4, kCells[2][1], 2));
            EXPECT_TRUE(regionIs(x0, y0 + 4 + mh / 4, 4, mh / 2, kCells[1][0], 2));
            EXPECT_TRUE(regionIs(x0 + W - 4, y0 + 4 + mh / 4, 4, mh / 2, kCells[1][2], 2));
            EXPECT_TRUE(regionIs(x0 + 4 + mw / 4, y0 + 4 + mh / 4, mw / 2, mh / 2, kCells[1][1], 2));
        }
        // Every target pixel drawn, and nothing outside the target.
        EXPECT_EQ(countDifferent(x0, y0, W, H, kBlack), W * H);
        EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), W * H);
    }
    // A target smaller than two cells splits between the corners.
    clear(0, 0, 0);
    at(10, 10, [&] { rm.rmimgDrawRect("frame.v", 0, 6.9, 8, 1, 1, 1, 1, 0); });  // 6 x 8
    EXPECT_TRUE(regionIs(10, 10, 3, 4, kCells[0][0], 100));
    EXPECT_TRUE(regionIs(13, 14, 3, 4, kCells[2][2], 100));
    EXPECT_EQ(countDifferent(16, 10, 10, 10, kBlack), 0);
}

// Below three cells a bar shows the left cell and as much of the right as fits.
TEST_F(ClassicGl, HorizontalBarAtSeveralWidths) {
    ASSERT_TRUE(cellImage(3, 1).save(path("bar.png")));
    ASSERT_EQ(parse("#source,!file,bar.png\nbar,!hbar,0,0,4,4\n"), 0);
    loadAll();
    RMImg* bar = rm.rmimg("bar", 0, 0);
    ASSERT_NE(bar, nullptr);
    const Rgba left = kCells[0][0], middle = kCells[0][1], right = kCells[0][2];
    for (int W : {50, 12, 31, 6, 3}) {
        SCOPED_TRACE(W);
        const int leftW = std::min(W, 4), rightW = std::clamp(W - 4, 0, 4), mw = W - 8;
        clear(0, 0, 0);
        bar->DrawRectXY(10, 20, W, 10, 1, 1, 1, 1);
        EXPECT_TRUE(regionIs(10, 20, leftW, 10, left));
        if (rightW > 0) {
            EXPECT_TRUE(regionIs(10 + W - rightW, 20, rightW, 10, right));
        }
        if (mw > 0) {
            EXPECT_TRUE(regionIs(14 + mw / 4, 20, std::max(1, mw / 2), 10, middle, 2));
        }
        EXPECT_EQ(countDifferent(10, 20, W, 10, kBlack), W * 10);
        EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), W * 10);  // nothing outside
    }
}

TEST_F(ClassicGl, VerticalBarStretchesItsMiddleRow) {
    RgbaImage column(4, 12);
    for (int j = 0; j < 3; ++j) column.fill(0, j * 4, 4, 4, kCells[j][0].r, kCells[j][0].g, kCells[j][0].b);
    ASSERT_TRUE(column.save(path("col.png")));
    ASSERT_EQ(parse("#source,!file,col.png\nbar,!vbar,#3,0,0,4,4\n"), 0);
    loadAll();
    at(30, 10, [&] { rm.rmimgDrawRect("bar", 3, 6, 40, 1, 1, 1, 1, 0); });
    EXPECT_TRUE(regionIs(30, 10, 6, 4, kCells[0][0], 60));
    EXPECT_TRUE(regionIs(30, 46, 6, 4, kCells[2][0], 60));
    EXPECT_TRUE(regionIs(30, 20, 6, 20, kCells[1][0], 2));
    EXPECT_EQ(countDifferent(36, 10, 10, 40, kBlack), 0);
}

TEST_F(ClassicGl, PartsDrawAtTheirSizeStretchedOrBySection) {
    ASSERT_TRUE(cellImage(3, 3).save(path("nine.png")));
    ASSERT_EQ(parse("#source,!file,nine.png,!grid,4,4\npart,!part,#0,1,1,4,4\nwhole,!img,#0,0,0,0,0\n"), 0);
    loadAll();
    RMImg* part = rm.rmimg("part", 0, 0);
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(rm.rmimgDraw("part", 0, 1, 1, 1, 1, 0), 0);
    EXPECT_TRUE(regionIs(0, 0, 4, 4, kCells[1][1]));
    EXPECT_EQ(countDifferent(4, 0, 20, 20, kBlack), 0);

    clear(0, 0, 0);
    part->DrawRectXY(10, 10, 20, 12, 1, 1, 1, 1);  // the cell stretched
    EXPECT_TRUE(regionIs(13, 13, 14, 6, kCells[1][1], 2));

    clear(0, 0, 0);
    part->DrawPortion2DXY(10, 10, 2, 3, 1, 1, 1, 1);
    EXPECT_TRUE(regionIs(10, 10, 2, 3, kCells[1][1]));
    EXPECT_EQ(countDifferent(12, 10, 10, 10, kBlack), 0);

    clear(0, 0, 0);
    RMImg* whole = rm.rmimg("whole", 0, 0);
    whole->DrawXY(50, 50, 1, 1, 1, 1);  // kind 0 draws the whole texture
    EXPECT_TRUE(regionIs(50, 50, 4, 4, kCells[0][0]));
    EXPECT_TRUE(regionIs(58, 58, 4, 4, kCells[2][2]));
    whole->DrawSection(4, 0, 4, 4, 1, 1, 1, 1);
    EXPECT_TRUE(regionIs(0, 0, 4, 4, kCells[0][1]));
    EXPECT_EQ(whole->GetWidth(), 12);
}

// A space without a glyph advances by spacing + glyph width; other missing characters not at all.
TEST_F(ClassicGl, GlyphStringAdvancesAsItDraws) {
    RgbaImage font(12, 6);
    font.fill(0, 0, 4, 6, 255, 0, 0);
    font.fill(4, 0, 4, 6, 0, 255, 0);
    font.fill(8, 0, 4, 6, 0, 0, 255);
    ASSERT_TRUE(font.save(path("glyphs.png")));
    ASSERT_EQ(parse("#source,!file,glyphs.png\nabc,!glyphset,0,0,4,6,4,0,0,ABC\n"), 0);
    loadAll();
    RMImgSet* glyphs = rm.rmimgset("abc");
    at(10, 20, [&] { glyphs->DrawGlpyh(1, 1, 1, 1, 2, "%c %cx%s", 'A', 'B', "C"); });
    EXPECT_TRUE(regionIs(10, 20, 4, 6, Rgba{255, 0, 0}));
    EXPECT_EQ(countDifferent(14, 20, 8, 6, kBlack), 0);  // spacing, then the space
    EXPECT_TRUE(regionIs(22, 20, 4, 6, Rgba{0, 255, 0}));
    EXPECT_EQ(countDifferent(26, 20, 2, 6, kBlack), 0);
    EXPECT_TRUE(regionIs(28, 20, 4, 6, Rgba{0, 0, 255}));  // "x" took no room
    EXPECT_EQ(countDifferent(32, 20, 40, 6, kBlack), 0);

    // The matrix is restored: a second string starts at the same origin.
    clear(0, 0, 0);
    at(10, 20, [&] { glyphs->DrawGlpyh(1, 1, 1, 0.5, 0, "%s", "CA"); });
    EXPECT_TRUE(regionIs(10, 20, 4, 6, Rgba{0, 0, 128}, 2));
    EXPECT_TRUE(regionIs(14, 20, 4, 6, Rgba{128, 0, 0}, 2));
}

TEST_F(ClassicGl, ProgressBarFillsFromEitherSide) {
    RgbaImage bars(20, 8);
    bars.fill(0, 0, 20, 4, 80, 80, 80);
    bars.fill(0, 4, 20, 4, 0, 200, 0);
    ASSERT_TRUE(bars.save(path("bars.png")));
    ASSERT_EQ(parse("#source,!file,bars.png\nprogress,!part,#0,0,0,20,4,#1,0,4,20,4\n"), 0);
    loadAll();
    RMImgSet* bar = rm.rmimgset("progress");
    const Rgba empty{80, 80, 80}, full{0, 200, 0};
    // Fractions out of range, NaN included, end at an edge.
    const struct {
        double fraction;
        int fromRight, fullX, fullW;
    } cases[] = {{0.25, 1, 25, 5}, {0.25, 0, 10, 5}, {7.0, 1, 10, 20}, {-1.0, 1, 10, 0}, {NAN, 0, 10, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.fraction) + " from " + (c.fromRight ? "right" : "left"));
        clear(0, 0, 0);
        EXPECT_TRUE(bar->ProgBar_Draw(10, 10, c.fraction, c.fromRight));
        if (c.fullW) {
            EXPECT_TRUE(regionIs(c.fullX, 10, c.fullW, 4, full));
        }
        EXPECT_EQ(countDifferent(10, 10, 20, 4, empty), c.fullW * 4);
        EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 20 * 4);  // nothing outside the bar
    }
}

class ClassicText : public ClassicGl {
protected:
    void SetUp() override {
        ClassicGl::SetUp();
        if (IsSkipped()) return;
        if (!std::filesystem::exists(koui::test::kTestFontPath)) GTEST_SKIP() << "test font not installed";
        font = rm.glFontList->Add("sans", koui::test::kTestFontPath);
        ASSERT_NE(font, nullptr);
    }
    CkoxGL_Font* font = nullptr;
};

TEST_F(ClassicText, FontListOpensEachPathOnce) {
    EXPECT_EQ(rm.rmglfont("sans"), font);
    EXPECT_EQ(rm.rmglfont("Sans"), nullptr);
    std::string upper = koui::test::kTestFontPath;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(rm.glFontList->Add("other", upper.c_str()), font);  // same path without regard to case
    EXPECT_EQ(rm.GetGLFont(koui::test::kTestFontPath), font);
    AppMsgCapture capture;
    EXPECT_EQ(rm.GetGLFont(path("none.ttf").c_str()), nullptr);
    EXPECT_EQ(rm.glFontList->GetCount(), 1);
}

TEST_F(ClassicText, FormattedFontWritesInItsColourAndRestoresSpacing) {
    ASSERT_EQ(parse("#formatfonts\nred,font=sans,color=red,xdelta=3,scale=2\nnocolor,font=sans,color=none\n"
                    "#colors\nred,#ff0000\n"),
              0);
    koui::RMFmtFont* red = rm.rmfmtfont("red");
    ASSERT_NE(red, nullptr);
    font->SetCharSpacing(1.5);

    EXPECT_TRUE(red->Write(20, 20, "%s", "HH"));
    EXPECT_EQ(font->GetCharSpacing(), 1.5);
    EXPECT_GT(countDifferent(20, 20, 100, 60, kBlack, 40), 20);
    EXPECT_EQ(countDifferent(0, 0, kWidth, 18, kBlack, 40), 0);  // nothing above the text
    const auto frame = readFrame(20, 20, 100, 60);
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) ASSERT_EQ(frame.at(x, y).g + frame.at(x, y).b, 0);  // red only

    font->SetCharSpacing(3);
    const int expected = static_cast<int>(font->GetTextExtent("HH", -1) * 2);
    font->SetCharSpacing(1.5);
    EXPECT_EQ(red->getTextExtent("HH", -1), expected);
    EXPECT_EQ(font->GetCharSpacing(), 1.5);

    clear(0, 0, 0);
    koui::RMFmtFont* noColour = rm.rmfmtfont("nocolor");
    EXPECT_FALSE(noColour->Write(20, 20, "HH"));
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 0);
    const float green[4] = {0, 1, 0, 1};
    EXPECT_TRUE(noColour->WriteEx(20, 20, 1.0, 0, green, "%d", 88));  // the caller's colour
    EXPECT_GT(countDifferent(20, 20, 100, 60, kBlack, 40), 20);

    strcpy(noColour->fontId, "missing");
    EXPECT_EQ(noColour->getTextExtent("HH", -1), 0);
    EXPECT_FALSE(noColour->WriteEx(20, 20, 1.0, 0, green, "x"));
}

}  // namespace
