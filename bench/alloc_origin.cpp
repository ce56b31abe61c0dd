#include "bench/alloc_origin.h"

#include <dlfcn.h>
#include <execinfo.h>

#include <cstdlib>
#include <new>
#include <string_view>

namespace koui::bench {

thread_local bool gCounting = false;
int64_t gAllocations = 0;
int64_t gLibraryAllocations = 0;

}  // namespace koui::bench

namespace {

using namespace koui::bench;

thread_local bool gInside = false;  // an allocation made while finding a caller

// The benchmark program holds template copies that the driver calls too,
// so it is skipped like the C++ runtime.
bool fromLibrary() {
    void* frames[16];
    const int n = backtrace(frames, 16);
    Dl_info self{};
    dladdr(reinterpret_cast<void*>(&fromLibrary), &self);
    for (int i = 2; i < n; ++i) {
        Dl_info info{};
        if (!dladdr(frames[i], &info) || !info.dli_fname) return false;
        const std::string_view module = info.dli_fname;
        if (module.find("libstdc++") != module.npos || info.dli_fbase == self.dli_fbase) continue;
        return module.find("libko-ui") != module.npos;
    }
    return false;
}

void* allocate(size_t size) {
    if (gCounting && !gInside) {
        gInside = true;
        ++gAllocations;
        if (fromLibrary()) ++gLibraryAllocations;
        gInside = false;
    }
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}

}  // namespace

void* operator new(size_t size) {
    return allocate(size);
}
void* operator new[](size_t size) {
    return allocate(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, size_t) noexcept {
    std::free(p);
}
