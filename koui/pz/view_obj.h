// koui::pz::ViewObj: the common base of the plot canvas and the rulers, an
// element that knows the plot view it belongs to. The view is found once,
// at creation: the parent when it is a "koui::pz::View", else none, so a
// canvas or ruler placed elsewhere works as a plain element that draws no
// plot content.
#pragma once

#include "koui/export.h"
#include "koui/ui/div.h"

namespace koui::pz {

class View;

class KOUI_API ViewObj : public Div {
public:
    void OnCreate() override;
    View* getView() { return view; }

    View* view = nullptr;
};

}  // namespace koui::pz
