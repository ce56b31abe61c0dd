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
// already released, plus the node blocks the tree holds; divided by the
// number of nodes in the tree. Nodes come from 64 KiB blocks mapped outside
// the heap (koui/res/node_blocks.h), so the figure counts whole blocks; the
// block cache is emptied for the measurement, so that every block of the
// measured tree is new.
// The timed loop keeps the cache, as a program reloading its theme would.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "bench/heap_counter.h"
#include "bench/theme_text.h"
#include "koui/res/node.h"
#include "koui/res/node_blocks.h"
#include "koui/res/srcfile.h"

using koui::bench::gCounting;
using koui::bench::gLiveBytes;

namespace {

// The file as the loader holds it: its bytes and one byte 10 appended.
const std::vector<uint8_t>& definitions() {
    static const std::vector<uint8_t> data = [] {
        const std::string text = koui::bench::makeThemeText(10u << 20);
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
    const size_t keptBytes = koui::res::node_blocks::cacheLimit();
    koui::res::node_blocks::setCacheLimit(0);
    const int64_t before = gLiveBytes;
    const size_t blocksBefore = koui::res::node_blocks::liveBlockCount();
    gCounting = true;
    auto root = std::make_unique<koui::res::Node>("root");
    load(*root, text);
    const int64_t treeBytes = gLiveBytes - before +
                              static_cast<int64_t>((koui::res::node_blocks::liveBlockCount() - blocksBefore) *
                                                   koui::res::node_blocks::kBlockSize);
    const size_t nodes = countNodes(*root);
    root.reset();
    gCounting = false;
    koui::res::node_blocks::setCacheLimit(keptBytes);
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
