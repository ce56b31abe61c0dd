// Result codes shared by the koxMM stand-ins (textures, frame buffers,
// bitmap fonts, pixel bitmaps): 0 is success; KOX_ERROR marks invalid
// arguments, a missing file or resource, or data that cannot be used. The
// reason always goes out through appmsg.
#pragma once

namespace ko::gl {

constexpr int KOX_OK = 0;
constexpr int KOX_ERROR = 0x10000000;

}  // namespace ko::gl
