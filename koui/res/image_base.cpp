#include "koui/res/image_base.h"

namespace koui::res {

namespace {
constexpr int kNoSectionPos[2] = {0, 0};
}

const int* ImageBase::getSectionPos() {
    return kNoSectionPos;
}

int ImageBase::getVer(int version) const {
    const auto it = versions.find(version);
    return it != versions.end() ? it->second : defaultVer;
}

int* ImageBase::getVerPos(int* out, int version) {
    const int* pos = getSectionPos();
    out[0] = pos ? pos[0] : 0;
    out[1] = pos ? pos[1] : 0;
    const int shift = getVer(version) * distPixOffset;
    if (dist == Img::kHorizontal)
        out[0] += shift;
    else if (dist == Img::kVertical)
        out[1] += shift;
    return out;
}

}  // namespace koui::res
