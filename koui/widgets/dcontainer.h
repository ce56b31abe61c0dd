// koui::DContainer: a drawing container. It owns a canvas of its own, draws
// that canvas's element tree into an off-screen frame buffer of its client
// size during the iterate pass, and shows the finished picture in OnDraw,
// under its Static text and icon. Presses, releases and moves over it are
// forwarded to the inner canvas in its client coordinates, which are the
// inner canvas's pixels; a press no inner element takes is declined, so it
// goes on to the elements behind the container.
//
// Set `instance` before Create (or pass it to the constructor, so that
// koui::add can make the container); OnCreate makes the inner canvas, and
// the application then creates elements as children of `canvas`. The inner
// canvas is the container's: it is deleted with the container (an instance
// does not delete the canvases it made). Without `instance` the container
// has no inner canvas and is a plain Static.
//
// Driving. The container iterates and draws the inner canvas itself, once
// per cycle at the frame buffer's size, so the inner canvas is marked both
// noIterate and noDraw for the instance (iterated by the instance too, it
// would be laid out twice a cycle, the second time at the window's size).
// Messages sent to the inner canvas reach the container's OnMsg.
//
// Scrolling. The wheel moves `scrollTarget` by 200 pixels a notch, limited
// to the inner content's overflow, and `scroll` eases towards it. The
// scroll is the inner canvas's children offset, so it moves the inner tree
// in the picture and in hit testing alike: a forwarded press lands on the
// element drawn under the pointer. The wheel is declined after scrolling,
// so elements behind the container may use it too.
//
// The frame buffer is made at the first iterate with a client area of at
// least 1 x 1 and made again whenever the client size changes.
#pragma once
#include <cstdint>
#include <memory>

#include "koui/export.h"
#include "koui/widgets/static.h"

namespace ko::gl {
class CkoxGL_FBO;
}

namespace koui {

class Canvas;
class Instance;

class KOUI_API DContainer : public Static {
public:
    DContainer();
    explicit DContainer(Instance* inst);
    ~DContainer() override;
    const char* dGetClass() override { return "koui::DContainer"; }
    void OnCreate() override;
    void OnIterate(e_iterate* e) override;
    void OnDraw(e_draw* e) override;
    bool OnMTEvent(e_mtevent* e) override;
    bool OnMsg(e_msg*) override { return false; }
    // Drawing into the frame buffer below and above the inner elements.
    virtual int OnFBODraw_Under() { return 0; }
    virtual int OnFBODraw_Over() { return 0; }

    Instance* instance = nullptr;  // not owned; set before Create
    Canvas* canvas = nullptr;      // owned
    std::unique_ptr<ko::gl::CkoxGL_FBO> fbo;
    int32_t fboParam1 = 0;  // nearest sampling
    int32_t fboParam2 = 0;  // depth and stencil
    int32_t fboParam3 = 0;
    double scroll[2] = {0, 0};
    double scrollTarget[2] = {0, 0};

private:
    void updateScroll(int ch);
    void render(int cw, int ch);
};

}  // namespace koui
