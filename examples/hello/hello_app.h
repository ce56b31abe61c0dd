// The application element of the hello example and its one active child.
//
// HelloApp fills the window. Its look, and the place of every panel, comes
// from the style "hello.app" in resdata/res.kor: the application element
// draws its background and runs its arrangement program, which writes the
// title and moves the four panels into place. The panels are plain elements
// with styles of their own; only the close panel has behaviour.
#pragma once

#include "koui/app/app_div.h"

namespace hello {

class HelloApp : public koui::app::AppDiv {
public:
    // Takes the focus (AppDiv's) and makes the panels.
    void OnCreate() override;
};

// Closes the window when it is clicked: it accepts the press, and a release
// inside it posts WM_CLOSE to the window through the application element,
// since element code runs on the GL thread and must not call into the
// window synchronously.
class CloseBox : public koui::Div {
public:
    explicit CloseBox(koui::app::AppDiv* app) : app_(app) {}
    bool OnMTEvent(koui::e_mtevent* e) override;

private:
    koui::app::AppDiv* app_;
};

}  // namespace hello
