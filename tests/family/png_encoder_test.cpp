// The PNG encoder: what it writes decodes to the same pixels, and refusals
// say why.
#include "koui/family/png_encoder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "koui/family/png_decoder.h"
#include "tests/res/test_files.h"
#include "tests/support/appmsg_capture.h"

namespace ko::png {
namespace test = koui::test;
namespace {

TEST(PngEncoder, RoundTripsThroughTheDecoder) {
    const int w = 7, h = 5;  // odd sizes: no row padding may creep in
    std::vector<uint8_t> rgba(w * h * 4);
    for (size_t i = 0; i < rgba.size(); ++i) rgba[i] = static_cast<uint8_t>(i * 37 + 11);
    std::vector<uint8_t> file = encodePng(w, h, rgba.data());
    std::vector<uint8_t> pixels;
    unsigned dw = 0, dh = 0, bpp = 0;
    ASSERT_TRUE(decodePng(pixels, dw, dh, bpp, file.data(), file.size()));
    EXPECT_EQ(std::tuple(dw, dh), std::tuple(7u, 5u));
    EXPECT_EQ(pixels, rgba);

    test::TempDir dir("png_encoder");
    const std::string path = (dir / "out.png").string();
    ASSERT_TRUE(writePng(path, w, h, rgba.data()));
    EXPECT_EQ(std::filesystem::file_size(path), file.size());
}

TEST(PngEncoder, RefusesEmptyImagesAndUnwritablePaths) {
    const uint8_t one[4] = {1, 2, 3, 4};
    EXPECT_TRUE(encodePng(0, 1, one).empty());
    EXPECT_TRUE(encodePng(1, 0, one).empty());
    EXPECT_TRUE(encodePng(1, 1, nullptr).empty());
    test::AppMsgCapture capture;
    EXPECT_FALSE(writePng("out.png", 0, 1, one));
    EXPECT_FALSE(writePng("no-such-folder/out.png", 1, 1, one));
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{"[ERROR] writePng: cannot encode a 0x1 image (out.png)",
                                        "[ERROR] writePng: cannot write no-such-folder/out.png"}));
}

}  // namespace
}  // namespace ko::png
