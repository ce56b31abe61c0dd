#include "koui/res/srcfile.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "koui/family/strpar.h"
#include "koui/res/node.h"

namespace koui::res {

namespace {

constexpr char kRawOpen[] = "!<[[";
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

Node* addChild(Node* parent, const std::string& name, const SrcLine& src) {
    return parent->add(new Node(name, &src));
}

}  // namespace

bool SrcFile::Process(Node* root, std::span<const uint8_t> data) {
    if (!ExtractLines(data)) return false;
    return Process(root);
}

bool SrcFile::ExtractLines(std::span<const uint8_t> data) {
    lines_.clear();
    stopLine_ = -1;
    if (data.empty()) return false;

    const char* p = reinterpret_cast<const char*>(data.data());
    const char* const end = p + data.size();
    // One allocation for the list: a line needs at least one break byte.
    lines_.reserve(static_cast<size_t>(std::count(p, end, '\n') + std::count(p, end, '\r')));

    int32_t count = 0;
    const char* start = p;
    while (p < end) {
        const char c = *p;
        if (c != '\n' && c != '\r') {
            ++p;
            continue;
        }
        lines_.emplace_back(count++, std::string(start, p));
        ++p;
        // CR LF and LF CR are one break; CR CR and LF LF are two.
        if (p < end && (*p == '\n' || *p == '\r') && *p != c) ++p;
        start = p;
    }
    return true;
}

const char* SrcFile::clearSpaces(const char* p) {
    while (*p != 0 && SrcLine::isBlank(*p)) ++p;
    return p;
}

const char* SrcFile::processRawText(std::string& out, const char* p, LineIter& line, LineIter end,
                                    Node* /*node*/) {
    if (std::strncmp(p, kRawOpen, sizeof kRawOpen - 1) != 0) return p;
    out.clear();
    const char* from = p + (sizeof kRawOpen - 1);
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
        from = line->text.c_str();
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

    Node* current = root;
    bool afterColon = false;
    bool inFunction = false;
    std::string pendingKey;
    std::string functionName;
    std::string token;
    ko::util::StrPar parameters;

    const LineIter end = lines_.cend();
    for (LineIter line = lines_.cbegin(); line != end; ++line) {
        if (line->isEmpty() || line->isComment()) continue;
        const char* p = line->text.c_str();
        while (*p != 0) {
            p = clearSpaces(p);
            if (*p == 0) break;
            const int32_t statementLine = line->line;
            if (inFunction) {
                p = readPar(token, p, line, end, current);
                if (!p) {
                    stopLine_ = statementLine;
                    return current->error("STOP.   Error reading parameters for %s", functionName.c_str());
                }
                // A parameter that ends its line without ',' or ')' is dropped.
                if (*p != 0) parameters.add(token);
                if (*p == ')') {
                    addChild(current, pendingKey, *line)->setFunc(functionName, parameters);
                    inFunction = false;
                    afterColon = false;
                    ++p;
                }
            } else {
                p = readStr(token, p, line, end, current);
                if (!p) {
                    stopLine_ = statementLine;
                    return current->error("STOP.   Error reading string");
                }
                const char c = *p;
                if (c == '(') {
                    parameters.clear();
                    functionName = token;
                    inFunction = true;
                    ++p;
                    // "f(,x)": the first parameter is empty.
                    if (*p == ',') parameters.add(std::string());
                } else if (afterColon) {
                    addChild(current, pendingKey, *line)->setValue(token);
                    afterColon = false;
                } else if (c == '{') {
                    current = addChild(current, token, *line);
                    ++p;
                } else if (!token.empty() && c != ':') {
                    addChild(current, token, *line);
                }
            }
            switch (*p) {
                case '}':
                    if (current == root) {
                        stopLine_ = line->line;
                        return current->error("Too many closing brackets");
                    }
                    current = current->getParent();
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
    if (current != root) {
        stopLine_ = lines_.empty() ? -1 : lines_.back().line;
        return current->error("Closing bracket missing");
    }
    return true;
}

}  // namespace koui::res
