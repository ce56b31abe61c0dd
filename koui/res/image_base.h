// ImageBase: common base of the image nodes, the image sources (ImgSrc) and
// the sections cut out of them (ImgSection). It holds what both share: how
// the image is drawn (plain or as a frame), how its versions lie side by
// side, and the GL texture through the getters below.
#pragma once

#include <map>

#include "koui/export.h"
#include "koui/res/img.h"
#include "koui/res/node.h"

namespace koui::res {

class KOUI_API ImageBase : public Node {
public:
    explicit ImageBase(std::string nodeName) : Node(std::move(nodeName)) {}

    // Virtual operations after those of Node, in this order. The size and
    // position getters return read-only views of two or three ints (null
    // where there is nothing to describe).
    virtual unsigned getTexID() { return 0; }
    virtual const int* getSrcPixSize() { return nullptr; }   // width, height, bits per pixel
    virtual const int* getSectionSize() { return nullptr; }  // width, height of the drawn rectangle
    virtual const int* getSectionPos();                      // top left in the source; a shared (0, 0) here
    virtual Img::Type getType() { return type; }
    virtual Img::Dist getDist() { return dist; }

    // The slot of `version`: versions[version], or defaultVer.
    int getVer(int version) const;
    // getSectionPos() moved by getVer(version) × distPixOffset along the
    // axis of `dist`; written to `out`, which is returned.
    int* getVerPos(int* out, int version);
    int getDistPixOffset() const { return distPixOffset; }
    const int* getSectionSep() const { return sectionSep; }

    // Fields, in this order.
    Img::Type type = Img::kNotReady;
    Img::Dist dist = Img::kNoDist;
    int mipmaps = 0;
    int sectionSep[2] = {0, 0};
    int distPixOffset = 0;
    std::map<int, int> versions;
    int defaultVer = 0;
};

}  // namespace koui::res
