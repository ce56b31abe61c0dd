// koui::pz::View: the element an application adds to get a plot. It makes
// and lays out three children, a plot canvas (canvas.h) filling the area
// and two rulers (ruler.h) along its top and left edges, and holds the
// application's callbacks: plot content drawing, drawing on top of it, and
// pointer activity on the canvas.
//
// Layout follows the rulers' current, animated thickness every cycle, so a
// ruler that hides gives its space to the canvas as it shrinks. Thickness
// comes from the style (".ruler.horz.height", ".ruler.vert.width", 20
// pixels without them).
//
// Keys, when the view has the focus: F or Home fits all data series into
// the canvas.
//
// Children's styles: "<style>.canvas", "<style>.ruler.horz",
// "<style>.ruler.vert".
#pragma once

#include <functional>
#include <glm/vec2.hpp>
#include <string>
#include <vector>

#include "koui/export.h"
#include "koui/pz/canvas.h"
#include "koui/pz/ruler.h"
#include "koui/pz/series.h"
#include "koui/ui/div.h"

namespace koui::pz {

class KOUI_API View : public Div {
public:
    using DrawCB = std::function<void(const e_drawinfo&)>;
    using MouseCB = std::function<void(const e_mouseinfo&)>;

    const char* dGetClass() override { return "koui::pz::View"; }
    void OnCreate() override;
    void OnIterate(e_iterate* e) override;
    bool OnKeyEvent(e_keyevent* e) override;

    void Arrange();
    Canvas* getCanvas() { return canvas; }
    Ruler* getHorzRuler() { return horzRuler; }
    Ruler* getRuler(int i) { return i == 0 ? horzRuler : i == 1 ? vertRuler : nullptr; }
    float* applyMat() { return canvas ? canvas->applyMat() : nullptr; }
    float* applyMatNoMod() { return canvas ? canvas->applyMatNoMod() : nullptr; }

    void setDrawCB(const DrawCB& fn) { drawCB = fn; }
    void setPostDrawCB(const DrawCB& fn) { postDrawCB = fn; }
    void setMouseCB(const MouseCB& fn) { mouseCB = fn; }

    // Data series on the canvas, coloured by `colorKey` under the canvas's
    // style (series.h).
    Series& addLine(std::vector<glm::vec2> pts, std::string colorKey);
    Series& addScatter(std::vector<glm::vec2> pts, std::string colorKey, float pointSize = 3.0f);
    Series& addRects(std::vector<glm::vec2> corners, std::string colorKey);

    Canvas* canvas = nullptr;
    Ruler* horzRuler = nullptr;
    Ruler* vertRuler = nullptr;
    DrawCB drawCB;
    DrawCB postDrawCB;
    MouseCB mouseCB;
};

}  // namespace koui::pz
