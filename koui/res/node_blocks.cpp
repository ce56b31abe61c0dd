#include "koui/res/node_blocks.h"

#include <sys/mman.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#define KOUI_NODE_BLOCKS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOUI_NODE_BLOCKS_ASAN 1
#endif
#endif

namespace koui::res::node_blocks {

namespace {

#ifdef KOUI_NODE_BLOCKS_ASAN
constexpr bool kCarve = false;
#else
constexpr bool kCarve = true;
#endif

constexpr std::size_t kAlign = 16;  // what the heap gives, enough for every node
// Sizes are carved in classes of kAlign bytes up to this; larger objects
// (no node class comes near it) get an allocation of their own.
constexpr std::size_t kLargestCarved = 1024;
constexpr std::size_t kClasses = kLargestCarved / kAlign;
// Blocks are mapped this many at a time, so that the address space of a
// large tree costs few system calls; pages nobody carved from are never
// touched and take no memory.
constexpr std::size_t kBlocksPerMapping = 32;

// While a thread carves from a block, the block's count starts from this
// bias instead of being raised once per allocation: releases count down from
// it, and when the thread is done with the block it trades the bias for the
// number it carved. The count cannot reach zero before that trade, so one
// atomic operation per node (its release) is enough.
constexpr std::size_t kCarvingBias = std::size_t{1} << 62;

// The head of a block, at its aligned start: every allocation finds it by
// rounding its address down to kBlockSize, so allocations carry no header.
struct alignas(kAlign) Block {
    // Carved allocations not yet released; see kCarvingBias.
    std::atomic<std::size_t> live{kCarvingBias};
    uint32_t slot = 0;    // bytes of each allocation (capacity())
    uint32_t single = 0;  // 1: one large object from the heap, not carved
};
static_assert(sizeof(Block) == kAlign);

Block* blockOf(const void* p) noexcept {
    return reinterpret_cast<Block*>(reinterpret_cast<std::uintptr_t>(p) & ~(kBlockSize - 1));
}

std::atomic<std::size_t> gLiveBlocks{0};

// Emptied blocks kept for the next tree, linked through their first bytes.
// A reload drops a tree of about the size of the one it builds next: taking
// the blocks back from here instead of from the system saves the page faults
// of fresh memory, which cost a fifth of a large parse.
struct CachedBlock {
    CachedBlock* next;
};

struct BlockCache {
    std::mutex mutex;
    CachedBlock* head = nullptr;
    std::size_t count = 0;
    std::size_t limit = kDefaultCacheLimit / kBlockSize;
    // The part of the last mapping not handed out yet.
    char* fresh = nullptr;
    char* freshEnd = nullptr;
};

BlockCache& cache() {
    static BlockCache* const instance = new BlockCache;  // never destroyed: threads may end after main
    return *instance;
}

// kBlocksPerMapping blocks of fresh address space aligned to kBlockSize:
// one block more is mapped and the unaligned ends are given back.
char* mapBlocks() {
    const std::size_t bytes = kBlocksPerMapping * kBlockSize;
    void* raw =
        ::mmap(nullptr, bytes + kBlockSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(raw);
    const std::uintptr_t aligned = (start + kBlockSize - 1) & ~(kBlockSize - 1);
    if (aligned > start) ::munmap(raw, aligned - start);
    if (const std::size_t tail = start + kBlockSize - aligned)
        ::munmap(reinterpret_cast<void*>(aligned + bytes), tail);
    return reinterpret_cast<char*>(aligned);
}

void unmapBlock(void* memory) noexcept {
    ::munmap(memory, kBlockSize);
}

// Keeps `memory` for reuse, or gives it back when the cache is full.
void cacheOrFree(void* memory) noexcept {
    BlockCache& c = cache();
    {
        const std::lock_guard<std::mutex> lock(c.mutex);
        if (c.count < c.limit) {
            c.head = new (memory) CachedBlock{c.head};
            ++c.count;
            return;
        }
    }
    unmapBlock(memory);
}

// A block from the cache, else from the last mapping, else from a new one.
char* takeBlock() {
    BlockCache& c = cache();
    const std::lock_guard<std::mutex> lock(c.mutex);
    if (CachedBlock* const block = c.head) {
        c.head = block->next;
        --c.count;
        return reinterpret_cast<char*>(block);
    }
    if (c.fresh == c.freshEnd) {
        c.fresh = mapBlocks();
        c.freshEnd = c.fresh + kBlocksPerMapping * kBlockSize;
    }
    char* const block = c.fresh;
    c.fresh += kBlockSize;
    return block;
}

constexpr std::size_t roundUp(std::size_t n) {
    return (n + kAlign - 1) & ~(kAlign - 1);
}

// Adds `delta` (modulo 2^64) to the block's count; frees the block when
// that leaves nothing alive in it.
void settle(Block* block, std::size_t delta) noexcept {
    if (block->live.fetch_add(delta, std::memory_order_acq_rel) + delta != 0) return;
    block->~Block();
    gLiveBlocks.fetch_sub(1, std::memory_order_relaxed);
    cacheOrFree(block);
}

// The block this thread carves from for one size class. Plain data, so that
// reaching it needs no per-use set-up; ThreadEnd hands the blocks back when
// the thread ends.
struct Carving {
    Block* block = nullptr;
    char* next = nullptr;
    char* end = nullptr;
    std::size_t carved = 0;  // allocations carved from `block`
};

thread_local Carving tCarving[kClasses];

void retire(Carving& carving) noexcept {
    if (carving.block) settle(carving.block, carving.carved - kCarvingBias);
    carving = Carving{};
}

struct ThreadEnd {
    ~ThreadEnd() {
        for (Carving& carving : tCarving) retire(carving);
    }
};

thread_local ThreadEnd tThreadEnd;

void refill(Carving& carving, std::size_t slot) {
    // Using tThreadEnd makes sure its destructor runs at this thread's end.
    static_cast<void>(&tThreadEnd);
    char* memory = takeBlock();
    Block* fresh = new (memory) Block;
    fresh->slot = static_cast<uint32_t>(slot);
    gLiveBlocks.fetch_add(1, std::memory_order_relaxed);
    retire(carving);
    carving.block = fresh;
    carving.next = memory + sizeof(Block);
    carving.end = carving.next + (kBlockSize - sizeof(Block)) / slot * slot;
}

// `slot` bytes (a multiple of kAlign, at most kLargestCarved) out of this
// thread's block for that size.
void* carve(std::size_t slot) {
    Carving& carving = tCarving[slot / kAlign - 1];
    if (carving.next == carving.end) refill(carving, slot);
    void* p = carving.next;
    carving.next += slot;
    ++carving.carved;
    return p;
}

// A large object alone, still behind a Block at an aligned address so that
// release() and capacity() find it the same way.
void* allocateSingle(std::size_t slot) {
    void* memory = ::operator new (sizeof(Block) + slot, std::align_val_t{kBlockSize});
    Block* block = new (memory) Block;
    block->slot = static_cast<uint32_t>(slot);
    block->single = 1;
    return block + 1;
}

// Under the address sanitizer each allocation comes from the heap with its
// capacity in front of it.
struct alignas(kAlign) HeapHeader {
    std::size_t capacity;
};

}  // namespace

void* allocate(std::size_t size) {
    const std::size_t slot = roundUp(size == 0 ? 1 : size);
    if constexpr (!kCarve) {
        auto* header = static_cast<HeapHeader*>(::operator new(sizeof(HeapHeader) + slot));
        header->capacity = slot;
        return header + 1;
    }
    return slot <= kLargestCarved ? carve(slot) : allocateSingle(slot);
}

void release(void* p) noexcept {
    if (!p) return;
    if constexpr (!kCarve) {
        ::operator delete(static_cast<HeapHeader*>(p) - 1);
        return;
    }
    Block* const block = blockOf(p);
    if (block->single) {
        block->~Block();
        ::operator delete (block, std::align_val_t{kBlockSize});
    } else {
        settle(block, static_cast<std::size_t>(-1));
    }
}

std::size_t capacity(const void* p) noexcept {
    if constexpr (!kCarve) return (static_cast<const HeapHeader*>(p) - 1)->capacity;
    return blockOf(p)->slot;
}

void setCacheLimit(std::size_t bytes) {
    BlockCache& c = cache();
    CachedBlock* surplus = nullptr;
    {
        const std::lock_guard<std::mutex> lock(c.mutex);
        c.limit = bytes / kBlockSize;
        while (c.count > c.limit) {
            CachedBlock* const block = c.head;
            c.head = block->next;
            --c.count;
            block->next = surplus;
            surplus = block;
        }
    }
    while (surplus) {
        CachedBlock* const next = surplus->next;
        unmapBlock(surplus);
        surplus = next;
    }
}

std::size_t cacheLimit() {
    BlockCache& c = cache();
    const std::lock_guard<std::mutex> lock(c.mutex);
    return c.limit * kBlockSize;
}

std::size_t cachedBlockCount() {
    BlockCache& c = cache();
    const std::lock_guard<std::mutex> lock(c.mutex);
    return c.count;
}

bool carving() {
    return kCarve;
}

std::size_t liveBlockCount() {
    return gLiveBlocks.load(std::memory_order_relaxed);
}

}  // namespace koui::res::node_blocks
