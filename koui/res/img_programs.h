// The GLSL 3.30 source texts of the two image programs that Img::draw uses.
// Both draw one quad without vertex buffers: vertex i (0..3) is the corner
// (0, 0), (1, 0), (0, 1), (1, 1) of the target rectangle, drawn as a
// triangle strip with an empty vertex array bound.
#pragma once

#include "koui/export.h"

namespace koui::res::programs {

// Image program: fits, covers or scales a texture section into the target
// rectangle, aligned per axis, optionally flipped; outside the image the
// fragment takes `bg_color`.
KOUI_API extern const char* const kImageVertex;
KOUI_API extern const char* const kImageFragment;

// Frame program: copies the leading and trailing bands of a section 1:1 and
// repeats its middle band, in whole target pixels.
KOUI_API extern const char* const kFrameVertex;
KOUI_API extern const char* const kFrameFragment;

}  // namespace koui::res::programs
