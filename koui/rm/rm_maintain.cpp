// Texture loading of the classic resource manager: one source image per
// call, so that a window keeps drawing its progress while images load.
#include <cstdio>
#include <cstring>

#include "koui/family/appmsg.h"
#include "koui/family/kox_dib.h"
#include "koui/family/kox_texture.h"
#include "koui/rm/rm.h"

using namespace ko::log;
using namespace ko::gl;

namespace koui {

namespace {

constexpr int kGlRgba = 0x1908;

void setName(char* name, size_t nameSize, const char* text) {
    if (name && nameSize) std::snprintf(name, nameSize, "%s", text);
}

}  // namespace

int RM::glMaintain(double* progress, char* name, size_t nameSize) {
    setName(name, nameSize, "");
    if (progress) *progress = 0;
    const int count = imgList->GetCount();
    int ready = 0;
    for (int i = 0; i < count; ++i) {
        RMCImg* image = (*imgList)(i);
        if (image->IsReady()) {
            ++ready;
            continue;
        }
        loadTexture(image, ready, count, progress, name, nameSize);
        return 0;
    }
    if (progress) *progress = 100.0;
    return 0;
}

// Makes a new texture for `image` (a failed one is retried with a fresh
// object on the next call) and reports the share ready before it.
bool RM::loadTexture(RMCImg* image, int ready, int count, double* progress, char* name, size_t nameSize) {
    delete image->texture;
    image->texture = new CkoxGL_Texture();
    const e_rmimgattr& attr = image->attr;
    if (attr.path[0]) {
        image->texture->CreateFromFile(attr.path, attr.format, attr.target);
        setName(name, nameSize, attr.path);
        if (progress) *progress = ready * 100.0 / count;
        if (attr.mask) {
            appmsg("                  MASK");
            if (image->texture->GetFormat() == kGlRgba) buildMask(image);
        }
    } else if (attr.resId != 0) {
        image->texture->CreateFromResource(attr.resId, attr.resType, attr.module, attr.format, attr.target);
        char label[32];
        std::snprintf(label, sizeof label, "imgidx=%d", 0);
        setName(name, nameSize, label);
        if (progress) *progress = ready * 100.0 / count;
    }
    return image->IsReady();
}

// The alpha channel of the image file as an 8-bit bitmap of the same size.
void RM::buildMask(RMCImg* image) {
    CstgDibSectionEx pixels;
    if (pixels.CreateFromFile(image->attr.path, 32) != 0) return;
    auto* mask = new CstgDibSection8();
    if (mask->Create(pixels.GetWidth(), pixels.GetHeight()) != 0) {
        delete mask;
        return;
    }
    for (int y = 0; y < pixels.GetHeight(); ++y) {
        const uint8_t* from = pixels.GetRow(y);
        uint8_t* to = mask->GetRow(y);
        for (int x = 0; x < pixels.GetWidth(); ++x) to[x] = from[4 * x + 3];
    }
    delete image->mask;
    image->mask = mask;
    if (rmTraceLevel >= 1) _mclog("MASK CALCULATED for (%s)", image->attr.path);
}

}  // namespace koui
