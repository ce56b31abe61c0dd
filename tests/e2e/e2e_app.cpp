// The application that the end-to-end tests drive with real input.
//
// It is written as any application of the toolkit is (window manager, one
// window per --windows, an application element with children, the pump
// loop) and reports on standard output, one line each, what the tests look
// for:
//
//   main <tid>                       thread id of the window thread
//   gl.start <win> <tid>             a GL worker started (its thread id)
//   layout <win> <elem> x y w h      canvas rectangle of each element (once)
//   drawn <win>                      the window has swapped three frames
//   mt <win> <elem> <type> <0|1>     a pointer event reached an element, and
//                                    whether the element accepted it (moves
//                                    are not reported)
//   key <win> <elem> <vk> <ch>       a key event reached an element
//   char <win> <elem> <ch>           a character event reached an element
//   probe <seq> <win> <elem> r g b   answer to the input line "probe <seq>":
//                                    the pixel at the element's centre (for
//                                    the application element, at 5,5)
//   posted-close <win>               the closer element posted WM_CLOSE
//   placement-saved x y w h          the placement written at WM_CLOSE
//   gl.finish <win>                  a GL worker finished its last cycle
//   quit <n> <later>                 the pump met WM_QUIT; n times false from
//                                    iterate, `later` false results in 20
//                                    more calls after it
//   log <line>                       a line of the library's diagnostics
//
// Elements: "outer" accepts every pointer event, its child "inner" declines
// every one, "field" takes the focus when pressed and accepts, "closer"
// posts WM_CLOSE when released; "swatch" and the application element only
// show colours. The styles are in resdata/res.kor of the current folder.
#include <GL/glew.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <iostream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
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

using namespace ko::log;

namespace {

std::mutex outLock;
// The sequence number of the last "probe" line read from standard input.
std::atomic<int> probeWanted{0};

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

long tid() {
    return static_cast<long>(syscall(SYS_gettid));
}

enum class Role { Accept, Decline, Focus, Closer, Show };

class LogDiv : public koui::Div {
public:
    LogDiv(std::string win, Role role, koui::app::AppDiv* app)
        : win_(std::move(win)), role_(role), app_(app) {}

    bool OnMTEvent(koui::e_mtevent* e) override {
        if (role_ == Role::Show) return false;
        const bool accept = role_ != Role::Decline;
        if (e->type == koui::MT_MOVE) return accept;
        out("mt %s %s 0x%x %d", win_.c_str(), name.c_str(), e->type, accept ? 1 : 0);
        if (role_ == Role::Focus && e->type == koui::MT_LDOWN) dSetFocus();
        if (role_ == Role::Closer && e->type == koui::MT_LUP && app_->postWindowMsg(WM_CLOSE, 0, 0))
            out("posted-close %s", win_.c_str());
        return accept;
    }
    bool OnKeyEvent(koui::e_keyevent* e) override {
        out("key %s %s %d %d", win_.c_str(), name.c_str(), e->key, e->ch);
        return true;
    }
    bool OnCharEvent(koui::e_charevent* e) override {
        out("char %s %s %d", win_.c_str(), name.c_str(), e->ch);
        return true;
    }

private:
    std::string win_;
    Role role_;
    koui::app::AppDiv* app_;
};

class TestApp : public koui::app::AppDiv {
public:
    explicit TestApp(std::string win) : win_(std::move(win)) {}

    void OnCreate() override {
        AppDiv::OnCreate();
        auto* outer = make("outer", Role::Accept, this);
        make("inner", Role::Decline, outer);
        make("field", Role::Focus, this);
        make("closer", Role::Closer, this);
        make("swatch", Role::Show, this);
    }
    bool OnMTEvent(koui::e_mtevent* e) override {
        if (e->type != koui::MT_MOVE) out("mt %s app 0x%x 1", win_.c_str(), e->type);
        return AppDiv::OnMTEvent(e);
    }
    bool OnKeyEvent(koui::e_keyevent* e) override {
        out("key %s app %d %d", win_.c_str(), e->key, e->ch);
        return AppDiv::OnKeyEvent(e);
    }
    bool OnCharEvent(koui::e_charevent* e) override {
        out("char %s app %d", win_.c_str(), e->ch);
        return AppDiv::OnCharEvent(e);
    }

    // The elements in creation order, the application element first.
    std::vector<koui::Div*> all;

private:
    koui::Div* make(const char* n, Role role, koui::Div* parent) {
        if (all.empty()) all.push_back(this);
        auto* d = new LogDiv(win_, role, this);
        const std::string style = std::string(parent == this ? "e2e." : "e2e.outer.") + n;
        d->Create(n, parent, 0, 0, 0, 0, nullptr, 0, style);
        all.push_back(d);
        return d;
    }
    std::string win_;
};

// One window of the application, with what its GL worker reports.
struct TestWindow {
    std::string name;
    koui::app::Window window;
    TestApp* app = nullptr;  // owned by the canvas's tree once created
    int cycles = 0;          // GL thread only
    int probeDone = 0;       // GL thread only

    void onUiEvent(const std::string& ev) {
        if (ev == "gl.start") {
            out("gl.start %s %ld", name.c_str(), tid());
        } else if (ev == "canvas.created") {
            app->Create("app", window.getCanvas(), 0, 0, 0, 0, nullptr, 0, "e2e.app");
        } else if (ev == "gl.cycle.finish") {
            if (++cycles == 3) {
                for (koui::Div* d : app->all) {
                    float o[2];
                    d->DivToCanvas(o, 0.0, 0.0);
                    out("layout %s %s %d %d %d %d", name.c_str(), d == app ? "app" : d->name.c_str(),
                        int(o[0]), int(o[1]), d->dGetCX(), d->dGetCY());
                }
                out("drawn %s", name.c_str());
            }
            const int wanted = probeWanted.load();
            if (cycles >= 3 && wanted != probeDone) probe(probeDone = wanted);
        } else if (ev == "gl.finish") {
            out("gl.finish %s", name.c_str());
        }
    }

    // Reads the drawn (not yet swapped) frame under each element.
    void probe(int seq) {
        RECT r{};
        GetClientRect(window.getHWnd(), &r);
        for (koui::Div* d : app->all) {
            float o[2];
            if (d == app)
                o[0] = o[1] = 5;
            else
                d->DivToCanvas(o, d->dGetCXf() / 2, d->dGetCYf() / 2);
            unsigned char px[4] = {0, 0, 0, 0};
            glReadBuffer(GL_BACK);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            glReadPixels(int(o[0]), r.bottom - 1 - int(o[1]), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
            out("probe %d %s %s %d %d %d", seq, name.c_str(), d == app ? "app" : d->name.c_str(), px[0],
                px[1], px[2]);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    int count = 1;
    std::string placementPath;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--windows") count = std::max(1, std::min(2, std::atoi(argv[i + 1])));
        if (a == "--placement") placementPath = argv[i + 1];
    }
    appSetMsgSink([](const char* line, void*) { out("log %s", line); }, nullptr);
    ko::log::setCallback([](const char* line) { out("log %s", line); });
    out("main %ld", tid());

    koui::app::WindowManager manager;
    std::unique_ptr<koui::app::WinPlacement> place;
    if (!placementPath.empty()) place = std::make_unique<koui::app::WinPlacement>(placementPath);

    std::vector<std::unique_ptr<TestWindow>> windows;
    for (int i = 0; i < count; ++i) {
        auto tw = std::make_unique<TestWindow>();
        tw->name = "e2e-" + std::to_string(i + 1);
        tw->app = new TestApp(tw->name);
        tw->app->setWindow(&tw->window);
        tw->window.setAppDiv(tw->app);
        int x = 40 + 440 * i, y = 40, w = 400, h = 300;
        if (place) x = place->getX(), y = place->getY(), w = place->getWidth(), h = place->getHeight();
        TestWindow* self = tw.get();
        auto onWndMsg = [&place](koui::app::e_wndmsg& m) {
            if (m.msg == WM_CLOSE && place) {
                place->fill(m.hWnd);
                place->save();
                out("placement-saved %d %d %d %d", place->getX(), place->getY(), place->getWidth(),
                    place->getHeight());
            }
            return false;
        };
        if (!tw->window.Create(
                nullptr, tw->name, x, y, w, h, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, onWndMsg,
                [self](const std::string& ev) { self->onUiEvent(ev); }, nullptr)) {
            out("create-failed %s", tw->name.c_str());
            return 1;
        }
        windows.push_back(std::move(tw));
    }

    // Probe requests come on standard input; the reader is left blocked in
    // its read when the program ends.
    std::thread([] {
        std::string line;
        while (std::getline(std::cin, line))
            if (line.rfind("probe ", 0) == 0) probeWanted.store(std::atoi(line.c_str() + 6));
    }).detach();

    while (manager.iterate()) WaitMessage();
    int later = 0;
    for (int i = 0; i < 20; ++i) later += manager.iterate() ? 0 : 1;
    out("quit 1 %d", later);
    // Closing one window ends the loop; the others go now, each stopping
    // its worker before its native window disappears.
    manager.DestroyAll();
    for (int i = 0; i < 20; ++i) manager.iterate();
    out("exit");
    return 0;
}
