// koui::Static: the element that shows a text, an icon or a picture.
//
// Two generations of styling live side by side, and both draw when both are
// configured. The classic one names a formatted font, a text placement and a
// colour set by classic resource identifiers (koui/rm/); the resource-tree
// one takes the font, the text colour and alignment and an icon from the
// element's style node. A Static whose `imageRes` is set is a picture
// instead: it draws only that image, at its own size, and resizes itself to
// it every iterate, whatever its style says, so that a picture follows an
// image file edited while the program runs.
//
// Widgets built on it (buttons, edit fields) reuse its drawing and choose
// the state's image through `currentIndex`: the classic image set's image,
// the style image's version and the picture's version all follow it.
//
// Classic font description: comma-separated tokens (blanks around them
// ignored). The first token is always the formatted font's name, even when
// it looks like a keyword; after it, "!align" takes up to four tokens
// (offsetX, offsetY, horizontal word, vertical word) and "!from" up to two
// (the anchor's horizontal and vertical words). A token left empty keeps its
// field but still takes its place. Keywords and words compare without
// regard to case. Horizontal words: left/l, center/c, right/r; vertical:
// top/t, vcenter/vc, bottom/b.
//
// Classic colour set description: up to three classic colour names for
// colour set entries 0 (fill), 1 (outline) and 2; reading stops at the first
// empty name, and a name that is not found leaves its entry.
//
// Classic text goes to the formatted font as a "%s" argument, never as the
// format itself: a text holding "%" shows as written instead of being read
// as conversions with no arguments behind them.
//
// Per frame the styled text costs no layout: the glyph layout and its
// bounding box are kept and made again only when the text, the font, the
// wrap width or a layout field changed, or the style was read again (a
// resource reload may put a new font at a freed font's address).
//
// Threads: the GL thread of the window, like every element.
#pragma once

#include <cstdint>
#include <string>

#include "koui/export.h"
#include "koui/family/glyph_vector.h"
#include "koui/res/img.h"
#include "koui/ui/div.h"

namespace koui {

class RMFmtFont;

// Classic text placement: the formatted font's alignment at the anchor, an
// offset from it, and the anchor in the client area (0 start, 1 centre,
// 2 end on each axis).
struct KOUI_API Align {
    int32_t h = 0;
    int32_t v = 0;
    int32_t offsetX = 0;
    int32_t offsetY = 0;
    int32_t fromH = 0;
    int32_t fromV = 0;
};

class KOUI_API Static : public Div {
public:
    Static() = default;

    // A Static under `parent` with the classic font, icon and colour set
    // descriptions (null counts as empty); null when Create fails.
    static Static* wCreate(const char* name, Div* parent, int x, int y, int cx, int cy, const char* resId,
                           const char* font, const char* icon, const char* colorSet);
    // A picture of the image at resource path `image`.
    static Static* wCreateImage(const char* name, Div* parent, int x, int y, const char* image);

    const char* dGetClass() override { return "koui::Static"; }
    void OnIterate(e_iterate* e) override;
    void OnDraw(e_draw* e) override;
    void OnUpdateStyle() override;

    bool setFontFromRes(const char* desc);
    bool setColorSetFromRes(const char* desc);
    bool setIconFromRes(const char* id);
    bool setImageFromRes(const char* path);
    Static* setIcon(std::string path);
    void setIconIndex(int index) { iconIndex = index; }
    int getIconIndex() { return iconIndex; }

    // The classic descriptions parsed (see above); `index` is not used.
    RMFmtFont* getFontFromRes(Align& placement, std::string& desc, int index);
    RMFmtFont* getFontFromRes(std::string& desc, int index);
    bool getColorSetFromRes(ColorSet& set, std::string& desc, int index);

    // Fields, after Div's, in declaration order.
    std::string fontRes;
    std::string iconRes;
    std::string colorSetRes;
    std::string imageRes;
    RMFmtFont* fmtFont = nullptr;  // not owned
    Align align;
    res::Img iconImage;
    std::string iconPath;
    uint32_t iconFlags = 0;
    uint32_t iconAlignH = 1;
    uint32_t iconAlignV = 1;
    float iconScale = 1.0f;
    float iconOffset[2] = {0, 0};
    int32_t iconIndex = 0;

protected:
    // The rest of wCreate for a new element of a subclass: Create, then the
    // classic descriptions. Deletes `s` and returns null when Create fails.
    static Static* createClassic(Static* s, const char* name, Div* parent, int x, int y, int cx, int cy,
                                 const char* resId, const char* font, const char* icon, const char* colorSet);
    static Static* createImage(Static* s, const char* name, Div* parent, int x, int y, const char* image);

private:
    void drawPicture();
    void drawClassicText(int cw, int ch);
    void drawIcon(int cw, int ch);
    void drawStyledText(int cw, int ch);
    // The styled text laid out for a box cw wide; reuses the last layout
    // when nothing it depends on changed.
    const ko::gl::FontGlyphVector& layoutText(int cw);

    struct Layout {
        ko::gl::FontGlyphVector glyphs;
        float box[4] = {0, 0, 0, 0};  // min x, min y, max x, max y
        std::string text;
        const ko::gl::Font* font = nullptr;
        float maxWidth = -1;
        float sep[2] = {0, 0};
        float scale[2] = {0, 0};
        int mode = -1;
        bool valid = false;
    } layout_;
};

}  // namespace koui
