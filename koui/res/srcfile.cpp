#include "koui/res/srcfile.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "koui/family/strpar.h"
#include "koui/res/node.h"

namespace koui::res {

namespace {

constexpr size_t kRawOpenLength = 4;  // "!<[["
constexpr char kRawClose[] = "]]>";

// Bytes that end a bare token in key or value position: blanks and { } : ( ).
// The comma is not among them, so `a,b` is one token.
constexpr std::array<bool, 256> makeKeyDelimiters() {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) table[static_cast<size_t>(c)] = SrcLine::isBlank(static_cast<char>(c));
    for (unsigned char c : {'{', '}', ':', '(', ')'}) table[c] = true;
    return table;
}

// Bytes that end a bare function parameter: blanks, ',' and ')'. Parameters
// may hold { } : and (.
constexpr std::array<bool, 256> makeParDelimiters() {
    std::array<bool, 256> table{};
    for (int c = 0; c < 256; ++c) table[static_cast<size_t>(c)] = SrcLine::isBlank(static_cast<char>(c));
    for (unsigned char c : {',', ')'}) table[c] = true;
    return table;
}

constexpr std::array<bool, 256> kKeyDelimiter = makeKeyDelimiters();
constexpr std::array<bool, 256> kParDelimiter = makeParDelimiters();

// Advances to the first delimiter; the zero byte is blank, so every table
// stops there and the scan never leaves the line.
const char* skipToDelimiter(const char* p, const std::array<bool, 256>& table) {
    while (!table[static_cast<unsigned char>(*p)]) ++p;
    return p;
}

size_t countByte(const char* p, const char* end, char byte) {
    size_t count = 0;
    while ((p = static_cast<const char*>(std::memchr(p, byte, static_cast<size_t>(end - p))))) {
        ++count;
        ++p;
    }
    return count;
}

bool startsRawBlock(const char* p) {
    return p[0] == '!' && p[1] == '<' && p[2] == '[' && p[3] == '[';
}

// The blocks still open while parsing, innermost last. New nodes get their
// parent at once, but each block receives its list of children in one
// exact-size allocation when it closes, instead of growing its vector one
// push at a time; that saves the reallocations and leaves no spare capacity
// in the finished tree. Whatever ends parsing (also an error or an
// exception), the destructor hands every open block its children, so every
// node made is owned by the tree.
class OpenBlocks {
public:
    explicit OpenBlocks(Node* root) { levels_.push_back({root, 0}); }
    OpenBlocks(const OpenBlocks&) = delete;
    OpenBlocks& operator=(const OpenBlocks&) = delete;
    ~OpenBlocks() {
        for (;;) {
            handOver();
            if (levels_.size() == 1) break;
            levels_.pop_back();
        }
    }

    Node* current() const { return levels_.back().block; }
    bool atRoot() const { return levels_.size() == 1; }

    // A new child of the current block, at the end of its children.
    Node* add(const std::string& name, int32_t line) {
        // Room first, so that the push_back below cannot throw and leak the node.
        if (pending_.size() == pending_.capacity())
            pending_.reserve(std::max<size_t>(64, 2 * pending_.size()));
        Node* child = new Node(name);
        child->line = line;
        child->setParent(current());  // parent and instance, as Node::add sets them
        pending_.push_back(child);
        return child;
    }
    void open(Node* block) { levels_.push_back({block, pending_.size()}); }
    void close() {
        handOver();
        levels_.pop_back();
    }

private:
    struct Level {
        Node* block;
        size_t firstPending;  // where this block's children start in pending_
    };

    void handOver() {
        Level& level = levels_.back();
        const auto first = pending_.begin() + static_cast<std::ptrdiff_t>(level.firstPending);
        level.block->children.insert(level.block->children.end(), first, pending_.end());
        pending_.erase(first, pending_.end());
    }

    std::vector<Level> levels_;
    std::vector<Node*> pending_;
};

}  // namespace

bool SrcFile::Process(Node* root, std::span<const uint8_t> data) {
    if (!ExtractLines(data)) return false;
    return Process(root);
}

bool SrcFile::Process(Node* root, std::vector<uint8_t>&& data) {
    if (!ExtractLines(std::move(data))) return false;
    return Process(root);
}

bool SrcFile::ExtractLines(std::span<const uint8_t> data) {
    buffer_.assign(data.begin(), data.end());
    return splitBuffer();
}

bool SrcFile::ExtractLines(std::vector<uint8_t>&& data) {
    buffer_ = std::move(data);
    return splitBuffer();
}

bool SrcFile::splitBuffer() {
    lines_.clear();
    stopLine_ = -1;
    if (buffer_.empty()) return false;
    char* const begin = reinterpret_cast<char*>(buffer_.data());
    char* const end = begin + buffer_.size();
    // A zero byte in the text is a blank like the other control bytes; it
    // must not end its line early, or whatever follows it on the line would
    // be lost and an error would surface lines later.
    std::replace(begin, end, '\0', ' ');
    // One allocation for the list: every line ends with a LF or a CR.
    lines_.reserve(countByte(begin, end, '\n') + countByte(begin, end, '\r'));

    int32_t count = 0;
    char* p = begin;
    while (p < end) {
        // memchr is vectorised; a CR is looked for only before the next LF.
        char* lf = static_cast<char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        char* stop = lf ? lf : end;
        char* cr = static_cast<char*>(std::memchr(p, '\r', static_cast<size_t>(stop - p)));
        char* brk = cr ? cr : lf;
        if (!brk) break;  // bytes after the last break are not a line
        lines_.push_back({static_cast<size_t>(p - begin), static_cast<size_t>(brk - p), count++});
        const char c = *brk;
        *brk = 0;  // the line's terminator from now on
        p = brk + 1;
        // CR LF and LF CR are one break; CR CR and LF LF are two.
        if (p < end && (*p == '\n' || *p == '\r') && *p != c) *p++ = 0;
    }
    return true;
}

std::vector<SrcLine> SrcFile::lines() const {
    std::vector<SrcLine> out;
    out.reserve(lines_.size());
    for (const LineRef& ref : lines_)
        out.emplace_back(ref.line,
                         std::string(reinterpret_cast<const char*>(buffer_.data()) + ref.offset, ref.length));
    return out;
}

const char* SrcFile::clearSpaces(const char* p) {
    while (*p != 0 && SrcLine::isBlank(*p)) ++p;
    return p;
}

const char* SrcFile::processRawText(std::string& out, const char* p, LineIter& line, LineIter end,
                                    Node* /*node*/) {
    if (!startsRawBlock(p)) return p;
    out.clear();
    const char* from = p + kRawOpenLength;
    for (;;) {
        if (const char* close = std::strstr(from, kRawClose)) {
            out.append(from, close);
            return close + (sizeof kRawClose - 1);
        }
        // The block goes on: lines are joined with CR LF whatever the file
        // used, so the text reads the same on every platform.
        out.append(from);
        out.append("\r\n");
        if (++line == end) return nullptr;
        from = lineText(line);
    }
}

const char* SrcFile::readStr(std::string& out, const char* p, LineIter& line, LineIter end, Node* node) {
    p = clearSpaces(p);
    if (const char* after = processRawText(out, p, line, end, node); after != p) return after;
    if (*p == '"') {
        const char* close = std::strchr(p + 1, '"');
        if (!close) {
            // Unterminated: the rest of the line, quote included, is the token.
            out.assign(p);
            return p + out.size();
        }
        out.assign(p + 1, close);
        // Whatever sticks to the closing quote is dropped.
        return clearSpaces(skipToDelimiter(close + 1, kKeyDelimiter));
    }
    const char* start = p;
    p = skipToDelimiter(p, kKeyDelimiter);
    out.assign(start, p);
    return clearSpaces(p);
}

const char* SrcFile::readPar(std::string& out, const char* p, LineIter& line, LineIter end, Node* node) {
    p = clearSpaces(p);
    if (const char* after = processRawText(out, p, line, end, node); after != p)
        return after ? clearSpaces(after) : nullptr;
    if (*p == '"') {
        const char* close = std::strchr(p + 1, '"');
        if (!close) {
            out.assign(p + 1);
            return p + 1 + out.size();
        }
        out.assign(p + 1, close);
        p = close + 1;
        while (*p != 0 && *p != ',' && *p != ')') ++p;
        return p;
    }
    const char* start = p;
    p = skipToDelimiter(p, kParDelimiter);
    out.assign(start, p);
    return clearSpaces(p);
}

bool SrcFile::Process(Node* root) {
    stopLine_ = -1;
    if (!root) return false;

    OpenBlocks blocks(root);
    bool afterColon = false;
    bool inFunction = false;
    int32_t functionLine = -1;  // where the open parameter list began
    std::string pendingKey;
    std::string functionName;
    std::string token;
    ko::util::StrPar parameters;

    const LineIter end = lines_.cend();
    for (LineIter line = lines_.cbegin(); line != end; ++line) {
        // Empty and comment lines (SrcLine::isEmpty, isComment) in one scan.
        const char* p = clearSpaces(lineText(line));
        if (*p == 0 || *p == '#') continue;
        while (*p != 0) {
            p = clearSpaces(p);
            if (*p == 0) break;
            const int32_t statementLine = line->line;
            if (inFunction) {
                p = readPar(token, p, line, end, blocks.current());
                if (!p) {
                    stopLine_ = statementLine;
                    return blocks.current()->error("STOP.   Error reading parameters for %s",
                                                   functionName.c_str());
                }
                // A parameter that ends its line without ',' or ')' is dropped.
                if (*p != 0) parameters.add(token);
                if (*p == ')') {
                    // The list is cleared at the next '(' anyway, so the
                    // node takes it instead of a copy.
                    blocks.add(pendingKey, line->line)->setFunc(functionName, std::move(parameters));
                    inFunction = false;
                    afterColon = false;
                    ++p;
                }
            } else {
                p = readStr(token, p, line, end, blocks.current());
                if (!p) {
                    stopLine_ = statementLine;
                    return blocks.current()->error("STOP.   Error reading string");
                }
                const char c = *p;
                if (c == '(') {
                    parameters.clear();
                    functionName = token;
                    inFunction = true;
                    functionLine = statementLine;
                    ++p;
                    // "f(,x)": the first parameter is empty.
                    if (*p == ',') parameters.add(std::string());
                } else if (afterColon) {
                    blocks.add(pendingKey, line->line)->setValue(token);
                    afterColon = false;
                } else if (c == '{') {
                    blocks.open(blocks.add(token, line->line));
                    ++p;
                } else if (!token.empty() && c != ':') {
                    blocks.add(token, line->line);
                }
            }
            switch (*p) {
                case '}':
                    if (blocks.atRoot()) {
                        stopLine_ = line->line;
                        return blocks.current()->error("Too many closing brackets");
                    }
                    blocks.close();
                    inFunction = false;
                    afterColon = false;
                    ++p;
                    break;
                case ':':
                    pendingKey = token;
                    afterColon = true;
                    ++p;
                    break;
                case ',':
                    ++p;
                    break;
                case ')':
                    // Outside a parameter list a ')' is stray: step over it
                    // like a ',' so that parsing goes on. Inside one it closes
                    // the list on the next round.
                    if (!inFunction) ++p;
                    break;
                default:
                    break;
            }
        }
    }
    if (inFunction) {
        stopLine_ = functionLine;
        return blocks.current()->error("Closing bracket missing");
    }
    if (!blocks.atRoot()) {
        stopLine_ = lines_.empty() ? -1 : lines_.back().line;
        return blocks.current()->error("Closing bracket missing");
    }
    return true;
}

}  // namespace koui::res
