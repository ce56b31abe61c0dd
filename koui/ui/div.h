// koui::Div: the base of every visible element.
//
// An element owns its children (deleted with it), knows its parent, places
// itself inside the parent's client area from a position, a size, their
// units and an alignment, and keeps the matrices that map its client area to
// canvas pixels. The canvas (koui/host/canvas.h) is itself a Div at the root
// of a window's tree: it iterates and draws its children every cycle, hands
// pointer events to the elements found by hit testing and key events to the
// focus element.
//
// Names. The style fields that hold the element's font and image are called
// `styleFont` and `styleImage`, because the lookup getters `font(path)` and
// `image(path)` keep those names and C++ cannot have a member function and a
// data member of one name.
//
// Overloads. Geometry setters come in int and float forms; a call with a
// double argument is ambiguous, so callers convert explicitly
// (`dSetCX(float(atof(v)), 2)`).
//
// Deletion. The destructor deletes the children first, then removes the
// element from every reference its canvas holds (focus, pressed element,
// modal list), then from its parent. An element that must disappear from
// inside its own handler queues message 100 to its canvas instead of
// deleting itself (`Queue(MSG_DELETE, nullptr, "", this, 0, nullptr, 0)`).
//
// Formatted texts (setFormatText, SendStrMsg) are formatted into 4096 bytes;
// a longer result is cut to 4095 bytes.
//
// Threads: everything runs on the window's GL thread; other threads reach
// elements only through Queue (the instance's queue is locked).
#pragma once
#include <cstdint>
#include <functional>
#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>
#include <glm/vec4.hpp>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "koui/export.h"
#include "koui/family/strpar.h"
#include "koui/res/img.h"
#include "koui/res/node_text.h"
#include "koui/ui/events.h"

namespace koui::win32 {
struct POINT;
struct SIZE;
struct RECT;
}  // namespace koui::win32

namespace ko::gl {
class CkoxGL_Font;
class Font;
}  // namespace ko::gl

namespace koui {

namespace res {
class Instance;
class Node;
}  // namespace res

class Canvas;
class Instance;
class RMImgSet;
struct ArrangeProgram;
class RMCImg;
class RMImg;
class RMFmtFont;
class RMColor;

// Option bits of Div::options.
enum : uint32_t {
    DIV_DISABLED = 0x1,
    DIV_CLIP = 0x4,
    DIV_FIXED = 0x8,
    DIV_UNCLAMPED = 0x10,
    DIV_START_HIDDEN = 0x20,
    DIV_MODAL = 0x8000,
    DIV_POPUP = 0x10000,
};

// Units of Div::sizeUnits / posUnits nibbles: 0 pixels, 1 fraction of the
// parent's client size, anything else percent.
enum : int { UNIT_PIXEL = 0, UNIT_FRACTION = 1, UNIT_PERCENT = 2 };

// Classic colours of an element: entry 0 fill, 1 outline, 2 for subclasses.
struct KOUI_API ColorSet {
    struct Entry {
        uint8_t rgba[4];
        float rgbaf[4];
    };
    Entry entry[3];
};

// 64-bit FNV-1a, the hash of the named-callback keys.
struct KOUI_API Fnv1a64 {
    size_t operator()(const std::string& s) const noexcept {
        uint64_t h = 0xcbf29ce484222325ULL;
        for (unsigned char c : s) {
            h ^= c;
            h *= 0x100000001b3ULL;
        }
        return static_cast<size_t>(h);
    }
};

class KOUI_API Div {
public:
    Div();
    Div(const Div&) = delete;
    Div& operator=(const Div&) = delete;

    // Virtual operations, in slot order.
    virtual ~Div();
    virtual const char* dGetClass();
    virtual const char* dGetBaseClass();
    virtual std::string& setText(const std::string& s);
    virtual std::string& getText();
    virtual void OnCreate() {}
    virtual void OnDestroy() {}
    virtual bool OnMsg(e_msg*) { return false; }
    virtual void OnIterate(e_iterate*) {}
    virtual void OnPostIterate(e_iterate*) {}
    // The element's background, border or style image, then its
    // arrangement commands (div_draw.cpp).
    virtual void OnDraw(e_draw* e);
    virtual void OnPostDraw(e_draw*) {}
    virtual bool OnMTEvent(e_mtevent*) { return false; }
    virtual bool OnKeyEvent(e_keyevent*) { return false; }
    virtual bool OnCharEvent(e_charevent*) { return false; }
    virtual bool OnSetFocus(Div*) { return true; }
    virtual bool OnKillFocus(Div*) { return true; }
    virtual void OnUpdateStyle();
    virtual const std::string& OnGetToolTipText(const glm::vec2& pos);

    // Creation and destruction.
    static Div* wCreate(Div* parent, int x, int y, int cx, int cy);
    Div* Create(std::string name, Div* parent, int x, int y, int cx, int cy, const char* resId,
                unsigned long options, std::string style);
    bool dDestroy();
    void Destroy() { OnDestroy(); }
    void dDestroyChildren();

    // Tree.
    Div* dAddChild(Div* child, bool show);
    bool dDetachChild(Div* child);
    bool dMoveToFront();
    bool dMoveChildToFront(Div* child);
    int dGetChildIndex(Div* child);
    int dGetChildrenCount() { return static_cast<int>(children.size()); }
    Div* dGetChild(int index);
    Div* dGetParent() { return parent; }
    std::string& dGetName() { return name; }
    void dSetName(const std::string& n) { name = n; }
    bool dIsName(const std::string& n) { return name == n; }
    Div* dGetChildByName(const std::string& n);
    Div* operator[](const std::string& n) { return dGetChildByName(n); }
    Div* dGetChildByNameInParent(const std::string& n);
    Div* setNextNode(const std::string& n);
    Div* setPrevNode(const std::string& n);
    Div* getNextNodeDiv();
    Div* getPrevNodeDiv();
    bool dIsClass(std::string cls);
    bool dIsBaseClass(std::string cls);
    Canvas* dGetCanvas();
    Instance* dGetInstance();
    res::Instance* resInst();

    // Options and state.
    unsigned long dGetOpt() { return options; }
    unsigned long dSetOpt(unsigned long bits);
    unsigned long dRemoveOpt(unsigned long bits);
    bool dHasOpt(unsigned long bits) { return (options & bits) != 0; }
    bool IsEnabled() { return !IsDisabled(); }
    bool IsDisabled() { return dHasOpt(DIV_DISABLED); }
    void dEnable(bool enable);
    void dDisable() { dEnable(false); }
    Div* dEnableChild(bool enable, const std::string& names);
    bool dIsModal() { return dHasOpt(DIV_MODAL); }
    bool dIsParentModal() { return parent && parent->dIsModal(); }
    int uiSetCurrentIndex(int index);

    // Visibility.
    int dShow();
    int dHide();
    int dSetOp(double op);
    double dGetOp() { return opacity; }
    bool dIsVisible() { return opacity > 0; }

    // Geometry setters; each also sets the unit of the axes it touches.
    void dSetPos(int x, int y, int unit = 0);
    void dSetX(int x, int unit = 0);
    void dSetY(int y, int unit = 0);
    void dSetPos(float x, float y, int unit = 0);
    void dSetX(float x, int unit = 0);
    void dSetY(float y, int unit = 0);
    void dSetSize(int cx, int cy, int unit = 0);
    void dSetCX(int cx, int unit = 0);
    void dSetCY(int cy, int unit = 0);
    void dSetCX(float cx, int unit = 0);
    void dSetCY(float cy, int unit = 0);
    void dSetPosAndSize(int x, int y, int cx, int cy, int unit = 0);

    // Geometry getters.
    float dGetRealPixX() { return realPos[0]; }
    float dGetRealPixY() { return realPos[1]; }
    float dGetRealPixCX() { return realSize[0]; }
    float dGetRealPixCY() { return realSize[1]; }
    float* dGetRealPos(float* out);
    float* dGetRealSize(float* out);
    float dGetCXf() { return clientSize[0]; }
    float dGetCYf() { return clientSize[1]; }
    int dGetCX() { return static_cast<int>(clientSize[0]); }
    int dGetCY() { return static_cast<int>(clientSize[1]); }
    float* dGetSize(float* out);
    glm::vec2 dGetSize() { return {clientSize[0], clientSize[1]}; }
    int dGetSize(win32::SIZE* out);
    int dGetPos(win32::POINT* out);
    int dGetX() { return static_cast<int>(clientPos[0]); }
    int dGetY() { return static_cast<int>(clientPos[1]); }
    bool dGetClientRect(int* rect);
    bool dGetClientRect(float* rect);
    bool IsPtInside(float* pt);
    float* getMVP() { return &mvp[0][0]; }
    void dUpdateMat(const glm::mat4& parentMat, float* parentSize);

    // Coordinate mappings.
    float* DivToCanvas(float* out, double x, double y);
    float* DivToCanvas(float* out, float* in);
    float* CanvasToDiv(float* out, double x, double y);
    float* CanvasToDiv(float* out, float* in);
    glm::vec2 CanvasToDiv(const glm::vec2& p);
    float* CanvasToDiv_View(float* out, double x, double y);
    bool dApplyToGL(bool outer);
    bool dApplyToGL_View();
    glm::vec2 getCursorPos();
    void setChildrenOffset(double x, double y);
    void setChildrenOffsetDelta(double dx, double dy);
    bool GetChildBoundingBox(float* box, int* count, int includeHidden);
    bool GetChildBoundingBox(win32::RECT* box, int* count, int includeHidden);
    bool PushScissors(int x, int y, int w, int h);
    void PopScissors();

    // Text and children's text.
    std::string& setFormatText(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    std::string& chText(const std::string& child);
    int chTexti(const std::string& child, int def);
    double chTextf(const std::string& child, double def);
    bool setChildText(const std::string& child, const std::string& text);
    Div* setDivText(const std::string& child, const std::string& text);

    // Tooltip and callbacks.
    void setToolTipText(const std::string& t) { toolTip = t; }
    const std::string& getToolTipText(const glm::vec2& pos) { return OnGetToolTipText(pos); }
    void setCB(std::string cbName, std::function<void()> fn);
    void callCB(std::string cbName);

    // Focus (the focus pointer lives in the canvas).
    bool dHasFocus();
    bool dSetFocus();
    bool dKillFocus();

    // Messages.
    bool SendMsg(unsigned long id, Div* to, unsigned long num1, void* ptr1, unsigned long num2, void* ptr2);
    bool SendStrMsg(unsigned long id, Div* to, const char* fmt, ...) __attribute__((format(printf, 4, 5)));
    bool SendStrMsg(unsigned long id, Div* to, std::string text);
    bool ReceiveMsg(e_msg* m) { return OnMsg(m); }
    bool Queue(unsigned long id, Div* to, const std::string& text, void* ptr1, unsigned long num1, void* ptr2,
               unsigned long num2);

    // Per-cycle entry points, called by the canvas. Draw skips an element
    // wholly outside the canvas's current scissor when the pass culls
    // (e_draw::cullTo, Canvas::cullOutside): neither it nor, when it clips
    // its children, its subtree is drawn, and its OnDraw and OnPostDraw do
    // not run; children of an element that does not clip are tried one by
    // one, in the same order as ever.
    int Iterate(e_iterate* e, const glm::mat4& parentMat);
    int Draw(e_draw* e);
    int MTEvent(e_mtevent* e);
    int GetByPos(std::vector<e_getdivpos>& out, double x, double y);
    bool d_GetByPos(std::vector<e_getdivpos>& out, double x, double y, int lvl);

    // Drawing (div_draw.cpp). Paints the element's rectangle: for an element
    // without a style its classic image-set image (alpha 0.25 when disabled)
    // or a box in colorSet entries 0 (fill) and 1 (outline); for a styled
    // element its style image, or else the background program's rounded,
    // bordered rectangle in bkColor and borderColor. Leaves the model-view
    // matrix at frameMat.
    void drawBackground();

    // Style (div_style.cpp).
    std::string uiSetStyle(std::string path);
    bool UpdateStyle();
    res::Node* GetStyleNode();
    const char* uiSetResID(const char* id);
    bool getvalue(std::string& out, std::string path);
    bool getvalue(std::string& out, std::string path, int index);
    const res::NodeText& getvalue(const std::string& path);  // const: the resource tree owns it
    std::string value(std::string path);
    std::string value(std::string path, std::string def);
    int value1i(std::string path, int def);
    float value1f(std::string path, float def);
    bool valueiv(std::vector<int>& out, std::string path, int count, int def);
    bool valuefv(std::vector<float>& out, std::string path, int count, float def);
    bool valueiv(int* out, std::string path, int count, int def);
    bool valuefv(float* out, std::string path, int count, float def);
    std::vector<int> valueiv(std::string path, int count, int def);
    std::vector<float> valuefv(std::string path, int count, float def);
    ko::util::StrPar getParVec(std::string path);
    float* color(std::string path);
    glm::vec4 colorvec4(std::string path);
    ko::gl::Font* font(std::string path);
    res::Img image(std::string path);
    res::Node* findNode(std::string path);

    // Classic resources through the UI instance's manager (div_rm.cpp).
    RMImgSet* rmimgset(const char* n);
    RMCImg* rmcimg(const char* n);
    RMImg* rmimg(const char* n, int index, int sub);
    int rmimgDraw(const char* n, int index, double r, double g, double b, double a, int sub);
    int rmimgDrawRect(const char* n, int index, double w, double h, double r, double g, double b, double a,
                      int sub);
    ko::gl::CkoxGL_Font* rmglfont(const char* n);
    RMFmtFont* rmfmtfont(const char* n);
    RMColor* rmcolor(const char* n);
    float* rmcolorf(const char* n);
    double* rmcolord(const char* n);

    // Runs the arrangement commands (`arrangeCommands`, from the style's
    // "!ui-arrange") in the client area; part of the draw pass
    // (div_arrange.cpp).
    void UIArrange();

    // Fields, in declaration order.
    Div* parent = nullptr;
    uint32_t level = 0;
    uint32_t options = 0;
    uint32_t currentIndex = 0;
    double opacity = 1.0;
    double opacityTarget = 1.0;
    std::string text;
    double childOffset[2] = {0, 0};
    double childOffsetTarget[2] = {0, 0};
    double offsetLimit[4] = {0, 0, 0, 0};  // X0, Y0, X1, Y1
    double easeRate = 10.0;
    double easeSnap = 1.0;
    std::vector<Div*> children;  // back to front
    std::string name;
    std::string nextNode, prevNode;
    float size[2] = {0, 0};
    float pos[2] = {0, 0};
    uint8_t sizeUnits = 0;
    uint8_t posUnits = 0;
    uint8_t hAlign = 0;
    uint8_t vAlign = 0;
    float padding[4] = {0, 0, 0, 0};  // left, top, right, bottom
    float borderSize = 0;
    float borderRadius = 0;
    bool edgeSmooth = false;
    glm::mat4 frameMat{1.0f};
    glm::mat4 frameMvp{1.0f};
    float realPos[2] = {0, 0};
    float realSize[2] = {0, 0};
    glm::mat4 clientViewMat{1.0f};
    glm::mat4 clientMat{1.0f};
    float clientPos[2] = {0, 0};
    float clientSize[2] = {0, 0};
    glm::mat4 localMat{1.0f};
    glm::mat4 mvp{1.0f};
    RMImgSet* imageSet = nullptr;
    std::string resId;
    ColorSet colorSet{};
    std::string stylePath;
    float textColor[4] = {0, 0, 0, 0};
    float bkColor[4] = {0, 0, 0, 0};
    float borderColor[4] = {0, 0, 0, 0};
    ko::gl::Font* styleFont = nullptr;  // "font-type"; not owned
    uint32_t fontAlignH = 1;
    uint32_t fontAlignV = 1;
    int32_t fontOffset[2] = {0, 0};
    bool fontWordWrap = false;
    float fontSep[2] = {0, 0};
    float fontScale[2] = {1, 1};
    res::Img styleImage;  // "image", "image-make"
    uint32_t imageFlags = 0;
    uint32_t imageAlignH = 1;
    uint32_t imageAlignV = 1;
    float imageScale = 1.0f;
    std::string toolTip;
    std::unordered_map<std::string, std::function<void()>, Fnv1a64> callbacks;
    std::string arrangeCommands;
    // `arrangeCommands` made ready to run (arrange_program.h); made by
    // UIArrange, dropped by every style read.
    std::unique_ptr<ArrangeProgram> arrangeProgram;

private:
    void iterateChildren(e_iterate* e);
    void readStyleColor(res::Node* style, const char* key, float* out);
    void adoptImageSetSize();
    void releaseFromCanvas();
    bool outsideClip(const e_draw& e);
    void drawClassic(int w, int h);
    void drawStyledBackground();
};

}  // namespace koui
