// The process-wide log sink of the host's log objects.
//
// Every line written by a ko::log::Obj (or ko::log::print) is stamped with
// the seconds since the time base ("%12.3f ") and handed, under one lock, to
// an optional callback and an optional log file (lines end in CR LF there).
// Until the application installs one of them, lines are formatted and
// dropped. Nothing in the library installs them: that is the application's
// choice, through the functions below.
//
// No heap allocation happens per line: the line is formatted into the sink's
// own fixed buffer, which the lock protects. The callback runs under the lock
// and therefore must not log itself.
#pragma once

#include <functional>
#include <string>

#include "koui/export.h"

namespace ko::log {

// The sink: stamps and delivers one line. A null line is ignored.
KOUI_API void write(const char* line);

// printf-style line without name or tag (formatted into 2048 bytes, cut at
// 2047), passed to write() unchanged.
KOUI_API void print(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// Installs the callback that receives each stamped line (empty: none).
KOUI_API void setCallback(std::function<void(const char*)> callback);

// Opens (truncates) the log file; returns false when it cannot be opened.
// An already open file is closed first.
KOUI_API bool openFile(const std::string& path);
KOUI_API void closeFile();

// Sets the time base in the monotonic seconds of appGetTime(): lines show the
// seconds since then. setTimeBaseNow() is the usual call at start-up.
KOUI_API void setTimeBase(double seconds);
KOUI_API void setTimeBaseNow();

}  // namespace ko::log
