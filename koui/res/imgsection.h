// ImgSection: a rectangle cut out of an image source, a node with the flag
// `img`.
#pragma once

#include "koui/res/image_base.h"

namespace koui::res {

class ImgSection : public ImageBase {
public:
    explicit ImgSection(std::string nodeName) : ImageBase(std::move(nodeName)) {}

    static bool isClass(const Node* node) { return node && node->hasFlag("img"); }
};

}  // namespace koui::res
