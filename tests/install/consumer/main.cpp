// A tiny application built against an installed copy of the library.
#include <cstdio>

#include "koui/family/appmsg.h"
#include "koui/family/strpar.h"

using namespace ko::log;

static void sink(const char* line, void*) {
    std::printf("consumer: %s\n", line);
}

int main() {
    appSetMsgSink(sink, nullptr);
    const auto pars = ko::util::StrPar::split("a,b", ',');
    if (pars.count() != 2) return 1;
    appmsg("%s", "ok");
    return 0;
}
