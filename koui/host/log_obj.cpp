#include "koui/host/log_obj.h"

#include <cstdio>

#include "koui/family/apptime.h"
#include "koui/host/log_sink.h"

using namespace ko::util;

// Lines longer than the buffer are cut on purpose; the compiler's truncation
// warning would flag exactly that.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wformat-truncation"
#endif

namespace ko::log {

namespace {

constexpr size_t kLineBytes = 2048;

// Writes tag, name, " : " and the formatted text into `out`, cutting at
// kLineBytes - 1 bytes.
__attribute__((format(printf, 4, 0))) void compose(char (&out)[kLineBytes], const char* tag, const char* name,
                                                   const char* fmt, va_list args) {
    int used = std::snprintf(out, kLineBytes, "%s%s : ", tag, name ? name : "");
    if (used < 0) return;
    if (static_cast<size_t>(used) >= kLineBytes) return;  // already cut
    std::vsnprintf(out + used, kLineBytes - static_cast<size_t>(used), fmt, args);
}

}  // namespace

const char* Obj::logObjName() {
    return "";
}

void Obj::writeLine(const char* tag, const char* fmt, va_list args) {
    char line[kLineBytes];
    compose(line, tag, logObjName(), fmt, args);
    write(line);
}

void Obj::logMsg(const char* fmt, ...) {
    if (!fmt) return;
    va_list args;
    va_start(args, fmt);
    writeLine("", fmt, args);
    va_end(args);
}

bool Obj::logErrCode(int code, const char* fmt, ...) {
    if (!fmt) return false;
    char tag[32];
    if (code == 0)
        std::snprintf(tag, sizeof tag, "[ERROR] ");
    else
        std::snprintf(tag, sizeof tag, "[ERROR] <%d> ", code);
    va_list args;
    va_start(args, fmt);
    writeLine(tag, fmt, args);
    va_end(args);
    return false;
}

bool Obj::logError(const char* fmt, ...) {
    if (!fmt) return false;
    va_list args;
    va_start(args, fmt);
    writeLine("[ERROR] ", fmt, args);
    va_end(args);
    return false;
}

bool Obj::logOK(const char* fmt, ...) {
    if (!fmt) return true;
    va_list args;
    va_start(args, fmt);
    writeLine("[OK] ", fmt, args);
    va_end(args);
    return true;
}

void Obj::logBegin(const char* fmt, ...) {
    if (!fmt) return;
    va_list args;
    va_start(args, fmt);
    writeLine("[BEGIN] ", fmt, args);
    va_end(args);
}

void Obj::logEnd(const char* fmt, ...) {
    if (!fmt) return;
    va_list args;
    va_start(args, fmt);
    writeLine("[END  ] ", fmt, args);
    va_end(args);
}

Obj::ScopeLog::ScopeLog(Obj* o, const char* fmt, ...) : text{}, obj(o), start(appGetTime()) {
    if (fmt) {
        va_list args;
        va_start(args, fmt);
        std::vsnprintf(text, sizeof text, fmt, args);
        va_end(args);
    }
    char line[kLineBytes];
    std::snprintf(line, sizeof line, "[BEGIN] %s : %s", obj ? obj->logObjName() : "", text);
    write(line);
}

Obj::ScopeLog::~ScopeLog() {
    const double ms = (appGetTime() - start) * 1000.0;
    char line[kLineBytes];
    std::snprintf(line, sizeof line, "[END  ] %s : %s (dt=%.3f ms)", obj ? obj->logObjName() : "", text, ms);
    write(line);
}

}  // namespace ko::log
