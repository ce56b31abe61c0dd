// End to end: a real click from the X server on a button in a real window
// (widgets_app.cpp) reaches the button's parent as press, release and click
// messages and runs the click callback once.
#include <gtest/gtest.h>

#include "app_process.h"
#include "tests/res/test_files.h"
#include "tests/support/x_display.h"

TEST(e2eWidgets, ClickedButtonTellsItsParentAndCallsBack) {
    using namespace std::chrono_literals;
    KOUI_REQUIRE_XDOTOOL();
    const koui::test::TempDir dir("e2e_widgets");
    koui::test::AppProcess app;
    ASSERT_TRUE(app.start({KOUI_E2E_WIDGETS_APP}, dir.path().string()));
    ASSERT_TRUE(app.waitPrefix("drawn", 10s));
    const std::string xid = koui::test::xdoOutput("search --sync --name '^e2e-widgets$'");
    ASSERT_TRUE(koui::test::xdo("mousemove --sync --window " + xid + " 100 60 click 1"));
    ASSERT_TRUE(app.waitPrefix("click", 10s));
    std::vector<std::string> seen;  // without the library's messages
    for (const std::string& l : app.lines())
        if (l.rfind("msg ", 0) == 0 || l == "click") seen.push_back(l);
    EXPECT_EQ(seen, (std::vector<std::string>{"msg 1010", "msg 1011", "msg 1000", "click"}));
}
