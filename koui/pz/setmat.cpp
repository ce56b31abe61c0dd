#include "koui/pz/setmat.h"

#include "koui/family/apptime.h"

namespace koui::pz {

namespace {

// A flipped axis (negative start scale) is held within [-max, -min] so
// that zooming never crosses zero into the other orientation.
double clampScale(double s, double start, const double* range) {
    double lo = start < 0 ? -range[1] : range[0];
    double hi = start < 0 ? -range[0] : range[1];
    if (s > hi) return hi;
    if (s < lo) return lo;
    return s;
}

}  // namespace

SetMat::SetMat() : startTime(ko::util::appGetTime()) {}

void SetMat::start(const VMat& vmat, const float* viewPos, const float* pos, int m) {
    active = true;
    startTime = ko::util::appGetTime();
    startVMat = currentVMat = vmat;
    mode = static_cast<uint8_t>(m);
    anchorViewPos[0] = viewPos[0];
    anchorViewPos[1] = viewPos[1];
    anchorPos[0] = pos[0];
    anchorPos[1] = pos[1];
}

void SetMat::feed(const float* viewPos, const float*) {
    double dx = double(viewPos[0]) - anchorViewPos[0];
    double dy = double(viewPos[1]) - anchorViewPos[1];
    const double* s0 = startVMat.scale;
    if (mode == kPan) {
        currentVMat.offset[0] = startVMat.offset[0] + dx;
        currentVMat.offset[1] = startVMat.offset[1] + dy;
    } else if (mode == kDragZoom) {
        // Dragging right zooms in on either orientation of the axis.
        zoomTo(s0[0] + 0.1 * (s0[0] > 0 ? dx : -dx), s0[1] + 0.1 * (s0[1] > 0 ? dx : -dx));
    }
}

void SetMat::feed_from_wheel(double d) {
    if (mode != kWheelZoom) return;
    const double* s0 = startVMat.scale;
    zoomTo(s0[0] + s0[0] * 0.1 * d, s0[1] + s0[1] * 0.1 * d);
}

// The plot point under the anchor at the start stays under the anchor.
void SetMat::zoomTo(double sx, double sy) {
    sx = clampScale(sx, startVMat.scale[0], scaleRangeX);
    sy = clampScale(sy, startVMat.scale[1], scaleRangeY);
    currentVMat.offset[0] = anchorViewPos[0] - anchorPos[0] * sx;
    currentVMat.offset[1] = anchorViewPos[1] - anchorPos[1] * sy;
    currentVMat.scale[0] = sx;
    currentVMat.scale[1] = sy;
}

void SetMat::setScaleRangeX(double min, double max) {
    scaleRangeX[0] = min;
    scaleRangeX[1] = max;
}

void SetMat::setScaleRangeY(double min, double max) {
    scaleRangeY[0] = min;
    scaleRangeY[1] = max;
}

}  // namespace koui::pz
