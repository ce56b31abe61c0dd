#include "koui/rm/rmcimg.h"

#include <cstring>

#include "koui/family/kox_dib.h"
#include "koui/family/kox_texture.h"
#include "koui/family/stfile.h"

using namespace koui::win32;
using namespace ko::util;

namespace koui {

RMCImg::RMCImg() = default;

RMCImg::~RMCImg() {
    delete texture;
    delete mask;
}

bool RMCImg::IsReady() const {
    return texture && texture->GetWidth() >= 1 && texture->GetHeight() >= 1;
}
int RMCImg::GetTextureWidth() const {
    return texture ? texture->GetWidth() : 0;
}
int RMCImg::GetTextureHeight() const {
    return texture ? texture->GetHeight() : 0;
}

namespace {

// Copies `text` into a zero-filled field; false when it does not fit.
template <size_t N>
bool setField(char (&field)[N], const char* text) {
    const size_t length = text ? std::strlen(text) : 0;
    if (length >= N) return false;
    if (length) std::memcpy(field, text, length);
    return true;
}

}  // namespace

RMCImg* RMCImgList::AddByFilePath(const char* id, const char* path, const char* format, int target, int param,
                                  int mask) {
    if (!path || !stosFileExists(path)) return nullptr;
    e_rmimgattr attr{};
    if (!setField(attr.path, path)) return nullptr;
    if (format) {
        if (!setField(attr.format, format)) return nullptr;
    } else {
        stGetFileExtension(attr.format, path, sizeof attr.format);
    }
    attr.target = target;
    attr.param = param;
    attr.mask = mask;
    return addUnique(id, attr);
}

RMCImg* RMCImgList::AddByRes(const char* id, int resId, const char* resType, HINSTANCE module,
                             const char* format, int target, int param, int mask) {
    e_rmimgattr attr{};
    if (!resType || !setField(attr.resType, resType)) return nullptr;
    if (!setField(attr.format, format ? format : "png")) return nullptr;
    attr.resId = resId;
    attr.module = module;
    attr.target = target;
    attr.param = param;
    attr.mask = mask;
    return addUnique(id, attr);
}

RMCImg* RMCImgList::addUnique(const char* id, const e_rmimgattr& attr) {
    if (RMCImg* existing = FindByAttr(attr)) return existing;
    auto* image = new RMCImg();
    image->attr = attr;
    image->setname(id);
    Add(image);
    return image;
}

RMCImg* RMCImgList::FindByAttr(const e_rmimgattr& attr) const {
    for (int i = 0; i < GetCount(); ++i) {
        RMCImg* image = items_.Get(i);
        if (std::memcmp(&image->attr, &attr, sizeof attr) == 0) return image;
    }
    return nullptr;
}

RMCImg* RMCImgList::FindByID(const char* id) const {
    if (!id) return nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        RMCImg* image = items_.Get(i);
        if (std::strcmp(image->getname(), id) == 0) return image;
    }
    return nullptr;
}

int RMCImgList::Add(RMCImg* image) {
    if (!image) return kMcInvalid;
    image->_mcSetParent(this);
    items_.Add(image);
    return 0;
}

}  // namespace koui
