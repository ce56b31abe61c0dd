// Div: creation, destruction, the tree, options, visibility, texts,
// callbacks, focus and messages. Geometry, iterate, draw and hit testing are
// in div_geometry.cpp; style in div_style.cpp; classic resources in
// div_rm.cpp.
#include "koui/ui/div.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/ui/arrange_program.h"

using namespace koui::win32;

namespace koui {

namespace {
std::string& sharedEmpty() {
    static std::string empty;
    empty.clear();  // a caller may have written through the reference
    return empty;
}

void eraseFrom(std::vector<Div*>& list, Div* d) {
    list.erase(std::remove(list.begin(), list.end(), d), list.end());
}
}  // namespace

Div::Div() = default;

Div::~Div() {
    dDestroyChildren();
    releaseFromCanvas();
    if (parent) {
        auto& siblings = parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
        parent = nullptr;
    }
}

// The canvas must never keep a reference to a deleted element: focus,
// pressed element and modal list are all cleared here.
void Div::releaseFromCanvas() {
    Canvas* c = dGetCanvas();
    if (!c || c == this) return;
    if (c->focus == this) {
        OnKillFocus(nullptr);
        c->focus = nullptr;
    }
    if (c->pressed == this) {
        c->pressed = nullptr;
        c->pressedType = 0;
    }
    if (c->delivering == this) c->delivering = nullptr;
    if (dHasOpt(DIV_MODAL | DIV_POPUP)) eraseFrom(c->modalStack, this);
    if (Instance* inst = c->GetInstance()) inst->forget(this);
}

const char* Div::dGetClass() {
    return "koui::Div";
}
const char* Div::dGetBaseClass() {
    return "koui::Div";
}

std::string& Div::setText(const std::string& s) {
    text = s;
    return text;
}

std::string& Div::getText() {
    return text;
}

const std::string& Div::OnGetToolTipText(const glm::vec2&) {
    return toolTip;
}

Div* Div::wCreate(Div* parent, int x, int y, int cx, int cy) {
    Div* d = new Div();
    return d->Create("", parent, x, y, cx, cy, nullptr, 0, "");
}

Div* Div::Create(std::string n, Div* par, int x, int y, int cx, int cy, const char* rid, unsigned long opts,
                 std::string style) {
    if (par) par->dAddChild(this, true);
    name = std::move(n);
    if (rid) resId = rid;
    pos[0] = static_cast<float>(x);
    pos[1] = static_cast<float>(y);
    size[0] = static_cast<float>(cx);
    size[1] = static_cast<float>(cy);
    posUnits = sizeUnits = 0;
    options = static_cast<uint32_t>(opts);
    adoptImageSetSize();
    if (!style.empty()) uiSetStyle(style);
    if (resInst()) {
        OnUpdateStyle();
        for (Div* c : children) c->UpdateStyle();
    }
    if (options & DIV_START_HIDDEN) opacity = opacityTarget = 0;
    OnCreate();
    return this;
}

bool Div::dDestroy() {
    delete this;
    return true;
}

void Div::dDestroyChildren() {
    std::vector<Div*> copy = children;
    for (Div* c : copy) delete c;
    children.clear();
}

Div* Div::dAddChild(Div* child, bool show) {
    if (!child) return nullptr;
    if (child->parent != this) {
        if (child->parent) eraseFrom(child->parent->children, child);
        child->parent = this;
        children.push_back(child);
    }
    if (show) child->opacity = child->opacityTarget = 1.0;
    return child;
}

bool Div::dDetachChild(Div* child) {
    auto it = std::find(children.begin(), children.end(), child);
    if (!child || it == children.end()) return false;
    children.erase(it);
    child->parent = nullptr;
    return true;
}

bool Div::dMoveToFront() {
    return parent ? parent->dMoveChildToFront(this) : true;
}

bool Div::dMoveChildToFront(Div* child) {
    if (children.size() < 2) return false;
    auto it = std::find(children.begin(), children.end(), child);
    if (it == children.end()) return false;
    std::rotate(it, it + 1, children.end());
    return true;
}

int Div::dGetChildIndex(Div* child) {
    auto it = std::find(children.begin(), children.end(), child);
    return it == children.end() ? -1 : static_cast<int>(it - children.begin());
}

Div* Div::dGetChild(int index) {
    if (index < 0 || index >= static_cast<int>(children.size())) return nullptr;
    return children[static_cast<size_t>(index)];
}

Div* Div::dGetChildByName(const std::string& n) {
    for (Div* c : children)
        if (c->name == n) return c;
    return nullptr;
}

Div* Div::dGetChildByNameInParent(const std::string& n) {
    return parent ? parent->dGetChildByName(n) : nullptr;
}

Div* Div::setNextNode(const std::string& n) {
    nextNode = n;
    return this;
}

Div* Div::setPrevNode(const std::string& n) {
    prevNode = n;
    return this;
}

Div* Div::getNextNodeDiv() {
    return dGetChildByNameInParent(nextNode);
}
Div* Div::getPrevNodeDiv() {
    return dGetChildByNameInParent(prevNode);
}

bool Div::dIsClass(std::string cls) {
    return cls == dGetClass();
}
bool Div::dIsBaseClass(std::string cls) {
    return cls == dGetBaseClass();
}

Canvas* Div::dGetCanvas() {
    for (Div* d = this; d; d = d->parent)
        if (std::strcmp(d->dGetClass(), "koui::Canvas") == 0) return dynamic_cast<Canvas*>(d);
    return nullptr;
}

Instance* Div::dGetInstance() {
    Canvas* c = dGetCanvas();
    return c ? c->GetInstance() : nullptr;
}

res::Instance* Div::resInst() {
    Instance* inst = dGetInstance();
    return inst ? inst->resInstance : nullptr;
}

unsigned long Div::dSetOpt(unsigned long bits) {
    options |= static_cast<uint32_t>(bits);
    return options;
}

unsigned long Div::dRemoveOpt(unsigned long bits) {
    options &= ~static_cast<uint32_t>(bits);
    return options;
}

void Div::dEnable(bool enable) {
    if (enable)
        dRemoveOpt(DIV_DISABLED);
    else
        dSetOpt(DIV_DISABLED);
}

Div* Div::dEnableChild(bool enable, const std::string& names) {
    ko::util::StrPar list = ko::util::StrPar::split(names, ',');
    for (int i = 0; i < list.count(); ++i) {
        const std::string& n = *list.at(i);
        if (n == "@all") {
            for (Div* c : children) c->dEnable(enable);
            break;
        }
        if (Div* c = dGetChildByName(n)) c->dEnable(enable);
    }
    return this;
}

int Div::uiSetCurrentIndex(int index) {
    currentIndex = static_cast<uint32_t>(index);
    return index;
}

int Div::dShow() {
    return dSetOp(1.0);
}
int Div::dHide() {
    return dSetOp(0.0);
}

int Div::dSetOp(double op) {
    opacity = opacityTarget = op;
    return 0;
}

std::string& Div::setFormatText(const char* fmt, ...) {
    char buf[4096];
    buf[0] = 0;
    va_list args;
    va_start(args, fmt);
    if (fmt) std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return setText(buf);
}

std::string& Div::chText(const std::string& child) {
    Div* c = dGetChildByName(child);
    return c ? c->getText() : sharedEmpty();
}

int Div::chTexti(const std::string& child, int def) {
    Div* c = dGetChildByName(child);
    return c ? std::atoi(c->getText().c_str()) : def;
}

double Div::chTextf(const std::string& child, double def) {
    Div* c = dGetChildByName(child);
    return c ? std::atof(c->getText().c_str()) : def;
}

bool Div::setChildText(const std::string& child, const std::string& t) {
    return setDivText(child, t) != nullptr;
}

Div* Div::setDivText(const std::string& child, const std::string& t) {
    Div* c = dGetChildByName(child);
    if (c) c->setText(t);
    return c;
}

void Div::setCB(std::string cbName, std::function<void()> fn) {
    callbacks[std::move(cbName)] = std::move(fn);
}

void Div::callCB(std::string cbName) {
    auto it = callbacks.find(cbName);
    if (it != callbacks.end() && it->second) it->second();
}

bool Div::dHasFocus() {
    Canvas* c = dGetCanvas();
    return c && c->focus == this;
}

bool Div::dSetFocus() {
    Canvas* c = dGetCanvas();
    if (!c || c->focus == this) return false;
    Div* previous = c->focus;
    if (previous && !previous->OnKillFocus(this)) return false;
    if (OnSetFocus(previous)) c->focus = this;
    return true;
}

bool Div::dKillFocus() {
    Canvas* c = dGetCanvas();
    if (!c) return false;
    if (Div* f = c->focus) {
        f->OnKillFocus(nullptr);
        c->focus = nullptr;
    }
    return true;
}

bool Div::SendMsg(unsigned long id, Div* to, unsigned long num1, void* ptr1, unsigned long num2, void* ptr2) {
    Div* receiver = to ? to : parent;
    if (!receiver) return false;
    e_msg m;
    m.id = static_cast<uint32_t>(id);
    m.from = this;
    m.ptr1 = ptr1;
    m.num1 = static_cast<uint32_t>(num1);
    m.ptr2 = ptr2;
    m.num2 = static_cast<uint32_t>(num2);
    return receiver->OnMsg(&m);
}

bool Div::SendStrMsg(unsigned long id, Div* to, const char* fmt, ...) {
    char buf[4096];
    buf[0] = 0;
    va_list args;
    va_start(args, fmt);
    if (fmt) std::vsnprintf(buf, sizeof buf, fmt, args);
    va_end(args);
    return SendStrMsg(id, to, std::string(buf));
}

bool Div::SendStrMsg(unsigned long id, Div* to, std::string t) {
    Div* receiver = to ? to : parent;
    if (!receiver) return false;
    e_msg m;
    m.id = static_cast<uint32_t>(id);
    m.from = this;
    m.str = std::move(t);
    return receiver->OnMsg(&m);
}

bool Div::Queue(unsigned long id, Div* to, const std::string& t, void* ptr1, unsigned long num1, void* ptr2,
                unsigned long num2) {
    Instance* inst = dGetInstance();
    if (!inst) return false;
    return inst->Queue(this, to, static_cast<DWORD>(id), t, ptr1, static_cast<DWORD>(num1), ptr2,
                       static_cast<DWORD>(num2));
}

}  // namespace koui
