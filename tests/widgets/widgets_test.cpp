// Widgets without GL: the classic font and colour set specifications, the
// button's messages, states and blinking, and the simple edit field's focus,
// keys and buffer, all driven through the canvas as input arrives.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "koui/host/instance.h"
#include "koui/rm/rm.h"
#include "koui/widgets/button.h"
#include "koui/widgets/sedit.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::Probe;

double fakeNow = 0;
double fakeClock() {
    return fakeNow;
}

const char kClassic[] =
    "#colors\nred,#ff0000\nhalf,!FLOAT,0.25,0.5,0.75,0.5\n"
    "#formatfonts\ntitle,font=sans,color=red\n";

// An instance without resource folder whose classic manager holds kClassic,
// one canvas, and a parent that records the messages of its children.
struct WidgetTest : ::testing::Test {
    std::unique_ptr<Instance> inst{new Instance()};
    Canvas* canvas = nullptr;
    Probe* parent = nullptr;
    void SetUp() override {
        inst->rm->CreateFromBuffer(kClassic, sizeof kClassic - 1, nullptr);
        canvas = inst->CreateCanvas();
        parent = test::make(canvas, 0, 0, 400, 300);
        parent->acceptMT = true;
        cycle();
    }
    void TearDown() override { delete canvas; }
    void cycle() { inst->Iterate(0, 0, 400, 300); }
    std::vector<uint32_t> msgIds() {
        std::vector<uint32_t> ids;
        for (const e_msg& m : parent->msgs) ids.push_back(m.id);
        return ids;
    }
};

// The first token always names the font; after it, each token of !align and
// !from fills one field in turn, and an empty one keeps its field.
TEST_F(WidgetTest, ClassicFontSpecification) {
    struct Row {
        const char* spec;
        bool font;
        Align want;  // h, v, offsetX, offsetY, fromH, fromV
    } rows[] = {
        {"title,!align,4,2,c,vc", true, {1, 1, 4, 2, 9, 9}},
        {"!align,4,2,c,vc", false, {9, 9, 9, 9, 9, 9}},
        {",!align,4,2,c,vc", false, {1, 1, 4, 2, 9, 9}},
        {"title,!ALIGN,,-7,R,wobble,!From,,Bottom", true, {2, 9, 9, -7, 9, 2}},
        {"title,x,!from,c,t,!align,1", true, {9, 9, 1, 9, 1, 0}},
    };
    for (const Row& r : rows) {
        Static* s = Static::wCreate("s", parent, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        s->align = {9, 9, 9, 9, 9, 9};
        s->setFontFromRes(r.spec);
        EXPECT_EQ(s->fmtFont, r.font ? inst->rm->rmfmtfont("title") : nullptr) << r.spec;
        const Align& a = s->align;
        EXPECT_EQ(std::vector<int>({a.h, a.v, a.offsetX, a.offsetY, a.fromH, a.fromV}),
                  std::vector<int>(
                      {r.want.h, r.want.v, r.want.offsetX, r.want.offsetY, r.want.fromH, r.want.fromV}))
            << r.spec;
        delete s;
    }
}

// Entries take the colour's floats and its bytes (clamped, times 255,
// truncated); reading stops at the first empty name; a missing colour
// leaves its entry.
TEST_F(WidgetTest, ClassicColorSetSpecification) {
    struct Row {
        const char* spec;
        bool result;
        std::vector<int> bytes;  // entries 0, 1, 2, four bytes each
    } rows[] = {
        {"", false, {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}},
        {",red,red", true, {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}},
        {"missing,half,red", true, {7, 7, 7, 7, 63, 127, 191, 127, 255, 0, 0, 255}},
        {"red,,half", true, {255, 0, 0, 255, 7, 7, 7, 7, 7, 7, 7, 7}},
    };
    for (const Row& r : rows) {
        Static s;
        for (auto& e : s.colorSet.entry)
            for (int k = 0; k < 4; ++k) e.rgba[k] = 7, e.rgbaf[k] = 7;
        canvas->dAddChild(&s, true);
        std::string spec = r.spec;
        EXPECT_EQ(s.getColorSetFromRes(s.colorSet, spec, 0), r.result) << r.spec;
        std::vector<int> bytes;
        for (const auto& e : s.colorSet.entry) bytes.insert(bytes.end(), e.rgba, e.rgba + 4);
        EXPECT_EQ(bytes, r.bytes) << r.spec;
        canvas->dDetachChild(&s);
    }
    Static* s = Static::wCreate("s", parent, 0, 0, 10, 10, nullptr, nullptr, nullptr, "half");
    EXPECT_THAT(s->colorSet.entry[0].rgbaf, test::floatsAre(0.25, 0.5, 0.75, 0.5));
}

// A button at (100, 100, 50 x 30) under the recording parent. Steps are
// pointer events in canvas pixels; after them one cycle computes the index.
TEST_F(WidgetTest, ButtonPressDragAndRelease) {
    struct Step {
        int type;
        double x, y;
    };
    const Step in{MT_LDOWN, 110, 110}, dragOut{MT_MOVE, 300, 110}, dragIn{MT_MOVE, 149, 129};
    const Step up{MT_LUP, 149, 129}, upOut{MT_LUP, 150, 110};
    struct Row {
        std::vector<Step> steps;
        std::vector<uint32_t> msgs;
        int clicks;
        uint32_t index;
    } rows[] = {
        {{in}, {MSG_PRESS}, 0, 1},
        {{in, up}, {MSG_PRESS, MSG_RELEASE, MSG_CLICK}, 1, 0},
        {{in, dragOut}, {MSG_PRESS}, 0, 0},
        {{in, dragOut, upOut}, {MSG_PRESS, MSG_RELEASE}, 0, 0},
        {{in, dragOut, dragIn}, {MSG_PRESS}, 0, 1},
        {{in, dragOut, dragIn, up}, {MSG_PRESS, MSG_RELEASE, MSG_CLICK}, 1, 0},
        // Other buttons are accepted and change nothing, their drags neither.
        {{{MT_RDOWN, 110, 110}, dragIn, {MT_RUP, 110, 110}}, {}, 0, 0},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        parent->msgs.clear();
        int clicks = 0;
        Button* b = Button::wCreate("b", parent, 100, 100, 50, 30, nullptr, nullptr, nullptr, nullptr);
        b->setClickCB([&clicks] { ++clicks; });
        cycle();
        for (const Step& s : r.steps) canvas->ProcessMTEvent(s.type, s.x, s.y, 0, 0);
        cycle();
        EXPECT_EQ(msgIds(), r.msgs) << i;
        EXPECT_EQ(clicks, r.clicks) << i;
        EXPECT_EQ(b->currentIndex, r.index) << i;
        for (const e_msg& m : parent->msgs) EXPECT_EQ(m.from, b);
        delete b;
    }
}

// Disabled buttons decline every pointer event, so the parent behind gets
// it; an enabled one declines only the wheel. The index is taken while the
// press is held.
TEST_F(WidgetTest, ButtonIndexAndDecline) {
    struct Row {
        bool disabled, checked, highlighted;
        int type;
        bool accepted;
        uint32_t index;
    } rows[] = {
        {false, false, false, MT_WHEEL, false, 0}, {false, true, false, MT_RDOWN, true, 2},
        {false, false, true, MT_LDOWN, true, 2},   {true, false, false, MT_LDOWN, false, 3},
        {true, true, false, MT_LDOWN, false, 4},   {true, true, true, MT_RDOWN, false, 4},
    };
    for (const Row& r : rows) {
        Button* b = Button::wCreate("b", parent, 100, 100, 50, 30, nullptr, nullptr, nullptr, nullptr);
        if (r.disabled) b->dDisable();
        EXPECT_EQ(b->setCheck(r.checked), r.checked);
        if (r.highlighted) b->state |= Button::BTN_HIGHLIGHTED;
        cycle();
        parent->mtTypes.clear();
        EXPECT_TRUE(canvas->ProcessMTEvent(r.type, 110, 110, 1, 0));
        cycle();
        EXPECT_EQ(parent->mtTypes.empty(), r.accepted) << r.type;
        EXPECT_EQ(b->currentIndex, r.index) << r.disabled << r.checked << r.highlighted;
        canvas->ProcessMTEvent(r.type + 1, 110, 110, 0, 0);  // the matching release
        delete b;
    }
}

// Period 500 ms: the checked look holds for the first 500 ms of each second
// after Blink, the other look for the rest.
TEST_F(WidgetTest, BlinkIndexAtTimes) {
    Button* b = Button::wCreate("b", parent, 100, 100, 50, 30, nullptr, nullptr, nullptr, nullptr);
    b->setClock(&fakeClock);
    fakeNow = 50.0;
    b->Blink(true, 500);
    EXPECT_TRUE(b->isBlinking());
    const double ms[] = {0, 499, 500, 501, 999, 1000, 1499, 1501};
    const uint32_t checked[] = {2, 2, 2, 0, 0, 2, 2, 0};
    for (bool isChecked : {true, false}) {
        b->setCheck(isChecked);
        for (size_t i = 0; i < std::size(ms); ++i) {
            fakeNow = 50.0 + ms[i] / 1000;
            cycle();
            EXPECT_EQ(b->currentIndex, isChecked ? checked[i] : 2 - checked[i]) << ms[i] << isChecked;
            EXPECT_EQ(b->isChecked(), isChecked);
        }
    }
    b->Blink(false, 500);
    cycle();
    EXPECT_EQ(b->currentIndex, 0u);
}

// The first key after a press empties the text, later ones do not; Tab is
// announced and, like every key, not consumed.
TEST_F(WidgetTest, SEditFocusKeysAndBuffer) {
    SEdit* e = SEdit::wCreate("e", parent, 10, 10, 100, 20, nullptr, "title", nullptr, nullptr);
    SEdit* other = SEdit::wCreate("o", parent, 10, 40, 100, 20, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(e->fmtFont, inst->rm->rmfmtfont("title"));
    cycle();
    EXPECT_TRUE(e->SetText("%d%%", 42));
    EXPECT_TRUE(canvas->ProcessMTEvent(MT_LDOWN, 20, 20, 0, 0));
    EXPECT_TRUE(e->dHasFocus());
    EXPECT_STREQ(e->savedBuf, "42%");
    EXPECT_FALSE(e->SetText_IfNotFocused("x"));
    EXPECT_STREQ(e->GetText(), "42%");

    EXPECT_FALSE(canvas->ProcessKeyEvent('A', 'a', 0));
    EXPECT_STREQ(e->GetText(), "");
    e->SetText("typed");
    EXPECT_FALSE(canvas->ProcessKeyEvent('B', 'b', 0));
    EXPECT_FALSE(canvas->ProcessKeyEvent(9, 9, 0));
    EXPECT_STREQ(e->GetText(), "typed");
    EXPECT_EQ(e->keyCount, 2);
    EXPECT_EQ(msgIds(), (std::vector<uint32_t>{MSG_CLICK, MSG_SEDIT_TAB}));

    // Away and back: the text may be written meanwhile (cut to the buffer),
    // and the first key after the new press empties it again.
    other->setFocus();
    EXPECT_TRUE(e->SetText_IfNotFocused("%s", std::string(70000, 'x').c_str()));
    EXPECT_EQ(std::string(e->GetText()).size(), SEdit::kBufferSize - 1);
    canvas->ProcessMTEvent(MT_LDOWN, 20, 20, 0, 0);
    canvas->ProcessKeyEvent('C', 'c', 0);
    EXPECT_EQ(std::tuple(std::string(e->GetText()), e->keyCount, other->keyCount), std::tuple("", 1, 0));
}

}  // namespace
}  // namespace koui
