// The gallery played with through the X server: keys change the page, a
// drag of the fader's thumb moves the progress bars, the button counts, a
// quick-menu pick changes the label, T opens the other theme's window. The
// gallery prints its state as it changes (examples/gallery/gallery.h). And
// koui-preview on a theme being edited.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/e2e/app_process.h"
#include "tests/res/test_files.h"
#include "tests/support/x_display.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kWait = 10s;

TEST(GalleryE2e, PagesFaderButtonMenuAndThemeSwitch) {
    KOUI_REQUIRE_XDOTOOL();
    const koui::test::TempDir tmp("gallery_e2e");
    koui::test::AppProcess app;
    ASSERT_TRUE(
        app.start({KOUI_GALLERY_APP, "--placement", (tmp.path() / "place.ini").string()}, tmp.path()));
    ASSERT_TRUE(app.waitFor([](const std::string& l) { return l == "ready gallery"; }, kWait));
    std::string xid;
    for (int i = 0; i < 100 && xid.empty(); ++i, std::this_thread::sleep_for(50ms))
        xid = koui::test::xdoOutput("search --name '^gallery$'");
    ASSERT_FALSE(xid.empty()) << "window not found by xdotool";
    ASSERT_TRUE(koui::test::xdo("windowfocus --sync " + xid));

    // Window coordinates; a page starts 44 pixels down. The fader's thumb
    // is 16 pixels wide on a 318-pixel track: 302 pixels for 0..100, 64 at
    // pixel 193; 60 pixels to the right is pixel 253, 83.8. The window
    // reads the pointer's place once a cycle, so a move needs a cycle before
    // the release.
    const std::string at = "mousemove --window " + xid + " ";
    // Waits for `line` among those printed after the first `skip`.
    auto printed = [&app](const std::string& line, size_t skip) {
        size_t index = 0;
        return app.waitFor([&](const std::string& l) { return index++ >= skip && l == line; }, kWait)
            .has_value();
    };
    const struct {
        std::string input, expect;
    } steps[] = {
        {"key Next", "page buttons"},
        {"key Prior", "page texts"},
        {"key 5", "page fader"},
        {at + "221 116 mousedown 1 sleep 0.2 " + at + "281 116 sleep 0.2 mouseup 1",
         "level 84 progress 0.84"},
        {at + "111 21 click 1", "page buttons"},  // the tab row (the fader kept the keys)
        {at + "100 111 click 1", "clicks 1"},
        {"key 6", "page menu"},
        {at + "100 150 click 3", "menu open"},
        {at + "120 186 click 1", "picked green"},
        {"key t", "theme light"},
    };
    for (const auto& step : steps) {
        const size_t before = app.lines().size();
        ASSERT_TRUE(koui::test::xdo(step.input)) << step.input;
        if (printed(step.expect, before)) continue;
        std::string seen;
        for (const auto& l : app.lines()) seen += l + "\n";
        FAIL() << step.input << " gave no \"" << step.expect << "\"; printed:\n" << seen;
    }
    // The light window opens, then the dark one closes; Escape ends the
    // light one and with it the program.
    ASSERT_TRUE(printed("ready gallery", 1));
    std::string next;
    for (int i = 0; i < 100 && (next.empty() || next == xid || next.find('\n') != next.npos);
         ++i, std::this_thread::sleep_for(50ms))
        next = koui::test::xdoOutput("search --name '^gallery$'");
    ASSERT_TRUE(koui::test::xdo("windowfocus --sync " + next + " key Escape"));
    EXPECT_EQ(app.wait(kWait), 0);
}

#ifdef KOUI_PREVIEW_APP
// A faulty save shows koui-check's error and keeps the last good look (its
// new background is not taken); the corrected save is taken.
TEST(GalleryE2e, PreviewShowsTheErrorAndKeepsTheLastGoodLook) {
    KOUI_REQUIRE_DISPLAY();
    namespace fs = std::filesystem;
    const koui::test::TempDir tmp("preview_e2e");
    const fs::path theme = tmp.path() / "theme", kor = theme / "res.kor";
    fs::copy(fs::path(KOUI_GALLERY_APP).parent_path() / "themes/dark", theme, fs::copy_options::recursive);
    std::string text;
    {
        std::ifstream in(kor);
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    koui::test::AppProcess app;
    ASSERT_TRUE(
        app.start({KOUI_PREVIEW_APP, "--res", theme.string(), "--placement", (tmp.path() / "p.ini").string()},
                  tmp.path()));
    auto printed = [&app](const std::string& line, size_t skip, std::chrono::milliseconds wait = kWait) {
        size_t index = 0;
        return app.waitFor([&](const std::string& l) { return index++ >= skip && l == line; }, wait)
            .has_value();
    };
    ASSERT_TRUE(printed("check 0 errors, 0 warnings", 0));
    ASSERT_TRUE(printed("look 23 26 31", 0));  // #171a1f

    text.replace(text.find("back: #171a1f"), 13, "back: #202020");
    size_t before = app.lines().size();
    std::ofstream(kor, std::ios::trunc) << text << "oops {\n";
    ASSERT_TRUE(app.waitFor([](const std::string& l) { return l.starts_with("check 2 errors"); }, kWait));
    EXPECT_TRUE(
        app.waitFor([](const std::string& l) { return l.ends_with(": Closing bracket missing\""); }, kWait));
    EXPECT_FALSE(printed("look 32 32 32", before, 1500ms));

    before = app.lines().size();
    std::ofstream(kor, std::ios::trunc) << text;
    EXPECT_TRUE(printed("check 0 errors, 0 warnings", before));
    EXPECT_TRUE(printed("look 32 32 32", before));
}
#endif

}  // namespace
