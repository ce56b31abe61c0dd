#include "koui/family/linefile.h"

#include <cstring>

namespace ko::util {

int CstqLineFile::OpenFromBuffer(const char* text, long long size) {
    Close();
    if (!text || size < 0) return -1;
    const char* end = text + size;
    const char* begin = text;
    while (begin < end) {
        const char* stop = begin;
        while (stop < end && *stop != '\n' && *stop != '\r') ++stop;
        const char* nul =
            static_cast<const char*>(std::memchr(begin, '\0', static_cast<size_t>(stop - begin)));
        lines_.emplace_back(begin, nul ? nul : stop);
        if (stop < end && *stop == '\r' && stop + 1 < end && stop[1] == '\n') ++stop;
        begin = stop + 1;
    }
    return 0;
}

const char* CstqLineFile::Get(int index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return lines_[static_cast<size_t>(index)].c_str();
}

}  // namespace ko::util
