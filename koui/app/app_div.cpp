// AppDiv: the element behaviour and the window hooks' defaults.
#include "koui/app/app_div.h"

#include <GL/glew.h>

#include <glm/gtc/type_ptr.hpp>

#include "koui/app/window.h"
#include "koui/host/canvas.h"
#include "koui/platform/message_queue.h"

using namespace koui::win32;

namespace koui::app {

namespace {
constexpr LRESULT kHitTestDefault = -2;
}

void AppDiv::OnCreate() {
    dSetFocus();
}

bool AppDiv::OnMsg(e_msg*) {
    return true;
}

void AppDiv::OnDraw(e_draw* e) {
    // Div's handler is the element's own look: drawBackground() and then
    // UIArrange(); calling it keeps one place that decides how they combine.
    Div::OnDraw(e);
    loadClientMatrix();
}

void AppDiv::OnPostDraw(e_draw*) {
    loadClientMatrix();
}

void AppDiv::loadClientMatrix() {
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(glm::value_ptr(clientMat));
}

bool AppDiv::OnMTEvent(e_mtevent* e) {
    if (e && e->type == MT_LDOWN) dSetFocus();
    return true;
}

bool AppDiv::OnKeyEvent(e_keyevent*) {
    return true;
}

bool AppDiv::OnCharEvent(e_charevent*) {
    Canvas* c = dGetCanvas();
    return c && c->focus == this;
}

bool AppDiv::OnSetFocus(Div*) {
    return true;
}

bool AppDiv::OnKillFocus(Div*) {
    return true;
}

bool AppDiv::OnWndMsg(e_wndmsg&) {
    return false;
}

LRESULT AppDiv::OnNCHitTest(int, int, int, int) {
    return kHitTestDefault;
}

bool AppDiv::OnWndGetMinMaxInfo(MINMAXINFO*) {
    return false;
}

bool AppDiv::postWindowMsg(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (!window) return false;
    PostMessageA(window->getHWnd(), msg, wParam, lParam);
    return true;
}

}  // namespace koui::app
