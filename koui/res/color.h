// Color: a node holding one colour as four floats (red, green, blue, alpha),
// written as "#rgb", "#rrggbb" or one of the colour functions rgb, rgbf,
// rgba, rgbaf, hsl, hsla. Preprocessing makes a Color of every node that
// isClass() accepts; OnProcess reads the value or the function's parameters
// into `rgba`.
//
// A colour never fails: text that does not parse leaves (0, 0, 0, 0) for a
// hexadecimal value and (0, 0, 0, 1) for a function. Values are not clamped,
// so rgbf(2, 0, 0) keeps its 2.
#pragma once

#include <glm/vec4.hpp>

#include "koui/export.h"
#include "koui/res/node.h"

namespace koui::res {

class KOUI_API Color : public Node {
public:
    explicit Color(std::string nodeName) : Node(std::move(nodeName)) {}

    // Always true; see the class comment.
    bool OnProcess() override;
    // Takes over the four floats of `source`, which must be a Color (false
    // otherwise, leaving this colour as it is).
    bool OnSourceResUpdate(bool flag, Node* source) override;

    // A value of '#' and exactly 3 or 6 hexadecimal digits (bytes after the
    // digits are not looked at), or a function named like a colour function.
    static bool isClass(const Node* node);
    static bool isColorFunction(std::string_view name);

    // Parses "#rgb" or "#rrggbb" (bytes after the digits ignored) into `out`
    // with alpha 1; with `out` null it only validates. False for anything
    // else, leaving `out` alone.
    static bool hexColor2rgba(float* out, const char* text);
    // Hue in degrees, the others in 0..1. A hue outside [0, 360) matches no
    // sector, so red, green and blue keep what `out` held before the
    // lightness offset is added. Always true.
    static bool hsla2rgba(float* out, float h, float s, float l, float a);
    // The value of one hexadecimal digit, 0 for any other character.
    static unsigned hex2dec(int c);

    glm::vec4 getColorvec4() const { return {rgba[0], rgba[1], rgba[2], rgba[3]}; }

    float rgba[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

}  // namespace koui::res
