// Untrusted archive bytes through koui-pack's own commands: verify, list and
// extract into a scratch folder. list and verify check the same structure, so
// they must agree, and extract must refuse what they refuse; an extracted
// file must hold exactly the bytes of the first entry of its name.
#include "tools/koui-pack/pack.h"

#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "koui/family/appmsg.h"
#include "koui/res/resfile.h"

namespace fs = std::filesystem;
using namespace ko::log;

namespace {
void discard(const char*, void*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (appSetMsgSink(discard, nullptr), true);
    (void)quiet;
    static const fs::path scratch =
        fs::temp_directory_path() / ("koui_fuzz_pack_" + std::to_string(::getpid()));
    const fs::path archive = scratch / "a.koc", folder = scratch / "out";
    fs::create_directories(scratch);
    {
        std::ofstream out(archive, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    const int verified = packTool({"verify", archive.string()});
    if (packTool({"list", archive.string()}) != verified) std::abort();
    const int extracted = packTool({"extract", archive.string(), folder.string()});
    if (verified != 0 && extracted == 0) std::abort();
    if (extracted == 0) {
        koui::res::ResFile file;
        if (!file.OpenFromFile(archive)) std::abort();
        std::set<std::string> seen;
        for (const auto& e : file.entries()) {
            if (!seen.insert(e.name).second) continue;
            std::ifstream in(folder / e.name, std::ios::binary);
            const std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (got != std::string(reinterpret_cast<const char*>(data) + e.position, e.unCompSize))
                std::abort();
        }
    }
    fs::remove_all(scratch);
    return 0;
}
