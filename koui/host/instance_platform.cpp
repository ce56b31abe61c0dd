// Instance: the parts that talk to the window system (cursor position, full
// paths), kept apart from the resource manager's headers.
#include <new>

#include "koui/host/instance.h"
#include "koui/platform/input.h"
#include "koui/platform/system.h"

using namespace koui::win32;

namespace koui {

namespace {
std::string fullPath(const std::string& path) {
    char buffer[260];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    // A path that does not fit 260 bytes (or cannot be resolved) is passed
    // on as given rather than cut.
    if (n == 0 || n >= sizeof buffer) return path;
    return std::string(buffer, n);
}
}  // namespace

glm::vec2 Instance::getCursorPos() {
    if (!hWnd) return {0, 0};
    POINT p{0, 0};
    GetCursorPos(&p);
    ScreenToClient(hWnd, &p);
    return {static_cast<float>(p.x), static_cast<float>(p.y)};
}

Instance* CreateInstance(std::string resDir, std::string archivePath, std::string rootFile, HWND hWnd) {
    Instance* inst = new (std::nothrow) Instance();
    if (!inst) return nullptr;
    std::string dir = fullPath(resDir);
    if (dir.empty() || dir.back() != '/') dir += '/';
    inst->glCreate(dir, fullPath(archivePath), rootFile, hWnd);
    return inst;
}

}  // namespace koui
