#include "koui/family/hexcolor.h"

namespace ko::util {

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool stReadHexColor(float* rgba, const char* text, int components, float max) {
    if (!rgba || !text || components < 1 || components > 4) return false;

    int count = 0;
    while (count < 9 && hexDigit(text[count]) >= 0) ++count;

    float channel[4] = {max, max, max, max};
    if (count == 3 || count == 4) {
        for (int i = 0; i < count; ++i) channel[i] = static_cast<float>(hexDigit(text[i])) / 15.0f * max;
    } else if (count == 6 || count == 8) {
        for (int i = 0; i < count / 2; ++i) {
            const int byte = hexDigit(text[2 * i]) * 16 + hexDigit(text[2 * i + 1]);
            channel[i] = static_cast<float>(byte) / 255.0f * max;
        }
    } else {
        return false;
    }
    for (int i = 0; i < components; ++i) rgba[i] = channel[i];
    return true;
}

}  // namespace ko::util
