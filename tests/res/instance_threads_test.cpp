// Change checks on a watcher thread while this thread edits and reloads (TSan, label threads).
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "koui/res/instance.h"
#include "tests/res/res_folder.h"

namespace {

namespace fs = std::filesystem;
using koui::res::Instance;
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

// Reloads as fast as possible while the watcher polls and files keep
// changing: nothing may race (ThreadSanitizer), the last state wins, and a
// change is reported once.
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
        if (round == 50) fs::remove_all(dir / "Files");  // a whole recorded folder vanishes
        reload(inst);
        EXPECT_EQ(inst.value1i("v", -1), round);
    }
    dir.write("res.kor", "v: 101\n");
    watcher.settle();
    EXPECT_TRUE(watcher.changed());  // seen from the watcher's thread
    reload(inst);
    watcher.settle();
    watcher.changed();  // a poll racing the reload may have flagged the same change
    watcher.settle();
    EXPECT_FALSE(watcher.changed());  // and not reported again
}

}  // namespace
