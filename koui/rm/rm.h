// koui::RM, the classic resource manager: reads a sectioned definition file
// that names source images, cuts them into image sets and glyph sets, and
// defines colours and formatted fonts; keeps GL fonts opened by path; turns
// source images into GL textures one per glMaintain call.
//
// Definition file (lines split at commas, blanks around parameters ignored):
//   #source,!file,PATH,!id,NAME,!grid,COLUMNS,ROWS   a source image file
//   #source,!id,NAME  or  #source,!imgidx,N,!id,NAME  an already known source
//   SETNAME,DEFINITION                                an image set (rmimgset.h)
//   #formatfonts                                      formatted fonts (rmfmtfont.h)
//   #colors                                           colours (rmcolor.h)
//   // text                                           comment
// Section names and "!" keywords compare without regard to case; names of
// images, sets, colours and fonts compare exactly. A "!file" path that does
// not exist as written is looked for in the definition file's folder.
//
// Ownership: the manager owns everything it creates and releases it in its
// destructor: its five lists with every source image (texture and mask
// included), image set, image, GL font, colour and formatted font, and also
// the images of GetImageByID / GetImageFromFilePath and the sets of
// BuildImageSet (all are Cmc children of the manager or of its lists). A
// caller may delete one of those returned objects earlier; it then detaches
// itself. Entries of the lists must not be deleted by anyone else. Textures
// and GL fonts are GL objects, so a manager that has loaded them is
// destroyed on the GL thread with its context current.
//
// Strings are `const char*` where the family interface has `char*`; no
// operation writes through them except glMaintain's name buffer. Paths use
// "/" as separator (a directory ends with "/") and are not limited to 260
// bytes, except the file path a source image stores (259 bytes and its
// terminator: a longer one is refused like a missing file).
//
// A "#source" header with both a name and a file first looks the name up
// among the loaded sources, so a new source logs "#SOURCE> ID (...) not
// found" before its file is opened; a name that is found wins over the file.
#pragma once

#include <cstddef>

#include "koui/export.h"
#include "koui/family/cmc.h"
#include "koui/family/module_resources.h"
#include "koui/rm/rmcimg.h"
#include "koui/rm/rmcolor.h"
#include "koui/rm/rmfmtfont.h"
#include "koui/rm/rmfontlist.h"
#include "koui/rm/rmimg.h"
#include "koui/rm/rmimgset.h"

namespace ko::gl {
class CkoxGL_Font;
}

namespace koui {

// Module-wide trace level: at 1 or above the manager writes its trace lines
// (sections, source resolution, colour and font definitions). 0 by default;
// nothing in the library changes it.
KOUI_API inline int rmTraceLevel = 0;

class KOUI_API RM : public ko::util::Cmc {
    KOUI_MC_CLASS(RM, "koui::RM")
public:
    RM();
    ~RM() override;

    // Reads the definition file at `path` (logged and skipped when missing
    // or unreadable). Returns 0.
    int Create(const char* path);
    // Reads a definition held as a module resource; relative "!file" paths
    // fall back to `dir`. kMcInvalid for a null type or a missing resource,
    // else CreateFromBuffer's result.
    int Create(int resId, const char* resType, win32::HINSTANCE module, const char* dir);
    // Parses `size` bytes of definition text (need not be zero-terminated).
    // `dir` is where relative "!file" paths fall back to ("/" is appended
    // when it lacks one); null means the current directory. kMcInvalid for a null buffer or
    // size < 1, else 0.
    int CreateFromBuffer(const char* buffer, int size, const char* dir);

    // Loads the texture of the first source image that is not ready, one per
    // call. *progress = the share (0..100) of source images ready before the
    // call, 100 when all are; `name` (nameSize bytes, 260 by default)
    // receives what is being loaded. Returns 0.
    int glMaintain(double* progress, char* name, size_t nameSize = 260);

    RMCImg* rmcimg(const char* id) const;
    RMImgSet* rmimgset(const char* id) const;
    RMImg* rmimg(const char* id, int index, int flags) const;
    // The image of rmimg drawn at the GL origin, tinted; 0, or kMcInvalid without it.
    int rmimgDraw(const char* id, int index, double r, double g, double b, double a, int flags);
    int rmimgDrawRect(const char* id, int index, double w, double h, double r, double g, double b, double a,
                      int flags);
    ko::gl::CkoxGL_Font* rmglfont(const char* id) const;
    RMFmtFont* rmfmtfont(const char* id) const;
    RMColor* rmcolor(const char* id) const;

    // The GL font of that file, opened once.
    ko::gl::CkoxGL_Font* GetGLFont(const char* path);
    // The source image of that name as a whole image; null when there is none.
    RMImg* GetImageByID(const char* id);
    // The image file as a source image (added to the list), as a whole image.
    RMImg* GetImageFromFilePath(const char* id, const char* path, const char* format, int target, int param,
                                int mask);
    // A set built from `def` whose entries name their own sources; not listed
    // in imgSetList. Null when the build fails.
    RMImgSet* BuildImageSet(const char* def, int n);

    RMCImgList* imgList;
    RMImgSetList* imgSetList;
    RMCFontList* glFontList;
    RMColorList* colorList;
    RMFmtFontList* fmtFontList;

private:
    struct Parser;
    RMImg* wrapWhole(RMCImg* source);
    bool loadTexture(RMCImg* image, int ready, int count, double* progress, char* name, size_t nameSize);
    void buildMask(RMCImg* image);
};

}  // namespace koui
