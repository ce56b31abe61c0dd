// ImgSrc: an image source, a node with the flag `imgsrc` naming an image file.
#pragma once

#include "koui/res/image_base.h"

namespace koui::res {

class ImgSrc : public ImageBase {
public:
    explicit ImgSrc(std::string nodeName) : ImageBase(std::move(nodeName)) {}

    static bool isClass(const Node* node) { return node && node->hasFlag("imgsrc"); }
};

}  // namespace koui::res
