// pz::Canvas: transform, ticks, grid and axes, gestures. Series drawing is
// in series.cpp; the hover read-out at the end of this file.
#include "koui/pz/canvas.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <glm/gtc/type_ptr.hpp>

#include "koui/family/gl_font.h"
#include "koui/family/kox_rect.h"
#include "koui/pz/series.h"
#include "koui/pz/view.h"

using ko::gl::koxGL_FillRect;

namespace koui::pz {

namespace {

// Candidate tick steps; the small ones as single-precision values, so that
// tick values match those of plots that computed them in float.
const double kSteps[] = {0.01f, 0.02f, 0.025f, 0.05f, 0.1f, 0.2f, 0.25, 0.5,  1,    2,    2.5,
                         5,     10,    20,     50,    100,  200,  500,  1000, 2000, 5000, 10000};
constexpr size_t kMaxTicks = 1000;

}  // namespace

Canvas::Canvas() {
    setScaleRangeX(scaleRangeX[0], scaleRangeX[1]);
    setScaleRangeY(scaleRangeY[0], scaleRangeY[1]);
}

Canvas::~Canvas() = default;

void Canvas::OnCreate() {
    dSetOpt(DIV_CLIP);
    ViewObj::OnCreate();
}

void Canvas::OnIterate(e_iterate* e) {
    if (setMat.isActive()) vmat = setMat.currentVMat;
    localMat = vmat.matrix();
    clientMat = clientViewMat * localMat;
    mvp = e->proj * e->view * clientMat;
    mvpNoMod = e->proj * e->view * clientViewMat;
    pollHover();
}

// ---------------------------------------------------------------------------
// Transform

void Canvas::setOffset(const glm::vec2& o) {
    vmat.offset[0] = o.x;
    vmat.offset[1] = o.y;
}

void Canvas::setScaleXY(double sx, double sy) {
    vmat.scale[0] = sx;
    vmat.scale[1] = sy;
}

void Canvas::setOffsetAndScaleXY(double x, double y, double sx, double sy) {
    setOffsetAndScaleX(x, sx);
    setOffsetAndScaleY(y, sy);
}

void Canvas::setOffsetAndScaleX(double x, double sx) {
    vmat.offset[0] = x;
    vmat.scale[0] = sx;
}

void Canvas::setOffsetAndScaleY(double y, double sy) {
    vmat.offset[1] = y;
    vmat.scale[1] = sy;
}

void Canvas::CenterToPt(float x, float y) {
    vmat.offset[0] = std::floor(dGetCX() * 0.5) - x * vmat.scale[0];
    vmat.offset[1] = std::floor(dGetCY() * 0.5) - y * vmat.scale[1];
    vmat.offset[2] = 0;
}

void Canvas::CenterToRect(const glm::vec2& a, const glm::vec2& b, int margin, bool fit) {
    CenterToRect(a.x, a.y, b.x, b.y, margin, fit);
}

void Canvas::CenterToRect(float ax, float ay, float bx, float by, int margin, bool fit) {
    double w = clientSize[0], h = clientSize[1];
    double s = vmat.scale[0];
    if (fit) {
        s = (w - 2 * margin) / std::fabs(ax - bx);
        if (std::fabs(ay - by) * s > h - 2 * margin) s = (h - 2 * margin) / std::fabs(ay - by);
        vmat.scale[0] = vmat.scale[1] = vmat.scale[2] = s;
    }
    vmat.offset[0] = std::floor(w * 0.5) - (double(ax) + bx) * s / 2;
    vmat.offset[1] = std::floor(h * 0.5) - (double(ay) + by) * s / 2;
    vmat.offset[2] = 0;
}

void Canvas::AdjustToBoundingBox(int margin, bool fit) {
    CenterToRect(boundingBox[0], boundingBox[1], boundingBox[2], boundingBox[3], margin, fit);
}

glm::vec2 Canvas::getXRange() const {
    double a = -vmat.offset[0] / vmat.scale[0];
    double b = (clientSize[0] - vmat.offset[0]) / vmat.scale[0];
    return {std::min(a, b), std::max(a, b)};
}

glm::vec2 Canvas::getYRange() const {
    double a = -vmat.offset[1] / vmat.scale[1];
    double b = (clientSize[1] - vmat.offset[1]) / vmat.scale[1];
    return {std::min(a, b), std::max(a, b)};
}

bool Canvas::rulerCalculate(Ticks& ticks, bool vertical, int minPixels, int subdivisions) const {
    ticks.clear();
    if (minPixels < 10) return false;
    double scale = std::fabs(vmat.scale[vertical]);
    const double* step = std::find_if(std::begin(kSteps), std::end(kSteps),
                                      [&](double s) { return std::trunc(scale * s) >= minPixels; });
    if (step == std::end(kSteps)) return false;
    glm::vec2 range = vertical ? getYRange() : getXRange();
    double lo = range.x, hi = range.y;
    double first = lo - std::fmod(lo, *step) - (lo < 0 ? *step : 0);
    double inc = subdivisions > 0 ? *step / subdivisions : *step;
    for (double v = first; v <= hi + *step && ticks.size() < kMaxTicks; v += inc)
        ticks.emplace_back(v, toPixel(v, vertical));
    return true;
}

float* Canvas::applyMat() {
    dApplyToGL(false);
    return getMVP();
}

float* Canvas::applyMatNoMod() {
    dApplyToGL_View();
    return get_mvpNoMod();
}

void Canvas::setScaleRange(double min, double max) {
    setScaleRangeX(min, max);
    setScaleRangeY(min, max);
}

void Canvas::setScaleRangeX(double min, double max) {
    scaleRangeX[0] = static_cast<float>(min);
    scaleRangeX[1] = static_cast<float>(max);
    setMat.setScaleRangeX(min, max);
}

void Canvas::setScaleRangeY(double min, double max) {
    scaleRangeY[0] = static_cast<float>(min);
    scaleRangeY[1] = static_cast<float>(max);
    setMat.setScaleRangeY(min, max);
}

Series& Canvas::addSeries(std::unique_ptr<Series> s) {
    series.push_back(std::move(s));
    return *series.back();
}

// Each axis on its own, so data far wider than high still fills the area;
// the sign of each scale is kept (a plot with y upwards stays so).
bool Canvas::fitData(int margin) {
    glm::vec2 lo, hi, a, b;
    bool any = false;
    for (auto& s : series) {
        if (!s->bounds(a, b)) continue;
        lo = any ? glm::min(lo, a) : a;
        hi = any ? glm::max(hi, b) : b;
        any = true;
    }
    if (!any) return false;
    for (int axis = 0; axis < 2; ++axis) {
        double extent = std::max(double(hi[axis] - lo[axis]), 1e-9);
        double s = std::max(clientSize[axis] - 2.0 * margin, 1.0) / extent;
        if (vmat.scale[axis] < 0) s = -s;
        vmat.scale[axis] = s;
        vmat.offset[axis] = clientSize[axis] * 0.5 - (double(lo[axis]) + hi[axis]) * 0.5 * s;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Drawing

e_drawinfo Canvas::drawInfo(e_draw* e) {
    return {view, e, getMVP(), float(dGetCX()), float(dGetCY())};
}

void Canvas::OnDraw(e_draw* e) {
    Div::OnDraw(e);
    if (!view) return;
    int w = dGetCX(), h = dGetCY();
    if (showGrid) drawGrid(w, h);
    if (showAxis) drawAxis(w, h);
    dApplyToGL(false);
    for (auto& s : series) s->draw(*this);
    dApplyToGL(false);
    if (view->drawCB) view->drawCB(drawInfo(e));
}

// Dim lines divide each main step in ten; bright lines mark the main steps.
void Canvas::drawGrid(int w, int h) {
    dApplyToGL_View();
    Ticks ticks;
    for (int pass = 0; pass < 2; ++pass) {
        const float* c = color(stylePath + (pass ? ".grid.color-bright" : ".grid.color-dim"));
        int sub = pass ? 0 : 10;
        if (rulerCalculate(ticks, false, 100, sub))
            for (auto& t : ticks) koxGL_FillRect(t.second, 0, 1, h, c);
        if (rulerCalculate(ticks, true, 100, sub))
            for (auto& t : ticks) koxGL_FillRect(0, t.second, w, 1, c);
    }
}

void Canvas::drawAxis(int w, int h) {
    dApplyToGL_View();
    const float* c = color(stylePath + ".axis.color");
    glm::vec2 xr = getXRange(), yr = getYRange();
    if (xr.x <= 0 && 0 <= xr.y) koxGL_FillRect(toPixel(0, false), 0, 1, h, c);
    if (yr.x <= 0 && 0 <= yr.y) koxGL_FillRect(0, toPixel(0, true), w, 1, c);
}

void Canvas::OnPostDraw(e_draw* e) {
    if (!view) return;
    dApplyToGL(false);
    if (view->postDrawCB) view->postDrawCB(drawInfo(e));
    if (showHover && hover) drawHover();
}

// ---------------------------------------------------------------------------
// Pointer
//
//   move          notify; feed a running gesture                    false
//   left down     Ctrl+Shift: drag zoom; Ctrl: nothing; else notify  true
//   right down    Ctrl: pan (true); else notify (false)
//   middle down   pan; notify                                       true
//   any up        notify; adopt a running gesture; unblock notify   true
//   wheel         notify; Ctrl: zoom about the pointer; else scroll true

void Canvas::notify(const e_mtevent* e) {
    if (mouseCBBlocked || !view || !view->mouseCB) return;
    view->mouseCB({e->type, {e->pos[0], e->pos[1]}, {e->viewPos[0], e->viewPos[1]}});
}

void Canvas::startGesture(const e_mtevent* e, int mode) {
    setMat.start(vmat, e->viewPos, e->pos, mode);
}

void Canvas::endGesture() {
    if (!setMat.isActive()) return;
    vmat = setMat.currentVMat;
    setMat.stop();
}

bool Canvas::OnMTEvent(e_mtevent* e) {
    bool ctrl = e->mods & MOD_CTRL, shift = e->mods & MOD_SHIFT;
    if (e->type == MT_LDOWN || e->type == MT_RDOWN || e->type == MT_MDOWN || e->type == MT_WHEEL) {
        pressViewPos[0] = e->viewPos[0], pressViewPos[1] = e->viewPos[1];
        pressPos[0] = e->pos[0], pressPos[1] = e->pos[1];
        savedVMat = vmat;
    }
    switch (e->type) {
        case MT_MOVE:
            notify(e);
            if (setMat.isActive()) setMat.feed(e->viewPos, e->pos);
            return false;
        case MT_LDOWN:
            if (ctrl && shift)
                startGesture(e, SetMat::kDragZoom);
            else if (!ctrl)
                notify(e);
            return true;
        case MT_RDOWN:
            if (!ctrl) {
                notify(e);
                return false;
            }
            startGesture(e, SetMat::kPan);
            return true;
        case MT_MDOWN:
            startGesture(e, SetMat::kPan);
            notify(e);
            return true;
        case MT_LUP:
        case MT_RUP:
        case MT_MUP:
            notify(e);
            endGesture();
            mouseCBBlocked = 0;
            return true;
        case MT_WHEEL:
            notify(e);
            wheel(e);
            return true;
        default:
            return false;
    }
}

void Canvas::wheel(const e_mtevent* e) {
    double d = e->pos[2] > 0 ? 1 : -1;
    if (e->mods & MOD_CTRL) {
        startGesture(e, SetMat::kWheelZoom);
        setMat.feed_from_wheel(d * (e->mods & MOD_SHIFT ? 10 : 1));
        endGesture();
    } else if (e->mods & MOD_SHIFT) {
        vmat.offset[0] = savedVMat.offset[0] + d * wheelStep[0];
    } else {
        vmat.offset[1] = savedVMat.offset[1] + d * wheelStep[1];
    }
}

// ---------------------------------------------------------------------------
// Hover read-out: the plot point under the pointer, written in the client
// area's bottom right corner. Pointer moves reach an element only while it
// is pressed, so the canvas polls the cursor each cycle.

void Canvas::pollHover() {
    hover = false;
    if (!dGetInstance() || dGetCX() <= 0 || dGetCY() <= 0) return;
    hoverPos = getCursorPos();
    double px = toPixel(hoverPos.x, false), py = toPixel(hoverPos.y, true);
    hover = px >= 0 && py >= 0 && px < clientSize[0] && py < clientSize[1];
}

void Canvas::drawHover() {
    ko::gl::Font* f = font(stylePath + ".readout.font-type");
    if (!f) return;
    applyMatNoMod();
    f->writeFormat(get_mvpNoMod(), color(stylePath + ".readout.color"), float(dGetCX() - 4),
                   float(dGetCY() - 4), 2, 2, 0, "x %.3f  y %.3f", hoverPos.x, hoverPos.y);
}

}  // namespace koui::pz
