// koui-pack against hostile archives: links in the target folder, entry
// counts out of range, entries sharing bytes, and entries larger than the
// tool's memory.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <sstream>

#include "koui/res/resfile.h"
#include "tests/res/test_files.h"
#include "tests/support/appmsg_capture.h"
#include "tests/tools/run_tool.h"

namespace {

namespace fs = std::filesystem;
using koui::res::ResFile;
using koui::test::quoted;
using koui::test::readBytes;
using koui::test::runTool;
using koui::test::TempDir;
using koui::test::writeBytes;
using Bytes = std::vector<uint8_t>;

struct Record {
    std::string name;
    uint64_t position;
    uint64_t size;
};

// An archive of the header, `data` and a table of `records`; the header's
// count is `count` unless it is 0.
Bytes archiveOf(const std::string& data, const std::vector<Record>& records, uint32_t count = 0) {
    ResFile::e_header header{};
    std::memcpy(header.magic, "RESF", 4);
    header.version = ResFile::kVersion;
    header.count = count ? count : static_cast<uint32_t>(records.size());
    header.tableOffset = ResFile::kHeaderSize + data.size();
    Bytes bytes(ResFile::kHeaderSize + data.size() + records.size() * ResFile::kEntrySize);
    ResFile::encodeHeader(header, bytes.data());
    std::memcpy(bytes.data() + ResFile::kHeaderSize, data.data(), data.size());
    for (size_t i = 0; i < records.size(); ++i) {
        ResFile::e_entry entry{};
        std::memcpy(entry.name, records[i].name.data(), records[i].name.size());
        entry.position = records[i].position;
        entry.compSize = entry.unCompSize = records[i].size;
        ResFile::encodeEntry(entry, bytes.data() + header.tableOffset + i * ResFile::kEntrySize);
    }
    return bytes;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
    return text;
}

// The names below `folder`, sorted, each followed by a space.
std::string listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        names.insert(e.path().lexically_relative(folder).string());
    std::string all;
    for (const std::string& name : names) all += name + " ";
    return all;
}

struct Case {
    const char* what;
    const char* command;
    Bytes archive;
    int status;
    std::string out;  // "@" stands for the archive's path
};

// The target folder holds a link to a folder outside, a link to a file
// outside and a hard link to that file; nothing outside may change.
TEST(PackHostile, RefusesWhatWouldLeaveTheTargetOrExpand) {
    const std::string header = "[ERROR] OpenFromFile(@) ";
    const std::string unreadable = "koui-pack: @ is not a readable resource archive\n";
    const std::string count =
        "Entry count 4294967295 out of range, archive not used\n"
        "koui-pack: entry count 4294967295 out of range\n";
    const Case cases[] = {
        {"folder link", "extract", archiveOf("evil", {{"link/x", 288, 4}}), 1,
         "koui-pack: refusing entry \"link/x\": \"link\" is a symbolic link\n"},
        {"file link", "extract", archiveOf("evil", {{"file", 288, 4}}), 1,
         "koui-pack: refusing entry \"file\": \"file\" is a symbolic link\n"},
        {"hard link replaced", "extract", archiveOf("evil", {{"hard", 288, 4}}), 0, ""},
        {"count list", "list", archiveOf("", {}, 0xffffffff), 1, header + count},
        {"count extract", "extract", archiveOf("", {}, 0xffffffff), 1, header + count},
        {"same bytes", "extract", archiveOf("evil", {{"a", 288, 4}, {"b", 288, 4}}), 1,
         header + "Entry 1 (b) overlaps entry 0 (a)\n" + unreadable},
        {"crossing", "list", archiveOf("evil", {{"a", 288, 3}, {"b", 290, 2}}), 1,
         header + "Entry 1 (b) overlaps entry 0 (a)\n" + unreadable},
        {"into the table", "extract", archiveOf("evil", {{"a", 288, 8}}), 1,
         header + "Entry 0 (a) overlaps the entry table\n" + unreadable},
        {"into the header", "list", archiveOf("evil", {{"a", 287, 4}}), 1,
         header + "Entry 0 (a) overlaps the header\n" + unreadable},
        {"empty at the table", "extract", archiveOf("evil", {{"a", 288, 4}, {"e", 292, 0}}), 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir{"pack_hostile"};
        const fs::path archive = dir / "res.koc";
        const fs::path out = dir / "out";
        fs::create_directories(dir / "elsewhere");
        fs::create_directories(out);
        writeBytes(dir / "elsewhere" / "victim", {'k', 'e', 'e', 'p'});
        fs::create_directory_symlink("../elsewhere", out / "link");
        fs::create_symlink("../elsewhere/victim", out / "file");
        fs::create_hard_link(dir / "elsewhere" / "victim", out / "hard");
        writeBytes(archive, c.archive);

        const std::string target = c.command == std::string("extract") ? " " + quoted(out.string()) : "";
        const auto run =
            runTool(std::string(KOUI_PACK_EXE) + " " + c.command + " " + quoted(archive.string()) + target);
        EXPECT_EQ(run.status, c.status);
        EXPECT_EQ(run.out, replaced(c.out, "@", archive.string()));
        EXPECT_EQ(listing(dir / "elsewhere"), "victim ");
        EXPECT_EQ(readBytes(dir / "elsewhere" / "victim"), (Bytes{'k', 'e', 'e', 'p'}));
        const bool wrote = std::string(c.what) == "hard link replaced";
        EXPECT_EQ(readBytes(out / "hard"), wrote ? (Bytes{'e', 'v', 'i', 'l'}) : (Bytes{'k', 'e', 'e', 'p'}));
        const bool extracted = std::string(c.what) == "empty at the table";
        EXPECT_EQ(listing(out), extracted ? "a e file hard link " : "file hard link ");
    }
}

// The library refuses the same archives; Feed from a stream packs as Feed
// from memory does.
TEST(PackHostile, ResFileRefusesSharedBytesAndFeedsStreams) {
    TempDir dir{"pack_hostile_lib"};
    const fs::path archive = dir / "res.koc";
    writeBytes(archive, archiveOf("evil", {{"a", 288, 4}, {"b", 289, 1}}));
    koui::test::AppMsgCapture capture;
    ResFile file;
    EXPECT_FALSE(file.OpenFromFile(archive));
    EXPECT_FALSE(file.isOK());
    EXPECT_EQ(capture.lines(), std::vector<std::string>{"[ERROR] OpenFromFile(" + archive.string() +
                                                        ") Entry 1 (b) overlaps entry 0 (a)"});

    ResFile writer;
    ASSERT_TRUE(writer.BeginCreate(archive));
    std::istringstream evil("evil");
    ASSERT_TRUE(writer.Feed(evil, "a"));
    ASSERT_TRUE(writer.Finish());
    EXPECT_EQ(readBytes(archive), archiveOf("evil", {{"a", 288, 4}}));
}

// Entries pass through the tool in blocks: 40 MiB pack, verify and extract
// under a data limit of 32 MiB (where the build sets one).
TEST(PackHostile, LargeEntriesStream) {
    TempDir dir{"pack_hostile_large"};
    const fs::path archive = dir / "res.koc";
    const uint64_t size = uint64_t{40} << 20;
    const Bytes expected = archiveOf(std::string(size, '\0'), {{"big", 288, size}});
    fs::create_directories(dir / "src");
    writeBytes(dir / "src" / "big", {});
    fs::resize_file(dir / "src" / "big", size);
    const std::string exe = std::string(KOUI_PACK_EXE) + " ";
    const auto created =
        runTool(exe + "create " + quoted(archive.string()) + " " + quoted((dir / "src").string()));
    EXPECT_EQ(created.out, "packed 1 files (41943040 bytes) into " + archive.string() + "\n");
    EXPECT_TRUE(readBytes(archive) == expected);

    writeBytes(archive, expected);
    const auto verified = runTool(exe + "verify " + quoted(archive.string()));
    EXPECT_EQ(verified.out, archive.string() + ": 1 entries, 41943040 bytes, OK\n");
    const auto extracted =
        runTool(exe + "extract " + quoted(archive.string()) + " " + quoted((dir / "out").string()));
    EXPECT_EQ(extracted.status, 0);
    EXPECT_EQ(extracted.out, "");
    std::error_code ec;
    EXPECT_EQ(fs::file_size(dir / "out" / "big", ec), size);
}

}  // namespace
