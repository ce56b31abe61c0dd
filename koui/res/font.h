// Font: a node naming a font file, a pixel size and style bits, from which
// the resource instance makes GL fonts on demand (Instance::getGLFont).
// Preprocessing makes a Font of every node with a childless child "font":
//
//     normal { font  size: 14  src: "Fonts/main.ttf" }    the flag and src
//     bold   { font: "Fonts/bold.ttf"  size: 14  bold }   a parameter font
//
// OnProcess records "font: Invalid size (%d)" for a size that is missing, not
// a number or not positive, and "No font path" when neither `font` nor `src`
// names a file. The style bits are kept for clients; GL fonts are made from
// path, size and the rendering keys:
//
//     body { font size: 14 src: "Fonts/main.ttf" hinting: light subpixel: 1 contrast: 1.4 }
//
// `hinting: light` fits stems vertically only, `subpixel: 1` puts the pen at
// quarter pixels, `contrast` above 1 keeps light text from looking thin
// (ko::gl::FontRendering). Without them text looks as it always did.
#pragma once

#include <cstdint>

#include "koui/export.h"
#include "koui/family/font_face.h"
#include "koui/res/node.h"

namespace koui::res {

class KOUI_API Font : public Node {
public:
    static constexpr int32_t kBold = 1;
    static constexpr int32_t kItalic = 2;

    explicit Font(std::string nodeName) : Node(std::move(nodeName)) {}

    bool OnProcess() override;
    // Fonts already made are not replaced: a changed font file only reports
    // "Font> OnResourceChange(<path>) - my font=[<own path>]". False when
    // `flag` is true.
    bool OnResourceChange(bool flag, const std::string& changedPath) override;

    static bool isClass(const Node* node) { return node && node->hasFlag("font"); }

    int32_t size = 0;   // pixel size
    int32_t style = 0;  // kBold | kItalic
    std::string path;   // font file, relative to the resource folder
    ko::gl::FontRendering rendering;
};

}  // namespace koui::res
