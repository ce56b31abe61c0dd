// Element drawing tests on real GL: a resource folder with font, images and theme,
// a UI instance with one canvas. Fixtures set `theme`, `images`, `fontCopies` in their constructor.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/res/instance.h"
#include "tests/res/res_folder.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/png_writer.h"
#include "tests/support/test_font.h"

namespace koui::test {

inline const char* const kDrawTheme = R"(
colors { red: #ff0000 green: #00ff00 blue: #0000ff black: #000000 }
fonts { tip { font src: "Fonts/test.ttf" size: 16 } }
pics { imgsrc src: "Images/green.png" }
framed { bkcolor: colors.red border-color: colors.black border-size: 2 }
round { bkcolor: colors.red border-color: colors.blue border-radius: 10 }
pictured { bkcolor: colors.red image: pics image-flags: "fill" }
made { font-type: fonts.tip image-make: pics image-flags: "scale" }
plain-red { bkcolor: colors.red }
!tooltip {
  tip-font: fonts.tip tip-color-back: colors.blue tip-color-font: colors.green tip-color-border: colors.red
  padding: 5 min-lenght: 50
}
)";

struct SolidPng {
    std::string file;
    int width, height;
    Rgba colour;
};

class DrawTest : public GlTest {
protected:
    const char* theme = kDrawTheme;
    std::vector<SolidPng> images{{"Images/green.png", 24, 10, Rgba{0, 255, 0}}};
    std::vector<std::string> fontCopies{"Fonts/test.ttf"};

    void SetUp() override {
        GlTest::SetUp();
        if (IsSkipped() || HasFatalFailure()) return;
        std::vector<uint8_t> font = readTestFont();
        ASSERT_FALSE(font.empty()) << kTestFontPath;
        for (const auto& name : fontCopies) folder.write(name, font);
        for (const auto& img : images)
            folder.write(img.file, solidPng(img.width, img.height, img.colour.r, img.colour.g, img.colour.b));
        folder.write("res.kor", theme);
        inst.reset(CreateInstance(folder.root(), "", "res.kor", nullptr));
        ASSERT_TRUE(inst->resInstance->isOK());
        canvas = inst->CreateCanvas();
    }
    void TearDown() override {
        delete canvas;
        inst.reset();
        GlTest::TearDown();
    }
    // A plain element of `style` (empty: unstyled) under `parent` (null: the canvas).
    Div* make(Div* parent, int x, int y, int w, int h, const std::string& style, unsigned long opts = 0,
              const char* resId = nullptr) {
        return (new Div())->Create("", parent ? parent : canvas, x, y, w, h, resId, opts, style);
    }
    void frame() {
        inst->Iterate(0, 0, kWidth, kHeight);
        inst->Draw();
    }

    ResFolder folder{"draw_gl"};
    std::unique_ptr<Instance> inst;
    Canvas* canvas = nullptr;
};

}  // namespace koui::test
