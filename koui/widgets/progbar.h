// koui::FixedProgBar: a progress bar drawn from one two-section image, the
// empty bar (section 0) with the full bar (section 1) over it, cut on the
// right at the filled share. The element takes the image's size.
//
// The filled share (`getNorm`) is (value - min) / (max - min) kept within
// [0, 1], and 0 for an empty or reversed range, so a bar never draws more
// than its image or anything of the full bar for a nothing-done state.
#pragma once

#include "koui/export.h"
#include "koui/res/img.h"
#include "koui/ui/div.h"

namespace koui {

// The filled share of [min, max] that `value` reaches, within [0, 1].
KOUI_API double progNorm(double value, double min, double max);
// Draws the empty bar at (x, y) and the full bar over it, cut at `norm` of
// its width; nothing without an image.
KOUI_API void drawProgBar(const res::Img& img, const float* mvp, float x, float y, double norm);

class KOUI_API FixedProgBar : public Div {
public:
    ~FixedProgBar() override;
    const char* dGetClass() override { return "koui::FixedProgBar"; }
    void OnIterate(e_iterate* e) override;
    void OnDraw(e_draw* e) override;
    void OnUpdateStyle() override;

    // The value is not re-clamped by a new range.
    void setRange(double min, double max) {
        minValue = min;
        maxValue = max;
    }
    void setValue(double v);
    double getNorm() const { return progNorm(value, minValue, maxValue); }

    res::Img barImage;  // ".bar-image"
    double minValue = 0;
    double maxValue = 0;
    double value = 0;
};

}  // namespace koui
