#include "koui/res/instance.h"

#include "koui/family/appmsg.h"
#include "koui/res/png_decoder.h"

namespace koui::res {

bool Instance::decodeImage(std::vector<uint8_t>& pixels, unsigned& width, unsigned& height, unsigned& bpp,
                           const std::vector<uint8_t>& data, const std::string& extension) {
    if (extension != "png") {
        pixels.clear();
        appmsg("[ERROR] decodeImage: unsupported image type (%s)", extension.c_str());
        return false;
    }
    return decodePng(pixels, width, height, bpp, data.data(), data.size());
}

}  // namespace koui::res
