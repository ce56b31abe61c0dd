// Profile file text: any bytes parse, print back unchanged, and writing one
// key changes that key only.
//
// Input layout: byte 0 = length n of the section name, byte 1 = length m of
// the key name, then n + m name bytes, then the file text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <string>

#include "koui/platform/ini_file.h"

namespace {

// Names a profile writer can store and find again: no line breaks, no
// brackets or '=' that would turn the written line into something else, no
// blanks at the ends, no comment start.
std::string usableName(const std::uint8_t* p, std::size_t n, bool key) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) {
        char c = static_cast<char>(p[i]);
        if (c == '\n' || c == '\r' || c == ']' || c == '[' || c == '=' || c == ' ' || c == '\t' || c == '\0')
            c = 'x';
        s.push_back(c);
    }
    if (!s.empty() && (s[0] == ';' || s[0] == '#')) s[0] = 'x';
    if (s.empty()) s.assign(1, key ? 'k' : 's');
    return s;
}

std::string lower(std::string s) {
    for (auto& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return s;
}

std::map<std::pair<std::string, std::string>, std::string> allValues(const koui::platform::IniFile& ini) {
    std::map<std::pair<std::string, std::string>, std::string> out;
    for (const auto& s : ini.sections())
        for (const auto& k : ini.keys(s)) {
            auto key = std::make_pair(lower(s), lower(k));
            if (!out.count(key)) out[key] = ini.value(s, k).value_or("<missing>");
        }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    std::size_t n = data[0] % 16, m = data[1] % 16;
    if (size < 2 + n + m) return 0;
    std::string section = usableName(data + 2, n, false);
    std::string key = usableName(data + 2 + n, m, true);
    std::string text(reinterpret_cast<const char*>(data + 2 + n + m), size - 2 - n - m);

    koui::platform::IniFile ini(text);
    if (ini.text() != text) std::abort();  // round trip is exact

    auto before = allValues(ini);
    ini.set(section, key, "fuzz value");
    if (ini.value(section, key) != std::string("fuzz value")) std::abort();
    auto after = allValues(ini);
    for (const auto& [name, value] : before) {
        if (name == std::make_pair(lower(section), lower(key))) continue;
        auto it = after.find(name);
        if (it == after.end() || it->second != value) std::abort();  // another key changed
    }
    ini.removeKey(section, key);
    ini.removeSection(section);
    return 0;
}
