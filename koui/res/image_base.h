// ImageBase: common base of the image nodes (image sources and the sections
// cut out of them).
#pragma once

#include "koui/res/node.h"

namespace koui::res {

class ImageBase : public Node {
public:
    explicit ImageBase(std::string nodeName) : Node(std::move(nodeName)) {}
};

}  // namespace koui::res
