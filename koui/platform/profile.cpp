#include "koui/platform/profile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "koui/platform/ini_file.h"
#include "koui/platform/system.h"

namespace koui::win32 {

using koui::platform::IniFile;

namespace {

// One lock for every profile call of the process, so that two threads
// writing different keys of one file do not lose each other's change.
std::mutex profileLock;

IniFile loadProfile(LPCSTR fileName) {
    int error = 0;
    auto text = koui::platform::readWholeFile(fileName, error);
    return IniFile(text ? *text : std::string());
}

// Copies a list of zero-terminated names with a final extra zero.
DWORD copyList(const std::vector<std::string>& names, LPSTR buffer, DWORD size) {
    std::string list;
    for (const auto& n : names) list.append(n).push_back('\0');
    if (size < 2) {
        buffer[0] = '\0';
        return 0;
    }
    if (list.size() + 1 <= size) {
        std::memcpy(buffer, list.data(), list.size());
        buffer[list.size()] = '\0';
        if (list.empty()) buffer[1] = '\0';
        return static_cast<DWORD>(list.size());
    }
    std::memcpy(buffer, list.data(), size - 2);
    buffer[size - 2] = '\0';
    buffer[size - 1] = '\0';
    return size - 2;
}

DWORD copyValue(std::string_view value, LPSTR buffer, DWORD size) {
    DWORD n = static_cast<DWORD>(std::min<std::size_t>(value.size(), size - 1));
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
}

DWORD errnoToError(int e) {
    switch (e) {
        case ENOENT:
        case ENOTDIR:
            return ERROR_FILE_NOT_FOUND;
        case ENOMEM:
            return ERROR_NOT_ENOUGH_MEMORY;
        default:
            return ERROR_ACCESS_DENIED;
    }
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName) {
    if (!buffer || size == 0) return 0;
    if (!fileName) {
        buffer[0] = '\0';
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard guard(profileLock);
    IniFile ini = loadProfile(fileName);
    if (!section) return copyList(ini.sections(), buffer, size);
    if (!key) return copyList(ini.keys(section), buffer, size);
    if (auto v = ini.value(section, key)) return copyValue(*v, buffer, size);
    std::string_view def = defaultValue ? defaultValue : "";
    while (!def.empty() && (def.back() == ' ' || def.back() == '\t')) def.remove_suffix(1);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return copyValue(def, buffer, size);
}

UINT GetPrivateProfileIntA(LPCSTR section, LPCSTR key, int defaultValue, LPCSTR fileName) {
    if (!section || !key || !fileName) return static_cast<UINT>(defaultValue);
    std::lock_guard guard(profileLock);
    auto v = loadProfile(fileName).value(section, key);
    if (!v) return static_cast<UINT>(defaultValue);
    return static_cast<UINT>(std::strtol(v->c_str(), nullptr, 10));
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (!section && !key && !value) return 1;  // "flush the cache": there is none
    if (!section || !fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard guard(profileLock);
    int error = 0;
    auto old = koui::platform::readWholeFile(fileName, error);
    if (!old && error != ENOENT) {
        SetLastError(errnoToError(error));
        return 0;
    }
    IniFile ini(old ? *old : std::string());
    if (!key)
        ini.removeSection(section);
    else if (!value)
        ini.removeKey(section, key);
    else
        ini.set(section, key, value);
    std::string text = ini.text();
    if (old && text == *old) return 1;
    if (int e = koui::platform::writeFileAtomically(fileName, text)) {
        SetLastError(errnoToError(e));
        return 0;
    }
    return 1;
}

}  // namespace koui::win32
