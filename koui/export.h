// KOUI_API marks the classes, functions and variables that applications
// use. The library is compiled with hidden visibility (CMakeLists.txt), so
// everything without the mark stays inside libko-ui.so.
#pragma once

#if defined(__GNUC__) || defined(__clang__)
#define KOUI_API __attribute__((visibility("default")))
#else
#define KOUI_API
#endif
