// Image sets of the classic resource manager: named groups of images cut
// from source images by one definition line, and their list.
//
// A set owns its images (Cmc children of the set); the list owns its sets.
// Neither owns the source images, which belong to the manager's source list.
//
// Definition text: [id=NAME,][!KIND,] entries. Positions x and y count grid
// cells of the source, sizes w and h are pixels. Entries by kind:
//   img, part, hbar, vbar: [#IDS,] x, y, w, h [, source]
//   rect:                  [#IDS] [, source]          (whole-source images)
//   mrect.h/.v ... :       [#IDS, ...(up to 10 groups),] x, y, w, h, step [, source]
//   glyphset:              x, y, w, h, sepX, sepY, perRow [, source], characters...
// "#IDS" lists one id per decimal digit ("#" alone is id 0); an entry
// without it takes the default id, and so does a multi-state entry without
// any group (one group of the default id). "!rect" with nothing after it is
// one entry: the whole source under the default id. With a source name given to Build every
// entry uses that source; otherwise each entry names its own ("@name" for a
// loaded source image, else a file path).
#pragma once

#include "koui/export.h"
#include "koui/family/cmc.h"
#include "koui/family/stmarray.h"
#include "koui/rm/rmimg.h"

namespace koui {

class RM;
class RMCImg;

class KOUI_API RMImgSet : public ko::util::Cmc {
    KOUI_MC_CLASS(RMImgSet, "koui::RMImgSet")
public:
    RMImgSet() = default;

    // Builds the set from `def`. Returns 0 when the set was built, even when
    // every entry was unusable (such a set has no images and is still kept
    // and found by name); a non-zero result only without a manager or
    // without definition text, and the caller then discards the set.
    // Unusable entries are logged and skipped.
    int Build(RM* rm, const char* def, int defaultId, const char* name, const char* sourceName, int gridX,
              int gridY);
    // The same with the source given as an object. The definition file
    // passes its current source this way rather than by name, so that two
    // sources that share a name (both unnamed, say) are never confused.
    int BuildWithSource(RM* rm, const char* def, int defaultId, const char* name, RMCImg* source, int gridX,
                        int gridY);

    // The first image with imageId == id, else the first with altId, else null.
    RMImg* GetByImageID(int id, int altId) const;
    int GetCount() const { return images.GetCount(); }
    RMImg* GetByIndex(int index) const { return images.Get(index); }

    bool IsRect() const { return setKind == kRmKindMRectH || setKind == kRmKindMRectV; }
    bool IsPart() const {
        return setKind == kRmKindPart || setKind == kRmKindMPartH || setKind == kRmKindMPartV;
    }
    // Every image ready (an empty set is ready).
    virtual bool IsReady() const;

    // Largest image sizes.
    int GetWidth() const;
    int GetHeight() const;
    int GetMinWidth() const;
    int GetMinHeight() const;

    // Image operations on the image that GetByImageID(id, altId) gives;
    // nothing when none matches.
    void Draw(int id, double r, double g, double b, double a, int altId);
    void DrawRect(int id, int W, int H, double r, double g, double b, double a, int altId);
    void DrawPortion2D(int id, double pw, double ph, double r, double g, double b, double a, int altId);
    void DrawSection(int id, double sx, double sy, double sw, double sh, double r, double g, double b,
                     double a, int altId);
    void DrawXY(int id, double dx, double dy, double r, double g, double b, double a, int altId);
    void DrawRectXY(int id, double dx, double dy, int W, int H, double r, double g, double b, double a,
                    int altId);
    void DrawPortion2DXY(int id, double dx, double dy, double pw, double ph, double r, double g, double b,
                         double a, int altId);

    // Glyph text: each character's image (by character code, fallback
    // 65535) drawn in turn, the origin moving by its width plus `spacing`;
    // a space without an image moves by spacing + glyphWidth, any other
    // character without an image not at all. At most 255 characters.
    void DrawGlpyh(double r, double g, double b, double a, double spacing, const char* fmt, ...)
        __attribute__((format(printf, 7, 8)));
    // Progress bar at (x, y): image 0 (empty bar) whole, then the first
    // W x norm pixels of image 1 (full bar), from the right when direction is 1.
    bool ProgBar_Draw(double x, double y, double norm, int direction);

    // "@name": the loaded source image of that name; anything else: the
    // image file of that path, added to the manager's source list.
    static RMCImg* GetRMCImg(RM* rm, const char* name);
    // The decimal digits of `text`, up to 10, each one id; with no digit,
    // `def` as the only id when def >= 0. Returns the number of ids.
    static int GetIndexesFromStr(int* ids, const char* text, int def);
    // The kind of a kind word (without "!"); unknown words give 1.
    static int KindFromWord(const char* word);

    ko::util::CstmArray<RMImg*> images;
    int32_t setKind = 0;
    int32_t isMulti = 0;
    double glyphWidth = 0;

private:
    struct BuildState;
    int build(BuildState& state, const char* def, const char* name);
    bool buildEntry(BuildState& state);
    bool readSource(BuildState& state, RMCImg*& source);
    void addImage(int id, RMCImg* source, long long x, long long y, int w, int h, int kind);
};

class KOUI_API RMImgSetList : public ko::util::Cmc {
    KOUI_MC_CLASS(RMImgSetList, "koui::RMImgSetList")
public:
    RMImgSetList() = default;

    // Appends `set` and takes it over; kMcInvalid for null, else 0.
    int Add(RMImgSet* set);
    RMImgSet* operator()(const char* name) const;
    RMImgSet* operator()(int index) const { return items_.Get(index); }
    // The set of that name (the name is the set's, not an image id).
    RMImgSet* GetByImageID(const char* name) const { return (*this)(name); }
    // The set of that name, then its image for id with fallback altId.
    RMImg* Get(const char* name, int id, int altId) const;
    int GetCount() const { return items_.GetCount(); }
    bool IsReady() const;

    RM* rm = nullptr;

private:
    ko::util::CstmArray<RMImgSet*> items_;
};

}  // namespace koui
