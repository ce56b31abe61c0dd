#include "koui/rm/rmimgset.h"

#include <strings.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "koui/family/lineparset.h"
#include "koui/rm/rm.h"

using namespace ko::util;

namespace koui {

namespace {

int saturated(long long value) {
    if (value > INT_MAX) return INT_MAX;
    if (value < INT_MIN) return INT_MIN;
    return static_cast<int>(value);
}

bool isIdParam(const char* text) {
    return text[0] == '#';
}

int baseKindOf(int kind) {
    switch (kind) {
        case kRmKindMRectH:
        case kRmKindMRectV:
            return kRmKindRect;
        case kRmKindMPartH:
        case kRmKindMPartV:
            return kRmKindPart;
        case kRmKindMHBarH:
        case kRmKindMHBarV:
            return kRmKindHBar;
        case kRmKindMVBarH:
        case kRmKindMVBarV:
            return kRmKindVBar;
        default:
            return -1;
    }
}

bool isVerticalMulti(int kind) {
    return kind % 10 == 1;
}

}  // namespace

struct RMImgSet::BuildState {
    RM* rm = nullptr;
    CmcLineParSet pars{','};
    int p = 0;
    int kind = kRmKindImg;
    int defaultId = 0;
    bool fixedSource = false;  // every entry uses `source`
    RMCImg* source = nullptr;
    int gridX = 1;
    int gridY = 1;

    bool has(int count) const { return p + count <= pars.GetCount(); }
    int nextInt() { return pars.GetIntPar(p++, 0); }
    // Reads an optional "#digits" parameter into ids; without one the
    // entry has the single default id.
    int readIds(int* ids) {
        if (p < pars.GetCount() && isIdParam(pars.Get(p))) return GetIndexesFromStr(ids, pars.Get(p++), 0);
        ids[0] = defaultId;
        return 1;
    }
};

int RMImgSet::Build(RM* rm, const char* def, int defaultId, const char* name, const char* sourceName,
                    int gridX, int gridY) {
    BuildState state;
    state.rm = rm;
    state.defaultId = defaultId;
    state.fixedSource = sourceName != nullptr;
    state.source = rm && sourceName ? rm->rmcimg(sourceName) : nullptr;
    state.gridX = gridX;
    state.gridY = gridY;
    return build(state, def, name);
}

int RMImgSet::BuildWithSource(RM* rm, const char* def, int defaultId, const char* name, RMCImg* source,
                              int gridX, int gridY) {
    BuildState state;
    state.rm = rm;
    state.defaultId = defaultId;
    state.fixedSource = true;
    state.source = source;
    state.gridX = gridX;
    state.gridY = gridY;
    return build(state, def, name);
}

int RMImgSet::build(BuildState& state, const char* def, const char* name) {
    if (name) setname(name);
    if (!state.rm || !def || !*def) {
        _mclog(3, "Image set [%s] : no definition", getname());
        return kMcInvalid;
    }
    auto& pars = state.pars;
    pars.Feed(def);
    if (std::strncmp(pars.Get(0), "id=", 3) == 0) {
        setname(pars.Get(0) + 3);
        state.p = 1;
    }
    if (pars.Get(state.p)[0] == '!') state.kind = KindFromWord(pars.Get(state.p++) + 1);

    const int before = GetCount();
    if (state.kind == kRmKindRect && state.fixedSource && !state.has(1)) {
        buildEntry(state);  // "!rect" alone: the whole current source under the default id
    }
    while (state.has(1) && buildEntry(state)) {
    }
    setKind = state.kind;
    isMulti = state.kind == kRmKindImg || state.kind == kRmKindRect || state.kind == kRmKindGlyph ? 0 : 1;
    // A set whose entries all failed is still a set: it is listed and found
    // by name, and draws nothing.
    if (GetCount() == before) _mclog(3, "Image set [%s] : no image built", getname());
    return 0;
}

bool RMImgSet::readSource(BuildState& state, RMCImg*& source) {
    if (state.fixedSource) {
        source = state.source;
    } else {
        if (!state.has(1)) return false;
        const char* name = state.pars.Get(state.p++);
        source = GetRMCImg(state.rm, name);
        if (!source) _mclog(3, "Image set [%s] : source [%s] not found", getname(), name);
    }
    return true;
}

// Reads one entry; false when the parameters ran out before it was complete
// (or nothing more can follow it), which ends the definition.
bool RMImgSet::buildEntry(BuildState& state) {
    auto& pars = state.pars;
    const int entryStart = state.p;
    const int kind = state.kind;
    int ids[10];
    RMCImg* source = nullptr;

    auto incomplete = [&] {
        _mclog(3, "Image set [%s] : entry from parameter %d has too few values", getname(), entryStart);
        return false;
    };

    if (kind == kRmKindRect) {
        const int count = state.readIds(ids);
        if (state.fixedSource && state.p == entryStart && state.has(1)) {
            _mclog(3, "Image set [%s] : unexpected parameter [%s]", getname(), pars.Get(state.p));
            return false;
        }
        if (!readSource(state, source)) return incomplete();
        for (int i = 0; source && i < count; ++i) addImage(ids[i], source, -1, -1, 0, 0, kRmKindImg);
        return true;
    }

    if (kind == kRmKindGlyph) {
        if (!state.has(7)) return incomplete();
        const int x = state.nextInt(), y = state.nextInt(), w = state.nextInt(), h = state.nextInt();
        const int sepX = state.nextInt(), sepY = state.nextInt();
        int perRow = state.nextInt();
        if (perRow < 1) perRow = 10000;
        if (!readSource(state, source)) return incomplete();
        const char* sequence = state.has(1) ? pars.GetSrcText(state.p) : "";
        state.p = pars.GetCount();  // the sequence is the rest of the line
        if (!*sequence) {
            _mclog(3, "Image set [%s] : empty glyph sequence", getname());
            return false;
        }
        glyphWidth = w;
        for (long long i = 0; source && sequence[i]; ++i)
            addImage(static_cast<signed char>(sequence[i]), source,
                     static_cast<long long>(x) * state.gridX + (i % perRow) * sepX,
                     static_cast<long long>(y) * state.gridY + (i / perRow) * sepY, w, h, kRmKindGlyph);
        return false;
    }

    const int baseKind = baseKindOf(kind);
    if (baseKind >= 0) {
        int groups[10][10];
        int groupSizes[10];
        int groupCount = 0;
        while (groupCount < 10 && state.p < pars.GetCount() && isIdParam(pars.Get(state.p))) {
            groupSizes[groupCount] = state.readIds(groups[groupCount]);
            ++groupCount;
        }
        if (groupCount == 0) groupSizes[groupCount++] = state.readIds(groups[0]);
        if (!state.has(5)) return incomplete();
        const int x = state.nextInt(), y = state.nextInt(), w = state.nextInt(), h = state.nextInt();
        const int step = state.nextInt();
        if (!readSource(state, source)) return incomplete();
        const bool vertical = isVerticalMulti(kind);
        for (int k = 0; source && k < groupCount; ++k) {
            const long long shift = static_cast<long long>(k) * step;
            const long long gx = static_cast<long long>(x) * state.gridX + (vertical ? 0 : shift);
            const long long gy = static_cast<long long>(y) * state.gridY + (vertical ? shift : 0);
            for (int i = 0; i < groupSizes[k]; ++i) addImage(groups[k][i], source, gx, gy, w, h, baseKind);
        }
        return true;
    }

    // img, part, hbar, vbar (and unknown words, which read as part)
    const int count = state.readIds(ids);
    if (!state.has(4)) return incomplete();
    const int x = state.nextInt(), y = state.nextInt(), w = state.nextInt(), h = state.nextInt();
    if (!readSource(state, source)) return incomplete();
    for (int i = 0; source && i < count; ++i)
        addImage(ids[i], source, static_cast<long long>(x) * state.gridX,
                 static_cast<long long>(y) * state.gridY, w, h, kind);
    return true;
}

void RMImgSet::addImage(int id, RMCImg* source, long long x, long long y, int w, int h, int kind) {
    auto* image = new RMImg(id, source, saturated(x), saturated(y), w, h, kind);
    image->_mcSetParent(this);
    images.Add(image);
}

RMImg* RMImgSet::GetByImageID(int id, int altId) const {
    RMImg* fallback = nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        RMImg* image = images.Get(i);
        if (image->imageId == id) return image;
        if (!fallback && image->imageId == altId) fallback = image;
    }
    return fallback;
}

bool RMImgSet::IsReady() const {
    for (int i = 0; i < GetCount(); ++i)
        if (!images.Get(i)->IsReady()) return false;
    return true;
}

int RMImgSet::GetWidth() const {
    int most = 0;
    for (int i = 0; i < GetCount(); ++i) most = std::max(most, images.Get(i)->GetWidth());
    return most;
}

int RMImgSet::GetHeight() const {
    int most = 0;
    for (int i = 0; i < GetCount(); ++i) most = std::max(most, images.Get(i)->GetHeight());
    return most;
}

int RMImgSet::GetMinWidth() const {
    int most = 0;
    for (int i = 0; i < GetCount(); ++i) most = std::max(most, images.Get(i)->GetMinWidth());
    return most;
}

int RMImgSet::GetMinHeight() const {
    int most = 0;
    for (int i = 0; i < GetCount(); ++i) most = std::max(most, images.Get(i)->GetMinHeight());
    return most;
}

RMCImg* RMImgSet::GetRMCImg(RM* rm, const char* name) {
    if (!rm || !name) return nullptr;
    if (name[0] == '@') return rm->imgList->FindByID(name + 1);
    return rm->imgList->AddByFilePath("", name, nullptr, kRmTexture2D, 1, 0);
}

int RMImgSet::GetIndexesFromStr(int* ids, const char* text, int def) {
    if (!ids) return 0;
    int count = 0;
    for (const char* c = text; c && *c && count < 10; ++c)
        if (*c >= '0' && *c <= '9') ids[count++] = *c - '0';
    if (count == 0 && def >= 0) ids[count++] = def;
    return count;
}

int RMImgSet::KindFromWord(const char* word) {
    static const struct {
        const char* word;
        int kind;
    } kinds[] = {{"", kRmKindImg},           {"img", kRmKindImg},        {"part", kRmKindPart},
                 {"rect", kRmKindRect},      {"hbar", kRmKindHBar},      {"vbar", kRmKindVBar},
                 {"mrect.h", kRmKindMRectH}, {"mrect.v", kRmKindMRectV}, {"mpart.h", kRmKindMPartH},
                 {"mpart.v", kRmKindMPartV}, {"mhbar.h", kRmKindMHBarH}, {"mhbar.v", kRmKindMHBarV},
                 {"mvbar.h", kRmKindMVBarH}, {"mvbar.v", kRmKindMVBarV}, {"glyphset", kRmKindGlyph}};
    if (!word) return kRmKindImg;
    for (const auto& entry : kinds)
        if (strcasecmp(entry.word, word) == 0) return entry.kind;
    return kRmKindPart;
}

int RMImgSetList::Add(RMImgSet* set) {
    if (!set) return kMcInvalid;
    set->_mcSetParent(this);
    items_.Add(set);
    return 0;
}

RMImgSet* RMImgSetList::operator()(const char* name) const {
    if (!name) return nullptr;
    for (int i = 0; i < GetCount(); ++i) {
        RMImgSet* set = items_.Get(i);
        if (std::strcmp(set->getname(), name) == 0) return set;
    }
    return nullptr;
}

RMImg* RMImgSetList::Get(const char* name, int id, int altId) const {
    RMImgSet* set = (*this)(name);
    return set ? set->GetByImageID(id, altId) : nullptr;
}

bool RMImgSetList::IsReady() const {
    for (int i = 0; i < GetCount(); ++i)
        if (!items_.Get(i)->IsReady()) return false;
    return true;
}

}  // namespace koui
