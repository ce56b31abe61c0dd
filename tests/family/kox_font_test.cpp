// CkoxGL_Font, the classic resource manager's font, on real GL.
#include "koui/family/kox_font.h"

#include <GL/glew.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <utility>

#include "koui/family/gl_font.h"
#include "koui/family/module_resources.h"
#include "koui/platform/win32_names.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/test_font.h"

using namespace ko::gl;
using namespace ko::util;

namespace {

using koui::test::AppMsgCapture;
using koui::test::Frame;
using koui::test::GlTest;
using koui::test::kTestFontPath;
using koui::test::Rgba;

const Rgba kBlack{0, 0, 0};
const double kWhite[4] = {1, 1, 1, 1};

class KoxFont : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        ASSERT_EQ(font.Open(kTestFontPath), KOX_OK);
    }
    // Left and right ends of the lit pixels in rows y0 .. y1 (exclusive); -1 when none.
    static std::pair<int, int> litColumns(int y0, int y1) {
        const Frame f = readFrame();
        int left = -1;
        int right = -1;
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < f.width; ++x)
                if (!(f.at(x, y) == kBlack)) {
                    if (left < 0 || x < left) left = x;
                    right = std::max(right, x + 1);
                }
        return {left, right};
    }

    CkoxGL_Font font;
};

TEST_F(KoxFont, OpensATrueTypeFileAtTheDefaultOrAGivenSize) {
    EXPECT_TRUE(font.IsOpen());
    EXPECT_EQ(font.GetPixelSize(), CkoxGL_Font::kDefaultPixelSize);
    EXPECT_STREQ(font.getpath(), kTestFontPath);
    CkoxGL_Font sized;
    ASSERT_EQ(sized.Open((std::string(kTestFontPath) + "@24").c_str()), KOX_OK);
    EXPECT_EQ(sized.GetPixelSize(), 24);
    sized.setid("title");
    EXPECT_STREQ(sized.getid(), "title");
}

TEST_F(KoxFont, ExtentCountsAdvancesKerningSpacingAndTrailingSpaces) {
    const float hello = font.GetTextExtent("Hello", -1);
    EXPECT_GT(hello, 30);
    EXPECT_LT(hello, 45);
    EXPECT_FLOAT_EQ(font.GetTextExtent("Hello there", 5), hello);
    EXPECT_FLOAT_EQ(font.GetTextExtent("Hello", 99), hello);
    EXPECT_GT(font.GetTextExtent("Hello ", -1), hello);
    const float av = font.GetTextExtent("AV", -1);
    EXPECT_LT(av, font.GetTextExtent("A", -1) + font.GetTextExtent("V", -1));
    font.SetCharSpacing(2);
    EXPECT_EQ(font.GetCharSpacing(), 2);
    EXPECT_FLOAT_EQ(font.GetTextExtent("Hello", -1), hello + 4 * 2);
    EXPECT_EQ(font.GetTextExtent("", -1), 0);
    EXPECT_EQ(font.GetTextExtent(nullptr, 3), 0);
}

TEST_F(KoxFont, WritesWithTheFixedFunctionMatricesAndAlignment) {
    glTranslated(40, 60, 0);
    font.WriteEx(0, 0, 1.0, CkoxGL_Font::kLeft, 0, kWhite, "Hello");
    auto [left, right] = litColumns(0, kHeight);
    EXPECT_NEAR(left, 40, 3);
    EXPECT_NEAR(right, 40 + font.GetTextExtent("Hello"), 3);
    EXPECT_EQ(litColumns(0, 60).first, -1) << "nothing above the top";

    clear(0, 0, 0);
    font.WriteEx(100, 0, 1.0, CkoxGL_Font::kRight, 0, kWhite, "Hello");
    right = litColumns(0, kHeight).second;
    EXPECT_LE(right, 140);
    EXPECT_GE(right, 137);

    clear(0, 0, 0);
    font.WriteEx(100, 0, 2.0, CkoxGL_Font::kCenter, 0, kWhite, "Hello");
    std::tie(left, right) = litColumns(0, kHeight);
    EXPECT_NEAR((left + right) / 2.0, 140, 2);
    EXPECT_NEAR(right - left, 2 * font.GetTextExtent("Hello"), 4);
}

TEST_F(KoxFont, RepeatCountDrawsTheTextThatManyTimes) {
    const uint64_t before = ko::gl::Font::drawCallCount();
    font.WriteEx(0, 0, 1.0, 0, 3, kWhite, "abc");
    EXPECT_EQ(ko::gl::Font::drawCallCount(), before + 3);
    font.WriteEx(0, 0, 1.0, 0, 0, kWhite, "abc");
    EXPECT_EQ(ko::gl::Font::drawCallCount(), before + 4);
}

TEST_F(KoxFont, OpensFromAModuleResource) {
    const auto bytes = koui::test::readTestFont();
    static char moduleData;
    const auto module = reinterpret_cast<HINSTANCE>(&moduleData);
    ASSERT_TRUE(stmmRegisterResource(module, 12, "TTF", bytes.data(), bytes.size()));
    CkoxGL_Font fromResource;
    ASSERT_EQ(fromResource.OpenFromResource(12, "TTF", module), KOX_OK);
    EXPECT_FLOAT_EQ(fromResource.GetTextExtent("Hello"), font.GetTextExtent("Hello"));
    stmmUnregisterResource(module, 12, "TTF");
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
    bad.WriteEx(0, 0, 1, 0, 1, kWhite, "abc");  // draws nothing
    EXPECT_EQ(countDifferent(0, 0, kWidth, kHeight, kBlack), 0);
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "[ERROR] kox: cannot open file " KOUI_SOURCE_DIR "/no/such/font.ttf");
    EXPECT_EQ(lines[1].rfind("[ERROR] Font (" KOUI_SOURCE_DIR "/README.md): not a font file", 0), 0u)
        << lines[1];
    EXPECT_EQ(lines[2], "[ERROR] CkoxGL_Font: no resource 999 of type TTF");
    EXPECT_EQ(lines[3], "[ERROR] CkoxGL_Font: no font file name");
}

}  // namespace
