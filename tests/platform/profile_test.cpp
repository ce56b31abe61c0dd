// Profile files: defaults, one-key writes that keep the rest of the file,
// case-insensitive names and atomic replacement.
#include "koui/platform/profile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "koui/platform/ini_file.h"
#include "koui/platform/win32_names.h"

namespace fs = std::filesystem;

namespace {

class platformProfile : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("koui-profile-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        path_ = (dir_ / "settings.ini").string();
    }
    void TearDown() override {
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    void writeRaw(const std::string& bytes) {
        std::ofstream f(path_, std::ios::binary);
        f << bytes;
    }
    std::string readRaw() const {
        std::ifstream f(path_, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(f), {});
    }
    std::string get(const char* section, const char* key, const char* def, DWORD size = 256,
                    DWORD* count = nullptr) {
        std::string buf(size, '\x7f');
        DWORD n = GetPrivateProfileStringA(section, key, def, buf.data(), size, path_.c_str());
        if (count) *count = n;
        return std::string(buf.c_str());
    }

    fs::path dir_;
    std::string path_;
};

TEST_F(platformProfile, MissingFileGivesDefaultsWithoutTrailingBlanks) {
    DWORD n = 0;
    EXPECT_EQ(get("window", "x", "12  ", 256, &n), "12");
    EXPECT_EQ(n, 2u);
    EXPECT_EQ(get("window", "x", nullptr, 256, &n), "");
    EXPECT_EQ(n, 0u);
}

TEST_F(platformProfile, ValuesAreTrimmedAndUnquotedNamesCaseInsensitive) {
    writeRaw("; comment\n[Window]\n  X = 42  \nName=\"  spaced  \"\nQ='x'\nempty=\n[other]\nx=7\n");
    std::vector<std::string> got;  // a present empty value is not the default
    for (auto [section, key] : {std::pair{"window", "x"},
                                {"WINDOW", "name"},
                                {"wInDoW", "q"},
                                {"window", "empty"},
                                {"Other", "X"},
                                {"window", "missing"}})
        got.push_back(get(section, key, "d"));
    EXPECT_EQ(got, (std::vector<std::string>{"42", "  spaced  ", "x", "", "7", "d"}));
    EXPECT_EQ(GetPrivateProfileIntA("window", "x", 0, path_.c_str()), 42u);
}

TEST_F(platformProfile, TruncationAndListsFollowWin32Counts) {
    writeRaw("[a]\nk1=abcdef\nk2=2\n[b]\n[a]\nk3=3\n");
    DWORD n = 0;
    EXPECT_EQ(get("a", "k1", "", 4, &n), "abc");
    EXPECT_EQ(n, 3u) << "a truncated value returns size - 1";

    // The count and the first `shown` bytes of a list of sections or keys.
    const auto list = [&](const char* section, DWORD size, size_t shown) {
        std::string buf(64, '\x7f');
        const DWORD count = GetPrivateProfileStringA(section, nullptr, "", buf.data(), size, path_.c_str());
        return std::tuple(count, buf.substr(0, shown));
    };
    using namespace std::string_literals;
    EXPECT_EQ(list(nullptr, 64, 5), std::tuple(4u, "a\0b\0\0"s)) << "duplicate sections listed once";
    EXPECT_EQ(list("A", 64, 7), std::tuple(6u, "k1\0k2\0\0"s)) << "first section of a name only";
    EXPECT_EQ(list("a", 5, 5), std::tuple(3u, "k1\0\0\0"s)) << "a truncated list returns size - 2";
    char none[1];
    EXPECT_EQ(GetPrivateProfileStringA("a", "k1", "", none, 0, path_.c_str()), 0u);
}

TEST_F(platformProfile, WritingOneKeyKeepsEveryOtherByte) {
    const std::string before =
        "; settings\r\n[window]\r\nx=1\r\n  ; note inside\r\ny=2\r\n\r\n[app]\r\nTheme=dark\r\nodd line\r\n";
    writeRaw(before);
    // A changed value stays in place; a new key goes after the section's
    // last key, with the file's line ending.
    ASSERT_TRUE(WritePrivateProfileStringA("WINDOW", "Y", "20", path_.c_str()));
    ASSERT_TRUE(WritePrivateProfileStringA("window", "w", "1600", path_.c_str()));
    EXPECT_EQ(
        readRaw(),
        "; settings\r\n[window]\r\nx=1\r\n  ; note inside\r\ny=20\r\nw=1600\r\n\r\n[app]\r\nTheme=dark\r\n"
        "odd line\r\n");

    ASSERT_TRUE(WritePrivateProfileStringA("new", "k", "v", path_.c_str()));
    EXPECT_EQ(readRaw().substr(before.size() + 9), "[new]\r\nk=v\r\n");
    EXPECT_EQ(get("app", "theme", ""), "dark");
}

// Each write starts from the file before it (none at first).
TEST_F(platformProfile, WritesCreateAppendAndRemove) {
    const struct {
        const char* before;  // written first unless null
        const char *section, *key, *value, *after;
    } cases[] = {
        {nullptr, "window", "x", "-5", "[window]\nx=-5\n"},
        {"[window]\nx=1", "window", "y", "2", "[window]\nx=1\ny=2\n"},
        {"[a]\nx=1\ny=2\n[b]\nz=3\n", "a", "x", nullptr, "[a]\ny=2\n[b]\nz=3\n"},  // null value: key goes
        {nullptr, "A", nullptr, nullptr, "[b]\nz=3\n"},  // null key: the whole section goes
    };
    for (const auto& c : cases) {
        if (c.before) writeRaw(c.before);
        ASSERT_TRUE(WritePrivateProfileStringA(c.section, c.key, c.value, path_.c_str())) << c.after;
        EXPECT_EQ(readRaw(), c.after);
    }
}

TEST_F(platformProfile, FailedWritesSetTheErrorAndLeaveTheFile) {
    writeRaw("[a]\nx=1\n");
    EXPECT_FALSE(WritePrivateProfileStringA(nullptr, "k", "v", path_.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(WritePrivateProfileStringA("a", "x", "1", (dir_ / "nowhere" / "x.ini").c_str()));
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
    ::chmod(path_.c_str(), 0444);
    EXPECT_FALSE(WritePrivateProfileStringA("a", "x", "2", path_.c_str()));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    EXPECT_EQ(readRaw(), "[a]\nx=1\n");
    EXPECT_EQ(get("a", "x", "d"), "1") << "a read-only file is still read";

    ::chmod(path_.c_str(), 0644);
    if (::geteuid() == 0) return;  // root writes into any folder
    fs::permissions(dir_, fs::perms::owner_write, fs::perm_options::remove);
    EXPECT_FALSE(WritePrivateProfileStringA("a", "x", "3", path_.c_str())) << "no temporary file possible";
    EXPECT_EQ(readRaw(), "[a]\nx=1\n");
}

TEST_F(platformProfile, ReplacementIsAtomicAndKeepsPermissions) {
    writeRaw("[a]\nx=1\n");
    ::chmod(path_.c_str(), 0640);
    struct stat before {};
    ::stat(path_.c_str(), &before);
    ASSERT_TRUE(WritePrivateProfileStringA("a", "x", "2", path_.c_str()));
    struct stat after {};
    ::stat(path_.c_str(), &after);
    // Replaced by rename, not rewritten in place; no temporary file is left.
    EXPECT_EQ(std::tuple(before.st_ino != after.st_ino, after.st_mode & 0777,
                         std::distance(fs::directory_iterator(dir_), fs::directory_iterator())),
              std::tuple(true, 0640u, 1));
}

TEST_F(platformProfile, SymbolicLinkStaysAndItsTargetChanges) {
    writeRaw("[a]\nx=1\n");
    auto link = dir_ / "link.ini";
    fs::create_symlink(path_, link);
    ASSERT_TRUE(WritePrivateProfileStringA("a", "x", "9", link.c_str()));
    EXPECT_EQ(std::tuple(fs::is_symlink(link), readRaw()), std::tuple(true, "[a]\nx=9\n"));
}

// Lines before any section and lines that are no key are kept, never read.
TEST_F(platformProfile, KeysBeforeAnySectionAreKeptButNotFound) {
    const std::string before = "key=outside\n\x01garbage\n";
    writeRaw(before);
    EXPECT_EQ(get("", "key", "def"), "def");
    ASSERT_TRUE(WritePrivateProfileStringA("window", "x", "1", path_.c_str()));
    EXPECT_EQ(readRaw(), before + "[window]\nx=1\n");
}

TEST(platformIniFile, FirstDuplicateKeyIsTheOneChanged) {
    koui::platform::IniFile ini("[s]\nk=1\nK=2\n[S]\nk=3\n");
    EXPECT_EQ(ini.value("s", "k"), "1");
    ini.set("S", "k", "9");
    EXPECT_EQ(ini.text(), "[s]\nk=9\nK=2\n[S]\nk=3\n");
    EXPECT_FALSE(ini.removeKey("s", "zz"));
    EXPECT_FALSE(ini.value("none", "k").has_value());
    EXPECT_EQ(ini.keys("s"), (std::vector<std::string>{"k", "K"}));
}

}  // namespace
