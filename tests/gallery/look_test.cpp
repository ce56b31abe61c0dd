// The gallery's pages as they look. The gallery draws each page in each
// theme under the X server (--theme T --page P --frames 20 --screenshot F)
// and the frame is compared with references/T-P.png.
//
// Tolerance: a pixel differs when one of its channels is off by more than
// kChannelTolerance; a frame passes with at most kPixelShare of its pixels
// differing (25 of 640 x 400). That leaves room for rounding differences
// between GL drivers, not for a moved element, another colour or a missing
// glyph: the one word "centred" in another colour makes 241 pixels differ. Each page is drawn three times, so
// a look that varies between runs (a caret, an animation, the pointer) fails as well. A failure writes
// T-P-actual.png and T-P-diff.png (differing pixels red over the faded
// reference) to gallery-failures/ in the build folder and prints both paths.
// scripts/update-references.sh writes new references on purpose.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "koui/family/png_decoder.h"
#include "koui/family/png_encoder.h"
#include "tests/res/test_files.h"
#include "tests/support/x_display.h"

namespace {

namespace fs = std::filesystem;

constexpr int kChannelTolerance = 8;
constexpr double kPixelShare = 0.0001;

struct Image {
    unsigned w = 0, h = 0;
    std::vector<uint8_t> px;
};

bool readPng(const fs::path& path, Image& out) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    unsigned bpp = 0;
    return ko::png::decodePng(out.px, out.w, out.h, bpp, bytes.data(), bytes.size());
}

// Pixels of `actual` that differ from `expected` (same size), marked in
// `diff`: red where they differ, the reference at a quarter elsewhere.
int countDifferences(const Image& expected, const Image& actual, std::vector<uint8_t>& diff) {
    int count = 0;
    diff.resize(expected.px.size());
    for (size_t i = 0; i < expected.px.size(); i += 4) {
        bool differs = false;
        for (size_t c = 0; c < 3; ++c)
            differs |= std::abs(expected.px[i + c] - actual.px[i + c]) > kChannelTolerance;
        count += differs;
        for (size_t c = 0; c < 3; ++c) diff[i + c] = differs ? (c == 0 ? 255 : 0) : expected.px[i + c] / 4;
        diff[i + 3] = 255;
    }
    return count;
}

class GalleryLook : public ::testing::TestWithParam<std::tuple<std::string, std::string>> {};

TEST_P(GalleryLook, MatchesItsReference) {
    KOUI_REQUIRE_DISPLAY();
    const auto [theme, page] = GetParam();
    const std::string name = theme + "-" + page;
    Image expected;
    ASSERT_TRUE(readPng(fs::path(KOUI_SOURCE_DIR) / "tests/gallery/references" / (name + ".png"), expected))
        << "no reference for " << name << ": scripts/update-references.sh writes it";
    const koui::test::TempDir tmp("gallery_look");
    const fs::path shot = tmp.path() / (name + ".png");
    for (int run = 1; run <= 3; ++run) {
        // The pointer into the screen's far corner: nothing may react to it.
        koui::test::xdo("mousemove 10000 10000");
        const std::string command = std::string("'") + KOUI_GALLERY_APP + "' --theme " + theme + " --page " +
                                    page + " --frames 20 --screenshot '" + shot.string() +
                                    "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        Image actual;
        ASSERT_TRUE(readPng(shot, actual));
        ASSERT_EQ(std::tie(actual.w, actual.h), std::tie(expected.w, expected.h)) << name;
        std::vector<uint8_t> diff;
        const int differing = countDifferences(expected, actual, diff);
        if (differing <= kPixelShare * expected.w * expected.h) continue;
        const fs::path out(KOUI_GALLERY_FAILURES);
        fs::create_directories(out);
        const int w = static_cast<int>(actual.w), h = static_cast<int>(actual.h);
        ko::png::writePng((out / (name + "-actual.png")).string(), w, h, actual.px.data());
        ko::png::writePng((out / (name + "-diff.png")).string(), w, h, diff.data());
        FAIL() << name << ", run " << run << ": " << differing << " pixels differ; see "
               << (out / (name + "-actual.png")).string() << " and " << (out / (name + "-diff.png")).string();
    }
}

const std::string kPages[] = {"texts", "buttons",  "fields",   "containers", "fader",
                              "menu",  "progress", "function", "plot"};

INSTANTIATE_TEST_SUITE_P(Pages, GalleryLook,
                         ::testing::Combine(::testing::Values(std::string("dark"), std::string("light")),
                                            ::testing::ValuesIn(kPages)),
                         [](const auto& p) { return std::get<0>(p.param) + "_" + std::get<1>(p.param); });

}  // namespace
