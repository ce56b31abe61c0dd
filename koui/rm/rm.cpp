#include "koui/rm/rm.h"

#include <strings.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <string>

#include "koui/family/appmsg.h"
#include "koui/family/linefile.h"
#include "koui/family/lineparset.h"
#include "koui/family/stfile.h"

using namespace koui::win32;
using namespace ko::log;
using namespace ko::gl;
using namespace ko::util;

namespace koui {

namespace {

std::string withSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir.push_back('/');
    return dir;
}

std::string currentDirectory() {
    std::error_code error;
    const auto cwd = std::filesystem::current_path(error);
    return error ? std::string("./") : withSlash(cwd.string());
}

}  // namespace

// One pass over a definition text. The current section and source image
// carry over from line to line, so that a section's entries follow its header.
struct RM::Parser {
    enum Section { kNone, kSource, kSourceOff, kFonts, kColors };

    RM& rm;
    std::string dir;
    Section section = kNone;
    RMCImg* source = nullptr;

    void line(int number, const char* text);
    void header(int number, CmcLineParSet& pars);
    RMCImg* resolveSource(CmcLineParSet& pars);
    RMCImg* sourceByIndex(int index, const std::string& name, const std::string& path, int gx, int gy);
    RMCImg* sourceByName(const std::string& name, int gx, int gy);
    RMCImg* sourceByPath(std::string path, const std::string& name, int gx, int gy);
    void entry(CmcLineParSet& pars);
};

RM::RM() {
    setname("resMan");
    imgList = RMCImgList::_mcCreate(this, "imgList");
    imgSetList = RMImgSetList::_mcCreate(this, "imgSetList");
    glFontList = new RMCFontList();
    glFontList->_mcSetParent(this);
    glFontList->setname("glFontList");
    colorList = RMColorList::_mcCreate(this, "colorList");
    fmtFontList = RMFmtFontList::_mcCreate(this, "fmtFontList");
    imgList->rm = imgSetList->rm = glFontList->rm = colorList->rm = fmtFontList->rm = this;
}

// The lists and everything else created by the manager are its Cmc children
// and go with it (Cmc::~Cmc).
RM::~RM() = default;

int RM::Create(const char* path) {
    if (!path) return 0;
    if (!stosFileExists(path)) {
        _mclog(3, "Resource definition file [%s] NOT FOUND", path);
        return 0;
    }
    if (rmTraceLevel >= 1) _mclog("Create(%s) - Open file ...", path);
    std::error_code error;
    const std::string full = std::filesystem::absolute(path, error).lexically_normal().string();
    const std::string dir = std::filesystem::path(full).parent_path().string();
    if (rmTraceLevel >= 1) _mclog("Create(%s)", full.c_str());

    CstFile file;
    if (file.OpenReadOnly(full.c_str()) != 0) {
        appmsg("[ERROR] Cannot open file");
        return 0;
    }
    const long long size = file.GetSize();
    std::unique_ptr<char[]> buffer;
    if (size >= 0 && size < INT_MAX) buffer.reset(new (std::nothrow) char[static_cast<size_t>(size) + 1]);
    if (!buffer) {
        appmsg("[ERROR] Cannot allocate memory (%d bytes)",
               size < INT_MAX ? static_cast<int>(size + 1) : INT_MAX);
        return 0;
    }
    const long long read = file.Read(buffer.get(), size);
    buffer[static_cast<size_t>(read)] = '\0';
    file.Close();
    CreateFromBuffer(buffer.get(), static_cast<int>(read), withSlash(dir).c_str());
    return 0;
}

int RM::Create(int resId, const char* resType, HINSTANCE module, const char* dir) {
    if (!resType) return kMcInvalid;
    size_t size = 0;
    const uint8_t* bytes = stmmGeneralGetResourceVector(module, resId, resType, &size);
    if (!bytes || size > INT_MAX) return kMcInvalid;
    return CreateFromBuffer(reinterpret_cast<const char*>(bytes), static_cast<int>(size), dir);
}

int RM::CreateFromBuffer(const char* buffer, int size, const char* dir) {
    if (!buffer || size < 1) {
        appmsg("[ERROR] RM::CreateFromBuffer / Invalid parameters");
        return kMcInvalid;
    }
    Parser parser{*this, dir ? withSlash(dir) : currentDirectory()};
    if (rmTraceLevel >= 1)
        _mclog("[Y] RM::CreateFromBuffer / buff=%p buffsize=%d / def_file_dir=%s",
               static_cast<const void*>(buffer), size, parser.dir.c_str());
    CstqLineFile lines;
    lines.OpenFromBuffer(buffer, size);
    for (int i = 0; i < lines.GetCount(); ++i) parser.line(i, lines.Get(i));
    return 0;
}

void RM::Parser::line(int number, const char* text) {
    CmcLineParSet pars(',');
    if (pars.Feed(text) == 0) return;
    const char* first = pars.Get(0);
    if (first[0] == '#') {
        header(number, pars);
    } else if (first[0] == '\0' || std::strncmp(first, "//", 2) == 0) {
        return;
    } else {
        entry(pars);
    }
}

void RM::Parser::header(int number, CmcLineParSet& pars) {
    const char* name = pars.Get(0) + 1;
    const char* banner =
        "^:C-----------------------------------------------------------------------------------------";
    if (strcasecmp(name, "source") == 0) {
        if (rmTraceLevel >= 1) {
            rm._mclog("%s", banner);
            rm._mclog("^:C| SECTION @ line %d (#source) - [image]", number);
        }
        source = resolveSource(pars);
        section = source ? kSource : kSourceOff;
    } else if (strcasecmp(name, "formatfonts") == 0) {
        if (rmTraceLevel >= 1) {
            rm._mclog("%s", banner);
            rm._mclog("^:C| SECTION @ line %d (#formatfonts)", number);
        }
        section = kFonts;
    } else if (strcasecmp(name, "colors") == 0) {
        if (rmTraceLevel >= 1) {
            rm._mclog("%s", banner);
            rm._mclog("^:C| SECTION @ line %d (#colors)", number);
        }
        section = kColors;
    }
}

// The source image of a "#source" header: by index, else by name, else by
// file (as written, then in the definition's folder).
RMCImg* RM::Parser::resolveSource(CmcLineParSet& pars) {
    std::string path, name;
    int index = -1, gx = 1, gy = 1;
    for (int i = 1; i < pars.GetCount();) {
        const char* word = pars.Get(i);
        if (strcasecmp(word, "!file") == 0) {
            path = pars.Get(i + 1);
            i += 2;
        } else if (strcasecmp(word, "!id") == 0) {
            name = pars.Get(i + 1);
            i += 2;
        } else if (strcasecmp(word, "!imgidx") == 0) {
            index = stAtoiSat(pars.Get(i + 1));
            i += 2;
        } else if (strcasecmp(word, "!grid") == 0) {
            gx = pars.GetIntPar(i + 1, 1);
            gy = pars.GetIntPar(i + 2, 1);
            i += 3;
        } else {
            ++i;
        }
    }
    RMCImg* image = index >= 0 ? sourceByIndex(index, name, path, gx, gy) : nullptr;
    if (!image && !name.empty()) image = sourceByName(name, gx, gy);
    if (!image && !path.empty()) image = sourceByPath(path, name, gx, gy);
    if (rmTraceLevel >= 1) rm._mclog(image ? "[OK] Source image" : "Incorrect source image");
    return image;
}

RMCImg* RM::Parser::sourceByIndex(int index, const std::string& name, const std::string& path, int gx,
                                  int gy) {
    if (rmTraceLevel >= 1)
        rm._mclog("Get source image by Index=%d sid=%s grid=%dx%d", index, name.c_str(), gx, gy);
    RMCImg* image = (*rm.imgList)(index);
    if (!image) {
        rm._mclog(3, "Cannot open %s", path.c_str());
        return nullptr;
    }
    image->setname(name.c_str());
    image->gridX = gx;
    image->gridY = gy;
    return image;
}

RMCImg* RM::Parser::sourceByName(const std::string& name, int gx, int gy) {
    if (rmTraceLevel >= 1) rm._mclog("Get source image by sid=%s grid=%dx%d", name.c_str(), gx, gy);
    RMCImg* image = rm.imgList->FindByID(name.c_str());
    if (!image) {
        rm._mclog(3, "#SOURCE> ID (%s) not found", name.c_str());
        return nullptr;
    }
    image->gridX = gx;
    image->gridY = gy;
    return image;
}

RMCImg* RM::Parser::sourceByPath(std::string path, const std::string& name, int gx, int gy) {
    if (rmTraceLevel >= 1)
        rm._mclog("Get source image by filepath=%s sid=%s grid=%dx%d", path.c_str(), name.c_str(), gx, gy);
    if (!stosFileExists(path.c_str())) {
        if (rmTraceLevel >= 1) rm._mclog("Source not found in first instance, trying relative to this file");
        const std::string relative = dir + path;
        if (stosFileExists(relative.c_str())) {
            if (rmTraceLevel >= 1) rm._mclog("Found at [%s], replacing ...", relative.c_str());
            path = relative;
        }
    }
    // An image already listed with the same attributes comes back as it is,
    // keeping its first name; only the grid follows this header.
    RMCImg* image = rm.imgList->AddByFilePath(name.c_str(), path.c_str(), nullptr, kRmTexture2D, 1, 0);
    if (!image) {
        rm._mclog(3, "Cannot open %s", path.c_str());
        return nullptr;
    }
    image->gridX = gx;
    image->gridY = gy;
    return image;
}

void RM::Parser::entry(CmcLineParSet& pars) {
    switch (section) {
        case kSource: {
            auto* set = new RMImgSet();
            const int result = set->BuildWithSource(&rm, pars.GetSrcText(1), 0, pars.Get(0), source,
                                                    source->gridX, source->gridY);
            if (result == 0)
                rm.imgSetList->Add(set);
            else
                delete set;
            break;
        }
        case kFonts:
            rm.fmtFontList->Add(pars);
            break;
        case kColors:
            rm.colorList->Add(pars);
            break;
        case kNone:
        case kSourceOff:
            break;
    }
}

RMCImg* RM::rmcimg(const char* id) const {
    return imgList->FindByID(id);
}
RMImgSet* RM::rmimgset(const char* id) const {
    return (*imgSetList)(id);
}
RMImg* RM::rmimg(const char* id, int index, int flags) const {
    return imgSetList->Get(id, index, flags);
}
CkoxGL_Font* RM::rmglfont(const char* id) const {
    return glFontList->FindByID(id);
}
RMFmtFont* RM::rmfmtfont(const char* id) const {
    return fmtFontList->GetByID(id);
}
RMColor* RM::rmcolor(const char* id) const {
    return colorList->GetByID(id);
}
CkoxGL_Font* RM::GetGLFont(const char* path) {
    return glFontList->Add("", path);
}

int RM::rmimgDraw(const char* id, int index, double r, double g, double b, double a, int flags) {
    RMImg* image = rmimg(id, index, flags);
    if (!image) return kMcInvalid;
    image->Draw(r, g, b, a);
    return 0;
}

int RM::rmimgDrawRect(const char* id, int index, double w, double h, double r, double g, double b, double a,
                      int flags) {
    RMImg* image = rmimg(id, index, flags);
    if (!image) return kMcInvalid;
    image->DrawRect(static_cast<int>(w), static_cast<int>(h), r, g, b, a);
    return 0;
}

RMImg* RM::wrapWhole(RMCImg* source) {
    if (!source) return nullptr;
    auto* image = new RMImg(0, source);
    image->_mcSetParent(this);
    return image;
}

RMImg* RM::GetImageByID(const char* id) {
    return wrapWhole(rmcimg(id));
}

RMImg* RM::GetImageFromFilePath(const char* id, const char* path, const char* format, int target, int param,
                                int mask) {
    return wrapWhole(imgList->AddByFilePath(id, path, format, target, param, mask));
}

RMImgSet* RM::BuildImageSet(const char* def, int n) {
    auto* set = new RMImgSet();
    if (set->Build(this, def, n, nullptr, nullptr, 1, 1) != 0) {
        delete set;
        return nullptr;
    }
    set->_mcSetParent(this);
    return set;
}

}  // namespace koui
