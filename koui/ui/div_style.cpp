// Div: style from the resource tree (uiSetStyle, UpdateStyle,
// OnUpdateStyle) and the lookup getters every element offers.
#include <cstdlib>
#include <cstring>
#include <typeinfo>

#include "koui/res/color.h"
#include "koui/res/instance.h"
#include "koui/ui/arrange_program.h"
#include "koui/ui/div.h"

namespace koui {

namespace {
std::string trimmed(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(" \t\r\n");
    return s.substr(b, e - b + 1);
}

// Words of an alignment list; each sets its axis, later words win.
struct AlignWords {
    const char* h[5];
    const char* v[3];
};

void readAlign(const res::Node* style, const char* key, const AlignWords& words, uint32_t& h, uint32_t& v) {
    ko::util::StrPar list = style->splitNodeValue(key, ',');
    for (int i = 0; i < list.count(); ++i) {
        std::string w = trimmed(*list.at(i));
        for (uint32_t k = 0; k < 5; ++k)
            if (words.h[k] && w == words.h[k]) h = k;
        for (uint32_t k = 0; k < 3; ++k)
            if (w == words.v[k]) v = k;
    }
}

const AlignWords kAlign{{"left", "center", "right", nullptr, nullptr}, {"top", "vcenter", "bottom"}};
const AlignWords kFontAlign{{"left", "center", "right", "justify", "justify-ex"},
                            {"top", "vcenter", "bottom"}};

float itemf(const ko::util::StrPar& list, int i, float def) {
    const std::string* s = list.at(i);
    return s ? static_cast<float>(std::atof(s->c_str())) : def;
}

int itemi(const ko::util::StrPar& list, int i, int def) {
    const std::string* s = list.at(i);
    return s ? std::atoi(s->c_str()) : def;
}

float kWhite[4] = {1, 1, 1, 1};
}  // namespace

std::string Div::uiSetStyle(std::string path) {
    if (path != stylePath) {
        stylePath = std::move(path);
        arrangeProgram.reset();
        if (resInst()) {
            OnUpdateStyle();
            for (size_t i = 0; i < children.size(); ++i) children[i]->UpdateStyle();
        }
    }
    return stylePath;
}

bool Div::UpdateStyle() {
    if (!resInst()) return false;
    arrangeProgram.reset();  // its fonts and colours are read again too
    OnUpdateStyle();
    for (size_t i = 0; i < children.size(); ++i) children[i]->UpdateStyle();
    return true;
}

res::Node* Div::GetStyleNode() {
    res::Instance* ri = resInst();
    return ri ? ri->findNode(stylePath) : nullptr;
}

const char* Div::uiSetResID(const char* id) {
    resId = id ? id : "";
    return resId.c_str();
}

// The key's node under the style node when it is a colour, else the colour
// its value names through the instance's typed lookup, which follows one more
// alias ("bkcolor: theme.panel" with "panel: theme.back" and "back: rgb(...)"
// gives back's colour); the field keeps its value otherwise.
void Div::readStyleColor(res::Node* style, const char* key, float* out) {
    res::Node* node = style->findNode(key);
    if (!node) return;
    const res::Color* found = nullptr;
    if (typeid(*node) == typeid(res::Color)) {
        found = static_cast<res::Color*>(node);
    } else if (res::Instance* ri = resInst()) {
        found = ri->findColor(node->valueText);
    }
    if (found) std::memcpy(out, found->rgba, sizeof(float) * 4);
}

void Div::OnUpdateStyle() {
    arrangeProgram.reset();
    res::Node* s = GetStyleNode();
    if (!s) return;
    auto has = [s](const char* key) { return s->getByName(key) != nullptr; };
    auto val = [s](const char* key) { return s->value(key); };

    if (has("x")) {
        std::string v = val("x");
        if (v.find('%') != std::string::npos)
            dSetX(s->value1f("x", 0), UNIT_PERCENT);
        else
            dSetX(s->value1i("x", 0), UNIT_PIXEL);
    }
    if (has("y")) {
        std::string v = val("y");
        if (v.find('%') != std::string::npos)
            dSetY(s->value1f("y", 0), UNIT_PERCENT);
        else
            dSetY(s->value1i("y", 0), UNIT_PIXEL);
    }
    if (has("width")) {
        std::string v = val("width");
        if (v.find('%') != std::string::npos)
            dSetCX(static_cast<float>(std::atof(v.c_str())), UNIT_PERCENT);
        else
            dSetCX(std::atoi(v.c_str()), UNIT_PIXEL);
    }
    if (has("height")) {
        std::string v = val("height");
        if (v.find('%') != std::string::npos)
            dSetCY(static_cast<float>(std::atof(v.c_str())), UNIT_PERCENT);
        else
            dSetCY(std::atoi(v.c_str()), UNIT_PIXEL);
    }
    if (has("align")) {
        uint32_t h = 0, v = 0;
        readAlign(s, "align", kAlign, h, v);
        hAlign = static_cast<uint8_t>(h);
        vAlign = static_cast<uint8_t>(v);
    }
    if (has("padding")) {
        ko::util::StrPar list = s->splitNodeValue("padding", ',');
        padding[0] = itemf(list, 0, 0);
        for (int i = 1; i < 4; ++i) padding[i] = itemf(list, i, padding[0]);
    }
    if (has("color")) readStyleColor(s, "color", textColor);
    if (has("bkcolor")) readStyleColor(s, "bkcolor", bkColor);
    if (has("image")) styleImage = image(stylePath + ".image");
    auto adoptImageSize = [this] {
        int w = styleImage.getWidth(), h = styleImage.getHeight();
        if (w > 0) dSetCX(w, UNIT_PIXEL);
        if (h > 0) dSetCY(h, UNIT_PIXEL);
    };
    if (has("image-make")) {
        styleImage = image(stylePath + ".image-make");
        adoptImageSize();
        imageFlags = 0x10;
    }
    if (has("use-image-size")) adoptImageSize();
    if (has("image-flags")) {
        static const char* const kFlags[] = {"fill", "scale", "hflip", "vflip", "int"};
        ko::util::StrPar list = s->splitNodeValue("image-flags", ',');
        uint32_t bits = 0;
        for (int i = 0; i < list.count(); ++i) {
            std::string w = trimmed(*list.at(i));
            for (uint32_t k = 0; k < 5; ++k)
                if (w == kFlags[k]) bits |= 1u << k;
        }
        imageFlags = bits;
    }
    if (has("image-align")) {
        uint32_t h = 1, v = 1;
        readAlign(s, "image-align", kAlign, h, v);
        imageAlignH = h;
        imageAlignV = v;
    }
    if (has("image-scale")) imageScale = s->value1f("image-scale", 1.0f);
    if (has("font-type")) styleFont = font(stylePath + ".font-type");
    if (has("font-align")) {
        uint32_t h = 1, v = 1;
        readAlign(s, "font-align", kFontAlign, h, v);
        fontAlignH = h;
        fontAlignV = v;
    }
    if (has("font-offset")) {
        ko::util::StrPar list = s->splitNodeValue("font-offset", ',');
        fontOffset[0] = itemi(list, 0, 0);
        fontOffset[1] = itemi(list, 1, 0);
    }
    if (has("font-sep")) {
        ko::util::StrPar list = s->splitNodeValue("font-sep", ',');
        fontSep[0] = itemf(list, 0, 0);
        fontSep[1] = itemf(list, 1, 0);
    }
    if (has("font-sc")) {
        ko::util::StrPar list = s->splitNodeValue("font-sc", ',');
        fontScale[0] = itemf(list, 0, 1.0f);
        fontScale[1] = itemf(list, 1, 1.0f);
    }
    if (has("font-wordwrap")) fontWordWrap = val("font-wordwrap") == "true";
    if (has("text")) text = val("text");
    if (has("tooltip")) toolTip = val("tooltip");
    if (has("border-color")) readStyleColor(s, "border-color", borderColor);
    if (has("border-size")) borderSize = s->value1f("border-size", 0);
    if (has("border-radius")) borderRadius = s->value1f("border-radius", 0);
    if (has("edge-smooth")) edgeSmooth = s->value1f("edge-smooth", 0) != 0;
    if (has("!ui-arrange")) getvalue(arrangeCommands, stylePath + ".!ui-arrange.commands");
}

bool Div::getvalue(std::string& out, std::string path) {
    res::Instance* ri = resInst();
    return ri && ri->getvalue(out, path);
}

bool Div::getvalue(std::string& out, std::string path, int index) {
    res::Instance* ri = resInst();
    return ri && ri->getvalue(out, path, index);
}

const res::NodeText& Div::getvalue(const std::string& path) {
    static const res::NodeText empty;
    res::Instance* ri = resInst();
    return ri ? ri->getvalue(path) : empty;
}

std::string Div::value(std::string path) {
    res::Instance* ri = resInst();
    return ri ? ri->value(path) : std::string();
}

std::string Div::value(std::string path, std::string def) {
    res::Instance* ri = resInst();
    return ri ? ri->value(path, def) : def;
}

int Div::value1i(std::string path, int def) {
    res::Instance* ri = resInst();
    return ri ? ri->value1i(path, def) : def;
}

float Div::value1f(std::string path, float def) {
    res::Instance* ri = resInst();
    return ri ? ri->value1f(path, def) : def;
}

bool Div::valueiv(std::vector<int>& out, std::string path, int count, int def) {
    res::Instance* ri = resInst();
    if (ri) return ri->valueiv(out, path, count, def);
    out.assign(count > 0 ? static_cast<size_t>(count) : 0, def);
    return false;
}

bool Div::valuefv(std::vector<float>& out, std::string path, int count, float def) {
    res::Instance* ri = resInst();
    if (ri) return ri->valuefv(out, path, count, def);
    out.assign(count > 0 ? static_cast<size_t>(count) : 0, def);
    return false;
}

bool Div::valueiv(int* out, std::string path, int count, int def) {
    res::Instance* ri = resInst();
    return ri && ri->valueiv(out, path, count, def);
}

bool Div::valuefv(float* out, std::string path, int count, float def) {
    res::Instance* ri = resInst();
    return ri && ri->valuefv(out, path, count, def);
}

std::vector<int> Div::valueiv(std::string path, int count, int def) {
    std::vector<int> out;
    valueiv(out, std::move(path), count, def);
    return out;
}

std::vector<float> Div::valuefv(std::string path, int count, float def) {
    std::vector<float> out;
    valuefv(out, std::move(path), count, def);
    return out;
}

ko::util::StrPar Div::getParVec(std::string path) {
    res::Node* n = findNode(std::move(path));
    return n ? n->splitValue(',') : ko::util::StrPar();
}

float* Div::color(std::string path) {
    res::Instance* ri = resInst();
    return ri ? ri->color(path) : kWhite;
}

glm::vec4 Div::colorvec4(std::string path) {
    const float* c = color(std::move(path));
    return {c[0], c[1], c[2], c[3]};
}

ko::gl::Font* Div::font(std::string path) {
    res::Instance* ri = resInst();
    return ri ? ri->font(path) : nullptr;
}

res::Img Div::image(std::string path) {
    res::Instance* ri = resInst();
    return ri ? ri->image(path) : res::Img();
}

res::Node* Div::findNode(std::string path) {
    res::Instance* ri = resInst();
    return ri ? ri->findNode(path) : nullptr;
}

}  // namespace koui
