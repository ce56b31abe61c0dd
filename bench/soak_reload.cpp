// Soak run of live reloading: a window shows a panel whose colour comes from
// its definition file, and the file is rewritten COUNT times (default
// 10 000), mostly with faults the loader must refuse: an unclosed block
// after random bytes, an empty file, a stray closing bracket, a file over
// the size limit. After each edit the run waits until the window's watcher
// and GL worker have taken it, then checks that
//   - a good edit shows its colour,
//   - a faulty edit leaves the last good colour on screen and is reported
//     ("Reload of res.kor failed" followed by at least one reason line),
// and every 1 000 edits it prints the process's resident memory, which
// must stay flat. Exit status 0 when every check held.
//   soak_reload [COUNT]   (needs an X display; scripts/soak.sh runs it)
#include <GL/glew.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "bench/soak_support.h"
#include "koui/app/window.h"
#include "koui/app/window_manager.h"
#include "koui/family/appmsg.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/platform/platform.h"
#include "koui/res/instance.h"
#include "koui/ui/div.h"

namespace fs = std::filesystem;

namespace {

std::atomic<uint32_t> shownColour{0};  // 0xRRGGBB at the panel's centre
std::atomic<int> failedReloads{0}, reasonLines{0}, frames{0};

// Counts the failure reports and the reason lines that follow them.
void countLines(const char* line, void*) {
    const std::string text(line);
    if (text == "[ERROR] Reload of res.kor failed; the loaded resources stay")
        ++failedReloads;
    else if (text.rfind("[ERROR] Reload of res.kor: ", 0) == 0 || text.rfind("[ERROR]  ", 0) == 0)
        ++reasonLines;
}

std::string goodFile(uint32_t colour) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "%06x", colour);
    return std::string("colors {\n  panel: #") + hex + "\n}\npanel {\n  bkcolor: colors.panel\n}\n";
}

// A fault the loader refuses, chosen by `kind`.
void writeFaulty(const fs::path& file, int kind, std::mt19937& random) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    switch (kind) {
        case 0: {  // random bytes (no brackets or quotes) before an unclosed block
            std::string junk(random() % 200, ' ');
            for (char& c : junk) {
                c = static_cast<char>(random() % 256);
                if (c == '{' || c == '}' || c == '"' || c == '\'') c = '#';
            }
            out << junk << "\nbroken {\n  a: 1\n";
            break;
        }
        case 1:  // empty, as an editor leaves it while saving
            break;
        case 2:
            out << goodFile(0x123456) << "}\n";
            break;
        default:
            out.close();
            fs::resize_file(file, koui::res::Instance::kMaxDefinitionBytes + 1);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    koui::soak::TempFolder folder("koui-soak-reload");
    const fs::path file = folder.path() / "resdata" / "res.kor";
    fs::create_directories(file.parent_path());
    uint32_t good = 0x2060a0;
    std::ofstream(file) << goodFile(good);
    fs::current_path(folder.path());
    ko::log::appSetMsgSink(&countLines, nullptr);

    koui::app::WindowManager manager;
    koui::app::Window window;
    auto onUiEvent = [&](const std::string& event) {
        if (event == "canvas.created") {
            window.getInstance()->watchIntervalMs = 1;
            (new koui::Div)->Create("panel", window.getCanvas(), 0, 0, 64, 64, nullptr, 0, "panel");
        } else if (event == "gl.cycle.finish") {
            uint8_t rgba[4] = {};
            glReadPixels(32, 32, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
            shownColour = (uint32_t{rgba[0]} << 16) | (uint32_t{rgba[1]} << 8) | rgba[2];
            ++frames;
        }
    };
    if (!window.Create(nullptr, "soak", 0, 0, 64, 64, koui::win32::WS_POPUP | koui::win32::WS_VISIBLE, 0,
                       nullptr, onUiEvent, nullptr)) {
        std::fprintf(stderr, "soak_reload: cannot open a window (is there an X display?)\n");
        return 2;
    }
    auto pumpUntil = [&](auto done, int timeoutMs = 10000) {
        return koui::soak::pumpUntil(manager, done, timeoutMs);
    };
    if (!pumpUntil([&] { return shownColour.load() == good; })) {
        std::fprintf(stderr, "soak_reload: the first colour never showed\n");
        return 1;
    }

    std::mt19937 random(1234);
    const auto start = fs::last_write_time(file);
    int faults = 0, problems = 0;
    std::printf("%8s %10s %8s\n", "edits", "RSS KiB", "faults");
    for (int i = 1; i <= count; ++i) {
        const bool faulty = random() % 10 < 7;
        const int failedBefore = failedReloads.load();
        const int kind = faulty ? static_cast<int>(random() % 4) : -1;
        if (faulty) {
            writeFaulty(file, kind, random);
            ++faults;
        } else {
            good = random() & 0xffffff;
            std::ofstream(file, std::ios::trunc) << goodFile(good);
        }
        fs::last_write_time(file, start + std::chrono::seconds(i));  // every edit is seen as one
        const bool taken = faulty ? pumpUntil([&] { return failedReloads.load() > failedBefore; })
                                  : pumpUntil([&] { return shownColour.load() == good; });
        // Two more frames after a refused edit: the panel must still show
        // the last good colour.
        const int seen = frames.load();
        if (taken && faulty) pumpUntil([&] { return frames.load() >= seen + 2; });
        if (!taken || shownColour.load() != good) {
            if (++problems <= 10)
                std::fprintf(stderr, "soak_reload: edit %d (%s %d) %s: shows %06x, last good %06x\n", i,
                             faulty ? "faulty" : "good", kind, taken ? "taken" : "never taken", shownColour.load(),
                             good);
        }
        if (i % 1000 == 0 || i == count) std::printf("%8d %10ld %8d\n", i, koui::soak::residentKiB(), faults);
    }
    manager.DestroyAll();
    pumpUntil([] { return false; }, 200);
    std::printf("faulty edits %d, reported failures %d, reason lines %d, problems %d\n", faults,
                failedReloads.load(), reasonLines.load(), problems);
    return problems == 0 && failedReloads.load() == faults && reasonLines.load() >= faults ? 0 : 1;
}
