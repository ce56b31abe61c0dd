// The gallery's pages: every element of the toolkit, one page per group
// (texts and pictures, buttons, fields, containers, fader, quick menu,
// progress bars, function view, plot view), with a tab row and a status
// line, styled from "gallery.*" of the window's theme. The gallery example
// (main.cpp) and koui-preview show them.
//
// What changes is printed on standard output, one line each, which the
// end-to-end tests read: "ready gallery" once the window has drawn, "page
// fader", "level 84 progress 0.84" (the fader's value and the bar's filled
// share), "menu open", "picked green", "clicks 1".
//
// Threads: build, show and page on the window's GL thread.
#pragma once

#include <memory>
#include <string>

#include "koui/koui.h"

namespace gallery {

constexpr int kPageCount = 9;
// "texts" ... "plot"; `index` from 0 to kPageCount - 1.
const char* pageName(int index);
// The index of a page's name, -1 for any other.
int pageIndex(const std::string& name);

// What the user changed; a window opened on another theme starts from it.
struct State {
    int page = 0;
    double level = 64;
    int clicks = 0;
    std::string picked = "nothing yet";
    // The status line's last part: what the window's own keys do. Windows
    // that cannot switch themes say how to turn the pages instead.
    std::string keysHint = "T: switch theme";
};
inline constexpr const char* kPageKeysHint = "1-9, Page Up/Down: change page";

// "WHAT VALUE" on standard output, flushed.
void say(const char* what, const std::string& value);

class Pages {
public:
    virtual ~Pages() = default;
    // Shows page `index` (taken modulo the page count) and gives the window
    // the keys.
    virtual void show(int index) = 0;
    virtual int page() const = 0;
    // 1..9, PageUp and PageDown change the page; true when `k` was one.
    bool pageKey(const koui::KeyPress& k);
};

// Builds the pages under `root`, showing `state.page`; `state` must outlive
// the tree.
std::unique_ptr<Pages> build(koui::Div& root, State& state);

}  // namespace gallery
