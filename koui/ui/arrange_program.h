// koui::ArrangeProgram: an element's arrangement commands (div_arrange.cpp)
// made ready to run, kept by the element between frames.
//
// Splitting the text into lines and tokens, and looking the six headings'
// fonts and colours up by path, happen once; each heading's text is laid
// out once, on its first write. What the program was made from is kept
// beside it (the command text, the style path and the resource instance):
// a change of any of them, or a style read (Div::UpdateStyle, uiSetStyle,
// OnUpdateStyle, which a resource reload runs), makes it again.
//
// Ink. A run that draws records the client-space box of everything it drew,
// for the culling of Div::Draw; the box holds for the client width it was
// made at. A program whose drawing depends on more than its text and that
// width (images, or a cursor advanced by a child's size) has no box, and
// neither does one that places children (placement must happen every
// frame): the element is then always drawn.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "koui/family/glyph_vector.h"
#include "koui/family/strpar.h"

namespace ko::gl {
class Font;
}

namespace koui {

namespace res {
class Instance;
}

struct ArrangeProgram {
    static constexpr int kLevels = 6;

    struct Line {
        ko::util::StrPar tokens;
        ko::gl::FontGlyphVector text;        // the heading's layout, once written
        const ko::gl::Font* font = nullptr;  // that layout's font; null: not laid out yet
    };

    std::string source;  // the command text the lines were split from
    std::string style;   // the style path the headings were looked up under
    res::Instance* resources = nullptr;
    std::vector<Line> lines;
    ko::gl::Font* fonts[kLevels] = {};
    float colors[kLevels][4] = {};

    // No ink box, ever (see above).
    bool inkUnbounded = false;
    // The box of the last drawing run (min x, min y, max x, max y), valid at
    // client width inkWidth when inkValid.
    bool inkValid = false;
    float inkWidth = 0;
    float ink[4] = {0, 0, 0, 0};
};

}  // namespace koui
