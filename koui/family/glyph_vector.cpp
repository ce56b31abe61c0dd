#include "koui/family/glyph_vector.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "koui/family/font_face.h"
#include "koui/family/gl_font.h"
#include "koui/family/utf8.h"

namespace ko::gl {
namespace {
constexpr size_t kNone = std::numeric_limits<size_t>::max();
constexpr uint32_t kNoCharacter = std::numeric_limits<uint32_t>::max();

// Characters that take no room at the end of a line: spaces, line feeds and
// the zero-width control characters.
bool isBlank(const FontGlyph& g) {
    return g.code == ' ' || g.advance == 0;
}
}  // namespace

bool FontGlyphVector::Process(const Font* font, float maxWidth, float maxHeight, float sepX, float sepY,
                              float scaleX, float scaleY, int mode, std::string_view text) {
    glyphs_.clear();
    lines_.clear();
    font_ = font;
    scaleX_ = scaleX;
    scaleY_ = scaleY;
    if (!font || text.empty()) return false;

    const FontFace& face = font->face();
    const float* advances = face.advances();
    const int16_t* kerning = face.kerningTable();
    const float kerningScale = scaleX / 64.0f;
    const bool bounded = maxWidth < kUnbounded;
    const float lineStep = static_cast<float>(face.lineHeight()) * scaleY + sepY;
    const float descent = static_cast<float>(face.descender()) * scaleY;
    glyphs_.reserve(text.size());

    float pen = 0;
    float baseline = 0;
    uint32_t line = 0;
    size_t lineBegin = 0;
    size_t lastSpace = kNone;
    uint32_t previous = kNoCharacter;  // previous character on this line, for kerning
    uint32_t previousGlyph = 0;        // its glyph, when it is beyond the tables

    // Starts the next line; false when it would end below maxHeight.
    auto nextLine = [&]() {
        const float next = baseline + lineStep;
        if (next + descent > maxHeight) return false;
        baseline = next;
        ++line;
        pen = 0;
        previous = kNoCharacter;
        lastSpace = kNone;
        return true;
    };
    // The pen position of `code` after `previous`, kerning included; pairs
    // below 256 come from the face's table, others from the face itself.
    auto kerned = [&](float x, uint32_t code, uint32_t glyph) {
        if (previous == kNoCharacter) return x;
        if (previous < 256 && code < 256)
            return kerning ? x + kerning[previous * 256 + code] * kerningScale : x;
        const uint32_t left = previous < 256 ? face.metrics(previous).glyphIndex : previousGlyph;
        const uint32_t right = code < 256 ? face.metrics(code).glyphIndex : glyph;
        return x + face.kerningOfGlyphs(left, right) * scaleX;
    };

    for (size_t i = 0; i < text.size();) {
        const auto offset = static_cast<uint32_t>(i);
        const ko::util::Utf8Char c = ko::util::decodeUtf8(text, i);
        i += c.length;
        const uint32_t code = c.code;
        if (code == '\n') {
            glyphs_.push_back({pen, baseline, 0.0f, line, code, offset});
            closeLine(lineBegin, glyphs_.size(), false);
            lineBegin = glyphs_.size();
            if (!nextLine()) break;
            continue;
        }
        // Below 256 the flat tables answer; beyond, the face's lookup.
        float advance = 0;
        uint32_t glyph = 0;
        if (code < 256) {
            advance = advances[code] * scaleX;
        } else {
            const GlyphMetrics& m = face.metrics(code);
            advance = m.advance * scaleX;
            glyph = m.glyphIndex;
        }
        float x = kerned(pen, code, glyph);
        if (bounded && x + advance > maxWidth && glyphs_.size() > lineBegin && code != ' ') {
            // Wrap after the last space of the line, carrying the word begun
            // since then; without a space, break right here.
            const size_t carry = lastSpace == kNone ? glyphs_.size() : lastSpace + 1;
            const uint32_t carriedPrevious = previous;  // previousGlyph stays too
            closeLine(lineBegin, carry, true);
            lineBegin = carry;
            if (!nextLine()) {
                glyphs_.resize(carry);
                break;
            }
            if (carry < glyphs_.size()) {
                const float dx = glyphs_[carry].x;
                for (size_t k = carry; k < glyphs_.size(); ++k) {
                    glyphs_[k].x -= dx;
                    glyphs_[k].y = baseline;
                    glyphs_[k].line = line;
                }
                pen = glyphs_.back().x + glyphs_.back().advance + sepX;
                previous = carriedPrevious;
            }
            x = kerned(pen, code, glyph);
        }
        glyphs_.push_back({x, baseline, advance, line, code, offset});
        pen = x + advance + sepX;
        previous = code;
        previousGlyph = glyph;
        if (code == ' ') lastSpace = glyphs_.size() - 1;
    }
    if (lineBegin < glyphs_.size()) closeLine(lineBegin, glyphs_.size(), false);
    placeLines(maxWidth, mode);
    return !glyphs_.empty();
}

float FontGlyphVector::lineWidth(size_t begin, size_t end) const {
    for (size_t k = end; k > begin; --k) {
        const FontGlyph& g = glyphs_[k - 1];
        if (!isBlank(g)) return g.x + g.advance;
    }
    return 0;
}

void FontGlyphVector::closeLine(size_t begin, size_t end, bool wrapped) {
    lines_.push_back({begin, end, lineWidth(begin, end), wrapped});
}

void FontGlyphVector::placeLines(float maxWidth, int mode) {
    if (mode != kCenter && mode != kRight && mode != kJustify && mode != kJustifyEx) return;
    const bool bounded = maxWidth < kUnbounded;
    float box = maxWidth;
    if (!bounded) {
        if (mode == kJustify || mode == kJustifyEx) return;
        box = 0;
        for (const Line& l : lines_) box = std::max(box, l.width);
    }
    for (const Line& l : lines_) {
        if (mode == kJustify || mode == kJustifyEx) {
            if (l.wrapped || mode == kJustifyEx) justify(l, box);
            continue;
        }
        const float dx = mode == kCenter ? (box - l.width) * 0.5f : box - l.width;
        for (size_t k = l.begin; k < l.end; ++k) glyphs_[k].x += dx;
    }
}

void FontGlyphVector::justify(const Line& line, float boxWidth) {
    const float extra = boxWidth - line.width;
    if (extra <= 0) return;
    // The last glyph with ink; spaces after it are trailing and stay as they are.
    size_t last = line.end;
    while (last > line.begin && isBlank(glyphs_[last - 1])) --last;
    if (last == line.begin) return;
    --last;
    size_t gaps = 0;
    for (size_t k = line.begin; k < last; ++k) gaps += glyphs_[k].code == ' ';
    if (!gaps) return;
    const float perGap = extra / static_cast<float>(gaps);
    float shift = 0;
    for (size_t k = line.begin; k < line.end; ++k) {
        glyphs_[k].x += shift;
        if (k < last && glyphs_[k].code == ' ') {
            glyphs_[k].advance += perGap;
            shift += perGap;
        }
    }
}

unsigned FontGlyphVector::calculateBoundindBox(float* box) const {
    if (!box) return static_cast<unsigned>(glyphs_.size());
    box[0] = box[1] = box[2] = box[3] = 0;
    if (glyphs_.empty() || !font_) return 0;
    const FontFace& face = font_->face();
    const float ascent = static_cast<float>(face.ascender()) * scaleY_;
    const float descent = static_cast<float>(face.descender()) * scaleY_;
    float minX = std::numeric_limits<float>::max();
    float minY = minX;
    float maxX = std::numeric_limits<float>::lowest();
    float maxY = maxX;
    for (const FontGlyph& g : glyphs_) {
        minX = std::min(minX, g.x);
        maxX = std::max(maxX, g.x + g.advance);
        minY = std::min(minY, g.y - ascent);
        maxY = std::max(maxY, g.y + descent);
        const GlyphMetrics& m = face.metrics(g.code);
        if (!m.inkWidth) continue;
        // Drawing puts the pen on whole pixels; the ink follows from there.
        const float left = std::floor(g.x + 0.5f) + m.inkLeft * scaleX_;
        const float top = std::floor(g.y + 0.5f) + m.inkTop * scaleY_;
        minX = std::min(minX, left);
        maxX = std::max(maxX, left + m.inkWidth * scaleX_);
        minY = std::min(minY, top);
        maxY = std::max(maxY, top + m.inkHeight * scaleY_);
    }
    box[0] = minX;
    box[1] = minY;
    box[2] = maxX;
    box[3] = maxY;
    return static_cast<unsigned>(glyphs_.size());
}

}  // namespace ko::gl
