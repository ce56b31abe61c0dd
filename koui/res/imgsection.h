// ImgSection: a rectangle cut out of an image source, a node with the flag
// `img`. Positions count grid cells of the source, sizes count pixels.
//
//     skin {
//       imgsrc  src: "Images/skin.png"  grid: 16
//       button { img  pos: 2,1  size: 32,16  hdist: 32  ver: 0,2,1  default: 0 }
//       box    { img  pos: 0,4  size: 8  sep: 10  frame }
//     }
//     other { img: skin  pos: 0,0  size: 4 }     a section outside its source
//
// The source is the parent, or the node named by the value of `img` or
// `src` (a path from the root). `hdist` / `vdist` put the versions side by
// side at that pixel distance (hdist wins when both are given); `ver` maps
// version indexes to slots and `default` is the slot of any other index.
// `frame` draws with the frame program: three bands of `size` pixels at
// offsets 0, sep and 2 × sep per axis.
//
// Messages recorded on the node: "img: imsrc parent defined in src: not
// found", "img: imsrc parent defined in src: is not of imgsrc type",
// "img: img class must be child of imgsrc type or be defined by src:",
// "Invalid position (%d,%d), position values should be
// positive", "img: Invalid size (%dx%d)", and, for pixel positions beyond
// int, "img: Position (%d,%d) out of range for grid %dx%d" and "img: Version
// slot %d at distance %d out of range".
#pragma once

#include "koui/export.h"
#include "koui/res/image_base.h"
#include "koui/res/imgsrc.h"

namespace koui::res {

class KOUI_API ImgSection : public ImageBase {
public:
    explicit ImgSection(std::string nodeName) : ImageBase(std::move(nodeName)) {}

    bool OnProcess() override;
    bool isOK() override { return source != nullptr; }
    unsigned getTexID() override { return source ? source->getTexID() : 0; }
    const int* getSrcPixSize() override { return source ? source->getSrcPixSize() : nullptr; }
    const int* getSectionSize() override { return pixSize; }
    const int* getSectionPos() override { return pixPos; }

    static bool isClass(const Node* node) { return node && node->hasFlag("img"); }

    // Fields, in this order.
    ImgSrc* source = nullptr;  // not owned; lives in the same tree
    int gridPos[2] = {0, 0};
    int pixPos[2] = {0, 0};
    int pixSize[2] = {0, 0};

private:
    // The node named by the value of the direct child `key` (a path from
    // the root) into `candidate`; false with a message when it names
    // nothing or no image source. Leaves `candidate` when the value is empty.
    bool sourceFromChild(const char* key, Node*& candidate);
};

}  // namespace koui::res
