// The edit field, driven through the canvas as a user drives it. Keys and
// typed characters need no font: caret steps and erasing over UTF-8
// characters, selection with Shift, number validation, focus moves on Tab,
// the messages the parent hears. On real GL: presses and drags over a
// laid-out UTF-8 text, the pixels of the selection, the caret and its
// blink, scrolling, password stars, the style keys, and the clipboard keys
// (the window system's clipboard, as the test thread's).
#include "koui/widgets/edit.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "koui/family/apptime.h"
#include "koui/platform/clipboard.h"
#include "koui/platform/win32_constants.h"
#include "tests/ui/draw_fixture.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using namespace koui::win32;
using test::Rgba;
using Msgs = std::vector<std::pair<uint32_t, uint32_t>>;  // id, num1

// A key (K) or a typed character (C).
struct Input {
    bool isChar;
    int code, mods;
};
constexpr auto K = [](int vk, int mods = 0) { return Input{false, vk, mods}; };
constexpr auto C = [](int ch, int mods = 0) { return Input{true, ch, mods}; };

class EditKeys : public ::testing::Test {
protected:
    void SetUp() override {
        canvas.reset(test::makeCanvas(256, 256));
        form = test::make(canvas.get(), 0, 0, 256, 256);
        edit = Edit::wCreate("one", form, 10, 10, 200, 30, 0, nullptr);
        edit->setNextNode("two");
        edit->dSetFocus();
    }
    void run(const std::vector<Input>& inputs) {
        for (const Input& in : inputs)
            in.isChar ? canvas->ProcessCharEvent(in.code, 0, in.mods)
                      : canvas->ProcessKeyEvent(in.code, 0, in.mods);
    }
    Msgs msgs() const {
        Msgs out;
        for (const e_msg& m : form->msgs) out.emplace_back(m.id, m.num1);
        return out;
    }

    std::unique_ptr<Canvas> canvas;
    test::Probe* form = nullptr;
    Edit* edit = nullptr;
};

// "aé€😀b": characters of 1, 2, 3, 4 and 1 bytes. Positions are caret,
// selection anchor and end. Keys handled without a selection send
// EDITMSG_KEY each (`keyMsgs`); with one, or with Shift, Ctrl+A, and
// characters send nothing.
TEST_F(EditKeys, KeysAndCharactersStepOverWholeCharacters) {
    const std::string mixed = "aé€😀b";
    const int S = MOD_SHIFT, X = MOD_CTRL;
    using At = std::array<int, 3>;
    const struct {
        std::string text;
        At at;
        uint32_t opts;
        std::vector<Input> inputs;
        std::string wantText;
        At wantAt;
        bool keyMsgs;
    } cases[] = {
        {"", {0, 0, 0}, 0, {C('a'), C(0xE9), C(0x20AC), C(0x1F600)}, "aé€😀", {10, 0, 0}, false},
        {mixed, {11, 0, 0}, 0, {K(VK_LEFT), K(VK_LEFT), K(VK_BACK)}, "aé😀b", {3, 0, 0}, true},
        {mixed, {0, 0, 0}, 0, {K(VK_RIGHT), K(VK_DELETE)}, "a€😀b", {1, 0, 0}, true},
        {mixed, {10, 0, 0}, 0, {K(VK_LEFT, S), K(VK_LEFT, S)}, mixed, {3, 10, 3}, false},
        // An ill-formed sequence (a cut-off €) is one character.
        {"a\xE2\x82z", {4, 0, 0}, 0, {K(VK_LEFT), K(VK_LEFT), K(VK_DELETE)}, "az", {1, 0, 0}, true},
        {"abcd", {2, 0, 0}, 0, {K(VK_RIGHT, S)}, "abcd", {3, 2, 3}, false},
        {"abcd", {2, 0, 0}, 0, {K(VK_HOME, S)}, "abcd", {0, 0, 2}, false},
        {"abcd", {1, 0, 0}, 0, {K(VK_END, S)}, "abcd", {4, 1, 4}, false},
        {"abcd", {0, 0, 0}, 0, {K(VK_LEFT, S)}, "abcd", {0, 0, 0}, true},  // a plain Left at 0
        {"abc", {1, 0, 0}, 0, {K('A', X), K(VK_BACK)}, "", {0, 0, 0}, false},
        // With a selection: Left clears it and steps from the caret; Enter does nothing.
        {"abcd", {3, 1, 3}, 0, {K(VK_LEFT)}, "abcd", {2, 0, 0}, false},
        {"abcd", {3, 1, 3}, 0, {K(VK_RETURN), C('z', X), C(8)}, "abcd", {3, 1, 3}, false},
        {"ab", {2, 0, 0}, 0, {K(VK_HOME), K(VK_END)}, "ab", {2, 0, 0}, true},
        // Validation: a sign first, then digits; nothing else, ASCII or not.
        {"", {0, 0, 0}, EDITOPT_INT, {C('-'), C('5'), C('-'), C(0xE9), C('x')}, "-5", {2, 0, 0}, false},
        {"5", {0, 0, 0}, EDITOPT_INT, {C('+')}, "+5", {1, 0, 0}, false},
        {"", {0, 0, 0}, EDITOPT_FLOAT, {C('-'), C('.'), C('5'), C('.'), C('e')}, "-.5", {3, 0, 0}, false},
        {"", {0, 0, 0}, EDITOPT_FLOAT, {C('1'), C('.'), C('2')}, "1.2", {3, 0, 0}, false},
        {"1", {0, 0, 0}, EDITOPT_FLOAT | EDITOPT_INT, {C('.')}, "1", {0, 0, 0}, false},
        // A refused character typed over a selection still removes it.
        {"123", {3, 0, 3}, EDITOPT_INT, {C('x')}, "", {0, 0, 0}, false},
        // No character for a surrogate or beyond U+10FFFF.
        {"", {0, 0, 0}, 0, {C(0xD800), C(0x110000)}, "", {0, 0, 0}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text + " -> " + c.wantText);
        edit->setText(c.text);
        edit->options = c.opts;
        edit->caretPos = c.at[0], edit->selStart = c.at[1], edit->selEnd = c.at[2];
        form->msgs.clear();
        run(c.inputs);
        Msgs want;
        for (const Input& in : c.inputs)
            if (c.keyMsgs && !in.isChar) want.emplace_back(EDITMSG_KEY, in.code);
        EXPECT_EQ(std::tuple(edit->getText(), At{edit->caretPos, edit->selStart, edit->selEnd}, msgs()),
                  std::tuple(c.wantText, c.wantAt, want));
    }
}

// Enter, Escape and Tab send their messages before EDITMSG_KEY; Tab then
// gives the focus to the sibling that the next (Shift: previous) node name
// names; without one, the focus stays.
TEST_F(EditKeys, EnterEscapeAndTab) {
    run({K(VK_RETURN), K(VK_ESCAPE)});
    EXPECT_EQ(
        msgs(),
        (Msgs{{EDITMSG_RETURN, 0}, {EDITMSG_KEY, VK_RETURN}, {EDITMSG_ESCAPE, 0}, {EDITMSG_KEY, VK_ESCAPE}}));
    form->msgs.clear();
    Edit* two = Edit::wCreate("two", form, 10, 50, 200, 30, EDITOPT_SELALL, nullptr);
    two->setPrevNode("one");
    two->setText("xyz");
    test::make(form, 0, 0, 5, 5);  // unnamed: an empty node name must not find it
    run({K(VK_TAB)});
    EXPECT_EQ(std::tuple(canvas->focus, msgs(), two->selStart, two->selEnd),
              std::tuple(static_cast<Div*>(two), Msgs{{EDITMSG_TAB, 0}, {EDITMSG_KEY, VK_TAB}}, 0, 3));
    run({K(VK_END), K(VK_TAB)});  // End first: Tab does nothing with a selection; no name: stays
    EXPECT_EQ(canvas->focus, two);
    run({K(VK_TAB, MOD_SHIFT)});
    EXPECT_EQ(canvas->focus, edit);
}

// setText (also through Div::setFormatText) keeps the whole text, puts the
// caret at its end and clears the selection; positions the application
// gives inside a character move back to its start.
TEST_F(EditKeys, TextAndRangesFromTheApplication) {
    edit->selStart = 1, edit->selEnd = 2;
    edit->setText(std::string(5000, 'x') + "é");
    EXPECT_EQ(std::tuple(edit->caretPos, edit->selStart, edit->selEnd), std::tuple(5002, 0, 0));
    EXPECT_TRUE(edit->setSelRange(-5, 5001) && !edit->setSelRange(9, 1) && edit->eraseContent(5001, 9999));
    EXPECT_EQ(std::tuple(edit->selStart, edit->selEnd, edit->getText()),
              std::tuple(0, 5000, std::string(5000, 'x')));
    edit->setFormatText("%d", 12);
    EXPECT_EQ(edit->caretPos, 2);
}

const Rgba kBlack{0, 0, 0}, kWhite{255, 255, 255}, kRed{255, 0, 0};

// "field" has margins 4, 3, 4, 3, a red selection and a 3 x 10 caret;
// "plain" none of the edit keys.
const char* const kTheme = R"(
colors { black: #000000 green: #00ff00 red: #ff0000 }
fonts { text { font src: "Fonts/test.ttf" size: 20 } }
field {
  font-type: fonts.text color: colors.green bkcolor: colors.black
  edit-margins: 4,3,4,3 edit-sel-bkcolor: colors.red edit-caret-width: 3 edit-caret-height: 10
}
plain { font-type: fonts.text color: colors.green bkcolor: colors.black }
)";

// The field sits at (10, 10), 200 x 30: its inner box is x 14 .. 205, y 13 .. 36.
constexpr int kLeft = 14, kTop = 13, kInnerW = 192, kInnerH = 24;

class EditGl : public test::DrawTest {
protected:
    EditGl() { theme = kTheme; }
    void SetUp() override {
        DrawTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        edit = Edit::wCreate("edit", canvas, 10, 10, 200, 30, 0, "field");
    }
    void press(float x, uint32_t type = MT_LDOWN) { canvas->ProcessMTEvent(type, x, 20, 0, 0); }
    void click(float x) {
        edit->lastClickTime = -1;  // long ago: no double click
        press(x);
        press(x, MT_LUP);
    }
    // Canvas x of the left edge of glyph i.
    float glyphX(size_t i) const { return 10 + edit->glyphs[i].x; }

    Edit* edit = nullptr;
};

// "aé€Жb" begins its characters at bytes 0, 1, 3, 6, 8 and ends at 9. A
// press inside a glyph puts the caret before it, one at or right of the
// last glyph's left edge at the end; a drag selects; a second press within
// 0.3 s selects everything.
TEST_F(EditGl, PressesAndDragsPlaceTheCaretOnCharacters) {
    edit->setText("aé€Жb");
    frame();
    ASSERT_EQ(edit->glyphs.size(), 5u);
    const int starts[] = {0, 1, 3, 6, 9};
    for (size_t i = 0; i < 5; ++i) {
        click(glyphX(i) + edit->glyphs[i].advance / 2);
        EXPECT_EQ(std::tuple(edit->caretPos, edit->selStart, edit->selEnd),
                  std::tuple(starts[i], starts[i], starts[i]))
            << i;
    }
    EXPECT_EQ(canvas->focus, edit);
    edit->lastClickTime = -1;
    press(glyphX(1) + 1);
    press(glyphX(3) + 1, MT_MOVE);
    press(glyphX(3) + 1, MT_LUP);
    press(glyphX(4) + 1, MT_MOVE);  // released: no longer selecting
    EXPECT_EQ(std::tuple(edit->caretPos, edit->selStart, edit->selEnd), std::tuple(6, 1, 6));
    press(glyphX(0) + 1);  // a double press
    EXPECT_EQ(std::tuple(edit->caretPos, edit->selStart, edit->selEnd), std::tuple(9, 0, 9));
}

// Without glyphs a press takes the focus and reports the click but leaves
// the caret at 0; a disabled field declines presses.
TEST_F(EditGl, PressOnAnEmptyOrDisabledField) {
    test::Probe* form = test::make(canvas, 0, 100, 256, 100);
    Edit* empty = Edit::wCreate("", form, 0, 0, 200, 30, EDITOPT_SELALL, "field");
    Edit::wCreate("", form, 0, 50, 200, 30, DIV_DISABLED, "field");
    frame();
    EXPECT_TRUE(canvas->ProcessMTEvent(MT_LDOWN, 50, 110, 0, 0) &&
                !canvas->ProcessMTEvent(MT_LDOWN, 50, 160, 0, 0));
    EXPECT_EQ(std::tuple(canvas->focus, empty->caretPos, form->msgs.size(), form->msgs.at(0).id),
              std::tuple(static_cast<Div*>(empty), 0, 1u, uint32_t{MSG_CLICK}));
}

// Focused with "ab", "a" selected and the caret after it: the selection is
// red from the inner box's left to the caret, below the text; the 3 x 10
// caret is white at the bottom of the inner box, and one fifth as bright in
// the second half of each blink second.
TEST_F(EditGl, SelectionAndBlinkingCaret) {
    edit->setText("ab");
    edit->dSetFocus();
    edit->setSelRange(0, 1);
    edit->caretPos = 1;
    frame();  // builds the programs, which can take over half a second on a loaded machine
    Edit::caretBlinkRefTime = ko::util::appGetTime();
    frame();
    const int caretX = kLeft + static_cast<int>(edit->glyphs[1].x);
    EXPECT_TRUE(regionIs(kLeft, kTop + kInnerH - 2, caretX - kLeft, 2, kRed));
    EXPECT_TRUE(regionIs(caretX, kTop + kInnerH - 10, 3, 10, kWhite));
    EXPECT_TRUE(regionIs(caretX + 3, kTop + kInnerH - 2, 20, 2, kBlack));
    Edit::caretBlinkRefTime = ko::util::appGetTime() - 0.7;
    frame();
    EXPECT_TRUE(regionIs(caretX, kTop + kInnerH - 2, 3, 2, Rgba{51, 51, 51}, 1));
    edit->dKillFocus();
    frame();
    EXPECT_TRUE(regionIs(caretX, kTop + kInnerH - 2, 3, 2, kBlack)) << "no caret without the focus";
    // A style without the edit keys keeps margins and selection colour, and
    // puts the caret back to 2 x the inner height.
    edit->uiSetStyle("plain");
    EXPECT_EQ(std::tuple(edit->margins[3], edit->selBkColor[0], edit->caretWidth, edit->caretHeight),
              std::tuple(3, 1.0f, 2, 0));
}

// A text wider than the inner box scrolls so that the caret stays inside,
// and nothing is drawn in the margins; at the start it scrolls back.
// Disabled text is drawn at a fifth of its alpha.
TEST_F(EditGl, ScrollingKeepsTheCaretInside) {
    edit->setText(std::string(40, 'm'));
    edit->dSetFocus();
    frame();  // builds the programs (see above)
    Edit::caretBlinkRefTime = ko::util::appGetTime();
    frame();
    const int textW = static_cast<int>(edit->glyphs[39].x + edit->glyphs[39].advance);
    EXPECT_EQ(edit->scrollX, kInnerW - textW);
    EXPECT_TRUE(regionIs(kLeft + kInnerW, kTop + kInnerH - 10, 3, 10, kWhite));
    EXPECT_TRUE(regionIs(10, 10, 4, 30, kBlack) && regionIs(kLeft + kInnerW + 3, 10, 3, 30, kBlack));
    canvas->ProcessKeyEvent(VK_HOME, 0, 0);
    edit->dKillFocus();
    edit->dDisable();
    frame();
    EXPECT_EQ(edit->scrollX, 0);
    EXPECT_EQ(countDifferent(kLeft, kTop, kInnerW, kInnerH, kBlack, 52), 0);
}

// Password mode shows one star per character, drawn like a text of stars.
TEST_F(EditGl, PasswordShowsOneStarPerCharacter) {
    edit->setText("aé€");
    frame();  // laid out as text first: the option must lay it out again
    edit->dSetOpt(EDITOPT_PASSWORD);
    Edit::wCreate("", canvas, 10, 60, 200, 30, 0, "field")->setText("***");
    frame();
    EXPECT_EQ(std::tuple(edit->displayText, edit->getText()),
              std::tuple(std::string("***"), std::string("aé€")));
    EXPECT_EQ(readFrame(10, 10, 200, 30).rgba, readFrame(10, 60, 200, 30).rgba);
}

// Ctrl+X cuts the selection to the clipboard, Ctrl+V pastes at the caret
// (in the next iterate): one line of it, and with a number option only
// when the whole text stays a number. A password is never copied out.
TEST_F(EditGl, ClipboardKeys) {
    edit->setText("Grüße");
    edit->dSetFocus();
    edit->setSelRange(2, 6);
    const auto key = [&](int k) { canvas->ProcessKeyEvent(k, 0, MOD_CTRL); };
    key('X');
    EXPECT_EQ(std::tuple(edit->getText(), edit->caretPos), std::tuple(std::string("Gre"), 2));
    canvas->ProcessKeyEvent(VK_END, 0, 0);
    key('V');
    frame();
    EXPECT_EQ(std::tuple(edit->getText(), edit->caretPos), std::tuple(std::string("Greüß"), 7));

    edit->setText("");
    edit->options = EDITOPT_INT;
    for (const char* clip : {"12\r\n34", "1a"}) {
        ASSERT_TRUE(SetClipboardText(clip));
        key('V');
        frame();
    }
    EXPECT_EQ(edit->getText(), "12");
    edit->options = EDITOPT_PASSWORD;
    key('A');
    key('C');
    std::string clip;
    EXPECT_TRUE(GetClipboardText(clip, 1000));
    EXPECT_EQ(clip, "1a");
}

}  // namespace
}  // namespace koui
