#include "koui/res/color.h"

#include <array>
#include <cctype>
#include <cmath>

namespace koui::res {

namespace {

constexpr std::array<std::string_view, 6> kColorFunctions = {"rgb", "rgbf", "rgba", "rgbaf", "hsl", "hsla"};

// Number of hexadecimal digits right after the leading '#'.
size_t hexDigitsAfterHash(const char* text) {
    size_t digits = 0;
    while (std::isxdigit(static_cast<unsigned char>(text[1 + digits]))) ++digits;
    return digits;
}

}  // namespace

bool Color::isColorFunction(std::string_view functionName) {
    for (std::string_view f : kColorFunctions)
        if (f == functionName) return true;
    return false;
}

bool Color::isClass(const Node* node) {
    if (!node) return false;
    if (node->hasFunc()) return isColorFunction(node->func.str());
    return hexColor2rgba(nullptr, node->valueText.c_str());
}

unsigned Color::hex2dec(int c) {
    if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
    if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
    if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
    return 0;
}

bool Color::hexColor2rgba(float* out, const char* text) {
    if (!text || text[0] != '#' || text[1] == 0) return false;
    const size_t digits = hexDigitsAfterHash(text);
    if (digits != 3 && digits != 6) return false;
    if (!out) return true;
    const char* d = text + 1;
    for (int i = 0; i < 3; ++i) {
        const unsigned byte =
            digits == 6 ? hex2dec(d[2 * i]) * 16 + hex2dec(d[2 * i + 1]) : hex2dec(d[i]) * 17;
        out[i] = static_cast<float>(byte) / 255.0f;
    }
    out[3] = 1.0f;
    return true;
}

bool Color::hsla2rgba(float* out, float h, float s, float l, float a) {
    const float c = (1.0f - std::fabs(2.0f * l - 1.0f)) * s;
    const float x = c * (1.0f - std::fabs(std::fmod(h / 60.0f, 2.0f) - 1.0f));
    const float m = l - c / 2.0f;
    auto set = [out](float r, float g, float b) {
        out[0] = r;
        out[1] = g;
        out[2] = b;
    };
    if (h >= 0 && h < 60)
        set(c, x, 0);
    else if (h >= 60 && h < 120)
        set(x, c, 0);
    else if (h >= 120 && h < 180)
        set(0, c, x);
    else if (h >= 180 && h < 240)
        set(0, x, c);
    else if (h >= 240 && h < 300)
        set(x, 0, c);
    else if (h >= 300 && h < 360)
        set(c, 0, x);
    for (int i = 0; i < 3; ++i) out[i] += m;
    out[3] = a;
    return true;
}

bool Color::OnProcess() {
    if (func.empty()) {
        if (!valueText.empty()) hexColor2rgba(rgba, valueText.c_str());
        return true;
    }
    rgba[3] = 1.0f;
    // A missing parameter counts as 0.
    auto i = [this](int n) { return getIntPar(n, 0); };
    auto f = [this](int n) { return getFloatPar(n, 0.0f); };
    if (func == "rgb" || func == "rgba") {
        const int channels = func == "rgb" ? 3 : 4;
        for (int n = 0; n < channels; ++n) rgba[n] = static_cast<float>(i(n)) / 255.0f;
    } else if (func == "rgbf" || func == "rgbaf") {
        const int channels = func == "rgbf" ? 3 : 4;
        for (int n = 0; n < channels; ++n) rgba[n] = f(n);
    } else if (func == "hsl") {
        hsla2rgba(rgba, std::fmod(f(0), 360.0f), f(1) / 100.0f, f(2) / 100.0f, 1.0f);
    } else if (func == "hsla") {
        hsla2rgba(rgba, std::fmod(f(0), 360.0f), f(1) / 100.0f, f(2) / 100.0f, f(3));
    }
    return true;
}

bool Color::OnSourceResUpdate(bool /*flag*/, Node* source) {
    const auto* other = dynamic_cast<const Color*>(source);
    if (!other) return false;
    for (int n = 0; n < 4; ++n) rgba[n] = other->rgba[n];
    return true;
}

}  // namespace koui::res
