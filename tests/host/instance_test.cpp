// UI instance queue and watcher. (Edits found on disk are checked end to end.)
#include "koui/host/instance.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <tuple>

#include "koui/host/canvas.h"
#include "koui/platform/win32_names.h"
#include "koui/res/instance.h"
#include "koui/rm/rm.h"
#include "tests/res/res_folder.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Probe;

// Records every message; on message 1 queues message 2 to itself.
struct Chain : Probe {
    bool OnMsg(e_msg* m) override {
        Probe::OnMsg(m);
        if (m->id == 1) Queue(2, this, "again", nullptr, 0, nullptr, 0);
        return true;
    }
};

struct QueueTest : ::testing::Test {
    std::unique_ptr<Instance> inst{new Instance()};
    Canvas* canvas = inst->CreateCanvas();
    void TearDown() override { delete canvas; }
    void cycle() { inst->Iterate(0, 0, 100, 100); }
};

TEST_F(QueueTest, DeliveredInOrderIncludingMessagesQueuedDuringDelivery) {
    Chain* a = test::make<Chain>(canvas, 0, 0, 10, 10);
    Probe* b = test::make<Probe>(canvas, 0, 0, 10, 10);
    int tag = 0;
    EXPECT_TRUE(a->Queue(1, nullptr, "first", &tag, 11, nullptr, 12));  // no receiver: to the sender
    EXPECT_TRUE(a->Queue(3, b, "second", nullptr, 0, nullptr, 0));
    EXPECT_TRUE(inst->Queue(nullptr, nullptr, 9, "", nullptr, 0, nullptr, 0));  // dropped
    cycle();
    ASSERT_EQ(a->msgs.size(), 2u);
    const e_msg& first = a->msgs[0];
    EXPECT_EQ(
        std::tuple(first.id, first.str, first.ptr1, first.num1, first.num2, first.to),
        std::tuple(1u, std::string("first"), static_cast<void*>(&tag), 11u, 12u, static_cast<Div*>(nullptr)));
    EXPECT_EQ(std::tuple(a->msgs[1].id, a->msgs[1].to), std::tuple(2u, a));  // queued while delivering
    EXPECT_EQ(std::tuple(b->msgs.size(), b->msgs.at(0).from, inst->queuedCount()), std::tuple(1u, a, 0u));
}

TEST_F(QueueTest, DeletionRequests) {
    Probe* parent = test::make<Probe>(canvas, 0, 0, 10, 10);
    Probe* child = test::make<Probe>(parent, 0, 0, 5, 5);
    Probe* self = test::make<Probe>(canvas, 0, 0, 10, 10);
    parent->Queue(MSG_DELETE, nullptr, "", child, 0, nullptr, 0);
    self->Queue(MSG_DELETE, nullptr, "", nullptr, 0, nullptr, 0);  // null ptr1: the sender
    self->Queue(5, parent, "", nullptr, 0, nullptr, 0);            // sender goes first
    cycle();
    // The message's sender was deleted meanwhile.
    EXPECT_EQ(std::tuple(parent->dGetChildrenCount(), canvas->dGetChildrenCount(), parent->msgs.size(),
                         parent->msgs.at(0).from),
              std::tuple(0, 1, 1u, static_cast<Div*>(nullptr)));
}

TEST_F(QueueTest, DeletedElementTakesItsWaitingMessagesAlong) {
    Probe* a = test::make<Probe>(canvas, 0, 0, 10, 10);
    Probe* b = test::make<Probe>(canvas, 0, 0, 10, 10);
    b->Queue(1, a, "", nullptr, 0, nullptr, 0);
    b->Queue(MSG_DELETE, nullptr, "", a, 0, nullptr, 0);
    b->Queue(MSG_DELETE, canvas, "", a, 0, nullptr, 0);
    delete a;
    EXPECT_EQ(inst->queuedCount(), 0u);
    cycle();  // nothing left to reach the deleted element
    EXPECT_EQ(canvas->dGetChildrenCount(), 1);
}

TEST_F(QueueTest, NothingDeliveredWhileClassicResourcesLoad) {
    Probe* a = test::make<Probe>(canvas, 0, 0, 10, 10);
    delete inst->rm;
    inst->rm = nullptr;  // nobody raises the progress now
    inst->rmProgress = 50;
    a->Queue(1, a, "", nullptr, 0, nullptr, 0);
    cycle();
    cycle();
    EXPECT_EQ(std::tuple(a->msgs.size(), a->iterated, inst->queuedCount()), std::tuple(0u, 0, 1u));
    inst->rmProgress = 100;
    cycle();
    EXPECT_EQ(std::tuple(a->msgs.size(), a->iterated), std::tuple(1u, 1));
}

TEST_F(QueueTest, QueueFromSeveralThreadsLosesNothing) {
    constexpr int kThreads = 4, kEach = 500;
    Probe* sink = test::make<Probe>(canvas, 0, 0, 10, 10);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i)
                inst->Queue(nullptr, sink, static_cast<DWORD>(t), "", nullptr, i, nullptr, 0);
        });
    while (sink->msgs.size() < static_cast<size_t>(kThreads * kEach)) cycle();  // delivers meanwhile
    for (auto& th : threads) th.join();
    ASSERT_EQ(sink->msgs.size(), static_cast<size_t>(kThreads * kEach));
    std::vector<uint32_t> next(kThreads, 0);
    for (const e_msg& m : sink->msgs) {
        ASSERT_EQ(m.num1, next[m.id]);  // each thread's messages in its order
        ++next[m.id];
    }
}

// Destruction right after creation, while the watcher may not have started
// or sits in its pause: the destructor must find the flag, wake and join it.
TEST(Watcher, DestroyedRightAfterCreation) {
    test::ResFolder folder("stop");
    folder.write("res.kor", "panel { x: 1 }\n");
    for (int i = 0; i < 20; ++i) {
        std::unique_ptr<Instance> inst(CreateInstance(folder.root(), "", "res.kor", nullptr));
        ASSERT_TRUE(inst->resFlags.load() & Instance::RES_WATCHING);
        if (i % 2) std::this_thread::yield();
    }
}

}  // namespace
}  // namespace koui
