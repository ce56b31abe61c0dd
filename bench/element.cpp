// Element tree speed and size.
//
// A canvas of 1280 x 800 pixels holds 10 000 elements, depth 6: levels 1 to 5
// complete with five children each (3 905 elements), level 6 filled in
// breadth-first order up to 10 000. Sizes, positions and alignments mix the
// three units, negative sizes, padding and borders; every child lies inside
// its parent, so a point finds a chain down to level 6.
//
// Iterate: one canvas Iterate (geometry, easing and matrices of every
// element). HitTest: one GetByPos at a point that varies per run.
//
// Size of one plain Div: sizeof(Div), and its heap after Create with a short
// name under a parent, measured by replacing the global operator new and
// delete and keeping a running total of the live heap (malloc_usable_size of
// each block, so allocator rounding counts too).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <new>
#include <vector>

#include "koui/host/canvas.h"

namespace {

bool gCounting = false;
int64_t gLiveBytes = 0;

void* allocate(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    if (gCounting) gLiveBytes += static_cast<int64_t>(malloc_usable_size(p));
    return p;
}

void release(void* p) noexcept {
    if (!p) return;
    if (gCounting) gLiveBytes -= static_cast<int64_t>(malloc_usable_size(p));
    std::free(p);
}

}  // namespace

void* operator new(size_t size) {
    return allocate(size);
}
void* operator new[](size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    release(p);
}
void operator delete[](void* p) noexcept {
    release(p);
}
void operator delete(void* p, size_t) noexcept {
    release(p);
}
void operator delete[](void* p, size_t) noexcept {
    release(p);
}

namespace {

constexpr int kElements = 10000;
constexpr int kFanout = 5;
constexpr int kDepth = 6;

// One element of the mix: the kind decides units, alignment and padding.
void shape(koui::Div* d, int index) {
    switch (index % 4) {
        case 0:  // pixels, top left, with padding and border
            d->dSetPosAndSize(2, 2, -8, -8, koui::UNIT_PIXEL);
            d->padding[0] = d->padding[1] = 1;
            d->borderSize = 1;
            break;
        case 1:  // fractions, centred
            d->dSetPos(0.0f, 0.0f, koui::UNIT_FRACTION);
            d->dSetCX(0.8f, koui::UNIT_FRACTION);
            d->dSetCY(0.8f, koui::UNIT_FRACTION);
            d->hAlign = d->vAlign = 1;
            break;
        case 2:  // percent, right and bottom
            d->dSetPos(1.0f, 1.0f, koui::UNIT_PERCENT);
            d->dSetCX(-10.0f, koui::UNIT_PERCENT);
            d->dSetCY(90.0f, koui::UNIT_PERCENT);
            d->hAlign = d->vAlign = 2;
            break;
        default:  // negative pixels, scrolled children
            d->dSetPosAndSize(1, 1, -4, -4, koui::UNIT_PIXEL);
            d->setChildrenOffset(0, 0);
            break;
    }
}

struct Tree {
    std::unique_ptr<koui::Canvas> canvas{new koui::Canvas()};
    Tree() {
        canvas->setViewport(0, 0, 1280, 800);
        std::deque<std::pair<koui::Div*, int>> open{{canvas.get(), 0}};
        int made = 0;
        while (made < kElements && !open.empty()) {
            auto [parent, depth] = open.front();
            open.pop_front();
            for (int i = 0; i < kFanout && made < kElements; ++i) {
                auto* d = new koui::Div();
                d->Create("e", parent, 0, 0, 0, 0, nullptr, 0, "");
                shape(d, made++);
                if (depth + 1 < kDepth) open.emplace_back(d, depth + 1);
            }
        }
        canvas->Iterate();
    }
};

Tree& tree() {
    static Tree t;
    return t;
}

void BM_Iterate(benchmark::State& state) {
    Tree& t = tree();
    for (auto _ : state) t.canvas->Iterate();
    state.counters["elements"] = kElements;
}
BENCHMARK(BM_Iterate)->Unit(benchmark::kMillisecond);

void BM_HitTest(benchmark::State& state) {
    Tree& t = tree();
    std::vector<koui::e_getdivpos> hits;
    hits.reserve(64);
    int i = 0, found = 0;
    for (auto _ : state) {
        double x = 100 + (i * 37) % 1000, y = 80 + (i * 53) % 600;
        found = t.canvas->GetByPos(hits, x, y);
        benchmark::DoNotOptimize(found);
        ++i;
    }
    state.counters["hits"] = found;
}
BENCHMARK(BM_HitTest)->Unit(benchmark::kMicrosecond);

void BM_DivSize(benchmark::State& state) {
    koui::Div parent;
    int64_t heap = 0;
    for (auto _ : state) {
        gLiveBytes = 0;
        gCounting = true;
        auto* d = new koui::Div();
        d->Create("button", &parent, 0, 0, 10, 10, nullptr, 0, "");
        int64_t total = gLiveBytes;
        gCounting = false;
        heap = total - static_cast<int64_t>(malloc_usable_size(d));
        gCounting = true;
        delete d;
        gCounting = false;
    }
    state.counters["sizeof_Div"] = sizeof(koui::Div);
    state.counters["heap_bytes"] = static_cast<double>(heap);
}
BENCHMARK(BM_DivSize)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
