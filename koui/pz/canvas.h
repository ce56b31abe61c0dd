// koui::pz::Canvas: the drawing surface of a plot view. Its content lives in
// plot coordinates and is shown through a pan-and-zoom transform `vmat`: a
// plot point p shows at offset + scale * p client pixels on each axis. The
// transform becomes the element's localMat, so clientMat maps plot
// coordinates to canvas pixels and clientViewMat the unzoomed client pixels.
//
// Each draw paints, in order: the background, a grid (a bright line on
// every main tick step and ten dim divisions between), the zero axes, the
// data series (series.h), then the view's draw callback with the model-view
// matrix in plot coordinates; after the children, the view's post-draw
// callback and the hover read-out.
//
// Gestures (see the pointer table in canvas.cpp): the middle button, or the
// right button with Ctrl, pans; Ctrl+Shift with the left button zooms by
// dragging right or left; Ctrl+wheel zooms about the pointer by 10 % a notch
// (100 % with Shift); the plain wheel scrolls 25 pixels a notch (sideways
// with Shift). While a gesture runs the canvas shows the gesture's transform
// each cycle and adopts it at the release.
//
// Zoom limits. The canvas's scale limits (0.25 to 10 by default) are handed
// to its gesture object at construction and by every setScaleRange*, so
// zooming works without further set-up; the gesture object alone would
// clamp every zoom to 0.
//
// Readings that differ from a literal transcription, each to keep the
// intent:
// - OnIterate runs after the element has computed clientMat from the old
//   localMat, so it recomputes clientMat and mvp at once: children and the
//   draw of the same cycle already see the new transform.
// - Ranges and tick positions are computed from `vmat` itself (offset +
//   scale * p), which equals the matrices' route with rotation and pivot at
//   0 but needs no iterate after a setter and no inverse of a zero scale.
//
// Threads: the window's GL thread, like every element.
#pragma once

#include <cstdint>
#include <functional>
#include <glm/vec2.hpp>
#include <memory>
#include <utility>
#include <vector>

#include "koui/export.h"
#include "koui/pz/setmat.h"
#include "koui/pz/view_obj.h"

namespace koui::pz {

class Series;

// What the view's draw callbacks receive.
struct KOUI_API e_drawinfo {
    View* view;
    e_draw* e;
    float* mvp;           // plot coordinates to clip space
    float width, height;  // client size, whole pixels
};

// What the view's mouse callback receives.
struct KOUI_API e_mouseinfo {
    uint32_t type;     // MT_* code
    float pos[2];      // plot coordinates
    float viewPos[2];  // unzoomed client pixels
};

using Ticks = std::vector<std::pair<double, double>>;  // (plot value, client pixel)

class KOUI_API Canvas : public ViewObj {
public:
    Canvas();
    ~Canvas() override;

    const char* dGetClass() override { return "koui::pz::Canvas"; }
    void OnCreate() override;
    void OnIterate(e_iterate* e) override;
    void OnDraw(e_draw* e) override;
    void OnPostDraw(e_draw* e) override;
    bool OnMTEvent(e_mtevent* e) override;

    // Transform setters; each writes only what it names.
    void setOffset(const glm::vec2& o);
    void setOffsetX(double x) { vmat.offset[0] = x; }
    void setOffsetY(double y) { vmat.offset[1] = y; }
    void setScale(double s) { setScaleXY(s, s); }
    void setScaleXY(double sx, double sy);
    void setScaleX(double sx) { vmat.scale[0] = sx; }
    void setScaleY(double sy) { vmat.scale[1] = sy; }
    void setOffsetAndScale(double x, double y, double s) { setOffsetAndScaleXY(x, y, s, s); }
    void setOffsetAndScaleXY(double x, double y, double sx, double sy);
    void setOffsetAndScaleX(double x, double sx);
    void setOffsetAndScaleY(double y, double sy);
    void resetView() { setOffsetAndScale(0, 0, 1); }
    double getPixSize() const { return vmat.scale[0]; }
    double getYPixSize() const { return vmat.scale[1]; }

    // Centring and fitting; sizes are the client area's.
    void CenterToPt(float x, float y);
    void CenterToPt(const glm::vec2& p) { CenterToPt(p.x, p.y); }
    void CenterToRect(const glm::vec2& a, const glm::vec2& b, int margin, bool fit);
    void CenterToRect(float ax, float ay, float bx, float by, int margin, bool fit);
    void AdjustToBoundingBox(int margin, bool fit);
    void setTL(float x, float y) { boundingBox[0] = x, boundingBox[1] = y; }
    void setBR(float x, float y) { boundingBox[2] = x, boundingBox[3] = y; }
    void setBoundingBox(float l, float t, float r, float b) { setTL(l, t), setBR(r, b); }

    // Plot coordinates of the client area's edges, smaller first.
    glm::vec2 getXRange() const;
    glm::vec2 getYRange() const;
    // Tick values and their client pixels along one axis: the first step of
    // 0.01, 0.02, 0.025, 0.05 ... 10000 that is at least `minPixels` long,
    // divided by `subdivisions` when above 0. False (no ticks) when
    // minPixels is below 10 or no step is long enough.
    bool rulerCalculate(Ticks& ticks, bool vertical, int minPixels, int subdivisions) const;
    // Client pixel of a plot value along one axis.
    double toPixel(double v, bool vertical) const { return vmat.offset[vertical] + vmat.scale[vertical] * v; }

    float* applyMat();
    float* applyMatNoMod();
    float* get_mvpNoMod() { return &mvpNoMod[0][0]; }

    void setScaleRange(double min, double max);
    void setScaleRangeX(double min, double max);
    void setScaleRangeY(double min, double max);

    // Data series (series.h), drawn in the order added; the canvas owns them.
    Series& addSeries(std::unique_ptr<Series> s);
    std::vector<std::unique_ptr<Series>>& getSeries() { return series; }
    // Fits every series' points into the client area less `margin` pixels,
    // each axis on its own, keeping each axis's orientation. False when
    // there is nothing to fit.
    bool fitData(int margin);

    // The plot point under the pointer, valid while the pointer is over the
    // client area (polled each cycle).
    bool hasHover() const { return hover; }
    glm::vec2 getHoverPos() const { return hoverPos; }

    VMat vmat;
    glm::mat4 mvpNoMod{1.0f};
    float boundingBox[4] = {0, 0, 0, 0};  // left, top, right, bottom
    uint32_t mouseCBBlocked = 0;
    double pressViewPos[2] = {0, 0};
    double pressPos[2] = {0, 0};
    VMat savedVMat;
    float scaleRangeX[2] = {0.25f, 10.0f};
    float scaleRangeY[2] = {0.25f, 10.0f};
    double wheelStep[2] = {25, 25};
    bool showGrid = true;
    bool showAxis = true;
    bool showHover = true;
    SetMat setMat;

private:
    void notify(const e_mtevent* e);
    void startGesture(const e_mtevent* e, int mode);
    void endGesture();
    void wheel(const e_mtevent* e);
    void drawGrid(int w, int h);
    void drawAxis(int w, int h);
    void drawHover();
    void pollHover();
    e_drawinfo drawInfo(e_draw* e);

    std::vector<std::unique_ptr<Series>> series;
    bool hover = false;
    glm::vec2 hoverPos{0, 0};
};

}  // namespace koui::pz
