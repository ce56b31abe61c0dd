// UTF-8 text cut into characters, one rule for every reader: glyph layout
// gives each character one record, and an edit field moves its caret and
// erases over the same characters, so a caret can never land where no
// glyph begins.
//
// A character is a well-formed UTF-8 sequence, or an ill-formed one taken
// as a unit that stands for U+FFFD. An ill-formed unit is the longest start
// of a sequence that could still have become well-formed (a lead byte and
// the continuation bytes that fit it, e.g. the first two bytes of a cut-off
// three-byte sequence), or else a single byte (a stray continuation byte, or
// C0, C1, F5 to FF). So every byte below 0x80 and every lead byte begins a
// character, whatever comes before it, and a cut text never swallows the
// character after the cut. Over-long forms, surrogates and code points
// beyond U+10FFFF are ill-formed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "koui/export.h"

namespace ko::util {

inline constexpr uint32_t kReplacementChar = 0xFFFD;

struct Utf8Char {
    uint32_t code;    // the code point; kReplacementChar for an ill-formed unit
    uint32_t length;  // bytes it takes, 1 to 4
};

// The character that begins at `pos` (< text.size()); of one byte below
// 0x80 without a call, for the ASCII text that layout meets most.
KOUI_API Utf8Char decodeUtf8Sequence(std::string_view text, size_t pos);
inline Utf8Char decodeUtf8(std::string_view text, size_t pos) {
    const auto b = static_cast<uint8_t>(text[pos]);
    return b < 0x80 ? Utf8Char{b, 1} : decodeUtf8Sequence(text, pos);
}

// Where the character after the one at `pos` begins (text.size() at most).
inline size_t nextUtf8(std::string_view text, size_t pos) {
    if (pos >= text.size()) return text.size();
    return pos + decodeUtf8(text, pos).length;
}

// Where the character that ends at `pos` begins (0 at 0). `pos` is a
// character boundary; for one that is not, the character holding byte
// pos - 1 is meant.
KOUI_API size_t prevUtf8(std::string_view text, size_t pos);

// `pos` clamped to the text and moved back to the start of its character.
KOUI_API size_t floorUtf8(std::string_view text, size_t pos);

// Appends the UTF-8 form of `code`; a surrogate or a value beyond U+10FFFF
// appends that of U+FFFD.
KOUI_API void appendUtf8(std::string& out, uint32_t code);

// The number of characters of `text`.
KOUI_API size_t countUtf8(std::string_view text);

}  // namespace ko::util
