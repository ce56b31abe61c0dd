// koui-pack: packs a resource folder into a resource archive for an
// application's build, and lists, extracts and verifies archives.
//
// Entry names are what the resource instance asks for: the path relative to
// the packed folder with "/" separators. Files are packed in path order so
// that the same folder always gives the same archive.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
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
    "  extract ARCHIVE FOLDER  write every entry to its path below FOLDER\n"
    "  verify ARCHIVE          check the header, the table and that every entry\n"
    "                          lies within the file and can be read\n"
    "  --help                  print this text\n"
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

bool readFile(const fs::path& path, std::vector<uint8_t>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool writeFile(const fs::path& path, const std::vector<uint8_t>& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    out.close();
    return !out.fail();
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
    std::vector<uint8_t> data;
    uint64_t bytes = 0;
    std::error_code ec;
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string name = files[i].generic_string();
        if (!readFile(folder / files[i], data) || !out.Feed(data, name)) {
            progress.finish();
            out = ResFile();  // closes the partial archive before it is removed
            fs::remove(partial, ec);
            return fail("cannot pack " + (folder / files[i]).string());
        }
        bytes += data.size();
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

bool openArchive(ResFile& file, const fs::path& archive) {
    if (!fs::exists(archive)) {
        fail(archive.string() + ": no such file");
        return false;
    }
    if (!file.OpenFromFile(archive)) {
        fail(archive.string() + " is not a readable resource archive");
        return false;
    }
    return true;
}

int list(const fs::path& archive) {
    ResFile file;
    if (!openArchive(file, archive)) return kFailed;
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

int extract(const fs::path& archive, const fs::path& folder) {
    ResFile file;
    if (!openArchive(file, archive)) return kFailed;
    std::set<std::string> done;
    std::vector<uint8_t> data;
    std::error_code ec;
    for (const ResFile::e_entry& e : file.entries()) {
        const std::string name = e.name;
        if (!isSafeName(name))
            return fail("refusing entry name \"" + name + "\": it leaves the target folder");
        if (!done.insert(name).second) {
            std::fprintf(stderr, "koui-pack: duplicate entry %s, the first one is kept\n", name.c_str());
            continue;
        }
        data.clear();
        // Empty files are packed but never read back by ReadEntry.
        if (e.unCompSize > 0 && file.ReadEntry(data, name) == 0) return fail("cannot read entry " + name);
        const fs::path target = folder / name;
        fs::create_directories(target.parent_path(), ec);
        if (ec || !writeFile(target, data)) return fail("cannot write " + target.string());
    }
    return kOk;
}

int verify(const fs::path& archive) {
    ResFile file;
    if (!openArchive(file, archive)) return kFailed;
    const ResFile::e_header& h = file.header();
    if (h.count > ResFile::kMaxEntries)
        return fail("entry count " + std::to_string(h.count) + " out of range");
    if (h.method[0] != '\0')
        return fail("entries use the compression method \"" +
                    std::string(h.method, strnlen(h.method, sizeof h.method)) + "\"");
    std::set<std::string> names;
    std::vector<uint8_t> data;
    uint64_t bytes = 0;
    for (const ResFile::e_entry& e : file.entries()) {
        const std::string name = e.name;
        if (e.position < ResFile::kHeaderSize || e.position > h.tableOffset ||
            e.compSize > h.tableOffset - e.position)
            return fail("entry " + name + " lies outside the data area");
        if (e.compSize != e.unCompSize) return fail("entry " + name + " has two different sizes");
        if (!names.insert(name).second) std::fprintf(stderr, "koui-pack: duplicate entry %s\n", name.c_str());
        if (e.unCompSize > 0 && file.ReadEntry(data, name) != e.unCompSize)
            return fail("cannot read entry " + name);
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

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
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
