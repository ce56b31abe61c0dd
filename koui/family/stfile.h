// Whole-file reading and path helpers of the classic resource manager.
//
// Paths use "/" as the directory separator; a directory part keeps its
// trailing "/" so that a file name can be appended to it directly.
#pragma once

#include <cstdio>

#include "koui/export.h"

namespace ko::util {

inline constexpr size_t kStMaxPath = 260;

// Non-zero when `path` names an existing file that is not a directory.
KOUI_API int stosFileExists(const char* path);

// Writes the directory part of `path` (everything up to and including the
// last "/") to `out`, or "" when there is none. At most outSize - 1 bytes are
// written and `out` is always terminated; a longer directory part is
// refused (empty result) rather than cut into a wrong directory.
KOUI_API void stGetPathFromString(char* out, const char* path, size_t outSize = kStMaxPath);

// Writes the extension of the last path component (after its last ".",
// without the dot) to `out`, or "" when there is none; as above, a result
// that does not fit is refused.
KOUI_API void stGetFileExtension(char* out, const char* path, size_t outSize = kStMaxPath);

// Reads a file whole: OpenReadOnly, GetSize, Read, Close.
class KOUI_API CstFile {
public:
    CstFile() = default;
    ~CstFile() { Close(); }
    CstFile(const CstFile&) = delete;
    CstFile& operator=(const CstFile&) = delete;

    // 0 on success; -1 for a null path, a missing file or a directory.
    int OpenReadOnly(const char* path);
    // Size in bytes of the open file, -1 when none is open.
    long long GetSize() const;
    // Reads up to `size` bytes at the current position; returns the count read.
    long long Read(void* buffer, long long size);
    void Close();

private:
    std::FILE* file_ = nullptr;
};

}  // namespace ko::util
