// koui::QuickMenu: a pop-up menu opened at a point, and koui::QM_Item, one
// of its lines.
//
// wCreate puts the menu on the opener's canvas (not under the opener, so
// that it is drawn over everything and never clipped by the opener), in the
// front and on the canvas's modal list as a pop-up: a press outside closes
// it through the canvas's pop-up rule. Every cycle the menu stacks its items
// without gaps, takes their height (at least 20 pixels) and keeps itself in
// the viewport: a menu that would cross the right or bottom edge is pulled
// back 25 pixels inside it, and one that would start left of or above the
// viewport starts at its edge (a menu larger than the viewport keeps its
// top left corner visible).
//
// A selection is reported three ways, in this order: the item's own
// callback "qm", the menu's `selectCB` with the item's name, message 20 with
// that name to the opener (`target`); then the menu queues its own deletion
// and is gone at the next cycle. Without a target only the item's callback
// runs. The reserved names "__separator__" and "__message__" are items too
// (a press on one closes the menu and reports that name) but never show a
// hover colour and are skipped by the keys.
//
// Keys. The menu takes the focus when it opens and, when it goes, hands it
// back to the element that had it, unless the pick moved it elsewhere. Up and Down move a keyboard
// hover over the selectable items (wrapping around), Enter picks it as a
// press would, Escape closes the menu without a selection. Escape would
// close the window before any element sees it; the window lets it through
// while its canvas has a pop-up open (koui/app/window.h). The keyboard
// hover is dropped as soon as the pointer moves.
//
// Definition strings (fillFromString): one entry a line, "name,text,icon"
// or "!separator"; only printable ASCII bytes are kept, and a line counts
// only when a line feed ends it.
#pragma once
#include <functional>
#include <string>

#include "koui/export.h"
#include "koui/widgets/static.h"

namespace koui {

enum : uint32_t { MSG_QM_SELECT = 20 };

class KOUI_API QuickMenu : public Div {
public:
    static QuickMenu* wCreate(const std::string& name, Div* parent, float* pos, float width,
                              const std::string& style, const std::string& items);
    ~QuickMenu() override;
    const char* dGetClass() override { return "koui::QuickMenu"; }
    bool OnMsg(e_msg* m) override;
    void OnIterate(e_iterate* e) override;
    void OnDraw(e_draw* e) override;
    bool OnMTEvent(e_mtevent* e) override;
    bool OnKeyEvent(e_keyevent* e) override;
    void OnUpdateStyle() override { Div::OnUpdateStyle(); }

    QuickMenu* setSelectCB(std::function<void(std::string)> cb);
    void addItem(const std::string& name, const std::string& text, std::string icon,
                 std::function<void()> cb);
    void addSeparator();
    // `second` is accepted and not used.
    void addMessage(const std::string& text, const std::string& second);
    void fillFromString(const std::string& def);
    // Closes the menu at the next cycle without a selection.
    void close();

    Div* target = nullptr;  // not owned; must outlive the menu
    std::function<void(std::string)> selectCB;
    Div* keyHover = nullptr;  // the item chosen with Up / Down, if any

private:
    Div* makeItem(const std::string& name, const std::string& styleKey, const std::string& text);
    void moveKeyHover(int dir);
    bool closing_ = false;
    Div* focusBefore_ = nullptr;  // not owned; looked for in the tree before use
    glm::vec2 lastCursor_{-1e9f, -1e9f};
};

class KOUI_API QM_Item : public Static {
public:
    ~QM_Item() override;
    const char* dGetClass() override { return "koui::QM_Item"; }
    bool OnMsg(e_msg*) override { return true; }
    void OnDraw(e_draw* e) override;
    bool OnMTEvent(e_mtevent* e) override;
    void OnUpdateStyle() override;

    // Separators and message lines.
    bool isReserved() const { return name == "__separator__" || name == "__message__"; }
    // What a press does: the "qm" callback, then the menu's report.
    void pick();

    float hoverBkColor[4] = {0, 0, 0, 0};
    float hoverColor[4] = {0, 0, 0, 0};
};

}  // namespace koui
