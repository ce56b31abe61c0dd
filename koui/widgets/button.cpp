// Button: state bits to displayed index, blinking, and the pointer events
// that press, drag and click it.
#include "koui/widgets/button.h"

#include <cmath>

#include "koui/family/apptime.h"
#include "koui/host/canvas.h"

using ko::util::appGetTime;

namespace koui {

Button::Button() : touchDownTime(appGetTime()), clock(&Canvas::monotonicSeconds) {}

Button* Button::wCreate(const char* name, Div* parent, int x, int y, int cx, int cy, const char* resId,
                        const char* font, const char* icon, const char* colorSet) {
    return static_cast<Button*>(
        createClassic(new Button(), name, parent, x, y, cx, cy, resId, font, icon, colorSet));
}

Button* Button::wCreateImageButton(const char* name, Div* parent, int x, int y, const char* image) {
    return static_cast<Button*>(createImage(new Button(), name, parent, x, y, image));
}

bool Button::setCheck(bool on) {
    state = on ? state | BTN_CHECKED : state & ~uint32_t(BTN_CHECKED);
    return on;
}

Button* Button::setClickCB(std::function<void()> cb) {
    clickCB = std::move(cb);
    return this;
}

void Button::Blink(bool on, double periodMs) {
    blinking = on;
    blinkPeriod = periodMs;
    if (on) blinkStart = clock();
}

double Button::timeSinceTouchDown() {
    return appGetTime() - touchDownTime;
}

void Button::setClock(Clock c) {
    clock = c ? c : &Canvas::monotonicSeconds;
}

void Button::OnIterate(e_iterate* e) {
    uint32_t s = state;
    if (blinking && blinkPeriod > 0) {
        const double phase = std::fmod((clock() - blinkStart) * 1000.0, 2 * blinkPeriod);
        if (phase > blinkPeriod) s ^= BTN_CHECKED;
        // The frame of the next toggle, just past it (the first half includes
        // the period's end).
        const double toggleMs = (phase > blinkPeriod ? 2 * blinkPeriod : blinkPeriod) - phase + 1.0;
        if (Canvas* c = dGetCanvas()) c->requestFrame(toggleMs / 1000.0);
    }
    uint32_t index = s & (BTN_CHECKED | BTN_HIGHLIGHTED) ? 2 : s & BTN_PRESSED ? 1 : 0;
    if (IsDisabled()) index = s & BTN_CHECKED ? 4 : 3;
    currentIndex = index;
    Static::OnIterate(e);
}

bool Button::inside(const e_mtevent* e) {
    return dIsVisible() && e->pos[0] >= 0 && e->pos[0] < clientSize[0] && e->pos[1] >= 0 &&
           e->pos[1] < clientSize[1];
}

// Drags of the secondary and middle buttons reach the button too; only the
// primary one moves the pressed bit.
bool Button::primaryHeld() {
    Canvas* c = dGetCanvas();
    return c && c->pressed == this && c->pressedType == MT_LDOWN;
}

bool Button::OnMTEvent(e_mtevent* e) {
    if (IsDisabled() || e->type == MT_WHEEL) return false;
    switch (e->type) {
        case MT_LDOWN:
            touchDownTime = appGetTime();
            state |= BTN_PRESSED;
            SendMsg(MSG_PRESS, nullptr, 0, nullptr, 0, nullptr);
            break;
        case MT_MOVE:
            if (!primaryHeld()) break;
            state = inside(e) ? state | BTN_PRESSED : state & ~uint32_t(BTN_PRESSED);
            break;
        case MT_LUP:
            state &= ~uint32_t(BTN_PRESSED);
            SendMsg(MSG_RELEASE, nullptr, 0, nullptr, 0, nullptr);
            if (inside(e)) {
                SendMsg(MSG_CLICK, nullptr, 0, nullptr, 0, nullptr);
                if (clickCB) clickCB();
            }
            break;
    }
    return true;
}

}  // namespace koui
