// Stand-in that keeps the library linkable until the resource layer's PNG
// decoder is built into it; the decoder's own definition replaces this weak one.
#include "koui/family/png_contract.h"

#include "koui/family/appmsg.h"

namespace koui::res {
__attribute__((weak)) bool decodePng(std::vector<uint8_t>& pixels, unsigned& width, unsigned& height,
                                     unsigned& bpp, const uint8_t*, size_t) {
    pixels.clear();
    width = height = bpp = 0;
    appmsg("[ERROR] png decoder not built into this library");
    return false;
}
}  // namespace koui::res
