// The instance's change checks on a watcher thread while this thread, as the
// GL thread does, edits the resource folder through bad inputs and reloads.
// Runs under ThreadSanitizer in CI (label threads).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "koui/res/instance.h"
#include "tests/res/res_folder.h"
#include "tests/support/appmsg_capture.h"

namespace {

namespace fs = std::filesystem;
using koui::res::Instance;
using koui::test::AppMsgCapture;
using koui::test::ResFolder;

// Polls the checks the way the UI instance's watcher does, without its
// 250 ms pause, and raises `changed` when either reports something.
class Watcher {
public:
    explicit Watcher(Instance& inst)
        : thread_([this, &inst] {
              while (!stop_.load()) {
                  if (inst.checkForResSourceChange() || inst.checkForChangesInFolderFiles())
                      changed_.store(true);
                  polls_.fetch_add(1);
                  std::this_thread::sleep_for(std::chrono::microseconds(200));
              }
          }) {}
    ~Watcher() {
        stop_.store(true);
        thread_.join();
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    // Waits until the watcher raised its flag (true) or gave up after a few
    // seconds (false), and lowers the flag.
    bool waitForChange() {
        for (int i = 0; i < 5000 && !changed_.load(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return changed_.exchange(false);
    }
    // Waits for a few complete polls, so that a change that should not be
    // reported would have been.
    void settle() {
        const int start = polls_.load();
        while (polls_.load() < start + 3) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    bool changed() { return changed_.exchange(false); }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> changed_{false};
    std::atomic<int> polls_{0};
    std::thread thread_;
};

// What the GL thread does when the flag is set.
void reload(Instance& inst) {
    inst.CallResSourceChange();
    inst.CallForChangesInFolderFiles();
}

TEST(InstanceThreads, BadInputsWhileWatched) {
    ResFolder dir("inst_threads");
    const std::string root = dir.root() + "/res";
    const std::string rel = "res/";
    dir.write(rel + "res.kor", "a: 1\nc: #ff0000\n");
    dir.write(rel + "Images/ok.png", koui::test::solidPng(2, 2, 0, 0, 255));
    Instance inst(root, "");
    ASSERT_TRUE(inst.Load("res.kor", false));
    AppMsgCapture capture;
    Watcher watcher(inst);
    watcher.settle();
    EXPECT_FALSE(watcher.changed());

    // The main file disappears: the folder check notices, the tree stays.
    fs::remove(dir / (rel + "res.kor"));
    ASSERT_TRUE(watcher.waitForChange());
    reload(inst);
    EXPECT_EQ(inst.value("a"), "1");

    // It comes back half-written (a block still open), then complete.
    dir.write(rel + "res.kor", "a: 2\nblock {\n  x: 1\n");
    ASSERT_TRUE(watcher.waitForChange());
    reload(inst);
    EXPECT_EQ(inst.value("a"), "1");
    watcher.settle();
    watcher.changed();  // a poll racing the reload may have flagged the same change
    watcher.settle();
    EXPECT_FALSE(watcher.changed());  // the faulty file is not reported again

    dir.write(rel + "res.kor", "a: 2\nblock {\n  x: 1\n}\n");
    ASSERT_TRUE(watcher.waitForChange());
    reload(inst);
    EXPECT_EQ(inst.value("a"), "2");

    // An image that is not a PNG: the load stage fails, the tree stays.
    dir.write(rel + "Images/fake.png", "GIF89a, not a PNG");
    dir.write(rel + "res.kor", "a: 3\nskin { imgsrc src: \"Images/fake.png\" }\n");
    ASSERT_TRUE(watcher.waitForChange());
    reload(inst);
    EXPECT_EQ(inst.value("a"), "2");
    EXPECT_TRUE(capture.contains("[ERROR] decodePng"));

    // A font file that is not a font: fonts are made on demand, so the tree
    // loads and the font lookup falls back (here to nothing, since the
    // default font file is not there either), with the reason said.
    dir.write(rel + "Fonts/bad.ttf", "not a font");
    dir.write(rel + "res.kor", "a: 4\nf { font size: 12 src: \"Fonts/bad.ttf\" }\n");
    ASSERT_TRUE(watcher.waitForChange());
    reload(inst);
    EXPECT_EQ(inst.value("a"), "4");
    EXPECT_EQ(inst.font("f"), nullptr);
    EXPECT_TRUE(capture.contains("Fonts/bad.ttf"));

    // The whole folder vanishes: the tree stays, said once.
    fs::remove_all(root);
    ASSERT_TRUE(watcher.waitForChange());
    reload(inst);
    EXPECT_EQ(inst.value("a"), "4");
    EXPECT_TRUE(capture.contains("[ERROR] instance: cannot read the resource folder"));
    watcher.settle();
    watcher.changed();
    watcher.settle();
    EXPECT_FALSE(watcher.changed());

    // And comes back: the main file has a new time, so it reloads.
    dir.write(rel + "res.kor", "a: 5\n");
    ASSERT_TRUE(watcher.waitForChange());
    reload(inst);
    EXPECT_EQ(inst.value("a"), "5");
    EXPECT_TRUE(inst.isOK());
}

// Reloads as fast as possible while the watcher polls and files keep
// changing: nothing may race (ThreadSanitizer) and the last state wins.
TEST(InstanceThreads, ChecksRunWhileReloading) {
    ResFolder dir("inst_threads_stress");
    for (int i = 0; i < 20; ++i) dir.write("Files/f" + std::to_string(i) + ".txt", "x");
    dir.write("res.kor", "v: 0\n");
    Instance inst(dir.root(), "");
    ASSERT_TRUE(inst.Load("res.kor", false));
    Watcher watcher(inst);
    for (int round = 1; round <= 100; ++round) {
        dir.write("res.kor", "v: " + std::to_string(round) + "\n");
        dir.write("Files/f" + std::to_string(round % 20) + ".txt", std::to_string(round));
        if (round % 10 == 0) fs::remove(dir / ("Files/f" + std::to_string(round % 20) + ".txt"));
        reload(inst);
        EXPECT_EQ(inst.value1i("v", -1), round);
    }
    watcher.settle();
    reload(inst);
    watcher.settle();
    watcher.changed();
    watcher.settle();
    EXPECT_FALSE(watcher.changed());
}

}  // namespace
