// ko::gl::FontGlyphVector: text laid out into one record per character.
//
// Layout space has its origin on the baseline of the first line at the left
// end of the layout box; x grows to the right and y downwards, so glyph ink
// above the first baseline has negative y. Font::drawDGlyphs(v, ..., x, y,
// ...) puts this origin at (x, y).
//
// Text is UTF-8, cut into characters as koui/family/utf8.h says; an
// ill-formed sequence is one character, U+FFFD, and shows the font's
// replacement glyph, as does a code point the font lacks. Every character
// that is laid out gets exactly one record, spaces, line feeds and control
// characters included, and each record knows the byte offset where its
// character begins (an edit field maps caret positions to x positions
// through this). The records were once one per byte, when text was
// Latin-1; for ASCII text they still are, with the same positions.
//
// Process arguments:
//   maxWidth   the layout box width: lines wrap so that no glyph crosses it.
//              A line breaks after its last space that fits, or, in a word
//              wider than the box, before the glyph that would cross it. A
//              width of kUnbounded (1e9) or more never wraps. A glyph wider
//              than the whole box gets a line to itself.
//   maxHeight  lines are laid out while their line box (ascender above the
//              baseline to descender below it) ends at or above maxHeight;
//              the first line always is. Characters of dropped lines get no record.
//   sepX       extra space after each glyph (character spacing), pixels.
//   sepY       extra space between lines, pixels.
//   scaleX/Y   scale of advances, kerning, line height and glyph bitmaps.
//   mode       horizontal placement of each line in the box:
//                0 left, 1 centre, 2 right,
//                3 justify: a line that was wrapped is stretched to the box
//                  width by widening its spaces; the last line of a paragraph
//                  (the text's end or a line feed) stays left aligned,
//                4 justify-ex: as 3, and the last lines of paragraphs are
//                  stretched as well.
//              With an unbounded width the box is as wide as the widest line,
//              and modes 3 and 4 act like 0.
// A line feed (10) ends a line. Spaces where a line wraps stay at the
// end of the line they follow and do not count in its width.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "koui/export.h"

namespace ko::gl {

class Font;

struct KOUI_API FontGlyph {
    float x = 0;          // pen position: left end of the glyph's advance
    float y = 0;          // baseline of the glyph's line
    float advance = 0;    // scaled advance width, without kerning or separation
    uint32_t line = 0;    // line number, from 0
    uint32_t code = 0;    // the code point; U+FFFD for an ill-formed sequence
    uint32_t offset = 0;  // byte offset of the character in the text
};

class KOUI_API FontGlyphVector {
public:
    static constexpr float kUnbounded = 1e9f;

    enum Mode { kLeft = 0, kCenter = 1, kRight = 2, kJustify = 3, kJustifyEx = 4 };

    // Lays `text` out with `font` (see above). Returns false, leaving the
    // vector empty, when there is no font or no text.
    bool Process(const Font* font, float maxWidth, float maxHeight, float sepX, float sepY, float scaleX,
                 float scaleY, int mode, std::string_view text);

    // Writes min x, min y, max x, max y of the layout into box[0..3] and
    // returns the number of records. The box covers each record's line cell
    // (its advance by the line box) and the ink of its glyph, as drawn from
    // a whole-pixel origin. Empty layout: all four 0, result 0. Reads the
    // font of the last Process, which must still exist.
    unsigned calculateBoundindBox(float* box) const;

    size_t size() const { return glyphs_.size(); }
    bool empty() const { return glyphs_.empty(); }
    const FontGlyph& operator[](size_t i) const { return glyphs_[i]; }
    const std::vector<FontGlyph>& glyphs() const { return glyphs_; }
    std::vector<FontGlyph>::const_iterator begin() const { return glyphs_.begin(); }
    std::vector<FontGlyph>::const_iterator end() const { return glyphs_.end(); }
    int lineCount() const { return glyphs_.empty() ? 0 : static_cast<int>(glyphs_.back().line) + 1; }

    const Font* font() const { return font_; }
    float scaleX() const { return scaleX_; }
    float scaleY() const { return scaleY_; }
    void clear() { glyphs_.clear(); }

private:
    struct Line {
        size_t begin;
        size_t end;
        float width;
        bool wrapped;
    };

    float lineWidth(size_t begin, size_t end) const;
    void closeLine(size_t begin, size_t end, bool wrapped);
    void placeLines(float maxWidth, int mode);
    void justify(const Line& line, float boxWidth);

    std::vector<FontGlyph> glyphs_;
    std::vector<Line> lines_;
    const Font* font_ = nullptr;
    float scaleX_ = 1;
    float scaleY_ = 1;
};

}  // namespace ko::gl
