// Element tree speed and size.
//
// A canvas of 1280 x 800 pixels holds 10 000 elements, depth 6: levels 1 to 5
// complete with five children each (3 905 elements), level 6 filled in
// breadth-first order up to 10 000. Sizes, positions and alignments mix the
// three units, negative sizes and centring; every child lies inside its
// parent and siblings do not overlap, so a point finds one chain of elements.
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
#include <vector>

#include "bench/heap_counter.h"
#include "koui/host/canvas.h"

using koui::bench::gCounting;
using koui::bench::gLiveBytes;

namespace {

constexpr int kElements = 10000;
constexpr int kFanout = 5;
constexpr int kDepth = 6;

// Children split their parent's client area into five slots, along x on odd
// levels and along y on even ones, so that siblings do not overlap and a
// point finds one chain of elements. The element's index picks how the same
// slot is written: pixels, fractions, percent, or a negative size with
// centring on the other axis.
void place(koui::Div* d, int index, int slot, bool alongX, float pw, float ph) {
    const float s = (alongX ? pw : ph) / kFanout;  // slot extent in pixels
    const float at = slot * s + 0.05f * s, len = 0.9f * s;
    const float other = alongX ? ph : pw;
    float x = alongX ? at : 0.05f * other, y = alongX ? 0.05f * other : at;
    float w = alongX ? len : 0.9f * other, h = alongX ? 0.9f * other : len;
    switch (index % 4) {
        case 0:
            d->dSetPos(x, y, koui::UNIT_PIXEL);
            d->dSetCX(w, koui::UNIT_PIXEL);
            d->dSetCY(h, koui::UNIT_PIXEL);
            break;
        case 1:
            d->dSetPos(x / pw, y / ph, koui::UNIT_FRACTION);
            d->dSetCX(w / pw, koui::UNIT_FRACTION);
            d->dSetCY(h / ph, koui::UNIT_FRACTION);
            break;
        case 2:
            d->dSetPos(x / pw * 100, y / ph * 100, koui::UNIT_PERCENT);
            d->dSetCX(w / pw * 100, koui::UNIT_PERCENT);
            d->dSetCY(h / ph * 100, koui::UNIT_PERCENT);
            break;
        default:  // the other axis: parent minus a tenth, centred
            if (alongX) {
                d->dSetPos(x, 0.0f, koui::UNIT_PIXEL);
                d->dSetCX(w, koui::UNIT_PIXEL);
                d->dSetCY(-0.1f * ph, koui::UNIT_PIXEL);
                d->vAlign = 1;
            } else {
                d->dSetPos(0.0f, y, koui::UNIT_PIXEL);
                d->dSetCX(-10.0f, koui::UNIT_PERCENT);
                d->dSetCY(h, koui::UNIT_PIXEL);
                d->hAlign = 1;
            }
            break;
    }
}

struct Tree {
    std::unique_ptr<koui::Canvas> canvas{new koui::Canvas()};
    struct Open {
        koui::Div* div;
        int depth;
        float w, h;
    };
    Tree() {
        canvas->setViewport(0, 0, 1280, 800);
        std::deque<Open> open{{canvas.get(), 0, 1280, 800}};
        int made = 0;
        while (made < kElements && !open.empty()) {
            Open p = open.front();
            open.pop_front();
            const bool alongX = p.depth % 2 == 0;
            for (int i = 0; i < kFanout && made < kElements; ++i) {
                auto* d = new koui::Div();
                d->Create("e", p.div, 0, 0, 0, 0, nullptr, 0, "");
                place(d, made++, i, alongX, p.w, p.h);
                const float w = alongX ? 0.9f * p.w / kFanout : 0.9f * p.w;
                const float h = alongX ? 0.9f * p.h : 0.9f * p.h / kFanout;
                if (p.depth + 1 < kDepth) open.push_back({d, p.depth + 1, w, h});
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
