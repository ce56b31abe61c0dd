// The edit field's keys and typed characters, as the canvas hands them over
// from its focus: caret steps and erasing over UTF-8 characters, selection
// with Shift, number validation, focus moves on Tab, and the messages the
// parent hears. No font is needed: nothing here is laid out.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "koui/platform/win32_constants.h"
#include "koui/widgets/edit.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using namespace koui::win32;
using Msgs = std::vector<std::pair<uint32_t, uint32_t>>;  // id, num1

struct Input {
    bool isChar;
    int code;
    int mods = 0;
};
Input K(int vk, int mods = 0) {
    return {false, vk, mods};
}
Input C(int ch, int mods = 0) {
    return {true, ch, mods};
}

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

// setText keeps the whole text, puts the caret at its end and clears the
// selection; positions the application gives inside a character move back
// to its start.
TEST_F(EditKeys, TextAndRangesFromTheApplication) {
    edit->selStart = 1, edit->selEnd = 2;
    edit->setText(std::string(5000, 'x') + "é");
    EXPECT_EQ(std::tuple(edit->getText().size(), edit->caretPos, edit->selStart, edit->selEnd),
              std::tuple(5002u, 5002, 0, 0));
    edit->setFormatText("%dé%s", 12, "z");
    int range[2] = {-1, -1};
    EXPECT_EQ(std::tuple(edit->getText(), edit->caretPos, edit->getInt(), edit->getSelRange(range)),
              std::tuple(std::string("12éz"), 5, 12, false));
    EXPECT_TRUE(edit->setSelRange(-5, 3));
    EXPECT_FALSE(edit->setSelRange(4, 1));
    EXPECT_TRUE(edit->getSelRange(range));
    EXPECT_EQ(std::tuple(range[0], range[1]), std::tuple(0, 2));
    EXPECT_TRUE(edit->eraseContent(3, 99));
    EXPECT_EQ(edit->getText(), "12");
}

}  // namespace
}  // namespace koui
