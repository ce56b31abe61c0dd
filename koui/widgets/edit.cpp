#include "koui/widgets/edit.h"

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <glm/gtc/type_ptr.hpp>
#include <regex>

#include "koui/family/apptime.h"
#include "koui/family/gl_font.h"
#include "koui/family/kox_rect.h"
#include "koui/family/utf8.h"
#include "koui/host/canvas.h"
#include "koui/platform/clipboard.h"
#include "koui/platform/win32_constants.h"
#include "koui/res/instance.h"
#include "koui/res/node.h"

using ko::gl::koxGL_FillRect;
using ko::util::appGetTime;
using namespace koui::win32;

namespace koui {

double Edit::caretBlinkRefTime = 0;

namespace {

constexpr int kKeyA = 'A', kKeyC = 'C', kKeyV = 'V', kKeyX = 'X';
constexpr double kDoubleClickSeconds = 0.3;
// A blink's frame is asked for this long after its toggle, so that the phase
// read in that frame has surely passed it.
constexpr double kBlinkSlack = 0.001;
// How long a paste waits for the window thread to read the clipboard.
constexpr DWORD kPasteTimeoutMs = 1000;

// The candidate must match one expression as a whole.
bool isPartialNumber(const std::string& s, bool integer) {
    static const std::regex kInt(R"([-+]|(\+|-)?[[:digit:]]+)");
    static const std::regex kFloat(R"([-+]|[-+]?([0-9]*\.[0-9]+|[0-9]+))");
    static const std::regex kFloatOpen(R"([-+]|[-+]?([0-9]*\.))");
    if (integer) return std::regex_match(s, kInt);
    return std::regex_match(s, kFloat) || std::regex_match(s, kFloatOpen);
}

// Clipboard text as one line: up to its first line break, without control characters.
std::string singleLine(const std::string& s) {
    std::string out;
    for (char c : s) {
        const auto b = static_cast<unsigned char>(c);
        if (b == '\n' || b == '\r') break;
        if (b >= 32 && b != 127) out.push_back(c);
    }
    return out;
}

}  // namespace

Edit::Edit() : lastClickTime(appGetTime()) {}

Edit::~Edit() = default;

Edit* Edit::wCreate(const char* name, Div* parent, int x, int y, int w, int h, unsigned int opts,
                    const char* style) {
    auto* e = new Edit();
    e->Create(name ? name : "", parent, x, y, w, h, "", opts, style ? style : "");
    return e;
}

std::string& Edit::setText(const std::string& s) {
    const size_t keep = std::min(s.size(), static_cast<size_t>(std::max(maxLength, 0)));
    text.assign(s, 0, keep < s.size() ? ko::util::floorUtf8(s, keep) : keep);
    caretPos = length();
    clearSelRange();
    return text;
}

std::string Edit::getPreviousText() {
    return previousText;
}

int Edit::getInt() {
    return std::atoi(text.c_str());
}

float Edit::getFloat() {
    return static_cast<float>(std::atof(text.c_str()));
}

// ---------------------------------------------------------------------------
// Positions and selection

int Edit::validateCaretPos(int p) const {
    return static_cast<int>(ko::util::floorUtf8(text, static_cast<size_t>(std::clamp(p, 0, length()))));
}

int Edit::nextPos(int p) const {
    return static_cast<int>(ko::util::nextUtf8(text, static_cast<size_t>(validateCaretPos(p))));
}

int Edit::prevPos(int p) const {
    return static_cast<int>(ko::util::prevUtf8(text, static_cast<size_t>(validateCaretPos(p))));
}

void Edit::selectAll() {
    selStart = 0;
    selEnd = caretPos = length();
    selecting = 0;
}

bool Edit::setSelRangeAll() {
    selStart = 0;
    selEnd = length();
    return true;
}

bool Edit::setSelRange(int a, int b) {
    a = validateCaretPos(a);
    b = validateCaretPos(b);
    if (a > b) return false;
    selStart = a;
    selEnd = b;
    return true;
}

bool Edit::getSelRange(int* out) {
    const bool has = hasSelection();
    out[0] = has ? std::min(selStart, selEnd) : 0;
    out[1] = has ? std::max(selStart, selEnd) : 0;
    return has;
}

void Edit::clearSelRange() {
    selStart = selEnd = 0;
}

bool Edit::eraseContent(int from, int to) {
    if (text.empty() || from > to) return false;
    from = validateCaretPos(from);
    to = to >= length() ? length() : validateCaretPos(to);
    text.erase(static_cast<size_t>(from), static_cast<size_t>(to - from));
    return true;
}

void Edit::eraseSelection() {
    const int lo = std::min(selStart, selEnd);
    eraseContent(lo, std::max(selStart, selEnd));
    caretPos = validateCaretPos(lo);
    clearSelRange();
}

// ---------------------------------------------------------------------------
// Layout

void Edit::OnIterate(e_iterate*) {
    if (dGetCX() < 0 || dGetCY() < 0) return;
    if (pasteWanted_) paste();
    caretPos = validateCaretPos(caretPos);
    layout();
}

void Edit::layout() {
    const bool password = dHasOpt(EDITOPT_PASSWORD);
    if (!styleFont) {
        glyphs.clear();
        laidOutFont_ = nullptr;
        return;
    }
    if (styleFont == laidOutFont_ && password == laidOutPassword_ && text == laidOutText_) return;
    laidOutFont_ = styleFont;
    laidOutPassword_ = password;
    laidOutText_ = text;
    charStarts_.clear();
    for (size_t i = 0; i < text.size(); i = ko::util::nextUtf8(text, i))
        charStarts_.push_back(static_cast<int32_t>(i));
    charStarts_.push_back(length());
    if (password)
        displayText.assign(charStarts_.size() - 1, '*');
    else
        displayText = text;
    const float kNoLimit = 1e10f;
    glyphs.Process(styleFont, kNoLimit, kNoLimit, 0, 0, 1, 1, 0, displayText);
}

// Glyph i begins where character i does; a press at or right of the last
// glyph's left edge gives the end of the text.
int Edit::getCaretByPixPos(int x) const {
    const size_t n = glyphs.size();
    if (n == 0 || charStarts_.size() != n + 1) return -1;
    const float at = static_cast<float>(x - scrollX);
    if (glyphs[0].x >= at) return 0;
    for (size_t i = 0; i + 1 < n; ++i)
        if (glyphs[i].x <= at && at < glyphs[i + 1].x) return charStarts_[i];
    return charStarts_[n];
}

// The x of byte position i: the left edge of the glyph of the character
// that begins there, or the right edge of the last glyph past the end.
float Edit::getExtentPos(int i) const {
    const size_t n = glyphs.size();
    if (n == 0 || i < 0 || charStarts_.size() != n + 1) return 0;
    const auto k = static_cast<size_t>(std::lower_bound(charStarts_.begin(), charStarts_.end(), i) -
                                       charStarts_.begin());
    if (k >= n) return glyphs[n - 1].x + glyphs[n - 1].advance;
    return glyphs[k].x;
}

// ---------------------------------------------------------------------------
// Drawing

void Edit::OnDraw(e_draw*) {
    drawBackground();
    UIArrange();
    const int w = static_cast<int>(clientSize[0]);
    const int h = static_cast<int>(clientSize[1]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glMultMatrixf(glm::value_ptr(clientMat));
    const bool focused = dHasFocus();
    drawBox(w, h, focused);
    if (styleFont) drawContent(w, h, focused);
}

// The style image (its second version while focused), else a box in bkcolor.
void Edit::drawBox(int w, int h, bool focused) {
    static const float kWhite[4] = {1, 1, 1, 1};
    if (styleImage.isValid())
        styleImage.draw(getMVP(), 0, 0, static_cast<float>(w), static_cast<float>(h), kWhite,
                        static_cast<int>(imageFlags), focused ? 1 : 0, static_cast<int>(imageAlignH),
                        static_cast<int>(imageAlignV), imageScale, 0, 0, true);
    else
        koxGL_FillRect(0, 0, w, h, bkColor);
}

void Edit::drawContent(int w, int h, bool focused) {
    const int left = margins[0], top = margins[1];
    const int innerW = w - left - margins[2];
    const int innerH = h - top - margins[3];
    const float textW = getExtentPos(length());
    const int caretX = static_cast<int>(getExtentPos(caretPos));
    // Keep the caret inside the inner box.
    if (textW < static_cast<float>(innerW))
        scrollX = 0;
    else if (scrollX + caretX < 0)
        scrollX = -caretX;
    else if (scrollX + caretX > innerW)
        scrollX = innerW - caretX;

    const int lo = std::min(selStart, selEnd), hi = std::max(selStart, selEnd);
    if (lo != hi && !glyphs.empty() && lo >= 0 && hi <= length()) {
        int x1 = static_cast<int>(getExtentPos(lo)) + scrollX;
        int x2 = static_cast<int>(getExtentPos(hi)) + scrollX;
        if (x2 >= 0 && x1 <= innerW) {
            x1 = std::max(x1, 0);
            x2 = std::min(x2, innerW);
            koxGL_FillRect(left + x1, top + 2, x2 - x1, innerH - 2, selBkColor);
        }
    }

    float colour[4] = {textColor[0], textColor[1], textColor[2], textColor[3]};
    if (IsDisabled()) colour[3] *= 0.2f;
    styleFont->drawDGlyphs(glyphs, getMVP(), colour, static_cast<float>(scrollX + left),
                           static_cast<float>(styleFont->getPixHeight() + top), static_cast<float>(left),
                           static_cast<float>(top), static_cast<float>(innerW), static_cast<float>(innerH));

    if (!focused) return;
    const double phase = std::fmod(appGetTime() - caretBlinkRefTime, 1.0);
    const int ch = caretHeight ? caretHeight : innerH;
    koxGL_FillRect(scrollX + left + caretX, top + innerH - ch, caretWidth, ch, 1, 1, 1,
                   phase <= 0.5 ? 1.0 : 0.2);
    // The caret's next toggle, just past it (the bright half includes 0.5).
    if (Canvas* c = dGetCanvas()) c->requestFrame((phase <= 0.5 ? 0.5 : 1.0) - phase + kBlinkSlack);
}

// ---------------------------------------------------------------------------
// Pointer

bool Edit::OnMTEvent(e_mtevent* e) {
    if (IsDisabled()) return false;
    const double now = appGetTime();
    if (e->type == MT_LDOWN) {
        const bool gotFocus = dSetFocus();
        SendMsg(MSG_CLICK, nullptr, 0, nullptr, 0, nullptr);
        const int p = getCaretByPixPos(static_cast<int>(e->pos[0]));
        if (p >= 0) {
            caretPos = selStart = selEnd = p;
            selecting = 1;
        }
        if ((gotFocus && dHasOpt(EDITOPT_SELALL)) || now - lastClickTime < kDoubleClickSeconds) selectAll();
        lastClickTime = caretBlinkRefTime = now;
        return true;
    }
    if (e->type == MT_MOVE && selecting) {
        const int p = getCaretByPixPos(static_cast<int>(e->pos[0]));
        if (p >= 0) caretPos = selEnd = p;
        caretBlinkRefTime = now;
    } else if (e->type == MT_LUP) {
        selecting = 0;
    }
    return false;
}

// ---------------------------------------------------------------------------
// Focus

bool Edit::OnSetFocus(Div*) {
    previousText = text;
    if (dHasOpt(EDITOPT_SELALL)) setSelRangeAll();
    return true;
}

bool Edit::OnKillFocus(Div*) {
    clearSelRange();
    return true;
}

// ---------------------------------------------------------------------------
// Keys

bool Edit::OnKeyEvent(e_keyevent* e) {
    if (!dHasFocus()) return false;
    caretBlinkRefTime = appGetTime();
    handleKey(e->key, e->mods);
    caretPos = validateCaretPos(caretPos);
    return true;
}

void Edit::handleKey(int key, int mods) {
    const bool shift = mods & MOD_SHIFT, ctrl = mods & MOD_CTRL;
    if (shift && shiftKey(key)) return;
    if (ctrl && key == kKeyA) {
        setSelRangeAll();
    } else if (ctrl && (key == kKeyC || key == kKeyX || key == kKeyV)) {
        clipboardKey(key);
    } else if (hasSelection()) {
        keyWithSelection(key);
    } else {
        keyWithoutSelection(key, shift);
    }
}

// Shift with an arrow, Home or End extends the selection; false when the
// key is not one of those, or the caret cannot go further that way.
bool Edit::shiftKey(int key) {
    const int old = caretPos;
    if (key == VK_LEFT && caretPos > 0) {
        if (!hasSelection()) selStart = caretPos;
        selEnd = caretPos = prevPos(caretPos);
    } else if (key == VK_RIGHT && caretPos < length()) {
        if (!hasSelection()) selStart = caretPos;
        selEnd = caretPos = nextPos(caretPos);
    } else if (key == VK_HOME) {
        selStart = 0;
        selEnd = old;
        caretPos = 0;
    } else if (key == VK_END) {
        selStart = old;
        selEnd = caretPos = length();
    } else {
        return false;
    }
    return true;
}

void Edit::clipboardKey(int key) {
    if (key == kKeyV) {
        pasteWanted_ = true;
        return;
    }
    if (!hasSelection() || dHasOpt(EDITOPT_PASSWORD)) return;
    const int lo = std::min(selStart, selEnd), hi = std::max(selStart, selEnd);
    SetClipboardText(text.substr(static_cast<size_t>(lo), static_cast<size_t>(hi - lo)).c_str());
    if (key == kKeyX) eraseSelection();
}

void Edit::keyWithSelection(int key) {
    if (key == VK_BACK || key == VK_DELETE) {
        eraseSelection();
    } else if (key == VK_LEFT || key == VK_RIGHT || key == VK_HOME || key == VK_END) {
        clearSelRange();
        if (key == VK_LEFT) caretPos = prevPos(caretPos);
        if (key == VK_RIGHT) caretPos = nextPos(caretPos);
        if (key == VK_HOME) caretPos = 0;
        if (key == VK_END) caretPos = length();
    }
}

void Edit::keyWithoutSelection(int key, bool shift) {
    switch (key) {
        case VK_BACK:
            if (caretPos >= 1 && !text.empty()) {
                const int p = prevPos(caretPos);
                eraseContent(p, caretPos);
                caretPos = p;
            }
            break;
        case VK_DELETE:
            if (caretPos < length()) eraseContent(caretPos, nextPos(caretPos));
            break;
        case VK_LEFT:
            caretPos = prevPos(caretPos);
            break;
        case VK_RIGHT:
            caretPos = nextPos(caretPos);
            break;
        case VK_HOME:
            caretPos = 0;
            break;
        case VK_END:
            caretPos = length();
            break;
        case VK_TAB: {
            SendMsg(EDITMSG_TAB, nullptr, 0, nullptr, 0, nullptr);
            const std::string& name = shift ? prevNode : nextNode;
            Div* next = parent && !name.empty() ? parent->dGetChildByName(name) : nullptr;
            if (next) next->dSetFocus();
            break;
        }
        case VK_RETURN:
            SendMsg(EDITMSG_RETURN, nullptr, 0, nullptr, 0, nullptr);
            break;
        case VK_ESCAPE:
            SendMsg(EDITMSG_ESCAPE, nullptr, 0, nullptr, 0, nullptr);
            break;
        default:
            break;
    }
    SendMsg(EDITMSG_KEY, nullptr, static_cast<unsigned long>(key), nullptr, 0, nullptr);
}

// ---------------------------------------------------------------------------
// Characters and the clipboard's text

bool Edit::OnCharEvent(e_charevent* e) {
    if (!dHasFocus()) return false;
    if (e->ch < 32 || (e->mods & (MOD_CTRL | MOD_ALT))) return true;
    caretBlinkRefTime = appGetTime();
    if (hasSelection()) eraseSelection();
    const auto code = static_cast<uint32_t>(e->ch);
    if ((code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) return true;
    std::string bytes;
    ko::util::appendUtf8(bytes, code);
    insertAtCaret(bytes);
    return true;
}

bool Edit::validateInputToString(const std::string& insert) const {
    const bool integer = options & EDITOPT_INT;
    if (!integer && !(options & EDITOPT_FLOAT)) return true;
    std::string candidate = text;
    candidate.insert(static_cast<size_t>(caretPos), insert);
    return isPartialNumber(candidate, integer);
}

// Inserts at the caret, which moves past the insertion, if the text then
// passes validation (and stays within maxLength).
bool Edit::insertAtCaret(const std::string& insert) {
    caretPos = validateCaretPos(caretPos);
    if (insert.empty() || !validateInputToString(insert)) return false;
    if (text.size() + insert.size() > static_cast<size_t>(std::max(maxLength, 0))) return false;
    text.insert(static_cast<size_t>(caretPos), insert);
    caretPos += static_cast<int>(insert.size());
    return true;
}

void Edit::paste() {
    pasteWanted_ = false;
    std::string clip;
    if (!GetClipboardText(clip, kPasteTimeoutMs)) return;
    if (hasSelection()) eraseSelection();
    insertAtCaret(singleLine(clip));
}

// ---------------------------------------------------------------------------
// Style

void Edit::OnUpdateStyle() {
    Div::OnUpdateStyle();
    if (!resInst()) return;
    res::Node* style = GetStyleNode();
    if (!style) return;
    if (style->getByName("edit-margins")) {
        const ko::util::StrPar list = style->splitNodeValue("edit-margins", ',');
        for (int i = 0; i < 4; ++i) {
            const std::string* item = list.at(i);
            margins[i] = item ? std::atoi(item->c_str()) : 0;
        }
    }
    if (style->getByName("edit-sel-bkcolor"))
        std::copy_n(color(stylePath + ".edit-sel-bkcolor"), 4, selBkColor);
    caretWidth = value1i(stylePath + ".edit-caret-width", 2);
    caretHeight = value1i(stylePath + ".edit-caret-height", 0);
}

}  // namespace koui
