// Storage for Node objects: nodes are carved one after another out of
// 64 KiB blocks instead of each coming from the general heap.
//
// A reload builds a tree of tens of thousands of nodes and then frees the
// previous one. From the general heap that means one malloc per node, and
// freeing a whole tree leaves the heap full of small holes that the next
// parse has to sort and merge again. Carving nodes in parse order out of a
// few large blocks makes both ends cheap, and puts each tree's nodes next to
// each other in memory in the order every walk visits them.
//
// Blocks are aligned to their size, and the head of each block holds its
// count of live allocations and the one slot size it is carved in, so that
// an allocation finds both by rounding its address down: nothing precedes
// it. Each thread carves from one current block per size class (multiples of
// 16 bytes up to 1 KiB; larger objects get an aligned allocation of their
// own with the same head). A block is emptied when its last allocation is
// released (the blocks a thread still carves from stay until the thread
// moves on to a new block or ends). Memory of single released nodes is not
// reused until their whole block is free, which suits trees: they are made
// and dropped whole. (Preprocessing, which replaces nodes one by one,
// constructs each replacement in the slot of the previous replaced node; see
// capacity().)
//
// Blocks are mapped from the system a few dozen at a time; they are not
// heap memory. liveBlockCount() * kBlockSize is what the live ones take.
//
// Emptied blocks are kept in a cache shared by all threads, up to
// cacheLimit() bytes (default kDefaultCacheLimit), and carving takes blocks
// from there before mapping new ones: the tree of a reload reuses the pages
// of the tree it replaces instead of faulting in new ones. Blocks beyond the
// limit go back to the system. setCacheLimit(0) turns the cache off and gives
// back what it holds.
//
// Any thread may allocate (each carves from its own block) and any thread may
// release (the counts are atomic), so a tree made on one thread can be
// destroyed on another.
//
// Under the address sanitizer every node comes from the heap (with its
// capacity in a small header), so that it keeps finding use after free and
// overruns of single nodes.
#pragma once

#include <cstddef>

#include "koui/export.h"

namespace koui::res::node_blocks {

constexpr std::size_t kBlockSize = std::size_t{64} << 10;
constexpr std::size_t kDefaultCacheLimit = std::size_t{256} << 20;

// At least `size` bytes aligned to 16; never null (throws std::bad_alloc).
KOUI_API void* allocate(std::size_t size);
// Releases what allocate() returned; null is ignored.
KOUI_API void release(void* p) noexcept;
// The bytes usable at `p` (from allocate()): `size` rounded up to 16. An
// object that fits may be constructed there after the one allocated for it
// is destroyed; release() then frees the slot as usual.
KOUI_API std::size_t capacity(const void* p) noexcept;

// The most bytes of emptied blocks kept for reuse; lowering it gives the
// surplus back to the system at once.
KOUI_API void setCacheLimit(std::size_t bytes);
KOUI_API std::size_t cacheLimit();

// Whether nodes are carved at all (false under the address sanitizer), the
// blocks holding nodes or being carved from, and the emptied blocks kept in
// the cache; for tests and benchmarks.
KOUI_API bool carving();
KOUI_API std::size_t liveBlockCount();
KOUI_API std::size_t cachedBlockCount();

}  // namespace koui::res::node_blocks
