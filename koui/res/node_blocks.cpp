#include "koui/res/node_blocks.h"

#include <atomic>
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
constexpr std::size_t kBlockSize = std::size_t{64} << 10;
// Larger objects would waste too much of a block's tail; none of the node
// classes comes near this.
constexpr std::size_t kLargest = kBlockSize / 8;

// The head of a block; the carved allocations follow it.
struct alignas(kAlign) Block {
    // Allocations alive in the block, plus one while a thread carves from it.
    std::atomic<std::size_t> live{1};
};

// What precedes each allocation: its block, null for one from the heap.
struct alignas(kAlign) Header {
    Block* block;
};

std::atomic<std::size_t> gLiveBlocks{0};

constexpr std::size_t roundUp(std::size_t n) {
    return (n + kAlign - 1) & ~(kAlign - 1);
}

void dropCount(Block* block) noexcept {
    if (block->live.fetch_sub(1, std::memory_order_acq_rel) != 1) return;
    block->~Block();
    ::operator delete(block);
    gLiveBlocks.fetch_sub(1, std::memory_order_relaxed);
}

// The block this thread carves from. Its count keeps the block alive while
// the thread may still carve from it; the thread's end drops that count.
class Carver {
public:
    Carver() = default;
    Carver(const Carver&) = delete;
    Carver& operator=(const Carver&) = delete;
    ~Carver() {
        if (block_) dropCount(block_);
        // A node made after this (by another thread-local's destructor)
        // starts a new block rather than carving from a released one.
        block_ = nullptr;
        next_ = end_ = nullptr;
    }

    // `bytes` (a multiple of kAlign, at most kLargest) out of the block.
    Header* carve(std::size_t bytes) {
        if (static_cast<std::size_t>(end_ - next_) < bytes) refill();
        auto* header = reinterpret_cast<Header*>(next_);
        next_ += bytes;
        block_->live.fetch_add(1, std::memory_order_relaxed);
        header->block = block_;
        return header;
    }

private:
    void refill() {
        char* memory = static_cast<char*>(::operator new(kBlockSize));
        Block* fresh = new (memory) Block;
        gLiveBlocks.fetch_add(1, std::memory_order_relaxed);
        if (block_) dropCount(block_);
        block_ = fresh;
        next_ = memory + sizeof(Block);
        end_ = memory + kBlockSize;
    }

    Block* block_ = nullptr;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

thread_local Carver tCarver;

}  // namespace

void* allocate(std::size_t size) {
    const std::size_t bytes = sizeof(Header) + roundUp(size == 0 ? 1 : size);
    Header* header = nullptr;
    if (kCarve && bytes <= kLargest) {
        header = tCarver.carve(bytes);
    } else {
        header = static_cast<Header*>(::operator new(bytes));
        header->block = nullptr;
    }
    return header + 1;
}

void release(void* p) noexcept {
    if (!p) return;
    Header* header = static_cast<Header*>(p) - 1;
    if (header->block)
        dropCount(header->block);
    else
        ::operator delete(header);
}

bool carving() {
    return kCarve;
}

std::size_t liveBlockCount() {
    return gLiveBlocks.load(std::memory_order_relaxed);
}

}  // namespace koui::res::node_blocks
