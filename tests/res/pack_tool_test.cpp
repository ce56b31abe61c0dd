// koui-pack as an application's build runs it: a folder tree packed, listed,
// verified and extracted again, and its refusals.
#include <gtest/gtest.h>

#include <cstdio>
#include <map>

#include "koui/res/resfile.h"
#include "tests/res/test_files.h"

namespace {

namespace fs = std::filesystem;
using koui::test::readBytes;
using koui::test::TempDir;
using koui::test::writeBytes;
using Bytes = std::vector<uint8_t>;

struct ToolRun {
    int status;
    std::string out;
};

// Runs koui-pack with `args`, standard error folded into the output.
ToolRun pack(const std::string& args) {
    ToolRun run{-1, {}};
    FILE* pipe = ::popen((std::string(KOUI_PACK_EXE) + " " + args + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string quoted(const fs::path& p) {
    return "'" + p.string() + "'";
}

// Every regular file below `folder`, by relative name.
std::map<std::string, Bytes> tree(const fs::path& folder) {
    std::map<std::string, Bytes> files;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file())
            files[e.path().lexically_relative(folder).generic_string()] = readBytes(e.path());
    return files;
}

class PackTool : public testing::Test {
protected:
    TempDir dir{"pack_tool"};
    fs::path source = dir / "resdata";
    fs::path archive = dir / "res.koc";

    void SetUp() override {
        fs::create_directories(source / "Images" / "Buttons");
        fs::create_directories(source / "Fonts");
        fs::create_directories(source / "empty-folder");
        writeBytes(source / "res.kor", {'r', 'o', 'o', 't', '\n'});
        writeBytes(source / "Images" / "Buttons" / "ok.png", Bytes(3000, 0x89));
        Bytes binary(256);
        for (int i = 0; i < 256; ++i) binary[i] = static_cast<uint8_t>(i);
        writeBytes(source / "Fonts" / "verdana.ttf", binary);
        writeBytes(source / "Images" / "blank.txt", {});
        writeBytes(source / "Images-list.txt", {'x'});
    }
};

TEST_F(PackTool, CreateListExtractRoundTrip) {
    const ToolRun created = pack("create " + quoted(archive) + " " + quoted(source));
    ASSERT_EQ(created.status, 0) << created.out;
    EXPECT_EQ(created.out, "packed 5 files (3262 bytes) into " + archive.string() + "\n");

    // Path order: "Images/..." sorts before "Images-list.txt" although '-' < '/'.
    const ToolRun listed = pack("list " + quoted(archive));
    ASSERT_EQ(listed.status, 0) << listed.out;
    EXPECT_EQ(listed.out,
              "         256  Fonts/verdana.ttf\n"
              "        3000  Images/Buttons/ok.png\n"
              "           0  Images/blank.txt\n"
              "           1  Images-list.txt\n"
              "           5  res.kor\n");

    const fs::path out = dir / "out";
    const ToolRun extracted = pack("extract " + quoted(archive) + " " + quoted(out));
    ASSERT_EQ(extracted.status, 0) << extracted.out;
    EXPECT_EQ(tree(out), tree(source));

    const ToolRun verified = pack("verify " + quoted(archive));
    EXPECT_EQ(verified.status, 0) << verified.out;
    EXPECT_EQ(verified.out, archive.string() + ": 5 entries, 3262 bytes, OK\n");
}

TEST_F(PackTool, ArchiveInsideThePackedFolderIsLeftOut) {
    const fs::path inside = source / "res.koc";
    ASSERT_EQ(pack("create " + quoted(inside) + " " + quoted(source)).status, 0);
    ASSERT_EQ(pack("create " + quoted(inside) + " " + quoted(source)).status, 0);  // again, over itself
    const ToolRun listed = pack("list " + quoted(inside));
    EXPECT_EQ(listed.out.find("res.koc"), std::string::npos) << listed.out;
    EXPECT_FALSE(fs::exists(source / "res.koc.part"));
}

TEST_F(PackTool, VerifyFindsDamage) {
    ASSERT_EQ(pack("create " + quoted(archive) + " " + quoted(source)).status, 0);
    Bytes bytes = readBytes(archive);
    ASSERT_FALSE(bytes.empty());
    bytes.pop_back();  // the table's last byte is gone
    writeBytes(archive, bytes);
    const ToolRun run = pack("verify " + quoted(archive));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("is not a readable resource archive"), std::string::npos) << run.out;

    ASSERT_EQ(pack("create " + quoted(archive) + " " + quoted(source)).status, 0);
    bytes = readBytes(archive);
    std::fill(bytes.begin() + 32, bytes.begin() + 288, 'z');  // a method name without its zero
    writeBytes(archive, bytes);
    const ToolRun compressed = pack("verify " + quoted(archive));
    EXPECT_EQ(compressed.status, 1);
    EXPECT_EQ(compressed.out,
              "koui-pack: entries use the compression method \"" + std::string(256, 'z') + "\"\n");
}

TEST_F(PackTool, ExtractRefusesNamesLeavingTheFolder) {
    koui::res::ResFile out;
    ASSERT_TRUE(out.BeginCreate(archive));
    ASSERT_TRUE(out.Feed({1}, "../escape.txt"));
    ASSERT_TRUE(out.Finish());
    const ToolRun run = pack("extract " + quoted(archive) + " " + quoted(dir / "out"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "koui-pack: refusing entry name \"../escape.txt\": it leaves the target folder\n");
    EXPECT_FALSE(fs::exists(dir / "escape.txt"));
}

TEST_F(PackTool, FailuresKeepAnExistingArchive) {
    ASSERT_EQ(pack("create " + quoted(archive) + " " + quoted(source)).status, 0);
    const Bytes before = readBytes(archive);
    // A name of 200 + 1 + 55 = 256 bytes, one more than the table holds.
    fs::create_directories(source / std::string(200, 'd'));
    writeBytes(source / std::string(200, 'd') / std::string(55, 'n'), {1});
    const ToolRun run = pack("create " + quoted(archive) + " " + quoted(source));
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("Name longer than 255 bytes"), std::string::npos) << run.out;
    EXPECT_EQ(readBytes(archive), before);
    EXPECT_FALSE(fs::exists(dir / "res.koc.part"));
}

TEST_F(PackTool, UsageAndMissingInputs) {
    const ToolRun help = pack("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("Usage: koui-pack COMMAND ARGUMENTS\n", 0), 0u);
    EXPECT_EQ(pack("").status, 2);
    EXPECT_EQ(pack("unpack x").status, 2);
    EXPECT_EQ(pack("list").status, 2);
    const ToolRun missing = pack("list " + quoted(dir / "none.koc"));
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "koui-pack: " + (dir / "none.koc").string() + ": no such file\n");
    const ToolRun noFolder = pack("create " + quoted(archive) + " " + quoted(dir / "none"));
    EXPECT_EQ(noFolder.status, 1);
    EXPECT_EQ(noFolder.out, "koui-pack: " + (dir / "none").string() + " is not a folder\n");
}

}  // namespace
