// ko::log::Obj: the logging base of the host classes (UI instance, window,
// window manager, application element).
//
// Every line names the object that wrote it and may carry a status tag:
//
//     "[ERROR] <42> koui::app::Window : cannot create context"
//
// and goes to the process-wide sink (koui/host/log_sink.h), which stamps it
// with the time. A derived class overrides logObjName() and normally nothing
// else. The error forms return false and logOK returns true, so a function
// can end with `return logError("...")`. A null format writes nothing but
// still returns the usual result.
//
// Lines are assembled in a 2048-byte buffer on the caller's stack; a longer
// line is cut at 2047 bytes. No heap allocation happens per line.
#pragma once

#include <cstdarg>

#include "koui/export.h"

namespace ko::log {

class KOUI_API Obj {
public:
    virtual ~Obj() = default;

    virtual const char* logObjName();
    virtual void logMsg(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    virtual bool logErrCode(int code, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
    virtual bool logError(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    virtual bool logOK(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    virtual void logBegin(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    virtual void logEnd(const char* fmt, ...) __attribute__((format(printf, 2, 3)));

    // Writes "[BEGIN] name : text" when made and "[END  ] name : text
    // (dt=%.3f ms)" when destroyed, so the end line is written on every way
    // out of the scope. `obj` may be null (empty name).
    class ScopeLog {
    public:
        ScopeLog(Obj* obj, const char* fmt, ...) __attribute__((format(printf, 3, 4)));
        virtual ~ScopeLog();
        ScopeLog(const ScopeLog&) = delete;
        ScopeLog& operator=(const ScopeLog&) = delete;

    private:
        char text[2048];
        Obj* obj;
        double start;
    };

protected:
    // Formats tag + name + " : " + text and hands it to the sink.
    void writeLine(const char* tag, const char* fmt, va_list args) __attribute__((format(printf, 3, 0)));
};

}  // namespace ko::log
