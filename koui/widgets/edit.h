// koui::Edit: the single-line text field.
//
// The text is the element's own (Div::text), UTF-8. The field draws a box,
// the selection, the text laid out with the element's font and a blinking
// caret; a press places the caret, a drag selects, a double press selects
// everything; keys move the caret and the selection, delete, and move the
// focus on Tab; typed characters are inserted, optionally only where they
// keep the text a (partial) integer or decimal number. The parent hears of
// presses and keys through messages (sent, not queued, with the key code as
// the first number of EDITMSG_KEY):
//   1000 (MSG_CLICK)   a press on the enabled field
//   EDITMSG_RETURN     Enter, without a selection
//   EDITMSG_ESCAPE     Escape, without a selection
//   EDITMSG_TAB        Tab, without a selection, before the focus moves
//   EDITMSG_KEY        after every key handled without a selection (also
//                      after the three above); keys handled with a
//                      selection, Ctrl+A and the clipboard keys send nothing.
//
// Positions (caret, selection ends) are byte offsets into the text, as
// eraseContent and getSelRange give them to the application, but they only
// ever sit where a character begins: Left, Right, Backspace, Delete, a
// press and a drag step over whole characters, UTF-8 sequences of two to
// four bytes and ill-formed sequences alike (koui/family/utf8.h cuts text
// for the field and for glyph layout alike). A position the application
// sets inside a character (setSelRange, eraseContent) moves back to that
// character's start. For ASCII text every position is a character's, and
// the field behaves byte for byte as the single-byte field it once was.
//
// Typed characters. A character event carries a Unicode code point; it is
// inserted as its UTF-8 bytes (code points that are no characters,
// surrogates and values beyond U+10FFFF, are refused). Number validation
// admits only its ASCII set, so no other character passes it. Codes below
// 32 and characters typed with Ctrl or Alt are consumed and do nothing.
//
// Password mode shows one '*' per character, not per byte, so that each
// star is one caret step.
//
// Clipboard keys (beyond what the field first had): Ctrl+C copies the
// selection, Ctrl+X copies and erases it, Ctrl+V replaces the selection by
// the clipboard's text at the caret. They are handled like Ctrl+A: consumed,
// no message. The pasted text ends at its first line break and loses its
// other control characters; with a number option it goes in only when the
// whole resulting text passes validation (the selection is gone either way,
// as with a refused typed character). In password mode nothing is copied
// out. Keys run under the window's message lock, where waiting for the
// window thread (which serves the clipboard) could deadlock: a copy is
// handed over without waiting, and a paste is done by the next OnIterate,
// where the field may wait.
//
// Readings of the original design:
//  - It gave the field a virtual setText(std::string) by value beside Div's
//    virtual setText(const std::string&): every call with a string would be
//    ambiguous, or Div's would be hidden. The field overrides Div's setText
//    instead (returning the text), so that a text set through a Div pointer,
//    and Div::setFormatText (which calls it), also put the caret at the end
//    and clear the selection. The "text" style key still sets the text
//    without moving the caret, as for every element, and at every re-read
//    of the style: a theme reload puts the style's text back over what was
//    typed or set since, so fields whose text matters take it from the
//    program, not from a "text" key.
//  - Layout ran every cycle. It runs when the text, the font or the
//    password option changed since the last one, and reuses its buffers, so
//    a field at rest neither lays out nor allocates.
//  - Tab with an empty next- or previous-node name looks nothing up: an
//    empty name would find any unnamed sibling.
//  - A drag over a field without glyphs leaves the caret and the selection
//    as they are, as a press does (no position -1).
//  - The validation expressions are compiled once, not per character.
//
// Threads: everything runs on the window's GL thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "koui/export.h"
#include "koui/family/glyph_vector.h"
#include "koui/ui/div.h"

namespace koui {

// Option bits (the Div option word; DIV_DISABLED is bit 0x1).
enum : uint32_t {
    EDITOPT_INT = 0x10000,       // typed characters keep the text a (partial) integer
    EDITOPT_FLOAT = 0x20000,     // a (partial) decimal number; ignored with EDITOPT_INT
    EDITOPT_PASSWORD = 0x40000,  // shown as one '*' per character
    EDITOPT_SELALL = 0x80000,    // gaining the focus selects the whole text
};

// Messages to the parent.
enum : uint32_t {
    EDITMSG_RETURN = 2000,
    EDITMSG_ESCAPE = 2001,
    EDITMSG_TAB = 2002,
    EDITMSG_KEY = 2003,
};

class KOUI_API Edit : public Div {
public:
    Edit();
    ~Edit() override;

    static Edit* wCreate(const char* name, Div* parent, int x, int y, int w, int h, unsigned int opts,
                         const char* style);

    const char* dGetClass() override { return "koui::Edit"; }
    // The first maxLength bytes of `s` (cut back to a character's start);
    // caret at the end, no selection; no validation.
    std::string& setText(const std::string& s) override;
    void OnIterate(e_iterate* e) override;
    void OnDraw(e_draw* e) override;
    bool OnMTEvent(e_mtevent* e) override;
    bool OnKeyEvent(e_keyevent* e) override;
    bool OnCharEvent(e_charevent* e) override;
    bool OnSetFocus(Div* losing) override;
    bool OnKillFocus(Div* gaining) override;
    // Div's keys, then "edit-margins" (left, top, right, bottom), and
    // "edit-sel-bkcolor", each kept when absent; "edit-caret-width" and
    // "edit-caret-height" fall back to 2 and 0 when absent.
    void OnUpdateStyle() override;

    // The text as it was when the field last gained the focus.
    virtual std::string getPreviousText();

    int getInt();
    float getFloat();
    bool setSelRangeAll();
    // Both ends clamped to the text; false, changing nothing, when a > b.
    bool setSelRange(int a, int b);
    // out[0], out[1] = the lower and the upper end; 0, 0 and false without a selection.
    bool getSelRange(int* out);
    void clearSelRange();
    // Erases bytes [from, to) (clamped); false for an empty text or from > to.
    // The caret stays where it is.
    bool eraseContent(int from, int to);

    // Fields, in declaration order after Div's.
    std::string previousText;
    std::string displayText;  // what is laid out: the text, or the stars
    ko::gl::FontGlyphVector glyphs;
    int32_t caretPos = 0;
    int32_t scrollX = 0;  // 0 or negative
    int32_t maxLength = 2147483647;
    int32_t selecting = 0;              // 1 during a drag
    int32_t selStart = 0;               // anchor
    int32_t selEnd = 0;                 // equal to selStart: no selection
    int32_t margins[4] = {0, 0, 0, 0};  // left, top, right, bottom
    int32_t caretWidth = 2;
    int32_t caretHeight = 0;  // 0: the inner height
    float selBkColor[4] = {0, 0, 1, 1};
    double lastClickTime = 0;  // appGetTime() of the last press
    // Shared by every field (only the focused one shows a caret): input
    // sets it to now, so the caret shows at once after it.
    static double caretBlinkRefTime;

private:
    int length() const { return static_cast<int>(text.size()); }
    bool hasSelection() const { return selStart != selEnd; }
    int validateCaretPos(int p) const;
    int nextPos(int p) const;
    int prevPos(int p) const;
    void selectAll();
    bool validateInputToString(const std::string& insert) const;
    bool insertAtCaret(const std::string& insert);
    void eraseSelection();
    int getCaretByPixPos(int x) const;
    float getExtentPos(int i) const;
    void layout();
    void drawBox(int w, int h, bool focused);
    void drawContent(int w, int h, bool focused);
    void handleKey(int key, int mods);
    bool shiftKey(int key);
    void clipboardKey(int key);
    void keyWithSelection(int key);
    void keyWithoutSelection(int key, bool shift);
    void paste();

    // Where each character of the text begins, and the text's end: glyph i
    // shows the character at charStarts_[i]. Kept with the layout.
    std::vector<int32_t> charStarts_;
    std::string laidOutText_;
    const ko::gl::Font* laidOutFont_ = nullptr;
    bool laidOutPassword_ = false;
    bool pasteWanted_ = false;
};

}  // namespace koui
