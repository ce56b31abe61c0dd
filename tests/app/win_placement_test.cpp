// WinPlacement: defaults, reading values as atoi does, the file left alone
// outside its five keys, filling from a placement, and the profile file as
// it is written.
#include "koui/app/win_placement.h"

#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

#include "koui/platform/win32_names.h"
#include "tests/res/test_files.h"

namespace {

using namespace koui;
using app::WinPlacement;

std::string readAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// x, y, width, height and show command of a placement.
std::array<int, 5> placementOf(const WinPlacement& p) {
    return {p.getX(), p.getY(), p.getWidth(), p.getHeight(), p.getShow()};
}

class appWinPlacement : public ::testing::Test {
protected:
    test::TempDir work{"placement"};
    std::filesystem::path file = work.path() / "place.ini";
};

TEST_F(appWinPlacement, MissingFileGivesTheDefaults) {
    WinPlacement p(file);
    EXPECT_EQ(placementOf(p), (std::array<int, 5>{0, 0, 1600, 900, 1}));
    EXPECT_FALSE(std::filesystem::exists(file));  // loading writes nothing
}

TEST_F(appWinPlacement, SaveWritesTheFiveKeysInOrderAndLoadReadsThemBack) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    wp.showCmd = SW_SHOWMAXIMIZED;
    wp.rcNormalPosition = {-30, 20, 770, 620};
    WinPlacement p(file);
    p.fill(wp);
    p.save();
    EXPECT_EQ(readAll(file), "[window]\nx=-30\ny=20\nw=800\nh=600\nshow=3\n");
    WinPlacement q(file);
    EXPECT_EQ(placementOf(q), (std::array<int, 5>{-30, 20, 800, 600, 3}));
}

TEST_F(appWinPlacement, ValuesAreReadAsAtoiReadsThem) {
    std::ofstream(file) << "[window]\nx=\ny=abc\nw= 42px\nh=-17\nshow=+5\n";
    WinPlacement p(file);
    // x empty: the default (0); y no number: 0, not the default; w: blanks
    // skipped, digits up to the first other byte.
    EXPECT_EQ(placementOf(p), (std::array<int, 5>{0, 0, 42, -17, 5}));
    std::ofstream(file) << "[window]\nw=\nh=99999999999999\n";
    p.load();
    EXPECT_EQ(p.getWidth(), 1600);         // empty: the default
    EXPECT_EQ(p.getHeight(), 2147483647);  // beyond int: clamped
    EXPECT_EQ(p.geti("window", "missing", -4), -4);
}

TEST_F(appWinPlacement, OtherSectionsAndKeysAreLeftAlone) {
    std::ofstream(file) << "; settings\n[app]\ntheme=dark\n\n[window]\nx=5\nextra=keep\n";
    WinPlacement p(file);
    EXPECT_EQ(p.getX(), 5);
    EXPECT_EQ(p.get("app", "theme", "light"), "dark");
    EXPECT_EQ(p.get("app", "font", "mono"), "mono");
    p.put("app", "font", "sans");
    p.puti("app", "size", -12);
    p.save();
    EXPECT_EQ(
        readAll(file),
        "; "
        "settings\n[app]\ntheme=dark\nfont=sans\nsize=-12\n\n[window]\nx=5\nextra=keep\ny=0\nw=1600\nh=900\n"
        "show=1\n");
    EXPECT_EQ(p.geti("app", "size", 0), -12);
}

}  // namespace
