// Deep trees cost heap, never stack: every walk runs on a tiny-stacked thread.
#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "koui/res/color.h"
#include "koui/res/node.h"
#include "parse_helpers.h"
#include "tests/support/appmsg_capture.h"

using koui::res::Node;

namespace {

constexpr size_t kSmallStack = 512 * 1024;
constexpr int kDepth = 100000;

void runOnSmallStack(const std::function<void()>& work) {
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    ASSERT_EQ(pthread_attr_setstacksize(&attr, kSmallStack), 0);
    pthread_t thread;
    auto trampoline = [](void* arg) -> void* {
        (*static_cast<const std::function<void()>*>(arg))();
        return nullptr;
    };
    ASSERT_EQ(pthread_create(&thread, &attr, trampoline, const_cast<std::function<void()>*>(&work)), 0);
    pthread_join(thread, nullptr);
    pthread_attr_destroy(&attr);
}

// The first child's first child and so on, to the end of the chain.
const Node* leafOf(const Node* node) {
    while (!node->children.empty()) node = node->children[0];
    return node;
}

TEST(DeepTree, EveryWalkIsIterative) {
    std::string text;
    for (int i = 0; i < kDepth; ++i) text += "a{";
    text += "c: #fff";
    text.append(static_cast<size_t>(kDepth), '}');
    koui::test::AppMsgCapture capture;
    runOnSmallStack([&] {
        auto p = koui::test::parse(text);
        ASSERT_TRUE(p->ok);
        Node* root = p->root.get();
        EXPECT_EQ(root->Preprocess(0), nullptr);
        EXPECT_TRUE(root->Process());
        EXPECT_TRUE(root->Load());

        const Node* leaf = leafOf(root);
        EXPECT_EQ(typeid(*leaf), typeid(koui::res::Color));
        EXPECT_EQ(leaf->getPath().size(), static_cast<size_t>(2 * kDepth + 1));

        root->logtree(0);
        EXPECT_EQ(capture.lines().size(), static_cast<size_t>(kDepth + 2));
    });  // the tree is destroyed on the small stack too
}

TEST(DeepTree, ReportOnDeepChain) {
    // Report rows hold full paths, so their size grows with the square of the
    // depth; a few thousand levels still prove the walk needs no stack.
    constexpr int depth = 4000;
    runOnSmallStack([&] {
        auto p = koui::test::parse(std::string(depth, '{') + std::string(depth, '}'));
        ASSERT_TRUE(p->ok);
        std::vector<koui::res::e_repitem> rows;
        p->root->generateReport(rows, 0);
        ASSERT_EQ(rows.size(), static_cast<size_t>(depth + 1));
        EXPECT_EQ(rows.back().depth, depth);
        EXPECT_EQ(rows.back().path, std::string(depth - 1, '.'));
    });
}

}  // namespace
