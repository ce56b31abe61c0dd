// The decoder on hand-made files: exact pixels for the conversions that are
// easy to get subtly wrong, and one precise fault per refused file.
#include "koui/family/png_decoder.h"

#include <gtest/gtest.h>

#include "koui/res/instance.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/png_builder.h"

namespace {

using koui::res::Instance;
using koui::test::AppMsgCapture;
using koui::test::PngBuilder;
using Bytes = std::vector<uint8_t>;

struct Result {
    bool ok = false;
    Bytes pixels;
    unsigned width = 0, height = 0, bpp = 0;
    std::vector<std::string> lines;
};

Result decode(const Bytes& file, const std::string& extension = "png") {
    Result r;
    AppMsgCapture capture;
    r.ok = Instance::decodeImage(r.pixels, r.width, r.height, r.bpp, file, extension);
    r.lines = capture.lines();
    return r;
}

// A 1×1 8-bit grey image whose IDAT is `zlibData`.
Bytes greyPixel(const Bytes& zlibData) {
    return PngBuilder().ihdr(1, 1, 8, 0).chunk("IDAT", zlibData).iend().bytes();
}

TEST(PngDecoder, OnlyThePngExtensionIsAccepted) {
    const Bytes file = PngBuilder().ihdr(1, 1, 8, 0).image({0, 200}).iend().bytes();
    for (const std::string ext : {"jpg", "PNG", ""}) {
        const Result r = decode(file, ext);
        EXPECT_EQ(
            std::tuple(r.ok, r.lines),
            std::tuple(false, std::vector{"[ERROR] decodeImage: unsupported image type (" + ext + ")"}));
    }
}

// Exact pixels where the test suite has no file: a 16-bit key that matches
// another sample's high byte, bytes after IEND, a bad CRC in an ancillary
// chunk.
TEST(PngDecoder, ConversionsGiveExactPixels) {
    Bytes trailing = PngBuilder().ihdr(1, 1, 8, 0).image({0, 9}).iend().bytes();
    trailing.insert(trailing.end(), {1, 2, 3});
    const struct {
        const char* what;
        Bytes file, pixels;
    } cases[] = {
        {"16-bit key compares all 16 bits",
         PngBuilder()
             .ihdr(2, 1, 16, 0)
             .chunk("tRNS", {0x12, 0x34})
             .image({0, 0x12, 0x34, 0x12, 0x35})
             .iend()
             .bytes(),
         {0x12, 0x12, 0x12, 0, 0x12, 0x12, 0x12, 255}},
        {"bytes after IEND", trailing, {9, 9, 9, 255}},
        {"ancillary chunk with a bad CRC",
         PngBuilder().ihdr(1, 1, 8, 0).chunk("tEXt", {'a', 0, 'b'}, true).image({0, 7}).iend().bytes(),
         {7, 7, 7, 255}},
    };
    for (const auto& c : cases) {
        const Result r = decode(c.file);
        EXPECT_EQ(std::tuple(r.ok, r.pixels, r.bpp, r.lines),
                  std::tuple(true, c.pixels, 32u, std::vector<std::string>{}))
            << c.what;
    }
}

// One precise fault per refused file, said in one exact message. Huge images
// are refused before allocating.
TEST(PngDecoder, FaultsAreRefusedWithOneExactMessage) {
    const Bytes z = koui::test::zlibCompress({0, 7});
    const Bytes tiny = koui::test::zlibCompress({0, 0});
    Bytes badCheck = z;
    badCheck.back() ^= 0x01;  // last byte of the Adler-32
    Bytes cut = PngBuilder().ihdr(1, 1, 8, 0).chunk("IDAT", z).iend().bytes();
    cut.resize(cut.size() - 14);  // into the IDAT body
    const std::pair<Bytes, std::string> cases[] = {
        // 1-bit indices: the second pixel uses index 1 of a one-entry palette.
        {PngBuilder().ihdr(2, 1, 1, 3).chunk("PLTE", {1, 2, 3}).image({0, 0b01000000}).iend().bytes(),
         "palette index beyond the 1 palette entries"},
        {greyPixel(badCheck), "corrupt image data (zlib stream)"},
        {cut, "chunk at offset 33 runs past the end of the file"},
        {PngBuilder().ihdr(3, 1, 8, 3).chunk("PLTE", {1, 2, 3, 4, 5, 6}).image({0, 0, 1, 2}).iend().bytes(),
         "palette index beyond the 2 palette entries"},
        {greyPixel(koui::test::zlibCompress({0})), "too little image data"},
        {greyPixel(koui::test::zlibCompress({0, 1, 2})), "too much image data"},
        {PngBuilder().ihdr(16384, 16384, 16, 6).chunk("IDAT", tiny).iend().bytes(),
         "too little image data for 16384x16384 pixels (" + std::to_string(tiny.size()) + " bytes)"},
        {PngBuilder().ihdr(16385, 16384, 8, 0).chunk("IDAT", tiny).iend().bytes(),
         "image of 16385x16384 pixels exceeds the limit of 268435456 pixels"},
        {PngBuilder().ihdr(0x80000000u, 1, 8, 0).image({0}).iend().bytes(),
         "invalid image size 2147483648x1"},
        {PngBuilder().ihdr(1, 1, 8, 0).chunk("IDAT", z, true).iend().bytes(), "CRC mismatch in chunk IDAT"},
        {PngBuilder().ihdr(1, 1, 8, 0).chunk("IDAT", z).bytes(), "file ends before the IEND chunk"},
        {PngBuilder()
             .ihdr(1, 1, 8, 0)
             .chunk("IDAT", {z.begin(), z.begin() + 3})
             .chunk("tIME", {1})
             .chunk("IDAT", {z.begin() + 3, z.end()})
             .iend()
             .bytes(),
         "IDAT chunks are not consecutive"},
        {PngBuilder().ihdr(1, 1, 8, 0).chunk("ABCD", {}).chunk("IDAT", z).iend().bytes(),
         "unknown critical chunk ABCD"},
        {PngBuilder().chunk("gAMA", {0, 0, 0, 1}).ihdr(1, 1, 8, 0).chunk("IDAT", z).iend().bytes(),
         "first chunk is not IHDR"},
        {PngBuilder().ihdr(1, 1, 8, 0).iend().bytes(), "no IDAT chunk"},
        {PngBuilder().ihdr(1, 1, 8, 3).chunk("IDAT", z).iend().bytes(), "palette image without PLTE chunk"},
        {PngBuilder().ihdr(1, 1, 8, 0).chunk("PLTE", {1, 2, 3}).chunk("IDAT", z).iend().bytes(),
         "PLTE chunk in a greyscale image"},
        {PngBuilder().ihdr(1, 1, 8, 0).image({5, 0}).iend().bytes(), "unknown filter type 5"},
        {PngBuilder().ihdr(1, 1, 16, 3).chunk("IDAT", z).iend().bytes(),
         "invalid colour type 3 with bit depth 16"},
    };
    for (const auto& [file, message] : cases) {
        const Result r = decode(file);
        EXPECT_EQ(std::tuple(r.ok, r.pixels.empty(), r.lines),
                  std::tuple(false, true, std::vector{"[ERROR] decodePng: " + message}));
    }
}

}  // namespace
