// The application of the widget end-to-end test: a window "e2e-widgets"
// whose application element holds a button at (40, 40), 120 x 40 pixels.
// It prints "drawn" after three frames, "msg <id>" for each message the
// application element receives and "click" when the button's callback runs
// (all on the GL thread).
#include <cstdio>

#include "koui/app/app_div.h"
#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/host/canvas.h"
#include "koui/platform/platform.h"
#include "koui/platform/win32_names.h"
#include "koui/widgets/button.h"

namespace {

void out(const std::string& line) {
    std::puts(line.c_str());
    std::fflush(stdout);
}

struct App : koui::app::AppDiv {
    bool OnMsg(koui::e_msg* m) override {
        out("msg " + std::to_string(m->id));
        return true;
    }
};

koui::app::Window* window = nullptr;
int cycles = 0;

void onUiEvent(const std::string& ev) {
    if (ev == "canvas.created") {
        auto* app = new App();
        app->setWindow(window);
        app->Create("app", window->getCanvas(), 0, 0, 400, 300, nullptr, 0, "");
        window->setAppDiv(app);
        koui::Button::wCreate("button", app, 40, 40, 120, 40, nullptr, nullptr, nullptr, nullptr)
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
}
