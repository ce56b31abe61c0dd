#include "koui/res/imgsection.h"

#include <cstdlib>

namespace koui::res {

namespace {

// Pieces 1 and 2 of a "a,b" value: the first (0 when missing) and the second
// (the first when missing).
void readPair(const ko::util::StrPar& pieces, int* out) {
    out[0] = pieces.has(0) ? std::atoi(pieces.at(0)->c_str()) : 0;
    out[1] = pieces.has(1) ? std::atoi(pieces.at(1)->c_str()) : out[0];
}

}  // namespace

bool ImgSection::sourceFromChild(const char* key, Node*& candidate) {
    Node* found = findNodeFromRoot(value(key));
    if (!found) return error("img: imsrc parent defined in src: not found");
    if (!dynamic_cast<ImgSrc*>(found))
        return error("img: imsrc parent defined in src: is not of imgsrc type");
    candidate = found;
    return true;
}

bool ImgSection::OnProcess() {
    Node* candidate = parent;
    if (!value("img").empty() && !sourceFromChild("img", candidate)) return false;
    if (hasValue("src") && !sourceFromChild("src", candidate)) return false;
    source = dynamic_cast<ImgSrc*>(candidate);
    if (!candidate || !source)
        return error("img: img class must be child of imgsrc type or be defined by src:");

    const ko::util::StrPar pos = splitNodeValue("pos", ',');
    gridPos[0] = pos.has(0) ? std::atoi(pos.at(0)->c_str()) : 0;
    gridPos[1] = pos.has(1) ? std::atoi(pos.at(1)->c_str()) : 0;
    if (gridPos[0] < 0 || gridPos[1] < 0)
        return error("Invalid position (%d,%d), position values should be positive", gridPos[0], gridPos[1]);
    readPair(splitNodeValue("size", ','), pixSize);
    if (pixSize[0] < 1 || pixSize[1] < 1) return error("img: Invalid size (%dx%d)", pixSize[0], pixSize[1]);
    readPair(splitNodeValue("sep", ','), sectionSep);
    pixPos[0] = source->grid[0] * gridPos[0];
    pixPos[1] = source->grid[1] * gridPos[1];

    type = hasFlag("frame") ? Img::kFrame : Img::kImage;
    if (hasFlag("vdist")) {
        dist = Img::kVertical;
        distPixOffset = value1i("vdist", 0);
    }
    if (hasFlag("hdist")) {
        dist = Img::kHorizontal;
        distPixOffset = value1i("hdist", 0);
    }
    if (hasFlag("ver")) {
        const ko::util::StrPar slots = splitNodeValue("ver", ',');
        for (int i = 0; i < slots.count(); ++i) versions[i] = std::atoi(slots.at(i)->c_str());
    }
    defaultVer = value1i("default", 0);
    return true;
}

}  // namespace koui::res
