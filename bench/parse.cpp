// Parse speed and tree size of resource definitions.
//
// Generates a deterministic definition file of about 10 MB of theme content
// (nested style blocks, colours in every form, fonts, image sources with
// sections, quoted texts, comments, raw arrangement programs) and measures
// parse + preprocess + process of the whole file, as the resource loader
// runs them.
//
// Heap per node: this binary replaces the global operator new and delete and
// keeps a running total of the live heap (malloc_usable_size of each block,
// so allocator rounding counts too). The tree's share is the live total
// after building it minus the total before, with the parser's own line list
// already released; divided by the number of nodes in the tree. Nodes come
// from 64 KiB blocks (koui/res/node_blocks.h), so the figure counts whole
// blocks: each node's 16-byte block header, and the slots of the plain nodes
// that preprocessing replaced by typed ones, which stay taken until their
// block empties.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/heap_counter.h"
#include "koui/res/node.h"
#include "koui/res/srcfile.h"

using koui::bench::gCounting;
using koui::bench::gLiveBytes;

namespace {

// Small deterministic generator (64-bit LCG), so every run parses the same text.
class Random {
public:
    uint32_t next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state_ >> 33);
    }
    int range(int low, int high) {
        return low + static_cast<int>(next() % static_cast<uint32_t>(high - low + 1));
    }
    bool chance(int percent) { return range(0, 99) < percent; }

private:
    uint64_t state_ = 0x2545f4914f6cdd1dull;
};

const char* const kWords[] = {"panel", "button", "label",  "list",  "item", "header", "footer", "toolbar",
                              "menu",  "entry",  "slider", "check", "tab",  "view",   "ruler",  "status"};
const char* const kKeys[] = {"pos",        "size",        "padding",     "border-size", "border-radius",
                             "font-align", "image-flags", "image-scale", "font-offset", "font-sep"};

std::string word(Random& r) {
    return kWords[r.next() % (sizeof kWords / sizeof *kWords)];
}

std::string colour(Random& r) {
    char buffer[64];
    switch (r.range(0, 5)) {
        case 0:
            std::snprintf(buffer, sizeof buffer, "#%06x", r.next() & 0xffffff);
            break;
        case 1:
            std::snprintf(buffer, sizeof buffer, "#%03x", r.next() & 0xfff);
            break;
        case 2:
            std::snprintf(buffer, sizeof buffer, "rgb(%d, %d, %d)", r.range(0, 255), r.range(0, 255),
                          r.range(0, 255));
            break;
        case 3:
            std::snprintf(buffer, sizeof buffer, "rgba(%d, %d, %d, %d)", r.range(0, 255), r.range(0, 255),
                          r.range(0, 255), r.range(0, 255));
            break;
        case 4:
            std::snprintf(buffer, sizeof buffer, "hsl(%d, %d, %d)", r.range(0, 359), r.range(0, 100),
                          r.range(0, 100));
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "theme.%s-%d", kWords[r.next() % 16], r.range(0, 9));
            break;
    }
    return buffer;
}

void styleBlock(std::string& out, Random& r, int depth, int& serial) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    out += indent + word(r) + "-" + std::to_string(serial++) + " {\n";
    const std::string in = indent + "  ";
    if (r.chance(20)) out += in + "# " + word(r) + " of the " + word(r) + " area\n";
    const int keys = r.range(3, 7);
    for (int i = 0; i < keys; ++i) {
        const char* key = kKeys[r.next() % (sizeof kKeys / sizeof *kKeys)];
        out +=
            in + key + ": " + std::to_string(r.range(0, 400)) + "," + std::to_string(r.range(0, 300)) + "\n";
    }
    out += in + "color: " + colour(r) + "\n";
    if (r.chance(60)) out += in + "bkcolor: " + colour(r) + "\n";
    if (r.chance(40)) out += in + "font-type: fonts." + word(r) + "\n";
    if (r.chance(30)) out += in + "text: \"" + word(r) + " " + word(r) + "\"\n";
    if (r.chance(25)) out += in + "hover { color: " + colour(r) + " bkcolor: " + colour(r) + " }\n";
    if (r.chance(15)) out += in + "bold\n";
    if (r.chance(5)) {
        out += in + "\"!ui-arrange\" {\n" + in + "  commands: !<[[\noff,8,4\nh0," + word(r) + "\nhline\n";
        out += "div," + word(r) + ",0,0,*,24\n]]>\n" + in + "}\n";
    }
    if (depth < 4) {
        const int children = r.chance(50) ? r.range(1, 3) : 0;
        for (int i = 0; i < children; ++i) styleBlock(out, r, depth + 1, serial);
    }
    out += indent + "}\n";
}

std::string makeDefinitions(size_t targetBytes) {
    Random r;
    std::string out;
    out.reserve(targetBytes + 4096);
    int serial = 0;
    while (out.size() < targetBytes) {
        switch (r.range(0, 9)) {
            case 0: {
                out += "theme-" + std::to_string(serial++) + " {\n";
                for (int i = 0; i < 10; ++i)
                    out += "  " + word(r) + "-" + std::to_string(i) + ": " + colour(r) + "\n";
                out += "}\n";
                break;
            }
            case 1: {
                out += "font-" + std::to_string(serial++) +
                       " {\n  font\n  size: " + std::to_string(r.range(9, 32)) + "\n  src: \"Fonts/" +
                       word(r) + ".ttf\"\n}\n";
                break;
            }
            case 2: {
                out += "skin-" + std::to_string(serial++) + " {\n  imgsrc\n  src: \"Images/" + word(r) +
                       ".png\"\n  grid: 4\n";
                for (int i = 0; i < 4; ++i)
                    out += "  " + word(r) + " { img pos: " + std::to_string(r.range(0, 60)) + "," +
                           std::to_string(r.range(0, 60)) + " size: 16,6 hdist: 16 }\n";
                out += "}\n";
                break;
            }
            default:
                styleBlock(out, r, 0, serial);
                break;
        }
    }
    return out;
}

// The file as the loader holds it: its bytes and one byte 10 appended.
const std::vector<uint8_t>& definitions() {
    static const std::vector<uint8_t> data = [] {
        const std::string text = makeDefinitions(10u << 20);
        std::vector<uint8_t> bytes(text.begin(), text.end());
        bytes.push_back(10);
        return bytes;
    }();
    return data;
}

size_t countNodes(const koui::res::Node& root) {
    std::vector<const koui::res::Node*> stack{&root};
    size_t count = 0;
    while (!stack.empty()) {
        const koui::res::Node* node = stack.back();
        stack.pop_back();
        ++count;
        stack.insert(stack.end(), node->children.begin(), node->children.end());
    }
    return count;
}

// Builds the tree as the loader does; false on a parse error.
bool load(koui::res::Node& root, const std::vector<uint8_t>& data) {
    {
        koui::res::SrcFile src;
        if (!src.Process(&root, data)) return false;
    }
    root.Preprocess(0);
    if (root.OnProcess())
        for (koui::res::Node* child : root.children) child->Process();
    return root.errors.empty();
}

void BM_ParsePreprocessProcess(benchmark::State& state) {
    const std::vector<uint8_t>& text = definitions();
    for (auto _ : state) {
        auto root = std::make_unique<koui::res::Node>("root");
        if (!load(*root, text)) state.SkipWithError("parse failed");
        benchmark::DoNotOptimize(root.get());
        state.PauseTiming();  // tearing the tree down is not part of loading
        root.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));

    // Tree size, measured once outside the timed loop.
    const int64_t before = gLiveBytes;
    gCounting = true;
    auto root = std::make_unique<koui::res::Node>("root");
    load(*root, text);
    const int64_t treeBytes = gLiveBytes - before;
    const size_t nodes = countNodes(*root);
    root.reset();
    gCounting = false;
    state.counters["file_MB"] = static_cast<double>(text.size()) / 1e6;
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["heap_bytes_per_node"] = static_cast<double>(treeBytes) / static_cast<double>(nodes);
}
BENCHMARK(BM_ParsePreprocessProcess)->Unit(benchmark::kMillisecond)->MinTime(3.0);

// Breakdown: line extraction alone (a null root stops right after it) ...
void BM_ExtractLines(benchmark::State& state) {
    const std::vector<uint8_t>& data = definitions();
    for (auto _ : state) {
        koui::res::SrcFile src;
        benchmark::DoNotOptimize(src.Process(nullptr, data));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_ExtractLines)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// ... and extraction plus statement parsing, without preprocess and process.
void BM_ParseOnly(benchmark::State& state) {
    const std::vector<uint8_t>& data = definitions();
    for (auto _ : state) {
        auto root = std::make_unique<koui::res::Node>("root");
        {
            koui::res::SrcFile src;
            benchmark::DoNotOptimize(src.Process(root.get(), data));
        }
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_ParseOnly)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace

BENCHMARK_MAIN();
