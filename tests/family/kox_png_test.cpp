// koxMM image files through the toolkit's PNG decoder, on PngSuite images.
#include <GL/glew.h>
#include <gtest/gtest.h>

#include <vector>

#include "koui/family/kox_dib.h"
#include "koui/family/kox_image_file.h"
#include "koui/family/kox_texture.h"
#include "koui/codec/png_decoder.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/gl_fixture.h"

using namespace ko::gl;

namespace {

using koui::test::AppMsgCapture;
using koui::test::Frame;
using koui::test::GlTest;

#define PNGSUITE(name) KOUI_TESTDATA_DIR "/pngsuite/png/" name

// What the decoder itself makes of a file: the reference for every check.
struct Decoded {
    std::vector<uint8_t> rgba;
    unsigned width = 0;
    unsigned height = 0;
};
Decoded decode(const char* path) {
    std::vector<uint8_t> bytes;
    Decoded d;
    unsigned bpp = 0;
    if (koxReadFile(path, bytes))
        koui::codec::decodePng(d.rgba, d.width, d.height, bpp, bytes.data(), bytes.size());
    return d;
}

class KoxPng : public GlTest {
protected:
    // Draws the texture 1:1 at (x, y) without blending and compares every
    // pixel's colour with the decoded image.
    void expectShows(CkoxGL_Texture& t, const Decoded& d, int x, int y) {
        glDisable(GL_BLEND);
        glLoadIdentity();
        glTranslated(x, y, 0);
        t.Draw(1, 1, 1, 1);
        const Frame f = readFrame(x, y, static_cast<int>(d.width), static_cast<int>(d.height));
        int wrong = 0;
        for (unsigned j = 0; j < d.height; ++j)
            for (unsigned i = 0; i < d.width; ++i) {
                const auto c = f.at(static_cast<int>(i), static_cast<int>(j));
                const uint8_t* p = &d.rgba[(j * d.width + i) * 4];
                wrong += c.r != p[0] || c.g != p[1] || c.b != p[2];
            }
        EXPECT_EQ(wrong, 0);
    }
};

TEST_F(KoxPng, TextureFromAPngFileShowsTheDecodedPixels) {
    const Decoded d = decode(PNGSUITE("basn6a08.png"));  // 32 x 32, RGBA, 8 bits
    ASSERT_EQ(d.width, 32u);
    CkoxGL_Texture t;
    ASSERT_EQ(t.CreateFromFile(PNGSUITE("basn6a08.png"), "PNG", GL_TEXTURE_2D), KOX_OK);
    EXPECT_EQ(t.GetWidth(), 32);
    EXPECT_EQ(t.GetHeight(), 32);
    EXPECT_EQ(t.GetFormat(), 0x1908);
    expectShows(t, d, 10, 20);
}

TEST_F(KoxPng, PaletteAndInterlacedImagesToo) {
    for (const char* path : {PNGSUITE("basn3p04.png"), PNGSUITE("basi2c08.png")}) {
        SCOPED_TRACE(path);
        const Decoded d = decode(path);
        ASSERT_GT(d.width, 0u);
        CkoxGL_Texture t;
        ASSERT_EQ(t.CreateFromFile(path, nullptr, 0), KOX_OK);
        expectShows(t, d, 100, 100);
    }
}

TEST_F(KoxPng, CorruptFileIsReportedAndLeavesNoTexture) {
    AppMsgCapture capture;
    CkoxGL_Texture t;
    EXPECT_EQ(t.CreateFromFile(PNGSUITE("xcrn0g04.png"), "png", GL_TEXTURE_2D), KOX_ERROR);  // bad line ends
    EXPECT_FALSE(t.IsValid());
    EXPECT_TRUE(capture.contains("[ERROR] kox: cannot decode " PNGSUITE("xcrn0g04.png") " as png"));
}

TEST(KoxPngDib, BitmapFromAPngFileHoldsTheDecodedBytes) {
    const Decoded d = decode(PNGSUITE("basn6a08.png"));
    CstgDibSectionEx dib;
    ASSERT_EQ(dib.CreateFromFile(PNGSUITE("basn6a08.png")), KOX_OK);
    ASSERT_EQ(dib.GetWidth(), 32);
    ASSERT_EQ(dib.GetPitch(), 128);
    EXPECT_TRUE(std::equal(d.rgba.begin(), d.rgba.end(), dib.GetBits()));
    // The 24-bit form drops each pixel's fourth byte, the alpha.
    CstgDibSectionEx rgb;
    ASSERT_EQ(rgb.CreateFromFile(PNGSUITE("basn6a08.png"), 24), KOX_OK);
    EXPECT_EQ(rgb.GetPitch(), 96);
    EXPECT_EQ(rgb.GetRow(5)[3 * 7 + 1], d.rgba[(5 * 32 + 7) * 4 + 1]);
}

}  // namespace
