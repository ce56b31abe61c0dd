// The resource instance's running costs.
//
// Reload: a 1 MB main definition file (colours in every form, fonts, nested
// style blocks with parameters that name colours by path, quoted texts)
// reloaded by CallResSourceChange: read, parse, preprocess, process, load
// and swap of the tree, the old tree deleted. Each iteration gives the file
// a new write time, so every call reloads. No image sources: their loading
// needs a GL context and is the decoder's cost (bench_png).
//
// Watch: one checkForChangesInFolderFiles over a folder of 1 000 files in
// 10 subfolders, nothing changed: what the watcher thread pays four times a
// second for the life of the application.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

#include "koui/res/instance.h"

namespace {

namespace fs = std::filesystem;

class TempFolder {
public:
    explicit TempFolder(const std::string& tag)
        : path_(fs::temp_directory_path() / ("koui_bench_" + tag + "_" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void writeText(const fs::path& path, const std::string& text) {
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// About `bytes` of theme definitions.
std::string themeText(size_t bytes) {
    std::string out = "palette {\n";
    for (int i = 0; i < 200; ++i) {
        out += "  c" + std::to_string(i) + ": #" + std::to_string(100000 + i * 37).substr(0, 6) + "\n";
        out += "  h" + std::to_string(i) + ": hsla(" + std::to_string(i) + ", 50, 40, 0.5)\n";
    }
    out += "}\nfonts {\n";
    for (int i = 0; i < 20; ++i)
        out += "  f" + std::to_string(i) + " { font size: " + std::to_string(10 + i) +
               " src: \"Fonts/f.ttf\" bold }\n";
    out += "}\n";
    for (int block = 0; out.size() < bytes; ++block) {
        const std::string n = std::to_string(block);
        out += "# style block " + n + "\nstyle" + n +
               " {\n  pos: 10,20\n  size: 100%,32\n  bkcolor: palette.c" + std::to_string(block % 200) +
               "\n  color: rgba(10, 20, 30, 200)\n  font-type: fonts.f" + std::to_string(block % 20) +
               "\n  tooltip: \"Tooltip of element " + n + "\"\n  hover {\n    bkcolor: palette.h" +
               std::to_string(block % 200) + "\n    border-size: 1\n    border-color: #fff\n  }\n}\n";
    }
    return out;
}

void BM_ReloadMainFile1MB(benchmark::State& state) {
    TempFolder dir("reload");
    const std::string text = themeText(1 << 20);
    writeText(dir.path() / "res.kor", text);
    koui::res::Instance inst(dir.path().string(), "");
    if (!inst.Load("res.kor", false)) {
        state.SkipWithError("the generated theme does not load");
        return;
    }
    auto time = fs::last_write_time(dir.path() / "res.kor");
    const koui::res::Node* before = nullptr;
    for (auto _ : state) {
        state.PauseTiming();
        time += std::chrono::seconds(1);
        fs::last_write_time(dir.path() / "res.kor", time);
        before = inst.getRoot();
        state.ResumeTiming();
        inst.CallResSourceChange();
        if (inst.getRoot() == before) state.SkipWithError("no reload happened");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    state.counters["file_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ReloadMainFile1MB)->Unit(benchmark::kMillisecond);

void BM_CheckFolder1000Files(benchmark::State& state) {
    TempFolder dir("watch");
    writeText(dir.path() / "res.kor", "a: 1\n");
    for (int folder = 0; folder < 10; ++folder)
        for (int file = 0; file < (folder == 0 ? 99 : 100); ++file)
            writeText(
                dir.path() / ("Images" + std::to_string(folder)) / ("image" + std::to_string(file) + ".png"),
                "x");
    koui::res::Instance inst(dir.path().string(), "");
    if (!inst.Load("res.kor", false)) {
        state.SkipWithError("cannot load");
        return;
    }
    for (auto _ : state) {
        const bool changed = inst.checkForChangesInFolderFiles();
        benchmark::DoNotOptimize(changed);
        if (changed) state.SkipWithError("unexpected change");
    }
    state.counters["entries"] = static_cast<double>(inst.folderFileCount());
}
BENCHMARK(BM_CheckFolder1000Files)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
