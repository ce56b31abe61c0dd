// Paths, key maps and the handle tokens of the small rest of the layer.
#include "koui/platform/system.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "koui/platform/input.h"
#include "koui/platform/win32_names.h"

namespace {

std::string cwd() {
    return std::filesystem::current_path().string();
}

TEST(platformSystem, FullPathIsAbsoluteAndLexicallyNormal) {
    char buf[MAX_PATH];
    LPSTR file = nullptr;
    DWORD n = GetFullPathNameA("resdata", MAX_PATH, buf, &file);
    std::string expected = cwd() + "/resdata";
    EXPECT_EQ(std::string(buf), expected);
    EXPECT_EQ(n, expected.size());
    ASSERT_NE(file, nullptr);
    EXPECT_STREQ(file, "resdata");

    GetFullPathNameA("resdata/", MAX_PATH, buf, &file);
    EXPECT_EQ(std::string(buf), cwd() + "/resdata/") << "a trailing separator stays";
    EXPECT_EQ(file, nullptr);

    GetFullPathNameA("/a/./b/../c.koc", MAX_PATH, buf, nullptr);
    EXPECT_STREQ(buf, "/a/c.koc");
    GetFullPathNameA("/a/b/..", MAX_PATH, buf, nullptr);
    EXPECT_STREQ(buf, "/a");
}

TEST(platformSystem, FullPathReportsTheSizeItNeeds) {
    char small[4] = {'x', 'x', 'x', 'x'};
    DWORD need = GetFullPathNameA("/abcdef", sizeof small, small, nullptr);
    EXPECT_EQ(need, 8u) << "size including the terminator";
    EXPECT_EQ(small[0], 'x') << "nothing written";
    EXPECT_EQ(GetFullPathNameA("", MAX_PATH, small, nullptr), 0u);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    EXPECT_EQ(GetFullPathNameA(nullptr, MAX_PATH, small, nullptr), 0u);
}

TEST(platformSystem, HandleTokensAreStableAndDistinct) {
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    EXPECT_EQ(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
    EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
    EXPECT_NE(LoadIconA(nullptr, IDI_APPLICATION), nullptr);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), GetStockObject(GRAY_BRUSH));
    EXPECT_EQ(GetStockObject(99), nullptr);
}

TEST(platformSystem, MapVirtualKeyGivesUnshiftedCharactersAndScanCodes) {
    const std::pair<UINT, UINT> toChar[] = {{'A', 'A'},      {'7', '7'},           {VK_OEM_COMMA, ','},
                                            {VK_BACK, 8},    {VK_TAB, 9},          {VK_RETURN, 13},
                                            {VK_ESCAPE, 27}, {VK_SPACE, ' '},      {VK_LEFT, 0},
                                            {VK_F1, 0},      {VK_NUMPAD0 + 5, '5'}};
    for (auto [vk, ch] : toChar) EXPECT_EQ(MapVirtualKeyA(vk, MAPVK_VK_TO_CHAR), ch) << "key " << vk;
    EXPECT_EQ(MapVirtualKeyA('A', MAPVK_VK_TO_VSC), 0x1Eu);
    EXPECT_EQ(MapVirtualKeyA(VK_SHIFT, MAPVK_VK_TO_VSC), 0x2Au);
    EXPECT_EQ(MapVirtualKeyA(0x1E, MAPVK_VSC_TO_VK), static_cast<UINT>('A'));
    EXPECT_EQ(MapVirtualKeyA(0x1D, MAPVK_VSC_TO_VK), static_cast<UINT>(VK_CONTROL));
    EXPECT_EQ(MapVirtualKeyA('A', 99), 0u);
}

TEST(platformSystem, KeyStateOfUnknownOrIdleKeys) {
    EXPECT_EQ(GetKeyState(0), 0);
    EXPECT_EQ(GetKeyState(0x1234), 0);
    EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x80, 0) << "nothing is held without input";
    POINT p{1, 2};
    EXPECT_TRUE(GetCursorPos(&p));
    EXPECT_FALSE(GetCursorPos(nullptr));
}

TEST(platformSystem, ParameterPacking) {
    EXPECT_EQ(MAKELPARAM(-3, 70000), static_cast<LPARAM>(0x1170FFFD));
    EXPECT_EQ(GET_X_LPARAM(MAKELPARAM(-3, 5)), -3);
    EXPECT_EQ(GET_Y_LPARAM(MAKELPARAM(-3, -5)), -5);
    EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(MAKEWPARAM(MK_SHIFT, -240)), -240);
    EXPECT_EQ(GET_KEYSTATE_WPARAM(MAKEWPARAM(MK_SHIFT, -240)), MK_SHIFT);
    EXPECT_EQ(sizeof(WINDOWPLACEMENT), 44u);
    EXPECT_EQ(sizeof(PIXELFORMATDESCRIPTOR), 40u);
}

}  // namespace
