#include "koui/platform/folder_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <system_error>

namespace koui::platform {

namespace {

constexpr uint32_t kFolderEvents = IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_TO | IN_MOVED_FROM |
                                   IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

}  // namespace

FolderWatch::FolderWatch() : wakeFd_(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

FolderWatch::~FolderWatch() {
    close();
    if (wakeFd_ >= 0) ::close(wakeFd_);
}

void FolderWatch::close() {
    if (notify_ >= 0) ::close(notify_);
    notify_ = -1;
    rootWatch_ = -1;
    folders_.clear();
}

bool FolderWatch::open(const std::string& folder) {
    close();
    notify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (notify_ < 0) return false;
    if (!addTree(folder)) {
        close();
        return false;
    }
    return true;
}

// The folder and, depth first, every folder below it; false when one of
// them cannot be watched (its changes would go unseen).
bool FolderWatch::addTree(const std::string& folder) {
    const int wd = inotify_add_watch(notify_, folder.c_str(), kFolderEvents);
    if (wd < 0) return false;
    if (rootWatch_ < 0) rootWatch_ = wd;
    folders_[wd] = folder;
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::directory_iterator it(folder, ec), end;
    if (ec) return false;
    for (; it != end; it.increment(ec)) {
        if (ec) return false;
        std::error_code typeError;
        if (it->is_directory(typeError) && !it->is_symlink(typeError) && !addTree(it->path().string()))
            return false;
    }
    return !ec;
}

FolderWatch::Wait FolderWatch::wait(int timeoutMs) {
    pollfd fds[2] = {{wakeFd_, POLLIN, 0}, {notify_, POLLIN, 0}};
    const nfds_t count = notify_ >= 0 ? 2 : 1;
    int ready = 0;
    do {
        ready = poll(fds, count, timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready < 0) return Wait::kFailed;
    if (fds[0].revents & POLLIN) {
        uint64_t n = 0;
        [[maybe_unused]] const ssize_t got = read(wakeFd_, &n, sizeof n);
        return Wait::kWoken;
    }
    if (ready == 0 || count < 2) return Wait::kTimeout;
    bool failed = false;
    alignas(inotify_event) char buf[8192];
    for (;;) {
        const ssize_t n = read(notify_, buf, sizeof buf);
        if (n <= 0) break;  // EAGAIN: all taken
        for (ssize_t at = 0; at < n;) {
            const auto* ev = reinterpret_cast<const inotify_event*>(buf + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
            // An overflow loses events but not the change: the caller looks
            // at every file after any kChanged.
            if (ev->wd == rootWatch_ && (ev->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)))
                failed = true;
            if ((ev->mask & IN_ISDIR) && (ev->mask & (IN_CREATE | IN_MOVED_TO)) && ev->len > 0) {
                const auto folder = folders_.find(ev->wd);
                if (folder != folders_.end() && !addTree(folder->second + "/" + ev->name)) failed = true;
            }
            if (ev->mask & IN_IGNORED) folders_.erase(ev->wd);
        }
    }
    if (failed) {
        close();
        return Wait::kFailed;
    }
    return Wait::kChanged;
}

void FolderWatch::wake() {
    const uint64_t one = 1;
    if (wakeFd_ < 0) return;
    [[maybe_unused]] const ssize_t put = write(wakeFd_, &one, sizeof one);
}

}  // namespace koui::platform
