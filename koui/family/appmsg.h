// Message output of the toolkit: every diagnostic line of the library goes
// through appmsg(), one line per call, without a trailing newline.
//
// Lines land in a process-wide sink. The default sink writes the line and a
// newline to stderr. An application (or a test) installs its own sink with
// appSetMsgSink(); the sink may be called from any thread, concurrently, and
// must not call appmsg() itself.
#pragma once

#include <cstdarg>

#include "koui/export.h"

namespace ko::log {

using AppMsgSink = void (*)(const char* line, void* user);

// printf-style; formats into a stack buffer, so short lines allocate nothing.
KOUI_API void appmsg(const char* format, ...) __attribute__((format(printf, 1, 2)));
KOUI_API void appvmsg(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Installs `sink` (nullptr restores the stderr sink). Returns the previous
// sink and its user pointer through the optional out-parameters.
KOUI_API void appSetMsgSink(AppMsgSink sink, void* user, AppMsgSink* previous = nullptr,
                            void** previousUser = nullptr);

}  // namespace ko::log
