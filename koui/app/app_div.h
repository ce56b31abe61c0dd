// koui::app::AppDiv: the base of an application's main element, the one that
// fills a window and stands for the application inside it.
//
// It is an ordinary element that takes the focus when made or pressed,
// swallows every pointer event (nothing behind it sees one) and every key,
// and adds three hooks that the window procedure calls on the window thread
// for raw window messages: OnWndMsg (may claim any message), OnNCHitTest
// (may answer the hit test, e.g. HTCAPTION to drag a borderless window by a
// region) and OnWndGetMinMaxInfo (may impose size limits). The window
// recognises it by its base class name "koui::app::AppDiv", which every
// subclass keeps.
//
// Threads: the three hooks run on the window thread, everything else on the
// GL thread; a subclass that shares state between them guards it itself.
// postWindowMsg is how code on the GL thread makes the window thread act
// (for example close the window), as the GL thread must never wait for it.
//
// Copying: elements are not copyable (each belongs to one tree), so neither
// is this class.
#pragma once

#include "koui/app/e_wndmsg.h"
#include "koui/export.h"
#include "koui/host/log_obj.h"
#include "koui/ui/div.h"

namespace koui::app {

class Window;

class KOUI_API AppDiv : public koui::Div, public ko::log::Obj {
public:
    AppDiv() = default;

    const char* dGetClass() override { return "koui::app::AppDiv"; }
    const char* dGetBaseClass() override { return "koui::app::AppDiv"; }
    const char* logObjName() override { return "koui::app::AppDiv"; }

    void OnCreate() override;
    bool OnMsg(e_msg* m) override;
    void OnDraw(e_draw* e) override;
    void OnPostDraw(e_draw* e) override;
    bool OnMTEvent(e_mtevent* e) override;
    bool OnKeyEvent(e_keyevent* e) override;
    bool OnCharEvent(e_charevent* e) override;
    bool OnSetFocus(Div* previous) override;
    bool OnKillFocus(Div* next) override;

    // Window hooks (window thread).
    virtual bool OnWndMsg(e_wndmsg& m);
    // x, y: pointer relative to the window's top-left corner; w, h: the
    // window's outer size. -2 leaves the decision to the default handling.
    virtual win32::LRESULT OnNCHitTest(int x, int y, int w, int h);
    virtual bool OnWndGetMinMaxInfo(win32::MINMAXINFO* info);

    void setWindow(Window* w) { window = w; }
    Window* getWindow() { return window; }
    // Posts a message to the window (never waits); false without a window.
    bool postWindowMsg(win32::UINT msg, win32::WPARAM wParam, win32::LPARAM lParam);

protected:
    // Loads the fixed-function model-view matrix with clientMat, so that
    // a subclass can draw in client coordinates.
    void loadClientMatrix();

private:
    Window* window = nullptr;
};

}  // namespace koui::app
