// The application that the edit fields' end-to-end test types into: a
// window "edit-e2e" with the fields "first" (which has the focus at the
// start; Tab leads to "second") and "second", styled from the resource
// folder (--res). It prints "drawn" once three frames are drawn, and
//   field <name> <caret> <anchor> <end> <focused> <text>
// for each field whenever its state changed.
#include <cstdio>
#include <map>

#include "koui/koui.h"

namespace {

// Drawn last in the window: reports the fields that changed.
class Reporter : public koui::Div {
public:
    std::map<koui::Edit*, std::string> fields;  // each with its last line
    void OnDraw(koui::e_draw*) override {
        if (++frames_ == 3) std::puts("drawn");
        if (frames_ < 3) dGetCanvas()->requestFrame();  // the window draws on demand
        for (auto& [f, last] : fields) {
            char head[96];
            std::snprintf(head, sizeof head, "field %s %d %d %d %d ", f->name.c_str(), f->caretPos,
                          f->selStart, f->selEnd, f->dHasFocus() ? 1 : 0);
            if (head + f->getText() != last) std::puts((last = head + f->getText()).c_str());
        }
        std::fflush(stdout);
    }

private:
    int frames_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
    koui::App app("edit-e2e", argc, argv);
    koui::WindowConfig config("edit-e2e", 400, 200, "edit.app");
    config.keepPlacement = false;
    config.drawOnDemand = true;
    app.open(config, [](koui::Div& root) {
        auto& first = koui::add<koui::Edit>(root, "first", "edit.first");
        auto& second = koui::add<koui::Edit>(root, "second", "edit.second");
        first.setNextNode("second");
        first.dSetFocus();
        koui::add<Reporter>(root, "reporter", "edit.reporter").fields = {{&first, ""}, {&second, ""}};
    });
    return app.run();
}
