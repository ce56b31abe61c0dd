// Font: a node naming a font file and a pixel size, from which the resource
// instance makes GL fonts. Preprocessing makes a Font of every node with a
// childless child "font" (the flag `font`, or a parameter `font: file`).
#pragma once

#include "koui/res/node.h"

namespace koui::res {

class Font : public Node {
public:
    explicit Font(std::string nodeName) : Node(std::move(nodeName)) {}

    static bool isClass(const Node* node) { return node && node->hasFlag("font"); }
};

}  // namespace koui::res
