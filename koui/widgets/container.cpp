// Container: overflow limits and wheel scrolling.
#include "koui/widgets/container.h"

#include <algorithm>

namespace koui {

void Container::OnIterate(e_iterate*) {
    int cw = static_cast<int>(clientSize[0]), ch = static_cast<int>(clientSize[1]);
    if (cw < 0 || ch < 0) return;
    float right = 0, bottom = 0;
    for (Div* c : children) {
        right = std::max(right, c->realPos[0] + c->realSize[0]);
        bottom = std::max(bottom, c->realPos[1] + c->realSize[1]);
    }
    offsetLimit[0] = offsetLimit[1] = 0;
    offsetLimit[2] = std::max(0, static_cast<int>(right) - cw + 10);
    offsetLimit[3] = std::max(0, static_cast<int>(bottom) - ch + 10);
}

bool Container::OnMTEvent(e_mtevent* e) {
    if (IsDisabled() || e->type != MT_WHEEL) return false;
    childOffsetTarget[1] += e->pos[2] * scrollStep;
    return true;
}

}  // namespace koui
