// koui::res::Instance: the resource instance of a window. It loads the
// resource definitions from a folder or an archive, serves them to the
// elements and reloads them when they change.
//
// The rest of the resource instance is built on top of this class; so far it
// holds the image decoding that image sources call.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace koui::res {

class Instance {
public:
    // Decodes an image file's bytes to pixels. `extension` is the file's
    // extension without its dot, already lowered by the caller (image sources
    // pass "png" for "Images/A.PNG"); only "png" is accepted, compared exactly.
    // On success `pixels` holds width × height RGBA pixels, top row first, and
    // `bpp` is 32. On failure false with one message saying why.
    static bool decodeImage(std::vector<uint8_t>& pixels, unsigned& width, unsigned& height, unsigned& bpp,
                            const std::vector<uint8_t>& data, const std::string& extension);
};

}  // namespace koui::res
