// koui::AppWindow: a window opened by koui::App (app.h), with its typed
// callbacks, and koui::onClick, the click callback of any element in it.
//
// The App owns its AppWindow objects and they live until the App goes; a
// closed window's handle stays valid (isOpen() false). The element tree is
// the window's: its root is an application element (koui::app::AppDiv) made
// by the window with WindowConfig::style, and every element added below it is
// owned by the tree (koui::add, koui/ui/add.h).
//
// Clicks. An element's click is a primary press and release both on it,
// where no element in front of it took the press (an element that takes
// presses itself, such as a button, gets its click when it is the one
// pressed). Only the front-most element under the press that has a click
// callback gets it; it runs on the GL thread after the release has been
// delivered.
//
// Keys reach the onKey callback when the root has the focus, which it takes
// when made and when pressed; an element that keeps the focus (an edit
// field) keeps its keys. Escape closes the window before any element sees
// it (the window's own rule), so it never arrives here, except while a
// pop-up is open: then it goes to the pop-up, which closes.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "koui/export.h"

namespace koui {

class App;
class Div;
class Canvas;

namespace app {
class Window;
struct e_wndmsg;
}  // namespace app

// What App::open makes: `{"hello", 760, 372, "hello.app"}`, then the
// fields below the constructor for what is less common.
struct KOUI_API WindowConfig {
    WindowConfig(std::string name_, int width_, int height_, std::string style_ = {})
        : name(std::move(name_)), width(width_), height(height_), style(std::move(style_)) {}

    std::string name;  // the title, and the key of the placement file
    int width;
    int height;
    std::string style;      // style path of the root element ("hello.app")
    std::string resources;  // folder or archive; empty: the application's folder
    bool keepPlacement = true;
    // Draw only when something changed (app::Window::setDrawOnDemand): an
    // unchanged window then costs no CPU. Off: a frame every refresh, as
    // before. Work given to AppWindow::post wakes the window either way.
    // KOUI_DRAW_ON_DEMAND=0 or =1 in the environment overrides it for every
    // window of the program.
    bool drawOnDemand = false;
};

// A key press that reached the root element.
struct KOUI_API KeyPress {
    int key = 0;  // a key code of koui::keys, or 'A'..'Z', '0'..'9'
    int ch = 0;   // the character the key maps to, 0 when none
    bool ctrl = false, shift = false, alt = false;
};

namespace keys {
enum : int {
    kBackspace = 0x08,
    kTab = 0x09,
    kEnter = 0x0D,
    kSpace = 0x20,
    kPageUp = 0x21,
    kPageDown = 0x22,
    kEnd = 0x23,
    kHome = 0x24,
    kLeft = 0x25,
    kUp = 0x26,
    kRight = 0x27,
    kDown = 0x28,
    kInsert = 0x2D,
    kDelete = 0x2E,
    kF1 = 0x70,  // kF1 + n - 1 for Fn
};
}  // namespace keys

// Gives `element` a click callback (replacing one it had). GL thread; the
// element keeps the callback, so it goes with the element.
KOUI_API void onClick(Div& element, std::function<void()> fn);

class KOUI_API AppWindow {
public:
    using BuildCallback = std::function<void(Div& root)>;
    using KeyCallback = std::function<bool(const KeyPress& key)>;  // true: handled
    using CloseCallback = std::function<bool()>;                   // false keeps the window open

    ~AppWindow();
    AppWindow(const AppWindow&) = delete;
    AppWindow& operator=(const AppWindow&) = delete;

    const std::string& name() const { return config_.name; }
    // Any thread.
    void onKey(KeyCallback fn);
    void onClose(CloseCallback fn);
    // Runs `fn` on the window's GL thread at the start of its next cycle,
    // before that cycle's input. Dropped when the window has closed.
    void post(std::function<void()> fn);
    void close();
    bool isOpen() const { return open_.load(); }

    // The window class underneath, for what this layer does not cover.
    app::Window& window() { return *window_; }
    // The root element; GL thread, null before the build and after the end.
    Div* root() { return root_; }

private:
    friend class App;
    class Root;
    AppWindow(App& app, WindowConfig config, BuildCallback build, int index);
    bool create(const std::string& resources, const std::string& placement);
    void onUiEvent(const std::string& event);
    bool onWndMsg(app::e_wndmsg& m);
    void build(Canvas& canvas);
    void watchClicks(Canvas& canvas);
    void runPosted();
    bool key(const KeyPress& k);

    App& app_;
    WindowConfig config_;
    BuildCallback build_;
    int index_;  // 0 for the first window of the App
    std::unique_ptr<app::Window> window_;
    std::string placement_;  // empty: not kept
    std::atomic<bool> open_{false};
    Div* root_ = nullptr;  // GL thread
    int cycles_ = 0;       // GL thread
    // Press state of the click recognition, GL thread: the element that
    // will get the click if the release is on it too.
    Div* clickCandidate_ = nullptr;
    std::mutex lock_;  // guards the callbacks and the posted work
    KeyCallback onKey_;
    CloseCallback onClose_;
    std::vector<std::function<void()>> posted_;
};

}  // namespace koui
