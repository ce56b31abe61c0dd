// CmcLineParSet: one line split into parameters at a separator character.
//
// Spaces and tabs around each parameter are trimmed (definition files are
// written with or without blanks after the commas), unless Feed is given
// kLpsKeepSpaces. GetSrcText gives the untrimmed rest of the line from a
// parameter on, for definitions whose tail is free text (a glyph sequence
// may itself hold commas and blanks).
//
// The line also carries a current parameter index (GetPos/SetPos) for
// readers that consume a line from some parameter on; Get and the typed
// getters always take absolute indexes.
#pragma once

#include <string>
#include <vector>

#include "koui/export.h"

namespace ko::util {

// Decimal integer as atoi reads it (leading blanks, sign, digits), but a value
// outside the int range is limited to it instead of being undefined.
KOUI_API int stAtoiSat(const char* text);

class KOUI_API CmcLineParSet {
public:
    static constexpr int kLpsKeepSpaces = 1;

    explicit CmcLineParSet(char separator = ',') : separator_(separator) {}

    // Splits `line` (its first `length` bytes, or up to its terminator when
    // length < 0). An empty line has no parameters; otherwise there is one
    // more parameter than separators. Resets the current index to 0 and
    // returns the parameter count.
    int Feed(const char* line, int length = -1, int flags = 0);

    int GetCount() const { return static_cast<int>(params_.size()); }
    // Parameter `index`, or "" outside the range.
    const char* Get(int index) const;
    // Parameter `index` read as an integer (stAtoiSat) or a double (atof);
    // `def` when the parameter is missing or empty.
    int GetIntPar(int index, int def) const;
    double GetDoublePar(int index, double def) const;
    // The raw line from the first byte of parameter `index` on ("" outside
    // the range); the pointer lives until the next Feed.
    const char* GetSrcText(int index) const;
    // The same copied into buffer[0..size), always terminated; returns the
    // number of bytes copied.
    int GetSrcText(int index, char* buffer, int size) const;
    // The whole line as fed.
    const char* GetLine() const { return line_.c_str(); }

    int GetPos() const { return pos_; }
    void SetPos(int pos) { pos_ = pos < 0 ? 0 : pos; }

private:
    struct Param {
        std::string text;
        size_t rawStart;  // offset of the parameter's first byte in line_
    };

    char separator_;
    std::string line_;
    std::vector<Param> params_;
    int pos_ = 0;
};

}  // namespace ko::util
