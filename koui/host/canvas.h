// koui::Canvas: the root element of a window's element tree.
//
// Once per GL cycle the UI instance calls Iterate and Draw; between them the
// GL worker hands over pointer, key and character events. Presses go to the
// front-most element under the pointer that accepts them (behind the modal
// gate), releases and drags to the element that accepted the press, the
// wheel to the front-most accepting element, keys and characters to the
// focus element. The canvas also keeps the modal list, the scissor stack of
// the draw pass and the tooltip state.
//
// References the canvas keeps to elements (`focus`, `pressed`, `modalStack`,
// `msgTarget`) are not owning. Deleting an element removes it from the first
// three (Div's destructor); `msgTarget` is the owner's to clear.
//
// Pop-ups. A press outside the front-most modal element that carries
// DIV_POPUP closes it: its deletion is queued (message 100 to the canvas),
// and the pop-up leaves the modal list at once, at the press, not when the
// queued deletion runs. Between the two it is no longer modal, so a second
// press in the same cycle goes to the elements behind it and cannot queue
// the deletion twice; the pop-up stays in the tree, drawn, until then.
//
// Time. Hover timing reads `clock` (seconds of a monotonic counter); tests
// put a function of their own there to step time without waiting.
//
// Tooltip. The canvas keeps the tooltip's text, position and eased opacity
// and paints it last in every Draw (canvas_tooltip.cpp): a box in the
// "!tooltip.*" colours faded by the opacity, with the text in the font
// "!tooltip.tip-font"; without that font no tooltip is shown.
//
// Observing the routing. `routeObserver`, empty unless set, is called after
// each press has been offered (with the hit list, front-most last, and the
// element that took it, or null) and after each release has been delivered
// (with an empty list and the element that had the press, or null when it
// deleted itself). The routing itself does not change; the application
// layer recognises clicks on any element through it (koui/app/app_window.h).
//
// Frames wanted. A window that draws on demand (app::Window, drawOnDemand)
// draws only when something changed. An element whose look changes with
// time alone (a blinking caret, an eased opacity, a tooltip that fades in)
// says when it wants its next frame with requestFrame: at once, or after a
// delay (a blink asks only for its next toggle). Requests gather on the
// canvas until the UI instance takes the earliest (takeFrameRequest) after
// the cycle. A window that draws continuously ignores them.
//
// Threads: all on the GL thread of the window.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "koui/export.h"
#include "koui/ui/div.h"

namespace koui {

class Instance;

class KOUI_API Canvas : public Div {
public:
    using Clock = double (*)();
    // Seconds of the process's monotonic high-resolution counter.
    static double monotonicSeconds();

    Canvas();
    ~Canvas() override;
    const char* dGetClass() override { return "koui::Canvas"; }
    bool OnMsg(e_msg* m) override;

    bool Create(Instance* inst);
    Instance* GetInstance() { return instance; }
    void setViewport(int x, int y, int w, int h);
    int Iterate();
    int Draw();
    bool ProcessMTEvent(int type, double x, double y, double z, int mods);
    bool ProcessKeyEvent(int key, int ch, int mods);
    bool ProcessCharEvent(int ch, int second, int mods);

    bool makeModal(Div* d, bool center, int w, int h, unsigned int opts);
    bool releaseModal(Div* d);
    Div* getModal() { return modalStack.empty() ? nullptr : modalStack.back(); }
    // True while a pop-up (DIV_POPUP, a quick menu) is in the modal list:
    // it has not been closed yet and takes the keyboard.
    bool hasPopup() const {
        for (Div* d : modalStack)
            if (d->dHasOpt(DIV_POPUP)) return true;
        return false;
    }

    void PushScissors(int x, int y, int w, int h);
    void PopScissors();
    void ApplyScissorsStack();
    // The rectangle ApplyScissorsStack gives to glScissor: x, y, w, h.
    void scissorRect(int* out) const;

    // The tooltip box for a laid-out text of textW x textH pixels: x, y, w,
    // h in canvas pixels, 20 right and 15 below toolTipPos, at least minLen
    // wide plus padding, moved back inside the viewport.
    bool toolTipRect(float textW, float textH, int pad, int minLen, float* box) const;

    // Replaces the hover clock (null restores the default).
    void setClock(Clock c) { clock = c ? c : &monotonicSeconds; }

    // Asks for a frame `delaySeconds` from now (0: the next cycle); the
    // earliest request wins.
    void requestFrame(double delaySeconds = 0);
    // The monotonicSeconds time of the earliest frame asked for since the
    // last call, or +infinity when none was; forgets it.
    double takeFrameRequest();

    int32_t viewport[4] = {0, 0, 0, 0};
    Instance* instance = nullptr;
    Div* focus = nullptr;
    Div* pressed = nullptr;
    uint32_t pressedType = 0;
    bool noIterate = false;
    bool noDraw = false;
    // Culling: while on, an element whose rectangle (and whatever its
    // arrangement program drew last) lies wholly outside the current
    // scissor is skipped, drawing and all, with its subtree when it clips
    // its children (Div::Draw). What shows is the same either way; false
    // draws every element.
    bool cullOutside = true;
    Div* msgTarget = nullptr;
    std::vector<Div*> modalStack;
    double createTime = 0;
    double elapsed = 0;
    struct Rect {
        int32_t x, y, w, h;
    };
    std::vector<Rect> scissorStack;
    double hoverStart = 0;
    float lastCursorPos[2] = {0, 0};
    double hoverDelay = 500.0;
    std::string toolTipText;
    double toolTipOpacity = 0;
    double toolTipTarget = 0;
    float toolTipPos[2] = {0, 0};
    Clock clock = &monotonicSeconds;
    // The element whose OnMTEvent runs now; its destructor clears this, so
    // an element that deletes itself inside its handler is never recorded
    // as pressed.
    Div* delivering = nullptr;
    using RouteObserver =
        std::function<void(const e_mtevent& e, Div* taker, const std::vector<e_getdivpos>& hits)>;
    RouteObserver routeObserver;

private:
    void fillFrame(glm::mat4& proj, glm::mat4& view, glm::mat4& pvm);
    bool deliver(Div* d, e_mtevent* e, const float* hitPos);
    bool lastDeliveredAlive = false;  // the last deliver's receiver outlived its handler
    double frameDue;                  // see requestFrame; +infinity when none is wanted
    Div* pressRoot(double x, double y, bool* swallowed);
    void hover(double x, double y);
    void drawToolTip(e_draw* e);
};

}  // namespace koui
