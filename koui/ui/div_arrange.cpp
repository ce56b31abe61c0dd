// Div::UIArrange: the arrangement commands, a small line-oriented program a
// style node carries under "!ui-arrange" (text in its child "commands") and
// that runs every time the element draws. It writes text in six heading
// styles, draws separator lines and images, and places named children, all
// relative to a cursor that walks down the element's client area.
//
// The program text. Lines end at line feeds; other control bytes and bytes
// of 0x80 and above are dropped (so a CR LF program, which is what a raw text
// block of the definitions yields, reads like an LF one), empty lines are
// skipped, and text after the last line feed is not run: a line counts only
// once it is complete. Each line is split at commas; numbers are read with
// atoi, and an argument that is absent or empty leaves its value alone.
//
//   off,x,y            cursor x, y
//   sep,sx,sy          separation: sx after "divix"/"imageix", sy after text
//                      lines, "diviy" and "imageiy"
//   hline[,width]      1-pixel line, white at alpha 0.6, from the cursor;
//                      without a width to the right edge. The width token is
//                      consumed, and the checks below then look at it, so
//                      "hline,x+=4" draws nothing (width 0) and moves x by 4.
//   x+=n, y+=n         cursor steps
//   h<d>,text          heading d (0..5) at the cursor, then the cursor moves
//                      down by that font's line height plus sy
//   h<d>xy,dx,dy,text  heading d at cursor + (dx, dy); the cursor stays
//   div|divix|diviy,name,x,y,w,h          place the child `name`; "*" as w
//                      means up to the right edge; divix/diviy advance
//   image|imageix|imageiy,path,dx,dy,w,h,version   draw an image resource
//
// Heading d takes its font from "<style>.!ui-arrange.h<d>-font" (a font
// resource, else the instance's default font) and its colour from
// "<style>.!ui-arrange.h<d>-color" (else opaque white). Coordinates are
// client pixels: lines are drawn with the model-view matrix set to the
// client matrix, text and images with the element's mvp, both as computed by
// the last iterate.
//
// Per frame the program costs no parsing: its lines, tokens, heading fonts
// and colours and its headings' text layouts are kept in an ArrangeProgram
// (arrange_program.h) and made again only when the command text, the style
// path or the resource instance changed, or the style was read again.
//
// Readings chosen where the plain rules leave a hole:
// - A heading whose font cannot be had at all (no resource instance, or the
//   default font file is unreadable) writes nothing and leaves the cursor
//   where it is: without a font there is no line height to move by.
// - "div" without a child name does nothing; an empty name would otherwise
//   address whichever unnamed child comes first.
// - A style path too long for the 1024-byte key buffer gives the defaults
//   instead of a lookup of a cut-off path.
// - A "*" width from a cursor already past the right edge is 0: a negative
//   size would mean "the parent's width minus that much" to the geometry and
//   stretch the child over nearly the whole parent.
// - Cursor arithmetic saturates at the 32-bit limits rather than overflowing
//   on absurd numbers in a resource file.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "koui/family/gl_font.h"
#include "koui/family/kox_rect.h"
#include "koui/family/strpar.h"
#include "koui/res/instance.h"
#include "koui/ui/arrange_program.h"
#include "koui/ui/div.h"

using namespace ko::gl;

namespace koui {

namespace {

constexpr int kLevels = ArrangeProgram::kLevels;
const float kWhite[4] = {1, 1, 1, 1};

// Interpreter state of one UIArrange call.
struct ArrangeState {
    explicit ArrangeState(ArrangeProgram& program) : p(program) {}
    ArrangeProgram& p;
    ArrangeProgram::Line* line = nullptr;  // the line that runs
    int32_t cursor[2] = {0, 0};
    int32_t sep[2] = {0, 0};
    int32_t clientWidth = 0;
    float ink[4] = {std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                    std::numeric_limits<float>::lowest(), std::numeric_limits<float>::lowest()};

    void addInk(float x0, float y0, float x1, float y1) {
        ink[0] = std::min({ink[0], x0, x1});
        ink[1] = std::min({ink[1], y0, y1});
        ink[2] = std::max({ink[2], x0, x1});
        ink[3] = std::max({ink[3], y0, y1});
    }
};

// Sums in 64 bits and clamps to int32, so that no resource text can make the
// cursor overflow.
int32_t clampedSum(int64_t a, int64_t b, int64_t c = 0, int64_t d = 0) {
    int64_t s = a + b + c + d;
    s = std::clamp<int64_t>(s, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    return static_cast<int32_t>(s);
}

// A client extent in whole pixels, truncated. Sizes beyond the int32 range
// clamp and NaN reads as 0, since no float-to-int cast may see them.
int32_t wholePixels(float v) {
    if (std::isnan(v)) return 0;
    return static_cast<int32_t>(
        std::clamp<double>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// The token exists and is not empty.
bool given(const ko::util::StrPar& t, int i) {
    const std::string* s = t.at(i);
    return s && !s->empty();
}

int number(const ko::util::StrPar& t, int i) {
    const std::string* s = t.at(i);
    return s ? std::atoi(s->c_str()) : 0;
}

bool startsWith(const std::string& s, const char* prefix) {
    return s.compare(0, std::strlen(prefix), prefix) == 0;
}

// "<style>.!ui-arrange.h<level><suffix>" into `buf`; false when it does not fit.
bool headingKey(char (&buf)[1024], const std::string& style, int level, const char* suffix) {
    int n = std::snprintf(buf, sizeof buf, "%s.!ui-arrange.h%d%s", style.c_str(), level, suffix);
    return n >= 0 && static_cast<size_t>(n) < sizeof buf;
}

void buildHeadings(Div& d, ArrangeProgram& p, res::Instance* ri) {
    char key[1024];
    for (int level = 0; level < kLevels; ++level) {
        p.fonts[level] = nullptr;
        if (headingKey(key, d.stylePath, level, "-font"))
            p.fonts[level] = d.font(key);
        else if (ri)
            p.fonts[level] = ri->getGLFont(res::Instance::kDefaultFontPath, res::Instance::kDefaultFontSize);
        const float* c = headingKey(key, d.stylePath, level, "-color") ? d.color(key) : kWhite;
        std::copy(c, c + 4, p.colors[level]);
    }
    for (ArrangeProgram::Line& line : p.lines) line.font = nullptr;
    p.style = d.stylePath;
    p.resources = ri;
    p.inkValid = false;
}

// Commands whose drawing or placement the ink box cannot follow.
bool outsideInk(const std::string& token) {
    for (const char* base : {"div", "image"}) {
        const size_t n = std::strlen(base);
        if (token.compare(0, n, base) == 0 &&
            (token.size() == n ||
             (token.size() == n + 2 && token[n] == 'i' && (token[n + 1] == 'x' || token[n + 1] == 'y'))))
            return true;
    }
    return false;
}

// Lines as the text gives them: a line counts once its line feed is seen,
// control bytes and bytes of 0x80 and above are dropped, empty lines skipped.
void splitProgram(ArrangeProgram& p, const std::string& text) {
    p.source = text;
    p.lines.clear();
    p.inkUnbounded = false;
    p.inkValid = false;
    std::string line;
    for (unsigned char c : text) {
        if (c == '\n') {
            if (!line.empty()) {
                p.lines.push_back({ko::util::StrPar::split(line, ','), {}, nullptr});
                for (const std::string& token : p.lines.back().tokens.items())
                    p.inkUnbounded = p.inkUnbounded || outsideInk(token);
            }
            line.clear();
        } else if (c >= 32 && c < 0x80) {
            line.push_back(static_cast<char>(c));
        }
    }
}

// "off" and "sep": set a pair from the given arguments.
void setPair(const ko::util::StrPar& t, const char* command, int32_t (&pair)[2]) {
    if (*t.at(0) != command) return;
    if (given(t, 1)) pair[0] = number(t, 1);
    if (given(t, 2)) pair[1] = number(t, 2);
}

// "hline": draws, then steps the line's index past its argument.
void separatorLine(ArrangeState& s, ko::util::StrPar& t) {
    if (*t.at(0) != "hline") return;
    int64_t width = t.at(1) ? number(t, 1) : int64_t{s.clientWidth} - s.cursor[0];
    koxGL_FillRect(s.cursor[0], s.cursor[1], static_cast<double>(width), 1.0, 1.0, 1.0, 1.0, 0.6);
    s.addInk(static_cast<float>(s.cursor[0]), static_cast<float>(s.cursor[1]),
             static_cast<float>(s.cursor[0] + width), static_cast<float>(s.cursor[1]) + 1.0f);
    t.advance();
}

// "x+=n" and "y+=n".
void cursorStep(ArrangeState& s, const ko::util::StrPar& t) {
    const std::string& t0 = *t.at(0);
    for (int axis = 0; axis < 2; ++axis)
        if (startsWith(t0, axis == 0 ? "x+=" : "y+="))
            s.cursor[axis] = clampedSum(s.cursor[axis], std::atoi(t0.c_str() + 3));
}

// The heading's text, laid out on the line's first write with this font,
// with its top left at (x, y).
void writeHeading(Div& d, ArrangeState& s, ko::gl::Font* f, int level, float x, float y,
                  const std::string* text) {
    ArrangeProgram::Line& line = *s.line;
    if (line.font != f) {
        if (!text || !f->layoutForWrite(line.text, *text)) line.text.clear();
        line.font = f;
    }
    if (line.text.empty()) return;
    f->writeLaidOut(line.text, d.getMVP(), s.p.colors[level], x, y);
    float box[4];
    line.text.calculateBoundindBox(box);
    const float top = y + static_cast<float>(f->getAscender());
    s.addInk(x + box[0], top + box[1], x + box[2], top + box[3]);
}

// "h<d>,text" and "h<d>xy,dx,dy,text".
void heading(Div& d, ArrangeState& s, const ko::util::StrPar& t) {
    const std::string& t0 = *t.at(0);
    if ((t0.size() != 2 && t0.size() != 4) || t0[0] != 'h' ||
        !std::isdigit(static_cast<unsigned char>(t0[1])))
        return;
    int level = t0[1] - '0';
    if (level >= kLevels || !s.p.fonts[level]) return;
    ko::gl::Font* f = s.p.fonts[level];
    if (t0.size() == 4 && t0.compare(2, 2, "xy") == 0) {
        float x = static_cast<float>(int64_t{s.cursor[0]} + number(t, 1));
        float y = static_cast<float>(int64_t{s.cursor[1]} + number(t, 2));
        writeHeading(d, s, f, level, x, y, t.at(3));
        return;
    }
    writeHeading(d, s, f, level, static_cast<float>(s.cursor[0]), static_cast<float>(s.cursor[1]), t.at(1));
    s.cursor[1] = clampedSum(s.cursor[1], f->getLineHeight(), s.sep[1]);
}

// Where a placed child or image ends up, and how the cursor follows it.
struct Placement {
    int32_t x, y, w, h;
};

void advanceAfter(ArrangeState& s, const Placement& p, const std::string& command, const char* base) {
    size_t n = std::strlen(base);
    if (command.size() != n + 2) return;
    if (command.compare(n, 2, "ix") == 0) s.cursor[0] = clampedSum(p.x, p.w, s.sep[0]);
    if (command.compare(n, 2, "iy") == 0) s.cursor[1] = clampedSum(p.y, p.h, s.sep[1]);
}

bool isFamily(const std::string& t0, const char* base) {
    std::string b(base);
    return t0 == b || t0 == b + "ix" || t0 == b + "iy";
}

// "div", "divix", "diviy": position and size of a named direct child.
void placeChild(Div& d, ArrangeState& s, const ko::util::StrPar& t) {
    const std::string& t0 = *t.at(0);
    if (!isFamily(t0, "div") || !given(t, 1)) return;
    Div* child = d.dGetChildByName(*t.at(1));
    if (!child) return;
    Placement p{s.cursor[0], s.cursor[1], wholePixels(child->clientSize[0]),
                wholePixels(child->clientSize[1])};
    if (given(t, 2)) {
        p.x = clampedSum(s.cursor[0], number(t, 2));
        child->dSetX(p.x, UNIT_PIXEL);
    }
    if (given(t, 3)) {
        p.y = clampedSum(s.cursor[1], number(t, 3));
        child->dSetY(p.y, UNIT_PIXEL);
    }
    if (given(t, 4)) {
        p.w = (*t.at(4))[0] == '*' ? std::max(0, clampedSum(s.clientWidth, -int64_t{p.x})) : number(t, 4);
        child->dSetCX(p.w, UNIT_PIXEL);
    }
    if (given(t, 5)) {
        p.h = number(t, 5);
        child->dSetCY(p.h, UNIT_PIXEL);
    }
    advanceAfter(s, p, t0, "div");
}

// "image", "imageix", "imageiy": an image resource at the cursor.
void drawImage(Div& d, ArrangeState& s, const ko::util::StrPar& t) {
    const std::string& t0 = *t.at(0);
    if (!isFamily(t0, "image")) return;
    res::Img img = d.image(t.get(1));
    if (!img.isValid()) return;
    Placement p{clampedSum(s.cursor[0], number(t, 2)), clampedSum(s.cursor[1], number(t, 3)),
                given(t, 4) ? number(t, 4) : img.getWidth(), given(t, 5) ? number(t, 5) : img.getHeight()};
    int version = given(t, 6) ? number(t, 6) : 0;
    img.draw(d.getMVP(), static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.w),
             static_cast<float>(p.h), kWhite, 0, version, 1, 1, 1.0f, 0, 0, true);
    advanceAfter(s, p, t0, "image");
}

// The checks in their fixed order; "hline" consumes its argument, so the
// later checks see the token after it.
void runLine(Div& d, ArrangeState& s, ArrangeProgram::Line& line) {
    ko::util::StrPar& t = line.tokens;
    t.setStart(0);
    s.line = &line;
    if (!t.at(0)) return;
    setPair(t, "off", s.cursor);
    setPair(t, "sep", s.sep);
    separatorLine(s, t);
    if (!t.at(0)) return;
    cursorStep(s, t);
    heading(d, s, t);
    placeChild(d, s, t);
    drawImage(d, s, t);
}

}  // namespace

void Div::UIArrange() {
    if (arrangeCommands.empty()) return;
    if (!arrangeProgram) arrangeProgram = std::make_unique<ArrangeProgram>();
    ArrangeProgram& p = *arrangeProgram;
    res::Instance* ri = resInst();
    if (p.source != arrangeCommands) {
        splitProgram(p, arrangeCommands);
        buildHeadings(*this, p, ri);
    } else if (p.style != stylePath || p.resources != ri) {
        buildHeadings(*this, p, ri);
    }
    dApplyToGL(false);
    ArrangeState s(p);
    s.clientWidth = wholePixels(clientSize[0]);
    for (ArrangeProgram::Line& line : p.lines) runLine(*this, s, line);
    p.inkValid = true;
    p.inkWidth = clientSize[0];
    std::copy(s.ink, s.ink + 4, p.ink);
}

}  // namespace koui
