// The edit field on real GL, driven through the canvas: presses and drags
// over a laid-out UTF-8 text, the pixels of the selection, the caret and
// its blink, scrolling, password stars, the style keys, and the clipboard
// keys (the window system's clipboard, as the test thread's).
#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "koui/family/apptime.h"
#include "koui/platform/clipboard.h"
#include "koui/platform/win32_constants.h"
#include "koui/widgets/edit.h"
#include "tests/ui/draw_fixture.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Rgba;
const Rgba kBlack{0, 0, 0}, kWhite{255, 255, 255}, kBlue{0, 0, 255};

// "field" has margins 4, 3, 4, 3 and a 3 x 10 caret; "plain" none of the
// edit keys.
const char* const kTheme = R"(
colors { black: #000000 green: #00ff00 blue: #0000ff }
fonts { text { font src: "Fonts/test.ttf" size: 20 } }
field {
  font-type: fonts.text color: colors.green bkcolor: colors.black
  edit-margins: 4,3,4,3 edit-sel-bkcolor: colors.blue edit-caret-width: 3 edit-caret-height: 10
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
    Edit* off = Edit::wCreate("", form, 0, 50, 200, 30, DIV_DISABLED, "field");
    frame();
    EXPECT_TRUE(canvas->ProcessMTEvent(MT_LDOWN, 50, 110, 0, 0));
    EXPECT_EQ(std::tuple(canvas->focus, empty->caretPos, form->msgs.size(), form->msgs.at(0).id),
              std::tuple(static_cast<Div*>(empty), 0, 1u, uint32_t{MSG_CLICK}));
    EXPECT_FALSE(canvas->ProcessMTEvent(MT_LDOWN, 50, 160, 0, 0));
    EXPECT_NE(canvas->focus, off);
}

// Focused with "ab", "a" selected and the caret after it: the selection is
// blue from the inner box's left to the caret, below the text; the 3 x 10
// caret is white at the bottom of the inner box, and one fifth as bright in
// the second half of each blink second.
TEST_F(EditGl, SelectionAndBlinkingCaret) {
    edit->setText("ab");
    edit->dSetFocus();
    edit->setSelRange(0, 1);
    edit->caretPos = 1;
    frame();
    const int caretX = kLeft + static_cast<int>(edit->glyphs[1].x);
    Edit::caretBlinkRefTime = ko::util::appGetTime();
    clear(0, 0, 0);
    frame();
    EXPECT_TRUE(regionIs(kLeft, kTop + kInnerH - 2, caretX - kLeft, 2, kBlue));
    EXPECT_TRUE(regionIs(caretX, kTop + kInnerH - 10, 3, 10, kWhite));
    EXPECT_TRUE(regionIs(caretX + 3, kTop + kInnerH - 2, 20, 2, kBlack));
    Edit::caretBlinkRefTime = ko::util::appGetTime() - 0.7;
    frame();
    EXPECT_TRUE(regionIs(caretX, kTop + kInnerH - 2, 3, 2, Rgba{51, 51, 51}, 1));
    edit->dKillFocus();
    frame();
    EXPECT_TRUE(regionIs(caretX, kTop + kInnerH - 2, 3, 2, kBlack)) << "no caret without the focus";
}

// A text wider than the inner box scrolls so that the caret stays inside,
// and nothing is drawn in the margins; a text that fits has scrollX 0.
// Disabled text is drawn at a fifth of its alpha.
TEST_F(EditGl, ScrollingKeepsTheCaretInside) {
    edit->setText(std::string(40, 'm'));
    edit->dSetFocus();
    frame();
    const int textW = static_cast<int>(edit->glyphs[39].x + edit->glyphs[39].advance);
    Edit::caretBlinkRefTime = ko::util::appGetTime();
    clear(0, 0, 0);
    frame();
    EXPECT_EQ(edit->scrollX, kInnerW - textW);
    EXPECT_TRUE(regionIs(kLeft + kInnerW, kTop + kInnerH - 10, 3, 10, kWhite));
    EXPECT_TRUE(regionIs(10, 10, 4, 30, kBlack) && regionIs(kLeft + kInnerW + 3, 10, 3, 30, kBlack));
    canvas->ProcessKeyEvent(win32::VK_HOME, 0, 0);
    frame();
    EXPECT_EQ(edit->scrollX, 0);
    edit->setText("m");
    edit->dKillFocus();
    edit->dDisable();
    clear(0, 0, 0);
    frame();
    EXPECT_EQ(edit->scrollX, 0);
    EXPECT_EQ(countDifferent(kLeft, kTop, kInnerW, kInnerH, kBlack, 52), 0);
    EXPECT_GT(countDifferent(kLeft, kTop, kInnerW, kInnerH, kBlack, 40), 0);
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

// Margins and the selection colour keep their values when a style lacks
// them; caret width and height go back to 2 and 0.
TEST_F(EditGl, StyleKeys) {
    const auto read = [&] {
        return std::tuple(std::vector<int>(edit->margins, edit->margins + 4),
                          std::vector<float>(edit->selBkColor, edit->selBkColor + 4), edit->caretWidth,
                          edit->caretHeight);
    };
    const std::vector<int> margins{4, 3, 4, 3};
    const std::vector<float> blue{0, 0, 1, 1};
    EXPECT_EQ(read(), std::tuple(margins, blue, 3, 10));
    edit->uiSetStyle("plain");
    EXPECT_EQ(read(), std::tuple(margins, blue, 2, 0));
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
    canvas->ProcessKeyEvent(win32::VK_END, 0, 0);
    key('V');
    frame();
    EXPECT_EQ(std::tuple(edit->getText(), edit->caretPos), std::tuple(std::string("Greüß"), 7));

    edit->setText("");
    edit->options = EDITOPT_INT;
    for (const char* clip : {"12\r\n34", "1a"}) {
        ASSERT_TRUE(win32::SetClipboardText(clip));
        key('V');
        frame();
    }
    EXPECT_EQ(edit->getText(), "12");
    edit->options = EDITOPT_PASSWORD;
    key('A');
    key('C');
    std::string clip;
    EXPECT_TRUE(win32::GetClipboardText(clip, 1000));
    EXPECT_EQ(clip, "1a");
}

}  // namespace
}  // namespace koui
