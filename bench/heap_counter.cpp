#include "bench/heap_counter.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

namespace koui::bench {

bool gCounting = false;
int64_t gLiveBytes = 0;
int64_t gPeakBytes = 0;

}  // namespace koui::bench

namespace {

using koui::bench::gCounting;
using koui::bench::gLiveBytes;
using koui::bench::gPeakBytes;

void* allocate(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    if (gCounting) {
        gLiveBytes += static_cast<int64_t>(malloc_usable_size(p));
        if (gLiveBytes > gPeakBytes) gPeakBytes = gLiveBytes;
    }
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
