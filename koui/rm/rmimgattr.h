// How a source image of the classic resource manager is loaded. Two source
// images are the same image exactly when their blocks are equal byte for
// byte, so the block is always zero-filled before its fields are set (bytes
// after each string's terminator are zero) and holds no padding.
#pragma once

#include <cstddef>
#include <cstdint>

#include "koui/export.h"
#include "koui/family/module_resources.h"

namespace koui {

inline constexpr int kRmTexture2D = 3553;  // GL_TEXTURE_2D, the target of every source image

struct KOUI_API e_rmimgattr {
    char path[260];           // file path, empty for a resource image
    int32_t resId;            // resource id, 0 for a file image
    char resType[256];        // resource type name
    win32::HINSTANCE module;  // module that holds the resource
    char format[32];          // image format name ("png")
    int32_t target;           // texture target
    int32_t param;            // second load parameter (1 from the definition file; unused here)
    int32_t mask;             // non-zero: build the alpha mask when the texture loads
    int32_t reserved;         // zero
};

static_assert(sizeof(e_rmimgattr) == 576);
static_assert(offsetof(e_rmimgattr, resId) == 260 && offsetof(e_rmimgattr, resType) == 264 &&
              offsetof(e_rmimgattr, module) == 520 && offsetof(e_rmimgattr, format) == 528 &&
              offsetof(e_rmimgattr, target) == 560 && offsetof(e_rmimgattr, param) == 564 &&
              offsetof(e_rmimgattr, mask) == 568 && offsetof(e_rmimgattr, reserved) == 572);

}  // namespace koui
