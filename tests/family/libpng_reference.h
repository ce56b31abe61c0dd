// libpng's decoding, brought to the form the toolkit's decoder promises.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace koui::test {

struct ReferenceImage {
    unsigned width = 0;
    unsigned height = 0;
    std::vector<uint8_t> rgba;
};

// False (with `error` set) when libpng refuses the data.
bool decodeWithLibpng(const std::vector<uint8_t>& data, ReferenceImage& out, std::string& error);

}  // namespace koui::test
