// The application of the widget end-to-end test: one window "e2e-widgets"
// whose application element holds a panel with a button at (40, 40),
// 120 x 40 pixels. It reports on standard output, one line each:
//
//   drawn        the window has swapped three frames
//   msg <id>     the panel received message <id> from the button
//   click        the button's click callback ran
#include <cstdio>
#include <mutex>

#include "koui/app/app_div.h"
#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/host/canvas.h"
#include "koui/platform/platform.h"
#include "koui/platform/win32_names.h"
#include "koui/widgets/button.h"

namespace {

std::mutex outLock;

void out(const char* line, unsigned id = 0) {
    std::lock_guard guard(outLock);
    id ? std::printf("%s %u\n", line, id) : std::printf("%s\n", line);
    std::fflush(stdout);
}

struct Panel : koui::Div {
    bool OnMsg(koui::e_msg* m) override {
        out("msg", m->id);
        return true;
    }
};

koui::app::Window* window = nullptr;
int cycles = 0;  // GL thread only

void onUiEvent(const std::string& ev) {
    if (ev == "canvas.created") {
        auto* app = new koui::app::AppDiv();
        app->setWindow(window);
        app->Create("app", window->getCanvas(), 0, 0, 400, 300, nullptr, 0, "");
        window->setAppDiv(app);
        koui::Div* panel = (new Panel())->Create("panel", app, 0, 0, 400, 300, nullptr, 0, "");
        koui::Button::wCreate("button", panel, 40, 40, 120, 40, nullptr, nullptr, nullptr, nullptr)
            ->setClickCB([] { out("click"); });
    } else if (ev == "gl.cycle.finish" && ++cycles == 3) {
        out("drawn");
    }
}

}  // namespace

int main() {
    koui::app::WindowManager manager;
    koui::app::Window win;
    window = &win;
    if (!window->Create(nullptr, "e2e-widgets", 40, 40, 400, 300, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                        nullptr, onUiEvent, nullptr))
        return 1;
    while (manager.iterate()) WaitMessage();
    return 0;
}
