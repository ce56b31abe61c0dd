// The X server of the window tests: whether there is one, and xdotool to
// drive and inspect it. Tests that need them skip without them.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace koui::test {

inline bool xdo(const std::string& args) {
    return std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()) == 0;
}

// What xdotool printed, without trailing blanks and line feeds.
inline std::string xdoOutput(const std::string& args) {
    std::string out;
    if (FILE* p = popen(("xdotool " + args + " 2>/dev/null").c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

}  // namespace koui::test

#define KOUI_REQUIRE_DISPLAY()                                                                   \
    do {                                                                                         \
        if (!std::getenv("DISPLAY") || !*std::getenv("DISPLAY")) GTEST_SKIP() << "no X display"; \
    } while (0)

#define KOUI_REQUIRE_XDOTOOL()                                                \
    do {                                                                      \
        KOUI_REQUIRE_DISPLAY();                                               \
        if (!koui::test::xdo("version")) GTEST_SKIP() << "xdotool not found"; \
    } while (0)
