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

TEST(AppMsg, FormatsOneLinePerCallIntoInstalledSink) {
    AppMsgCapture capture;
    appmsg("[ERROR] Line %d / %s", 4, "text");
    appmsg("%s", std::string(3000, 'x').c_str());  // longer than the stack buffer
    EXPECT_EQ(capture.lines(), (std::vector<std::string>{"[ERROR] Line 4 / text", std::string(3000, 'x')}));
}

TEST(AppMsg, ConcurrentLinesAreNeverLostOrMixed) {
    AppMsgCapture capture;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < 250; ++i) appmsg("thread %d line %d", t, i);
        });
    for (auto& th : threads) th.join();
    const auto lines = capture.lines();
    ASSERT_EQ(lines.size(), 1000u);
    for (const auto& l : lines) EXPECT_EQ(l.rfind("thread ", 0), 0u) << l;
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

TEST(Clamp, LimitsBothWays) {
    EXPECT_EQ(std::tuple(stClampSP(-1.f, 0.f, 1.f), stClampSP(0.25f, 0.f, 1.f), stClampDP(-5.0, -2.0, 3.0),
                         stClampDP(7.0, -2.0, 3.0)),
              std::tuple(0.f, 0.25f, -2.0, 3.0));
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

TEST(HexColor, AcceptsThreeFourSixAndEightDigits) {
    const struct {
        const char* text;
        std::vector<float> rgba;
    } cases[] = {{"f80", {1, 8 / 15.0f, 0, 1}},
                 {"FF800040", {1, 128 / 255.0f, 0, 64 / 255.0f}},
                 {"0000ff trailing", {0, 0, 1, 1}},
                 {"1234", {1 / 15.0f, 2 / 15.0f, 3 / 15.0f, 4 / 15.0f}}};
    for (const auto& c : cases) {
        float out[4] = {-1, -1, -1, -1};
        ASSERT_TRUE(stReadHexColor(out, c.text, 4, 1.0f)) << c.text;
        EXPECT_THAT(out, ::testing::Pointwise(::testing::FloatEq(), c.rgba)) << c.text;
    }
}

TEST(HexColor, RefusesOtherCountsWithoutTouchingTheOutput) {
    float c[4] = {9, 9, 9, 9};
    for (const char* bad :
         {"", "f", "ff", "fffff", "fffffff", "fffffffff", "xyz", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(stReadHexColor(c, bad, 4, 1.0f)) << (bad ? bad : "null");
    EXPECT_FALSE(stReadHexColor(nullptr, "fff", 4, 1.0f));
    EXPECT_EQ(c[0], 9);
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
