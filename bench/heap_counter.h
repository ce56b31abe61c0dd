// Live-heap counter for benchmarks that report memory per object.
//
// heap_counter.cpp replaces the global operator new and delete of the binary
// it is linked into. While `gCounting` is true, `gLiveBytes` follows the live
// heap by the usable size of each block (malloc_usable_size), so allocator
// rounding counts too, and `gPeakBytes` keeps the highest value it reached.
#pragma once

#include <cstdint>

namespace koui::bench {

extern bool gCounting;
extern int64_t gLiveBytes;
extern int64_t gPeakBytes;

}  // namespace koui::bench
