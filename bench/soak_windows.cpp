// Soak run of opening and closing windows: COUNT windows (default 200), four
// at a time, each drawing a few frames of a small tree before it is closed
// and deleted. Prints the process's threads and resident memory before the
// first window, after the first wave and at the end. Exit status 0 when
// every window drew and the thread count at the end is the one after the
// first wave (the GL driver keeps a few threads of its own once started).
// Built with the address sanitizer, the leak checker runs at exit.
//   soak_windows [COUNT]   (needs an X display; scripts/soak.sh runs it)
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/soak_support.h"
#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/host/canvas.h"
#include "koui/platform/platform.h"
#include "koui/ui/div.h"

namespace {

struct Opened {
    std::unique_ptr<koui::app::Window> window = std::make_unique<koui::app::Window>();
    std::atomic<int> frames{0};
};

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 200;
    constexpr int kWave = 4;
    koui::soak::TempFolder folder("koui-soak-windows");
    std::filesystem::create_directories(folder.path() / "resdata");
    std::ofstream(folder.path() / "resdata" / "res.kor") << "panel {\n  bkcolor: #3070b0\n}\n";
    std::filesystem::current_path(folder.path());

    const int threadsAtStart = koui::soak::threadCount();
    const long memoryAtStart = koui::soak::residentKiB();
    int threadsAfterFirstWave = 0, failures = 0;
    long memoryAfterFirstWave = 0;
    {
        koui::app::WindowManager manager;
        for (int made = 0; made < count; made += kWave) {
            std::vector<std::unique_ptr<Opened>> wave;
            for (int i = 0; i < kWave && made + i < count; ++i) {
                auto o = std::make_unique<Opened>();
                Opened* p = o.get();
                auto onUiEvent = [p](const std::string& event) {
                    if (event == "canvas.created")
                        (new koui::Div)
                            ->Create("panel", p->window->getCanvas(), 4, 4, 40, 30, nullptr, 0, "panel");
                    else if (event == "gl.cycle.finish")
                        ++p->frames;
                };
                const std::string name = "soak " + std::to_string(made + i);
                if (!o->window->Create(nullptr, name, 20 * i, 20 * i, 120, 90,
                                       koui::win32::WS_POPUP | koui::win32::WS_VISIBLE, 0, nullptr, onUiEvent,
                                       nullptr))
                    ++failures;
                wave.push_back(std::move(o));
            }
            const bool drew = koui::soak::pumpUntil(
                manager,
                [&] {
                    for (auto& o : wave)
                        if (o->frames.load() < 3) return false;
                    return true;
                },
                20000);
            if (!drew) ++failures;
            for (auto& o : wave) manager.Destroy(o->window.get());
            koui::soak::pumpUntil(
                manager,
                [&] {
                    for (auto& o : wave)
                        if (koui::win32::IsWindow(o->window->getHWnd())) return false;
                    return true;
                },
                20000);
            wave.clear();  // joins the GL workers
            if (made == 0) {
                threadsAfterFirstWave = koui::soak::threadCount();
                memoryAfterFirstWave = koui::soak::residentKiB();
            }
        }
    }
    const int threadsAtEnd = koui::soak::threadCount();
    std::printf("%-18s %8s %10s\n", "", "threads", "RSS KiB");
    std::printf("%-18s %8d %10ld\n", "start", threadsAtStart, memoryAtStart);
    std::printf("%-18s %8d %10ld\n", "after first wave", threadsAfterFirstWave, memoryAfterFirstWave);
    std::printf("%-18s %8d %10ld\n", "end", threadsAtEnd, koui::soak::residentKiB());
    std::printf("threads at the end: %s\nwindows %d, failures %d\n", koui::soak::threadNames().c_str(), count,
                failures);
    return failures == 0 && threadsAtEnd == threadsAfterFirstWave ? 0 : 1;
}
