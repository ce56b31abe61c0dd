// QuickMenu and QM_Item: creation at a point, the definition string,
// stacking and viewport keeping, hover, the selection reports and the keys.
#include "koui/widgets/quickmenu.h"

#include <algorithm>
#include <cmath>
#include <glm/vec4.hpp>
#include <sstream>
#include <utility>

#include "koui/host/canvas.h"
#include "koui/res/node.h"

namespace koui {

namespace {
enum : int { VK_RETURN = 13, VK_ESCAPE = 27, VK_UP = 38, VK_DOWN = 40 };
constexpr int kMinHeight = 20;
constexpr int kEdgeGap = 25;

// Lines closed by a line feed, printable ASCII only.
std::vector<std::string> definitionLines(const std::string& def) {
    std::vector<std::string> lines;
    std::string cur;
    for (unsigned char c : def) {
        if (c >= 32 && c <= 127)
            cur += static_cast<char>(c);
        else if (c == '\n' && !cur.empty())
            lines.push_back(std::exchange(cur, {}));
    }
    return lines;
}
}  // namespace

QuickMenu* QuickMenu::wCreate(const std::string& name, Div* parent, float* pos, float width,
                              const std::string& style, const std::string& items) {
    if (!parent) return nullptr;
    Canvas* canvas = parent->dGetCanvas();
    if (!canvas) return nullptr;
    glm::vec2 p = pos ? glm::vec2(pos[0], pos[1]) : parent->getCursorPos();
    glm::vec4 q = parent->clientMat * glm::vec4(p.x, p.y, 0.0f, 1.0f);
    auto* m = new QuickMenu();
    m->Create(name, canvas, static_cast<int>(q.x), static_cast<int>(q.y), static_cast<int>(width), 0, nullptr,
              0, style);
    m->target = parent;
    if (!items.empty()) m->fillFromString(items);
    canvas->dMoveChildToFront(m);
    m->options |= DIV_POPUP;
    if (static_cast<int>(width) > 0) m->dSetCX(static_cast<int>(width), UNIT_PIXEL);
    canvas->modalStack.push_back(m);
    m->focusBefore_ = canvas->focus;
    m->dSetFocus();
    return m;
}

namespace {
bool inTree(Div* d, const Div* wanted) {
    if (d == wanted) return true;
    for (Div* c : d->children)
        if (inTree(c, wanted)) return true;
    return false;
}
}  // namespace

// The element the menu took the focus from gets it back, unless the pick
// (or a press beside the menu) gave it to another element meanwhile, or
// that element is gone (it is no longer found in the canvas's tree).
QuickMenu::~QuickMenu() {
    selectCB = nullptr;
    Canvas* c = dGetCanvas();
    if (c && c->focus == this && focusBefore_ && inTree(c, focusBefore_)) focusBefore_->dSetFocus();
}

QuickMenu* QuickMenu::setSelectCB(std::function<void(std::string)> cb) {
    selectCB = std::move(cb);
    return this;
}

Div* QuickMenu::makeItem(const std::string& itemName, const std::string& styleKey,
                         const std::string& itemText) {
    auto* item = new QM_Item();
    item->Create(itemName, this, 0, 0, 0, 0, nullptr, 0, stylePath + styleKey);
    if (!itemText.empty()) item->setText(itemText);
    return item;
}

void QuickMenu::addItem(const std::string& itemName, const std::string& itemText, std::string icon,
                        std::function<void()> cb) {
    auto* item = static_cast<QM_Item*>(makeItem(itemName, ".item", itemText));
    item->setIcon(std::move(icon));
    if (cb) item->setCB("qm", std::move(cb));
}

void QuickMenu::addSeparator() {
    makeItem("__separator__", ".separator", "");
}

void QuickMenu::addMessage(const std::string& msgText, const std::string&) {
    makeItem("__message__", ".message", msgText);
}

void QuickMenu::fillFromString(const std::string& def) {
    for (const std::string& line : definitionLines(def)) {
        std::vector<std::string> f;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ',');) f.push_back(field);
        f.resize(std::max<size_t>(f.size(), 3));
        if (f[0] == "!separator")
            addSeparator();
        else
            addItem(f[0], f[1], f[2], nullptr);
    }
}

void QuickMenu::close() {
    if (closing_) return;
    closing_ = true;
    Queue(MSG_DELETE, nullptr, "", this, 0, nullptr, 0);
}

bool QuickMenu::OnMsg(e_msg* m) {
    if (m->id != MSG_QM_SELECT || !m->from) return true;
    if (target) {
        std::string itemName = m->from->dGetName();
        if (selectCB) selectCB(itemName);
        SendStrMsg(MSG_QM_SELECT, target, itemName);
    }
    close();
    return true;
}

void QuickMenu::OnIterate(e_iterate* e) {
    float y = 0, minY = 0, maxY = 0;
    bool first = true;
    for (Div* c : children) {
        c->dSetY(y, UNIT_PIXEL);
        y += std::trunc(c->clientSize[1]);
        float top = c->realPos[1], bottom = c->realPos[1] + c->realSize[1];
        minY = first ? top : std::min(minY, top);
        maxY = first ? bottom : std::max(maxY, bottom);
        first = false;
    }
    int h = static_cast<int>(std::trunc(maxY) - std::trunc(minY) + padding[1] + padding[3] + 2 * borderSize);
    dSetCY(std::max(h, kMinHeight), UNIT_PIXEL);
    if (!dGetCanvas()) return;
    int x = static_cast<int>(realPos[0]), top = static_cast<int>(realPos[1]);
    int w = static_cast<int>(clientSize[0]), ch = static_cast<int>(clientSize[1]);
    if (x + w > e->viewport[2]) x = e->viewport[2] - w - kEdgeGap;
    if (top + ch > e->viewport[3]) top = e->viewport[3] - ch - kEdgeGap;
    dSetPos(std::max(x, 0), std::max(top, 0), UNIT_PIXEL);
    glm::vec2 cursor = getCursorPos();
    if (cursor != lastCursor_) keyHover = nullptr;
    lastCursor_ = cursor;
}

void QuickMenu::OnDraw(e_draw*) {
    drawBackground();
    UIArrange();
    dApplyToGL(false);
}

bool QuickMenu::OnMTEvent(e_mtevent* e) {
    return IsEnabled() && e->type == MT_WHEEL;
}

void QuickMenu::moveKeyHover(int dir) {
    int n = static_cast<int>(children.size());
    int at = keyHover ? dGetChildIndex(keyHover) : (dir > 0 ? -1 : n);
    for (int i = 0; i < n; ++i) {
        at = (at + dir + n) % n;
        if (!static_cast<QM_Item*>(children[at])->isReserved()) {
            keyHover = children[at];
            return;
        }
    }
}

bool QuickMenu::OnKeyEvent(e_keyevent* e) {
    if (IsDisabled()) return false;
    switch (e->key) {
        case VK_UP:
            moveKeyHover(-1);
            return true;
        case VK_DOWN:
            moveKeyHover(1);
            return true;
        case VK_RETURN:
            if (keyHover) static_cast<QM_Item*>(keyHover)->pick();
            return true;
        case VK_ESCAPE:
            close();
            return true;
        default:
            return false;
    }
}

QM_Item::~QM_Item() = default;

void QM_Item::pick() {
    callCB("qm");
    if (!parent) return;
    e_msg m;
    m.id = MSG_QM_SELECT;
    m.from = this;
    parent->OnMsg(&m);
}

bool QM_Item::OnMTEvent(e_mtevent* e) {
    if (IsDisabled()) return false;
    if (e->type == MT_LDOWN) {
        pick();
        return false;
    }
    return e->type == MT_WHEEL;
}

void QM_Item::OnDraw(e_draw* e) {
    bool hover = false;
    if (!isReserved()) {
        glm::vec2 c = getCursorPos();
        hover = (c.x >= 0 && c.x < static_cast<int>(clientSize[0]) && c.y >= 0 &&
                 c.y < static_cast<int>(clientSize[1]));
        auto* menu =
            parent && parent->dIsClass("koui::QuickMenu") ? static_cast<QuickMenu*>(parent) : nullptr;
        hover = hover || (menu && menu->keyHover == this);
    }
    if (!hover) return Static::OnDraw(e);
    float bk[4], fg[4];
    std::copy(bkColor, bkColor + 4, bk);
    std::copy(textColor, textColor + 4, fg);
    std::copy(hoverBkColor, hoverBkColor + 4, bkColor);
    std::copy(hoverColor, hoverColor + 4, textColor);
    Static::OnDraw(e);
    std::copy(bk, bk + 4, bkColor);
    std::copy(fg, fg + 4, textColor);
}

void QM_Item::OnUpdateStyle() {
    Static::OnUpdateStyle();
    res::Node* s = GetStyleNode();
    if (!s || !s->getByName("1")) return;
    glm::vec4 bk = s->colorvec4("1.bkcolor"), fg = s->colorvec4("1.color");
    std::copy(&bk[0], &bk[0] + 4, hoverBkColor);
    std::copy(&fg[0], &fg[0] + 4, hoverColor);
}

}  // namespace koui
