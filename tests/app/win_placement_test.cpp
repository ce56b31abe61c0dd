// WinPlacement and the profile file it writes.
#include "koui/app/win_placement.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "koui/platform/win32_names.h"
#include "tests/res/test_files.h"
#include "tests/support/appmsg_capture.h"

namespace {

// Fitting to a monitor is checked with the windows; these tests run without
// a display wherever they are started, so that their figures hold.
const bool withoutDisplay = [] {
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    return true;
}();

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
    std::ofstream(file) << "[window]\nx=\ny=abc\nw= 42px\nh=17\nshow=+5\n";
    WinPlacement p(file);
    // x empty: the default (0); y no number: 0, not the default; w: blanks
    // skipped, digits up to the first other byte.
    EXPECT_EQ(placementOf(p), (std::array<int, 5>{0, 0, 42, 17, 5}));
    EXPECT_EQ(p.geti("window", "missing", -4), -4);
    EXPECT_EQ(p.geti("window", "big", 0), 0);
    p.put("window", "big", "-99999999999999");
    EXPECT_EQ(p.geti("window", "big", 0), INT32_MIN);  // beyond int: clamped
}

// Without a display (see the top of the file) only the window limits hold:
// sizes up to 8192 and positions within +-16384. A placement that makes no
// sense is ignored with a warning naming the file.
TEST_F(appWinPlacement, DamagedPlacementsAreBoundedOrIgnored) {
    struct Case {
        const char* keys;
        std::array<int, 5> expected;
        bool warned;
    };
    const Case cases[] = {
        {"x=-2147483648\nw=2147483647\nh=2147483647", {-16384, 0, 8192, 8192, 1}, false},
        {"x=16000\ny=99999999999\nw=900\nh=30\nshow=0", {15484, 16354, 900, 30, 0}, false},
        {"w=0", {0, 0, 1600, 900, 1}, true},
        {"x=7\nh=-17", {0, 0, 1600, 900, 1}, true},
        {"show=11", {0, 0, 1600, 900, 1}, true},
    };
    for (const Case& c : cases) {
        std::ofstream(file) << "[window]\n" << c.keys << "\n";
        test::AppMsgCapture log;
        WinPlacement p(file);
        EXPECT_EQ(placementOf(p), c.expected) << c.keys;
        EXPECT_EQ(log.contains(file.string() + ": the window placement"), c.warned) << c.keys;
    }
    test::AppMsgCapture log;
    std::ofstream(file) << "[window]\nw=0\n";
    WinPlacement p(file);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"[WARNING] " + file.string() +
                                       ": the window placement x=0 y=0 w=0 h=900 show=1 makes no sense; "
                                       "the defaults are used"});
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
