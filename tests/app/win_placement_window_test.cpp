// WinPlacement with real windows: a placement saved when the window closes
// is used by the next start. (That a maximised window keeps its restored
// rectangle is the platform's GetWindowPlacement, checked there.)
#include "app_test_support.h"

namespace {

using namespace koui;
using namespace koui::test;
using app::WinPlacement;

class appWinPlacementWindow : public AppTest {};

TEST_F(appWinPlacementWindow, PlacementSavedAtCloseIsUsedAtTheNextStart) {
    const auto file = work->path() / "place.ini";
    { std::ofstream(file) << "[window]\nx=50\ny=60\nw=320\nh=240\nshow=1\n"; }
    WinPlacement first(file);
    // The application saves the placement when its window is asked to close.
    Opened& a = open("placed", first.getX(), first.getY(), first.getWidth(), first.getHeight(),
                     [&first](app::e_wndmsg& m) {
                         if (m.msg == WM_CLOSE) {
                             first.fill(m.hWnd);
                             first.save();
                         }
                         return false;
                     });
    ASSERT_TRUE(waitCycles(a, 1));
    HWND h = a.window->getHWnd();
    EXPECT_EQ(screenRect(h), (std::array<int, 4>{50, 60, 320, 240}));
    // The user moves and resizes the window, then closes it.
    MoveWindow(h, 110, 90, 300, 200, 1);
    ASSERT_TRUE(waitCycles(a, a.cycles + 2));
    ASSERT_EQ(closeAndPump(h), 1);

    WinPlacement next(file);
    EXPECT_EQ(placementOf(next), (std::array<int, 5>{110, 90, 300, 200, SW_SHOWNORMAL}));
    Opened& b = open("placed", next.getX(), next.getY(), next.getWidth(), next.getHeight());
    ASSERT_TRUE(waitCycles(b, 1));
    EXPECT_EQ(screenRect(b.window->getHWnd()), (std::array<int, 4>{110, 90, 300, 200}));
}

}  // namespace
