#include "koui/app/app_options.h"

#include <algorithm>
#include <charconv>

namespace koui {

namespace {

constexpr int kMaxFrames = 1000000;
constexpr int kDefaultScreenshotFrames = 30;

bool parseCount(const std::string& text, int& out) {
    int v = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || v < 1 || v > kMaxFrames) return false;
    out = v;
    return true;
}

}  // namespace

bool AppOptions::parse(int argc, char** argv, const std::vector<std::string>& declared, std::string& error) {
    std::map<std::string, std::string*> valued{
        {"--res", &resources}, {"--screenshot", &screenshot}, {"--placement", &placement}, {"--log", &log}};
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--timing") {
            timing = true;
            continue;
        }
        const bool known = valued.contains(arg) || arg == "--frames";
        const bool own = std::find(declared.begin(), declared.end(), arg) != declared.end();
        if (!known && !own) {
            error = "unknown option \"" + arg + "\"";
            return false;
        }
        if (i + 1 >= argc) {
            error = "option \"" + arg + "\" wants a value";
            return false;
        }
        const std::string value = argv[++i];
        if (own)
            extra[arg] = value;
        else if (arg != "--frames")
            *valued[arg] = value;
        else if (!parseCount(value, frames)) {
            error =
                "--frames wants a count from 1 to " + std::to_string(kMaxFrames) + ", not \"" + value + "\"";
            return false;
        }
    }
    if (!screenshot.empty() && frames == 0) frames = kDefaultScreenshotFrames;
    return true;
}

}  // namespace koui
