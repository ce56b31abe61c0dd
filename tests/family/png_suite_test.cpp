// Every image of the PNG test suite against libpng: the valid ones must give
// the same RGBA bytes, the broken ones (x*.png) must be refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <tuple>

#include "koui/res/instance.h"
#include "tests/family/libpng_reference.h"
#include "tests/res/test_files.h"
#include "tests/support/appmsg_capture.h"

namespace {

namespace fs = std::filesystem;
using koui::res::Instance;
using koui::test::AppMsgCapture;

const fs::path kSuite = fs::path(KOUI_TESTDATA_DIR) / "pngsuite" / "png";

std::vector<std::string> suiteFiles() {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(kSuite, ec))
        if (entry.path().extension() == ".png") names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class PngSuite : public testing::TestWithParam<std::string> {};

TEST(PngSuiteFolder, HoldsTheWholeSuite) {
    const auto names = suiteFiles();
    EXPECT_GE(names.size(), 170u) << kSuite;
    EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const auto& n) { return n[0] == 'x'; }), 14);
}

TEST_P(PngSuite, DecodesLikeLibpngOrRefusesBrokenFiles) {
    const std::string name = GetParam();
    const std::vector<uint8_t> data = koui::test::readBytes(kSuite / name);
    ASSERT_FALSE(data.empty());
    std::vector<uint8_t> pixels{1, 2, 3};
    unsigned w = 7, h = 7, bpp = 7;
    AppMsgCapture capture;
    const bool ok = Instance::decodeImage(pixels, w, h, bpp, data, "png");

    if (name[0] == 'x') {
        const auto lines = capture.lines();
        EXPECT_EQ(std::tuple(ok, pixels.size(), w, h, bpp, lines.size()),
                  std::tuple(false, 0u, 7u, 7u, 7u, 1u));
        EXPECT_EQ(lines.at(0).rfind("[ERROR] decodePng: ", 0), 0u) << lines[0];  // sizes kept
        return;
    }
    koui::test::ReferenceImage ref;
    std::string error;
    ASSERT_TRUE(koui::test::decodeWithLibpng(data, ref, error)) << error;
    ASSERT_TRUE(ok) << (capture.lines().empty() ? "" : capture.lines()[0]);
    EXPECT_TRUE(capture.lines().empty());
    EXPECT_EQ(std::tuple(w, h, bpp), std::tuple(ref.width, ref.height, 32u));
    ASSERT_EQ(pixels.size(), ref.rgba.size());
    const auto diff = std::mismatch(pixels.begin(), pixels.end(), ref.rgba.begin());
    if (diff.first != pixels.end()) {
        const size_t at = static_cast<size_t>(diff.first - pixels.begin());
        ADD_FAILURE() << "first difference at pixel (" << (at / 4) % w << "," << (at / 4) / w << ") channel "
                      << at % 4 << ": " << int{*diff.first} << " vs libpng " << int{*diff.second};
    }
}

std::string testName(const testing::TestParamInfo<std::string>& info) {
    return info.param.substr(0, info.param.size() - 4);
}

INSTANTIATE_TEST_SUITE_P(Files, PngSuite, testing::ValuesIn(suiteFiles()), testName);

}  // namespace
