// A tiny application built against an installed copy of the library.
#include <cstdio>

#include "koui/family/appmsg.h"
#include "koui/family/strpar.h"
#include "koui/platform/win32_names.h"

using namespace ko::log;

static void sink(const char* line, void*) {
    std::printf("consumer: %s\n", line);
}

int main() {
    appSetMsgSink(sink, nullptr);
    const auto pars = ko::util::StrPar::split("a,b", ',');
    if (pars.count() != 2) return 1;
    // The window layer's names, unqualified through win32_names.h.
    SetLastError(ERROR_ACCESS_DENIED);
    if (GetLastError() != ERROR_ACCESS_DENIED || WM_CLOSE != 0x0010) return 1;
    appmsg("%s", "ok");
    return 0;
}
