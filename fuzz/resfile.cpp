// Untrusted archive bytes through ResFile: the input is written to a file of
// its own, opened, and every entry of its table looked up and read. No read
// may return more bytes than the file holds.
#include "koui/res/resfile.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace {

void discard(const char*, void*) {}

std::filesystem::path scratchFile() {
    return std::filesystem::temp_directory_path() /
           ("koui_fuzz_resfile_" + std::to_string(::getpid()) + ".koc");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (appSetMsgSink(discard, nullptr), true);
    (void)quiet;
    static const std::filesystem::path path = scratchFile();
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    koui::res::ResFile archive;
    archive.OpenFromFile(path);
    std::vector<std::string> names;
    for (const auto& entry : archive.entries()) names.emplace_back(entry.name);
    std::vector<uint8_t> bytes;
    for (const std::string& name : names) {
        if (!archive.FindEntry(name)) std::abort();
        const uint64_t read = archive.ReadEntry(bytes, name);
        if (read != bytes.size() || read > size) std::abort();
    }
    archive.ReadEntry(bytes, "no such entry");
    std::filesystem::remove(path);
    return 0;
}
