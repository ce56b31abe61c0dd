// koui::Button: a push and toggle button.
//
// It keeps three state bits (pressed, highlighted, checked) and turns them
// every iterate into `currentIndex`, so that Static's drawing shows the
// state's image: the classic image set's image, the style image's version,
// or, for an image button, the picture's version.
//
//   index  shown when
//   0      normal
//   1      pressed
//   2      checked or highlighted (wins over pressed)
//   3      disabled
//   4      disabled and checked
//
// The pressed bit follows the pointer while the primary button is held:
// dragging out shows the normal look, dragging back the pressed look, and
// only a release inside counts as a click. The canvas hands the button the
// drags of every pointer button whose press it accepted; those of the
// secondary and middle buttons leave the pressed bit alone, or a secondary
// press dragged over the button would leave it looking pressed for good.
//
// The parent hears of each step (SendMsg, no receiver): MSG_PRESS on the
// primary press, MSG_RELEASE on the primary release, MSG_CLICK after a
// release inside, and then the click callback runs. A disabled button
// declines every pointer event, so that they reach what lies behind it; an
// enabled one accepts all but the wheel, also the secondary and middle
// buttons, which change nothing. The highlighted bit is never set by the
// button itself; subclasses and callers manage it. The checked bit changes
// only through setCheck.
//
// Blinking alternates the checked look (display only; `state` keeps its
// bits) every `blinkPeriod` milliseconds, starting with the true look at
// Blink(true, ...). Its time comes from `clock` (seconds of a monotonic
// counter), which tests replace to step time without waiting.
//
// Threads: the GL thread of the window, like every element.
#pragma once

#include <cstdint>
#include <functional>

#include "koui/export.h"
#include "koui/widgets/static.h"

namespace koui {

class KOUI_API Button : public Static {
public:
    enum : uint32_t { BTN_PRESSED = 0x1, BTN_HIGHLIGHTED = 0x2, BTN_CHECKED = 0x4 };
    using Clock = double (*)();

    Button();

    // As Static::wCreate and Static::wCreateImage; an image button's picture
    // shows the version of the button's state.
    static Button* wCreate(const char* name, Div* parent, int x, int y, int cx, int cy, const char* resId,
                           const char* font, const char* icon, const char* colorSet);
    static Button* wCreateImageButton(const char* name, Div* parent, int x, int y, const char* image);

    const char* dGetClass() override { return "koui::Button"; }
    void OnIterate(e_iterate* e) override;
    bool OnMTEvent(e_mtevent* e) override;

    bool isPressed() { return (state & BTN_PRESSED) != 0; }
    bool isHighilghted() { return (state & BTN_HIGHLIGHTED) != 0; }
    bool isChecked() { return (state & BTN_CHECKED) != 0; }
    // Sets or clears the checked bit; returns the new value.
    bool setCheck(bool on);
    Button* setClickCB(std::function<void()> cb);
    void Blink(bool on, double periodMs);
    bool isBlinking() { return blinking; }
    // Seconds since the last primary press (appGetTime).
    double timeSinceTouchDown();
    // Replaces the blink clock (null restores the default).
    void setClock(Clock c);

    // Fields, after Static's, in declaration order.
    uint32_t state = 0;
    double touchDownTime;
    std::function<void()> clickCB;
    bool blinking = false;
    double blinkPeriod = 500.0;  // milliseconds; half the blink's cycle
    double blinkStart = 0;       // seconds of `clock`
    Clock clock;

private:
    bool inside(const e_mtevent* e);
    bool primaryHeld();
};

}  // namespace koui
