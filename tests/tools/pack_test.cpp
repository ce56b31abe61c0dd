// koui-pack as a build runs it, and against hostile archives.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <tuple>

#include "koui/res/resfile.h"
#include "tests/res/test_files.h"
#include "tests/tools/run_tool.h"

namespace {

namespace fs = std::filesystem;
using koui::res::ResFile;
using koui::test::quoted;
using koui::test::readBytes;
using koui::test::replaced;
using koui::test::runTool;
using koui::test::TempDir;
using koui::test::writeBytes;
using Bytes = std::vector<uint8_t>;

koui::test::ToolRun pack(const std::string& command, const fs::path& archive, const fs::path& folder = {}) {
    return runTool(std::string(KOUI_PACK_EXE) + " " + command + " " + quoted(archive) +
                   (folder.empty() ? "" : " " + quoted(folder)));
}

struct Record {
    std::string name;
    uint64_t position;
    uint64_t size;
};

// An archive of the header, `data` and a table of `records`; the header's
// count is `count` unless it is 0.
Bytes archiveOf(const std::string& data, const std::vector<Record>& records, uint32_t count = 0,
                const std::string& method = "") {
    ResFile::e_header header{};
    std::memcpy(header.magic, "RESF", 4);
    header.version = ResFile::kVersion;
    header.count = count ? count : static_cast<uint32_t>(records.size());
    header.tableOffset = ResFile::kHeaderSize + data.size();
    std::memcpy(header.method, method.data(), method.size());
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

// The names below `folder`, sorted, each followed by a space.
std::string listing(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        names.insert(e.path().lexically_relative(folder).string());
    std::string all;
    for (const std::string& name : names) all += name + " ";
    return all;
}

class PackTool : public testing::Test {
protected:
    TempDir dir{"pack_tool"};
    fs::path source = dir / "resdata";
    fs::path archive = dir / "res.koc";
    Bytes binary = Bytes(256);

    void SetUp() override {
        fs::create_directories(source / "Images" / "Buttons");
        fs::create_directories(source / "Fonts");
        writeBytes(source / "res.kor", {'r', 'o', 'o', 't', '\n'});
        writeBytes(source / "Images" / "Buttons" / "ok.png", Bytes(3000, 0x89));
        for (int i = 0; i < 256; ++i) binary[i] = static_cast<uint8_t>(i);
        writeBytes(source / "Fonts" / "verdana.ttf", binary);
        writeBytes(source / "Images" / "blank.txt", {});
        writeBytes(source / "Images-list.txt", {'x'});
    }
};

TEST_F(PackTool, CreateListExtractVerify) {
    const auto created = pack("create", archive, source);
    ASSERT_EQ(created.status, 0) << created.out;
    EXPECT_EQ(created.out, "packed 5 files (3262 bytes) into " + archive.string() + "\n");

    // Path order: "Images/..." sorts before "Images-list.txt" although '-' < '/'.
    EXPECT_EQ(pack("list", archive).out,
              "         256  Fonts/verdana.ttf\n"
              "        3000  Images/Buttons/ok.png\n"
              "           0  Images/blank.txt\n"
              "           1  Images-list.txt\n"
              "           5  res.kor\n");

    const fs::path out = dir / "out";
    EXPECT_EQ(pack("extract", archive, out).status, 0);
    EXPECT_EQ(listing(out), listing(source));
    EXPECT_EQ(readBytes(out / "Fonts" / "verdana.ttf"), binary);

    EXPECT_EQ(pack("verify", archive).out, archive.string() + ": 5 entries, 3262 bytes, OK\n");
}

TEST_F(PackTool, ArchiveInsideThePackedFolderIsLeftOut) {
    const fs::path inside = source / "res.koc";
    ASSERT_EQ(pack("create", inside, source).status, 0);
    ASSERT_EQ(pack("create", inside, source).status, 0);  // again, over itself
    const auto listed = pack("list", inside);
    EXPECT_EQ(listed.out.find("res.koc"), std::string::npos) << listed.out;
    EXPECT_FALSE(fs::exists(source / "res.koc.part"));
}

TEST_F(PackTool, FailuresKeepAnExistingArchive) {
    ASSERT_EQ(pack("create", archive, source).status, 0);
    const Bytes before = readBytes(archive);
    // A name of 200 + 1 + 55 = 256 bytes, one more than the table holds.
    fs::create_directories(source / std::string(200, 'd'));
    writeBytes(source / std::string(200, 'd') / std::string(55, 'n'), {1});
    const auto run = pack("create", archive, source);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Name longer than 255 bytes"), std::string::npos) << run.out;
    EXPECT_EQ(readBytes(archive), before);
    EXPECT_FALSE(fs::exists(dir / "res.koc.part"));
}

TEST(PackUsage, HelpAndWrongCommands) {
    const auto help = runTool(std::string(KOUI_PACK_EXE) + " --help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: koui-pack COMMAND ARGUMENTS\n", 0), 0u);
    EXPECT_EQ(runTool(std::string(KOUI_PACK_EXE) + " unpack x").status, 2);
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
    const std::string method(256, 'z');  // without its closing zero
    const Case cases[] = {
        {"folder link", "extract", archiveOf("evil", {{"link/x", 288, 4}}), 1,
         "koui-pack: refusing entry \"link/x\": \"link\" is a symbolic link\n"},
        {"file link", "extract", archiveOf("evil", {{"file", 288, 4}}), 1,
         "koui-pack: refusing entry \"file\": \"file\" is a symbolic link\n"},
        {"hard link replaced", "extract", archiveOf("evil", {{"hard", 288, 4}}), 0, ""},
        {"leaves the folder", "extract", archiveOf("evil", {{"../elsewhere/x", 288, 4}}), 1,
         "koui-pack: refusing entry name \"../elsewhere/x\": it leaves the target folder\n"},
        {"count list", "list", archiveOf("", {}, 0xffffffff), 1, header + count},
        {"count extract", "extract", archiveOf("", {}, 0xffffffff), 1, header + count},
        {"compressed", "verify", archiveOf("", {}, 0, method), 1,
         "koui-pack: entries use the compression method \"" + method + "\"\n"},
        {"same bytes", "extract", archiveOf("evil", {{"a", 288, 4}, {"b", 288, 4}}), 1,
         header + "Entry 1 (b) overlaps entry 0 (a)\n" + unreadable},
        {"crossing", "list", archiveOf("evil", {{"a", 288, 3}, {"b", 290, 2}}), 1,
         header + "Entry 1 (b) overlaps entry 0 (a)\n" + unreadable},
        {"into the table", "extract", archiveOf("evil", {{"a", 288, 8}}), 1,
         header + "Entry 0 (a) overlaps the entry table\n" + unreadable},
        {"into the header", "verify", archiveOf("evil", {{"a", 287, 4}}), 1,
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

        const auto run = pack(c.command, archive, c.command == std::string("extract") ? out : fs::path());
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

// Entries pass through the tool in blocks: 40 MiB pack, verify and extract
// under a data limit of 32 MiB (where the build sets one).
TEST(PackHostile, LargeEntriesStream) {
    TempDir dir{"pack_hostile_large"};
    const fs::path archive = dir / "res.koc";
    const uint64_t size = uint64_t{40} << 20;
    fs::create_directories(dir / "src");
    writeBytes(dir / "src" / "big", {});
    fs::resize_file(dir / "src" / "big", size);
    EXPECT_EQ(pack("create", archive, dir / "src").out,
              "packed 1 files (41943040 bytes) into " + archive.string() + "\n");
    EXPECT_TRUE(readBytes(archive) == archiveOf(std::string(size, '\0'), {{"big", 288, size}}));

    EXPECT_EQ(pack("verify", archive).out, archive.string() + ": 1 entries, 41943040 bytes, OK\n");
    const auto extracted = pack("extract", archive, dir / "out");
    EXPECT_EQ(std::tuple(extracted.status, extracted.out), std::tuple(0, ""));
    std::error_code ec;
    EXPECT_EQ(fs::file_size(dir / "out" / "big", ec), size);
}

}  // namespace
