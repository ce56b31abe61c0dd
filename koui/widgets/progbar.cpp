// FixedProgBar: the norm, the image size and the two-section drawing.
#include "koui/widgets/progbar.h"

#include <algorithm>
#include <glm/gtc/type_ptr.hpp>

#include "koui/res/instance.h"

namespace koui {

namespace {
constexpr float kWhite[4] = {1, 1, 1, 1};
constexpr int kNaturalNearest = 0x12;
}  // namespace

double progNorm(double value, double min, double max) {
    double n = max - min > 0 ? (value - min) / (max - min) : 0;
    return std::clamp(n, 0.0, 1.0);
}

void drawProgBar(const res::Img& img, const float* mvp, float x, float y, double norm) {
    if (!img.isValid()) return;
    auto w = static_cast<float>(img.getWidth()), h = static_cast<float>(img.getHeight());
    img.draw(mvp, x, y, w, h, kWhite, kNaturalNearest, 0, 0, 0, 1.0f, 0, 0, true);
    if (norm > 0)
        img.draw(mvp, x, y, w * static_cast<float>(norm), h, kWhite, kNaturalNearest, 1, 0, 0, 1.0f, 0, 0,
                 false);
}

FixedProgBar::~FixedProgBar() = default;

void FixedProgBar::setValue(double v) {
    if (v > maxValue)
        v = maxValue;
    else if (minValue > v)
        v = minValue;
    value = v;
}

void FixedProgBar::OnIterate(e_iterate*) {
    if (barImage.isValid()) dSetSize(barImage.getWidth(), barImage.getHeight(), UNIT_PIXEL);
}

void FixedProgBar::OnDraw(e_draw*) {
    drawBackground();
    UIArrange();
    drawProgBar(barImage, glm::value_ptr(mvp), 0, 0, getNorm());
}

void FixedProgBar::OnUpdateStyle() {
    Div::OnUpdateStyle();
    res::Instance* ri = resInst();
    if (ri && GetStyleNode()) barImage = ri->image(stylePath + ".bar-image");
}

}  // namespace koui
