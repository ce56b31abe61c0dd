// The GL fonts of the classic resource manager, opened by file path or
// from a module resource. The list owns its fonts and deletes them with
// itself.
#pragma once

#include "koui/export.h"
#include "koui/family/cmc.h"
#include "koui/family/module_resources.h"
#include "koui/family/stmarray.h"

namespace ko::gl {
class CkoxGL_Font;
}

namespace koui {

class RM;

class KOUI_API RMCFontList : public ko::util::Cmc {
public:
    RMCFontList() = default;
    ~RMCFontList() override;

    // The font of file `path`: an entry opened from the same path (without
    // regard to case) is returned as it is; otherwise a new font opens the
    // file, takes `id` and is appended. Null when the file cannot be opened.
    ko::gl::CkoxGL_Font* Add(const char* id, const char* path);
    // A new font from a module resource (no duplicate check); null on failure.
    ko::gl::CkoxGL_Font* AddByRes(const char* id, int resId, const char* resType, win32::HINSTANCE module);

    ko::gl::CkoxGL_Font* FindByFilePath(const char* path) const;
    // By the font's id, case-sensitive.
    ko::gl::CkoxGL_Font* FindByID(const char* id) const;
    ko::gl::CkoxGL_Font* operator()(int index) const { return items_.Get(index); }
    int GetCount() const { return items_.GetCount(); }

    RM* rm = nullptr;

private:
    ko::gl::CkoxGL_Font* append(ko::gl::CkoxGL_Font* font, const char* id);

    ko::util::CstmArray<ko::gl::CkoxGL_Font*> items_;
};

}  // namespace koui
