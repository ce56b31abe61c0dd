// CstqLineFile: splits a text buffer into lines.
//
// A line ends at "\n", "\r\n" or a lone "\r"; the terminator is not part of
// the line. A last line without terminator counts; a final terminator does
// not start an extra empty line. The buffer is read only up to `size`, so it
// need not be zero-terminated; a zero byte inside a line ends that line's
// text as returned by Get (the rest of that line is dropped).
#pragma once

#include <string>
#include <vector>

#include "koui/export.h"

namespace ko::util {

class KOUI_API CstqLineFile {
public:
    // Replaces the lines by those of text[0..size). 0 on success, -1 for a
    // null text or a negative size.
    int OpenFromBuffer(const char* text, long long size);
    int GetCount() const { return static_cast<int>(lines_.size()); }
    // Line `index` (from 0), or null outside the range.
    const char* Get(int index) const;
    void Close() { lines_.clear(); }

private:
    std::vector<std::string> lines_;
};

}  // namespace ko::util
