// One line of a resource definition file.
#pragma once

#include <cstdint>
#include <string>

#include "koui/export.h"

namespace koui::res {

class KOUI_API SrcLine {
public:
    SrcLine() = default;
    SrcLine(int32_t lineIndex, std::string lineText) : line(lineIndex), text(std::move(lineText)) {}

    // A byte is blank when, read as a signed char, it is 32 or less: control
    // bytes, the space and every byte from 0x80 up. The parser does not decode
    // any encoding, so non-ASCII bytes only survive inside quotes and raw blocks.
    static constexpr bool isBlank(char c) { return static_cast<signed char>(c) <= 32; }

    // Only blank bytes, or nothing. Like every parser rule, reads `text` as a
    // C string: a zero byte ends the line for the parser.
    bool isEmpty() const;
    // The first non-blank byte is '#'.
    bool isComment() const;

    int32_t line = 0;  // zero-based index of the line within its file
    std::string text;  // the bytes of the line without its break bytes
};

}  // namespace koui::res
