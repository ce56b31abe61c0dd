// SrcFile turns the bytes of one resource definition file into numbered lines
// and then, in one pass over those lines, into plain Node children of a root.
//
// The language: `name { ... }` blocks, `key: value` parameters, bare flags,
// function values `key: func(p1, p2, ...)`, quoted strings ("...", no
// escapes) and raw text blocks !<[[ ... ]]> that may span lines (their lines
// are joined with CR LF). A line whose first non-blank byte is '#' is a
// comment. State carries over line breaks, so blocks, values and parameter
// lists may continue on later lines. Typed nodes (colours, fonts, images) are
// recognised later by Node::Preprocess.
//
// Parse errors stop parsing and are recorded with Node::error on the node
// current at that moment (so they land in the root's error list with that
// node's line); the parser prints nothing itself. Messages, exactly:
//   "STOP.   Error reading string"              raw block without "]]>" (key/value)
//   "STOP.   Error reading parameters for %s"   the same inside a parameter list
//   "Too many closing brackets"                 '}' at the top level
//   "Closing bracket missing"                   a block or a parameter list
//                                               still open at the end
//
// Choices where the plain rules would misbehave:
// - A stray ')' outside a parameter list is stepped over like a separating
//   comma. Without that step the parser would read an empty token at the
//   same place forever.
// - Blanks at the end of a line never start a statement: after skipping
//   blanks, the end of the line ends that line's work. So `key:` followed by
//   trailing blanks still takes its value from the next line, as it does
//   without them.
// - A zero byte in the text is a blank, as the other control bytes are (the
//   lines are kept as C strings, so it would otherwise end its line early
//   and hide the rest of the line).
//
// - A parameter list still open at the end of the file is an error too
//   ("Closing bracket missing", parsing stopped at the line of its '('):
//   an unclosed '(' takes everything after it as parameters, blocks and
//   all, and a file that lost all its definitions that way must not pass
//   as a good one.
//
// The parser is iterative: nesting depth costs heap (the tree), never stack.
//
// Storage: the lines are kept in one buffer, the data (a copy, or the caller's
// vector handed over) with every
// break byte replaced by a zero byte, plus a list of LineRef (where each line
// starts, its length and its index). That is one allocation per file instead
// of one std::string per line, which dominated the cost of reading large
// files. lines() still gives the lines as SrcLine values for whoever wants
// them; the line iterator of processRawText walks the LineRef list.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "koui/export.h"
#include "koui/res/srcline.h"

namespace koui::res {

class Node;

class KOUI_API SrcFile {
public:
    struct LineRef {
        size_t offset = 0;  // first byte of the line in the buffer
        size_t length = 0;  // bytes of the line, without its break bytes
        int32_t line = 0;   // zero-based index of the line
    };
    using LineIter = std::vector<LineRef>::const_iterator;

    // Splits `data` into lines and parses them into children of `root`.
    // False when the data is empty (root untouched), `root` is null, or a
    // parse error stopped parsing (the nodes made until then stay).
    bool Process(Node* root, std::span<const uint8_t> data);
    bool Process(Node* root, std::string_view data) {
        return Process(root, std::span(reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    }
    // The same, keeping `data` as its line buffer instead of a copy of it.
    bool Process(Node* root, std::vector<uint8_t>&& data);

    // `p` advanced past blank bytes; stops at the terminating zero.
    static const char* clearSpaces(const char* p);

    // Reads a raw text block starting at `p` into `out`. Returns `p` itself
    // when no block starts there, the position after "]]>" when one was read
    // (moving `line` forward when the block spans lines), or null when the
    // lines ran out before "]]>". `node` is the node being filled; unused.
    const char* processRawText(std::string& out, const char* p, LineIter& line, LineIter end, Node* node);

    // The lines of the data last given to Process, as SrcLine copies.
    std::vector<SrcLine> lines() const;
    // The same lines in place: iterators for processRawText, and the text of
    // a line (zero-terminated where its break byte was).
    LineIter linesBegin() const { return lines_.cbegin(); }
    LineIter linesEnd() const { return lines_.cend(); }
    const char* lineText(LineIter line) const {
        return reinterpret_cast<const char*>(buffer_.data()) + line->offset;
    }
    // Zero-based index of the line where the last Process stopped on an
    // error, -1 when it did not. Tools use it to point a person at the spot
    // (errors recorded on the root carry the root's own line).
    int32_t stopLine() const { return stopLine_; }

private:
    // Line breaks: CR or LF; a CR LF or LF CR pair is one break, CR CR or
    // LF LF two. Bytes after the last break are not a line (the loader
    // appends a LF). False for empty data.
    bool ExtractLines(std::span<const uint8_t> data);
    bool ExtractLines(std::vector<uint8_t>&& data);
    // Cuts buffer_ into lines_, turning each break byte into a zero byte;
    // false when it is empty.
    bool splitBuffer();
    bool Process(Node* root);

    // One token in key or value position, and one function parameter.
    const char* readStr(std::string& out, const char* p, LineIter& line, LineIter end, Node* node);
    const char* readPar(std::string& out, const char* p, LineIter& line, LineIter end, Node* node);

    std::vector<uint8_t> buffer_;
    std::vector<LineRef> lines_;
    int32_t stopLine_ = -1;
};

}  // namespace koui::res
