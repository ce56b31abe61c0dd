// End to end: real programs with real windows on the X server, driven and
// closed with xdotool. Each test starts the test application (e2e_app.cpp,
// written on the application layer) with a copy of data/res.kor as its
// resource folder, and reads what it reports on its standard output. (How
// input finds its way from the X server to the elements is checked
// piecewise: platform input, window messages to canvas events, canvas
// routing.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>

#include "app_process.h"
#include "koui/family/png_decoder.h"
#include "tests/res/test_files.h"
#include "tests/support/x_display.h"

namespace {

using namespace std::chrono_literals;
using koui::test::AppProcess;
using koui::test::xdo;
using koui::test::xdoOutput;
namespace fs = std::filesystem;

constexpr auto kWait = 10s;

void writeFile(const fs::path& p, const std::string& text) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << text;
}

std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class e2e : public ::testing::Test {
protected:
    void SetUp() override {
        KOUI_REQUIRE_XDOTOOL();
        fs::create_directories(dir_ / "resdata");
        theme_ = readFile(fs::path(KOUI_SOURCE_DIR) / "tests/e2e/data/res.kor");
        ASSERT_FALSE(theme_.empty());
        writeFile(dir_ / "resdata/res.kor", theme_);
    }
    void TearDown() override {
        if (app_) app_->wait(0ms);  // a test that failed half-way leaves its window open: close it
    }

    // Starts the application and waits until its window `name` has drawn
    // and been found on the X server (its id in xid_).
    // `env`: variables for the program ("NAME=value").
    void start(std::vector<std::string> args = {}, const std::string& name = "e2e",
               const std::vector<std::string>& env = {}) {
        args.insert(args.begin(), {KOUI_E2E_APP, "--res", (dir_ / "resdata").string()});
        if (!env.empty()) {
            args.insert(args.begin(), env.begin(), env.end());
            args.insert(args.begin(), "/usr/bin/env");
        }
        app_ = std::make_unique<AppProcess>();
        ASSERT_TRUE(app_->start(args, dir_.string()));
        ASSERT_TRUE(app_->waitFor([&](const std::string& l) { return l == "drawn " + name; }, kWait))
            << dump();
        ASSERT_TRUE(poll([&] { return !(xid_ = xdoOutput("search --name '^" + name + "$'")).empty(); }))
            << "window not found by xdotool";
    }

    std::vector<std::string> linesWithPrefix(const std::string& prefix) {
        std::vector<std::string> out;
        for (const auto& l : app_->lines())
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        return out;
    }

    static bool poll(const std::function<bool()>& done, std::chrono::milliseconds timeout = kWait) {
        const auto until = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() >= until) return false;
            std::this_thread::sleep_for(10ms);
        }
        return true;
    }

    std::string dump() {
        std::string out;
        if (app_)
            for (const auto& l : app_->lines())
                if (l.rfind("log ", 0) != 0 || l.find("ERROR") != l.npos) out += l + "\n";
        return out;
    }

    // The colour last reported for each element.
    std::map<std::string, std::array<int, 3>> probe() {
        std::map<std::string, std::array<int, 3>> out;
        char name[32];
        int r, g, b;
        for (const auto& l : app_->lines())
            if (std::sscanf(l.c_str(), "probe %31s %d %d %d", name, &r, &g, &b) == 4) out[name] = {r, g, b};
        return out;
    }

    // A real Escape key closes the window; with it the last, run() returns 0.
    void closeWithEscapeAndExpectCleanEnd() {
        ASSERT_TRUE(xdo("windowfocus --sync " + xid_));
        ASSERT_TRUE(xdo("key Escape"));
        EXPECT_TRUE(app_->waitFor([](const std::string& l) { return l == "exit 0"; }, kWait)) << dump();
        EXPECT_EQ(app_->wait(kWait), 0);
    }

    const koui::test::TempDir tmp_{"e2e"};
    const fs::path dir_ = tmp_.path();
    std::string theme_;
    std::unique_ptr<AppProcess> app_;
    std::string xid_;
};

// Saving res.kor while the program runs changes what it draws (a faulty file
// keeping the loaded tree is checked on the resource instance), seen through
// file notifications and, where those are not used, by polling. How long the
// change took to show is printed; the bounds only catch a reload that never
// comes, and a notified one that waited for the watcher's slow look
// (Instance::kNotifiedPollMs, 2 s) instead of the notification.
TEST_F(e2e, EditedResourceFileChangesTheColours) {
    const std::array<int, 3> red{255, 0, 0}, green{0, 255, 0}, blue{0x20, 0x60, 0xc0};
    for (const bool polling : {false, true}) {
        SCOPED_TRACE(polling ? "polling" : "notified");
        writeFile(dir_ / "resdata/res.kor", theme_);
        start({}, "e2e",
              polling ? std::vector<std::string>{"KOUI_WATCH_POLL=1"} : std::vector<std::string>{});
        const std::string mode = polling ? "every 250 ms" : "by file notifications";
        EXPECT_TRUE(app_->waitFor([&](const std::string& l) { return l.find(mode) != l.npos; }, kWait));
        EXPECT_EQ(probe()["swatch"], red);
        EXPECT_EQ(probe()["outer"], blue);

        std::string edited = theme_;
        edited.replace(edited.find("swatch: #ff0000"), 15, "swatch: #00ff00");
        const auto saved = std::chrono::steady_clock::now();
        writeFile(dir_ / "resdata/res.kor", edited);
        ASSERT_TRUE(poll([&] { return probe()["swatch"] == green; }, polling ? 10s : 1500ms));
        EXPECT_EQ(probe()["outer"], blue);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - saved;
        std::printf("reload shown after %.0f ms (%s)\n", took.count(), polling ? "polling" : "notified");

        closeWithEscapeAndExpectCleanEnd();
    }
}

// The window is moved and resized by the X server, not by the program: the
// placement saved at WM_CLOSE is what the server reported.
TEST_F(e2e, PlacementSavedAtCloseIsWhatTheServerReported) {
    const fs::path ini = dir_ / "place.ini";
    writeFile(ini, "[window]\nx=100\ny=80\nw=420\nh=320\nshow=1\n");
    start({"--placement", ini.string()});
    std::string g;
    EXPECT_TRUE(poll([&] {
        g = xdoOutput("getwindowgeometry " + xid_);
        return g.find("Position: 100,80") != g.npos && g.find("Geometry: 420x320") != g.npos;
    })) << g;
    ASSERT_TRUE(xdo("windowmove --sync " + xid_ + " 150 120"));
    ASSERT_TRUE(xdo("windowsize --sync " + xid_ + " 360 280"));
    closeWithEscapeAndExpectCleanEnd();
    EXPECT_EQ(readFile(ini), "[window]\nx=150\ny=120\nw=360\nh=280\nshow=1\n");
}

// Clicks reach the callback of the front-most element under both the press
// and the release, and no other; a button tells its parent of the press,
// the release and the click, and calls back once; keys reach the root's key
// callback.
TEST_F(e2e, ClicksReachTheRightElementOnly) {
    start();
    const std::string at = "mousemove --window " + xid_ + " ";
    // inner (30,30 50x40) lies inside outer (20,20 200x120); swatch is at
    // 20,160 100x60, the button at 260,30 100x40; the root has no click
    // callback.
    for (const std::string& input :
         std::vector<std::string>{at + "55 50 click 1",                                   // inner, not outer
                                  at + "150 100 click 1",                                 // outer
                                  at + "70 190 mousedown 1 " + at + "300 250 mouseup 1",  // dragged off
                                  at + "300 250 click 1",                                 // the root
                                  at + "150 100 click 3",  // not the primary button
                                  at + "310 50 click 1",   // the button
                                  "key F2", at + "70 190 click 1"})
        ASSERT_TRUE(xdo(input)) << input;
    ASSERT_TRUE(app_->waitPrefix("click swatch", kWait)) << dump();
    ASSERT_TRUE(app_->waitPrefix("key ", kWait));
    EXPECT_EQ(linesWithPrefix("click "),
              (std::vector<std::string>{"click inner", "click outer", "click button", "click swatch"}));
    EXPECT_EQ(linesWithPrefix("msg "), (std::vector<std::string>{"msg 1010", "msg 1011", "msg 1000"}));
    EXPECT_EQ(linesWithPrefix("key "), std::vector<std::string>{"key 113"});
    closeWithEscapeAndExpectCleanEnd();
}

// A right click opens a quick menu whose pick the application sees once;
// the wheel scrolls a container (its second row comes under its centre).
TEST_F(e2e, MenuPicksOnceAndWheelScrolls) {
    start();
    const std::string at = "mousemove --window " + xid_ + " ";
    EXPECT_EQ(probe()["list"], (std::array<int, 3>{255, 0, 0}));
    ASSERT_TRUE(xdo(at + "315 130 click 5"));
    EXPECT_TRUE(poll([&] { return probe()["list"] == std::array<int, 3>{0xe0, 0xe0, 0x40}; })) << dump();
    ASSERT_TRUE(xdo(at + "260 190 click 3"));
    ASSERT_TRUE(app_->waitPrefix("menu open", kWait));
    std::this_thread::sleep_for(300ms);        // a few frames: the menu stacks its items
    ASSERT_TRUE(xdo(at + "300 220 click 1"));  // the second item, 20 pixels high each
    ASSERT_TRUE(app_->waitPrefix("menu b", kWait)) << dump();
    closeWithEscapeAndExpectCleanEnd();
    EXPECT_EQ(linesWithPrefix("menu "), (std::vector<std::string>{"menu open", "menu b"}));
}

// A Ctrl+wheel notch zooms a plot about the pointer: the plot point under
// it stays within a pixel.
TEST_F(e2e, PlotZoomKeepsThePointUnderThePointer) {
    start({"--plot", "1"});
    struct Reading {
        double x = 0, y = 0, sx = 0, sy = 0;
    };
    auto settled = [&] {  // the last reading, once the pointer has rested a few frames
        std::this_thread::sleep_for(300ms);
        Reading r;
        const auto lines = linesWithPrefix("plot ");
        if (!lines.empty())
            std::sscanf(lines.back().c_str(), "plot %lf %lf %lf %lf", &r.x, &r.y, &r.sx, &r.sy);
        return r;
    };
    ASSERT_TRUE(xdo("mousemove --window " + xid_ + " 250 120"));
    const Reading before = settled();
    ASSERT_TRUE(xdo("keydown ctrl click 4 keyup ctrl"));
    ASSERT_TRUE(poll([&] { return settled().sx != before.sx; })) << dump();
    const Reading after = settled();
    EXPECT_NEAR(after.sx / before.sx, 1.1, 1e-3);
    EXPECT_LE(std::abs((after.x - before.x) * after.sx), 1.0) << before.x << " " << after.x;
    EXPECT_LE(std::abs((after.y - before.y) * after.sy), 1.0) << before.y << " " << after.y;
    closeWithEscapeAndExpectCleanEnd();
}

// Two windows of one application build their own trees; closing one leaves
// the other running, closing the last ends run() with 0. Each window's
// place is kept in the configuration folder by application and window.
TEST_F(e2e, TwoWindowsRunUntilTheLastCloses) {
    start({"--windows", "2"}, "e2e-2", {"XDG_CONFIG_HOME=" + dir_.string()});
    ASSERT_TRUE(app_->waitPrefix("drawn e2e", kWait));
    ASSERT_TRUE(xdo("windowfocus --sync " + xid_ + " key Escape"));
    ASSERT_TRUE(poll([&] { return xdoOutput("search --name '^e2e-2$'").empty(); })) << dump();
    xid_ = xdoOutput("search --name '^e2e$'");
    ASSERT_TRUE(xdo("mousemove --window " + xid_ + " 70 190 click 1"));
    ASSERT_TRUE(app_->waitPrefix("click swatch", kWait)) << dump();
    EXPECT_TRUE(linesWithPrefix("exit").empty());
    closeWithEscapeAndExpectCleanEnd();
    auto posted = linesWithPrefix("posted ");
    std::sort(posted.begin(), posted.end());
    EXPECT_EQ(posted, (std::vector<std::string>{"posted e2e", "posted e2e-2"}));
    for (const char* ini : {"e2e/e2e.ini", "e2e/e2e-2.ini"})
        EXPECT_EQ(readFile(dir_ / ini).rfind("[window]\nx=", 0), 0u) << ini;
}

// A start that cannot open its window ends at once with a message and a
// non-zero status (and, under the leak checker, without a leak).
TEST_F(e2e, FailedStartsSayWhy) {
    const std::string app = KOUI_E2E_APP, res = (dir_ / "resdata").string();
    const struct {
        std::vector<std::string> args;
        std::string message;
        int status;
    } cases[] = {
        {{app, "--res", (dir_ / "none").string()},
         "e2e: resource folder not found: " + (dir_ / "none").string(),
         1},
        {{"/usr/bin/env", "-u", "DISPLAY", app, "--res", res},
         "e2e: cannot open the window \"e2e\" (is there an X display?)",
         1},
        {{app, "--frames", "0"}, "e2e: --frames wants a count from 1 to 1000000, not \"0\"", 2},
        {{app, "--page", "x"}, "e2e: unknown option \"--page\"", 2},
    };
    for (const auto& c : cases) {
        AppProcess p;
        ASSERT_TRUE(p.start(c.args, dir_.string()));
        EXPECT_TRUE(p.waitFor([&](const std::string& l) { return l == c.message; }, kWait)) << c.message;
        EXPECT_EQ(p.wait(kWait), c.status) << c.message;
    }
}

#ifdef KOUI_HELLO_APP
// The example writes the frame of its 10th cycle and ends by itself.
TEST_F(e2e, HelloWritesItsScreenshotAndCloses) {
    const fs::path png = dir_ / "hello.png";
    AppProcess hello;
    ASSERT_TRUE(hello.start({KOUI_HELLO_APP, "--screenshot", png.string(), "--frames", "10"}, dir_.string()));
    ASSERT_TRUE(hello.waitPrefix("screenshot: ", kWait));
    EXPECT_EQ(hello.wait(kWait), 0);
    const std::string data = readFile(png);
    std::vector<uint8_t> px;
    unsigned w = 0, h = 0, bpp = 0;
    ASSERT_TRUE(
        ko::png::decodePng(px, w, h, bpp, reinterpret_cast<const uint8_t*>(data.data()), data.size()));
    // The window's background is the theme's "back" colour, #171a1f.
    EXPECT_EQ(std::tuple(w, h, px[0], px[1], px[2]), std::tuple(760u, 372u, 0x17, 0x1a, 0x1f));
}
#endif

}  // namespace
