// Linked GLSL programs kept on disk between runs, so that a start-up loads
// the driver's binary of each program instead of compiling and linking its
// text again (on a software renderer the first program of a process costs
// tens of milliseconds to build).
//
// One file per program, named by a hash of its two texts, under
// $KOUI_PROGRAM_CACHE, else $XDG_CACHE_HOME/ko-ui/programs, else
// ~/.cache/ko-ui/programs. KOUI_PROGRAM_CACHE=0 turns the cache off. A file
// remembers the driver that made it (GL_VENDOR, GL_RENDERER, GL_VERSION) and
// a checksum of its binary; one from another driver, a truncated or damaged
// one, or one the driver refuses is logged once through appmsg and the
// program is compiled from its text and written again. Files are written
// under a temporary name and renamed, so a reader never sees half a file;
// a folder that cannot be written is logged once and the programs are
// compiled every run, as without the cache.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ko::glsl::program_cache {

// Where the program with these texts lives in the cache, for the current
// context; none when the cache is off or the context cannot hand out
// program binaries.
struct Entry {
    std::string path;
    uint64_t driver = 0;  // hash of the driver's strings
    uint64_t texts = 0;   // a hash of the program's texts other than the name's
};
std::optional<Entry> entryFor(const char* vertexText, const char* fragmentText);

// A linked program made from the entry's binary, or 0 (nothing there, or a
// file that is refused: see above).
unsigned load(const Entry& entry);

// Writes the binary of `program` (linked, with the retrievable hint set
// before linking) to the entry's file.
void store(const Entry& entry, unsigned program);

}  // namespace ko::glsl::program_cache
