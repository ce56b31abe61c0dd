#include "koui/pz/view_obj.h"

#include "koui/pz/view.h"

namespace koui::pz {

void ViewObj::OnCreate() {
    view = parent && parent->dIsClass("koui::pz::View") ? static_cast<View*>(parent) : nullptr;
}

}  // namespace koui::pz
