// FView: the pan/zoom/rotation transform, its gestures and the ruler ticks;
// FViewEx: the grid and the numbered axes drawn from those ticks.
#include "koui/widgets/fview.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "koui/family/gl_font.h"
#include "koui/family/kox_rect.h"
#include "koui/res/instance.h"

namespace koui {

namespace {
constexpr double kDegToRad = 0.017453292;
constexpr double kMinZoom = 0.1;  // floor of a gesture before zoomMin / zoomMax apply

glm::vec2 apply(const glm::mat4& m, float x, float y) {
    glm::vec4 p = m * glm::vec4(x, y, 0.0f, 1.0f);
    return {p.x, p.y};
}
}  // namespace

FView::~FView() = default;

void FView::OnCreate() {
    dSetOpt(DIV_CLIP);
}

void FView::updateLocalMat(const glm::mat4& pv) {
    glm::mat4 m = glm::translate(glm::mat4(1.0f), glm::vec3(pan[0], pan[1], 0.0));
    m = glm::scale(m, glm::vec3(static_cast<float>(zoom)));
    m = glm::rotate(m, static_cast<float>(rotation * kDegToRad), glm::vec3(0, 0, 1));
    localMat = glm::translate(m, glm::vec3(-rotCenter[0], -rotCenter[1], 0.0));
    clientMat = clientViewMat * localMat;
    mvp = pv * clientMat;
    mvpNoMod = pv * clientViewMat;
}

void FView::OnIterate(e_iterate* e) {
    if (clientSize[0] < 0 || clientSize[1] < 0) return;
    updateLocalMat(e->proj * e->view);
}

void FView::applyGLNoMod() {
    dApplyToGL_View();
}

// inverse(clientMat) x clientViewMat is the inverse of localMat alone.
glm::vec2 FView::NoMod2Mat(float x, float y) {
    return apply(glm::inverse(localMat), x, y);
}

glm::vec2 FView::Mat2NoMod(float x, float y) {
    return apply(localMat, x, y);
}

bool FView::getXRange(float* r) {
    if (!r) return false;
    r[0] = NoMod2Mat(0, 0).x;
    r[1] = NoMod2Mat(clientSize[0], 0).x;
    return true;
}

bool FView::getYRange(float* r) {
    if (!r) return false;
    r[0] = NoMod2Mat(0, 0).y;
    r[1] = NoMod2Mat(0, clientSize[1]).y;
    return true;
}

void FView::CenterToPt(float x, float y) {
    int w = static_cast<int>(clientSize[0]), h = static_cast<int>(clientSize[1]);
    pan[0] = -(x * zoom - w / 2);
    pan[1] = -(y * zoom - h / 2);
}

void FView::CenterToRect(float x0, float y0, float x1, float y1, float margin) {
    double w = static_cast<int>(clientSize[0]), h = static_cast<int>(clientSize[1]);
    double dx = std::fabs(x0 - x1), dy = std::fabs(y0 - y1);
    if (dx > 0) zoom = (w - 2 * margin) / dx;
    if (dy > 0 && (dx == 0 || dy * zoom > h - 2 * margin)) zoom = (h - 2 * margin) / dy;
    pan[0] = -((x0 + x1) * zoom * 0.5 - w * 0.5);
    pan[1] = -((y0 + y1) * zoom * 0.5 - h * 0.5);
}

bool FView::rulerCalculate(Ticks& ticks, bool vertical, int minPixels, int subdivisions) {
    ticks.clear();
    int ax = vertical ? 1 : 0;
    float px = static_cast<float>(minPixels);
    double a = NoMod2Mat(0, 0)[ax];
    double b = (vertical ? NoMod2Mat(0, px) : NoMod2Mat(px, 0))[ax];
    double s = b - a;
    if (!(s > 0) || !std::isfinite(s)) return false;
    double base = std::pow(10.0, std::floor(std::log10(s)));
    double step = base * 5;
    for (double m : {1.0, 2.0, 2.5, 5.0}) {
        if (base * m >= s) {  // at least minPixels long on screen
            step = base * m;
            break;
        }
    }
    float range[2];
    if (vertical)
        getYRange(range);
    else
        getXRange(range);
    double lo = std::min(range[0], range[1]), hi = std::max(range[0], range[1]);
    int k = std::max(subdivisions, 1);
    double first = std::floor(lo / step);
    for (double i = 0; ticks.size() < kMaxTicks; ++i) {
        double t = (first + i) * step;
        if (!(t <= hi + step)) break;
        for (int j = 0; j < k && ticks.size() < kMaxTicks; ++j) {
            auto v = static_cast<float>(t + j * step / k);
            ticks.emplace_back(v, (vertical ? Mat2NoMod(0, v) : Mat2NoMod(v, 0))[ax]);
        }
    }
    return true;
}

void FView::recordPress(const e_mtevent* e) {
    pressView[0] = e->viewPos[0], pressView[1] = e->viewPos[1];
    pressClient[0] = e->pos[0], pressClient[1] = e->pos[1];
    panAtPress[0] = pan[0], panAtPress[1] = pan[1];
    zoomAtPress = zoom;
    rotAtPress = rotation;
}

double FView::limitZoom(double z) const {
    return std::clamp(std::max(z, kMinZoom), zoomMin, std::max(zoomMin, zoomMax));
}

bool FView::OnMTEvent(e_mtevent* e) {
    bool ctrl = (e->mods & MOD_CTRL) != 0;
    switch (e->type) {
        case MT_LDOWN:
        case MT_RDOWN:
        case MT_MDOWN:
        case MT_WHEEL:
            recordPress(e);
            break;
        default:
            break;
    }
    switch (e->type) {
        case MT_LDOWN:
            if (ctrl && (e->mods & MOD_SHIFT)) dragMode = 2;
            return ctrl;
        case MT_RDOWN:
            if (ctrl) dragMode = 1;
            return ctrl;
        case MT_LUP:
        case MT_RUP:
            dragMode = 0;
            return false;
        case MT_MOVE: {
            double dx = e->viewPos[0] - pressView[0], dy = e->viewPos[1] - pressView[1];
            if (dragMode == 1) {
                pan[0] = panAtPress[0] + dx, pan[1] = panAtPress[1] + dy;
            } else if (dragMode == 2) {
                zoom = limitZoom(dx * 0.1 + zoomAtPress);
                pan[0] = pressView[0] - zoom * pressClient[0], pan[1] = pressView[1] - zoom * pressClient[1];
            } else if (dragMode == 3) {
                rotation = dx * 0.1 + rotAtPress;
            }
            return false;
        }
        case MT_WHEEL:
            if (ctrl) {
                zoom = limitZoom(e->pos[2] * 0.1 + zoom);
                pan[0] = e->viewPos[0] - zoom * e->pos[0], pan[1] = e->viewPos[1] - zoom * e->pos[1];
            } else {
                pan[1] += e->pos[2] * 10.0;
            }
            return false;
        default:
            return false;
    }
}

void FViewEx::OnUpdateStyle() {
    FView::OnUpdateStyle();
    res::Instance* ri = resInst();
    if (!ri) return;
    const std::string& p = stylePath;
    auto copy = [&](const char* key, float* out) {
        const float* c = ri->color(p + key);
        std::copy(c, c + 4, out);
    };
    copy(".color-sublines", subColor);
    copy(".color-lines", lineColor);
    copy(".color-num", numColor);
    numFont = ri->font(p + ".font-num");
}

void FViewEx::drawLines(const Ticks& xs, const Ticks& ys, const float* rgba) {
    int w = static_cast<int>(clientSize[0]), h = static_cast<int>(clientSize[1]);
    for (const auto& t : xs) ko::gl::koxGL_FillRect(t.second, 0, 1, h, rgba);
    for (const auto& t : ys) ko::gl::koxGL_FillRect(0, t.second, w, 1, rgba);
}

void FViewEx::OnDraw(e_draw*) {
    drawBackground();
    UIArrange();
    rulerCalculate(majorX_, false, 100, 0);
    rulerCalculate(majorY_, true, 100, 0);
    if (!showGrid) return;
    rulerCalculate(minorX_, false, 100, 10);
    rulerCalculate(minorY_, true, 100, 10);
    applyGLNoMod();
    drawLines(minorX_, minorY_, subColor);
    drawLines(majorX_, majorY_, lineColor);
}

void FViewEx::OnPostDraw(e_draw* e) {
    int w = static_cast<int>(clientSize[0]), h = static_cast<int>(clientSize[1]);
    // The element's clip has gone by now, and the ticks run one step past
    // the client area: without a clip of its own the last numbers and grid
    // lines would show outside the view.
    const glm::vec4 tl = frameMat * glm::vec4(0, 0, 0, 1);
    const glm::vec4 br = frameMat * glm::vec4(realSize[0], realSize[1], 0, 1);
    PushScissors(static_cast<int>(tl.x), static_cast<int>(static_cast<float>(e->viewport[3]) - br.y),
                 static_cast<int>(br.x - tl.x), static_cast<int>(br.y - tl.y));
    applyGLNoMod();
    if (showNumbers) {
        ko::gl::koxGL_FillRect(50, 0, w - 50, 20, 1, 1, 1, 0.1);
        ko::gl::koxGL_FillRect(0, 0, 50, h, 1, 1, 1, 0.1);
        if (numFont) {
            const float* m = get_mvpNoMod();
            for (const auto& t : majorX_) numFont->writeFormat(m, numColor, t.second, 1, "%.1f", t.first);
            // Values near the top would sit under the top strip's numbers.
            for (const auto& t : majorY_)
                if (t.second >= 30) numFont->writeFormat(m, numColor, 1, t.second, "%.1f", t.first);
        }
    }
    if (showGrid) drawLines(majorX_, majorY_, lineColor);
    PopScissors();
}

}  // namespace koui
