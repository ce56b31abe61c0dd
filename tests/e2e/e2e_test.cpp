// End to end: real programs with real windows on the X server, driven by
// real pointer and key input (xdotool). Each test starts the test
// application (e2e_app.cpp) in a fresh folder with a copy of
// data/res.kor as resdata/res.kor, and reads what it reports on its
// standard output.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "app_process.h"
#include "koui/family/png_decoder.h"
#include "tests/support/x_display.h"

namespace {

using namespace std::chrono_literals;
using koui::test::AppProcess;
using koui::test::xdo;
using koui::test::xdoOutput;
namespace fs = std::filesystem;

constexpr auto kWait = 10s;

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

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
        char tmpl[] = "/tmp/koui-e2e-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        fs::create_directories(dir_ / "resdata");
        theme_ = readFile(fs::path(KOUI_SOURCE_DIR) / "tests/e2e/data/res.kor");
        ASSERT_FALSE(theme_.empty());
        writeFile(dir_ / "resdata/res.kor", theme_);
    }
    void TearDown() override {
        if (app_) {
            // A test that failed half-way leaves its window open: close it.
            app_->wait(0ms);
            app_.reset();
        }
        if (!dir_.empty()) fs::remove_all(dir_);
    }

    // Starts the application and waits until every window has drawn and
    // been found on the X server.
    void start(std::vector<std::string> args = {}, int windows = 1) {
        args.insert(args.begin(), KOUI_E2E_APP);
        app_ = std::make_unique<AppProcess>();
        ASSERT_TRUE(app_->start(args, dir_.string()));
        for (int i = 1; i <= windows; ++i) {
            const std::string name = "e2e-" + std::to_string(i);
            ASSERT_TRUE(app_->waitPrefix("drawn " + name, kWait)) << dump();
            std::string xid;
            ASSERT_TRUE(poll([&] { return !(xid = xdoOutput("search --name '^" + name + "$'")).empty(); }))
                << "window " << name << " not found by xdotool";
            xid_[name] = xid;
        }
        for (const auto& l : app_->lines()) {
            auto w = words(l);
            if (w.size() == 7 && w[0] == "layout")
                layout_[w[1] + "/" + w[2]] = {std::stoi(w[3]), std::stoi(w[4]), std::stoi(w[5]),
                                              std::stoi(w[6])};
        }
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

    // Focuses the window and puts the pointer at the centre of an element.
    void pointAt(const std::string& win, const std::string& elem) {
        const Rect r = layout_.at(win + "/" + elem);
        focus(win);
        ASSERT_TRUE(xdo("mousemove --sync --window " + xid_.at(win) + " " + std::to_string(r.x + r.w / 2) +
                        " " + std::to_string(r.y + r.h / 2)));
    }
    void focus(const std::string& win) { ASSERT_TRUE(xdo("windowfocus --sync " + xid_.at(win))); }

    // Sends input and waits for the line it should cause; returns the index
    // of that line.
    size_t expectAfter(const std::string& xdoArgs, const std::string& line) {
        const size_t from = app_->lineCount();
        EXPECT_TRUE(xdo(xdoArgs)) << xdoArgs;
        return expectLine(line, from);
    }
    size_t expectLine(const std::string& line, size_t from) {
        size_t at = 0;
        EXPECT_TRUE(app_->waitFor([&](const std::string& l) { return l == line; }, kWait, from, &at))
            << "no \"" << line << "\"\n"
            << dump();
        return at;
    }

    // Asks for a probe and returns the colour reported for each element.
    std::map<std::string, std::array<int, 3>> probe(const std::string& win) {
        const int seq = ++probeSeq_;
        app_->send("probe " + std::to_string(seq));
        std::map<std::string, std::array<int, 3>> out;
        const std::string prefix = "probe " + std::to_string(seq) + " " + win + " ";
        size_t from = 0;
        // Six elements: the application element and its five children.
        for (int i = 0; i < 6; ++i) {
            auto l = app_->waitPrefix(prefix, kWait, from, &from);
            if (!l) break;
            ++from;
            auto w = words(*l);
            out[w[3]] = {std::stoi(w[4]), std::stoi(w[5]), std::stoi(w[6])};
        }
        return out;
    }

    // Escape closes the window: the worker finishes, iterate reports the
    // quit once and the program ends by itself.
    void closeWithEscapeAndExpectCleanEnd(const std::string& win) {
        focus(win);
        ASSERT_TRUE(xdo("key Escape"));
        EXPECT_TRUE(app_->waitPrefix("gl.finish " + win, kWait)) << dump();
        EXPECT_TRUE(
            app_->waitFor([](const std::string& l) { return l.find("Stop_GL: Done") != l.npos; }, kWait));
        EXPECT_TRUE(app_->waitFor([](const std::string& l) { return l == "quit 1 0"; }, kWait)) << dump();
        EXPECT_TRUE(app_->waitPrefix("exit", kWait));
        EXPECT_EQ(app_->wait(kWait), 0);
        for (const auto& l : app_->lines())
            EXPECT_EQ(l.find(" 27 27"), std::string::npos) << "Escape reached " << l;
    }

    fs::path dir_;
    std::string theme_;
    std::unique_ptr<AppProcess> app_;
    std::map<std::string, std::string> xid_;
    std::map<std::string, Rect> layout_;
    int probeSeq_ = 0;
};

// A press passes outwards from the front-most element until one accepts;
// the release goes to that element wherever the pointer is; keys go to the
// element that has the focus.
TEST_F(e2e, RealInputReachesTheElementsTheCanvasRoutesItTo) {
    start();
    pointAt("e2e-1", "inner");
    const size_t from = app_->lineCount();
    ASSERT_TRUE(xdo("mousedown 1"));
    const size_t declined = expectLine("mt e2e-1 inner 0x1011 0", from);
    const size_t accepted = expectLine("mt e2e-1 outer 0x1011 1", from);
    EXPECT_LT(declined, accepted);

    // Released over another element: the pressed one still gets it.
    pointAt("e2e-1", "field");
    const size_t before = app_->lineCount();
    expectAfter("mouseup 1", "mt e2e-1 outer 0x1012 1");
    for (size_t i = before; i < app_->lines().size(); ++i)
        EXPECT_EQ(app_->lines()[i].find(" field "), std::string::npos) << app_->lines()[i];

    // The field takes the focus when pressed; keys and characters follow.
    expectAfter("click 1", "mt e2e-1 field 0x1012 1");
    const size_t typed = expectAfter("key a", "key e2e-1 field 65 65");
    expectLine("char e2e-1 field 97", typed);

    // A press on the bare application element gives it the focus back.
    const Rect app = layout_.at("e2e-1/app");
    ASSERT_TRUE(xdo("mousemove --sync --window " + xid_["e2e-1"] + " " + std::to_string(app.w - 10) + " " +
                    std::to_string(app.h - 10)));
    expectAfter("click 1", "mt e2e-1 app 0x1011 1");
    expectAfter("key b", "key e2e-1 app 66 66");

    closeWithEscapeAndExpectCleanEnd("e2e-1");
}

TEST_F(e2e, ElementClosesTheWindowThroughPostWindowMsg) {
    start();
    pointAt("e2e-1", "closer");
    expectAfter("click 1", "posted-close e2e-1");
    EXPECT_TRUE(app_->waitPrefix("gl.finish e2e-1", kWait)) << dump();
    EXPECT_TRUE(app_->waitFor([](const std::string& l) { return l == "quit 1 0"; }, kWait)) << dump();
    EXPECT_EQ(app_->wait(kWait), 0);
}

// Saving res.kor while the program runs changes what it draws within a
// second; a faulty file keeps the old look and its error is reported with
// its line.
TEST_F(e2e, EditedResourceFileChangesTheColoursAndAFaultyEditKeepsThem) {
    start();
    EXPECT_EQ(probe("e2e-1")["swatch"], (std::array<int, 3>{255, 0, 0}));
    EXPECT_EQ(probe("e2e-1")["outer"], (std::array<int, 3>{0x20, 0x60, 0xc0}));

    std::string green = theme_;
    green.replace(green.find("swatch: #ff0000"), 15, "swatch: #00ff00");
    const auto saved = std::chrono::steady_clock::now();
    writeFile(dir_ / "resdata/res.kor", green);
    ASSERT_TRUE(poll([&] { return probe("e2e-1")["swatch"] == std::array<int, 3>{0, 255, 0}; }, 3s));
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - saved);
    EXPECT_LT(took.count(), 1000) << "the change took " << took.count() << " ms to show";
    std::printf("the edit showed after %d ms\n", static_cast<int>(took.count()));

    // A font of size 0 where the colour was: the file parses, but the tree
    // does not process.
    std::string faulty = green;
    const size_t at = faulty.find("swatch: #00ff00");
    faulty.replace(at, 15, "swatch { font size: 0 }");
    const int line = 1 + static_cast<int>(std::count(faulty.begin(), faulty.begin() + at, '\n'));
    char expected[64];
    std::snprintf(expected, sizeof expected, "log [ERROR]  0 : Line %4d = \"", line);
    const size_t from = app_->lineCount();
    writeFile(dir_ / "resdata/res.kor", faulty);
    EXPECT_TRUE(app_->waitFor(
        [&](const std::string& l) {
            return l.rfind(expected, 0) == 0 && l.find("font: Invalid size (0)") != l.npos;
        },
        3s, from))
        << "expected: " << expected << "...font: Invalid size (0)\n"
        << dump();
    EXPECT_EQ(probe("e2e-1")["swatch"], (std::array<int, 3>{0, 255, 0}));
    EXPECT_EQ(probe("e2e-1")["outer"], (std::array<int, 3>{0x20, 0x60, 0xc0}));
    closeWithEscapeAndExpectCleanEnd("e2e-1");
}

TEST_F(e2e, TwoWindowsDrawOnTheirOwnGLThreads) {
    start({"--windows", "2"}, 2);
    std::map<std::string, std::string> threads;
    std::string mainThread;
    for (const auto& l : app_->lines()) {
        auto w = words(l);
        if (w.size() == 3 && w[0] == "gl.start") threads[w[1]] = w[2];
        if (w.size() == 2 && w[0] == "main") mainThread = w[1];
    }
    ASSERT_EQ(threads.size(), 2u) << dump();
    EXPECT_NE(threads["e2e-1"], threads["e2e-2"]);
    EXPECT_NE(threads["e2e-1"], mainThread);
    EXPECT_NE(threads["e2e-2"], mainThread);
    for (const char* win : {"e2e-1", "e2e-2"}) {
        auto colours = probe(win);
        EXPECT_EQ(colours["app"], (std::array<int, 3>{0x20, 0x20, 0x20})) << win;
        EXPECT_EQ(colours["swatch"], (std::array<int, 3>{255, 0, 0})) << win;
    }
    // Closing one window ends the program; the other is taken down with it.
    focus("e2e-2");
    ASSERT_TRUE(xdo("key Escape"));
    EXPECT_TRUE(app_->waitPrefix("gl.finish e2e-2", kWait)) << dump();
    EXPECT_TRUE(app_->waitPrefix("gl.finish e2e-1", kWait)) << dump();
    EXPECT_EQ(app_->wait(kWait), 0);
}

TEST_F(e2e, PlacementSavedAtCloseIsUsedAtTheNextStart) {
    const fs::path ini = dir_ / "place.ini";
    writeFile(ini, "[window]\nx=100\ny=80\nw=420\nh=320\nshow=1\n");
    auto geometry = [&] { return xdoOutput("getwindowgeometry " + xid_["e2e-1"]); };
    start({"--placement", ini.string()});
    EXPECT_TRUE(poll([&] {
        auto g = geometry();
        return g.find("Position: 100,80") != g.npos && g.find("Geometry: 420x320") != g.npos;
    })) << geometry();

    ASSERT_TRUE(xdo("windowmove --sync " + xid_["e2e-1"] + " 150 120"));
    ASSERT_TRUE(xdo("windowsize --sync " + xid_["e2e-1"] + " 360 280"));
    closeWithEscapeAndExpectCleanEnd("e2e-1");
    EXPECT_TRUE(app_->waitPrefix("placement-saved 150 120 360 280", 0ms)) << dump();

    start({"--placement", ini.string()});
    EXPECT_TRUE(poll([&] {
        auto g = geometry();
        return g.find("Position: 150,120") != g.npos && g.find("Geometry: 360x280") != g.npos;
    })) << geometry();
    closeWithEscapeAndExpectCleanEnd("e2e-1");
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
    EXPECT_EQ(w, 760u);
    EXPECT_EQ(h, 372u);
    // The window's background is the theme's "back" colour, #171a1f.
    EXPECT_EQ(px[0], 0x17);
    EXPECT_EQ(px[1], 0x1a);
    EXPECT_EQ(px[2], 0x1f);
    std::set<uint32_t> colours;
    for (size_t i = 0; i < px.size(); i += 4) colours.insert(px[i] << 16 | px[i + 1] << 8 | px[i + 2]);
    EXPECT_GT(colours.size(), 50u) << "text, panels and icons make many colours";
}
#endif

}  // namespace
