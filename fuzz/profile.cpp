// Untrusted profile files through the window placement store, as an
// application uses it: load the placement, fill it from the window, save it
// and load it again. The values saved must be the ones loaded back, and
// saving may add the "window" section but no other and drop none.
#include "koui/platform/profile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "koui/app/win_placement.h"

using namespace koui;

namespace {

std::string sectionList(const std::filesystem::path& file, size_t capacity) {
    std::vector<char> buffer(capacity);
    const win32::DWORD n = win32::GetPrivateProfileStringA(nullptr, nullptr, "", buffer.data(),
                                                           static_cast<win32::DWORD>(capacity), file.c_str());
    return std::string(buffer.data(), n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // With a display a loaded placement is fitted to a monitor: the round
    // trip is checked against the window limits alone.
    static const bool headless = [] {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        return true;
    }();
    (void)headless;
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("koui_fuzz_profile_" + std::to_string(::getpid()) + ".ini");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    // Room for every name and its terminator, whatever the file holds.
    const std::string before = sectionList(file, 2 * size + 16);
    app::WinPlacement placement(file);
    // A usable placement that differs from the one loaded, so that saving
    // changes the file: a known show command, sizes of 1 to 4096 and
    // positions that keep the window inside the window limits.
    win32::WINDOWPLACEMENT wp{};
    wp.showCmd = static_cast<win32::UINT>((placement.getShow() ^ 1) % 11);
    wp.rcNormalPosition.left = placement.getY() / 2;
    wp.rcNormalPosition.top = placement.getX() / 2;
    wp.rcNormalPosition.right = wp.rcNormalPosition.left + 1 + placement.getHeight() % 4096;
    wp.rcNormalPosition.bottom = wp.rcNormalPosition.top + 1 + placement.getWidth() % 4096;
    placement.fill(wp);
    placement.save();
    const app::WinPlacement again(file);
    if (again.getX() != placement.getX() || again.getY() != placement.getY() ||
        again.getWidth() != placement.getWidth() || again.getHeight() != placement.getHeight() ||
        again.getShow() != placement.getShow())
        std::abort();
    const std::string after = sectionList(file, 2 * size + 64);
    if (after != before && after != before + std::string("window", 7)) std::abort();
    std::filesystem::remove(file);
    return 0;
}
