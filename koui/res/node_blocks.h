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
// Each allocation is preceded by a pointer to its block; each block counts
// the nodes still alive in it and returns to the heap when the last one is
// released (the block a thread still carves from stays until the thread
// moves on to a new block or ends). Memory of single released nodes is not reused until their
// whole block is free, which suits trees: they are made and dropped whole.
//
// Any thread may allocate (each carves from its own block) and any thread may
// release (the counts are atomic), so a tree made on one thread can be
// destroyed on another. Objects too large for a block come from the heap.
//
// Under the address sanitizer every node comes from the heap, so that it
// keeps finding use after free and overruns of single nodes.
#pragma once

#include <cstddef>

#include "koui/export.h"

namespace koui::res::node_blocks {

// At least `size` bytes aligned to 16; never null (throws std::bad_alloc).
KOUI_API void* allocate(std::size_t size);
// Releases what allocate() returned; null is ignored.
KOUI_API void release(void* p) noexcept;

// Whether nodes are carved at all (false under the address sanitizer), and
// the blocks allocated and not yet returned to the heap; for tests.
KOUI_API bool carving();
KOUI_API std::size_t liveBlockCount();

}  // namespace koui::res::node_blocks
