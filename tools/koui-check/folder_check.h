// The folder mode of koui-check: loads a resource folder the way the
// resource instance does, without a GL context, and reports what would go
// wrong at run time.
//
// Errors (the theme would not load, or would load without something it
// names): parse and process errors with their lines, image files that are
// missing or do not decode, font files that are missing or are no font.
// Warnings (the theme loads, but an element would fall back to a default):
// a style parameter whose value looks like a path (contains a ".") but
// names no colour, font or image where its key expects one, and a missing
// default font file.
#pragma once

#include <string>

namespace koui::check {

struct FolderReport {
    int errors = 0;
    int warnings = 0;
    bool rootFound = false;
};

// Checks `folder` with the main definition file `rootName`; prints one line
// per finding through appmsg, then a summary line. `tree` also prints the
// tree.
FolderReport checkFolder(const std::string& folder, const std::string& rootName, bool tree);

}  // namespace koui::check
