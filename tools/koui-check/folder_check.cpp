#include "folder_check.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <typeinfo>
#include <vector>

#include "koui/family/appmsg.h"
#include "koui/family/gl_font.h"
#include "koui/res/color.h"
#include "koui/res/font.h"
#include "koui/res/imgsection.h"
#include "koui/res/imgsrc.h"
#include "koui/res/instance.h"

using namespace ko::log;

namespace koui::check {

namespace {

using res::Node;

// What a style key expects, by its name (the style keys of the elements:
// "color", "bkcolor", "border-color", "h0-color", and the tooltip's
// "tip-color-back", "tip-color-font", "tip-color-border", whose names end in
// what they colour; "font-type", "tip-font"; "image", "image-make", "icon").
enum class Expect { kNothing, kColor, kFont, kImage };

Expect expectedBy(std::string_view key) {
    if (key.ends_with("color") || key.find("-color-") != std::string_view::npos) return Expect::kColor;
    if (key == "font-type" || key.ends_with("-font")) return Expect::kFont;
    if (key == "image" || key == "image-make" || key == "icon" || key.ends_with("-image"))
        return Expect::kImage;
    return Expect::kNothing;
}

bool isExpected(const Node* node, Expect expect) {
    if (!node) return false;
    const std::type_info& type = typeid(*node);
    switch (expect) {
        case Expect::kColor:
            return type == typeid(res::Color);
        case Expect::kFont:
            return type == typeid(res::Font);
        case Expect::kImage:
            return type == typeid(res::ImgSrc) || type == typeid(res::ImgSection);
        case Expect::kNothing:
            break;
    }
    return false;
}

// Follows the parameter's value as a path from the root as the element
// style does: colours take one more step through the instance's typed
// lookup, fonts and images none.
bool resolves(const Node* root, const Node* parameter, Expect expect) {
    const Node* found = root->findNode(parameter->valueText);
    if (isExpected(found, expect)) return true;
    return expect == Expect::kColor && found && isExpected(root->findNode(found->valueText), expect);
}

const char* expectedName(Expect expect) {
    switch (expect) {
        case Expect::kColor:
            return "colour";
        case Expect::kFont:
            return "font";
        case Expect::kImage:
            return "image";
        case Expect::kNothing:
            break;
    }
    return "";
}

std::vector<Node*> preorder(Node* root) {
    std::vector<Node*> out;
    std::vector<Node*> stack(root->children.rbegin(), root->children.rend());
    while (!stack.empty()) {
        Node* node = stack.back();
        stack.pop_back();
        out.push_back(node);
        stack.insert(stack.end(), node->children.rbegin(), node->children.rend());
    }
    return out;
}

int lineOf(int32_t line) {
    return line < 0 ? 0 : line + 1;
}

// Image and font files of the processed typed nodes; findings are recorded
// on the nodes like load errors.
void checkFiles(res::Instance& inst, const std::vector<Node*>& nodes) {
    for (Node* node : nodes) {
        if (auto* src = dynamic_cast<res::ImgSrc*>(node); src && !src->path.empty()) {
            std::vector<uint8_t> pixels;
            src->LoadPixels(pixels);
        } else if (auto* font = dynamic_cast<res::Font*>(node);
                   font && !font->path.empty() && font->size > 0) {
            std::vector<uint8_t> bytes;
            if (inst.loadResource(nullptr, bytes, font->path, false) == 0)
                font->error("font file (%s) not found", font->path.c_str());
            else if (!ko::gl::Font::fromBytes(std::move(bytes), font->size, font->path))
                font->error("font file (%s) is no font", font->path.c_str());
        }
    }
}

int warnStylePaths(const Node* root, const std::vector<Node*>& nodes) {
    int warnings = 0;
    for (const Node* node : nodes) {
        if (typeid(*node) != typeid(Node) || !node->children.empty()) continue;
        const Expect expect = expectedBy(node->name);
        if (expect == Expect::kNothing || node->valueText.find('.') == std::string::npos) continue;
        if (resolves(root, node, expect)) continue;
        appmsg("[WARNING] %2d : Line %4d = \"%s: \"%s\" names no %s\"", warnings, lineOf(node->line),
               node->getPath().c_str(), node->valueText.c_str(), expectedName(expect));
        ++warnings;
    }
    return warnings;
}

// The parser reads bytes from 0x80 up as blanks (it does not decode UTF-8):
// outside quotes and raw blocks they end a bare word and are dropped, so
// "text: Zoë and more" keeps "Zo" and makes flags of the rest. One warning
// per line that has such a byte, naming the word it cuts. Comment lines,
// quoted strings (an unclosed quote runs to the line's end) and raw blocks
// "!<[[ ... ]]>" (over several lines too) are skipped as the parser skips them.
int warnUnquotedNonAscii(const std::vector<uint8_t>& bytes, int warnings) {
    const std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    const auto blank = [](char c) { return static_cast<signed char>(c) <= 32; };
    const auto endsWord = [&](char c) { return (blank(c) && !(c & 0x80)) || std::strchr("{}:()", c); };
    bool inRaw = false;
    int found = 0, lineNo = 0;
    for (size_t start = 0; start < text.size(); ++lineNo) {
        size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(start, end - start);
        start = end + (end + 1 < text.size() && text[end] != text[end + 1] &&
                               (text[end + 1] == '\r' || text[end + 1] == '\n')
                           ? 2
                           : 1);
        size_t i = 0;
        if (inRaw) {
            const size_t close = line.find("]]>");
            if (close == std::string_view::npos) continue;
            inRaw = false;
            i = close + 3;
        } else {
            const size_t first = std::find_if_not(line.begin(), line.end(), blank) - line.begin();
            if (first < line.size() && line[first] == '#') continue;
        }
        for (; i < line.size(); ++i) {
            if (line[i] == '"') {
                const size_t close = line.find('"', i + 1);
                if (close == std::string_view::npos) break;
                i = close;
            } else if (line.substr(i, 4) == "!<[[") {
                const size_t close = line.find("]]>", i + 4);
                if (close == std::string_view::npos) {
                    inRaw = true;
                    break;
                }
                i = close + 2;
            } else if (line[i] & 0x80) {
                size_t from = i, to = i;
                while (from > 0 && !endsWord(line[from - 1])) --from;
                while (to < line.size() && !endsWord(line[to])) ++to;
                const std::string word(line.substr(from, to - from));
                appmsg(
                    "[WARNING] %2d : Line %4d = \"unquoted text \"%s\" is cut at its non-ASCII bytes: quote "
                    "it\"",
                    warnings + found, lineNo + 1, word.c_str());
                ++found;
                break;
            }
        }
    }
    return found;
}

}  // namespace

bool readRegularFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>& out, std::string& why) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        why = std::strerror(errno);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0;
    if (!ok) {
        why = std::strerror(errno);
    } else if (!S_ISREG(st.st_mode)) {
        why = "not a regular file";
        ok = false;
    }
    // The size is checked again while reading: the file may grow meanwhile.
    uint64_t size = ok ? static_cast<uint64_t>(st.st_size) : 0;
    char block[65536];
    while (ok && size <= maxSize) {
        const ssize_t n = ::read(fd, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            why = std::strerror(errno);
            ok = false;
        }
        if (n <= 0) break;
        out.insert(out.end(), block, block + n);
        size = std::max<uint64_t>(size, out.size());
    }
    if (ok && size > maxSize) {
        why = std::to_string(size) + " bytes, more than the limit of " + std::to_string(maxSize) +
              " bytes (--max-size)";
        ok = false;
    }
    ::close(fd);
    if (!ok) out.clear();
    return ok;
}

FolderReport checkFolder(const std::string& folder, const std::string& rootName, bool tree,
                         uint64_t maxSize) {
    FolderReport report;
    res::Instance inst(folder, "");
    std::error_code ec;
    const std::filesystem::path rootFile = inst.getRootPath() + rootName;
    if (!std::filesystem::is_regular_file(rootFile, ec)) {
        appmsg("[ERROR] root file \"%s\" not found in %s", rootName.c_str(), folder.c_str());
        report.errors = 1;
        return report;
    }
    std::vector<uint8_t> bytes;
    std::string why;
    if (!readRegularFile(rootFile, maxSize, bytes, why)) {
        appmsg("[ERROR] root file \"%s\" in %s cannot be read: %s", rootName.c_str(), folder.c_str(),
               why.c_str());
        report.errors = 1;
        return report;
    }
    report.rootFound = true;
    inst.LoadDefinitions(rootName, false);
    Node* root = inst.getRoot();
    const std::vector<Node*> nodes = preorder(root);
    checkFiles(inst, nodes);
    if (tree) root->logtree(0);
    for (size_t i = 0; i < root->errors.size(); ++i) {
        const res::SrcLine& entry = root->errors[i];
        appmsg("[ERROR] %2d : Line %4d = \"%s\"", static_cast<int>(i), lineOf(entry.line),
               entry.text.c_str());
    }
    report.errors = static_cast<int>(root->errors.size());
    report.warnings = warnStylePaths(root, nodes);
    report.warnings += warnUnquotedNonAscii(bytes, report.warnings);
    if (inst.loadResource(nullptr, bytes, res::Instance::kDefaultFontPath, false) == 0) {
        appmsg("[WARNING] default font \"%s\" not found: text without a font of its own is not drawn",
               res::Instance::kDefaultFontPath);
        ++report.warnings;
    }
    appmsg("koui-check: %s: %zu nodes, %d errors, %d warnings", rootFile.c_str(), nodes.size(), report.errors,
           report.warnings);
    return report;
}

}  // namespace koui::check
