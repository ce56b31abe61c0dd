#include "koui/res/resfile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <utility>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace koui::res {

namespace fs = std::filesystem;

namespace {

constexpr char kMagic[4] = {'R', 'E', 'S', 'F'};

// The archive is little-endian on every host, so fields are assembled byte by
// byte instead of copying the structures.
template <typename T>
void putLE(uint8_t* bytes, T value) {
    for (size_t i = 0; i < sizeof(T); ++i) bytes[i] = static_cast<uint8_t>(value >> (8 * i));
}

template <typename T>
T getLE(const uint8_t* bytes) {
    T value = 0;
    for (size_t i = 0; i < sizeof(T); ++i) value |= static_cast<T>(static_cast<T>(bytes[i]) << (8 * i));
    return value;
}

const char* cstr(const fs::path& path) {
    return path.c_str();
}

// `position + size <= limit` without overflow.
bool fitsIn(uint64_t position, uint64_t size, uint64_t limit) {
    return position <= limit && size <= limit - position;
}

uint64_t streamSize(std::ifstream& in) {
    in.seekg(0, std::ios::end);
    const std::streamoff end = in.tellg();
    in.seekg(0, std::ios::beg);
    return end < 0 ? 0 : static_cast<uint64_t>(end);
}

}  // namespace

// --- record conversions ---------------------------------------------------

void ResFile::encodeHeader(const e_header& header, uint8_t* bytes) {
    std::memcpy(bytes, header.magic, 4);
    putLE(bytes + 4, header.version);
    putLE(bytes + 8, header.count);
    putLE(bytes + 12, header.reserved0);
    putLE(bytes + 16, header.tableOffset);
    putLE(bytes + 24, header.reserved1);
    std::memcpy(bytes + 32, header.method, kNameSize);
}

ResFile::e_header ResFile::decodeHeader(const uint8_t* bytes) {
    e_header header{};
    std::memcpy(header.magic, bytes, 4);
    header.version = getLE<uint32_t>(bytes + 4);
    header.count = getLE<uint32_t>(bytes + 8);
    header.reserved0 = getLE<uint32_t>(bytes + 12);
    header.tableOffset = getLE<uint64_t>(bytes + 16);
    header.reserved1 = getLE<uint64_t>(bytes + 24);
    std::memcpy(header.method, bytes + 32, kNameSize);
    return header;
}

void ResFile::encodeEntry(const e_entry& entry, uint8_t* bytes) {
    std::memcpy(bytes, entry.name, kNameSize);
    putLE(bytes + 256, entry.position);
    putLE(bytes + 264, entry.compSize);
    putLE(bytes + 272, entry.unCompSize);
}

ResFile::e_entry ResFile::decodeEntry(const uint8_t* bytes) {
    e_entry entry{};
    std::memcpy(entry.name, bytes, kNameSize);
    entry.position = getLE<uint64_t>(bytes + 256);
    entry.compSize = getLE<uint64_t>(bytes + 264);
    entry.unCompSize = getLE<uint64_t>(bytes + 272);
    return entry;
}

// --- lifetime -------------------------------------------------------------

ResFile::ResFile() = default;
ResFile::~ResFile() = default;  // the stream's destructor closes an unfinished archive

ResFile::ResFile(ResFile&& other) noexcept
    : path_(std::move(other.path_)),
      entries_(std::move(other.entries_)),
      header_(other.header_),
      out_(std::move(other.out_)) {
    other.path_.clear();
    other.entries_.clear();
    other.header_ = e_header{};
}

ResFile& ResFile::operator=(ResFile&& other) noexcept {
    if (this != &other) {
        path_ = std::move(other.path_);
        entries_ = std::move(other.entries_);
        header_ = other.header_;
        out_ = std::move(other.out_);
        other.path_.clear();
        other.entries_.clear();
        other.header_ = e_header{};
    }
    return *this;
}

// --- reading --------------------------------------------------------------

bool ResFile::OpenFromFile(const fs::path& path) {
    entries_.clear();
    std::error_code ec;
    if (!fs::exists(path, ec)) return false;  // no archive is the usual case: no message

    path_ = path;
    std::ifstream in;
    if (fs::is_regular_file(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        appmsg("[ERROR] OpenFromFile(%s) File not open", cstr(path));
        return false;
    }
    const uint64_t fileSize = streamSize(in);
    if (fileSize < kHeaderSize) {
        appmsg("[ERROR] OpenFromFile(%s) File too short for a header (%zu bytes)", cstr(path),
               static_cast<size_t>(fileSize));
        return false;
    }
    uint8_t bytes[kHeaderSize];
    if (!in.read(reinterpret_cast<char*>(bytes), kHeaderSize)) {
        appmsg("[ERROR] OpenFromFile(%s) Cannot read the header", cstr(path));
        return false;
    }
    header_ = decodeHeader(bytes);
    if (std::memcmp(header_.magic, kMagic, 4) != 0) {
        appmsg("[ERROR] OpenFromFile(%s) Not a resource archive (no RESF magic)", cstr(path));
        return false;
    }
    if (header_.version != kVersion) {
        appmsg("[ERROR] OpenFromFile(%s) Unsupported version %u", cstr(path), header_.version);
        return false;
    }
    if (header_.count == 0) return true;  // valid but not in use
    if (header_.count > kMaxEntries) {
        appmsg("[ERROR] OpenFromFile(%s) Entry count %u out of range, archive not used", cstr(path),
               header_.count);
        return true;
    }
    if (!readTable(in, fileSize) || !checkEntries(fileSize)) {
        entries_.clear();
        return false;
    }
    return true;
}

bool ResFile::readTable(std::ifstream& in, uint64_t fileSize) {
    const uint64_t tableSize = uint64_t{header_.count} * kEntrySize;
    if (header_.tableOffset < kHeaderSize || !fitsIn(header_.tableOffset, tableSize, fileSize)) {
        appmsg(
            "[ERROR] OpenFromFile(%s) Entry table (offset %zu, %u entries) lies outside the file (%zu bytes)",
            cstr(path_), static_cast<size_t>(header_.tableOffset), header_.count,
            static_cast<size_t>(fileSize));
        return false;
    }
    std::vector<uint8_t> table(static_cast<size_t>(tableSize));
    in.seekg(static_cast<std::streamoff>(header_.tableOffset));
    if (!in.read(reinterpret_cast<char*>(table.data()), static_cast<std::streamsize>(tableSize))) {
        appmsg("[ERROR] OpenFromFile(%s) Cannot read the entry table", cstr(path_));
        return false;
    }
    entries_.reserve(header_.count);
    for (size_t i = 0; i < header_.count; ++i) entries_.push_back(decodeEntry(table.data() + i * kEntrySize));
    return true;
}

bool ResFile::checkEntries(uint64_t fileSize) {
    for (size_t i = 0; i < entries_.size(); ++i) {
        const e_entry& e = entries_[i];
        if (!std::memchr(e.name, 0, kNameSize)) {
            appmsg("[ERROR] OpenFromFile(%s) Entry %zu has no terminated name", cstr(path_), i);
            return false;
        }
        if (!fitsIn(e.position, e.compSize, fileSize)) {
            appmsg("[ERROR] OpenFromFile(%s) Entry %zu (%s) passes the end of the file (%zu+%zu > %zu)",
                   cstr(path_), i, e.name, static_cast<size_t>(e.position), static_cast<size_t>(e.compSize),
                   static_cast<size_t>(fileSize));
            return false;
        }
    }
    return checkOverlaps();
}

// Every byte of the file belongs to at most one of header, table and entries,
// so that no archive can expand to more than its own size: an entry that
// shares its bytes with another, the header or the table is refused. Empty
// entries hold no bytes and overlap nothing.
bool ResFile::checkOverlaps() {
    struct Span {
        uint64_t begin;
        uint64_t end;
        size_t entry;  // index into entries_, or one of the two below
    };
    constexpr size_t kHeaderSpan = SIZE_MAX;
    constexpr size_t kTableSpan = SIZE_MAX - 1;
    std::vector<Span> spans;
    spans.reserve(entries_.size() + 2);
    spans.push_back({0, kHeaderSize, kHeaderSpan});
    spans.push_back(
        {header_.tableOffset, header_.tableOffset + uint64_t{header_.count} * kEntrySize, kTableSpan});
    for (size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].compSize > 0)
            spans.push_back({entries_[i].position, entries_[i].position + entries_[i].compSize, i});
    std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.entry < b.entry;
    });
    for (size_t k = 1; k < spans.size(); ++k) {
        const Span& before = spans[k - 1];
        const Span& after = spans[k];
        if (after.begin >= before.end) continue;
        // At least one of the two is an entry; name it first.
        const Span& entry = after.entry < kTableSpan ? after : before;
        const Span& other = &entry == &after ? before : after;
        const std::string what = other.entry == kHeaderSpan  ? "the header"
                                 : other.entry == kTableSpan ? "the entry table"
                                                             : "entry " + std::to_string(other.entry) + " (" +
                                                                   entries_[other.entry].name + ")";
        appmsg("[ERROR] OpenFromFile(%s) Entry %zu (%s) overlaps %s", cstr(path_), entry.entry,
               entries_[entry.entry].name, what.c_str());
        return false;
    }
    return true;
}

ResFile::e_entry* ResFile::FindEntry(const std::string& name) {
    // Names hold no NUL, so a name with one can match nothing.
    if (name.size() >= kNameSize || name.find('\0') != std::string::npos) return nullptr;
    for (e_entry& e : entries_)
        if (name == e.name) return &e;
    return nullptr;
}

uint64_t ResFile::ReadEntry(std::vector<uint8_t>& out, const std::string& name) {
    out.clear();
    const e_entry* e = FindEntry(name);
    if (!e) {
        appmsg("[ERROR] ReadEntry(%s) Entry not found", name.c_str());
        return 0;
    }
    std::ifstream in(path_, std::ios::binary);
    if (!in.is_open()) {
        appmsg("[ERROR] ReadEntry(%s) File not open", name.c_str());
        return 0;
    }
    if (e->position == 0 || e->unCompSize == 0) {
        appmsg("[ERROR] ReadEntry(%s) Position=%zu / unCompSize=%zu", name.c_str(),
               static_cast<size_t>(e->position), static_cast<size_t>(e->unCompSize));
        return 0;
    }
    if (e->compSize != e->unCompSize || header_.method[0] != '\0') {
        appmsg("[ERROR] ReadEntry(%s) Compression method not found (%zu,%zu,%.255s)", name.c_str(),
               static_cast<size_t>(e->compSize), static_cast<size_t>(e->unCompSize), header_.method);
        return 0;
    }
    if (e->unCompSize > kMaxReadBytes) {
        appmsg("[ERROR] ReadEntry(%s) Entry is larger than the limit (%zu > %zu bytes)", name.c_str(),
               static_cast<size_t>(e->unCompSize), static_cast<size_t>(kMaxReadBytes));
        return 0;
    }
    // The file may have changed since it was opened: check against its size now
    // so that a shortened file can neither be over-read nor inflate `out`.
    const uint64_t fileSize = streamSize(in);
    if (!fitsIn(e->position, e->unCompSize, fileSize)) {
        appmsg("[ERROR] ReadEntry(%s) Entry passes the end of the file (%zu+%zu > %zu)", name.c_str(),
               static_cast<size_t>(e->position), static_cast<size_t>(e->unCompSize),
               static_cast<size_t>(fileSize));
        return 0;
    }
    out.resize(static_cast<size_t>(e->unCompSize));
    in.seekg(static_cast<std::streamoff>(e->position));
    if (!in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size()))) {
        appmsg("[ERROR] ReadEntry(%s) Cannot read %zu bytes at %zu", name.c_str(), out.size(),
               static_cast<size_t>(e->position));
        out.clear();
        return 0;
    }
    return out.size();
}

// --- writing --------------------------------------------------------------

void ResFile::resetHeader() {
    header_ = e_header{};
    std::memcpy(header_.magic, kMagic, 4);
    header_.version = kVersion;
}

bool ResFile::BeginCreate(const fs::path& path) {
    out_.reset();
    auto out = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
    if (!out->is_open()) {
        appmsg("[ERROR] BeginCreate(%s) Cannot open for writing", cstr(path));
        return false;
    }
    path_ = path;
    entries_.clear();
    resetHeader();
    uint8_t bytes[kHeaderSize];
    encodeHeader(header_, bytes);
    if (!out->write(reinterpret_cast<const char*>(bytes), kHeaderSize)) {
        appmsg("[ERROR] BeginCreate(%s) Cannot write the header", cstr(path));
        return false;
    }
    out_ = std::move(out);
    return true;
}

bool ResFile::canFeed(const std::string& name) {
    if (!out_) {
        appmsg("[ERROR] Feed(%s) No archive is being created", name.c_str());
        return false;
    }
    if (header_.method[0] != '\0') return false;
    if (name.size() >= kNameSize || name.find('\0') != std::string::npos) {
        appmsg("[ERROR] Feed(%s) Name longer than 255 bytes or holding a NUL byte", name.c_str());
        return false;
    }
    if (entries_.size() >= kMaxEntries) {
        appmsg("[ERROR] Feed(%s) More than %u entries", name.c_str(), kMaxEntries);
        return false;
    }
    return true;
}

ResFile::e_entry ResFile::newEntry(const std::string& name) {
    e_entry entry{};
    std::memcpy(entry.name, name.data(), name.size());
    entry.position = static_cast<uint64_t>(out_->tellp());
    return entry;
}

bool ResFile::Feed(const std::vector<uint8_t>& data, const std::string& name) {
    if (!canFeed(name)) return false;
    e_entry entry = newEntry(name);
    entry.compSize = entry.unCompSize = data.size();
    if (!out_->write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()))) {
        appmsg("[ERROR] Feed(%s) Cannot write %zu bytes", name.c_str(), data.size());
        return false;
    }
    entries_.push_back(entry);
    return true;
}

bool ResFile::Feed(std::istream& data, const std::string& name) {
    if (!canFeed(name)) return false;
    e_entry entry = newEntry(name);
    std::vector<char> block(kFeedBlock);
    while (data) {
        data.read(block.data(), static_cast<std::streamsize>(block.size()));
        const std::streamsize got = data.gcount();
        if (got > 0 && !out_->write(block.data(), got)) {
            appmsg("[ERROR] Feed(%s) Cannot write %zu bytes", name.c_str(), static_cast<size_t>(got));
            return false;
        }
        entry.compSize += static_cast<uint64_t>(got);
    }
    if (data.bad()) {
        appmsg("[ERROR] Feed(%s) Cannot read the data after %zu bytes", name.c_str(),
               static_cast<size_t>(entry.compSize));
        return false;
    }
    entry.unCompSize = entry.compSize;
    entries_.push_back(entry);
    return true;
}

bool ResFile::Finish() {
    if (!out_) {
        appmsg("[ERROR] Finish() No archive is being created");
        return false;
    }
    header_.tableOffset = static_cast<uint64_t>(out_->tellp());
    header_.count = static_cast<uint32_t>(entries_.size());
    std::vector<uint8_t> table(entries_.size() * kEntrySize);
    for (size_t i = 0; i < entries_.size(); ++i) encodeEntry(entries_[i], table.data() + i * kEntrySize);
    uint8_t bytes[kHeaderSize];
    encodeHeader(header_, bytes);
    out_->write(reinterpret_cast<const char*>(table.data()), static_cast<std::streamsize>(table.size()));
    out_->seekp(0);
    out_->write(reinterpret_cast<const char*>(bytes), kHeaderSize);
    out_->close();
    const bool ok = !out_->fail();
    out_.reset();
    if (!ok) appmsg("[ERROR] Finish(%s) Cannot write the entry table and header", cstr(path_));
    return ok;
}

}  // namespace koui::res
