#include "koui/res/imgsection.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <vector>

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
    // Pixel positions are ints, and so is each version's (getVerPos): a
    // definition whose numbers leave that range is refused here, with a
    // message, instead of overflowing at every draw.
    const int64_t x = int64_t{source->grid[0]} * gridPos[0], y = int64_t{source->grid[1]} * gridPos[1];
    if (x > INT_MAX || y > INT_MAX)
        return error("img: Position (%d,%d) out of range for grid %dx%d", gridPos[0], gridPos[1],
                     source->grid[0], source->grid[1]);
    pixPos[0] = static_cast<int>(x);
    pixPos[1] = static_cast<int>(y);

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
    if (dist != Img::kNoDist) {
        // getVerPos adds slot × distance to the position (which is not
        // negative): both must stay ints for every slot a version can get.
        const int64_t start = pixPos[dist == Img::kHorizontal ? 0 : 1];
        std::vector<int> slots{defaultVer};
        for (const auto& entry : versions) slots.push_back(entry.second);
        for (const int slot : slots) {
            const int64_t shift = int64_t{slot} * distPixOffset;
            if (shift < INT_MIN || start + shift > INT_MAX)
                return error("img: Version slot %d at distance %d out of range", slot, distPixOffset);
        }
    }
    return true;
}

}  // namespace koui::res
