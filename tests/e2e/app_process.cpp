#include "app_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace koui::test {

AppProcess::~AppProcess() {
    if (pid_ > 0) wait(std::chrono::milliseconds(0));
    if (stdin_ >= 0) close(stdin_);
    if (reader_.joinable()) reader_.join();
}

bool AppProcess::start(const std::vector<std::string>& argv, const std::string& cwd) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0) return false;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]), close(in[1]);
        return false;
    }
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    pid_ = fork();
    if (pid_ == 0) {
        // Child: only async-signal-safe calls until exec.
        dup2(in[0], 0);
        dup2(out[1], 1);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        execv(args[0], args.data());
        _exit(127);
    }
    close(in[0]);
    close(out[1]);
    if (pid_ < 0) {
        close(in[1]), close(out[0]);
        return false;
    }
    stdin_ = in[1];
    reader_ = std::thread(&AppProcess::readLoop, this, out[0]);
    return true;
}

void AppProcess::readLoop(int fd) {
    std::string pending;
    char buf[4096];
    for (;;) {
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        pending.append(buf, static_cast<size_t>(n));
        size_t nl;
        while ((nl = pending.find('\n')) != std::string::npos) {
            std::lock_guard guard(lock_);
            lines_.push_back(pending.substr(0, nl));
            pending.erase(0, nl + 1);
            grown_.notify_all();
        }
    }
    close(fd);
    std::lock_guard guard(lock_);
    closed_ = true;
    grown_.notify_all();
}

bool AppProcess::send(const std::string& line) {
    if (stdin_ < 0) return false;
    const std::string text = line + "\n";
    // A program that already ended must not kill the test with SIGPIPE.
    signal(SIGPIPE, SIG_IGN);
    return write(stdin_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
}

std::optional<std::string> AppProcess::waitFor(const std::function<bool(const std::string&)>& match,
                                               std::chrono::milliseconds timeout, size_t from,
                                               size_t* index) {
    const auto until = std::chrono::steady_clock::now() + timeout;
    std::unique_lock guard(lock_);
    // After each wait the lines that came meanwhile are looked at, also when
    // the wait ended by the time-out or the program closed its output.
    for (size_t i = from;;) {
        for (; i < lines_.size(); ++i)
            if (match(lines_[i])) {
                if (index) *index = i;
                return lines_[i];
            }
        if (closed_ || std::chrono::steady_clock::now() >= until) return std::nullopt;
        grown_.wait_until(guard, until);
    }
}

std::optional<std::string> AppProcess::waitPrefix(const std::string& prefix,
                                                  std::chrono::milliseconds timeout, size_t from,
                                                  size_t* index) {
    return waitFor([&](const std::string& l) { return l.rfind(prefix, 0) == 0; }, timeout, from, index);
}

std::vector<std::string> AppProcess::lines() {
    std::lock_guard guard(lock_);
    return lines_;
}

int AppProcess::wait(std::chrono::milliseconds timeout) {
    if (pid_ <= 0) return -1;
    const auto until = std::chrono::steady_clock::now() + timeout;
    int status = 0;
    for (;;) {
        const pid_t r = waitpid(pid_, &status, WNOHANG);
        if (r == pid_) break;
        if (r < 0) {
            pid_ = -1;
            return -1;
        }
        if (std::chrono::steady_clock::now() >= until) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            pid_ = -1;
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace koui::test
