#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>

#include "koui/family/hexcolor.h"
#include "koui/family/numeric.h"
#include "koui/family/strpar.h"
#include "tests/support/appmsg_capture.h"

using namespace ko::log;
using namespace ko::util;

namespace {

using ko::util::StrPar;
using koui::test::AppMsgCapture;

// Lines longer than the stack buffer come whole; concurrent ones are never
// lost or mixed.
TEST(AppMsg, FormatsWholeLinesFromEveryThread) {
    AppMsgCapture capture;
    appmsg("[ERROR] Line %d / %s", 4, "text");
    appmsg("%s", std::string(3000, 'x').c_str());
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"[ERROR] Line 4 / text", std::string(3000, 'x')}));
    capture.clear();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 250; ++i) appmsg("thread %d line %d", t, i);
        });
    for (auto& th : threads) th.join();
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 1000u);
    for (const auto& l : lines) ASSERT_EQ(l.rfind("thread ", 0), 0u) << l;
}

TEST(AppMsg, NestedCapturesRestoreThePreviousSink) {
    AppMsgCapture outer;
    {
        AppMsgCapture inner;
        appmsg("inner");
    }
    appmsg("outer");
    EXPECT_EQ(outer.lines(), std::vector<std::string>{"outer"});
}

// The step of one over the factor and the snap to the target within epsilon
// are checked with the tooltip's fading; here both directions, every step
// towards the target and never past it, and a factor that does not ease.
TEST(Easing, ReachesTheTargetExactlyFromBothSidesWithoutPassingIt) {
    for (double factor : {3.0, 10.0})
        for (double target : {1.0, -250.0}) {
            double v = 0;
            for (int steps = 0; v != target && steps < 200; ++steps) {
                const double next = stEasyEasyDP(v, target, factor, 0.01);
                EXPECT_LE(std::abs(target - next), std::abs(target - v));
                v = next;
            }
            EXPECT_EQ(v, target) << "factor " << factor;
        }
    EXPECT_EQ(stEasyEasyDP(0.0, 100.0, 1.0, 0.01), 100.0);
}

// Three, four, six or eight digits; other counts leave the output alone.
TEST(HexColor, DigitCounts) {
    const struct {
        const char* text;
        std::vector<float> rgba;  // empty: refused
    } cases[] = {{"f80", {1, 8 / 15.0f, 0, 1}},
                 {"FF800040", {1, 128 / 255.0f, 0, 64 / 255.0f}},
                 {"0000ff trailing", {0, 0, 1, 1}},
                 {"1234", {1 / 15.0f, 2 / 15.0f, 3 / 15.0f, 4 / 15.0f}},
                 {"", {}},
                 {"f", {}},
                 {"ff", {}},
                 {"fffff", {}},
                 {"fffffff", {}},
                 {"fffffffff", {}},
                 {"xyz", {}},
                 {nullptr, {}}};
    for (const auto& c : cases) {
        float out[4] = {9, 9, 9, 9};
        EXPECT_EQ(stReadHexColor(out, c.text, 4, 1.0f), !c.rgba.empty()) << (c.text ? c.text : "null");
        EXPECT_THAT(out, ::testing::Pointwise(::testing::FloatEq(),
                                              c.rgba.empty() ? std::vector<float>(4, 9) : c.rgba))
            << (c.text ? c.text : "null");
    }
    EXPECT_FALSE(stReadHexColor(nullptr, "fff", 4, 1.0f));
}

TEST(StrPar, SplitKeepsInnerEmptyPiecesButNotTheTrailingOneAndStartShifts) {
    const std::pair<const char*, std::vector<std::string>> splits[] = {
        {"", {}}, {"a,b,", {"a", "b"}}, {"a,,b", {"a", "", "b"}}, {",a", {"", "a"}}, {",", {""}}};
    for (const auto& [text, items] : splits) EXPECT_EQ(StrPar::split(text, ',').items(), items) << text;
    StrPar p({"hline", "3", "x"});
    EXPECT_EQ(p.count(), 3);
    p.advance();
    EXPECT_EQ(std::tuple(p.count(), p.get(0), p.get(2, "def"), p.get(-1, "def"), p.at(5)),
              std::tuple(2, "3", "def", "def", nullptr));
    p.setStart(10);
    EXPECT_EQ(std::tuple(p.count(), p.get(0, "d")), std::tuple(0, "d"));
}

}  // namespace
