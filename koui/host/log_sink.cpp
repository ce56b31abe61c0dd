#include "koui/host/log_sink.h"

#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <mutex>

#include "koui/family/apptime.h"

using namespace ko::util;

namespace ko::log {

namespace {

struct Sink {
    std::mutex logLock;
    double logTimeBase = 0.0;
    char line[8192] = {};
    std::function<void(const char*)> logCallback;
    std::ofstream logFile;
};

Sink& sink() {
    static Sink instance;
    return instance;
}

}  // namespace

void write(const char* line) {
    if (!line) return;
    Sink& s = sink();
    std::lock_guard guard(s.logLock);
    if (!s.logCallback && !s.logFile.is_open()) return;  // nobody listens
    const double t = appGetTime() - s.logTimeBase;
    const int n = std::snprintf(s.line, sizeof s.line, "%12.3f %s", t, line);
    if (n < 0) return;
    if (s.logCallback) s.logCallback(s.line);
    if (s.logFile.is_open()) {
        s.logFile << s.line << "\r\n";
        s.logFile.flush();
    }
}

void print(const char* fmt, ...) {
    if (!fmt) return;
    char text[2048];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(text, sizeof text, fmt, args);
    va_end(args);
    write(text);
}

void setCallback(std::function<void(const char*)> callback) {
    Sink& s = sink();
    std::lock_guard guard(s.logLock);
    s.logCallback = std::move(callback);
}

bool openFile(const std::string& path) {
    Sink& s = sink();
    std::lock_guard guard(s.logLock);
    if (s.logFile.is_open()) s.logFile.close();
    s.logFile.clear();
    s.logFile.open(path, std::ios::binary | std::ios::trunc);
    return s.logFile.is_open();
}

void closeFile() {
    Sink& s = sink();
    std::lock_guard guard(s.logLock);
    if (s.logFile.is_open()) s.logFile.close();
}

void setTimeBase(double seconds) {
    Sink& s = sink();
    std::lock_guard guard(s.logLock);
    s.logTimeBase = seconds;
}

void setTimeBaseNow() {
    setTimeBase(appGetTime());
}

}  // namespace ko::log
