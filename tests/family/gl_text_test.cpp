// Text on real GL: ko::gl::Font, and CkoxGL_Font, the classic resource
// manager's font, drawn through it.
#include <GL/glew.h>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <glm/gtc/type_ptr.hpp>
#include <memory>
#include <string>
#include <tuple>

#include "koui/family/gl_font.h"
#include "koui/family/glyph_vector.h"
#include "koui/family/kox_font.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_font.h"

using namespace ko::gl;
using namespace ko::util;

namespace {

using ko::gl::Font;
using ko::gl::FontGlyphVector;
using koui::test::AppMsgCapture;
using koui::test::Frame;
using koui::test::GlTest;
using koui::test::kTestFontPath;
using koui::test::Rgba;

const Rgba kBlack{0, 0, 0};
const float kWhite[4] = {1, 1, 1, 1};

class TextTest : public GlTest {
protected:
    // The smallest rectangle holding every lit pixel of rows y0 .. y1 - 1, as
    // x0, y0, x1, y1 (exclusive); all -1 when nothing is lit.
    static std::array<int, 4> litBox(int y0 = 0, int y1 = kHeight) {
        const Frame f = readFrame(0, y0, kWidth, y1 - y0);
        std::array<int, 4> box = {-1, -1, -1, -1};
        for (int y = 0; y < f.height; ++y)
            for (int x = 0; x < f.width; ++x) {
                if (f.at(x, y) == kBlack) continue;
                if (box[0] < 0) box = {x, y0 + y, x + 1, y0 + y + 1};
                box = {std::min(box[0], x), std::min(box[1], y0 + y), std::max(box[2], x + 1),
                       std::max(box[3], y0 + y + 1)};
            }
        return box;
    }
    // The lit box of what `draw` draws on a cleared window.
    template <class Draw>
    static std::array<int, 4> inkOf(Draw draw) {
        clear(0, 0, 0);
        draw();
        return litBox();
    }
};

class GlText : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        font = Font::fromBytes(koui::test::readTestFont(), 20, "DejaVuSans.ttf");
        ASSERT_TRUE(font);
        mvp = projection();
    }
    void TearDown() override {
        font.reset();  // the GL objects go while the context is current
        TextTest::TearDown();
    }
    const float* m() const { return glm::value_ptr(mvp); }

    std::unique_ptr<Font> font;
    glm::mat4 mvp;
};

// The instances travel as client-side arrays of the default vertex array
// object; a write must leave that object as it found it, or a later draw
// with it would read the text's stale pointers.
TEST_F(GlText, WriteLeavesTheDefaultVertexArrayAsItFoundIt) {
    while (glGetError() != GL_NO_ERROR) {
    }
    font->write(m(), kWhite, 10, 10, "Ag");
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_GE(litBox()[0], 0) << "nothing drawn";
    GLint vertexArray = -1, buffer = -1;
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
    EXPECT_EQ(std::tuple(vertexArray, buffer), std::tuple(0, 0));
    for (GLuint attrib = 0; attrib < 2; ++attrib) {
        GLint enabled = -1, divisor = -1;
        glGetVertexAttribiv(attrib, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
        glGetVertexAttribiv(attrib, GL_VERTEX_ATTRIB_ARRAY_DIVISOR, &divisor);
        EXPECT_EQ(std::tuple(enabled, divisor), std::tuple(GL_FALSE, 0)) << "attribute " << attrib;
    }
}

TEST_F(GlText, ClipRectangleBoundsTheChangedPixels) {
    FontGlyphVector layout;
    ASSERT_TRUE(layout.Process(font.get(), 1e10f, 1e10f, 0, 0, 1, 1, 0, "MMMMMMMMMM"));
    font->drawDGlyphs(layout, m(), kWhite, 10, 30, 40, 20, 50, 8);
    EXPECT_EQ(litBox(), (std::array<int, 4>{40, 20, 90, 28})) << "M's reach past the clip on every side";
}

// Plain pens stay on whole pixels: a quarter pixel moves nothing. Sub-pixel
// pens draw the glyphs rendered for that quarter, which is neither the image
// at x nor the one at x + 1.
TEST_F(GlText, SubpixelPensDrawGlyphsRenderedForThePosition) {
    auto drawn = [&](Font* f, float x) {
        clear(0, 0, 0);
        f->write(m(), kWhite, x, 10, "milk");
        return readFrame().rgba;
    };
    FontRendering quarters;
    quarters.subpixel = 4;
    for (Font* f : {font.get(), font->withRendering(quarters)}) {
        const bool moves = f != font.get();
        EXPECT_EQ(drawn(f, 10) == drawn(f, 10.25f), !moves) << moves;
        EXPECT_NE(drawn(f, 10.25f), drawn(f, 11)) << moves;
    }
}

// (0, 2, 0): x is the left end, y the bottom of the line box, where the
// descender ends; (2, 0, 0): x is the right end, y the top; (1, 1, 0): x and
// y are the middle.
TEST_F(GlText, AlignedFormatsPlaceTheTextByItsEndOrBottom) {
    const auto bottom = inkOf([&] { font->writeFormat(m(), kWhite, 50, 100, 0, 2, 0, "%.2f", 12.5); });
    const auto top = inkOf([&] { font->writeFormat(m(), kWhite, 200, 100, 2, 0, 0, "%.2f", 12.5); });
    const auto mid = inkOf([&] { font->writeFormat(m(), kWhite, 128, 128, 1, 1, 0, "%s", "mid"); });
    // The ink of "1" starts 2 pixels right of the pen, the digits' tops are 4
    // below the line box's top.
    EXPECT_EQ((std::array{bottom[0], bottom[3], top[2], top[1], (mid[0] + mid[2]) / 2}),
              (std::array{50 + 2, 100 - font->getDescender(), 200 - 1, 100 + 4, 128 - 1}));
}

// An ill-formed sequence (a cut-off one) and a code point the font lacks
// (a CJK ideograph) both show U+FFFD's glyph, once.
TEST_F(GlText, IllFormedAndMissingCharactersDrawTheReplacementGlyph) {
    std::vector<std::vector<uint8_t>> frames;
    for (const char* text : {"a\xE4\xB8\x80", "a\xE2\x82", "a\xEF\xBF\xBD", "a"}) {
        clear(0, 0, 0);
        font->write(m(), kWhite, 10, 10, text);
        frames.push_back(readFrame().rgba);
    }
    EXPECT_TRUE(frames[0] == frames[2] && frames[1] == frames[2] && frames[2] != frames[3]);
}

TEST_F(GlText, GlyphsStayRightWhenTheAtlasGrows) {
    // A large font fills the first atlas size quickly; glyphs drawn before
    // the growth must look the same after it.
    auto big = Font::fromBytes(koui::test::readTestFont(), 60, "DejaVuSans.ttf");
    ASSERT_TRUE(big);
    big->write(m(), kWhite, 10, 10, "Ag");
    const Frame before = readFrame(0, 0, 120, 90);
    std::string all;
    for (int c = 33; c < 256; ++c)
        if (c < 127 || c >= 160) all.push_back(static_cast<char>(c));
    clear(0, 0, 0);
    big->write(m(), kWhite, 0, 0, all);  // mostly off screen, but rasterised
    clear(0, 0, 0);
    big->write(m(), kWhite, 10, 10, "Ag");
    EXPECT_EQ(readFrame(0, 0, 120, 90).rgba, before.rgba);
}

const double kWhiteD[4] = {1, 1, 1, 1};

class KoxFont : public TextTest {
protected:
    void SetUp() override {
        TextTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_EQ(font.Open(kTestFontPath), KOX_OK);
    }
    CkoxGL_Font font;
};

// "@24" after the path asks for another size.
TEST_F(KoxFont, SizeSuffixAndExtentCountsAdvancesKerningSpacingAndTrailingSpaces) {
    CkoxGL_Font other;
    ASSERT_EQ(other.Open((std::string(kTestFontPath) + "@24").c_str()), KOX_OK);
    EXPECT_EQ(other.GetPixelSize(), 24);
    const float hello = font.GetTextExtent("Hello", -1);
    EXPECT_THAT(hello, testing::AllOf(testing::Gt(30), testing::Lt(45)));
    EXPECT_EQ(std::tuple(font.GetTextExtent("Hello there", 5), font.GetTextExtent("Hello", 99)),
              std::tuple(hello, hello));
    EXPECT_GT(font.GetTextExtent("Hello ", -1), hello);
    EXPECT_LT(font.GetTextExtent("AV", -1), font.GetTextExtent("A", -1) + font.GetTextExtent("V", -1));
    font.SetCharSpacing(2);
    EXPECT_EQ(std::tuple(font.GetTextExtent("Hello", -1), font.GetTextExtent("", -1),
                         font.GetTextExtent(nullptr, 3)),
              std::tuple(hello + 4 * 2, 0.f, 0.f));
}

// The text goes where the fixed-function matrices put it; a repeat count
// draws it that many times.
TEST_F(KoxFont, WritesWithTheFixedFunctionMatricesAlignmentAndRepeats) {
    glTranslated(40, 60, 0);
    const auto left = inkOf([&] { font.WriteEx(0, 0, 1.0, CkoxGL_Font::kLeft, 0, kWhiteD, "Hello"); });
    const auto right = inkOf([&] { font.WriteEx(100, 0, 1.0, CkoxGL_Font::kRight, 0, kWhiteD, "Hello"); });
    const auto centred = inkOf([&] { font.WriteEx(100, 0, 2.0, CkoxGL_Font::kCenter, 0, kWhiteD, "Hello"); });
    const float extent = font.GetTextExtent("Hello");
    EXPECT_EQ((std::array{left[0], left[1], left[2], right[2], (centred[0] + centred[2]) / 2,
                          centred[2] - centred[0], centred[3] - centred[1]}),
              (std::array{40 + 1, 60 + 3, int(40 + extent) - 1, 140 - 1, 140, int(2 * extent) - 4,
                          2 * (left[3] - left[1])}))
        << "H's ink is one pixel inside the pen and three below the top; scaled both ways";

    const uint64_t before = Font::drawCallCount();
    font.WriteEx(0, 0, 1.0, 0, 3, kWhiteD, "abc");
    EXPECT_EQ(Font::drawCallCount(), before + 3);
    font.WriteEx(0, 0, 1.0, 0, 0, kWhiteD, "abc");
    EXPECT_EQ(Font::drawCallCount(), before + 4);
}

TEST_F(KoxFont, FailuresAreReported) {
    AppMsgCapture capture;
    CkoxGL_Font bad;
    EXPECT_EQ(bad.Open(KOUI_SOURCE_DIR "/no/such/font.ttf"), KOX_ERROR);
    EXPECT_EQ(bad.Open(KOUI_SOURCE_DIR "/README.md"), KOX_ERROR);
    EXPECT_EQ(bad.OpenFromResource(999, "TTF", nullptr), KOX_ERROR);
    EXPECT_EQ(bad.Open(nullptr), KOX_ERROR);
    EXPECT_FALSE(bad.IsOpen());
    EXPECT_EQ(bad.GetTextExtent("abc"), 0);
    bad.WriteEx(0, 0, 1, 0, 1, kWhiteD, "abc");  // draws nothing
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 0);
    EXPECT_THAT(
        capture.lines(),
        testing::ElementsAre(
            "[ERROR] kox: cannot open file " KOUI_SOURCE_DIR "/no/such/font.ttf",
            testing::StartsWith("[ERROR] Font (" KOUI_SOURCE_DIR "/README.md): not a font file"),
            "[ERROR] CkoxGL_Font: no resource 999 of type TTF", "[ERROR] CkoxGL_Font: no font file name"));
}

}  // namespace
