// WinPlacement: the five fields and their profile file.
#include "koui/app/win_placement.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "koui/family/appmsg.h"
#include "koui/platform/monitor.h"
#include "koui/platform/profile.h"
#include "koui/platform/window.h"

using namespace koui::win32;

namespace koui::app {

namespace {
constexpr const char* kSection = "window";
constexpr DWORD kValueBytes = 65536;
}  // namespace

WinPlacement::WinPlacement(const std::filesystem::path& p) : path(p) {
    load();
}

void WinPlacement::load() {
    x = geti(kSection, "x", kDefaultX);
    y = geti(kSection, "y", kDefaultY);
    width = geti(kSection, "w", kDefaultWidth);
    height = geti(kSection, "h", kDefaultHeight);
    show = geti(kSection, "show", kDefaultShow);
    makeUsable();
}

void WinPlacement::makeUsable() {
    if (width <= 0 || height <= 0 || show < SW_HIDE || show > SW_SHOWDEFAULT) {
        ko::log::appmsg(
            "[WARNING] %s: the window placement x=%d y=%d w=%d h=%d show=%d makes no sense; the defaults "
            "are used",
            path.string().c_str(), x, y, width, height, show);
        x = kDefaultX, y = kDefaultY, width = kDefaultWidth, height = kDefaultHeight, show = kDefaultShow;
    }
    const RECT stored{x, y, static_cast<LONG>(std::min<std::int64_t>(std::int64_t{x} + width, INT32_MAX)),
                      static_cast<LONG>(std::min<std::int64_t>(std::int64_t{y} + height, INT32_MAX))};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromRect(&stored, MONITOR_DEFAULTTONEAREST);
    if (monitor && GetMonitorInfoA(monitor, &info)) {
        fitInto(info.rcWork);
    } else {
        using koui::platform::kMaxWindowCoordinate, koui::platform::kMaxWindowSide;
        width = std::min(width, kMaxWindowSide), height = std::min(height, kMaxWindowSide);
        fitInto(
            RECT{-kMaxWindowCoordinate, -kMaxWindowCoordinate, kMaxWindowCoordinate, kMaxWindowCoordinate});
    }
}

// No bigger than `area`, and moved the least that puts it inside.
void WinPlacement::fitInto(const RECT& area) {
    width = std::min(width, area.right - area.left);
    height = std::min(height, area.bottom - area.top);
    x = std::clamp(x, area.left, area.right - width);
    y = std::clamp(y, area.top, area.bottom - height);
}

void WinPlacement::save() {
    puti(kSection, "x", x);
    puti(kSection, "y", y);
    puti(kSection, "w", width);
    puti(kSection, "h", height);
    puti(kSection, "show", show);
}

void WinPlacement::fill(WINDOWPLACEMENT& wp) {
    const RECT& r = wp.rcNormalPosition;
    x = r.left;
    y = r.top;
    width = r.right - r.left;
    height = r.bottom - r.top;
    show = static_cast<int32_t>(wp.showCmd);
}

void WinPlacement::fill(HWND hWnd) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (!GetWindowPlacement(hWnd, &wp)) return;
    fill(wp);
}

std::string WinPlacement::get(const std::string& section, const std::string& key, const std::string& def) {
    // The buffer lives on the heap: 64 KiB is too much for a thread's stack.
    std::vector<char> buffer(kValueBytes);
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), def.c_str(), buffer.data(), kValueBytes,
                                       path.string().c_str());
    return std::string(buffer.data(), n);
}

void WinPlacement::put(const std::string& section, const std::string& key, const std::string& value) {
    WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), path.string().c_str());
}

int WinPlacement::geti(const std::string& section, const std::string& key, int def) {
    std::string text = get(section, key, "");
    if (text.empty()) return def;
    // atoi's reading (blanks, sign, digits up to the first other byte, 0
    // without digits), but a number beyond int is clamped instead of being
    // undefined.
    long long v = std::strtoll(text.c_str(), nullptr, 10);
    if (v > INT32_MAX) return INT32_MAX;
    if (v < INT32_MIN) return INT32_MIN;
    return static_cast<int>(v);
}

void WinPlacement::puti(const std::string& section, const std::string& key, int value) {
    put(section, key, std::to_string(value));
}

}  // namespace koui::app
