#include "koui/family/appmsg.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace ko::log {

namespace {

void stderrSink(const char* line, void* /*user*/) {
    // One fputs of the line and its newline keeps lines of several threads
    // from interleaving inside a line (stdio locks the stream per call).
    std::string out(line);
    out.push_back('\n');
    std::fputs(out.c_str(), stderr);
}

struct SinkSlot {
    std::mutex lock;
    AppMsgSink sink = stderrSink;
    void* user = nullptr;
};

SinkSlot& slot() {
    static SinkSlot instance;
    return instance;
}

}  // namespace

void appSetMsgSink(AppMsgSink sink, void* user, AppMsgSink* previous, void** previousUser) {
    SinkSlot& s = slot();
    std::lock_guard guard(s.lock);
    if (previous) *previous = s.sink == stderrSink ? nullptr : s.sink;
    if (previousUser) *previousUser = s.user;
    s.sink = sink ? sink : stderrSink;
    s.user = sink ? user : nullptr;
}

void appvmsg(const char* format, va_list args) {
    char small[1024];
    va_list copy;
    va_copy(copy, args);
    const int needed = std::vsnprintf(small, sizeof small, format, copy);
    va_end(copy);
    if (needed < 0) return;

    std::string large;
    const char* line = small;
    if (static_cast<size_t>(needed) >= sizeof small) {
        large.resize(static_cast<size_t>(needed) + 1);
        std::vsnprintf(large.data(), large.size(), format, args);
        large.resize(static_cast<size_t>(needed));
        line = large.c_str();
    }

    SinkSlot& s = slot();
    std::lock_guard guard(s.lock);
    s.sink(line, s.user);
}

void appmsg(const char* format, ...) {
    va_list args;
    va_start(args, format);
    appvmsg(format, args);
    va_end(args);
}

}  // namespace ko::log
