// koui::Container: a panel that scrolls its children vertically with the
// wheel, through the children offset of Div.
//
// Every cycle it measures its children (hidden ones too, so that showing one
// does not change the limits) and sets `offsetLimit` so that the content
// scrolls until its far edge is 10 pixels inside the client area and no
// further; content that fits does not scroll at all. A wheel notch moves the
// offset target by `scrollStep` pixels and Div's iterate clamps and eases it.
#pragma once

#include "koui/export.h"
#include "koui/ui/div.h"

namespace koui {

class KOUI_API Container : public Div {
public:
    const char* dGetClass() override { return "koui::Container"; }
    void OnIterate(e_iterate* e) override;
    bool OnMTEvent(e_mtevent* e) override;
    void OnUpdateStyle() override { Div::OnUpdateStyle(); }

    double scrollStep = 50.0;
};

}  // namespace koui
