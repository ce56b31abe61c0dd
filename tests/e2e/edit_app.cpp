// The application that the edit fields' end-to-end test types into.
//
// A window "edit-e2e" holds two edit fields, "first" (which has the focus at
// the start; Tab leads to "second") and "second", styled from
// resdata/res.kor of the current folder. It reports on standard output:
//
//   drawn                                        three frames swapped
//   field <name> <caret> <anchor> <end> <focused> <text>
//                                                a field's state, each time
//                                                it changes (text last)
//   log <line>                                   a diagnostic line
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/family/appmsg.h"
#include "koui/host/canvas.h"
#include "koui/host/log_sink.h"
#include "koui/platform/platform.h"
#include "koui/platform/win32_names.h"
#include "koui/widgets/edit.h"

namespace {

void out(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void out(const char* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    std::vprintf(fmt, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

koui::app::Window* window = nullptr;
std::vector<koui::Edit*> fields;    // GL thread only
std::vector<std::string> reported;  // GL thread only
int cycles = 0;                     // GL thread only

void report() {
    for (size_t i = 0; i < fields.size(); ++i) {
        koui::Edit* f = fields[i];
        char head[128];
        std::snprintf(head, sizeof head, "field %s %d %d %d %d ", f->name.c_str(), f->caretPos, f->selStart,
                      f->selEnd, f->dHasFocus() ? 1 : 0);
        const std::string line = head + f->getText();
        if (line == reported[i]) continue;
        reported[i] = line;
        out("%s", line.c_str());
    }
}

void onUiEvent(const std::string& ev) {
    if (ev == "canvas.created") {
        koui::Div* form =
            (new koui::Div())->Create("form", window->getCanvas(), 0, 0, 400, 200, nullptr, 0, "");
        fields = {koui::Edit::wCreate("first", form, 20, 20, 300, 32, 0, "edit.field"),
                  koui::Edit::wCreate("second", form, 20, 70, 300, 32, 0, "edit.field")};
        reported.assign(fields.size(), "");
        fields[0]->setNextNode("second");
        fields[1]->setPrevNode("first");
        fields[0]->dSetFocus();
    } else if (ev == "gl.cycle.finish") {
        report();
        if (++cycles == 3) out("drawn");
    }
}

}  // namespace

int main() {
    ko::log::appSetMsgSink([](const char* line, void*) { out("log %s", line); }, nullptr);
    ko::log::setCallback([](const char* line) { out("log %s", line); });
    koui::app::WindowManager manager;
    koui::app::Window win;
    window = &win;
    if (!window->Create(nullptr, "edit-e2e", 40, 40, 400, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, nullptr,
                        onUiEvent, nullptr))
        return 1;
    while (manager.iterate()) WaitMessage();
    return 0;
}
