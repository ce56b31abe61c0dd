// Element style read from a real resource folder through a UI instance:
// every key form, the colour lookup, re-reads after a reload.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>
#include <thread>
#include <tuple>

#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/res/instance.h"
#include "tests/res/res_folder.h"
#include "tests/support/appmsg_capture.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

using test::floatsAre;
using ::testing::ElementsAre;

const char* kTheme = R"(colors {
  text: #ff0000
  back: #00ff00
  alias: colors.blue
  blue: #0000ff
}
panel {
  x: "25%"
  y: 12
  width: "-10"
  height: "50%"
  align: "right,bottom"
  padding: "4,8"
  color: colors.text
  bkcolor: colors.alias
  border-color: colors.missing
  border-size: 2
  border-radius: "3.5"
  image-make: nothing
  image-align: "left,bottom"
  image-scale: "0.5"
  font-align: "justify-ex,top"
  font-offset: "3"
  font-sep: "1.5,2"
  font-sc: "2"
  font-wordwrap: TRUE
  text: "Hello"
  tooltip: "Tip"
  !ui-arrange { commands: "row 1" }
}
alt {
  align: "center,left"
  padding: "4"
  width: "-10%"
  image-flags: "scale,vflip"
  font-wordwrap: true
  x: "abc"
}
fill {
  image-make: nothing
  image-flags: "fill,unknown"
}
)";

struct StyleTest : ::testing::Test {
    test::ResFolder folder{"style"};
    std::unique_ptr<Instance> inst;
    Canvas* canvas = nullptr;

    void SetUp() override {
        folder.write("res.kor", kTheme);
        inst.reset(CreateInstance(folder.root(), folder.root() + "/none.koc", "res.kor", nullptr));
        ASSERT_TRUE(inst->resInstance->isOK());
        canvas = inst->CreateCanvas();
        inst->Iterate(0, 0, 400, 300);
    }
    void TearDown() override {
        delete canvas;
        inst.reset();
    }
    Div* styled(const std::string& style, Div* parent = nullptr) {
        Div* d = new test::Probe();
        return d->Create("", parent ? parent : canvas, 0, 0, 100, 100, nullptr, 0, style);
    }
    void cycle() { inst->Iterate(0, 0, 400, 300); }
};

TEST_F(StyleTest, EveryKeyFormOfPanel) {
    Div* d = styled("panel");
    cycle();
    EXPECT_THAT(d->pos, floatsAre(25, 12));
    EXPECT_EQ(std::tuple(int(d->posUnits), int(d->hAlign), int(d->vAlign)),
              std::tuple(0x02, 2, 2));  // x percent
    // x: 25 % of 400, then right: + 400 - 390; y: 12, then bottom: + 300 - 150.
    EXPECT_THAT(d->realSize, floatsAre(390, 150));
    EXPECT_THAT(d->realPos, floatsAre(110, 162));
    EXPECT_THAT(d->padding, floatsAre(4, 8, 4, 4));
    EXPECT_THAT(d->textColor, floatsAre(1, 0, 0, 1));
    EXPECT_THAT(d->bkColor, floatsAre(0, 0, 1, 1));
    // No border colour found: its alpha stays 0.
    EXPECT_THAT((std::array{d->borderColor[3], d->borderSize, d->borderRadius, d->imageScale}),
                floatsAre(0, 2, 3.5, 0.5));
    EXPECT_FALSE(d->styleImage.isValid());
    EXPECT_EQ(std::tuple(d->imageFlags, d->imageAlignH, d->imageAlignV, d->fontAlignH, d->fontAlignV),
              std::tuple(0x10u, 0u, 2u, 4u, 0u));
    EXPECT_THAT(d->fontOffset, ElementsAre(3, 0));
    EXPECT_THAT(d->fontSep, floatsAre(1.5, 2));
    EXPECT_THAT(d->fontScale, floatsAre(2, 1));
    // "TRUE" is not "true"; no "font-type" key, so no font.
    EXPECT_EQ(std::tuple(d->fontWordWrap, d->getText(), d->getToolTipText({0, 0}), d->arrangeCommands,
                         d->styleFont),
              std::tuple(false, "Hello", "Tip", "row 1", nullptr));
}

TEST_F(StyleTest, LaterWordsWinAndFlagsReplace) {
    Div* d = styled("alt");
    d->imageFlags = 0x10;
    d->UpdateStyle();
    cycle();
    // Percent width: 90 % of 400; x "abc" reads as 0.
    EXPECT_EQ(std::tuple(int(d->hAlign), int(d->vAlign), d->imageFlags, d->fontWordWrap),
              std::tuple(0, 0, 0xAu, true));
    EXPECT_THAT(d->padding, floatsAre(4, 4, 4, 4));
    EXPECT_THAT((std::array{d->dGetRealPixCX(), d->pos[0]}), floatsAre(360, 0));
    EXPECT_EQ(styled("fill")->imageFlags, 0x1u);  // image-make's 0x10 replaced
}

// The lookups hand their path to the resource instance (whose answers are
// checked with it); without one each gives its default.
TEST_F(StyleTest, LookupsAndStyleProtocol) {
    Div* d = styled("");
    EXPECT_EQ(d->GetStyleNode(), nullptr);
    EXPECT_EQ(d->uiSetStyle("panel"), "panel");
    EXPECT_EQ(d->getText(), "Hello");
    ASSERT_NE(d->GetStyleNode(), nullptr);
    std::string out;
    EXPECT_TRUE(d->getvalue(out, "panel.padding", 1));
    EXPECT_EQ(std::tuple(out, d->value("panel.none", "def"), d->value1i("panel.y", 0),
                         d->valueiv("panel.padding", 3, 9)),
              std::tuple("8", "def", 12, std::vector{4, 8, 9}));
    EXPECT_FLOAT_EQ(d->color("colors.back")[1], 1);
    EXPECT_STREQ(d->uiSetResID(nullptr), "");
    test::Probe loose;
    EXPECT_FALSE(loose.UpdateStyle());
    EXPECT_EQ(std::tuple(loose.value("panel.text", "d"), loose.color("x")[0], loose.font("x"),
                         loose.rmimgset("x"), loose.rmimgDraw("x", 0, 1, 1, 1, 1, 0)),
              std::tuple("d", 1.0f, nullptr, nullptr, 0x10000000));
    EXPECT_EQ(std::tuple(d->rmcolorf("nothing")[3], d->rmcolor(nullptr)), std::tuple(1.0f, nullptr));
}

TEST_F(StyleTest, ReloadRereadsAndRemovedKeysKeepTheirValues) {
    Div* parent = styled("alt");
    Div* d = styled("panel", parent);
    std::string edited = kTheme;
    edited.replace(edited.find("tooltip: \"Tip\""), 14, "");
    edited.replace(edited.find("text: \"Hello\""), 13, "text: \"Bye\"");
    folder.write("res.kor", edited);
    inst->resFlags.fetch_or(Instance::RES_CHANGED);
    cycle();
    EXPECT_EQ(d->getText(), "Bye");               // grandchild of the canvas re-read
    EXPECT_EQ(d->getToolTipText({0, 0}), "Tip");  // key gone: last value kept
    // The watcher may have seen the edit as well and raised the flag again
    // while the reload ran (a change seen mid-reload is kept for the next
    // cycle). One more cycle consumes it; with the files unchanged since the
    // reload, nothing raises it again.
    if (inst->resFlags.load() & Instance::RES_CHANGED) cycle();
    EXPECT_EQ(inst->resFlags.load() & Instance::RES_CHANGED, 0u);
    EXPECT_EQ(d->getText(), "Bye");
}

// The instance stays usable after a failed load, and the watcher keeps an
// eye on the main file: once it is fixed (or made), the next cycle loads it.
TEST(InstanceCreate, FailedLoadIsReportedAndTheFixedFileLoads) {
    for (const std::string start : {"panel {\n  x: 1\n", ""}) {  // an unclosed block; no file at all
        SCOPED_TRACE(start);
        test::ResFolder folder("broken");
        if (!start.empty()) folder.write("res.kor", start);
        test::AppMsgCapture capture;
        std::unique_ptr<Instance> inst(CreateInstance(folder.root(), "none.koc", "res.kor", nullptr));
        Canvas* canvas = inst->CreateCanvas();
        Div* d = (new test::Probe())->Create("", canvas, 0, 0, 10, 10, nullptr, 0, "panel");
        EXPECT_EQ(inst->Iterate(0, 0, 10, 10), 0);
        auto lines = capture.lines();
        ASSERT_EQ(lines.size(), start.empty() ? 1u : 3u);
        EXPECT_EQ(lines[0], "[ERROR] Cannot load uiResources");
        if (!start.empty()) {
            EXPECT_EQ(
                lines[1],
                "[ERROR]  0 : Line    1 = \"class koui::res::Node / (panel) : Closing bracket missing\"");
        }
        folder.write("res.kor", "panel { text: \"Fixed\" }\n");
        for (int i = 0; i < 1000 && !(inst->resFlags.load() & Instance::RES_CHANGED); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        inst->Iterate(0, 0, 10, 10);
        EXPECT_EQ(std::tuple(inst->resInstance->isOK(), d->getText()), std::tuple(true, "Fixed"));
        delete canvas;
    }
}

}  // namespace
}  // namespace koui
