#include "koui/family/stfile.h"

#include <sys/stat.h>

#include <cstring>

namespace ko::util {

namespace {

void copyOrEmpty(char* out, size_t outSize, const char* from, size_t length) {
    if (!out || outSize == 0) return;
    if (length >= outSize) length = 0;
    if (length) std::memcpy(out, from, length);
    out[length] = '\0';
}

}  // namespace

int stosFileExists(const char* path) {
    struct stat info {};
    if (!path || !*path || stat(path, &info) != 0) return 0;
    return S_ISDIR(info.st_mode) ? 0 : 1;
}

void stGetPathFromString(char* out, const char* path, size_t outSize) {
    const char* slash = path ? std::strrchr(path, '/') : nullptr;
    copyOrEmpty(out, outSize, path, slash ? static_cast<size_t>(slash - path) + 1 : 0);
}

void stGetFileExtension(char* out, const char* path, size_t outSize) {
    const char* slash = path ? std::strrchr(path, '/') : nullptr;
    const char* dot = path ? std::strrchr(slash ? slash + 1 : path, '.') : nullptr;
    if (!dot) {
        copyOrEmpty(out, outSize, "", 0);
        return;
    }
    copyOrEmpty(out, outSize, dot + 1, std::strlen(dot + 1));
}

int CstFile::OpenReadOnly(const char* path) {
    Close();
    if (!path) return -1;
    file_ = std::fopen(path, "rb");
    if (!file_) return -1;
    struct stat info {};
    if (fstat(fileno(file_), &info) != 0 || S_ISDIR(info.st_mode)) {
        Close();
        return -1;
    }
    return 0;
}

long long CstFile::GetSize() const {
    struct stat info {};
    if (!file_ || fstat(fileno(file_), &info) != 0) return -1;
    return static_cast<long long>(info.st_size);
}

long long CstFile::Read(void* buffer, long long size) {
    if (!file_ || !buffer || size <= 0) return 0;
    return static_cast<long long>(std::fread(buffer, 1, static_cast<size_t>(size), file_));
}

void CstFile::Close() {
    if (file_) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace ko::util
