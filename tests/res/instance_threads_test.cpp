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

// Each step writes a file (or, without text, removes a file or folder); where
// it names a value of "a", the watcher must notice, the reload keeps the tree
// through every bad input, and the same change is not reported again.
TEST(InstanceThreads, BadInputsWhileWatched) {
    ResFolder dir("inst_threads");
    dir.write("res/res.kor", "a: 1\nc: #ff0000\n");
    Instance inst(dir.root() + "/res", "");
    ASSERT_TRUE(inst.Load("res.kor", false));
    AppMsgCapture capture;
    Watcher watcher(inst);
    watcher.settle();
    EXPECT_FALSE(watcher.changed());
    const struct {
        const char *path, *text, *a, *said;
    } steps[] = {
        {"res/res.kor", nullptr, "1", nullptr},
        {"res/res.kor", "a: 2\nblock {\n  x: 1\n", "1", nullptr},  // half-written
        {"res/res.kor", "a: 2\nblock {\n  x: 1\n}\n", "2", nullptr},
        {"res/Images/fake.png", "GIF89a, not a PNG", nullptr, nullptr},
        {"res/res.kor", "a: 3\nskin { imgsrc src: \"Images/fake.png\" }\n", "2", "[ERROR] decodePng"},
        // Fonts are made on demand: the tree loads, the lookup says why it fails.
        {"res/Fonts/bad.ttf", "not a font", nullptr, nullptr},
        {"res/res.kor", "a: 4\nf { font size: 12 src: \"Fonts/bad.ttf\" }\n", "4", "Fonts/bad.ttf"},
        {"res", nullptr, "4", "[ERROR] instance: cannot read the resource folder"},
        {"res/res.kor", "a: 5\n", "5", nullptr},  // back with a new time
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(std::string(step.path) + " " + (step.text ? step.text : "removed"));
        if (step.text)
            dir.write(step.path, std::string(step.text));
        else
            fs::remove_all(dir / step.path);
        if (!step.a) continue;
        ASSERT_TRUE(watcher.waitForChange());
        reload(inst);
        EXPECT_EQ(inst.value("a"), step.a);
        EXPECT_EQ(inst.font("f"), nullptr);
        EXPECT_TRUE(!step.said || capture.contains(step.said));
        watcher.settle();
        watcher.changed();  // a poll racing the reload may have flagged the same change
        watcher.settle();
        EXPECT_FALSE(watcher.changed());
    }
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
