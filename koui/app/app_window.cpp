#include "koui/app/app_window.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

#include "koui/app/app.h"
#include "koui/app/app_div.h"
#include "koui/app/win_placement.h"
#include "koui/app/window.h"
#include "koui/host/canvas.h"
#include "koui/platform/input.h"
#include "koui/platform/message_queue.h"
#include "koui/platform/window.h"

using namespace koui::win32;

namespace koui {

namespace {
constexpr const char* kClickCallback = "click";

// The window's setting, unless the environment overrides it for every
// window (to compare the two ways of drawing on one program).
bool drawOnDemand(const WindowConfig& config) {
    const char* v = std::getenv("KOUI_DRAW_ON_DEMAND");
    if (v && (std::strcmp(v, "0") == 0 || std::strcmp(v, "1") == 0)) return *v == '1';
    return config.drawOnDemand;
}
}  // namespace

void onClick(Div& element, std::function<void()> fn) {
    element.setCB(kClickCallback, std::move(fn));
}

// The root element: the application element of Window's design, which also
// hands the keys it receives to the window's key callback.
class AppWindow::Root : public app::AppDiv {
public:
    explicit Root(AppWindow& owner) : owner_(owner) {}
    ~Root() override { owner_.root_ = nullptr; }
    bool OnKeyEvent(e_keyevent* e) override {
        KeyPress k;
        k.key = e->key;
        k.ch = e->ch;
        k.ctrl = (e->mods & MOD_CTRL) != 0;
        k.shift = (e->mods & MOD_SHIFT) != 0;
        k.alt = (e->mods & MOD_ALT) != 0;
        owner_.key(k);
        return true;
    }

private:
    AppWindow& owner_;
};

AppWindow::AppWindow(App& app, WindowConfig config, BuildCallback build, int index)
    : app_(app), config_(std::move(config)), build_(std::move(build)), index_(index) {}

AppWindow::~AppWindow() = default;

void AppWindow::onKey(KeyCallback fn) {
    std::lock_guard guard(lock_);
    onKey_ = std::move(fn);
}

void AppWindow::onClose(CloseCallback fn) {
    std::lock_guard guard(lock_);
    onClose_ = std::move(fn);
}

void AppWindow::post(std::function<void()> fn) {
    {
        std::lock_guard guard(lock_);
        if (!open_.load()) return;
        posted_.push_back(std::move(fn));
    }
    window_->wake();
}

void AppWindow::close() {
    if (open_.load()) PostMessageA(window_->getHWnd(), WM_CLOSE, 0, 0);
}

bool AppWindow::create(const std::string& resources, const std::string& placement) {
    namespace fs = std::filesystem;
    window_ = std::make_unique<app::Window>();
    std::error_code ec;
    if (fs::is_directory(resources, ec)) {
        window_->resFolder = resources;
        window_->resArchivePath.clear();
    } else {
        window_->resFolder = fs::path(resources).parent_path().string();
        window_->resArchivePath = resources;
        window_->readResArchive = true;
    }
    window_->setDrawOnDemand(drawOnDemand(config_));
    // The first window's first swap is the start-up time --timing prints.
    if (index_ == 0)
        window_->afterSwap = [this] {
            if (cycles_ == 1) app_.onFirstSwap();
        };
    placement_ = placement;
    int x = CW_USEDEFAULT, y = CW_USEDEFAULT, w = config_.width, h = config_.height, show = SW_SHOWNORMAL;
    if (!placement_.empty() && fs::exists(placement_, ec)) {
        const app::WinPlacement place(placement_);
        x = place.getX(), y = place.getY(), w = place.getWidth(), h = place.getHeight();
        show = place.getShow();
    }
    open_ = true;
    auto onMsg = [this](app::e_wndmsg& m) { return onWndMsg(m); };
    auto onEvent = [this](const std::string& event) { onUiEvent(event); };
    if (!window_->Create(nullptr, config_.name, x, y, w, h, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, onMsg,
                         onEvent, nullptr)) {
        open_ = false;
        return false;
    }
    if (show == SW_SHOWMAXIMIZED) ShowWindow(window_->getHWnd(), SW_MAXIMIZE);
    return true;
}

// Window thread: closing asks the application, keeps the placement and
// notes the end.
bool AppWindow::onWndMsg(app::e_wndmsg& m) {
    if (m.msg == WM_CLOSE && !app_.quitting_.load()) {
        CloseCallback ask;
        {
            std::lock_guard guard(lock_);
            ask = onClose_;
        }
        if (ask && !ask()) {
            m.result = 0;
            return true;  // claimed: the window stays
        }
    }
    if (m.msg == WM_CLOSE && !placement_.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(placement_).parent_path(), ec);
        app::WinPlacement place(placement_);
        place.fill(m.hWnd);
        place.save();
    }
    if (m.msg == WM_DESTROY) {
        std::lock_guard guard(lock_);
        open_ = false;
        posted_.clear();
    }
    return false;
}

// GL thread.
void AppWindow::onUiEvent(const std::string& event) {
    if (event == "canvas.created") {
        if (Canvas* c = window_->getCanvas()) build(*c);
    } else if (event == "gl.cycle.start") {
        runPosted();
    } else if (event == "gl.cycle.finish") {
        ++cycles_;
        if (index_ != 0) return;
        app_.onFrameOfFirstWindow(*this, cycles_);
        // --frames counts drawn frames: a window drawing on demand draws on
        // until the count is reached.
        if (app_.options().frames > 0) window_->wake();
    }
}

void AppWindow::build(Canvas& canvas) {
    auto* root = new Root(*this);  // the canvas's tree owns it from Create on
    root->setWindow(window_.get());
    root->Create("root", &canvas, 0, 0, 0, 0, nullptr, 0, config_.style);
    window_->setAppDiv(root);
    root_ = root;
    watchClicks(canvas);
    if (build_) build_(*root);
}

// A press chooses the front-most element with a click callback at or in
// front of the element that took the press; the release clicks it when it
// is still under the pointer (a fresh hit test, so a deleted candidate is
// never touched).
void AppWindow::watchClicks(Canvas& canvas) {
    canvas.routeObserver = [this, &canvas](const e_mtevent& e, Div* taker,
                                           const std::vector<e_getdivpos>& hits) {
        if (e.type == MT_LDOWN) {
            clickCandidate_ = nullptr;
            if (!taker) return;
            for (auto it = hits.rbegin(); it != hits.rend(); ++it) {
                if (it->div->callbacks.contains(kClickCallback)) {
                    clickCandidate_ = it->div;
                    break;
                }
                if (it->div == taker) break;
            }
        } else if (e.type == MT_LUP && clickCandidate_) {
            Div* candidate = std::exchange(clickCandidate_, nullptr);
            std::vector<e_getdivpos> under;
            canvas.d_GetByPos(under, e.canvasPos[0], e.canvasPos[1], 0);
            const bool still = std::any_of(under.begin(), under.end(),
                                           [candidate](const e_getdivpos& h) { return h.div == candidate; });
            if (still) candidate->callCB(kClickCallback);
        }
    };
}

void AppWindow::runPosted() {
    std::vector<std::function<void()>> work;
    {
        std::lock_guard guard(lock_);
        work.swap(posted_);
    }
    for (auto& fn : work) fn();
}

bool AppWindow::key(const KeyPress& k) {
    KeyCallback fn;
    {
        std::lock_guard guard(lock_);
        fn = onKey_;
    }
    return fn && fn(k);
}

}  // namespace koui
