// Image files for the koxMM stand-ins: reading a file or a module resource
// and decoding it to 8-bit RGBA pixels, rows top first. The only format is
// PNG, decoded by the toolkit's own decoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "koui/export.h"

namespace ko::gl {

// Decodes encoded image bytes. `format` names the format ("png", any case);
// null or empty means "png". False, with the reason through appmsg naming
// `what`, for another format or bytes that do not decode.
KOUI_API bool koxDecodeImage(const uint8_t* data, size_t size, const char* format, const char* what,
                             std::vector<uint8_t>& rgba, unsigned& width, unsigned& height);

// Reads the whole file and decodes it as above.
KOUI_API bool koxLoadImageFile(const char* path, const char* format, std::vector<uint8_t>& rgba,
                               unsigned& width, unsigned& height);

// The whole content of a file; false (with a message) when it cannot be read.
KOUI_API bool koxReadFile(const char* path, std::vector<uint8_t>& bytes);

}  // namespace ko::gl
