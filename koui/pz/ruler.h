// koui::pz::Ruler: the scale bar along one edge of a plot view. It shows
// tick marks and value labels matching the plot canvas's pan and zoom, a
// mark at zero, and pans the canvas along its own axis when dragged with
// the left button.
//
// Its thickness can be animated: show(false, 0.5) shrinks it to nothing in
// half a second, slowly at first (the factor follows k squared), and the
// view hands the freed space to the canvas each cycle.
//
// Marks are one pixel thick and drawn from the edge that touches the
// canvas. Style keys under the ruler's style path: ".ticks.font-type",
// ".ticks.font-color", ".ticks.font-offset" (x, y), ".ticks.short.color"
// and ".ticks.short.lenght", ".ticks.long.color" and ".ticks.long.lenght",
// ".zero.color" and ".zero.lenght" (lengths 0 without a style: no marks,
// but labels are still written). Labels show two decimals.
#pragma once

#include <cstdint>

#include "koui/export.h"
#include "koui/pz/setmat.h"
#include "koui/pz/view_obj.h"

namespace koui::pz {

class Canvas;

class KOUI_API Ruler : public ViewObj {
public:
    // 0 horizontal (top ruler), 1 vertical (left ruler); `size` the full
    // thickness in pixels.
    explicit Ruler(uint32_t orientation = 0, int size = 100);

    const char* dGetClass() override { return "koui::pz::Ruler"; }
    void OnCreate() override;
    bool OnMTEvent(e_mtevent* e) override;
    void OnDraw(e_draw* e) override;

    bool isHorz() const { return orientation == 0; }
    bool isVert() const { return orientation == 1; }
    void setSize(int s) { size = s; }
    // Current thickness, with the show animation; the At form at a given
    // time (seconds of ko::util::appGetTime).
    int getSize() const;
    int getSizeAt(double now) const;
    // True while the show animation runs.
    bool isShowing() const;
    void show(bool visible, double duration);

    uint32_t orientation;
    int32_t size;
    double showStart = 0;
    double showFrom = 1;
    double showTo = 1;
    double showDuration = 0;
    uint32_t dragging = 0;
    double pressViewPos[2] = {0, 0};
    double pressPos[2] = {0, 0};
    VMat savedVMat;
    bool showLabels = true;
    bool showTicks = true;
    bool showZero = true;

private:
    Canvas* plotCanvas();
    void drawMarks(Canvas& c, int w, int h);
};

}  // namespace koui::pz
