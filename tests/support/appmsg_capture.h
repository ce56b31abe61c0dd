// Collects appmsg() lines for the lifetime of the object, so a test can check
// the exact messages a call produced. Restores the previous sink afterwards.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "koui/family/appmsg.h"

namespace koui::test {

class AppMsgCapture {
public:
    AppMsgCapture() { ko::log::appSetMsgSink(&AppMsgCapture::sink, this, &previous_, &previousUser_); }
    ~AppMsgCapture() { ko::log::appSetMsgSink(previous_, previousUser_); }
    AppMsgCapture(const AppMsgCapture&) = delete;
    AppMsgCapture& operator=(const AppMsgCapture&) = delete;

    std::vector<std::string> lines() const {
        std::lock_guard guard(lock_);
        return lines_;
    }
    // True when some line contains `needle`.
    bool contains(const std::string& needle) const {
        std::lock_guard guard(lock_);
        for (const auto& l : lines_)
            if (l.find(needle) != std::string::npos) return true;
        return false;
    }
    void clear() {
        std::lock_guard guard(lock_);
        lines_.clear();
    }

private:
    static void sink(const char* line, void* user) {
        auto* self = static_cast<AppMsgCapture*>(user);
        std::lock_guard guard(self->lock_);
        self->lines_.emplace_back(line);
    }

    mutable std::mutex lock_;
    std::vector<std::string> lines_;
    ko::log::AppMsgSink previous_ = nullptr;
    void* previousUser_ = nullptr;
};

}  // namespace koui::test
