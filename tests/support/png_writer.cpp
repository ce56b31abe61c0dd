#include "tests/support/png_writer.h"

#include "koui/family/png_encoder.h"

namespace koui::test {

bool writePng(const std::string& path, int width, int height, const uint8_t* rgba) {
    return ko::png::writePng(path, width, height, rgba);
}

}  // namespace koui::test
