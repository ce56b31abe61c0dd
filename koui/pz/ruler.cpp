#include "koui/pz/ruler.h"

#include <algorithm>
#include <vector>

#include "koui/family/apptime.h"
#include "koui/family/gl_font.h"
#include "koui/family/kox_rect.h"
#include "koui/pz/canvas.h"
#include "koui/pz/view.h"

using ko::gl::koxGL_FillRect;

namespace koui::pz {

Ruler::Ruler(uint32_t o, int s) : orientation(o), size(s), showStart(ko::util::appGetTime()) {}

void Ruler::OnCreate() {
    dSetOpt(DIV_CLIP);
    showFrom = showTo = 1;
    showDuration = 0;
    showStart = ko::util::appGetTime();
    ViewObj::OnCreate();
}

int Ruler::getSize() const {
    return getSizeAt(ko::util::appGetTime());
}

bool Ruler::isShowing() const {
    return showDuration > 0 && ko::util::appGetTime() - showStart < showDuration;
}

// Ease-in: the factor moves with k squared.
int Ruler::getSizeAt(double now) const {
    double t = now - showStart;
    double factor = showTo;
    if (showDuration > 0 && t < showDuration) {
        double k = std::clamp(t / showDuration, 0.0, 1.0);
        factor = showFrom + k * k * (showTo - showFrom);
    }
    return static_cast<int>(size * factor);
}

void Ruler::show(bool visible, double duration) {
    double target = visible ? 1 : 0;
    double current = size < 1 ? 0 : double(getSize()) / size;
    showFrom = duration > 0 ? current : target;
    showTo = target;
    showDuration = duration;
    showStart = ko::util::appGetTime();
}

Canvas* Ruler::plotCanvas() {
    return view ? view->getCanvas() : nullptr;
}

// A drag pans the canvas along the ruler's axis only.
bool Ruler::OnMTEvent(e_mtevent* e) {
    Canvas* c = plotCanvas();
    if (!c) return false;
    switch (e->type) {
        case MT_LDOWN:
            pressViewPos[0] = e->viewPos[0], pressViewPos[1] = e->viewPos[1];
            pressPos[0] = e->pos[0], pressPos[1] = e->pos[1];
            savedVMat = c->vmat;
            dragging = 1;
            return true;
        case MT_LUP:
            dragging = 0;
            return false;
        case MT_MOVE:
            if (dragging) {
                int axis = isVert() ? 1 : 0;
                c->vmat.offset[axis] = savedVMat.offset[axis] + (e->viewPos[axis] - pressViewPos[axis]);
            }
            return false;
        default:
            return false;
    }
}

void Ruler::OnDraw(e_draw* e) {
    Div::OnDraw(e);
    Canvas* c = plotCanvas();
    if (!c) return;
    dApplyToGL(false);
    drawMarks(*c, dGetCX(), dGetCY());
}

void Ruler::drawMarks(Canvas& c, int w, int h) {
    const std::string& sp = stylePath;
    bool vert = isVert();
    int shortLen = value1i(sp + ".ticks.short.lenght", 0);
    int longLen = value1i(sp + ".ticks.long.lenght", 0);
    int zeroLen = value1i(sp + ".zero.lenght", 0);
    // A mark of `len` pixels at `at` along the axis, from the inner edge.
    auto mark = [&](double at, int len, const float* rgba) {
        if (vert)
            koxGL_FillRect(w - len, at, len, 1, rgba);
        else
            koxGL_FillRect(at, h - len, 1, len, rgba);
    };
    Ticks ticks;
    if (showTicks) {
        const float* shortColor = color(sp + ".ticks.short.color");
        if (c.rulerCalculate(ticks, vert, 100, 10))
            for (auto& t : ticks) mark(t.second, shortLen, shortColor);
        const float* longColor = color(sp + ".ticks.long.color");
        if (c.rulerCalculate(ticks, vert, 100, 0))
            for (auto& t : ticks) mark(t.second, longLen, longColor);
    }
    ko::gl::Font* f = font(sp + ".ticks.font-type");
    if (showLabels && f && c.rulerCalculate(ticks, vert, 100, 0)) {
        const float* rgba = color(sp + ".ticks.font-color");
        std::vector<int> off = valueiv(sp + ".ticks.font-offset", 2, 0);
        for (auto& t : ticks) {
            auto at = float(t.second);
            if (vert)
                f->writeFormat(getMVP(), rgba, float(w - longLen - 1 + off[0]), at + 1 + off[1], 2, 0, 0,
                               "%.2f", t.first);
            else
                f->writeFormat(getMVP(), rgba, at + off[0], float(h - longLen + off[1]), 0, 2, 0, "%.2f",
                               t.first);
        }
    }
    glm::vec2 range = vert ? c.getYRange() : c.getXRange();
    if (showZero && range.x <= 0 && 0 <= range.y)
        mark(c.toPixel(0, vert), zeroLen, color(sp + ".zero.color"));
}

}  // namespace koui::pz
