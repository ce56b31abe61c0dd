// DContainer: the inner canvas, its frame buffer, scrolling and forwarding.
#include "koui/widgets/dcontainer.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>

#include "koui/family/kox_fbo.h"
#include "koui/family/numeric.h"
#include "koui/host/canvas.h"
#include "koui/host/instance.h"

namespace koui {

namespace {
constexpr double kWheelStep = 200.0;
}  // namespace

DContainer::DContainer() = default;
DContainer::DContainer(Instance* inst) : instance(inst) {}

DContainer::~DContainer() {
    delete canvas;  // its elements with it, while the GL context is current
    fbo.reset();
}

void DContainer::OnCreate() {
    if (!instance) return;
    canvas = instance->CreateCanvas();
    canvas->dSetName("");
    canvas->noIterate = true;
    canvas->noDraw = true;
    canvas->msgTarget = this;
}

void DContainer::updateScroll(int ch) {
    float bottom = 0;
    for (Div* c : canvas->children) bottom = std::max(bottom, c->realPos[1] + c->realSize[1]);
    int b = static_cast<int>(bottom);
    if (b > ch) {
        scrollTarget[1] = std::clamp(scrollTarget[1], -static_cast<double>(b - ch), 0.0);
    } else {
        scrollTarget[1] = scroll[1] = 0;
    }
    for (int i = 0; i < 2; ++i) scroll[i] = ko::util::stEasyEasyDP(scroll[i], scrollTarget[i], 3.0, 0.01);
    // Still scrolling: the next frame moves on.
    if (scroll[0] != scrollTarget[0] || scroll[1] != scrollTarget[1])
        if (Canvas* c = dGetCanvas()) c->requestFrame();
    canvas->childOffset[0] = canvas->childOffsetTarget[0] = std::floor(scroll[0]);
    canvas->childOffset[1] = canvas->childOffsetTarget[1] = std::floor(scroll[1]);
}

void DContainer::render(int cw, int ch) {
    if (!fbo) fbo = std::make_unique<ko::gl::CkoxGL_FBO>();
    if (fbo->GetWidth() != cw || fbo->GetHeight() != ch)
        fbo->Create(cw, ch, fboParam2, fboParam1, GL_RGB, GL_TEXTURE_2D, fboParam3);
    canvas->setViewport(0, 0, cw, ch);
    canvas->Iterate();
    if (!fbo->IsValid() || !fbo->Begin2D(0.15, 0.15, 0.15, 1.0)) return;
    OnFBODraw_Under();
    fbo->Set2D(-1, -1);
    canvas->Draw();
    fbo->Set2D(-1, -1);
    OnFBODraw_Over();
    fbo->End(nullptr);
}

void DContainer::OnIterate(e_iterate* e) {
    Static::OnIterate(e);
    int cw = static_cast<int>(clientSize[0]), ch = static_cast<int>(clientSize[1]);
    if (!canvas || cw < 1 || ch < 1) return;
    updateScroll(ch);
    render(cw, ch);
}

void DContainer::OnDraw(e_draw* e) {
    dApplyToGL(false);
    if (fbo && fbo->IsValid()) fbo->GetTexture().Draw(1, 1, 1, 1);
    Static::OnDraw(e);
}

bool DContainer::OnMTEvent(e_mtevent* e) {
    if (IsDisabled() || !canvas) return false;
    switch (e->type) {
        case MT_LDOWN:
        case MT_RDOWN:
            return canvas->ProcessMTEvent(static_cast<int>(e->type), e->pos[0], e->pos[1], 0, e->mods);
        case MT_LUP:
        case MT_RUP:
        case MT_MOVE:
            canvas->ProcessMTEvent(static_cast<int>(e->type), e->pos[0], e->pos[1], 0, e->mods);
            return false;
        case MT_WHEEL:
            scrollTarget[1] += e->pos[2] > 0 ? kWheelStep : -kWheelStep;
            return false;
        default:
            return false;
    }
}

}  // namespace koui
