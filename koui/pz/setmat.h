// koui::pz::SetMat: the state of one pan or zoom gesture on a plot canvas.
//
// A gesture starts from the canvas's transform and a pointer anchor; each
// later pointer position (or wheel step) makes a new transform from the
// start one, never from the previous step, so a gesture that returns to its
// anchor returns to where it began. The canvas shows `currentVMat` while the
// gesture runs and adopts it when the gesture ends; keeping the gesture
// apart lets the canvas show it live and still know where it started.
//
// Modes: 1 pan (the pointer's movement moves the offset), 2 drag zoom (the
// horizontal movement alone changes both scales, 0.1 per pixel, about the
// plot point under the anchor), 3 wheel zoom (each step scales by 1 + 0.1 d
// about the anchor).
//
// Scale limits. A zoom result is clamped to the axis's (min, max). With a
// negative start scale (a flipped axis) it is clamped to [-max, -min], so a
// zoom never flips an axis. The limits start at 0 to 0, which makes every
// zoom give scale 0: the plot canvas passes its own limits on.
//
// Offset limits are kept for callers but no gesture applies them: a plot
// may be panned anywhere.
#pragma once

#include <cstdint>
#include <limits>

#include "koui/export.h"
#include "koui/family/vmat.h"

namespace koui::pz {

using ko::util::math::VMat;

class KOUI_API SetMat {
public:
    enum : uint8_t { kPan = 1, kDragZoom = 2, kWheelZoom = 3 };

    SetMat();

    void start(const VMat& vmat, const float* viewPos, const float* pos, int mode);
    void stop() { active = false; }
    bool isActive() const { return active; }
    // One pointer position of a pan or drag zoom; `pos` is not used.
    void feed(const float* viewPos, const float* pos);
    // One wheel step of a wheel zoom; other modes ignore it.
    void feed_from_wheel(double d);
    void setScaleRangeX(double min, double max);
    void setScaleRangeY(double min, double max);

    VMat currentVMat;
    VMat startVMat;
    uint8_t mode = 0;
    bool active = false;
    double startTime = 0;
    float anchorViewPos[2] = {0, 0};
    float anchorPos[2] = {0, 0};
    double offsetRangeX[2] = {std::numeric_limits<double>::lowest(), std::numeric_limits<double>::max()};
    double offsetRangeY[2] = {std::numeric_limits<double>::lowest(), std::numeric_limits<double>::max()};
    double scaleRangeX[2] = {0, 0};
    double scaleRangeY[2] = {0, 0};

private:
    void zoomTo(double sx, double sy);
};

}  // namespace koui::pz
