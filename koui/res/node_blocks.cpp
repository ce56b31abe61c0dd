#include "koui/res/node_blocks.h"

#include <atomic>
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
// Larger objects would waste too much of a block's tail; none of the node
// classes comes near this.
constexpr std::size_t kLargest = kBlockSize / 8;

// While a thread carves from a block, the block's count starts from this
// bias instead of being raised once per allocation: releases count down from
// it, and when the thread is done with the block it trades the bias for the
// number it carved. The count cannot reach zero before that trade, so one
// atomic operation per node (its release) is enough.
constexpr std::size_t kCarvingBias = std::size_t{1} << 62;

// The head of a block; the carved allocations follow it.
struct alignas(kAlign) Block {
    // Carved allocations not yet released; see kCarvingBias.
    std::atomic<std::size_t> live{kCarvingBias};
};

// What precedes each allocation: its block, null for one from the heap, and
// the bytes usable after the header (for capacity()).
struct alignas(kAlign) Header {
    Block* block;
    std::size_t capacity;
};

std::atomic<std::size_t> gLiveBlocks{0};

// Emptied blocks kept for the next tree, linked through their first bytes.
// A reload drops a tree of about the size of the one it builds next: taking
// the blocks back from here instead of from the heap saves the page faults
// of memory the heap had given back to the system, which cost a fifth of a
// large parse.
struct CachedBlock {
    CachedBlock* next;
};

struct BlockCache {
    std::mutex mutex;
    CachedBlock* head = nullptr;
    std::size_t count = 0;
    std::size_t limit = kDefaultCacheLimit / kBlockSize;
};

BlockCache& cache() {
    static BlockCache* const instance = new BlockCache;  // never destroyed: threads may end after main
    return *instance;
}

// Keeps `memory` for reuse, or gives it to the heap when the cache is full.
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
    ::operator delete(memory);
}

void* takeCached() noexcept {
    BlockCache& c = cache();
    const std::lock_guard<std::mutex> lock(c.mutex);
    CachedBlock* const block = c.head;
    if (!block) return nullptr;
    c.head = block->next;
    --c.count;
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

// The block this thread carves from. Plain data, so that reaching it needs
// no per-use set-up; ThreadEnd hands the block back when the thread ends.
struct Carving {
    Block* block = nullptr;
    char* next = nullptr;
    char* end = nullptr;
    std::size_t carved = 0;  // allocations carved from `block`
};

thread_local Carving tCarving;

void retire(Carving& carving) noexcept {
    if (carving.block) settle(carving.block, carving.carved - kCarvingBias);
    carving = Carving{};
}

struct ThreadEnd {
    ~ThreadEnd() { retire(tCarving); }
};

thread_local ThreadEnd tThreadEnd;

void refill(Carving& carving) {
    // Using tThreadEnd makes sure its destructor runs at this thread's end.
    static_cast<void>(&tThreadEnd);
    void* cached = takeCached();
    char* memory = static_cast<char*>(cached ? cached : ::operator new(kBlockSize));
    Block* fresh = new (memory) Block;
    gLiveBlocks.fetch_add(1, std::memory_order_relaxed);
    retire(carving);
    carving.block = fresh;
    carving.next = memory + sizeof(Block);
    carving.end = memory + kBlockSize;
}

// `bytes` (a multiple of kAlign, at most kLargest) out of this thread's block.
Header* carve(std::size_t bytes) {
    Carving& carving = tCarving;
    if (static_cast<std::size_t>(carving.end - carving.next) < bytes) refill(carving);
    auto* header = reinterpret_cast<Header*>(carving.next);
    carving.next += bytes;
    ++carving.carved;
    header->block = carving.block;
    header->capacity = bytes - sizeof(Header);
    return header;
}

}  // namespace

void* allocate(std::size_t size) {
    const std::size_t bytes = sizeof(Header) + roundUp(size == 0 ? 1 : size);
    Header* header = nullptr;
    if (kCarve && bytes <= kLargest) {
        header = carve(bytes);
    } else {
        header = static_cast<Header*>(::operator new(bytes));
        header->block = nullptr;
        header->capacity = bytes - sizeof(Header);
    }
    return header + 1;
}

void release(void* p) noexcept {
    if (!p) return;
    Header* header = static_cast<Header*>(p) - 1;
    if (header->block)
        settle(header->block, static_cast<std::size_t>(-1));
    else
        ::operator delete(header);
}

std::size_t capacity(const void* p) noexcept {
    return (static_cast<const Header*>(p) - 1)->capacity;
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
        ::operator delete(surplus);
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
