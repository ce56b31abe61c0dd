#include "koui/platform/monitor.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "koui/platform/detail/state.h"
#include "koui/platform/system.h"

namespace koui::win32 {

namespace {

using koui::platform::detail::callOnWindowThread;
using koui::platform::detail::ensureGlfw;

struct MonitorAreas {
    RECT whole;
    RECT work;
};

// The monitors in the window system's order (window thread only).
std::vector<MonitorAreas> listMonitors() {
    std::vector<MonitorAreas> list;
    if (!ensureGlfw()) return list;
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    for (int i = 0; i < count; ++i) {
        const GLFWvidmode* mode = glfwGetVideoMode(monitors[i]);
        if (!mode) continue;
        MonitorAreas m{};
        glfwGetMonitorPos(monitors[i], &m.whole.left, &m.whole.top);
        m.whole.right = m.whole.left + mode->width;
        m.whole.bottom = m.whole.top + mode->height;
        int x = 0, y = 0, w = 0, h = 0;
        glfwGetMonitorWorkarea(monitors[i], &x, &y, &w, &h);
        m.work = (w > 0 && h > 0) ? RECT{x, y, x + w, y + h} : m.whole;
        list.push_back(m);
    }
    return list;
}

// Coordinates of a stored rectangle may be anything: 64-bit arithmetic.
std::int64_t overlap(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
    return std::max<std::int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
}
std::int64_t gap(std::int64_t a0, std::int64_t a1, std::int64_t b0, std::int64_t b1) {
    return std::max<std::int64_t>({0, b0 - a1, a0 - b1});
}

HMONITOR toHandle(std::size_t index) {
    return reinterpret_cast<HMONITOR>(index + 1);
}

HMONITOR pickMonitor(const RECT& r, DWORD flags) {
    std::vector<MonitorAreas> list = listMonitors();
    if (list.empty()) return nullptr;
    std::size_t best = 0;
    std::int64_t bestArea = 0;
    std::int64_t bestGap = INT64_MAX;
    std::size_t nearest = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const RECT& m = list[i].whole;
        std::int64_t area =
            overlap(r.left, r.right, m.left, m.right) * overlap(r.top, r.bottom, m.top, m.bottom);
        if (area > bestArea) bestArea = area, best = i;
        std::int64_t dx = gap(r.left, r.right, m.left, m.right), dy = gap(r.top, r.bottom, m.top, m.bottom);
        if (dx * dx + dy * dy < bestGap) bestGap = dx * dx + dy * dy, nearest = i;
    }
    if (bestArea > 0) return toHandle(best);
    if (flags == MONITOR_DEFAULTTOPRIMARY) return toHandle(0);
    if (flags == MONITOR_DEFAULTTONEAREST) return toHandle(nearest);
    return nullptr;
}

}  // namespace

HMONITOR MonitorFromRect(const RECT* rect, DWORD flags) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const RECT r = *rect;
    return callOnWindowThread([&] { return pickMonitor(r, flags); }, HMONITOR{nullptr});
}

BOOL GetMonitorInfoA(HMONITOR monitor, MONITORINFO* info) {
    if (!info || info->cbSize < sizeof(MONITORINFO)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto index = reinterpret_cast<std::uintptr_t>(monitor);
    std::vector<MonitorAreas> list =
        callOnWindowThread([] { return listMonitors(); }, std::vector<MonitorAreas>{});
    if (index == 0 || index > list.size()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    info->rcMonitor = list[index - 1].whole;
    info->rcWork = list[index - 1].work;
    info->dwFlags = index == 1 ? MONITORINFOF_PRIMARY : 0;
    return 1;
}

}  // namespace koui::win32
