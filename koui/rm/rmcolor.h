// Named colours of the classic resource manager ("#colors" section) and
// their list. The list owns its colours.
//
// A colour line is: name, value; the value is "#" and hexadecimal digits,
// "!int" and four integers 0..255, or "!float" and four numbers 0..1. Any
// other value gives opaque black.
#pragma once

#include "koui/export.h"
#include "koui/family/cmc.h"
#include "koui/family/stmarray.h"

namespace ko::util {
class CmcLineParSet;
}

namespace koui {

class RM;

class KOUI_API RMColor : public ko::util::Cmc {
    KOUI_MC_CLASS(RMColor, "koui::RMColor")
public:
    RMColor() = default;

    // Defines the colour from `line`, read from its current parameter on.
    // False for an empty name or value.
    bool Create(ko::util::CmcLineParSet& line);

    float rgbaf[4] = {0, 0, 0, 1};
    double rgbad[4] = {0, 0, 0, 1};
};

class KOUI_API RMColorList : public ko::util::Cmc {
    KOUI_MC_CLASS(RMColorList, "koui::RMColorList")
public:
    RMColorList() = default;

    // A new colour from the line, appended; null (logged) when the line
    // does not define one.
    RMColor* Add(ko::util::CmcLineParSet& line);
    RMColor* Get(int index) const { return items_.Get(index); }
    RMColor* operator()(int index) const { return items_.Get(index); }
    RMColor* GetByID(const char* id) const;
    int GetCount() const { return items_.GetCount(); }

    RM* rm = nullptr;

private:
    ko::util::CstmArray<RMColor*> items_;
};

}  // namespace koui
