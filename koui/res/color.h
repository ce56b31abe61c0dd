// Color: a node holding one colour as four floats (red, green, blue, alpha),
// written as "#rgb", "#rrggbb" or one of the colour functions rgb, rgbf,
// rgba, rgbaf, hsl, hsla. Preprocessing makes a Color of every node that
// isClass() accepts; reading the parameters into `rgba` is OnProcess's job.
#pragma once

#include <glm/vec4.hpp>

#include "koui/res/node.h"

namespace koui::res {

class Color : public Node {
public:
    explicit Color(std::string nodeName) : Node(std::move(nodeName)) {}

    // A value of '#' and exactly 3 or 6 hexadecimal digits (bytes after the
    // digits are not looked at), or a function named like a colour function.
    static bool isClass(const Node* node);
    static bool isColorFunction(std::string_view name);

    glm::vec4 getColorvec4() const { return {rgba[0], rgba[1], rgba[2], rgba[3]}; }

    float rgba[4] = {0.0f, 0.0f, 0.0f, 0.0f};
};

}  // namespace koui::res
