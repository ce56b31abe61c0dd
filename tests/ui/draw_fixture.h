// Shared set-up of the element drawing tests on real GL: a resource folder
// with colours, a font, one image and the styles the tests draw, a UI
// instance over it with one canvas, and a frame that runs the instance's
// cycle into the window.
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

inline const char* const kDrawTheme = R"(colors {
  red: #ff0000
  green: #00ff00
  blue: #0000ff
  black: #000000
}
fonts {
  tip { font src: "Fonts/test.ttf" size: 16 }
}
pics {
  imgsrc
  src: "Images/green.png"
}
framed {
  bkcolor: colors.red
  border-color: colors.black
  border-size: 2
}
round {
  bkcolor: colors.red
  border-color: colors.blue
  border-radius: 10
}
pictured {
  bkcolor: colors.red
  image: pics
  image-flags: "fill"
}
plain-red { bkcolor: colors.red }
plain-green { bkcolor: colors.green }
plain-blue { bkcolor: colors.blue }
!tooltip {
  tip-font: fonts.tip
  tip-color-back: colors.blue
  tip-color-font: colors.green
  tip-color-border: colors.red
  padding: 5
  min-lenght: 50
}
)";

class DrawTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        std::vector<uint8_t> font = readTestFont();
        ASSERT_FALSE(font.empty()) << kTestFontPath;
        std::filesystem::create_directories(folder.root() + "/Fonts");
        std::filesystem::create_directories(folder.root() + "/Images");
        std::ofstream(folder.root() + "/Fonts/test.ttf", std::ios::binary)
            .write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
        std::vector<uint8_t> green(8 * 8 * 4);
        for (size_t i = 0; i < green.size(); i += 4) green[i + 1] = green[i + 3] = 255;
        ASSERT_TRUE(writePng(folder.root() + "/Images/green.png", 8, 8, green.data()));
        folder.write(kDrawTheme);
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
