// The folder mode of koui-check: loads a resource folder the way the
// resource instance does, without a GL context, and reports what would go
// wrong at run time.
//
// Errors (the theme would not load, or would load without something it
// names): parse and process errors with their lines, image files that are
// missing or do not decode, font files that are missing or are no font.
// Warnings (the theme loads, but an element would fall back to a default):
// a style parameter whose value looks like a path (contains a ".") but
// names no colour, font or image where its key expects one, a line with
// non-ASCII bytes outside quotes and raw blocks (the parser cuts the text
// there), and a missing default font file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "koui/res/instance.h"

namespace koui::check {

// The default of --max-size: the resource loader's own limit, so that a file
// the check passes is one the loader reads. Larger files are refused unread.
constexpr uint64_t kDefaultMaxSize = res::Instance::kMaxDefinitionBytes;

// Reads the regular file `path` of at most `maxSize` bytes into `out`. Opens
// without blocking and checks the kind of file before reading, so that a
// FIFO or a device (/dev/zero) is refused instead of blocking or filling the
// memory. False with the reason in `why`.
bool readRegularFile(const std::string& path, uint64_t maxSize, std::vector<uint8_t>& out, std::string& why);

struct FolderReport {
    int errors = 0;
    int warnings = 0;
    bool rootFound = false;
};

// Checks `folder` with the main definition file `rootName`, which must be a
// readable regular file of at most `maxSize` bytes (rootFound is false
// otherwise); prints one line per finding through appmsg, then a summary
// line. `tree` also prints the tree.
FolderReport checkFolder(const std::string& folder, const std::string& rootName, bool tree,
                         uint64_t maxSize = kDefaultMaxSize);

}  // namespace koui::check
