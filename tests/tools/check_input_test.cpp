// koui-check against input that is no definition file: FIFOs, devices, files
// over the size limit, a root file that cannot be read.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/res/test_files.h"
#include "tests/tools/run_tool.h"

namespace {

namespace fs = std::filesystem;
using koui::test::replaced;
using koui::test::runTool;
using koui::test::TempDir;
using koui::test::writeBytes;

struct Case {
    std::string args;  // "@" stands for the temporary folder
    int status;
    std::string out;
};

TEST(CheckInput, RefusesWhatIsNoRegularFileOrTooLarge) {
    TempDir dir{"check_input"};
    ASSERT_EQ(::mkfifo((dir / "fifo.kor").c_str(), 0600), 0);
    writeBytes(dir / "ten.kor", {'a', ' ', '{', ' ', 'b', ':', ' ', '1', '}', '\n'});
    writeBytes(dir / "huge.kor", {});
    fs::resize_file(dir / "huge.kor", (uint64_t{4} << 20) + 1);  // sparse: no disk, and never read
    // A regular file whose reading fails for every user, root included.
    fs::create_directories(dir / "theme");
    fs::create_symlink("/proc/self/mem", dir / "theme" / "res.kor");
    const std::string limit = "bytes, more than the limit of ";
    const Case cases[] = {
        {"@/fifo.kor", 2, "koui-check: cannot read '@/fifo.kor': not a regular file\n"},
        {"/dev/zero", 2, "koui-check: cannot read '/dev/zero': not a regular file\n"},
        {"@/huge.kor", 2,
         "koui-check: cannot read '@/huge.kor': 4194305 " + limit + "4194304 bytes (--max-size)\n"},
        {"@/ten.kor --max-size 9", 2,
         "koui-check: cannot read '@/ten.kor': 10 " + limit + "9 bytes (--max-size)\n"},
        {"@/ten.kor --max-size 10", 0, "koui-check: @/ten.kor: 2 nodes, 0 errors\n"},
        {"@/ten.kor --max-size 10k", 2, "koui-check: --max-size needs a number of bytes, not '10k'\n"},
        {"@/theme", 2, "[ERROR] root file \"res.kor\" in @/theme cannot be read: Input/output error\n"},
        {"@/theme --root ../ten.kor --max-size 9", 2,
         "[ERROR] root file \"../ten.kor\" in @/theme cannot be read: 10 " + limit +
             "9 bytes (--max-size)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args);
        // timeout: a tool that blocks on the FIFO fails instead of hanging the suite.
        const auto run = runTool("timeout 30 " + std::string(KOUI_CHECK_EXE) + " " +
                                 replaced(c.args, "@", dir.path().string()));
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, replaced(c.out, "@", dir.path().string()));
    }
}

}  // namespace
