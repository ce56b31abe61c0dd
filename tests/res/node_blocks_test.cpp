// Node storage: blocks go back to the heap with the trees carved from them,
// also when a tree is made on one thread and dropped on another.
#include "koui/res/node_blocks.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "koui/res/color.h"
#include "koui/res/node.h"
#include "parse_helpers.h"

namespace {

namespace blocks = koui::res::node_blocks;
using koui::res::Node;

// About 20 000 nodes: several blocks' worth.
std::string manyBlocks() {
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "b" + std::to_string(i) +
                " { a: 1 c: #fff f: rgb(1, 2, 3) g { x y: \"long text beyond sso\" } }\n";
    return text;
}

TEST(NodeBlocks, AllocationsAreAlignedAndApart) {
    std::vector<std::pair<unsigned char*, std::size_t>> got;
    // {size, capacity}: carved sizes round up to 16, as do larger ones.
    const std::pair<std::size_t, std::size_t> sizes[] = {
        {0, 16},      {1, 16},      {15, 16},     {16, 16},     {17, 32},        {216, 224},
        {1000, 1008}, {1025, 1040}, {8191, 8192}, {8192, 8192}, {100000, 100000}};
    for (auto [size, capacity] : sizes) {
        auto* p = static_cast<unsigned char*>(blocks::allocate(size));
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u) << size;
        EXPECT_EQ(blocks::capacity(p), capacity) << size;
        std::memset(p, static_cast<int>(got.size()), size);
        got.emplace_back(p, size);
    }
    // Each kept its own bytes: none overlaps another.
    for (std::size_t i = 0; i < got.size(); ++i)
        for (std::size_t b = 0; b < got[i].second; ++b)
            ASSERT_EQ(got[i].first[b], static_cast<unsigned char>(i)) << i << " byte " << b;
    for (auto& [p, size] : got) blocks::release(p);
    blocks::release(nullptr);
}

TEST(NodeBlocks, DroppedTreeReturnsItsBlocks) {
    const std::size_t before = blocks::liveBlockCount();
    auto parsed = koui::test::parse(manyBlocks());
    ASSERT_TRUE(parsed->ok);
    parsed->root->Preprocess(0);  // typed nodes replace plain ones: blocks hold holes
    ASSERT_NE(dynamic_cast<koui::res::Color*>(parsed->at("b1999.c")), nullptr);
    if (blocks::carving()) {
        EXPECT_GT(blocks::liveBlockCount(), before + 10);
    }
    parsed.reset();
    // What is left is at most the block this thread still carves from.
    EXPECT_LE(blocks::liveBlockCount(), before + 1);
}

TEST(NodeBlocks, TreeMadeOnOneThreadDroppedOnAnother) {
    const std::size_t before = blocks::liveBlockCount();
    std::unique_ptr<koui::test::Parsed> parsed;
    std::thread maker([&] { parsed = koui::test::parse(manyBlocks()); });
    maker.join();  // the maker's end releases its carving block to the tree
    ASSERT_TRUE(parsed->ok);
    EXPECT_EQ(parsed->root->children.size(), 2000u);
    std::thread dropper([&] { parsed.reset(); });
    dropper.join();
    EXPECT_EQ(blocks::liveBlockCount(), before);
}

TEST(NodeBlocks, NodesDeletedOneByOneInAnyOrder) {
    const std::size_t before = blocks::liveBlockCount();
    std::vector<Node*> nodes;
    for (int i = 0; i < 3000; ++i) nodes.push_back(new Node("n" + std::to_string(i)));
    for (std::size_t i = 0; i < nodes.size(); i += 2) delete nodes[i];
    for (std::size_t i = 1; i < nodes.size(); i += 2) {
        EXPECT_EQ(nodes[i]->name, "n" + std::to_string(i));
        delete nodes[i];
    }
    EXPECT_LE(blocks::liveBlockCount(), before + 1);
}

TEST(NodeBlocks, EachTypedNodeTakesTheSlotOfThePreviousReplacedNode) {
    auto parsed = koui::test::parse("a: #111\nb: #222\nplain: 1\nc: rgb(1, 2, 3)\n");
    ASSERT_TRUE(parsed->ok);
    const std::vector<Node*> plain = parsed->root->children;
    parsed->root->Preprocess(0);
    const std::vector<Node*>& typed = parsed->root->children;
    EXPECT_EQ(std::vector<Node*>({typed[1], typed[2], typed[3]}),
              std::vector<Node*>({plain[0], plain[2], plain[1]}));
}

TEST(NodeBlocks, EmptiedBlocksAreKeptForTheNextTreeUpToTheLimit) {
    if (!blocks::carving()) GTEST_SKIP() << "nodes come from the heap under the address sanitizer";
    const std::size_t limit = blocks::cacheLimit();
    blocks::setCacheLimit(0);
    blocks::setCacheLimit(4 * blocks::kBlockSize);
    koui::test::parse(manyBlocks()).reset();
    EXPECT_EQ(blocks::cachedBlockCount(), 4u);
    auto again = koui::test::parse(manyBlocks());
    EXPECT_EQ(blocks::cachedBlockCount(), 0u);  // taken before the heap
    again.reset();
    blocks::setCacheLimit(blocks::kBlockSize);
    EXPECT_EQ(blocks::cachedBlockCount(), 1u);
    blocks::setCacheLimit(limit);
}

}  // namespace
