// Div: classic resources through the UI instance's resource manager, and
// the image-set size that Create adopts.
#include "koui/host/instance.h"
#include "koui/rm/rm.h"
#include "koui/ui/div.h"

using namespace ko::gl;

namespace koui {

namespace {
RM* managerOf(Div* d) {
    Instance* inst = d->dGetInstance();
    return inst ? inst->rm : nullptr;
}

// Returned for a missing colour; callers may read it but must not write.
float kDefaultColorF[4] = {1, 1, 1, 1};
double kDefaultColorD[4] = {1, 1, 1, 1};
}  // namespace

// Image sets of kinds 1, 30 and 31 give the element their size.
void Div::adoptImageSetSize() {
    imageSet = resId.empty() ? nullptr : rmimgset(resId.c_str());
    if (!imageSet) return;
    int kind = imageSet->setKind;
    if (kind == kRmKindPart || kind == kRmKindMPartH || kind == kRmKindMPartV) {
        size[0] = static_cast<float>(imageSet->GetWidth());
        size[1] = static_cast<float>(imageSet->GetHeight());
        sizeUnits = 0;
    }
}

RMImgSet* Div::rmimgset(const char* n) {
    RM* rm = managerOf(this);
    return rm && n ? rm->rmimgset(n) : nullptr;
}

RMCImg* Div::rmcimg(const char* n) {
    RM* rm = managerOf(this);
    return rm && n ? rm->rmcimg(n) : nullptr;
}

RMImg* Div::rmimg(const char* n, int index, int sub) {
    RM* rm = managerOf(this);
    return rm && n ? rm->rmimg(n, index, sub) : nullptr;
}

int Div::rmimgDraw(const char* n, int index, double r, double g, double b, double a, int sub) {
    RMImg* img = rmimg(n, index, sub);
    if (!img) return 0x10000000;
    img->Draw(r, g, b, a);
    return 0;
}

int Div::rmimgDrawRect(const char* n, int index, double w, double h, double r, double g, double b, double a,
                       int sub) {
    RMImg* img = rmimg(n, index, sub);
    if (!img) return 0x10000000;
    img->DrawRect(static_cast<int>(w), static_cast<int>(h), r, g, b, a);
    return 0;
}

CkoxGL_Font* Div::rmglfont(const char* n) {
    RM* rm = managerOf(this);
    return rm && n ? rm->rmglfont(n) : nullptr;
}

RMFmtFont* Div::rmfmtfont(const char* n) {
    RM* rm = managerOf(this);
    return rm && n ? rm->rmfmtfont(n) : nullptr;
}

RMColor* Div::rmcolor(const char* n) {
    RM* rm = managerOf(this);
    return rm && n ? rm->rmcolor(n) : nullptr;
}

float* Div::rmcolorf(const char* n) {
    RMColor* c = rmcolor(n);
    return c ? c->rgbaf : kDefaultColorF;
}

double* Div::rmcolord(const char* n) {
    RMColor* c = rmcolor(n);
    return c ? c->rgbad : kDefaultColorD;
}

}  // namespace koui
