// An INI text that can be edited one key at a time without disturbing the
// rest of it: every line other than the ones changed keeps its bytes,
// including its line ending, so comments, unknown lines, blank lines and
// even binary garbage survive a write.
//
// Recognised lines (after leading blanks): "[name]" starts a section (the
// name is trimmed); ";" or "#" starts a comment; "key=value" is a key when
// the key part is not empty. Everything else is kept and ignored. Names
// compare case-insensitively (ASCII); the first of duplicate sections or
// keys is the one found and changed.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "koui/export.h"

namespace koui::platform {

class KOUI_API IniFile {
public:
    explicit IniFile(std::string_view text = {});

    // The value with surrounding blanks and one pair of matching quotes
    // removed; nullopt when the section or key is missing.
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::vector<std::string> sections() const;
    // Key names of the section (empty when it is missing).
    std::vector<std::string> keys(std::string_view section) const;

    // Replaces the key's line (keeping the key's spelling), or adds the key
    // after the section's last key, or adds the section at the end.
    void set(std::string_view section, std::string_view key, std::string_view value);
    bool removeKey(std::string_view section, std::string_view key);
    // Removes the section's header and every line up to the next section.
    bool removeSection(std::string_view section);

    std::string text() const;

private:
    struct Line {
        std::string body;  // without the line ending
        std::string eol;   // "\n", "\r\n" or "" for a last line without one
    };
    struct Range {
        std::size_t header, end;  // header line; one past the section's last line
    };

    std::optional<Range> findSection(std::string_view section) const;
    std::optional<std::size_t> findKey(const Range& r, std::string_view key) const;
    void insertLine(std::size_t at, std::string body);

    std::vector<Line> lines_;
    std::string eol_ = "\n";  // ending for new lines: the file's first one
};

// Reads a whole file; nullopt (with errno's meaning in `error`) when it
// cannot be read.
KOUI_API std::optional<std::string> readWholeFile(const std::filesystem::path& path, int& error);
// Replaces the file's content atomically: writes a temporary file in the
// same folder with the file's permissions, flushes it and renames it over
// the file (the file a symbolic link names, for a link). Refuses a file the
// caller may not write and a file without any write permission bit (for
// root too, like a read-only file on Win32). Returns 0 or an errno value.
KOUI_API int writeFileAtomically(const std::filesystem::path& path, std::string_view content);

}  // namespace koui::platform
