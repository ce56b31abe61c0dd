// Source images of the classic resource manager and their list.
//
// A source image (RMCImg) names a bitmap file or a module resource; its GL
// texture is made later, one image per RM::glMaintain call. The list owns its
// images (they are Cmc children of the list) and releases them, with their
// textures and masks, when it is destroyed.
#pragma once

#include "koui/export.h"
#include "koui/family/cmc.h"
#include "koui/family/stmarray.h"
#include "koui/rm/rmimgattr.h"

namespace ko::gl {
class CkoxGL_Texture;
class CstgDibSection8;
}  // namespace ko::gl

namespace koui {

class RM;

class KOUI_API RMCImg : public ko::util::Cmc {
    KOUI_MC_CLASS(RMCImg, "koui::RMCImg")
public:
    RMCImg();
    ~RMCImg() override;

    // Ready once its texture exists with a size of at least 1 x 1.
    virtual bool IsReady() const;
    // Texture size in pixels, 0 before the texture is loaded.
    int GetTextureWidth() const;
    int GetTextureHeight() const;

    ko::gl::CkoxGL_Texture* texture = nullptr;  // owned; made by RM::glMaintain
    ko::gl::CstgDibSection8* mask = nullptr;    // owned; 8-bit alpha mask, when asked for
    e_rmimgattr attr{};
    int32_t gridX = 1;
    int32_t gridY = 1;
};

class KOUI_API RMCImgList : public ko::util::Cmc {
    KOUI_MC_CLASS(RMCImgList, "koui::RMCImgList")
public:
    RMCImgList() = default;

    // The image of file `path` (format: given, else the path's extension).
    // An existing image with an equal attribute block is returned as it is
    // (its name is kept); otherwise a new image named `id` is appended.
    // Null for a null or missing path, or one too long for the block.
    RMCImg* AddByFilePath(const char* id, const char* path, const char* format, int target, int param,
                          int mask);
    // The same for a module resource (format "png" when null). Null for a
    // null or too long type name.
    RMCImg* AddByRes(const char* id, int resId, const char* resType, win32::HINSTANCE module,
                     const char* format, int target, int param, int mask);

    RMCImg* FindByAttr(const e_rmimgattr& attr) const;
    RMCImg* FindByID(const char* id) const;
    RMCImg* operator()(int index) const { return items_.Get(index); }
    RMCImg* operator()(const char* id) const { return FindByID(id); }
    int GetCount() const { return items_.GetCount(); }
    // Appends `image` and takes it over; returns 0 (kMcInvalid for null).
    int Add(RMCImg* image);

    RM* rm = nullptr;

private:
    RMCImg* addUnique(const char* id, const e_rmimgattr& attr);

    ko::util::CstmArray<RMCImg*> items_;
};

}  // namespace koui
