// SEdit: the fixed text buffers, the focus pulse, and the press and keys
// that take the focus and replace the text.
#include "koui/widgets/sedit.h"

#include <GL/glew.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <glm/gtc/type_ptr.hpp>

#include "koui/family/apptime.h"
#include "koui/family/kox_rect.h"
#include "koui/host/canvas.h"
#include "koui/rm/rmfmtfont.h"

using namespace ko::gl;

namespace koui {

namespace {
constexpr int kTab = 9;
}  // namespace

SEdit::SEdit() : clock(&ko::util::appGetTime), buffers_(new char[2 * kBufferSize]()) {
    textBuf = buffers_.get();
    savedBuf = textBuf + kBufferSize;
}

SEdit* SEdit::wCreate(const char* name, Div* parent, int x, int y, int cx, int cy, const char* resId,
                      const char* font, const char* icon, const char* colorSet) {
    return static_cast<SEdit*>(
        createClassic(new SEdit(), name, parent, x, y, cx, cy, resId, font, icon, colorSet));
}

void SEdit::format(const char* fmt, va_list args) {
    textBuf[0] = 0;
    if (fmt) std::vsnprintf(textBuf, kBufferSize, fmt, args);
}

bool SEdit::SetText(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    format(fmt, args);
    va_end(args);
    return true;
}

bool SEdit::SetText_IfNotFocused(const char* fmt, ...) {
    if (dHasFocus()) return false;
    va_list args;
    va_start(args, fmt);
    format(fmt, args);
    va_end(args);
    return true;
}

void SEdit::setFocus() {
    std::memcpy(savedBuf, textBuf, std::strlen(textBuf) + 1);
    dSetFocus();
    focusTime = clock();
    keyCount = 0;
}

void SEdit::setClock(Clock c) {
    clock = c ? c : &ko::util::appGetTime;
}

void SEdit::OnDraw(e_draw*) {
    drawBackground();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(glm::value_ptr(clientMat));
    const int w = static_cast<int>(clientSize[0]), h = static_cast<int>(clientSize[1]);
    const bool bright = std::fmod(clock(), 1.0) > 0.5;
    const bool focused = dHasFocus();
    const float pulse[4] = {1, 1, 1, bright ? 0.6f : 0.4f};
    if (focused) {
        glColor4fv(pulse);
        koxGL_DrawRect(0, 0, w, h);
    }
    if (!fmtFont) {
        if (bright) koxGL_FillRect(0, 0, w, h, 1, 0, 0, 0.1);
        requestPulseFrame(true);
        return;
    }
    if (textColor[3] > 0)
        fmtFont->WriteEx(1.0, -2.0, 1.0, 0, textColor, "%s", textBuf);
    else
        fmtFont->WriteEx(1.0, -2.0, 1.0, 0, "%s", textBuf);
    if (focused) koxGL_FillRect(fmtFont->getTextExtent(textBuf, -1), 0, 2.0, h, pulse);
    requestPulseFrame(focused);
}

// The pulse shows only while focused (the box, the caret) or without a
// font (the red wash); either way it wants the frame of its next toggle,
// just past the half second.
void SEdit::requestPulseFrame(bool shown) {
    Canvas* c = dGetCanvas();
    if (!shown || !c) return;
    const double phase = std::fmod(clock(), 0.5);
    c->requestFrame(0.5 - phase + 0.001);
}

bool SEdit::OnMTEvent(e_mtevent* e) {
    if (IsDisabled()) return false;
    if (e->type == MT_LDOWN) {
        setFocus();
        SendMsg(MSG_CLICK, nullptr, 0, nullptr, 0, nullptr);
    }
    return true;
}

bool SEdit::OnKeyEvent(e_keyevent* e) {
    if (e->key == kTab) {
        SendMsg(MSG_SEDIT_TAB, nullptr, 0, nullptr, 0, nullptr);
        return false;
    }
    if (keyCount == 0) textBuf[0] = 0;
    ++keyCount;
    return false;
}

}  // namespace koui
