// What the soak programs share: a scratch folder, pumping a window manager
// until a condition holds, and the process's resident memory and threads.
#pragma once

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "koui/app/window_manager.h"

namespace koui::soak {

class TempFolder {
public:
    explicit TempFolder(const std::string& name)
        : path_(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ec;
        std::filesystem::current_path(path_.parent_path(), ec);
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

template <class Done>
bool pumpUntil(app::WindowManager& manager, Done done, int timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        manager.iterate();
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
}

// Resident set size in KiB (from /proc/self/statm).
inline long residentKiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

// Threads of this process (entries of /proc/self/task).
inline int threadCount() {
    int n = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) ++n;
    return n;
}

// Their names, blank-separated, for telling the driver's threads apart.
inline std::string threadNames() {
    std::string names;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        char name[64] = {};
        if (FILE* f = std::fopen((entry.path() / "comm").c_str(), "r")) {
            if (std::fgets(name, sizeof name, f)) name[std::strcspn(name, "\n")] = 0;
            std::fclose(f);
        }
        names += names.empty() ? name : std::string(" ") + name;
    }
    return names;
}

}  // namespace koui::soak
