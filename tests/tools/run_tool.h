// Runs a tool through the shell and collects its exit status and output.
#pragma once

#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace koui::test {

struct ToolRun {
    int status;
    std::string out;
};

// Runs `command` with standard error folded into the output. Outside
// sanitizer builds the tool's data segment is limited (ulimit -d), so that a
// tool that reads a large input whole fails instead of using the memory.
inline ToolRun runTool(const std::string& command) {
    ToolRun run{-1, {}};
#ifdef KOUI_TOOL_DATA_LIMIT_KIB
    const std::string limit = "ulimit -d " + std::to_string(KOUI_TOOL_DATA_LIMIT_KIB) + " && ";
#else
    const std::string limit;
#endif
    FILE* pipe = ::popen((limit + command + " 2>&1").c_str(), "r");
    if (!pipe) return run;
    char buffer[4096];
    while (size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) run.out.append(buffer, n);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

inline std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

// `text` with every `from` replaced by `to`.
inline std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at; (at = text.find(from)) != std::string::npos;) text.replace(at, from.size(), to);
    return text;
}

}  // namespace koui::test
