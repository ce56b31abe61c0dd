// Untrusted image bytes through Instance::decodeImage. A decoded image must be
// exactly width × height RGBA pixels; everything else must be refused cleanly.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "koui/family/appmsg.h"
#include "koui/res/instance.h"

using namespace ko::log;

namespace {
void discard(const char*, void*) {}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool quiet = (appSetMsgSink(discard, nullptr), true);
    (void)quiet;
    const std::vector<uint8_t> file(data, data + size);
    std::vector<uint8_t> pixels;
    unsigned width = 0, height = 0, bpp = 0;
    if (koui::res::Instance::decodeImage(pixels, width, height, bpp, file, "png")) {
        if (width == 0 || height == 0 || bpp != 32 || pixels.size() != size_t{width} * height * 4)
            std::abort();
    } else if (!pixels.empty()) {
        std::abort();
    }
    return 0;
}
