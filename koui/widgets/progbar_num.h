// koui::FixedProgBarNum: a progress bar with its number. The text is the
// value through a printf format (one double) followed by a unit string,
// drawn by Static; the bar (koui/widgets/progbar.h) is drawn over it at
// ".bar-image-pos" in client pixels.
//
// The format is checked when it is set: it must hold exactly one conversion
// that takes a double (f, F, e, E, g, G, a, A, with flags, width and
// precision but no '*'), and any number of "%%". Another format would read
// an argument that is not there, so it is refused and the format stays as
// it was. The text is at most 255 characters before the units.
//
// The text is formatted every iterate but handed to Static only when it
// changed, so an unchanged value costs no layout.
#pragma once
#include <string>

#include "koui/export.h"
#include "koui/res/img.h"
#include "koui/widgets/static.h"

namespace koui {

class KOUI_API FixedProgBarNum : public Static {
public:
    ~FixedProgBarNum() override;
    const char* dGetClass() override { return "koui::FixedProgBarNum"; }
    void OnIterate(e_iterate* e) override;
    void OnDraw(e_draw* e) override;
    bool OnMTEvent(e_mtevent*) override { return true; }
    bool OnKeyEvent(e_keyevent*) override { return dHasFocus(); }
    void OnUpdateStyle() override;

    FixedProgBarNum* setRange(double min, double max);
    FixedProgBarNum* setValue(double v);
    FixedProgBarNum* setUnits(const std::string& u);
    // False, keeping the old format, for a format that is not one double.
    bool setNumFormat(const std::string& f);
    double getNorm() const;
    // Whether `f` formats exactly one double (see above).
    static bool isOneDoubleFormat(const std::string& f);

    res::Img barImage;           // ".bar-image"
    int32_t barX = 0, barY = 0;  // ".bar-image-pos"
    double minValue = 0, maxValue = 0, value = 0;
    std::string units;
    std::string numFormat = "%.0f";
};

}  // namespace koui
