#include "koui/rm/rmimg.h"

#include <climits>

#include "koui/rm/rmcimg.h"

namespace koui {

RMImg::RMImg(int id, RMCImg* src) : imageId(id), source(src) {}

RMImg::RMImg(int id, RMCImg* src, int x0, int y0, int w0, int h0, int k)
    : kind(k), imageId(id), source(src), x(x0), y(y0), w(w0), h(h0) {}

bool RMImg::IsReady() const {
    return source && source->IsReady();
}

namespace {

bool hasOwnSize(int kind) {
    return kind == kRmKindPart || kind == kRmKindRect || kind == kRmKindHBar || kind == kRmKindVBar ||
           kind == kRmKindGlyph;
}

// Three cells of a size that came from a definition file, kept in range.
int threeCells(int cell) {
    const long long total = 3LL * cell;
    return total > INT_MAX ? INT_MAX : (total < INT_MIN ? INT_MIN : static_cast<int>(total));
}

}  // namespace

int RMImg::GetWidth() const {
    if (hasOwnSize(kind)) return w;
    return IsReady() ? source->GetTextureWidth() : 0;
}

int RMImg::GetHeight() const {
    if (hasOwnSize(kind)) return h;
    return IsReady() ? source->GetTextureHeight() : 0;
}

int RMImg::GetMinWidth() const {
    if (kind == kRmKindPart || kind == kRmKindVBar) return w;
    if (kind == kRmKindRect || kind == kRmKindHBar) return threeCells(w);
    return IsReady() ? source->GetTextureWidth() : 0;
}

int RMImg::GetMinHeight() const {
    if (kind == kRmKindPart || kind == kRmKindHBar) return h;
    if (kind == kRmKindRect || kind == kRmKindVBar) return threeCells(h);
    return IsReady() ? source->GetTextureHeight() : 0;
}

void RMImg::sourceRect(double& sx, double& sy, double& sw, double& sh) const {
    if (isWholeSource()) {
        sx = sy = 0;
        sw = source->GetTextureWidth();
        sh = source->GetTextureHeight();
        return;
    }
    sx = x;
    sy = y;
    sw = w;
    sh = h;
}

}  // namespace koui
