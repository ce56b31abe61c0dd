// Module resources: byte blobs that an application embeds in its program and
// finds again by module, numeric id and type name.
//
// Linux executables carry no resource section, so the blobs live in a small
// process-wide registry instead. An application (or a test) registers each
// blob once at start-up, typically from data compiled into the program, and
// the classic resource manager later reads it with
// stmmGeneralGetResourceVector() exactly as it would read a resource of the
// executable.
//
// A module is any HINSTANCE value the application picks as a key (for a
// plug-in, say, the address of something of its own, cast); the null module
// stands for the program itself, which is what callers mean when they pass
// no module. Type names compare without regard to case, as resource type
// names always have.
#pragma once

#include <cstddef>
#include <cstdint>

#include "koui/export.h"
#include "koui/platform/win32_types.h"

namespace ko::util {

// Copies `size` bytes of `data` into the registry under (module, id, type).
// Returns false, logging why, when the key is taken already (a resource is
// immutable once registered), when `type` is null or empty, or when `data`
// is null while `size` is not 0.
KOUI_API bool stmmRegisterResource(koui::win32::HINSTANCE module, int resId, const char* resType,
                                   const void* data, size_t size);

// Removes one registered blob; pointers obtained for it become invalid.
// Returns false when there was none.
KOUI_API bool stmmUnregisterResource(koui::win32::HINSTANCE module, int resId, const char* resType);

// The bytes registered under (module, id, type), with their count in *size
// (when size is not null), or null (and *size = 0) when there are none. The
// pointer stays valid until that blob is unregistered. Safe from any thread.
KOUI_API const uint8_t* stmmGeneralGetResourceVector(koui::win32::HINSTANCE module, int resId,
                                                     const char* resType, size_t* size);

}  // namespace ko::util
