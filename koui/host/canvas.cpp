// Canvas: per-cycle iterate and draw, modal list, scissor stack, messages.
// Input routing is in canvas_input.cpp.
#include "koui/host/canvas.h"

#include <GL/glew.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>
#include <utility>

#include "koui/family/apptime.h"
#include "koui/family/numeric.h"
#include "koui/host/instance.h"

using namespace ko::util;

namespace koui {

double Canvas::monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Canvas::Canvas() : frameDue(HUGE_VAL) {
    createTime = appGetTime();
    hoverStart = clock();
}

Canvas::~Canvas() {
    // Children go while this is still a Canvas, so that their destructors
    // find it and drop their focus, pressed and modal references.
    dDestroyChildren();
    if (instance)
        std::replace(instance->canvases.begin(), instance->canvases.end(), this,
                     static_cast<Canvas*>(nullptr));
}

void Canvas::requestFrame(double delaySeconds) {
    frameDue = std::min(frameDue, monotonicSeconds() + std::max(delaySeconds, 0.0));
}

double Canvas::takeFrameRequest() {
    return std::exchange(frameDue, HUGE_VAL);
}

bool Canvas::Create(Instance* inst) {
    instance = inst;
    parent = nullptr;
    createTime = appGetTime();
    return true;
}

void Canvas::setViewport(int x, int y, int w, int h) {
    viewport[0] = x;
    viewport[1] = y;
    viewport[2] = w;
    viewport[3] = h;
}

void Canvas::fillFrame(glm::mat4& proj, glm::mat4& view, glm::mat4& pvm) {
    proj =
        glm::ortho(0.0f, static_cast<float>(viewport[2]), static_cast<float>(viewport[3]), 0.0f, -1.0f, 1.0f);
    view = glm::mat4(1.0f);
    pvm = proj * view * clientMat;
}

int Canvas::Iterate() {
    elapsed = appGetTime() - createTime;
    size[0] = static_cast<float>(viewport[2]);
    size[1] = static_cast<float>(viewport[3]);
    pos[0] = static_cast<float>(viewport[0]);
    pos[1] = static_cast<float>(viewport[1]);
    sizeUnits = posUnits = 0;
    float parentSize[2] = {size[0], size[1]};
    dUpdateMat(glm::mat4(1.0f), parentSize);
    e_iterate e{};
    e.time = elapsed;
    e.level = 0;
    std::copy(viewport, viewport + 4, e.viewport);
    fillFrame(e.proj, e.view, e.mvp);
    mvp = e.mvp;
    // The canvas's own children offset moves its tree like any element's
    // (a drawing container scrolls its inner canvas so); fixed children stay.
    glm::mat4 offsetMat = glm::translate(
        clientMat, glm::vec3(static_cast<float>(childOffset[0]), static_cast<float>(childOffset[1]), 0.0f));
    for (size_t i = 0; i < children.size(); ++i)
        children[i]->Iterate(&e, (children[i]->options & DIV_FIXED) ? clientMat : offsetMat);
    return 0;
}

int Canvas::Draw() {
    e_draw e{};
    e.time = elapsed;
    e.cullTo = cullOutside ? this : nullptr;
    std::copy(viewport, viewport + 4, e.viewport);
    fillFrame(e.proj, e.view, e.mvp);
    glViewport(0, 0, viewport[2], viewport[3]);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScalef(1, 1, 1);
    glOrtho(0, viewport[2], viewport[3], 0, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    scissorStack.clear();
    for (size_t i = 0; i < children.size(); ++i) children[i]->Draw(&e);
    scissorStack.clear();
    ApplyScissorsStack();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(glm::value_ptr(clientViewMat));
    drawToolTip(&e);
    return 0;
}

bool Canvas::OnMsg(e_msg* m) {
    if (m->id == MSG_DELETE && m->ptr1) delete static_cast<Div*>(m->ptr1);
    if (msgTarget) return msgTarget->OnMsg(m);
    return true;
}

bool Canvas::makeModal(Div* d, bool center, int w, int h, unsigned int opts) {
    if (!d) return false;
    if (d->parent) d->parent->dMoveChildToFront(d);
    d->options |= opts;
    if (w > 0) d->dSetCX(w, UNIT_PIXEL);
    if (h > 0) d->dSetCY(h, UNIT_PIXEL);
    if (center) {
        float x = clientSize[0] * 0.5f - static_cast<float>(w / 2);
        float y = clientSize[1] * 0.5f - static_cast<float>(h / 2);
        d->dSetPos(x, y, UNIT_PIXEL);
    }
    modalStack.push_back(d);
    return true;
}

bool Canvas::releaseModal(Div* d) {
    if (!d) return false;
    auto it = std::find(modalStack.begin(), modalStack.end(), d);
    if (it == modalStack.end()) return false;
    modalStack.erase(it);
    return true;
}

void Canvas::PushScissors(int x, int y, int w, int h) {
    scissorStack.push_back({x, y, w, h});
    ApplyScissorsStack();
}

void Canvas::PopScissors() {
    if (!scissorStack.empty()) scissorStack.pop_back();
    ApplyScissorsStack();
}

void Canvas::scissorRect(int* out) const {
    int l = viewport[0], t = viewport[1], r = viewport[0] + viewport[2], b = viewport[1] + viewport[3];
    for (const Rect& s : scissorStack) {
        l = std::max(l, s.x);
        t = std::max(t, s.y);
        r = std::min(r, s.x + s.w);
        b = std::min(b, s.y + s.h);
        // Rectangles that do not overlap intersect to the all-zero rectangle,
        // which stays empty through every later intersection.
        if (l >= r || t >= b) l = t = r = b = 0;
    }
    out[0] = l;
    out[1] = t;
    out[2] = r - l;
    out[3] = b - t;
}

void Canvas::ApplyScissorsStack() {
    int r[4];
    scissorRect(r);
    glEnable(GL_SCISSOR_TEST);
    glScissor(r[0], r[1], r[2], r[3]);
}

}  // namespace koui
