#include "koui/platform/system.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#include "koui/platform/detail/state.h"

namespace koui::win32 {

namespace {
thread_local DWORD lastError = 0;

// Distinct non-null tokens; nothing ever dereferences them.
char moduleToken, iconToken, cursorToken;
char brushTokens[6];
}  // namespace

DWORD GetLastError() {
    return lastError;
}
void SetLastError(DWORD code) {
    lastError = code;
}

DWORD GetTickCount() {
    return koui::platform::detail::tickCount();
}

DWORD GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::error_code ec;
    std::filesystem::path p(fileName);
    if (p.is_relative()) {
        auto cwd = std::filesystem::current_path(ec);
        if (ec) {
            SetLastError(ERROR_FILE_NOT_FOUND);
            return 0;
        }
        p = cwd / p;
    }
    std::string full = p.lexically_normal().string();
    // ".." at the end leaves a separator that the name did not ask for.
    std::string_view name(fileName);
    if (full.size() > 1 && full.back() == '/' && name.back() != '/') full.pop_back();
    if (!buffer || bufferLength < full.size() + 1) return static_cast<DWORD>(full.size() + 1);
    std::memcpy(buffer, full.c_str(), full.size() + 1);
    if (filePart) {
        auto slash = full.find_last_of('/');
        *filePart = (slash + 1 < full.size()) ? buffer + slash + 1 : nullptr;
    }
    return static_cast<DWORD>(full.size());
}

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(&moduleToken);
}

HICON LoadIconA(HINSTANCE, LPCSTR) {
    return reinterpret_cast<HICON>(&iconToken);
}
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) {
    return reinterpret_cast<HCURSOR>(&cursorToken);
}

HGDIOBJ GetStockObject(int object) {
    if (object < WHITE_BRUSH || object > NULL_BRUSH) return nullptr;
    return reinterpret_cast<HGDIOBJ>(&brushTokens[object]);
}

}  // namespace koui::win32

namespace koui::platform {

namespace {
std::atomic<ErrorSink> errorSink{nullptr};
}

void setErrorSink(ErrorSink sink) {
    errorSink.store(sink);
}

void reportError(const char* line) {
    if (ErrorSink sink = errorSink.load()) {
        sink(line);
    } else {
        std::fprintf(stderr, "%s\n", line);
    }
}

}  // namespace koui::platform
