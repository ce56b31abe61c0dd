#include "koui/family/kox_image_file.h"

#include <strings.h>

#include <fstream>
#include <iterator>

#include "koui/family/appmsg.h"
#include "koui/family/png_decoder.h"

using namespace ko::log;

namespace ko::gl {

bool koxReadFile(const char* path, std::vector<uint8_t>& bytes) {
    bytes.clear();
    if (!path || !*path) {
        appmsg("[ERROR] kox: no file name");
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        appmsg("[ERROR] kox: cannot open file %s", path);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        appmsg("[ERROR] kox: cannot read file %s", path);
        return false;
    }
    return true;
}

bool koxDecodeImage(const uint8_t* data, size_t size, const char* format, const char* what,
                    std::vector<uint8_t>& rgba, unsigned& width, unsigned& height) {
    if (format && *format && strcasecmp(format, "png") != 0) {
        appmsg("[ERROR] kox: image format \"%s\" of %s is not supported (only png)", format, what);
        return false;
    }
    unsigned bpp = 0;
    if (!data || !size || !ko::png::decodePng(rgba, width, height, bpp, data, size) || bpp != 32 || !width ||
        !height || rgba.size() != static_cast<size_t>(width) * height * 4) {
        appmsg("[ERROR] kox: cannot decode %s as png", what);
        return false;
    }
    return true;
}

bool koxLoadImageFile(const char* path, const char* format, std::vector<uint8_t>& rgba, unsigned& width,
                      unsigned& height) {
    std::vector<uint8_t> bytes;
    if (!koxReadFile(path, bytes)) return false;
    return koxDecodeImage(bytes.data(), bytes.size(), format, path, rgba, width, height);
}

}  // namespace ko::gl
