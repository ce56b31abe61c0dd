// Canvas input routing: pointer presses behind the modal gate, releases and
// drags to the pressed element, the wheel, hover and tooltip requests, keys
// and characters to the focus element.
#include <glm/mat4x4.hpp>
#include <glm/vec4.hpp>

#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/ui/unproject.h"

namespace koui {

namespace {
bool isPress(uint32_t type) {
    return type == MT_LDOWN || type == MT_RDOWN || type == MT_MDOWN;
}
bool isRelease(uint32_t type) {
    return type == MT_LUP || type == MT_RUP || type == MT_MUP;
}

}  // namespace

// Fills the receiver's coordinates and offers the event. `hitPos` is the
// hit-test point when the receiver was found by hit testing.
bool Canvas::deliver(Div* d, e_mtevent* e, const float* hitPos) {
    float x = e->canvasPos[0], y = e->canvasPos[1];
    if (d->clientSize[0] > 0 && d->clientSize[1] > 0) {
        glm::vec2 p = hitPos ? glm::vec2(hitPos[0], hitPos[1]) : unproject(d->clientMat, x, y);
        glm::vec2 v = unproject(d->clientViewMat, x, y);
        e->pos[0] = p.x;
        e->pos[1] = p.y;
        e->viewPos[0] = v.x;
        e->viewPos[1] = v.y;
    } else if (hitPos) {
        e->pos[0] = hitPos[0];
        e->pos[1] = hitPos[1];
    }
    lastDeliveredAlive = true;
    if (!(d->opacity > 0)) return false;
    delivering = d;
    bool accepted = d->OnMTEvent(e);
    // The handler deleted its own element: nothing may keep a pointer to it.
    lastDeliveredAlive = delivering == d;
    if (!lastDeliveredAlive) accepted = false;
    delivering = nullptr;
    return accepted;
}

// The root of a press's hit test after the modal gate; `swallowed` is set
// when a modal element without the popup option takes the press away.
Div* Canvas::pressRoot(double x, double y, bool* swallowed) {
    *swallowed = false;
    Div* m = getModal();
    if (!m) return this;
    if (!(m->clientSize[0] > 0) || !(m->clientSize[1] > 0)) return m;
    glm::vec2 p = unproject(m->clientMat, static_cast<float>(x), static_cast<float>(y));
    if (m->dIsVisible() && p.x >= 0 && p.x < m->clientSize[0] && p.y >= 0 && p.y < m->clientSize[1]) return m;
    if (!(m->options & DIV_POPUP)) {
        *swallowed = true;
        return nullptr;
    }
    // The pop-up leaves the modal list now, so that a second press before
    // the deletion runs cannot queue it twice.
    releaseModal(m);
    if (instance)
        instance->Queue(this, nullptr, MSG_DELETE, "", m, 0, nullptr, 0);
    else
        delete m;  // no instance to defer to: nothing is delivering to m now
    return this;
}

bool Canvas::ProcessMTEvent(int type, double x, double y, double z, int mods) {
    e_mtevent e{};
    e.type = static_cast<uint32_t>(type);
    e.canvasPos[0] = static_cast<float>(x);
    e.canvasPos[1] = static_cast<float>(y);
    e.canvasPos[2] = static_cast<float>(z);
    e.mods = static_cast<uint32_t>(mods);
    std::vector<e_getdivpos> hits;

    if (isPress(e.type)) {
        bool swallowed = false;
        Div* root = pressRoot(x, y, &swallowed);
        if (swallowed) return false;
        root->d_GetByPos(hits, x, y, 0);
        Div* taker = nullptr;
        for (auto it = hits.rbegin(); it != hits.rend() && !taker; ++it) {
            if (deliver(it->div, &e, it->pos)) taker = it->div;
        }
        if (taker) {
            pressed = taker;
            pressedType = e.type;
        }
        if (routeObserver) routeObserver(e, taker, hits);
        return taker != nullptr;
    }
    if (isRelease(e.type)) {
        if (!pressed) {
            pressedType = 0;
            return false;
        }
        Div* target = pressed;
        pressed = nullptr;
        pressedType = 0;
        deliver(target, &e, nullptr);
        if (routeObserver) routeObserver(e, lastDeliveredAlive ? target : nullptr, {});
        return false;
    }
    if (e.type == MT_WHEEL) {
        e.pos[2] = z > 0 ? 1.0f : -1.0f;
        d_GetByPos(hits, x, y, 0);
        for (auto it = hits.rbegin(); it != hits.rend(); ++it)
            if (deliver(it->div, &e, it->pos)) return true;
        return false;
    }
    if (e.type == MT_MOVE) {
        hover(x, y);
        if (pressed && isPress(pressedType)) {
            e.mods = 0;
            deliver(pressed, &e, nullptr);
        }
    }
    return false;
}

// Any movement restarts the rest time and fades the tooltip out; after
// hoverDelay ms of rest the front-most element under the pointer is asked
// for its tooltip text, every cycle until it gives one. A window drawing on
// demand asks once, in the frame requested for the end of the rest.
void Canvas::hover(double x, double y) {
    // Past the end of the rest: a frame due exactly then could find it not
    // quite over on a coarse clock.
    constexpr double kHoverSlack = 0.002;
    double now = clock();
    float fx = static_cast<float>(x), fy = static_cast<float>(y);
    if (fx != lastCursorPos[0] || fy != lastCursorPos[1]) {
        hoverStart = now;
        lastCursorPos[0] = fx;
        lastCursorPos[1] = fy;
        toolTipTarget = 0;
        requestFrame(hoverDelay / 1000.0 + kHoverSlack);
        return;
    }
    if (toolTipTarget == 1.0) return;
    const double restedMs = (now - hoverStart) * 1000.0;
    if (!(restedMs > hoverDelay)) {
        requestFrame((hoverDelay - restedMs) / 1000.0 + kHoverSlack);  // the cycle that asks for the text
        return;
    }
    Div* root = getModal() ? getModal() : this;
    std::vector<e_getdivpos> hits;
    root->d_GetByPos(hits, x, y, 0);
    if (hits.empty()) return;
    const e_getdivpos& front = hits.back();
    const std::string& t = front.div->OnGetToolTipText(glm::vec2(front.pos[0], front.pos[1]));
    if (t.empty()) return;
    toolTipPos[0] = fx;
    toolTipPos[1] = fy;
    toolTipText = t;
    toolTipTarget = 1.0;
}

bool Canvas::ProcessKeyEvent(int key, int ch, int mods) {
    if (!focus) return false;
    e_keyevent e{key, ch, mods};
    return focus->OnKeyEvent(&e);
}

bool Canvas::ProcessCharEvent(int ch, int second, int mods) {
    if (!focus) return false;
    e_charevent e{ch, second, mods};
    return focus->OnCharEvent(&e);
}

}  // namespace koui
