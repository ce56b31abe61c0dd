// koui-check: parses a resource definition file the way the resource loader
// does (one byte 10 appended, parse, preprocess, process) and prints every
// recorded error, optionally the tree. Given a folder, checks the whole
// resource folder as the resource instance loads it (folder_check.h).
//
// Exit status: 0 no errors, 1 errors, 2 the file or folder cannot be read
// (or bad arguments).
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "folder_check.h"
#include "koui/family/appmsg.h"
#include "koui/res/node.h"
#include "koui/res/srcfile.h"

using namespace ko::log;

namespace {

constexpr const char* kUsage =
    "usage: koui-check FILE [--tree] [--max-size BYTES]\n"
    "       koui-check FOLDER [--root NAME] [--tree] [--max-size BYTES]\n"
    "\n"
    "Parses the resource definition FILE as the resource loader does (a line\n"
    "break appended, parse, preprocess, process) and prints each recorded error as\n"
    "  [ERROR] <index> : Line <line> = \"<message>\"\n"
    "\n"
    "Line numbers are 1-based, as editors show them (the library stores them\n"
    "0-based). Line 0 marks an entry without a source line of its own, such as\n"
    "an error recorded on the root; the line where parsing stopped is printed\n"
    "after the list.\n"
    "\n"
    "Given a FOLDER, loads it as the resource instance does, from its root file\n"
    "(res.kor, or NAME with --root), and also reports image files that are\n"
    "missing or do not decode and font files that are missing or no font, as\n"
    "errors; and, as warnings ([WARNING] lines, which do not fail the check),\n"
    "style parameters whose value looks like a path (contains a \".\") but names\n"
    "no colour, font or image where the key expects one, unquoted text with\n"
    "non-ASCII bytes (the parser cuts the text at them), and a missing default\n"
    "font \"Fonts/verdana.ttf\".\n"
    "\n"
    "  --tree       also print the parsed tree, one node per line\n"
    "  --root NAME  root definition file of a FOLDER (default res.kor)\n"
    "  --max-size BYTES\n"
    "               refuse a FILE or root file larger than BYTES (default\n"
    "               4194304, 4 MiB, the resource loader's own limit, which\n"
    "               a FOLDER's root file meets in any case); a FILE that is\n"
    "               not a regular file (a FIFO, a device) is refused as well\n"
    "  --help   this text\n"
    "\n"
    "Exit status: 0 no errors, 1 errors found, 2 FILE, FOLDER or its root file\n"
    "cannot be read (or is refused), or bad arguments.\n";

void stdoutSink(const char* line, void* /*user*/) {
    std::printf("%s\n", line);
}

// A whole decimal number of bytes, nothing else.
bool parseSize(const char* text, uint64_t& size) {
    if (*text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0') return false;
    size = value;
    return true;
}

size_t countNodes(const koui::res::Node& root) {
    std::vector<const koui::res::Node*> stack{&root};
    size_t count = 0;
    while (!stack.empty()) {
        const koui::res::Node* node = stack.back();
        stack.pop_back();
        ++count;
        stack.insert(stack.end(), node->children.begin(), node->children.end());
    }
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const char* path = nullptr;
    const char* rootName = "res.kor";
    bool tree = false;
    uint64_t maxSize = koui::check::kDefaultMaxSize;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--tree") {
            tree = true;
        } else if (arg == "--root" && i + 1 < argc) {
            rootName = argv[++i];
        } else if (arg == "--max-size" && i + 1 < argc) {
            if (!parseSize(argv[++i], maxSize)) {
                std::fprintf(stderr, "koui-check: --max-size needs a number of bytes, not '%s'\n", argv[i]);
                return 2;
            }
        } else if (!path && !arg.starts_with("--")) {
            path = argv[i];
        } else {
            std::fprintf(stderr, "koui-check: unexpected argument '%s'\n%s", argv[i], kUsage);
            return 2;
        }
    }
    if (!path) {
        std::fputs(kUsage, stderr);
        return 2;
    }

    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        appSetMsgSink(stdoutSink, nullptr);
        const koui::check::FolderReport report = koui::check::checkFolder(path, rootName, tree, maxSize);
        appSetMsgSink(nullptr, nullptr);
        if (!report.rootFound) return 2;
        return report.errors ? 1 : 0;
    }

    std::vector<uint8_t> data;
    std::string why;
    if (!koui::check::readRegularFile(path, maxSize, data, why)) {
        std::fprintf(stderr, "koui-check: cannot read '%s': %s\n", path, why.c_str());
        return 2;
    }
    data.push_back(10);  // as the loader does, so that the last line counts

    koui::res::Node root("root");
    koui::res::SrcFile src;
    if (src.Process(&root, data)) {
        root.Preprocess(0);
        if (root.OnProcess())
            for (koui::res::Node* child : root.children) child->Process();
    } else {
        root.error("instance: Cannot process source file");
    }

    appSetMsgSink(stdoutSink, nullptr);
    if (tree) root.logtree(0);
    for (size_t i = 0; i < root.errors.size(); ++i) {
        const koui::res::SrcLine& entry = root.errors[i];
        appmsg("[ERROR] %2d : Line %4d = \"%s\"", static_cast<int>(i), entry.line < 0 ? 0 : entry.line + 1,
               entry.text.c_str());
    }
    if (src.stopLine() >= 0) appmsg("koui-check: parsing stopped at line %d", src.stopLine() + 1);
    appmsg("koui-check: %s: %zu nodes, %zu errors", path, countNodes(root) - 1, root.errors.size());
    appSetMsgSink(nullptr, nullptr);
    return root.errors.empty() ? 0 : 1;
}
