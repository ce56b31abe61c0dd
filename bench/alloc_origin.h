// Allocation counter for benchmarks that check a steady state allocates
// nothing of its own.
//
// alloc_origin.cpp replaces the global operator new and delete of the binary
// it is linked into. While `gCounting` is true on a thread, every
// allocation of that thread (not those of the library's own threads, such
// as the resource watcher) counts in
// `gAllocations`, and those that the library (libko-ui) asked for also in
// `gLibraryAllocations`: the first caller outside the C++ runtime and the
// benchmark program decides, so that a GL driver's allocations (a software
// renderer allocates while it compiles state variants) do not count as the
// library's. Finding the caller walks the stack, which makes counted
// allocations slow: time frames without counting.
#pragma once

#include <cstdint>

namespace koui::bench {

extern thread_local bool gCounting;  // counts the allocations of this thread only
extern int64_t gAllocations;
extern int64_t gLibraryAllocations;

}  // namespace koui::bench
