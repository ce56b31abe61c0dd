// Static: creation, the classic font and colour set descriptions, the
// icon style keys, and drawing of pictures, classic text, icons and styled
// text.
#include "koui/widgets/static.h"

#include <GL/glew.h>
#include <strings.h>

#include <cstdlib>
#include <glm/gtc/type_ptr.hpp>

#include "koui/family/gl_font.h"
#include "koui/family/lineparset.h"
#include "koui/family/numeric.h"
#include "koui/res/instance.h"
#include "koui/res/node.h"
#include "koui/rm/rmcolor.h"
#include "koui/rm/rmfmtfont.h"

using ko::util::CmcLineParSet;

namespace koui {

namespace {

constexpr float kWhite[4] = {1, 1, 1, 1};
constexpr float kNoWrap = 1e10f;

bool same(const char* a, const char* b) {
    return strcasecmp(a, b) == 0;
}

// Readers of the classic placement tokens into their field. A word that
// is not one of the three leaves the field.
void readInt(const char* t, int32_t& field) {
    field = ko::util::stAtoiSat(t);
}

void readHorizontal(const char* t, int32_t& field) {
    if (same(t, "left") || same(t, "l")) field = 0;
    if (same(t, "center") || same(t, "c")) field = 1;
    if (same(t, "right") || same(t, "r")) field = 2;
}

void readVertical(const char* t, int32_t& field) {
    if (same(t, "top") || same(t, "t")) field = 0;
    if (same(t, "vcenter") || same(t, "vc")) field = 1;
    if (same(t, "bottom") || same(t, "b")) field = 2;
}

struct Slot {
    int32_t* field;
    void (*read)(const char*, int32_t&);
};

std::string trimmed(const std::string& s) {
    const size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// The trimmed words of a style key's comma-separated value.
std::vector<std::string> styleWords(const res::Node* style, const char* key) {
    ko::util::StrPar list = style->splitNodeValue(key, ',');
    std::vector<std::string> out;
    out.reserve(static_cast<size_t>(list.count()));
    for (int i = 0; i < list.count(); ++i) out.push_back(trimmed(*list.at(i)));
    return out;
}

}  // namespace

Static* Static::createClassic(Static* s, const char* name, Div* parent, int x, int y, int cx, int cy,
                              const char* resId, const char* font, const char* icon, const char* colorSet) {
    if (!s->Create(name ? name : "", parent, x, y, cx, cy, resId, 0, "")) {
        delete s;
        return nullptr;
    }
    s->fontRes = font ? font : "";
    s->fmtFont = s->getFontFromRes(s->align, s->fontRes, static_cast<int>(s->currentIndex));
    s->colorSetRes = colorSet ? colorSet : "";
    s->getColorSetFromRes(s->colorSet, s->colorSetRes, static_cast<int>(s->currentIndex));
    s->iconRes = icon ? icon : "";
    return s;
}

Static* Static::createImage(Static* s, const char* name, Div* parent, int x, int y, const char* image) {
    if (!s->Create(name ? name : "", parent, x, y, 0, 0, nullptr, 0, "")) {
        delete s;
        return nullptr;
    }
    s->imageRes = image ? image : "";
    return s;
}

Static* Static::wCreate(const char* name, Div* parent, int x, int y, int cx, int cy, const char* resId,
                        const char* font, const char* icon, const char* colorSet) {
    return createClassic(new Static(), name, parent, x, y, cx, cy, resId, font, icon, colorSet);
}

Static* Static::wCreateImage(const char* name, Div* parent, int x, int y, const char* image) {
    return createImage(new Static(), name, parent, x, y, image);
}

bool Static::setFontFromRes(const char* desc) {
    fontRes = desc ? desc : "";
    fmtFont = getFontFromRes(align, fontRes, static_cast<int>(currentIndex));
    return true;
}

bool Static::setColorSetFromRes(const char* desc) {
    colorSetRes = desc ? desc : "";
    getColorSetFromRes(colorSet, colorSetRes, static_cast<int>(currentIndex));
    return true;
}

bool Static::setIconFromRes(const char* id) {
    iconRes = id ? id : "";
    return true;
}

bool Static::setImageFromRes(const char* path) {
    imageRes = path ? path : "";
    return true;
}

Static* Static::setIcon(std::string path) {
    iconPath = std::move(path);
    return this;
}

RMFmtFont* Static::getFontFromRes(std::string& desc, int) {
    if (desc.empty()) return nullptr;
    CmcLineParSet line;
    line.Feed(desc.c_str());
    return *line.Get(0) ? rmfmtfont(line.Get(0)) : nullptr;
}

// After "!align" and "!from" each of the following tokens holds one field
// in turn; an empty token keeps its field and still takes its turn.
RMFmtFont* Static::getFontFromRes(Align& placement, std::string& desc, int index) {
    RMFmtFont* found = getFontFromRes(desc, index);
    if (desc.empty()) return found;
    CmcLineParSet line;
    const int n = line.Feed(desc.c_str());
    const Slot alignSlots[] = {{&placement.offsetX, readInt},
                               {&placement.offsetY, readInt},
                               {&placement.h, readHorizontal},
                               {&placement.v, readVertical}};
    const Slot fromSlots[] = {{&placement.fromH, readHorizontal}, {&placement.fromV, readVertical}};
    for (int i = 1; i < n;) {
        const char* key = line.Get(i++);
        const bool isAlign = same(key, "!align");
        if (!isAlign && !same(key, "!from")) continue;
        const Slot* slots = isAlign ? alignSlots : fromSlots;
        const int count = isAlign ? 4 : 2;
        for (int k = 0; k < count && i < n; ++k, ++i)
            if (*line.Get(i)) slots[k].read(line.Get(i), *slots[k].field);
    }
    return found;
}

bool Static::getColorSetFromRes(ColorSet& set, std::string& desc, int) {
    if (desc.empty()) return false;
    CmcLineParSet line;
    const int n = line.Feed(desc.c_str());
    for (int i = 0; i < 3 && i < n; ++i) {
        const char* name = line.Get(i);
        if (!*name) break;
        const RMColor* c = rmcolor(name);
        if (!c) continue;
        ColorSet::Entry& e = set.entry[i];
        for (int k = 0; k < 4; ++k) {
            e.rgbaf[k] = c->rgbaf[k];
            e.rgba[k] = static_cast<uint8_t>(ko::util::stClampSP(c->rgbaf[k], 0, 1) * 255);
        }
    }
    return true;
}

void Static::OnIterate(e_iterate*) {
    if (imageRes.empty()) return;
    res::Instance* ri = resInst();
    const res::Img picture = ri ? ri->image(imageRes) : res::Img();
    dSetSize(picture.getWidth(), picture.getHeight(), UNIT_PIXEL);
}

void Static::OnUpdateStyle() {
    Div::OnUpdateStyle();
    layout_.valid = false;
    res::Node* s = GetStyleNode();
    if (!s) return;
    if (s->getByName("icon")) setIcon(stylePath + ".icon");
    if (s->getByName("icon-flags")) {
        static const char* const kFlags[] = {"fill", "scale", "hflip", "vflip", "int"};
        iconFlags = 0;
        for (const std::string& w : styleWords(s, "icon-flags"))
            for (uint32_t k = 0; k < 5; ++k)
                if (w == kFlags[k]) iconFlags |= 1u << k;
    }
    if (s->getByName("icon-align")) {
        iconAlignH = iconAlignV = 1;
        static const char* const kH[] = {"left", "center", "right"};
        static const char* const kV[] = {"top", "vcenter", "bottom"};
        for (const std::string& w : styleWords(s, "icon-align"))
            for (uint32_t k = 0; k < 3; ++k) {
                if (w == kH[k]) iconAlignH = k;
                if (w == kV[k]) iconAlignV = k;
            }
    }
    if (s->getByName("icon-offset")) {
        const std::vector<std::string> v = styleWords(s, "icon-offset");
        for (size_t k = 0; k < 2; ++k)
            iconOffset[k] = k < v.size() ? static_cast<float>(std::atof(v[k].c_str())) : 0.0f;
    }
    if (s->getByName("icon-scale")) iconScale = s->value1f("icon-scale", 1.0f);
}

void Static::OnDraw(e_draw*) {
    if (!imageRes.empty()) {
        drawPicture();
        return;
    }
    drawBackground();
    UIArrange();
    const int cw = static_cast<int>(clientSize[0]), ch = static_cast<int>(clientSize[1]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(glm::value_ptr(clientMat));
    if (fmtFont) drawClassicText(cw, ch);
    if (stylePath.empty()) return;
    drawIcon(cw, ch);
    if (styleFont && !text.empty()) drawStyledText(cw, ch);
}

void Static::drawPicture() {
    res::Instance* ri = resInst();
    if (!ri) return;
    const res::Img picture = ri->image(imageRes);
    picture.draw(glm::value_ptr(frameMvp), 0, 0, static_cast<float>(picture.getWidth()),
                 static_cast<float>(picture.getHeight()), kWhite, 0x10, static_cast<int>(currentIndex), 0, 0,
                 1.0f, 0, 0, true);
}

// Additive blending deepens the classic fonts' thin strokes; the element's
// fade and a disabled state (a quarter) dim them.
void Static::drawClassicText(int cw, int ch) {
    const int ax = align.fromH == 1 ? cw / 2 : align.fromH == 2 ? cw : 5;
    const int ay = align.fromV == 1 ? ch / 2 : align.fromV == 2 ? ch : 2;
    const double alpha = opacity * (IsDisabled() ? 0.25 : 1.0);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    fmtFont->WriteEx(align.offsetX + ax, align.offsetY + ay, alpha, align.h, "%s", text.c_str());
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void Static::drawIcon(int cw, int ch) {
    res::Instance* ri = resInst();
    iconImage = ri ? ri->image(iconPath) : res::Img();
    if (!iconImage.isValid()) return;
    iconImage.draw(glm::value_ptr(mvp), 0, 0, static_cast<float>(cw), static_cast<float>(ch), kWhite,
                   static_cast<int>(iconFlags), iconIndex, static_cast<int>(iconAlignH),
                   static_cast<int>(iconAlignV), iconScale, iconOffset[0], iconOffset[1], true);
}

const ko::gl::FontGlyphVector& Static::layoutText(int cw) {
    const float maxWidth = fontWordWrap ? static_cast<float>(cw) : kNoWrap;
    const int mode = fontWordWrap ? static_cast<int>(fontAlignH) : 0;
    Layout& l = layout_;
    if (l.valid && l.font == styleFont && l.maxWidth == maxWidth && l.mode == mode &&
        l.sep[0] == fontSep[0] && l.sep[1] == fontSep[1] && l.scale[0] == fontScale[0] &&
        l.scale[1] == fontScale[1] && l.text == text)
        return l.glyphs;
    l.glyphs.Process(styleFont, maxWidth, kNoWrap, fontSep[0], fontSep[1], fontScale[0], fontScale[1], mode,
                     text);
    l.glyphs.calculateBoundindBox(l.box);
    l.text = text;
    l.font = styleFont;
    l.maxWidth = maxWidth;
    l.mode = mode;
    l.sep[0] = fontSep[0], l.sep[1] = fontSep[1];
    l.scale[0] = fontScale[0], l.scale[1] = fontScale[1];
    l.valid = true;
    return l.glyphs;
}

// A wrapped text is already placed in its box by the layout; an unwrapped
// one is placed here. Vertically the box's top goes to the anchor.
void Static::drawStyledText(int cw, int ch) {
    const ko::gl::FontGlyphVector& glyphs = layoutText(cw);
    const float* box = layout_.box;
    const float w = box[2] - box[0], h = box[3] - box[1];
    float x = 0, y = 0;
    // The client centre in whole pixels (an odd size rounds down).
    const auto halfW = static_cast<float>(cw / 2), halfH = static_cast<float>(ch / 2);
    if (!fontWordWrap) x = fontAlignH == 1 ? halfW - w * 0.5f : fontAlignH == 2 ? cw - w : 0;
    if (fontAlignV == 1) y = halfH - h * 0.5f;
    if (fontAlignV == 2) y = ch - h;
    x += fontOffset[0];
    y += fontOffset[1] - box[1];
    float rgba[4] = {textColor[0], textColor[1], textColor[2], textColor[3] * (IsDisabled() ? 0.3f : 1.0f)};
    styleFont->drawDGlyphs(glyphs, glm::value_ptr(mvp), rgba, x, y, 0, 0, static_cast<float>(cw),
                           static_cast<float>(ch));
}

}  // namespace koui
