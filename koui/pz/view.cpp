#include "koui/pz/view.h"

#include <memory>

#include "koui/host/canvas.h"

namespace koui::pz {

namespace {
constexpr int kFitMargin = 20;
constexpr int kKeyHome = 0x24;
}  // namespace

void View::OnCreate() {
    canvas = static_cast<Canvas*>(
        (new Canvas())->Create("canvas", this, 0, 0, 0, 0, nullptr, 0, stylePath + ".canvas"));
    horzRuler = new Ruler(0, 35);
    horzRuler->Create("ruler-horz", this, 0, 0, 0, 0, nullptr, 0, stylePath + ".ruler.horz");
    vertRuler = new Ruler(1, 70);
    vertRuler->Create("ruler-vert", this, 0, 0, 0, 0, nullptr, 0, stylePath + ".ruler.vert");
}

void View::OnIterate(e_iterate*) {
    horzRuler->setSize(value1i(stylePath + ".ruler.horz.height", 20));
    vertRuler->setSize(value1i(stylePath + ".ruler.vert.width", 20));
    Arrange();
    // A window drawing on demand draws the rulers' animation to its end.
    if (horzRuler->isShowing() || vertRuler->isShowing())
        if (koui::Canvas* c = dGetCanvas()) c->requestFrame();
}

// The rulers' sizes include their show animation.
void View::Arrange() {
    int w = dGetCX(), h = dGetCY();
    int hs = horzRuler->getSize(), vs = vertRuler->getSize();
    horzRuler->dSetPosAndSize(vs, 0, w - vs, hs);
    vertRuler->dSetPosAndSize(0, hs, vs, h - hs);
    canvas->dSetPosAndSize(vs, hs, w - vs, h - hs);
}

bool View::OnKeyEvent(e_keyevent* e) {
    if (e->key != 'F' && e->key != kKeyHome) return false;
    return canvas->fitData(kFitMargin);
}

Series& View::addLine(std::vector<glm::vec2> pts, std::string colorKey) {
    return canvas->addSeries(std::make_unique<Series>(Series::kLine, std::move(colorKey), std::move(pts)));
}

Series& View::addScatter(std::vector<glm::vec2> pts, std::string colorKey, float pointSize) {
    Series& s =
        canvas->addSeries(std::make_unique<Series>(Series::kScatter, std::move(colorKey), std::move(pts)));
    s.pointSize = pointSize;
    return s;
}

Series& View::addRects(std::vector<glm::vec2> corners, std::string colorKey) {
    return canvas->addSeries(
        std::make_unique<Series>(Series::kRects, std::move(colorKey), std::move(corners)));
}

}  // namespace koui::pz
