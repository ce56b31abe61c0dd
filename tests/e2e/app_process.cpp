#include "app_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace koui::test {

AppProcess::~AppProcess() {
    if (pid_ > 0) wait(std::chrono::milliseconds(0));
    if (reader_.joinable()) reader_.join();
}

bool AppProcess::start(const std::vector<std::string>& argv, const std::string& cwd) {
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) return false;
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        // Child: only async-signal-safe calls until exec.
        dup2(out[1], 1);
        dup2(out[1], 2);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        execv(args[0], args.data());
        _exit(127);
    }
    close(out[1]);
    if (pid_ < 0) return false;
    reader_ = std::thread(&AppProcess::readLoop, this, out[0]);
    return true;
}

void AppProcess::readLoop(int fd) {
    FILE* in = fdopen(fd, "r");
    char* buf = nullptr;
    size_t size = 0;
    for (ssize_t n; (n = getline(&buf, &size, in)) > 0;) {
        std::lock_guard guard(lock_);
        lines_.emplace_back(buf, static_cast<size_t>(n) - (buf[n - 1] == '\n'));
        grown_.notify_all();
    }
    free(buf);
    fclose(in);
    std::lock_guard guard(lock_);
    closed_ = true;
    grown_.notify_all();
}

std::optional<std::string> AppProcess::waitFor(const std::function<bool(const std::string&)>& match,
                                               std::chrono::milliseconds timeout) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    std::unique_lock guard(lock_);
    // After each wait the lines that came meanwhile are looked at, also when
    // the wait ended by the time-out or the program closed its output.
    for (size_t i = 0;;) {
        for (; i < lines_.size(); ++i)
            if (match(lines_[i])) return lines_[i];
        if (closed_ || std::chrono::steady_clock::now() >= until) return std::nullopt;
        grown_.wait_until(guard, until);
    }
}

std::optional<std::string> AppProcess::waitPrefix(const std::string& prefix,
                                                  std::chrono::milliseconds timeout) {
    return waitFor([&](const std::string& l) { return l.starts_with(prefix); }, timeout);
}

std::vector<std::string> AppProcess::lines() {
    std::lock_guard guard(lock_);
    return lines_;
}

int AppProcess::wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return -1;
    const auto until = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    pid_t r;
    while ((r = waitpid(pid_, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    if (r == 0) {  // still running at the time-out
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
    }
    pid_ = -1;
    return r > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace koui::test
