// Reading the frame a GL cycle has drawn and writing it as a PNG file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace hello {

// The back buffer of the current context, w x h pixels from the window's
// top left, 8-bit RGBA with rows top first and alpha made opaque (the
// window's buffer may carry no alpha). Call it on the GL thread after the
// cycle has drawn and before it swaps.
std::vector<uint8_t> readBackBuffer(int w, int h);

// Writes 8-bit RGBA pixels (rows top first) as a PNG file; false with
// nothing left behind when it cannot.
bool writePng(const std::string& path, int w, int h, const std::vector<uint8_t>& rgba);

}  // namespace hello
