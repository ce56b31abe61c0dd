// End to end: text typed through the X server into the edit fields of a real
// window (edit_app.cpp). The keyboard layout is US international, which
// types ü and ß with AltGr. Chords are typed whole (xdotool presses and
// releases them at once): the modifiers count as they were with the key.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app_process.h"
#include "tests/res/test_files.h"
#include "tests/support/test_font.h"
#include "tests/support/x_display.h"

namespace {

using namespace std::chrono_literals;
using koui::test::xdo;
namespace fs = std::filesystem;

TEST(e2eEdit, TypeEraseSelectCopyAndPasteIntoTheNextField) {
    KOUI_REQUIRE_XDOTOOL();
    if (std::system("setxkbmap -layout us -variant intl >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no setxkbmap";
    struct Restore {
        ~Restore() { (void)std::system("setxkbmap -layout us"); }
    } restore;
    const koui::test::TempDir tmp("e2e_edit");
    fs::create_directories(tmp.path() / "resdata/Fonts");
    fs::copy_file(fs::path(KOUI_SOURCE_DIR) / "tests/e2e/data/edit.kor", tmp.path() / "resdata/res.kor");
    fs::copy_file(koui::test::kTestFontPath, tmp.path() / "resdata/Fonts/test.ttf");
    koui::test::AppProcess app;
    ASSERT_TRUE(
        app.start({KOUI_E2E_EDIT_APP, "--res", (tmp.path() / "resdata").string()}, tmp.path().string()) &&
        app.waitPrefix("drawn", 10s));
    ASSERT_TRUE(xdo("windowfocus --sync " + koui::test::xdoOutput("search --sync --name '^edit-e2e$'")));
    // Each step's keys, then the line the application reports after them.
    const std::pair<std::string, std::string> steps[] = {
        {"type --delay 30 'Grüßen'", "field first 8 0 0 1 Grüßen"},
        {"key BackSpace", "field first 7 0 0 1 Grüße"},
        {"key shift+Left", "field first 6 7 6 1 Grüße"},
        {"key ctrl+a", "field first 6 0 7 1 Grüße"},
        {"key ctrl+c End", "field first 7 0 0 1 Grüße"},
        {"key Tab", "field second 0 0 0 1 "},
        {"key ctrl+v", "field second 7 0 0 1 Grüße"},
    };
    for (const auto& [keys, line] : steps) {
        size_t at = 0, before = app.lines().size();  // earlier lines do not count
        ASSERT_TRUE(xdo(keys)) << keys;
        if (!app.waitFor([&](const std::string& l) { return at++ >= before && l == line; }, 10s)) {
            // What the application reported instead tells a lost key from a wrong one.
            std::string seen;
            for (const std::string& l : app.lines()) seen += "\n  " + l;
            ADD_FAILURE() << "after `" << keys << "` no line \"" << line
                          << "\"; the application printed:" << seen;
        }
    }
    EXPECT_TRUE(xdo("key Escape"));
    EXPECT_EQ(app.wait(10s), 0);
}

}  // namespace
