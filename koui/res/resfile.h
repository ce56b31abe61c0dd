// koui::res::ResFile: the resource archive, one file that packs every file of
// a resource folder so that an application can ship its look as one file.
//
// Layout (all integers little-endian): a 288-byte header ("RESF", version
// 256, entry count, table offset, compression method name), the entries'
// bytes one after another without padding, and at the table offset one
// 280-byte record per entry (name, position, compressed and uncompressed
// size). Entries are stored uncompressed; an archive that names any
// compression method is readable only as far as its table.
//
// Archives are untrusted input: OpenFromFile refuses a table or an entry that
// lies outside the file, an entry that shares bytes with the header, the
// table or another entry, and a name that is not terminated inside its 256
// bytes, and ReadEntry checks the entry against the file as it is at the time
// of reading, so that a damaged or hostile file never causes an over-read or
// an allocation larger than the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include "koui/export.h"

namespace koui::res {

class KOUI_API ResFile {
public:
    static constexpr size_t kHeaderSize = 288;
    static constexpr size_t kEntrySize = 280;
    static constexpr size_t kNameSize = 256;
    static constexpr uint32_t kVersion = 256;
    static constexpr uint32_t kMaxEntries = 0x100000;
    // ReadEntry holds a whole entry in memory: larger ones are refused.
    static constexpr uint64_t kMaxReadBytes = uint64_t{256} << 20;
    static constexpr size_t kFeedBlock = size_t{1} << 20;

    // One record of the entry table. In memory the fields are native integers;
    // the file always holds them little-endian.
    struct e_entry {
        char name[kNameSize];  // NUL-terminated, zero-padded, at most 255 bytes
        uint64_t position;     // of the data, from the start of the file
        uint64_t compSize;
        uint64_t unCompSize;  // equal to compSize for stored entries
    };
    static_assert(sizeof(e_entry) == kEntrySize);

    struct e_header {
        char magic[4];  // "RESF"
        uint32_t version;
        uint32_t count;
        uint32_t reserved0;
        uint64_t tableOffset;
        uint64_t reserved1;
        char method[kNameSize];  // compression method; empty for stored entries
    };
    static_assert(sizeof(e_header) == kHeaderSize);

    ResFile();
    ~ResFile();
    ResFile(ResFile&& other) noexcept;
    ResFile& operator=(ResFile&& other) noexcept;
    ResFile(const ResFile&) = delete;
    ResFile& operator=(const ResFile&) = delete;

    // Reads header and table. False for a missing, unreadable, short or
    // foreign file, for a table or entry outside the file and for an entry
    // that shares bytes with the header, the table or another entry; true with an
    // empty table when the count is 0 or above kMaxEntries. The file is
    // closed again afterwards; each ReadEntry opens it anew.
    bool OpenFromFile(const std::filesystem::path& path);
    // True when the entry table is not empty.
    bool isOK() const { return !entries_.empty(); }

    // The first entry whose name equals `name` exactly (case-sensitive).
    e_entry* FindEntry(const std::string& name);
    // Reads the entry's bytes into `out` and returns their count; 0 (with a
    // message) for a missing, empty, compressed or damaged entry, and for one
    // larger than kMaxReadBytes.
    uint64_t ReadEntry(std::vector<uint8_t>& out, const std::string& name);

    // Writing: BeginCreate, one Feed per file, Finish. Names are at most 255
    // bytes without NUL bytes; Feed refuses others.
    bool BeginCreate(const std::filesystem::path& path);
    bool Feed(const std::vector<uint8_t>& data, const std::string& name);
    // The same for all bytes of `data` up to its end, copied in blocks of
    // kFeedBlock bytes, so that a file of any size packs in little memory.
    bool Feed(std::istream& data, const std::string& name);
    bool Finish();

    const std::filesystem::path& path() const { return path_; }
    const std::vector<e_entry>& entries() const { return entries_; }
    const e_header& header() const { return header_; }

    // Byte-exact conversions between the records and their file form.
    static void encodeHeader(const e_header& header, uint8_t* bytes);
    static e_header decodeHeader(const uint8_t* bytes);
    static void encodeEntry(const e_entry& entry, uint8_t* bytes);
    static e_entry decodeEntry(const uint8_t* bytes);

private:
    bool readTable(std::ifstream& in, uint64_t fileSize);
    bool checkEntries(uint64_t fileSize);
    bool checkOverlaps();
    bool canFeed(const std::string& name);
    e_entry newEntry(const std::string& name);
    void resetHeader();

    std::filesystem::path path_;
    std::vector<e_entry> entries_;
    e_header header_{};
    std::unique_ptr<std::ofstream> out_;
};

}  // namespace koui::res
