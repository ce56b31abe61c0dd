// koui::SEdit: the simple text field of the classic styling.
//
// The application fills its fixed text buffer with printf-style calls. The
// field shows the text with the element's classic formatted font (Static's
// `fmtFont`) in the element's text colour (`textColor`, from its style),
// or, when that colour is fully transparent, in the formatted font's own
// colour: a field of the classic styling has no style and so no text
// colour, and its text must still show. It marks focus with a pulsing white
// frame and a caret after the text, and reacts to input only by taking the
// focus on a press (MSG_CLICK to the parent), emptying its text at the
// first key after the focus came, and announcing Tab (MSG_SEDIT_TAB to the
// parent). It inserts no typed characters, and keys are never consumed, so
// that the canvas and the application still see them. A field without a
// formatted font blinks a faint red box instead of any text, whether or not
// it has the focus, so that a missing font definition is seen.
//
// Buffers. `textBuf` and `savedBuf` hold kBufferSize bytes each, owned by
// the field. A formatted text longer than kBufferSize - 1 bytes is cut
// there instead of running past the buffer. `savedBuf` receives the text
// whenever the field gains the focus; nothing here reads it back (restoring
// it, on Escape say, is the application's).
//
// The pulse (frame, caret and the red blink) changes every half second of
// `clock` (seconds of appGetTime by default), which tests replace to step
// time without waiting.
//
// Threads: the GL thread of the window, like every element.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "koui/export.h"
#include "koui/widgets/static.h"

namespace koui {

// Message to the parent when Tab is pressed in a field.
enum : uint32_t { MSG_SEDIT_TAB = 2002 };

class KOUI_API SEdit : public Static {
public:
    static constexpr size_t kBufferSize = 65536;
    using Clock = double (*)();

    SEdit();

    // As Static::wCreate.
    static SEdit* wCreate(const char* name, Div* parent, int x, int y, int cx, int cy, const char* resId,
                          const char* font, const char* icon, const char* colorSet);

    const char* dGetClass() override { return "koui::SEdit"; }
    void OnDraw(e_draw* e) override;
    bool OnMTEvent(e_mtevent* e) override;
    bool OnKeyEvent(e_keyevent* e) override;

    // printf-style text into the buffer; true.
    bool SetText(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    // The same, but false and nothing changed while the field has the focus.
    bool SetText_IfNotFocused(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    char* GetText() { return textBuf; }
    // Takes the focus as a press does, without the message.
    void setFocus();
    // Replaces the pulse clock (null restores the default).
    void setClock(Clock c);

    // Fields, after Static's, in declaration order.
    char* textBuf;   // kBufferSize bytes, owned (`buffers_`)
    char* savedBuf;  // kBufferSize bytes, owned
    int32_t keyCount = 0;
    double focusTime = 0;
    Clock clock;

private:
    void format(const char* fmt, va_list args) __attribute__((format(printf, 2, 0)));
    // Asks the canvas for the frame of the pulse's next toggle when `shown`.
    void requestPulseFrame(bool shown);

    std::unique_ptr<char[]> buffers_;  // both buffers, zero-filled
};

}  // namespace koui
