#include "koui/res/font.h"

#include <algorithm>

#include "koui/family/appmsg.h"

using namespace ko::log;

namespace koui::res {

bool Font::OnProcess() {
    size = value1i("size", 0);
    if (size <= 0) return error("font: Invalid size (%d)", size);
    style = 0;
    if (hasFlag("bold")) style |= kBold;
    if (hasFlag("italic")) style |= kItalic;
    path = value("font");
    if (path.empty()) path = value("src");
    if (path.empty()) return error("No font path");
    rendering = {};
    rendering.lightHinting = value("hinting") == "light";
    if (value1i("subpixel", 0) > 0) rendering.subpixel = ko::gl::FontRendering::kMaxSubpixel;
    rendering.contrast = std::max(value1f("contrast", 1.0f), 1.0f);
    return true;
}

bool Font::OnResourceChange(bool flag, const std::string& changedPath) {
    if (flag) return false;
    appmsg("Font> OnResourceChange(%s) - my font=[%s]", changedPath.c_str(), path.c_str());
    return true;
}

}  // namespace koui::res
