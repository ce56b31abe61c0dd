// Paths, key maps and the handle tokens of the small rest of the layer.
#include "koui/platform/system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "koui/platform/input.h"
#include "koui/platform/win32_names.h"

namespace {

TEST(platformSystem, FullPathIsAbsoluteAndLexicallyNormal) {
    const std::string cwd = std::filesystem::current_path().string();
    const struct {
        const char* in;
        std::string out;
        const char* file;  // the part after the last separator, if any
    } cases[] = {{"resdata", cwd + "/resdata", "resdata"},
                 {"resdata/", cwd + "/resdata/", nullptr},
                 {"/a/./b/../c.koc", "/a/c.koc", "c.koc"},
                 {"/a/b/..", "/a", "a"}};
    for (const auto& c : cases) {
        char buf[MAX_PATH];
        LPSTR file = nullptr;
        EXPECT_EQ(GetFullPathNameA(c.in, MAX_PATH, buf, &file), c.out.size()) << c.in;
        EXPECT_EQ(std::string(buf), c.out);
        EXPECT_STREQ(file, c.file) << c.in;
    }
    char small[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetFullPathNameA("/abcdef", sizeof small, small, nullptr), 8u)
        << "size including the terminator";
    EXPECT_EQ(small[0], 'x') << "nothing written";
    EXPECT_EQ(GetFullPathNameA("", MAX_PATH, small, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetFullPathNameA(nullptr, MAX_PATH, small, nullptr), 0u);
}

TEST(platformSystem, MapVirtualKeyGivesUnshiftedCharacters) {
    const std::pair<UINT, UINT> toChar[] = {{'A', 'A'},      {'7', '7'},           {VK_OEM_COMMA, ','},
                                            {VK_BACK, 8},    {VK_TAB, 9},          {VK_RETURN, 13},
                                            {VK_ESCAPE, 27}, {VK_SPACE, ' '},      {VK_LEFT, 0},
                                            {VK_F1, 0},      {VK_NUMPAD0 + 5, '5'}};
    for (auto [vk, ch] : toChar) EXPECT_EQ(MapVirtualKeyA(vk, MAPVK_VK_TO_CHAR), ch) << "key " << vk;
}

TEST(platformSystem, KeyStateOfUnknownOrIdleKeysAndParameterPacking) {
    // Nothing is held without input.
    EXPECT_EQ(
        std::tuple(GetKeyState(0), GetKeyState(0x1234), GetKeyState(VK_SHIFT) & 0x80, GetCursorPos(nullptr)),
        std::tuple(0, 0, 0, BOOL{0}));
    EXPECT_EQ(std::tuple(MAKELPARAM(-3, 70000), GET_Y_LPARAM(MAKELPARAM(-3, -5)),
                         GET_WHEEL_DELTA_WPARAM(MAKEWPARAM(MK_SHIFT, -240))),
              std::tuple(static_cast<LPARAM>(0x1170FFFD), -5, -240));
}

}  // namespace
