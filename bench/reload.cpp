// Edit latency of live reloading: from the moment a definition file starts
// being saved to the moment the first frame showing the change has been
// swapped. Two windows draw on demand, each a panel whose colour comes from
// its own resource folder: one watcher sleeps on file notifications, the
// other polls (KOUI_WATCH_POLL=1) every Instance::kWatchIntervalMs as the
// watcher did before notifications. Each save goes to one of them in turn,
// after a random pause (0-300 ms), so that saves fall at random moments of
// the polling period; every other save writes the file in place, the rest
// write a new file and rename it over the old one, as many editors do.
// Prints the median, the 95th percentile and the range per watcher.
//   bench_reload [SAVES]   (SAVES per watcher, default 40; needs an X display)
#include <GL/glew.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/soak_support.h"
#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/platform/platform.h"
#include "koui/ui/div.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

std::string theme(uint32_t colour) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%06x", colour);
    return std::string("panel {\n  bkcolor: #") + hex + "\n}\n";
}

// One window and what its frames show.
struct Watched {
    fs::path file;
    koui::app::Window window;
    std::atomic<uint32_t> wanted{0};  // the colour saved last
    std::atomic<int64_t> shownAt{0};  // steady-clock ns of the swap that first showed it
    std::atomic<uint32_t> drawn{0};   // colour of the frame just drawn (GL thread)
    std::vector<double> latenciesMs;
};

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch()).count();
}

bool open(Watched& w, const fs::path& folder, const char* name, int x) {
    fs::create_directories(folder);
    w.file = folder / "res.kor";
    std::ofstream(w.file) << theme(0);
    w.window.resFolder = folder.string();
    w.window.resArchivePath.clear();
    w.window.setDrawOnDemand(true);
    w.window.afterSwap = [&w] {
        if (w.drawn.load() == w.wanted.load() && w.shownAt.load() == 0) w.shownAt = nowNs();
    };
    auto onUiEvent = [&w](const std::string& event) {
        if (event == "canvas.created") {
            (new koui::Div)->Create("panel", w.window.getCanvas(), 0, 0, 64, 64, nullptr, 0, "panel");
        } else if (event == "gl.cycle.finish") {
            uint8_t rgba[4] = {};
            glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
            w.drawn = (uint32_t{rgba[0]} << 16) | (uint32_t{rgba[1]} << 8) | rgba[2];
        }
    };
    return w.window.Create(nullptr, name, x, 0, 64, 64, koui::win32::WS_POPUP | koui::win32::WS_VISIBLE, 0,
                           nullptr, onUiEvent, nullptr);
}

void save(const fs::path& file, uint32_t colour, bool byRename) {
    if (!byRename) {
        std::ofstream(file, std::ios::trunc) << theme(colour);
        return;
    }
    const fs::path temp = file.string() + ".new";
    std::ofstream(temp, std::ios::trunc) << theme(colour);
    fs::rename(temp, file);
}

double percentile(std::vector<double> v, double p) {
    std::sort(v.begin(), v.end());
    const size_t i = std::min(v.size() - 1, static_cast<size_t>(p * double(v.size() - 1) + 0.5));
    return v[i];
}

}  // namespace

int main(int argc, char** argv) {
    const int saves = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
    koui::soak::TempFolder folder("koui-bench-reload");
    koui::app::WindowManager manager;
    auto notified = std::make_unique<Watched>(), polled = std::make_unique<Watched>();
    // The watcher reads the variable when it starts: the first window's
    // watcher is notified (waited for before the variable is set), the
    // second's polls.
    unsetenv("KOUI_WATCH_POLL");
    const bool made = open(*notified, folder.path() / "notify", "notify", 0);
    auto pump = [&](auto done) { return koui::soak::pumpUntil(manager, done, 5000); };
    pump([&] {
        koui::Instance* inst = notified->window.getInstance();
        return inst && inst->watchesByNotification();
    });
    setenv("KOUI_WATCH_POLL", "1", 1);
    if (!made || !open(*polled, folder.path() / "poll", "poll", 80)) {
        std::fprintf(stderr, "bench_reload: cannot open a window (is there an X display?)\n");
        return 2;
    }
    pump([&] { return polled->window.getInstance() != nullptr && polled->window.framesDrawn() > 0; });
    if (!notified->window.getInstance()->watchesByNotification() ||
        polled->window.getInstance()->watchesByNotification()) {
        std::fprintf(stderr, "bench_reload: the watchers are not one notified, one polling\n");
        return 1;
    }
    std::mt19937 random(99);
    std::uniform_int_distribution<int> pause(0, 299);
    int lost = 0;
    for (int i = 0; i < 2 * saves; ++i) {
        Watched& w = i % 2 ? *polled : *notified;
        koui::soak::pumpUntil(
            manager, [] { return false; }, pause(random));
        const uint32_t colour = 0x100000 + static_cast<uint32_t>(i) * 0x010203 % 0xefffff;
        w.shownAt = 0;
        w.wanted = colour;
        const int64_t start = nowNs();
        save(w.file, colour, (i / 2) % 2 == 1);
        if (!pump([&] { return w.shownAt.load() != 0; })) {
            ++lost;
            continue;
        }
        w.latenciesMs.push_back(double(w.shownAt.load() - start) * 1e-6);
    }
    std::printf("%-10s %6s %10s %10s %10s %10s\n", "watcher", "saves", "median ms", "p95 ms", "min ms",
                "max ms");
    for (const auto* w : {notified.get(), polled.get()}) {
        const auto& v = w->latenciesMs;
        if (v.empty()) continue;
        std::printf("%-10s %6zu %10.1f %10.1f %10.1f %10.1f\n", w == notified.get() ? "notified" : "polling",
                    v.size(), percentile(v, 0.5), percentile(v, 0.95), *std::min_element(v.begin(), v.end()),
                    *std::max_element(v.begin(), v.end()));
    }
    manager.DestroyAll();
    koui::soak::pumpUntil(
        manager, [] { return false; }, 200);
    if (lost) std::fprintf(stderr, "bench_reload: %d saves never showed\n", lost);
    return lost ? 1 : 0;
}
