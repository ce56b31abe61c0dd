// Element drawing tests on real GL: a resource folder with font, images and theme,
// a UI instance with one canvas. Fixtures set `theme`, `images`, `fontCopies` in their constructor.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/res/instance.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/png_writer.h"
#include "tests/support/test_font.h"
#include "tests/ui/style_folder.h"

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

// An opaque image of one colour, written as a PNG into the folder.
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
        std::filesystem::create_directories(folder.root() + "/Fonts");
        std::filesystem::create_directories(folder.root() + "/Images");
        for (const auto& name : fontCopies)
            std::ofstream(folder.root() + "/" + name, std::ios::binary)
                .write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
        for (const auto& img : images) {
            std::vector<uint8_t> rgba(static_cast<size_t>(img.width) * img.height * 4, 255);
            for (size_t i = 0; i < rgba.size(); i += 4)
                rgba[i] = img.colour.r, rgba[i + 1] = img.colour.g, rgba[i + 2] = img.colour.b;
            ASSERT_TRUE(writePng(folder.root() + "/" + img.file, img.width, img.height, rgba.data()));
        }
        folder.write(theme);
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

    StyleFolder folder{"draw_gl"};
    std::unique_ptr<Instance> inst;
    Canvas* canvas = nullptr;
};

}  // namespace koui::test
