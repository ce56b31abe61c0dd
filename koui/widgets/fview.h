// koui::FView: a clipped drawing area with its own pan, zoom and rotation,
// and koui::FViewEx, which adds a grid and numbered axes.
//
// The view turns pan, zoom and rotation into the element's `localMat`, so
// its children and whatever the application draws with `clientMat` appear
// in view units, while `clientViewMat` (and `mvpNoMod`, its MVP) stays in
// plain client pixels for overlays that must not move: rulers, numbers.
// The matrices are brought up to date in OnIterate, before the children
// iterate, so a pan or zoom shows in the same cycle's drawing.
//
// Gestures. Ctrl + secondary drag pans; Ctrl + Shift + primary drag zooms
// about the pressed point (which stays under the pointer); Ctrl + wheel
// zooms by 0.1 per notch about the point under the pointer; the plain wheel
// scrolls vertically by 10 pixels. Zoom by gesture stays within [zoomMin,
// zoomMax]; the application may set any zoom directly (CenterToRect does).
// The view declines every event it does not start a gesture with, so plain
// clicks reach its children and the elements behind it.
//
// Ticks (rulerCalculate). The step is 1, 2, 2.5 or 5 times a power of ten,
// the smallest whose length on screen is at least `minPixels`. Ticks are
// counted from an integer index rather than by repeated addition, so a far
// pan with a fine step cannot stall the loop, and a hard cap of kMaxTicks
// bounds the work of any one axis.
//
// FViewEx reads its colours and the number font in OnUpdateStyle
// (".color-sublines", ".color-lines", ".color-num", ".font-num" under its
// style path) and reuses its tick lists, so a frame allocates nothing.
#pragma once
#include <cstdint>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <utility>
#include <vector>

#include "koui/export.h"
#include "koui/ui/div.h"

namespace koui {

class KOUI_API FView : public Div {
public:
    using Ticks = std::vector<std::pair<float, float>>;
    static constexpr size_t kMaxTicks = 10000;

    ~FView() override;
    const char* dGetClass() override { return "koui::FView"; }
    void OnCreate() override;
    void OnIterate(e_iterate* e) override;
    bool OnMTEvent(e_mtevent* e) override;

    float* get_mvpNoMod() { return &mvpNoMod[0][0]; }
    void applyGLNoMod();
    // Unzoomed client pixels to view units, and back.
    glm::vec2 NoMod2Mat(float x, float y);
    glm::vec2 NoMod2Mat(const glm::vec2& p) { return NoMod2Mat(p.x, p.y); }
    glm::vec2 Mat2NoMod(float x, float y);
    glm::vec2 Mat2NoMod(const glm::vec2& p) { return Mat2NoMod(p.x, p.y); }
    // View values at the left and right (top and bottom) client edges.
    bool getXRange(float* r);
    bool getYRange(float* r);
    void CenterToPt(float x, float y);
    void CenterToPt(const glm::vec2& p) { CenterToPt(p.x, p.y); }
    // Fits the rectangle with `margin` pixels to spare, whatever zoomMin and
    // zoomMax say. A rectangle flat in one axis is fitted by the other; one
    // flat in both keeps the zoom and is only centred.
    void CenterToRect(float x0, float y0, float x1, float y1, float margin);
    void CenterToRect(const glm::vec2& a, const glm::vec2& b, float margin) {
        CenterToRect(a.x, a.y, b.x, b.y, margin);
    }
    // (value, client pixel without pan and zoom) along x, or y with
    // `vertical`; `subdivisions` > 0 splits each step into that many ticks.
    // False (and no ticks) when the axis has no positive scale.
    bool rulerCalculate(Ticks& ticks, bool vertical, int minPixels, int subdivisions);
    // Puts pan, zoom and rotation into localMat and refreshes the matrices
    // that depend on it; OnIterate does this every cycle.
    void updateLocalMat(const glm::mat4& pv);

    int32_t dragMode = 0;  // 0 none, 1 pan, 2 zoom, 3 rotate (left to application code)
    double pressView[2] = {0, 0};
    double pressClient[2] = {0, 0};
    double panAtPress[2] = {0, 0};
    double zoomAtPress = 0;
    double rotAtPress = 0;
    double pan[2] = {0, 0};
    double zoom = 1.0;
    double rotation = 0;  // degrees
    double rotCenter[2] = {0, 0};
    double zoomMin = 0.25;
    double zoomMax = 100.0;
    glm::mat4 mvpNoMod{1.0f};

private:
    void recordPress(const e_mtevent* e);
    double limitZoom(double z) const;
};

class KOUI_API FViewEx : public FView {
public:
    const char* dGetClass() override { return "koui::FViewEx"; }
    void OnDraw(e_draw* e) override;
    void OnPostDraw(e_draw* e) override;
    void OnUpdateStyle() override;

    bool showNumbers = true;
    bool showGrid = true;

    float subColor[4] = {0, 0, 0, 0};   // ".color-sublines"
    float lineColor[4] = {0, 0, 0, 0};  // ".color-lines"
    float numColor[4] = {0, 0, 0, 0};   // ".color-num"
    ko::gl::Font* numFont = nullptr;    // ".font-num"; not owned

private:
    void drawLines(const Ticks& xs, const Ticks& ys, const float* rgba);
    Ticks minorX_, minorY_, majorX_, majorY_;
};

}  // namespace koui
