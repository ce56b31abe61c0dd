// A program run by an end-to-end test: started in a folder of the test's
// choosing, its standard output collected line by line by a reader thread,
// so that the test can wait for a line with a time-out instead of sleeping.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace koui::test {

class AppProcess {
public:
    AppProcess() = default;
    ~AppProcess();
    AppProcess(const AppProcess&) = delete;
    AppProcess& operator=(const AppProcess&) = delete;

    // Runs `argv[0]` with the arguments in folder `cwd`, its standard output
    // and error both read as lines; false when it cannot.
    bool start(const std::vector<std::string>& argv, const std::string& cwd);

    // The first line for which `match` holds, waiting at most `timeout`.
    std::optional<std::string> waitFor(const std::function<bool(const std::string&)>& match,
                                       std::chrono::milliseconds timeout);
    // The same for a line that begins with `prefix`.
    std::optional<std::string> waitPrefix(const std::string& prefix, std::chrono::milliseconds timeout);
    std::vector<std::string> lines();

    // Waits for the program to end; its exit status, or -1 on a time-out
    // (the program is then killed) or when it ended by a signal.
    int wait(std::chrono::milliseconds timeout);

private:
    void readLoop(int fd);

    int pid_ = -1;
    std::thread reader_;
    std::mutex lock_;
    std::condition_variable grown_;
    std::vector<std::string> lines_;
    bool closed_ = false;
};

}  // namespace koui::test
