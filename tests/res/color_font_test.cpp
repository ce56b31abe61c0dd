// Colour and font nodes: parsing, conversions and their messages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "koui/res/color.h"
#include "koui/res/font.h"
#include "parse_helpers.h"
#include "tests/support/appmsg_capture.h"

using koui::res::Color;
using koui::res::Font;
using koui::res::Node;
using koui::test::parse;
using ::testing::ElementsAre;
using ::testing::FloatNear;
using ::testing::Pointwise;

namespace {

constexpr float kEps = 1e-4f;

// Parses `text`, preprocesses and processes it as the instance does.
std::unique_ptr<koui::test::Parsed> processed(const std::string& text) {
    auto p = parse(text);
    EXPECT_TRUE(p->ok);
    p->root->Preprocess(0);
    p->root->Process();
    return p;
}

std::vector<float> rgbaOf(const Node* node) {
    const auto* c = dynamic_cast<const Color*>(node);
    if (!c) return {};
    return {c->rgba[0], c->rgba[1], c->rgba[2], c->rgba[3]};
}

std::vector<float> colorOf(const std::string& value) {
    auto p = processed("c: " + value);
    return rgbaOf(p->at("c"));
}

auto rgbaIs(const std::vector<float>& expected) {
    return Pointwise(FloatNear(kEps), expected);
}

TEST(Color, HexadecimalForms) {
    EXPECT_THAT(colorOf("#fff"), rgbaIs({1, 1, 1, 1}));
    EXPECT_THAT(colorOf("#FF8000"), rgbaIs({1, 128 / 255.0f, 0, 1}));
    EXPECT_THAT(colorOf("#abcxyz"), rgbaIs({0xaa / 255.0f, 0xbb / 255.0f, 0xcc / 255.0f, 1}));
    EXPECT_THAT(colorOf("#0a0B0c"), rgbaIs({10 / 255.0f, 11 / 255.0f, 12 / 255.0f, 1}));
    // Four digits, eight digits or none are no colour: the node stays plain.
    EXPECT_TRUE(colorOf("#ff80").empty());
    EXPECT_TRUE(colorOf("#ff808080").empty());
    EXPECT_TRUE(colorOf("#").empty());
    EXPECT_TRUE(colorOf("fff").empty());
}

TEST(Color, Functions) {
    EXPECT_THAT(colorOf("rgb(255, 128)"), rgbaIs({1, 128 / 255.0f, 0, 1}));
    EXPECT_THAT(colorOf("rgba(255, 0, 0)"), rgbaIs({1, 0, 0, 0}));
    EXPECT_THAT(colorOf("rgba(0, 51, 102, 255)"), rgbaIs({0, 0.2f, 0.4f, 1}));
    EXPECT_THAT(colorOf("rgbf(2, 0, 0)"), rgbaIs({2, 0, 0, 1}));
    EXPECT_THAT(colorOf("rgbaf(0.25, 0.5, 0.75, 0.125)"), rgbaIs({0.25f, 0.5f, 0.75f, 0.125f}));
    EXPECT_THAT(colorOf("hsl(120, 100, 50)"), rgbaIs({0, 1, 0, 1}));
    EXPECT_THAT(colorOf("hsl(480, 100, 50)"), rgbaIs({0, 1, 0, 1}));
    EXPECT_THAT(colorOf("hsl(-60, 100, 50)"), rgbaIs({0, 0, 0, 1}));
    EXPECT_THAT(colorOf("hsla(0, 100, 50, 0.5)"), rgbaIs({1, 0, 0, 0.5f}));
    EXPECT_THAT(colorOf("hsl(210, 50, 40)"), rgbaIs({0.2f, 0.4f, 0.6f, 1}));
    EXPECT_TRUE(colorOf("RGB(1, 2, 3)").empty());  // case matters
}

TEST(Color, HslSectorsAndBounds) {
    struct Case {
        float h;
        std::vector<float> rgb;
    };
    // s = 1, l = 0.5 gives C = 1, m = 0; X ramps with the hue.
    const Case cases[] = {{0, {1, 0, 0}},      {30, {1, 0.5f, 0}},
                          {60, {1, 1, 0}},     {90, {0.5f, 1, 0}},
                          {120, {0, 1, 0}},    {180, {0, 1, 1}},
                          {240, {0, 0, 1}},    {300, {1, 0, 1}},
                          {330, {1, 0, 0.5f}}, {359.5f, {1, 0, 1.0f / 120}}};
    for (const Case& c : cases) {
        float out[4] = {0, 0, 0, 0};
        EXPECT_TRUE(Color::hsla2rgba(out, c.h, 1, 0.5f, 0.25f));
        EXPECT_THAT(std::vector<float>(out, out + 3), rgbaIs(c.rgb)) << "hue " << c.h;
        EXPECT_EQ(out[3], 0.25f);
    }
    // 360 belongs to no sector: the previous values stay, plus m.
    float out[4] = {0.1f, 0.2f, 0.3f, 0};
    Color::hsla2rgba(out, 360, 1, 0.75f, 1);  // C = 0.5, m = 0.5
    EXPECT_THAT(std::vector<float>(out, out + 4), rgbaIs({0.6f, 0.7f, 0.8f, 1}));
}

TEST(Font, Forms) {
    auto p = processed(
        "normal {\n  font\n  size: 14\n  src: \"Fonts/main.ttf\"\n}\n"
        "bold {\n  font: \"Fonts/bold.ttf\"\n  size: 16\n  bold\n  italic\n}\n"
        "both { font: \"Fonts/a.ttf\" src: \"Fonts/b.ttf\" size: 9px italic }\n");
    EXPECT_TRUE(p->root->errors.empty());
    const auto font = [&](const char* path) {
        const auto* f = dynamic_cast<Font*>(p->at(path));
        return f ? std::tuple(f->size, f->style, f->path) : std::tuple(0, 0, std::string("no font"));
    };
    EXPECT_EQ(font("normal"), std::tuple(14, 0, "Fonts/main.ttf"));
    EXPECT_EQ(font("bold"), std::tuple(16, Font::kBold | Font::kItalic, "Fonts/bold.ttf"));
    EXPECT_EQ(font("both"), std::tuple(9, Font::kItalic, "Fonts/a.ttf"));  // `font` wins over `src`
}

TEST(Font, Messages) {
    // (A size that is no number reads as missing: Node's number rules.)
    auto p = processed(
        "zero {\n  font\n  size: 0\n  src: a.ttf\n}\nmissing { font src: a.ttf }\n"
        "nopath {\n  font\n  size: 12\n}\n");
    EXPECT_THAT(p->errors(), ElementsAre("0: class koui::res::Font / (zero) : font: Invalid size (0)",
                                         "5: class koui::res::Font / (missing) : font: Invalid size (0)",
                                         "6: class koui::res::Font / (nopath) : No font path"));
}

}  // namespace
