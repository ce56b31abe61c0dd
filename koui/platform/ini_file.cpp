#include "koui/platform/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

namespace koui::platform {

namespace {

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               auto lx = (x >= 'A' && x <= 'Z') ? x + 32 : x;
               auto ly = (y >= 'A' && y <= 'Z') ? y + 32 : y;
               return lx == ly;
           });
}

// The section name of a header line, or nullopt.
std::optional<std::string_view> headerName(std::string_view body) {
    auto t = trim(body);
    if (t.empty() || t.front() != '[') return std::nullopt;
    auto close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(t.substr(1, close - 1));
}

// Key and raw value of a key line, or nullopt.
std::optional<std::pair<std::string_view, std::string_view>> keyLine(std::string_view body) {
    auto t = trim(body);
    if (t.empty() || t.front() == ';' || t.front() == '#' || t.front() == '[') return std::nullopt;
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    auto key = trim(t.substr(0, eq));
    if (key.empty()) return std::nullopt;
    return std::make_pair(key, t.substr(eq + 1));
}

std::string cleanValue(std::string_view raw) {
    auto v = trim(raw);
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        v = v.substr(1, v.size() - 2);
    return std::string(v);
}

}  // namespace

IniFile::IniFile(std::string_view text) {
    std::size_t pos = 0;
    bool eolChosen = false;
    while (pos < text.size()) {
        auto nl = text.find('\n', pos);
        if (nl == std::string_view::npos) {
            lines_.push_back({std::string(text.substr(pos)), ""});
            break;
        }
        bool crlf = nl > pos && text[nl - 1] == '\r';
        std::string eol = crlf ? "\r\n" : "\n";
        lines_.push_back({std::string(text.substr(pos, nl - pos - (crlf ? 1 : 0))), eol});
        if (!eolChosen) eol_ = eol, eolChosen = true;
        pos = nl + 1;
    }
}

std::optional<IniFile::Range> IniFile::findSection(std::string_view section) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        auto name = headerName(lines_[i].body);
        if (!name || !sameName(*name, section)) continue;
        std::size_t end = i + 1;
        while (end < lines_.size() && !headerName(lines_[end].body)) ++end;
        return Range{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::findKey(const Range& r, std::string_view key) const {
    for (std::size_t i = r.header + 1; i < r.end; ++i) {
        auto kv = keyLine(lines_[i].body);
        if (kv && sameName(kv->first, key)) return i;
    }
    return std::nullopt;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    auto r = findSection(section);
    if (!r) return std::nullopt;
    auto i = findKey(*r, key);
    if (!i) return std::nullopt;
    return cleanValue(keyLine(lines_[*i].body)->second);
}

std::vector<std::string> IniFile::sections() const {
    std::vector<std::string> out;
    for (const auto& l : lines_) {
        auto name = headerName(l.body);
        if (!name) continue;
        bool seen =
            std::any_of(out.begin(), out.end(), [&](const std::string& s) { return sameName(s, *name); });
        if (!seen) out.emplace_back(*name);
    }
    return out;
}

std::vector<std::string> IniFile::keys(std::string_view section) const {
    std::vector<std::string> out;
    auto r = findSection(section);
    if (!r) return out;
    for (std::size_t i = r->header + 1; i < r->end; ++i)
        if (auto kv = keyLine(lines_[i].body)) out.emplace_back(kv->first);
    return out;
}

void IniFile::insertLine(std::size_t at, std::string body) {
    // The line before gets an ending if it was the unterminated last one.
    if (at > 0 && lines_[at - 1].eol.empty()) lines_[at - 1].eol = eol_;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), Line{std::move(body), eol_});
}

void IniFile::set(std::string_view section, std::string_view key, std::string_view value) {
    auto r = findSection(section);
    if (!r) {
        // Appended piece by piece: GCC 12 warns (falsely, -Wrestrict) on
        // "literal" + std::string temporaries in optimised builds.
        std::string header(1, '[');
        header.append(section).push_back(']');
        insertLine(lines_.size(), header);
        insertLine(lines_.size(), std::string(key) + "=" + std::string(value));
        return;
    }
    if (auto i = findKey(*r, key)) {
        lines_[*i].body = std::string(keyLine(lines_[*i].body)->first) + "=" + std::string(value);
        return;
    }
    std::size_t after = r->header;
    for (std::size_t i = r->header + 1; i < r->end; ++i)
        if (keyLine(lines_[i].body)) after = i;
    insertLine(after + 1, std::string(key) + "=" + std::string(value));
}

bool IniFile::removeKey(std::string_view section, std::string_view key) {
    auto r = findSection(section);
    if (!r) return false;
    auto i = findKey(*r, key);
    if (!i) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*i));
    return true;
}

bool IniFile::removeSection(std::string_view section) {
    auto r = findSection(section);
    if (!r) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(r->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(r->end));
    return true;
}

std::string IniFile::text() const {
    std::string out;
    for (const auto& l : lines_) out += l.body + l.eol;
    return out;
}

std::optional<std::string> readWholeFile(const std::filesystem::path& path, int& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return std::nullopt;
    }
    std::string data;
    char chunk[65536];
    for (;;) {
        ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = errno;
            ::close(fd);
            return std::nullopt;
        }
        if (n == 0) break;
        data.append(chunk, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return data;
}

namespace {

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

}  // namespace

int writeFileAtomically(const std::filesystem::path& path, std::string_view content) {
    std::error_code ec;
    // Write through symbolic links: the link stays, the file it names changes.
    std::filesystem::path target = std::filesystem::weakly_canonical(path, ec);
    if (ec) target = path;
    mode_t mode = 0666;  // the umask applies to new files
    struct stat st {};
    if (::stat(target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return EISDIR;
        // A file without write bits is read-only for everybody, root too, as
        // a read-only file is on Win32; the rename below would not ask.
        if (!(st.st_mode & 0222)) return EACCES;
        if (::access(target.c_str(), W_OK) != 0) return errno;
        mode = st.st_mode & 07777;
    }
    auto dir = target.parent_path();
    if (dir.empty()) dir = ".";
    static std::atomic<unsigned> counter{0};
    int fd = -1;
    std::filesystem::path temp;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        std::string name(1, '.');  // built by appending, see IniFile::set
        name.append(target.filename().string()).append(".tmp").append(std::to_string(::getpid()));
        name.append(1, '.').append(std::to_string(counter++));
        temp = dir / name;
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd < 0 && errno != EEXIST) return errno;
    }
    if (fd < 0) return EEXIST;
    // An existing file keeps its permissions even where the umask is stricter.
    if (mode != 0666) ::fchmod(fd, mode);
    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (::close(fd) != 0 && ok) ok = false, err = errno;
    if (ok && ::rename(temp.c_str(), target.c_str()) != 0) ok = false, err = errno;
    if (!ok) {
        ::unlink(temp.c_str());
        return err ? err : EIO;
    }
    return 0;
}

}  // namespace koui::platform
