// The utility pieces under the classic resource manager.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>

#include "koui/family/cmc.h"
#include "koui/family/linefile.h"
#include "koui/family/lineparset.h"
#include "koui/family/stfile.h"
#include "koui/family/stmarray.h"
#include "tests/res/test_files.h"

using namespace ko::util;

namespace {

class Probe : public Cmc {
    KOUI_MC_CLASS(Probe, "test::Probe")
public:
    Probe() { ++alive; }
    ~Probe() override { --alive; }
    static inline int alive = 0;
};

// Names and creation through the class function are checked for every
// class of the resource manager; here what it refuses and the virtual forms.
TEST(Cmc, ClassFunctionRefusesOtherCallsAndDefaultNamesCountPerClass) {
    const char* name = nullptr;
    EXPECT_EQ(std::tuple(Probe::koxMC__CLASSFUNC(2, 0, 0, nullptr, &name),
                         Probe::koxMC__CLASSFUNC(1, 0, 0, nullptr, nullptr),
                         Probe::koxMC__CLASSFUNC(256, 0, 0, nullptr, nullptr)),
              std::tuple(kMcInvalid, kMcInvalid, kMcInvalid));
    Probe a, b;
    Cmc& base = a;
    EXPECT_EQ(base.getclassfunc(), &Probe::koxMC__CLASSFUNC);
    EXPECT_STREQ(base.gettype(), "test::Probe");

    Cmc plain;
    for (Cmc* o : {&base, static_cast<Cmc*>(&b), &plain}) o->_mcSetDefaultName();
    EXPECT_EQ(std::tuple(std::string(a.getname()), std::string(b.getname()), std::string(plain.getname())),
              std::tuple("test::Probe_0", "test::Probe_1", "Cmc_0"));
}

TEST(Cmc, ParentOwnsChildrenAndEarlyDeleteDetaches) {
    ASSERT_EQ(Probe::alive, 0);
    {
        Probe root;
        Probe* a = Probe::_mcCreate(&root, "a");
        Probe* b = Probe::_mcCreate(&root, "b");
        Probe::_mcCreate(a, "grandchild");
        EXPECT_EQ(
            std::tuple(b->_mcGetParent(), root._mcGetChildCount(), root._mcGetChild(1), root._mcGetChild(2)),
            std::tuple(static_cast<Cmc*>(&root), 2, static_cast<Cmc*>(b), nullptr));
        EXPECT_EQ(Probe::alive, 4);

        delete b;  // the root must not delete it again
        EXPECT_EQ(root._mcGetChildCount(), 1);
        a->_mcSetParent(nullptr);  // detached: no longer released with the root
        EXPECT_EQ(root._mcGetChildCount(), 0);
        a->_mcSetParent(&root);
        EXPECT_EQ(Probe::alive, 3);
    }
    EXPECT_EQ(Probe::alive, 0);
}

TEST(CstmArray, GrowsKeepsOrderAndRefusesOutOfRange) {
    CstmLinearArray raw(12);
    EXPECT_EQ(raw.laAdd(0), nullptr);
    auto* first = static_cast<unsigned char*>(raw.laAdd(2));
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(std::all_of(first, first + 24, [](unsigned char b) { return b == 0; }));
    first[12] = 7;
    EXPECT_EQ(static_cast<unsigned char*>(raw.laGetAddress(1))[0], 7);
    EXPECT_EQ(std::tuple(raw.laGetAddress(2), raw.laGetAddress(-1)), std::tuple(nullptr, nullptr));
    raw.laDeleteAll();
    EXPECT_EQ(raw.laGetAddress(0), nullptr);

    CstmArray<int*> ptrs;
    int values[300];
    for (auto& v : values) EXPECT_EQ(ptrs.Add(&v), 0);
    for (int i = 0; i < 300; ++i) EXPECT_EQ(ptrs(i), &values[i]);
    EXPECT_EQ(std::tuple(ptrs.Get(300), ptrs.Get(-1)), std::tuple(nullptr, nullptr));
}

TEST(CstFile, ReadsWholeAndRefusesDirectoriesAndMissingFiles) {
    const koui::test::TempDir dir("util_file");
    const std::string bytes("a\0b\r\nc", 6);
    const std::string path = (dir / "f.txt").string();
    koui::test::writeBytes(path, {bytes.begin(), bytes.end()});
    CstFile file;
    ASSERT_EQ(file.OpenReadOnly(path.c_str()), 0);
    ASSERT_EQ(file.GetSize(), 6);
    char buffer[16] = {};
    EXPECT_EQ(file.Read(buffer, 16), 6);
    EXPECT_EQ(std::string(buffer, 6), bytes);
    file.Close();
    EXPECT_EQ(file.GetSize(), -1);

    EXPECT_NE(stosFileExists(path.c_str()), 0);
    const std::string none = (dir / "none").string();
    for (const char* no : {dir.path().c_str(), none.c_str(), "", static_cast<const char*>(nullptr)}) {
        EXPECT_NE(file.OpenReadOnly(no), 0) << (no ? no : "null");
        EXPECT_EQ(stosFileExists(no), 0) << (no ? no : "null");
    }
}

TEST(Paths, DirectoryKeepsItsSlashAndExtensionIsTheLastComponents) {
    const std::pair<const char*, const char*> folders[] = {
        {"/a/b.c/file.png", "/a/b.c/"}, {"file.png", ""}, {nullptr, ""}};
    const std::pair<const char*, const char*> extensions[] = {
        {"/a/b.c/file.PNG", "PNG"}, {"/a/b.c/file", ""}, {"x.tar.gz", "gz"}, {"", ""}};
    char out[kStMaxPath];
    for (const auto& [in, expected] : folders) {
        stGetPathFromString(out, in);
        EXPECT_STREQ(out, expected) << (in ? in : "null");
    }
    for (const auto& [in, expected] : extensions) {
        stGetFileExtension(out, in);
        EXPECT_STREQ(out, expected) << in;
    }
    char small[4];
    stGetPathFromString(small, "abcd/e", sizeof small);  // does not fit: refused, not cut
    EXPECT_STREQ(small, "");
    stGetPathFromString(small, "ab/e", sizeof small);
    EXPECT_STREQ(small, "ab/");
}

std::vector<std::string> all(const CstqLineFile& lines) {
    std::vector<std::string> out;
    for (int i = 0; i < lines.GetCount(); ++i) out.emplace_back(lines.Get(i));
    return out;
}

TEST(LineFile, SplitsAtEveryLineEnding) {
    CstqLineFile lines;
    const char text[] = "one\r\ntwo\nthree\rfour\n\nsix";
    ASSERT_EQ(lines.OpenFromBuffer(text, sizeof text - 1), 0);
    EXPECT_EQ(all(lines), (std::vector<std::string>{"one", "two", "three", "four", "", "six"}));
    EXPECT_EQ(lines.Get(6), nullptr);

    for (auto [buffer, count] : {std::pair{"a\n", 1}, std::pair{"", 0}}) {
        EXPECT_EQ(lines.OpenFromBuffer(buffer, std::strlen(buffer)), 0);
        EXPECT_EQ(lines.GetCount(), count) << buffer;
    }
    EXPECT_NE(lines.OpenFromBuffer(nullptr, 3), 0);

    // Only up to the size is read, and a zero byte ends its line.
    const char bytes[] = {'a', 'b', '\0', 'c', '\n', 'd', 'e', 'f'};
    ASSERT_EQ(lines.OpenFromBuffer(bytes, 6), 0);  // "ab\0c\nd": no terminator follows
    EXPECT_EQ(all(lines), (std::vector<std::string>{"ab", "d"}));
}

TEST(LineParSet, TrimsParametersButKeepsTheRawTail) {
    CmcLineParSet line(',');
    ASSERT_EQ(line.Feed("digits , !glyphset,  0 ,, x, ,a"), 7);
    const char* pars[] = {"digits", "!glyphset", "0", "", "x", "", "a", ""};
    for (int i = 0; i < 8; ++i) EXPECT_STREQ(line.Get(i), pars[i]) << i;
    EXPECT_EQ(std::tuple(std::string(line.GetSrcText(1)), std::string(line.GetSrcText(5)),
                         std::string(line.GetSrcText(7))),
              std::tuple(" !glyphset,  0 ,, x, ,a", " ,a", ""));
    char small[5];
    EXPECT_EQ(line.GetSrcText(1, small, sizeof small), 4);
    EXPECT_STREQ(small, " !gl");

    EXPECT_EQ(line.Feed("a, b ", -1, CmcLineParSet::kLpsKeepSpaces), 2);
    EXPECT_STREQ(line.Get(1), " b ");
    EXPECT_EQ(line.Feed("a,b,c", 3), 2);
    EXPECT_STREQ(line.GetLine(), "a,b");
    EXPECT_EQ(std::tuple(line.Feed(""), line.Feed(nullptr), line.Feed(",")), std::tuple(0, 0, 2));
}

TEST(LineParSet, TypedGettersUseTheDefaultOnlyForMissingOrEmpty) {
    CmcLineParSet line;
    line.Feed("4, ,abc, -7 , 2.5,99999999999,-99999999999");
    const int ints[] = {4, 1, 0, -7, 2, INT_MAX, INT_MIN, 1, 1, 1};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(line.GetIntPar(i, 1), ints[i]) << i;
    EXPECT_DOUBLE_EQ(line.GetDoublePar(4, 0), 2.5);
    EXPECT_DOUBLE_EQ(line.GetDoublePar(9, -1), -1);

    line.SetPos(2);
    const int pos = line.GetPos();
    line.Feed("x");
    const int afterFeed = line.GetPos();
    line.SetPos(-3);
    EXPECT_EQ(std::tuple(pos, afterFeed, line.GetPos()), std::tuple(2, 0, 0));
}

}  // namespace
