#include "options.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace hello {
namespace {

constexpr const char* kUsage =
    "usage: hello [--res DIR] [--screenshot FILE.png] [--frames N] [--placement FILE] [--timing] [--log "
    "FILE]\n";

std::string defaultPlacement() {
    namespace fs = std::filesystem;
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    const char* home = std::getenv("HOME");
    fs::path base = xdg && *xdg ? fs::path(xdg) : home && *home ? fs::path(home) / ".config" : fs::path(".");
    return (base / "koui" / "hello.ini").string();
}

bool parseCount(const char* text, int& out) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (end == text || *end != 0 || v < 1 || v > 1000000) return false;
    out = static_cast<int>(v);
    return true;
}

}  // namespace

std::optional<Options> parseOptions(int argc, char** argv, const std::string& exeDir) {
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--timing") {
            o.timing = true;
        } else if (arg == "--res" && hasValue) {
            o.resDir = argv[++i];
        } else if (arg == "--screenshot" && hasValue) {
            o.screenshot = argv[++i];
        } else if (arg == "--log" && hasValue) {
            o.log = argv[++i];
        } else if (arg == "--placement" && hasValue) {
            o.placement = argv[++i];
        } else if (arg == "--frames" && hasValue) {
            if (!parseCount(argv[++i], o.frames)) {
                std::fprintf(stderr, "hello: --frames wants a count from 1 to 1000000, not \"%s\"\n",
                             argv[i]);
                return std::nullopt;
            }
        } else {
            std::fprintf(stderr, "hello: unknown or incomplete option \"%s\"\n%s", arg.c_str(), kUsage);
            return std::nullopt;
        }
    }
    if (!o.screenshot.empty() && o.frames == 0) o.frames = 30;
    if (o.resDir.empty()) o.resDir = (std::filesystem::path(exeDir) / "resdata").string();
    if (o.placement.empty()) {
        o.placement = defaultPlacement();
        o.fixedPlace = o.frames > 0;
    }
    return o;
}

}  // namespace hello
