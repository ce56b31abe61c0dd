// Fader: the pixel/value mapping, the per-cycle change report, the thumb and
// tick drawing, dragging and the keys.
#include "koui/widgets/fader.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <glm/gtc/type_ptr.hpp>
#include <utility>

#include "koui/res/instance.h"

namespace koui {

namespace {
enum : int { VK_TAB = 9, VK_END = 35, VK_HOME = 36, VK_LEFT = 37, VK_RIGHT = 39 };
}  // namespace

Fader::~Fader() {
    changeCB = nullptr;
}

double Fader::clampValue(double v) const {
    if (v > maxValue) return maxValue;
    if (minValue > v) return minValue;
    return v;
}

double Fader::snapped(double v) const {
    if (!stepSet || !(step > 0)) return v;
    return clampValue(minValue + std::round((v - minValue) / step) * step);
}

Fader* Fader::setRange(double min, double max) {
    minValue = min;
    maxValue = max;
    return this;
}

Fader* Fader::setValue(double v) {
    value = clampValue(v);
    thumbPos = Real2Pix(value);
    return this;
}

Fader* Fader::setStep(double s) {
    step = s;
    stepSet = true;
    return this;
}

Fader* Fader::setChangeCB(std::function<void(double)> cb) {
    changeCB = std::move(cb);
    return this;
}

Fader* Fader::setThumbPos(int p) {
    thumbPos = std::clamp(p, trackStart, std::max(trackStart, trackEnd));
    value = clampValue(Pix2Real(thumbPos));
    return this;
}

int Fader::Real2Pix(double v) const {
    double range = maxValue - minValue;
    if (trackLength() < 1 || range == 0) return 0;
    int p = static_cast<int>((v - minValue) * trackLength() / range);
    if (p > trackEnd) return trackEnd;
    return std::max(p, trackStart);
}

double Fader::Pix2Real(int p) const {
    double range = maxValue - minValue;
    if (trackLength() < 1 || range == 0) return minValue;
    return clampValue((p - trackStart) * range / trackLength() + minValue);
}

void Fader::OnIterate(e_iterate*) {
    if (thumbImage.isValid()) {
        thumbW = std::clamp(thumbWidth, 8, 32);
        trackEnd = static_cast<int>(clientSize[0]) - thumbW;
        thumbH = static_cast<int>(clientSize[1]);
        trackStart = 0;
    }
    if (value != notifiedValue) {
        if (changeCB) changeCB(value);
        notifiedValue = value;
    }
    if (!dragging) thumbPos = Real2Pix(value);
}

void Fader::drawTicks(float alpha) {
    int sep = std::clamp(tickSeparation, 2, 100);
    int h = static_cast<int>(clientSize[1]);
    // Whole pixels: the ticks sit on the same rows whatever the height's parity.
    const int mid = h / 2, half = tickHeight / 2;
    float y0 = static_cast<float>(mid - half), y1 = static_cast<float>(mid + half);
    dApplyToGL(false);
    glColor4f(tickColor[0], tickColor[1], tickColor[2], tickColor[3] * alpha);
    glBegin(GL_LINES);
    // Through the pixel centres, so that each tick covers one column.
    for (int x = trackStart + thumbW / 2; x <= trackEnd + thumbW / 2; x += sep) {
        glVertex2f(static_cast<float>(x) + 0.5f, y0);
        glVertex2f(static_cast<float>(x) + 0.5f, y1);
    }
    glEnd();
}

void Fader::OnDraw(e_draw*) {
    uiSetCurrentIndex(dHasFocus() ? 1 : 0);
    drawBackground();
    UIArrange();
    float f = IsEnabled() ? 1.0f : 0.3f;
    if (tickHeight > 0) drawTicks(f);
    if (thumbImage.isValid()) {
        const float white[4] = {1, 1, 1, f};
        thumbImage.draw(glm::value_ptr(mvp), static_cast<float>(thumbPos), 0, static_cast<float>(thumbW),
                        static_cast<float>(thumbH), white, 0x12, static_cast<int>(currentIndex), 0, 0, 1.0f,
                        0, 0, false);
    }
}

bool Fader::OnMTEvent(e_mtevent* e) {
    if (IsDisabled()) return false;
    float x = e->pos[0];
    switch (e->type) {
        case MT_WHEEL:
            return false;
        case MT_LDOWN:
            dSetFocus();
            if (thumbImage.isValid() && thumbW > 0 && x >= static_cast<float>(thumbPos) &&
                x < static_cast<float>(thumbPos + thumbW)) {
                dragThumbPos = thumbPos;
                dragStartX = static_cast<int>(x);
                dragging = 1;
            }
            return true;
        case MT_MOVE:
            if (dragging) {
                int p = static_cast<int>(x - static_cast<float>(dragStartX)) + dragThumbPos;
                thumbPos = std::clamp(p, trackStart, std::max(trackStart, trackEnd));
                value = snapped(Pix2Real(thumbPos));
            }
            return true;
        case MT_LUP:
            dragging = 0;
            return true;
        default:
            return true;
    }
}

void Fader::moveByKey(int dx) {
    int p = std::clamp(thumbPos + dx, trackStart, std::max(trackStart, trackEnd));
    double v = snapped(Pix2Real(p));
    if (stepSet && step > 0 && v == value) v = snapped(value + (dx < 0 ? -step : step));
    thumbPos = p;
    value = clampValue(v);
}

bool Fader::OnKeyEvent(e_keyevent* e) {
    if (!dHasFocus() || IsDisabled()) return false;
    bool shift = (e->mods & MOD_SHIFT) != 0;
    switch (e->key) {
        case VK_HOME:
            setValue(minValue);
            break;
        case VK_END:
            setValue(maxValue);
            break;
        case VK_LEFT:
            moveByKey(shift ? -10 : -2);
            break;
        case VK_RIGHT:
            moveByKey(shift ? 10 : 2);
            break;
        case VK_TAB:
            if (parent) {
                Div* next = parent->dGetChildByName(shift ? prevNode : nextNode);
                if (next) next->dSetFocus();
            }
            break;
        default:
            break;
    }
    return true;
}

void Fader::OnUpdateStyle() {
    Div::OnUpdateStyle();
    res::Instance* ri = resInst();
    if (!ri || !GetStyleNode()) return;
    const std::string& p = stylePath;
    thumbImage = ri->image(p + ".thumb-image");
    thumbWidth = value1i(p + ".thumb-width", 0);
    tickHeight = value1i(p + ".tick-height", 0);
    const float* c = ri->color(p + ".tick-color");
    std::copy(c, c + 4, tickColor);
    tickSeparation = value1i(p + ".tick-separation", 0);
}

}  // namespace koui
