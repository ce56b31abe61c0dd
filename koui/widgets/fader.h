// koui::Fader: a horizontal slider. A thumb image moves along the element's
// width; its left edge in pixels maps linearly onto [minValue, maxValue].
//
// The pixel position is the primary state while the user drags or presses
// arrow keys (they move the thumb by pixels and read the value back), and the
// value is primary otherwise: every iterate outside a drag puts the thumb at
// the value's pixel. So a drag keeps the thumb exactly under the pointer even
// where several values share one pixel.
//
// Change reports. However the value changed (drag, keys, setValue,
// setThumbPos), `changeCB` runs from OnIterate, on the GL thread, at most once
// per cycle and with the latest value; a value equal to the one last reported
// reports nothing, and the initial 0 is never reported.
//
// Steps. `step` is stored by setStep and, until the application calls it,
// read by nothing: drags and keys keep the plain pixel mapping. Once setStep
// has been called with a step above 0, values that drags and arrow keys
// produce are snapped to min + k * step (kept within the range), and an
// arrow key whose pixel move snaps back to the current value goes on to the
// neighbouring step, so a coarse step still moves one step per key.
// setValue, setThumbPos, Home and End are never snapped: the application
// and the ends of the range stay exact.
//
// Keys, while the fader has the focus and is enabled: Left and Right move
// the thumb by 2 pixels (10 with Shift), Home and End go to the ends, Tab
// and Shift+Tab give the focus to the siblings named by nextNode and
// prevNode. OnKeyEvent answers every key as taken, the ones it does not use
// included: this is the fader's documented contract, and callers that look
// at the answer must not expect Escape, letters or Up and Down to come back
// unused. The keys still go only to the focus element (Canvas), so the
// application's key callback sees them once the root has the focus again.
//
// Without a thumb image the track has no length: every value maps to pixel
// 0, every pixel to minValue, and no press starts a drag.
#pragma once
#include <cstdint>
#include <functional>

#include "koui/export.h"
#include "koui/res/img.h"
#include "koui/ui/div.h"

namespace koui {

class KOUI_API Fader : public Div {
public:
    ~Fader() override;
    const char* dGetClass() override { return "koui::Fader"; }
    void OnIterate(e_iterate* e) override;
    void OnDraw(e_draw* e) override;
    bool OnMTEvent(e_mtevent* e) override;
    bool OnKeyEvent(e_keyevent* e) override;
    void OnUpdateStyle() override;

    // Setters return the fader for chaining.
    Fader* setRange(double min, double max);
    Fader* setValue(double v);
    Fader* setStep(double s);
    Fader* setChangeCB(std::function<void(double)> cb);
    Fader* setThumbPos(int p);

    int Real2Pix(double v) const;
    double Pix2Real(int p) const;
    int trackLength() const { return trackEnd - trackStart; }

    res::Img thumbImage;
    int32_t thumbWidth = 16;
    double minValue = 0;
    double maxValue = 0;
    double value = 0;
    double notifiedValue = 0;
    double step = 1.0;
    int32_t thumbW = 0;
    int32_t thumbH = 0;
    int32_t thumbPos = 0;
    int32_t trackStart = 0;
    int32_t trackEnd = 0;
    int32_t dragging = 0;
    int32_t dragThumbPos = 0;
    int32_t dragStartX = 0;
    int32_t tickHeight = 0;
    float tickColor[4] = {0, 0, 0, 0};
    int32_t tickSeparation = 0;
    std::function<void(double)> changeCB;
    bool stepSet = false;  // setStep was called: drags and arrow keys snap

private:
    double clampValue(double v) const;
    double snapped(double v) const;
    void moveByKey(int dx);
    void drawTicks(float alpha);
};

}  // namespace koui
