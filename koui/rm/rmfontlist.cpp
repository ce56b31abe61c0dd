#include "koui/rm/rmfontlist.h"

#include <strings.h>

#include <cstring>

#include "koui/family/kox_font.h"

using namespace koui::win32;
using namespace ko::gl;

namespace koui {

RMCFontList::~RMCFontList() {
    for (int i = 0; i < GetCount(); ++i) delete items_.Get(i);
}

CkoxGL_Font* RMCFontList::Add(const char* id, const char* path) {
    if (!path) return nullptr;
    if (CkoxGL_Font* existing = FindByFilePath(path)) return existing;
    auto* font = new CkoxGL_Font();
    if (font->Open(path) != 0) {
        delete font;
        return nullptr;
    }
    return append(font, id);
}

CkoxGL_Font* RMCFontList::AddByRes(const char* id, int resId, const char* resType, HINSTANCE module) {
    auto* font = new CkoxGL_Font();
    if (font->OpenFromResource(resId, resType, module) != 0) {
        delete font;
        return nullptr;
    }
    return append(font, id);
}

CkoxGL_Font* RMCFontList::append(CkoxGL_Font* font, const char* id) {
    font->setid(id);
    items_.Add(font);
    return font;
}

CkoxGL_Font* RMCFontList::FindByFilePath(const char* path) const {
    if (!path) return nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        CkoxGL_Font* font = items_.Get(i);
        if (*font->getpath() && strcasecmp(font->getpath(), path) == 0) return font;
    }
    return nullptr;
}

CkoxGL_Font* RMCFontList::FindByID(const char* id) const {
    if (!id) return nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        CkoxGL_Font* font = items_.Get(i);
        if (std::strcmp(font->getid(), id) == 0) return font;
    }
    return nullptr;
}

}  // namespace koui
