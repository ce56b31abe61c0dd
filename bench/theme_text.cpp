#include "bench/theme_text.h"

#include <cstdint>
#include <cstdio>

namespace koui::bench {

namespace {

// Small deterministic generator (64-bit LCG), so every run parses the same text.
class Random {
public:
    uint32_t next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state_ >> 33);
    }
    int range(int low, int high) {
        return low + static_cast<int>(next() % static_cast<uint32_t>(high - low + 1));
    }
    bool chance(int percent) { return range(0, 99) < percent; }

private:
    uint64_t state_ = 0x2545f4914f6cdd1dull;
};

const char* const kWords[] = {"panel", "button", "label",  "list",  "item", "header", "footer", "toolbar",
                              "menu",  "entry",  "slider", "check", "tab",  "view",   "ruler",  "status"};
const char* const kKeys[] = {"pos",        "size",        "padding",     "border-size", "border-radius",
                             "font-align", "image-flags", "image-scale", "font-offset", "font-sep"};

std::string word(Random& r) {
    return kWords[r.next() % (sizeof kWords / sizeof *kWords)];
}

std::string colour(Random& r) {
    char buffer[64];
    switch (r.range(0, 5)) {
        case 0:
            std::snprintf(buffer, sizeof buffer, "#%06x", r.next() & 0xffffff);
            break;
        case 1:
            std::snprintf(buffer, sizeof buffer, "#%03x", r.next() & 0xfff);
            break;
        case 2:
            std::snprintf(buffer, sizeof buffer, "rgb(%d, %d, %d)", r.range(0, 255), r.range(0, 255),
                          r.range(0, 255));
            break;
        case 3:
            std::snprintf(buffer, sizeof buffer, "rgba(%d, %d, %d, %d)", r.range(0, 255), r.range(0, 255),
                          r.range(0, 255), r.range(0, 255));
            break;
        case 4:
            std::snprintf(buffer, sizeof buffer, "hsl(%d, %d, %d)", r.range(0, 359), r.range(0, 100),
                          r.range(0, 100));
            break;
        default:
            std::snprintf(buffer, sizeof buffer, "theme.%s-%d", kWords[r.next() % 16], r.range(0, 9));
            break;
    }
    return buffer;
}

void styleBlock(std::string& out, Random& r, int depth, int& serial) {
    const std::string indent(static_cast<size_t>(depth) * 2, ' ');
    out += indent + word(r) + "-" + std::to_string(serial++) + " {\n";
    const std::string in = indent + "  ";
    if (r.chance(20)) out += in + "# " + word(r) + " of the " + word(r) + " area\n";
    const int keys = r.range(3, 7);
    for (int i = 0; i < keys; ++i) {
        const char* key = kKeys[r.next() % (sizeof kKeys / sizeof *kKeys)];
        out +=
            in + key + ": " + std::to_string(r.range(0, 400)) + "," + std::to_string(r.range(0, 300)) + "\n";
    }
    out += in + "color: " + colour(r) + "\n";
    if (r.chance(60)) out += in + "bkcolor: " + colour(r) + "\n";
    if (r.chance(40)) out += in + "font-type: fonts." + word(r) + "\n";
    if (r.chance(30)) out += in + "text: \"" + word(r) + " " + word(r) + "\"\n";
    if (r.chance(25)) out += in + "hover { color: " + colour(r) + " bkcolor: " + colour(r) + " }\n";
    if (r.chance(15)) out += in + "bold\n";
    if (r.chance(5)) {
        out += in + "\"!ui-arrange\" {\n" + in + "  commands: !<[[\noff,8,4\nh0," + word(r) + "\nhline\n";
        out += "div," + word(r) + ",0,0,*,24\n]]>\n" + in + "}\n";
    }
    if (depth < 4) {
        const int children = r.chance(50) ? r.range(1, 3) : 0;
        for (int i = 0; i < children; ++i) styleBlock(out, r, depth + 1, serial);
    }
    out += indent + "}\n";
}

}  // namespace

std::string makeThemeText(std::size_t targetBytes) {
    Random r;
    std::string out;
    out.reserve(targetBytes + 4096);
    int serial = 0;
    while (out.size() < targetBytes) {
        switch (r.range(0, 9)) {
            case 0: {
                out += "theme-" + std::to_string(serial++) + " {\n";
                for (int i = 0; i < 10; ++i)
                    out += "  " + word(r) + "-" + std::to_string(i) + ": " + colour(r) + "\n";
                out += "}\n";
                break;
            }
            case 1: {
                out += "font-" + std::to_string(serial++) +
                       " {\n  font\n  size: " + std::to_string(r.range(9, 32)) + "\n  src: \"Fonts/" +
                       word(r) + ".ttf\"\n}\n";
                break;
            }
            case 2: {
                out += "skin-" + std::to_string(serial++) + " {\n  imgsrc\n  src: \"Images/" + word(r) +
                       ".png\"\n  grid: 4\n";
                for (int i = 0; i < 4; ++i)
                    out += "  " + word(r) + " { img pos: " + std::to_string(r.range(0, 60)) + "," +
                           std::to_string(r.range(0, 60)) + " size: 16,6 hdist: 16 }\n";
                out += "}\n";
                break;
            }
            default:
                styleBlock(out, r, 0, serial);
                break;
        }
    }
    return out;
}

}  // namespace koui::bench
