// Widgets without GL: the classic font and colour set descriptions, the
// button's messages, index and blinking, and the simple edit field's focus,
// keys and buffer, all driven through the canvas as input arrives.
#include <gtest/gtest.h>

#include <array>
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

double fakeNow = 0;
double fakeClock() {
    return fakeNow;
}

const char kClassic[] =
    "#colors\nred,#ff0000\nhalf,!FLOAT,0.25,0.5,0.75,0.5\n#formatfonts\ntitle,font=sans,color=red\n";

// A canvas of an instance (no resource folder) whose classic manager holds
// kClassic, and a parent that records messages and accepts pointer events.
struct WidgetTest : ::testing::Test {
    std::unique_ptr<Instance> inst{new Instance()};
    Canvas* canvas = inst->CreateCanvas();
    test::Probe* parent = test::make(canvas, 0, 0, 400, 300);
    void SetUp() override {
        inst->rm->CreateFromBuffer(kClassic, sizeof kClassic - 1, nullptr);
        parent->acceptMT = true;
        cycle();
    }
    void TearDown() override { delete canvas; }
    void cycle() { inst->Iterate(0, 0, 400, 300); }
    Static* make(Static* s) {
        return static_cast<Static*>(s->Create("", parent, 100, 100, 50, 30, nullptr, 0, ""));
    }
    std::vector<uint32_t> msgIds() {
        std::vector<uint32_t> ids;
        for (const e_msg& m : parent->msgs) ids.push_back(m.id);
        return ids;
    }
};

// The first token always names the font; after it, each token of !align
// and !from fills one field in turn, and an empty one keeps its field.
TEST_F(WidgetTest, ClassicDescriptions) {
    const std::pair<const char*, std::array<int, 7>> fonts[] = {
        // desc, {font found, h, v, offsetX, offsetY, fromH, fromV}
        {"title,!align,4,2,c,vc", {1, 1, 1, 4, 2, 9, 9}},
        {"!align,4,2,c,vc", {0, 9, 9, 9, 9, 9, 9}},
        {",!align,4,2,c,vc", {0, 1, 1, 4, 2, 9, 9}},
        {"title,!ALIGN,,-7,R,wobble,x,!From,,Bottom", {1, 2, 9, 9, -7, 9, 2}},
    };
    Static* s = make(new Static());
    for (const auto& [desc, want] : fonts) {
        Align& a = s->align = {9, 9, 9, 9, 9, 9};
        s->setFontFromRes(desc);
        EXPECT_EQ(
            (std::array{s->fmtFont != nullptr ? 1 : 0, a.h, a.v, a.offsetX, a.offsetY, a.fromH, a.fromV}),
            want)
            << desc;
    }
    // Colour sets: bytes are clamped, times 255 and truncated; reading stops
    // at the first empty name; a missing colour leaves its entry.
    const std::pair<const char*, std::array<int, 12>> sets[] = {
        {",red,red", {7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7}},
        {"missing,half,red", {7, 7, 7, 7, 63, 127, 191, 127, 255, 0, 0, 255}},
    };
    for (const auto& [desc, want] : sets) {
        std::memset(&s->colorSet, 7, sizeof s->colorSet);
        s->setColorSetFromRes(desc);
        std::array<int, 12> bytes;
        for (int i = 0; i < 12; ++i) bytes[i] = s->colorSet.entry[i / 4].rgba[i % 4];
        EXPECT_EQ(bytes, want) << desc;
    }
    EXPECT_THAT(s->colorSet.entry[1].rgbaf, test::floatsAre(0.25, 0.5, 0.75, 0.5));
}

// A 50 x 30 button at (100, 100); steps are pointer events in canvas
// pixels, then one cycle computes the index. Disabled buttons decline every
// event, enabled ones the wheel, so the parent behind them gets those.
TEST_F(WidgetTest, ButtonPointerEvents) {
    struct Step {
        int type;
        double x, y;
    };
    const Step in{MT_LDOWN, 110, 110}, out{MT_MOVE, 300, 110}, back{MT_MOVE, 149, 129};
    const Step up{MT_LUP, 149, 129}, upOut{MT_LUP, 150, 110}, wheel{MT_WHEEL, 110, 110};
    const uint32_t P = MSG_PRESS, R = MSG_RELEASE, C = MSG_CLICK;
    struct Row {
        std::vector<Step> steps;
        bool checked, disabled;
        std::vector<uint32_t> msgs;
        int clicks;
        uint32_t index;
        size_t parentEvents;
    } rows[] = {
        {{in}, false, false, {P}, 0, 1, 0},
        {{in, up}, false, false, {P, R, C}, 1, 0, 0},
        {{in, out}, false, false, {P}, 0, 0, 0},
        {{in, out, upOut}, false, false, {P, R}, 0, 0, 0},
        {{in, out, back}, false, false, {P}, 0, 1, 0},
        {{in, out, back, up}, false, false, {P, R, C}, 1, 0, 0},
        // Other buttons and their drags change nothing.
        {{{MT_RDOWN, 110, 110}, back, {MT_RUP, 110, 110}}, false, false, {}, 0, 0, 0},
        {{in}, true, false, {P}, 0, 2, 0},
        {{wheel}, false, false, {}, 0, 0, 1},
        {{in}, false, true, {}, 0, 3, 1},
        {{in, up}, true, true, {}, 0, 4, 2},
    };
    for (size_t i = 0; i < std::size(rows); ++i) {
        const Row& r = rows[i];
        parent->msgs.clear(), parent->mtTypes.clear();
        int clicks = 0;
        auto* b = static_cast<Button*>(make(new Button()));
        b->setClickCB([&clicks] { ++clicks; })->setCheck(r.checked);
        if (r.disabled) b->dDisable();
        cycle();
        for (const Step& s : r.steps) canvas->ProcessMTEvent(s.type, s.x, s.y, 1, 0);
        cycle();
        EXPECT_EQ(msgIds(), r.msgs) << i;
        EXPECT_EQ(std::tuple(clicks, b->currentIndex, parent->mtTypes.size()),
                  std::tuple(r.clicks, r.index, r.parentEvents))
            << i;
        delete b;
    }
}

// Period 500 ms: the true look for the first 500 ms of each second after
// Blink, the other look for the rest.
TEST_F(WidgetTest, BlinkIndexAtTimes) {
    auto* b = static_cast<Button*>(make(new Button()));
    b->setClock(&fakeClock);
    fakeNow = 50.0;
    b->Blink(true, 500);
    const double ms[] = {0, 499, 500, 501, 999, 1000, 1499, 1501};
    const uint32_t checked[] = {2, 2, 2, 0, 0, 2, 2, 0};
    for (bool isChecked : {true, false})
        for (size_t i = 0; i < std::size(ms); ++i) {
            b->setCheck(isChecked);
            fakeNow = 50.0 + ms[i] / 1000;
            cycle();
            EXPECT_EQ(b->currentIndex, isChecked ? checked[i] : 2 - checked[i]) << ms[i] << isChecked;
        }
    b->Blink(false, 500);
    cycle();
    EXPECT_EQ(std::tuple(b->currentIndex, b->state), std::tuple(0u, 0u));
}

// The first key after a press empties the text, later ones do not; Tab is
// announced; no key is consumed.
TEST_F(WidgetTest, SEditFocusKeysAndBuffer) {
    SEdit* e = SEdit::wCreate("e", parent, 10, 10, 100, 20, nullptr, "title", nullptr, nullptr);
    SEdit* other = SEdit::wCreate("o", parent, 10, 40, 100, 20, nullptr, nullptr, nullptr, nullptr);
    cycle();
    e->SetText("%d%%", 42);
    EXPECT_TRUE(canvas->ProcessMTEvent(MT_LDOWN, 20, 20, 0, 0));
    EXPECT_STREQ(e->savedBuf, "42%");
    EXPECT_FALSE(e->SetText_IfNotFocused("x"));
    EXPECT_FALSE(canvas->ProcessKeyEvent('A', 'a', 0));
    EXPECT_STREQ(e->GetText(), "");
    e->SetText("typed");
    EXPECT_FALSE(canvas->ProcessKeyEvent('B', 'b', 0));
    EXPECT_FALSE(canvas->ProcessKeyEvent(9, 9, 0));
    EXPECT_EQ(std::tuple(std::string(e->GetText()), msgIds()),
              std::tuple("typed", std::vector<uint32_t>{MSG_CLICK, MSG_SEDIT_TAB}));
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
