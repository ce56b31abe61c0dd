// koui-pack: packs a resource folder into a resource archive for an
// application's build, and lists, extracts and verifies archives.
//
// Entry names are what the resource instance asks for: the path relative to
// the packed folder with "/" separators. Files are packed in path order so
// that the same folder always gives the same archive.
#include "pack.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <vector>

#include "koui/res/resfile.h"

namespace {

namespace fs = std::filesystem;
using koui::res::ResFile;

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char* const kHelp =
    "Usage: koui-pack COMMAND ARGUMENTS\n"
    "Packs a resource folder into one resource archive, and reads archives back.\n"
    "\n"
    "  create ARCHIVE FOLDER   pack every regular file below FOLDER, named by its\n"
    "                          path relative to FOLDER with \"/\" separators, in\n"
    "                          sorted order; replaces ARCHIVE only on success\n"
    "  list ARCHIVE            print the size and name of every entry\n"
    "  extract ARCHIVE FOLDER  write every entry to its path below FOLDER; refuses\n"
    "                          names that leave FOLDER and symbolic links on the\n"
    "                          way, and replaces no file through a link\n"
    "  verify ARCHIVE          check the header, the table and that every entry\n"
    "                          lies within the file and can be read\n"
    "  --help                  print this text\n"
    "\n"
    "list and extract check the archive as verify does before they start: an\n"
    "entry count out of range, a compression method, and entries outside the data\n"
    "area or sharing bytes with each other fail every command.\n"
    "\n"
    "Exit status: 0 on success, 1 on any failure, 2 on wrong usage.\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "koui-pack: %s\n", message.c_str());
    return kFailed;
}

// Shows progress on standard error when it is a terminal, at most ten times a
// second, so that packing a large folder is visibly alive.
class Progress {
public:
    explicit Progress(size_t total) : total_(total), shown_(::isatty(STDERR_FILENO) == 1) {}
    ~Progress() { finish(); }
    // Ends the progress line, so that later output starts on a line of its own.
    void finish() {
        if (printed_) std::fputc('\n', stderr);
        printed_ = false;
        shown_ = false;
    }
    void update(size_t done, uint64_t bytes) {
        if (!shown_) return;
        const auto now = std::chrono::steady_clock::now();
        if (printed_ && done != total_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        printed_ = true;
        std::fprintf(stderr, "\rkoui-pack: %zu/%zu files, %.1f MB", done, total_,
                     static_cast<double>(bytes) / 1e6);
        std::fflush(stderr);
    }

private:
    size_t total_;
    bool shown_;
    bool printed_ = false;
    std::chrono::steady_clock::time_point last_{};
};

// Files are copied in blocks of this size, so that an entry of any size
// needs little memory. A block is left unzeroed: each read fills the bytes
// that are written, and zeroing a megabyte per command dominated runs over
// many small archives.
constexpr size_t kBlock = size_t{1} << 20;

// A file descriptor, closed with the object.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

bool writeAll(int fd, const char* data, size_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// Reads the entry's bytes from the archive `in` block by block, writing them
// to `out` unless it is -1. False when the archive ends early or a write fails.
bool copyEntry(int in, const ResFile::e_entry& e, int out, char* block) {
    uint64_t done = 0;
    while (done < e.unCompSize) {
        const size_t want = static_cast<size_t>(std::min<uint64_t>(kBlock, e.unCompSize - done));
        const ssize_t n = ::pread(in, block, want, static_cast<off_t>(e.position + done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (out >= 0 && !writeAll(out, block, static_cast<size_t>(n))) return false;
        done += static_cast<uint64_t>(n);
    }
    return true;
}

// Every regular file below `folder` as paths relative to it, in path order,
// leaving out `skip` (the archive, when it is written inside the folder).
bool collectFiles(const fs::path& folder, const fs::path& skip, std::vector<fs::path>& files) {
    std::error_code ec;
    std::set<fs::path> sorted;
    for (auto it = fs::recursive_directory_iterator(folder, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::error_code same;
        if (fs::equivalent(it->path(), skip, same)) continue;
        sorted.insert(it->path().lexically_relative(folder));
    }
    if (ec) {
        fail("cannot read folder " + folder.string() + ": " + ec.message());
        return false;
    }
    files.assign(sorted.begin(), sorted.end());
    return true;
}

int create(const fs::path& archive, const fs::path& folder) {
    if (!fs::is_directory(folder)) return fail(folder.string() + " is not a folder");
    std::vector<fs::path> files;
    if (!collectFiles(folder, archive, files)) return kFailed;

    // Written beside the target and renamed at the end, so a failure leaves
    // an existing archive as it was.
    const fs::path partial = archive.string() + ".part";
    ResFile out;
    if (!out.BeginCreate(partial)) return fail("cannot create " + partial.string());
    Progress progress(files.size());
    uint64_t bytes = 0;
    std::error_code ec;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string name = files[i].generic_string();
        std::ifstream in(folder / files[i], std::ios::binary);
        if (!in || !out.Feed(in, name)) {
            progress.finish();
            out = ResFile();  // closes the partial archive before it is removed
            fs::remove(partial, ec);
            return fail("cannot pack " + (folder / files[i]).string());
        }
        bytes += out.entries().back().unCompSize;
        progress.update(i + 1, bytes);
    }
    progress.finish();
    if (!out.Finish()) {
        fs::remove(partial, ec);
        return fail("cannot finish " + partial.string());
    }
    fs::rename(partial, archive, ec);
    if (ec) {
        fs::remove(partial, ec);
        return fail("cannot write " + archive.string() + ": " + ec.message());
    }
    std::printf("packed %zu files (%llu bytes) into %s\n", files.size(),
                static_cast<unsigned long long>(bytes), archive.c_str());
    return kOk;
}

// Opens the archive and checks its structure; every command runs this before
// it touches an entry. `fd` is left open on the archive for reading entries.
bool openArchive(ResFile& file, const fs::path& archive, Fd& fd) {
    if (!fs::exists(archive)) {
        fail(archive.string() + ": no such file");
        return false;
    }
    if (!file.OpenFromFile(archive)) {
        fail(archive.string() + " is not a readable resource archive");
        return false;
    }
    const ResFile::e_header& h = file.header();
    if (h.count > ResFile::kMaxEntries) {
        fail("entry count " + std::to_string(h.count) + " out of range");
        return false;
    }
    if (h.method[0] != '\0') {
        fail("entries use the compression method \"" +
             std::string(h.method, strnlen(h.method, sizeof h.method)) + "\"");
        return false;
    }
    for (const ResFile::e_entry& e : file.entries()) {
        const std::string name = e.name;
        if (e.position < ResFile::kHeaderSize || e.position > h.tableOffset ||
            e.compSize > h.tableOffset - e.position) {
            fail("entry " + name + " lies outside the data area");
            return false;
        }
        if (e.compSize != e.unCompSize) {
            fail("entry " + name + " has two different sizes");
            return false;
        }
    }
    // O_NONBLOCK: a FIFO put in the archive's place cannot block the open.
    fd.reset(::open(archive.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        fail("cannot read " + archive.string());
        return false;
    }
    return true;
}

int list(const fs::path& archive) {
    ResFile file;
    Fd fd;
    if (!openArchive(file, archive, fd)) return kFailed;
    for (const ResFile::e_entry& e : file.entries())
        std::printf("%12llu  %s\n", static_cast<unsigned long long>(e.unCompSize), e.name);
    return kOk;
}

// An entry name may only lead to a place below the extraction folder.
bool isSafeName(const std::string& name) {
    if (name.empty() || name.front() == '/' || name.back() == '/') return false;
    for (const fs::path& part : fs::path(name))
        if (part.empty() || part == "." || part == "..") return false;
    return name.find("//") == std::string::npos;
}

bool isLink(int dir, const std::string& name) {
    struct stat st {};
    return ::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// Creates the file of entry `name` (checked by isSafeName) below the folder
// `root` without following a symbolic link: each folder on the way is opened
// with O_NOFOLLOW from the one before (and made when missing), and the file
// is made anew with O_EXCL, an existing file being removed first, so that
// nothing is written through a link. Returns the descriptor, or -1 with
// `why` set.
int createBelow(int root, const std::string& name, std::string& why) {
    Fd dir(::dup(root));
    size_t begin = 0;
    for (size_t slash; (slash = name.find('/', begin)) != std::string::npos; begin = slash + 1) {
        const std::string part = name.substr(begin, slash - begin);
        int next = ::openat(dir.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0 && errno == ENOENT && (::mkdirat(dir.get(), part.c_str(), 0777) == 0 || errno == EEXIST))
            next = ::openat(dir.get(), part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (next < 0) {
            const int error = errno;  // before isLink's fstatat
            // Built by appending: GCC 12 warns falsely (-Wrestrict) about
            // "..." + a temporary string.
            const bool link = isLink(dir.get(), part);
            why = link ? "\"" : "cannot make folder \"";
            why.append(name, 0, slash);
            why += link ? std::string("\" is a symbolic link") : std::string("\": ") + std::strerror(error);
            return -1;
        }
        dir.reset(next);
    }
    const std::string file = name.substr(begin);
    if (isLink(dir.get(), file)) {
        why = "\"" + name + "\" is a symbolic link";
        return -1;
    }
    if (::unlinkat(dir.get(), file.c_str(), 0) != 0 && errno != ENOENT) {
        why = std::string("cannot replace the existing file: ") + std::strerror(errno);
        return -1;
    }
    const int fd =
        ::openat(dir.get(), file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) why = std::string("cannot create the file: ") + std::strerror(errno);
    return fd;
}

int extract(const fs::path& archive, const fs::path& folder) {
    ResFile file;
    Fd in;
    if (!openArchive(file, archive, in)) return kFailed;
    std::error_code ec;
    fs::create_directories(folder, ec);
    const Fd root(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (root.get() < 0) return fail("cannot open folder " + folder.string() + ": " + std::strerror(errno));
    std::set<std::string> done;
    const std::unique_ptr<char[]> block = std::make_unique_for_overwrite<char[]>(kBlock);
    for (const ResFile::e_entry& e : file.entries()) {
        const std::string name = e.name;
        if (!isSafeName(name))
            return fail("refusing entry name \"" + name + "\": it leaves the target folder");
        if (!done.insert(name).second) {
            std::fprintf(stderr, "koui-pack: duplicate entry %s, the first one is kept\n", name.c_str());
            continue;
        }
        std::string why;
        const Fd out(createBelow(root.get(), name, why));
        if (out.get() < 0) return fail("refusing entry \"" + name + "\": " + why);
        if (!copyEntry(in.get(), e, out.get(), block.get()))
            return fail("cannot copy entry " + name + " to " + (folder / name).string());
    }
    return kOk;
}

int verify(const fs::path& archive) {
    ResFile file;
    Fd in;
    if (!openArchive(file, archive, in)) return kFailed;
    std::set<std::string> names;
    const std::unique_ptr<char[]> block = std::make_unique_for_overwrite<char[]>(kBlock);
    uint64_t bytes = 0;
    for (const ResFile::e_entry& e : file.entries()) {
        const std::string name = e.name;
        if (!names.insert(name).second) std::fprintf(stderr, "koui-pack: duplicate entry %s\n", name.c_str());
        if (!copyEntry(in.get(), e, -1, block.get())) return fail("cannot read entry " + name);
        bytes += e.unCompSize;
    }
    std::printf("%s: %zu entries, %llu bytes, OK\n", archive.c_str(), file.entries().size(),
                static_cast<unsigned long long>(bytes));
    return kOk;
}

int usage() {
    std::fputs(kHelp, stderr);
    return kUsage;
}

}  // namespace

int packTool(const std::vector<std::string>& args) {
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
        std::fputs(kHelp, stdout);
        return kOk;
    }
    if (args.empty()) return usage();
    const std::string& command = args[0];
    if (command == "create" && args.size() == 3) return create(args[1], args[2]);
    if (command == "list" && args.size() == 2) return list(args[1]);
    if (command == "extract" && args.size() == 3) return extract(args[1], args[2]);
    if (command == "verify" && args.size() == 2) return verify(args[1]);
    std::fprintf(stderr, "koui-pack: unknown command or wrong arguments: %s\n", command.c_str());
    return usage();
}
