// The application that the end-to-end tests drive through the X server.
//
// It is written as any application of the toolkit is (window manager, a
// window "e2e", an application element with children, the pump loop) and
// reports on standard output, one line each, what the tests look for:
//
//   drawn                        the window has swapped three frames
//   probe <elem> r g b           the pixel at the element's centre (for the
//                                application element, at 5,5), each time
//                                it changes
//   quit <n> <later>             the pump met WM_QUIT; n times false from
//                                iterate, `later` false results in 20 more
//                                calls after it
//   log <line>                   a line of the library's diagnostics
//   field <name> <caret> <anchor> <end> <focused> <text>
//                                an edit field's state (with --edit), each
//                                time it changes
//
// Elements: the application element "app" and its children "outer" and
// "swatch" show flat colours, styled from resdata/res.kor of the current
// folder. With --edit, "app" also holds two edit fields styled "edit.field":
// "first", which has the focus at the start and whose Tab leads to "second".
#include <GL/glew.h>

#include <array>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "koui/app/app_div.h"
#include "koui/app/win_placement.h"
#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/family/appmsg.h"
#include "koui/host/canvas.h"
#include "koui/host/log_sink.h"
#include "koui/platform/platform.h"
#include "koui/platform/win32_names.h"
#include "koui/widgets/edit.h"

using namespace ko::log;

namespace {

std::mutex outLock;

void out(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void out(const char* fmt, ...) {
    std::lock_guard guard(outLock);
    va_list args;
    va_start(args, fmt);
    std::vprintf(fmt, args);
    va_end(args);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

koui::app::Window* window = nullptr;
std::vector<koui::Div*> elements;                   // the application element, then its children
int cycles = 0;                                     // GL thread only
std::map<koui::Div*, std::array<int, 3>> reported;  // GL thread only

// Reads the drawn (not yet swapped) frame under each element.
void probe() {
    RECT r{};
    GetClientRect(window->getHWnd(), &r);
    for (koui::Div* d : elements) {
        float o[2] = {5, 5};
        if (d != elements[0]) d->DivToCanvas(o, d->dGetCXf() / 2, d->dGetCYf() / 2);
        unsigned char px[4] = {0, 0, 0, 0};
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(int(o[0]), r.bottom - 1 - int(o[1]), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        const std::array<int, 3> colour{px[0], px[1], px[2]};
        if (reported.contains(d) && reported[d] == colour) continue;
        reported[d] = colour;
        out("probe %s %d %d %d", d->name.c_str(), px[0], px[1], px[2]);
    }
}

bool editMode = false;
std::map<koui::Edit*, std::string> fields;  // GL thread only: the last line of each

void reportFields() {
    for (auto& [f, last] : fields) {
        char head[96];
        std::snprintf(head, sizeof head, "field %s %d %d %d %d ", f->name.c_str(), f->caretPos, f->selStart,
                      f->selEnd, f->dHasFocus() ? 1 : 0);
        if (head + f->getText() != last) out("%s", (last = head + f->getText()).c_str());
    }
}

void onUiEvent(const std::string& ev) {
    if (ev == "canvas.created") {
        auto* app = new koui::app::AppDiv();
        app->setWindow(window);
        elements = {app->Create("app", window->getCanvas(), 0, 0, 0, 0, nullptr, 0, "e2e.app")};
        window->setAppDiv(app);
        for (const char* n : {"outer", "swatch"})
            elements.push_back(
                (new koui::Div())->Create(n, app, 0, 0, 0, 0, nullptr, 0, std::string("e2e.") + n));
        if (editMode) {
            auto* first = koui::Edit::wCreate("first", app, 20, 20, 300, 32, 0, "edit.field");
            fields = {{first, ""},
                      {koui::Edit::wCreate("second", app, 20, 70, 300, 32, 0, "edit.field"), ""}};
            first->setNextNode("second");
            first->dSetFocus();
        }
    } else if (ev == "gl.cycle.finish") {
        probe();
        reportFields();
        if (++cycles == 3) out("drawn");
    }
}

}  // namespace

int main(int argc, char** argv) {
    appSetMsgSink([](const char* line, void*) { out("log %s", line); }, nullptr);
    ko::log::setCallback([](const char* line) { out("log %s", line); });
    editMode = argc == 2 && std::string(argv[1]) == "--edit";

    koui::app::WindowManager manager;
    std::unique_ptr<koui::app::WinPlacement> place;
    if (argc == 3 && std::string(argv[1]) == "--placement")
        place = std::make_unique<koui::app::WinPlacement>(argv[2]);
    int x = 40, y = 40, w = 400, h = 300;
    if (place) x = place->getX(), y = place->getY(), w = place->getWidth(), h = place->getHeight();
    auto onWndMsg = [&place](koui::app::e_wndmsg& m) {
        if (m.msg == WM_CLOSE && place) {
            place->fill(m.hWnd);
            place->save();
        }
        return false;
    };
    koui::app::Window win;
    window = &win;
    if (!window->Create(nullptr, "e2e", x, y, w, h, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, onWndMsg, onUiEvent,
                        nullptr))
        return 1;

    while (manager.iterate()) WaitMessage();
    int later = 0;
    for (int i = 0; i < 20; ++i) later += manager.iterate() ? 0 : 1;
    out("quit 1 %d", later);
    return 0;
}
