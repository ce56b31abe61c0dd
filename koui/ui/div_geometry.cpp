// Div: geometry (setters, units, alignment, matrices), coordinate mappings,
// the per-cycle iterate and draw walks, and hit testing.
#include <GL/glew.h>

#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "koui/family/numeric.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/platform/win32_types.h"
#include "koui/ui/arrange_program.h"
#include "koui/ui/div.h"
#include "koui/ui/unproject.h"

using namespace koui::win32;
using namespace ko::util;

namespace koui {

namespace {
// A value in the given unit as pixels of a parent extent.
float toPixels(float v, int unit, float parent) {
    if (unit == UNIT_PIXEL) return v;
    if (unit == UNIT_FRACTION) return v * parent;
    return v * parent * 0.01f;
}

// A requested extent: negative values mean the parent's extent minus the
// magnitude.
float extent(float v, int unit, float parent) {
    if (v >= 0) return toPixels(v, unit, parent);
    return parent - toPixels(-v, unit, parent);
}

float alignOffset(int align, float parent, float own) {
    if (align == 1) return parent * 0.5f - own * 0.5f;
    if (align == 2) return parent - own;
    return 0;
}

void setNibble(uint8_t& units, bool high, int unit) {
    unit &= 0xF;
    units = high ? static_cast<uint8_t>((units & 0x0F) | (unit << 4))
                 : static_cast<uint8_t>((units & 0xF0) | unit);
}

bool mapInverse(const glm::mat4& m, double x, double y, float* out) {
    glm::vec2 p = unproject(m, static_cast<float>(x), static_cast<float>(y));
    out[0] = p.x;
    out[1] = p.y;
    return true;
}
}  // namespace

void Div::dSetPos(int x, int y, int unit) {
    dSetPos(static_cast<float>(x), static_cast<float>(y), unit);
}
void Div::dSetX(int x, int unit) {
    dSetX(static_cast<float>(x), unit);
}
void Div::dSetY(int y, int unit) {
    dSetY(static_cast<float>(y), unit);
}

void Div::dSetPos(float x, float y, int unit) {
    dSetX(x, unit);
    dSetY(y, unit);
}

void Div::dSetX(float x, int unit) {
    pos[0] = x;
    setNibble(posUnits, false, unit);
}

void Div::dSetY(float y, int unit) {
    pos[1] = y;
    setNibble(posUnits, true, unit);
}

void Div::dSetSize(int cx, int cy, int unit) {
    dSetCX(cx, unit);
    dSetCY(cy, unit);
}

void Div::dSetCX(int cx, int unit) {
    dSetCX(static_cast<float>(cx), unit);
}
void Div::dSetCY(int cy, int unit) {
    dSetCY(static_cast<float>(cy), unit);
}

void Div::dSetCX(float cx, int unit) {
    size[0] = cx;
    setNibble(sizeUnits, false, unit);
}

void Div::dSetCY(float cy, int unit) {
    size[1] = cy;
    setNibble(sizeUnits, true, unit);
}

void Div::dSetPosAndSize(int x, int y, int cx, int cy, int unit) {
    dSetPos(x, y, unit);
    dSetSize(cx, cy, unit);
}

float* Div::dGetRealPos(float* out) {
    if (!out) return realPos;
    out[0] = realPos[0];
    out[1] = realPos[1];
    return out;
}

float* Div::dGetRealSize(float* out) {
    if (!out) return realSize;
    out[0] = realSize[0];
    out[1] = realSize[1];
    return out;
}

float* Div::dGetSize(float* out) {
    if (!out) return clientSize;
    out[0] = clientSize[0];
    out[1] = clientSize[1];
    return out;
}

int Div::dGetSize(SIZE* out) {
    if (!out) return 0x10000000;
    out->cx = static_cast<LONG>(clientSize[0]);
    out->cy = static_cast<LONG>(clientSize[1]);
    return 0;
}

int Div::dGetPos(POINT* out) {
    if (!out) return 0x10000000;
    out->x = static_cast<LONG>(clientPos[0]);
    out->y = static_cast<LONG>(clientPos[1]);
    return 0;
}

bool Div::dGetClientRect(int* rect) {
    if (!rect) return false;
    rect[0] = rect[1] = 0;
    rect[2] = static_cast<int>(clientSize[0]);
    rect[3] = static_cast<int>(clientSize[1]);
    return true;
}

bool Div::dGetClientRect(float* rect) {
    if (!rect) return false;
    rect[0] = rect[1] = 0;
    rect[2] = clientSize[0];
    rect[3] = clientSize[1];
    return true;
}

bool Div::IsPtInside(float* pt) {
    return pt && dIsVisible() && pt[0] >= 0 && pt[0] < clientSize[0] && pt[1] >= 0 && pt[1] < clientSize[1];
}

void Div::dUpdateMat(const glm::mat4& parentMat, float* parentSize) {
    float pw = 0, ph = 0;
    if (parent) {
        pw = parent->clientSize[0];
        ph = parent->clientSize[1];
    } else if (parentSize) {
        pw = parentSize[0];
        ph = parentSize[1];
    }
    float x = toPixels(pos[0], posUnits & 0xF, pw);
    float y = toPixels(pos[1], posUnits >> 4, ph);
    float w = extent(size[0], sizeUnits & 0xF, pw);
    float h = extent(size[1], sizeUnits >> 4, ph);
    x += alignOffset(hAlign, pw, w);
    y += alignOffset(vAlign, ph, h);

    frameMat = glm::translate(parentMat, glm::vec3(x, y, 0.0f));
    realPos[0] = x;
    realPos[1] = y;
    realSize[0] = w;
    realSize[1] = h;
    clientViewMat =
        glm::translate(frameMat, glm::vec3(borderSize + padding[0], borderSize + padding[1], 0.0f));
    clientMat = clientViewMat * localMat;
    clientPos[0] = clientPos[1] = 0;
    clientSize[0] = w - padding[0] - padding[2] - 2 * borderSize;
    clientSize[1] = h - padding[1] - padding[3] - 2 * borderSize;
}

float* Div::DivToCanvas(float* out, double x, double y) {
    if (!out) return nullptr;
    glm::vec4 p = clientMat * glm::vec4(static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f);
    out[0] = p.x;
    out[1] = p.y;
    return out;
}

float* Div::DivToCanvas(float* out, float* in) {
    return in ? DivToCanvas(out, in[0], in[1]) : nullptr;
}

float* Div::CanvasToDiv(float* out, double x, double y) {
    if (!out || !(clientSize[0] > 0) || !(clientSize[1] > 0)) return nullptr;
    mapInverse(clientMat, x, y, out);
    return out;
}

float* Div::CanvasToDiv(float* out, float* in) {
    return in ? CanvasToDiv(out, in[0], in[1]) : nullptr;
}

glm::vec2 Div::CanvasToDiv(const glm::vec2& p) {
    float out[2];
    if (!CanvasToDiv(out, p.x, p.y)) return {0, 0};
    return {out[0], out[1]};
}

float* Div::CanvasToDiv_View(float* out, double x, double y) {
    if (!out || !(clientSize[0] > 0) || !(clientSize[1] > 0)) return nullptr;
    mapInverse(clientViewMat, x, y, out);
    return out;
}

bool Div::dApplyToGL(bool outer) {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(glm::value_ptr(outer ? frameMat : clientMat));
    return true;
}

bool Div::dApplyToGL_View() {
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(glm::value_ptr(clientViewMat));
    return true;
}

glm::vec2 Div::getCursorPos() {
    Instance* inst = dGetInstance();
    if (!inst) return {0, 0};
    glm::vec2 p = inst->getCursorPos();
    float out[2];
    if (!mapInverse(clientMat, p.x, p.y, out)) return {0, 0};
    return {out[0], out[1]};
}

void Div::setChildrenOffset(double x, double y) {
    childOffsetTarget[0] = x;
    childOffsetTarget[1] = y;
}

void Div::setChildrenOffsetDelta(double dx, double dy) {
    childOffsetTarget[0] += dx;
    childOffsetTarget[1] += dy;
}

bool Div::GetChildBoundingBox(float* box, int* count, int includeHidden) {
    float b[4] = {0, 0, 0, 0};
    int n = 0;
    for (Div* c : children) {
        if (!includeHidden && !c->dIsVisible()) continue;
        float l = c->realPos[0], t = c->realPos[1];
        float r = l + c->realSize[0], bt = t + c->realSize[1];
        if (n == 0) {
            b[0] = l, b[1] = t, b[2] = r, b[3] = bt;
        } else {
            b[0] = std::min(b[0], l), b[1] = std::min(b[1], t);
            b[2] = std::max(b[2], r), b[3] = std::max(b[3], bt);
        }
        ++n;
    }
    if (box)
        for (int i = 0; i < 4; ++i) box[i] = b[i];
    if (count) *count = n;
    return true;
}

bool Div::GetChildBoundingBox(RECT* box, int* count, int includeHidden) {
    float b[4];
    GetChildBoundingBox(b, count, includeHidden);
    if (box) {
        box->left = static_cast<LONG>(b[0]);
        box->top = static_cast<LONG>(b[1]);
        box->right = static_cast<LONG>(b[2]);
        box->bottom = static_cast<LONG>(b[3]);
    }
    return true;
}

bool Div::PushScissors(int x, int y, int w, int h) {
    Canvas* c = dGetCanvas();
    if (!c) return false;
    c->PushScissors(x, y, w, h);
    return true;
}

void Div::PopScissors() {
    if (Canvas* c = dGetCanvas()) c->PopScissors();
}

int Div::Iterate(e_iterate* e, const glm::mat4& parentMat) {
    level = static_cast<uint32_t>(e->level);
    const double offsetBefore[2] = {childOffset[0], childOffset[1]};
    for (int i = 0; i < 2; ++i)
        childOffset[i] = std::floor(stEasyEasyDP(childOffset[i], childOffsetTarget[i], easeRate, easeSnap));
    if (!(options & DIV_UNCLAMPED)) {
        // The x bound is X0 itself, the y bound -Y0: the order of the tests
        // decides which bound wins when the limits cross.
        if (childOffsetTarget[0] > offsetLimit[0]) childOffsetTarget[0] = offsetLimit[0];
        if (childOffsetTarget[0] < -offsetLimit[2]) childOffsetTarget[0] = -offsetLimit[2];
        if (childOffsetTarget[1] > -offsetLimit[1]) childOffsetTarget[1] = -offsetLimit[1];
        if (childOffsetTarget[1] < -offsetLimit[3]) childOffsetTarget[1] = -offsetLimit[3];
    }
    opacity = stEasyEasyDP(opacity, opacityTarget, 10.0, 0.01);
    const float placeBefore[4] = {realPos[0], realPos[1], realSize[0], realSize[1]};
    dUpdateMat(parentMat, nullptr);
    glm::mat4 pv = e->proj * e->view;
    frameMvp = pv * frameMat;
    mvp = pv * clientMat;
    OnIterate(e);
    iterateChildren(e);
    OnPostIterate(e);
    // While easing, each frame moves the values on, and a layout that reads
    // last frame's sizes (a menu stacking its items) settles over several
    // frames: a window drawing on demand must not stop halfway. The offsets
    // are floored, so "still moving" is what counts for them, not "not at the
    // target yet".
    const bool moved = realPos[0] != placeBefore[0] || realPos[1] != placeBefore[1] ||
                       realSize[0] != placeBefore[2] || realSize[1] != placeBefore[3];
    if (moved || opacity != opacityTarget || childOffset[0] != offsetBefore[0] ||
        childOffset[1] != offsetBefore[1])
        if (Canvas* c = dGetCanvas()) c->requestFrame();
    return 0;
}

void Div::iterateChildren(e_iterate* e) {
    if (children.empty()) return;
    ++e->level;
    glm::mat4 offsetMat = glm::translate(
        clientMat, glm::vec3(static_cast<float>(childOffset[0]), static_cast<float>(childOffset[1]), 0.0f));
    // A handler may add or remove children while they iterate: walk by index
    // and re-check the bound every step.
    for (size_t i = 0; i < children.size(); ++i) {
        Div* c = children[i];
        c->Iterate(e, (c->options & DIV_FIXED) ? clientMat : offsetMat);
    }
    --e->level;
}

// Whether nothing this element draws itself can reach the canvas's current
// scissor: its frame rectangle under frameMat, widened by two pixels for
// outlines and smoothing, together with the box its arrangement program
// drew in last time (a clipping element's own scissor holds that in), lies
// wholly outside it. Unsure cases draw: an arrangement program not run yet,
// or run at another client width, or one without an ink box. NaN matrices
// compare false and draw.
bool Div::outsideClip(const e_draw& e) {
    if (!arrangeCommands.empty() && !(options & DIV_CLIP)) {
        const ArrangeProgram* p = arrangeProgram.get();
        if (!p || p->inkUnbounded || !p->inkValid || p->source != arrangeCommands || p->style != stylePath ||
            p->inkWidth != clientSize[0])
            return false;
    }
    constexpr float kMargin = 2.0f;
    float box[4] = {0, 0, 0, 0};
    auto cover = [&box](const glm::mat4& m, float x0, float y0, float x1, float y1, bool first) {
        const glm::vec4 corners[4] = {m * glm::vec4(x0, y0, 0, 1), m * glm::vec4(x1, y0, 0, 1),
                                      m * glm::vec4(x0, y1, 0, 1), m * glm::vec4(x1, y1, 0, 1)};
        for (int i = 0; i < 4; ++i) {
            const glm::vec4& c = corners[i];
            const bool init = first && i == 0;
            box[0] = init ? c.x : std::min(box[0], c.x);
            box[1] = init ? c.y : std::min(box[1], c.y);
            box[2] = init ? c.x : std::max(box[2], c.x);
            box[3] = init ? c.y : std::max(box[3], c.y);
        }
    };
    cover(frameMat, 0, 0, realSize[0], realSize[1], true);
    if (const ArrangeProgram* p = arrangeProgram.get(); p && !(options & DIV_CLIP) && p->ink[0] <= p->ink[2])
        cover(clientMat, p->ink[0], p->ink[1], p->ink[2], p->ink[3], false);
    int s[4];  // x, y (from the bottom), w, h
    e.cullTo->scissorRect(s);
    const auto height = static_cast<float>(e.viewport[3]);
    return box[0] - kMargin >= static_cast<float>(s[0] + s[2]) ||
           box[2] + kMargin <= static_cast<float>(s[0]) ||
           height - box[1] + kMargin <= static_cast<float>(s[1]) ||
           height - box[3] - kMargin >= static_cast<float>(s[1] + s[3]);
}

int Div::Draw(e_draw* e) {
    if (!(opacity > 0)) return 0;
    if (e->cullTo && outsideClip(*e)) {
        // Children of an element that clips lie within its scissor, and so
        // outside too; others may reach beyond it and are tried one by one.
        if (!(options & DIV_CLIP))
            for (size_t i = 0; i < children.size(); ++i) children[i]->Draw(e);
        return 0;
    }
    bool clip = (options & DIV_CLIP) != 0;
    if (clip) {
        glm::vec4 tl = frameMat * glm::vec4(0, 0, 0, 1);
        glm::vec4 br = frameMat * glm::vec4(realSize[0], realSize[1], 0, 1);
        float height = br.y - tl.y;
        PushScissors(static_cast<int>(tl.x),
                     static_cast<int>(static_cast<float>(e->viewport[3]) - tl.y - height),
                     static_cast<int>(br.x - tl.x), static_cast<int>(height));
    }
    int cw = static_cast<int>(clientSize[0]), ch = static_cast<int>(clientSize[1]);
    if (cw > 0 && ch > 0) OnDraw(e);
    for (size_t i = 0; i < children.size(); ++i) children[i]->Draw(e);
    if (clip) PopScissors();
    if (cw >= 1 && ch >= 1) OnPostDraw(e);
    return 0;
}

int Div::MTEvent(e_mtevent* e) {
    if (!(opacity > 0)) return false;
    return OnMTEvent(e);
}

int Div::GetByPos(std::vector<e_getdivpos>& out, double x, double y) {
    out.clear();
    if (!d_GetByPos(out, x, y, 0)) return 0;
    return static_cast<int>(out.size());
}

bool Div::d_GetByPos(std::vector<e_getdivpos>& out, double x, double y, int lvl) {
    if (!(opacity > 0)) return false;
    if (clientSize[0] > 0 && clientSize[1] > 0) {
        float p[2];
        mapInverse(clientViewMat, x, y, p);
        bool inside = p[0] >= 0 && p[0] < clientSize[0] && p[1] >= 0 && p[1] < clientSize[1];
        if (inside) {
            e_getdivpos hit{this, {0, 0}, lvl};
            // Without pan or zoom both inverses agree; skip the second.
            if (localMat == glm::mat4(1.0f)) {
                hit.pos[0] = p[0];
                hit.pos[1] = p[1];
            } else {
                mapInverse(clientMat, x, y, hit.pos);
            }
            out.push_back(hit);
        } else if (options & DIV_CLIP) {
            return false;
        }
    }
    for (size_t i = 0; i < children.size(); ++i) children[i]->d_GetByPos(out, x, y, lvl + 1);
    return true;
}

}  // namespace koui
