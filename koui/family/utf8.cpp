#include "koui/family/utf8.h"

namespace ko::util {

namespace {

bool isContinuation(uint8_t b) {
    return (b & 0xC0) == 0x80;
}

// The bytes a lead byte asks for after it, and the range its first
// continuation byte must lie in (which rules out over-long forms, surrogates
// and code points beyond U+10FFFF); 0 for a byte that begins no sequence.
struct Lead {
    uint32_t trail;
    uint8_t low;
    uint8_t high;
};

Lead leadOf(uint8_t b) {
    if (b >= 0xC2 && b <= 0xDF) return {1, 0x80, 0xBF};
    if (b == 0xE0) return {2, 0xA0, 0xBF};
    if (b == 0xED) return {2, 0x80, 0x9F};
    if (b >= 0xE1 && b <= 0xEF) return {2, 0x80, 0xBF};
    if (b == 0xF0) return {3, 0x90, 0xBF};
    if (b == 0xF4) return {3, 0x80, 0x8F};
    if (b >= 0xF1 && b <= 0xF3) return {3, 0x80, 0xBF};
    return {0, 0, 0};
}

}  // namespace

Utf8Char decodeUtf8Sequence(std::string_view text, size_t pos) {
    const auto b = static_cast<uint8_t>(text[pos]);
    if (b < 0x80) return {b, 1};
    const Lead lead = leadOf(b);
    if (!lead.trail) return {kReplacementChar, 1};
    uint32_t code = b & (0x3F >> lead.trail);
    uint32_t length = 1;
    for (; length <= lead.trail; ++length) {
        if (pos + length >= text.size()) return {kReplacementChar, length};
        const auto c = static_cast<uint8_t>(text[pos + length]);
        const bool fits = length == 1 ? c >= lead.low && c <= lead.high : isContinuation(c);
        if (!fits) return {kReplacementChar, length};
        code = (code << 6) | (c & 0x3F);
    }
    return {code, length};
}

size_t prevUtf8(std::string_view text, size_t pos) {
    if (pos == 0) return 0;
    if (pos > text.size()) pos = text.size();
    // A character is at most four bytes, and begins at a byte that is no
    // continuation byte unless it is a stray continuation byte on its own.
    // So walking forward from the last such byte, or from the fourth byte
    // back when all four are continuation bytes, meets the start.
    size_t start = pos - 1;
    while (start > 0 && pos - start < 4 && isContinuation(static_cast<uint8_t>(text[start]))) --start;
    for (size_t next = nextUtf8(text, start); next < pos; next = nextUtf8(text, start)) start = next;
    return start;
}

size_t floorUtf8(std::string_view text, size_t pos) {
    return pos >= text.size() ? text.size() : prevUtf8(text, pos + 1);
}

void appendUtf8(std::string& out, uint32_t code) {
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) code = kReplacementChar;
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
        return;
    }
    const int trail = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
    static const uint8_t kLeadBits[4] = {0, 0xC0, 0xE0, 0xF0};
    out.push_back(static_cast<char>(kLeadBits[trail] | (code >> (6 * trail))));
    for (int k = trail - 1; k >= 0; --k) out.push_back(static_cast<char>(0x80 | ((code >> (6 * k)) & 0x3F)));
}

size_t countUtf8(std::string_view text) {
    size_t n = 0;
    for (size_t i = 0; i < text.size(); i = nextUtf8(text, i)) ++n;
    return n;
}

}  // namespace ko::util
