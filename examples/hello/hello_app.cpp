#include "hello_app.h"

#include "koui/platform/win32_constants.h"
#include "koui/platform/win32_names.h"

namespace hello {

void HelloApp::OnCreate() {
    AppDiv::OnCreate();
    // Positions and sizes are left to the arrangement program of
    // "hello.app"; each panel only names its style.
    for (const char* name : {"info", "gallery", "tip"})
        (new koui::Div)->Create(name, this, 0, 0, 0, 0, nullptr, 0, std::string("hello.") + name);
    (new CloseBox(this))->Create("close", this, 0, 0, 0, 0, nullptr, 0, "hello.close");
}

bool CloseBox::OnMTEvent(koui::e_mtevent* e) {
    if (e->type == koui::MT_LUP) {
        const bool inside =
            e->pos[0] >= 0 && e->pos[1] >= 0 && e->pos[0] < dGetCXf() && e->pos[1] < dGetCYf();
        if (inside) app_->postWindowMsg(WM_CLOSE, 0, 0);
    }
    return true;
}

}  // namespace hello
