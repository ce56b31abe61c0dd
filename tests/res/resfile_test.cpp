// The resource archive: byte layout, lookups, the messages of ReadEntry, and
// refusal of damaged or hostile files.
#include "koui/res/resfile.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/res/test_files.h"
#include "tests/support/appmsg_capture.h"

namespace {

namespace fs = std::filesystem;
using koui::res::ResFile;
using koui::test::AppMsgCapture;
using koui::test::readBytes;
using koui::test::TempDir;
using koui::test::writeBytes;
using Bytes = std::vector<uint8_t>;

void putLE(Bytes& b, size_t at, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) b[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// Writes an archive with ResFile itself.
void pack(const fs::path& path, const std::vector<std::pair<std::string, Bytes>>& files) {
    ResFile out;
    ASSERT_TRUE(out.BeginCreate(path));
    for (const auto& [name, data] : files) ASSERT_TRUE(out.Feed(data, name));
    ASSERT_TRUE(out.Finish());
}

class ResFileTest : public testing::Test {
protected:
    TempDir dir{"resfile"};
    fs::path archive = dir / "res.koc";

    // Opens `bytes` as an archive; returns OpenFromFile's result and the lines.
    bool open(const Bytes& bytes, ResFile& file, std::vector<std::string>& lines) {
        writeBytes(archive, bytes);
        AppMsgCapture capture;
        const bool ok = file.OpenFromFile(archive);
        lines = capture.lines();
        return ok;
    }
    // Opening `bytes` fails with the one message "OpenFromFile(<archive>) <message>".
    void expectRefused(const Bytes& bytes, const std::string& message) {
        ResFile file;
        std::vector<std::string> lines;
        EXPECT_FALSE(open(bytes, file, lines));
        EXPECT_FALSE(file.isOK());
        EXPECT_EQ(lines,
                  std::vector<std::string>{"[ERROR] OpenFromFile(" + archive.string() + ") " + message});
    }
    // A valid archive of two entries, "a" (10 bytes) and "b" (20 bytes).
    Bytes twoEntries() {
        pack(archive, {{"a", Bytes(10, 'a')}, {"b", Bytes(20, 'b')}});
        return readBytes(archive);
    }
    // twoEntries() with `size` bytes at `at` set to `value`.
    Bytes patched(size_t at, uint64_t value, int size) {
        Bytes b = twoEntries();
        putLE(b, at, value, size);
        return b;
    }
};

// Header: magic, version 0x100, count, 4 reserved bytes, the table's offset
// and 8 more bytes, 256 bytes of compression method (none); then the data;
// then per entry its name zero-padded to 256 bytes, position, both sizes.
TEST_F(ResFileTest, TwoFeedsGiveTheDocumentedLayout) {
    Bytes expected{'R', 'E', 'S', 'F', 0x00, 0x01, 0x00, 0x00};
    const auto le = [&](uint64_t value, int size) {
        for (int i = 0; i < size; ++i) expected.push_back(static_cast<uint8_t>(value >> (8 * i)));
    };
    for (const auto& [value, size] : {std::pair<uint64_t, int>{2, 4}, {0, 4}, {318, 8}, {0, 8}})
        le(value, size);
    expected.resize(288, 0);
    expected.resize(298, 'a');
    expected.resize(318, 'b');
    for (const auto& [name, position, size] :
         {std::tuple<char, uint64_t, uint64_t>{'a', 288, 10}, {'b', 298, 20}}) {
        expected.push_back(static_cast<uint8_t>(name));
        expected.resize(expected.size() + 255, 0);
        for (const uint64_t value : {position, size, size}) le(value, 8);
    }
    EXPECT_EQ(twoEntries(), expected);
}

TEST_F(ResFileTest, ForeignOrShortFilesAreRefused) {
    ResFile file;
    {
        AppMsgCapture capture;
        EXPECT_FALSE(file.OpenFromFile(dir / "missing.koc"));
        EXPECT_TRUE(capture.lines().empty());  // no archive is a normal case
    }
    expectRefused(Bytes(287, 0), "File too short for a header (287 bytes)");
    Bytes b = twoEntries();
    b[3] = 'X';  // "RESX"
    expectRefused(b, "Not a resource archive (no RESF magic)");
    b = twoEntries();
    b[4] = 1;  // version 257
    expectRefused(b, "Unsupported version 257");
    AppMsgCapture capture;
    EXPECT_FALSE(file.OpenFromFile(dir.path()));  // a folder is no archive
    EXPECT_EQ(capture.lines(),
              std::vector<std::string>{"[ERROR] OpenFromFile(" + dir.path().string() + ") File not open"});
}

// An archive dropped before Finish keeps its header's count of 0: it opens,
// silently, as not in use. (A count beyond the limit, with its message, is
// checked through koui-pack.)
TEST_F(ResFileTest, CountOutOfRangeOpensAsNotInUse) {
    {
        ResFile writer;
        ASSERT_TRUE(writer.BeginCreate(archive));
        ASSERT_TRUE(writer.Feed({1, 2, 3}, "x"));
    }
    Bytes b = readBytes(archive);
    EXPECT_EQ(b.size(), 291u);
    ResFile file;
    std::vector<std::string> lines;
    EXPECT_TRUE(open(b, file, lines));
    EXPECT_FALSE(file.isOK());
    EXPECT_TRUE(lines.empty());
    // An earlier table is dropped by the next open.
    twoEntries();
    ASSERT_TRUE(file.OpenFromFile(archive));
    ASSERT_TRUE(file.isOK());
    EXPECT_FALSE(open(Bytes(10, 0), file, lines));
    EXPECT_FALSE(file.isOK());
}

// Lookups are exact and find the first of equal names; an empty file is
// packed but not read.
TEST_F(ResFileTest, LookupIsExactAndFindsTheFirstOfEqualNames) {
    pack(archive, {{"Images/button.png", {1, 2, 3}}, {"dup", {4}}, {"dup", {5, 6}}, {"empty.txt", {}}});
    ResFile file;
    ASSERT_TRUE(file.OpenFromFile(archive));
    Bytes out;
    EXPECT_EQ(file.ReadEntry(out, "dup"), 1u);
    EXPECT_EQ(out, Bytes{4});
    EXPECT_EQ(file.FindEntry("dup"), &file.entries()[1]);
    ASSERT_NE(file.FindEntry("empty.txt"), nullptr);
    EXPECT_EQ(file.FindEntry("empty.txt")->unCompSize, 0u);
    AppMsgCapture capture;
    out = {9, 9};
    EXPECT_EQ(file.ReadEntry(out, "images/button.png"), 0u);
    EXPECT_TRUE(out.empty());
    EXPECT_EQ(file.ReadEntry(out, "empty.txt"), 0u);
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{"[ERROR] ReadEntry(images/button.png) Entry not found",
                                        "[ERROR] ReadEntry(empty.txt) Position=294 / unCompSize=0"}));
    EXPECT_EQ(file.ReadEntry(out, "Images/button.png"), 3u);
}

TEST_F(ResFileTest, CompressedEntriesAreRefused) {
    Bytes b = patched(318 + 280 + 264, 15, 8);  // "b": compressed size 15 of 20
    ResFile file;
    std::vector<std::string> lines;
    ASSERT_TRUE(open(b, file, lines));
    AppMsgCapture capture;
    Bytes out;
    EXPECT_EQ(file.ReadEntry(out, "b"), 0u);
    std::memcpy(b.data() + 32, "zlib", 4);
    ASSERT_TRUE(open(b, file, lines));
    EXPECT_EQ(file.ReadEntry(out, "a"), 0u);
    EXPECT_EQ(capture.lines(),
              (std::vector<std::string>{"[ERROR] ReadEntry(b) Compression method not found (15,20,)",
                                        "[ERROR] ReadEntry(a) Compression method not found (10,10,zlib)"}));
}

TEST_F(ResFileTest, HostileTablesAndEntriesAreRefused) {
    const std::string table = "Entry table (offset ";
    const std::string outside = " lies outside the file (878 bytes)";
    // The table one byte later: its end passes the end of the file.
    expectRefused(patched(16, 319, 8), table + "319, 2 entries)" + outside);
    expectRefused(patched(16, 0xffffffffffffff00u, 8), table + "18446744073709551360, 2 entries)" + outside);
    expectRefused(patched(16, 100, 8), table + "100, 2 entries)" + outside);  // inside the header
    expectRefused(patched(8, 3, 4), table + "318, 3 entries)" + outside);     // a third record past the end
    expectRefused(patched(318 + 280 + 264, 600, 8), "Entry 1 (b) passes the end of the file (298+600 > 878)");
    // Position + size wraps around.
    expectRefused(patched(318 + 256, 0xfffffffffffffff0u, 8),
                  "Entry 0 (a) passes the end of the file (18446744073709551600+10 > 878)");
    Bytes b = twoEntries();
    std::memset(b.data() + 318, 'n', 256);  // no terminating zero
    expectRefused(b, "Entry 0 has no terminated name");
}

TEST_F(ResFileTest, ReadChecksTheFileAsItIsNow) {
    twoEntries();
    ResFile file;
    ASSERT_TRUE(file.OpenFromFile(archive));
    fs::resize_file(archive, 300);  // shortened after opening
    AppMsgCapture capture;
    Bytes out;
    EXPECT_EQ(file.ReadEntry(out, "a"), 10u);
    EXPECT_EQ(file.ReadEntry(out, "b"), 0u);
    EXPECT_TRUE(out.empty());
    fs::remove(archive);
    EXPECT_EQ(file.ReadEntry(out, "a"), 0u);
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{
                                   "[ERROR] ReadEntry(b) Entry passes the end of the file (298+20 > 300)",
                                   "[ERROR] ReadEntry(a) File not open"}));
}

TEST_F(ResFileTest, FeedKeepsNamesWithinTheirField) {
    ResFile out;
    AppMsgCapture capture;
    EXPECT_FALSE(out.Feed({1}, "early"));
    EXPECT_FALSE(out.Finish());
    ASSERT_TRUE(out.BeginCreate(archive));
    const std::string longest(255, 'n');
    EXPECT_TRUE(out.Feed({1}, longest));
    EXPECT_FALSE(out.Feed({2}, longest + "n"));
    EXPECT_FALSE(out.Feed({3}, std::string("a\0b", 3)));
    ASSERT_TRUE(out.Finish());
    EXPECT_EQ(
        capture.lines(),
        (std::vector<std::string>{
            "[ERROR] Feed(early) No archive is being created", "[ERROR] Finish() No archive is being created",
            "[ERROR] Feed(" + longest + "n) Name longer than 255 bytes or holding a NUL byte",
            "[ERROR] Feed(a) Name longer than 255 bytes or holding a NUL byte"}));
    ResFile in;
    ASSERT_TRUE(in.OpenFromFile(archive));
    ASSERT_EQ(in.entries().size(), 1u);
    Bytes data;
    EXPECT_EQ(in.ReadEntry(data, longest), 1u);
    EXPECT_FALSE(out.BeginCreate(dir / "no" / "such" / "folder.koc"));
}

}  // namespace
