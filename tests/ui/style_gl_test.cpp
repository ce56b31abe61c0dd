// Style keys that load GL resources: "font-type" gives the element a GL font,
// "image-make" an image whose pixel size becomes the element's size.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

#include "koui/host/canvas.h"
#include "koui/host/instance.h"
#include "koui/res/instance.h"
#include "tests/support/gl_fixture.h"
#include "tests/support/png_writer.h"
#include "tests/support/test_font.h"
#include "tests/ui/style_folder.h"
#include "tests/ui/test_tree.h"

namespace koui {
namespace {

struct StyleGlTest : test::GlTest {};

TEST_F(StyleGlTest, FontTypeAndImageMake) {
    std::vector<uint8_t> font = test::readTestFont();
    ASSERT_FALSE(font.empty()) << test::kTestFontPath;
    test::StyleFolder folder("style_gl");
    std::filesystem::create_directories(folder.root() + "/Fonts");
    std::filesystem::create_directories(folder.root() + "/Images");
    std::ofstream(folder.root() + "/Fonts/test.ttf", std::ios::binary)
        .write(reinterpret_cast<const char*>(font.data()), static_cast<std::streamsize>(font.size()));
    std::vector<uint8_t> rgba(24 * 10 * 4, 200);
    ASSERT_TRUE(test::writePng(folder.root() + "/Images/a.png", 24, 10, rgba.data()));
    folder.write(R"(fonts {
  tip { font src: "Fonts/test.ttf" size: 16 }
}
pics {
  imgsrc
  src: "Images/a.png"
}
panel {
  font-type: fonts.tip
  image-make: pics
  image-flags: "scale"
}
)");
    std::unique_ptr<Instance> inst(CreateInstance(folder.root(), "", "res.kor", nullptr));
    ASSERT_TRUE(inst->resInstance->isOK());
    Canvas* canvas = inst->CreateCanvas();
    Div* d = (new test::Probe())->Create("", canvas, 0, 0, 5, 5, nullptr, 0, "panel");
    EXPECT_NE(d->styleFont, nullptr);
    EXPECT_EQ(d->styleFont, d->font("fonts.tip"));
    EXPECT_TRUE(d->styleImage.isValid());
    EXPECT_FLOAT_EQ(d->size[0], 24);
    EXPECT_FLOAT_EQ(d->size[1], 10);
    EXPECT_EQ(d->imageFlags, 0x2u);
    delete canvas;
    inst.reset();
}

}  // namespace
}  // namespace koui
