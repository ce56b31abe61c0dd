// Fonts and glyph layout without any GL context: making a font, its metrics
// and FontGlyphVector::Process in every mode.
#include <gtest/gtest.h>

#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "koui/family/gl_font.h"
#include "koui/family/gl_font_list.h"
#include "koui/family/glyph_vector.h"
#include "koui/family/utf8.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/test_font.h"

namespace {

using ko::gl::Font;
using ko::gl::FontGlyphVector;
using koui::test::AppMsgCapture;
constexpr float kNone = 1e10f;  // what callers pass for "no limit"
// DejaVu Sans at 20 pixels, as FreeType hints it.
constexpr int kAscender = 19;
constexpr int kDescender = 5;
constexpr int kLineHeight = 24;

class TextLayout : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        font_ = Font::fromBytes(koui::test::readTestFont(), 20, "DejaVuSans.ttf").release();
    }
    static void TearDownTestSuite() {
        delete font_;
        font_ = nullptr;
    }
    void SetUp() override { ASSERT_TRUE(font_) << "test font missing: " << koui::test::kTestFontPath; }

    // The advance widths and kerning of `text`'s characters, summed as a reader would.
    static float sumOfAdvances(const std::string& text) {
        float sum = 0;
        uint32_t previous = 0;
        for (size_t i = 0; i < text.size(); i = ko::util::nextUtf8(text, i)) {
            const uint32_t code = ko::util::decodeUtf8(text, i).code;
            sum += font_->face().metrics(code).advance;
            if (i) sum += font_->face().kerning(previous, code);
            previous = code;
        }
        return sum;
    }
    static float rightEdge(const FontGlyphVector& v, size_t i) { return v[i].x + v[i].advance; }

    static Font* font_;
    FontGlyphVector v;
};
Font* TextLayout::font_ = nullptr;

// Bytes are Latin-1 code points.
TEST_F(TextLayout, FontMetricsAtTwentyPixelsAndLatin1Glyphs) {
    EXPECT_EQ(std::tuple(font_->getAscender(), font_->getDescender(), font_->getLineHeight()),
              std::tuple(kAscender, kDescender, kLineHeight));
    const auto& e = font_->face().metrics('e');
    const auto& eAcute = font_->face().metrics(0xE9);  // e with acute accent
    // A glyph of its own, as wide as e; the accent rises above the e.
    EXPECT_EQ(std::tuple(eAcute.glyphIndex != 0 && eAcute.glyphIndex != e.glyphIndex, eAcute.advance,
                         eAcute.inkTop < e.inkTop),
              std::tuple(true, e.advance, true));
    // Control bytes take no room and draw nothing.
    for (uint8_t c : {0x01, 0x09, 0x7F, 0x85})
        EXPECT_EQ(std::tuple(font_->face().metrics(c).advance, font_->face().metrics(c).inkWidth),
                  std::tuple(0, 0))
            << int(c);
    // A code point the font lacks (a CJK ideograph) gets U+FFFD's glyph.
    const auto& replacement = font_->face().metrics(0xFFFD);
    EXPECT_EQ(std::tuple(replacement.glyphIndex != 0, font_->face().metrics(0x4E00).glyphIndex),
              std::tuple(true, replacement.glyphIndex));
}

TEST_F(TextLayout, PresetInkBoxesMatchTheRenderedBitmaps) {
    // Layout computes bounding boxes from boxes known before rendering;
    // they must be where the glyphs really land.
    auto face = ko::gl::FontFace::create(koui::test::readTestFont(), 20, "DejaVuSans.ttf");
    ASSERT_TRUE(face);
    int rendered = 0;
    for (int b = 0; b < 256; ++b) {
        const auto& m = face->metrics(static_cast<uint8_t>(b));
        ko::gl::GlyphBitmap bitmap;
        if (!face->render(static_cast<uint8_t>(b), bitmap)) {
            EXPECT_EQ(m.inkWidth * m.inkHeight, 0) << b;
            continue;
        }
        ++rendered;
        EXPECT_EQ(std::tuple(bitmap.left, bitmap.top, bitmap.width, bitmap.height),
                  std::tuple(m.inkLeft, m.inkTop, m.inkWidth, m.inkHeight))
            << b;
    }
    EXPECT_EQ(rendered, 94 + 95);  // printable ASCII and Latin-1 glyphs; the two spaces have no ink
}

// One record per character: its code point and where it begins. An
// ill-formed sequence is one U+FFFD, as long as it could still have become a
// character; stepping back from the end meets the same starts.
TEST_F(TextLayout, OneRecordPerCharacterWithAdvancesSummingToTheWidth) {
    constexpr uint32_t R = ko::util::kReplacementChar;
    const struct {
        std::string text;
        std::vector<std::pair<uint32_t, uint32_t>> records;  // code, offset
    } cases[] = {
        {"Wo.", {{'W', 0}, {'o', 1}, {'.', 2}}},
        // Two, three and four bytes.
        {"\xC3\xBC\xCE\xBB\xD0\x96\xE2\x82\xAC\xF0\x9F\x98\x80.",
         {{0xFC, 0}, {0x3BB, 2}, {0x416, 4}, {0x20AC, 6}, {0x1F600, 9}, {'.', 13}}},
        // A cut-off sequence, a stray continuation byte, C0 (only ever
        // over-long), a surrogate's and a too large code point's leads, F5.
        {"a\xE2\x82"
         "b\x80\xC0\xED\xA0\xF4\x90\xF5",
         {{'a', 0}, {R, 1}, {'b', 3}, {R, 4}, {R, 5}, {R, 6}, {R, 7}, {R, 8}, {R, 9}, {R, 10}}},
        // A four-byte character followed by a stray continuation byte.
        {"\xF0\x9F\x98\x80\x80", {{0x1F600, 0}, {R, 4}}},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 0, 1, 1, 0, c.text));
        std::vector<std::pair<uint32_t, uint32_t>> records, back;
        for (const auto& g : v) records.emplace_back(g.code, g.offset);
        EXPECT_EQ(records, c.records) << c.text;
        for (size_t p = c.text.size(); p > 0;) {
            p = ko::util::prevUtf8(c.text, p);
            back.insert(back.begin(), {ko::util::decodeUtf8(c.text, p).code, static_cast<uint32_t>(p)});
        }
        EXPECT_EQ(back, c.records) << c.text;
        EXPECT_FLOAT_EQ(rightEdge(v, v.size() - 1), sumOfAdvances(c.text)) << c.text;
    }
    // Greek and Cyrillic have glyphs of their own; kerning reaches beyond
    // Latin-1 (A and Y with diaeresis).
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 0, 1, 1, 0, "\xCE\xBB\xD0\x96"));
    EXPECT_TRUE(v[0].advance > 0 && v[1].advance > 0 &&
                font_->face().metrics(0x3BB).glyphIndex != font_->face().metrics(0xFFFD).glyphIndex);
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 0, 1, 1, 0, "A\xC5\xB8"));
    EXPECT_EQ(v[1].x, font_->face().metrics('A').advance - 1);
    ASSERT_LT(font_->face().kerning('W', 'o'), 0) << "the sums hold a kerned pair";
}

TEST_F(TextLayout, NothingToLayOut) {
    EXPECT_FALSE(v.Process(font_, kNone, kNone, 0, 0, 1, 1, 0, "") ||
                 v.Process(nullptr, kNone, kNone, 0, 0, 1, 1, 0, "text") || !v.empty());
    float box[4] = {9, 9, 9, 9};
    EXPECT_EQ(v.calculateBoundindBox(box), 0u);
    EXPECT_EQ((std::vector<float>(box, box + 4)), (std::vector<float>{0, 0, 0, 0}));
}

TEST_F(TextLayout, SeparationAndScale) {
    FontGlyphVector plain;
    ASSERT_TRUE(plain.Process(font_, kNone, kNone, 0, 0, 1, 1, 0, "Wave"));
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 3, 0, 1, 1, 0, "Wave"));
    for (size_t i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(v[i].x, plain[i].x + 3.0f * i);
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 0, 2, 3, 0, "Wave\nWave"));
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(v[i].x, plain[i].x * 2);
        EXPECT_FLOAT_EQ(v[i].advance, plain[i].advance * 2);
    }
    EXPECT_FLOAT_EQ(v[5].y, kLineHeight * 3.0f);  // line height scaled by y
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 7, 1, 1, 0, "a\nb\nc"));
    EXPECT_FLOAT_EQ(v[4].y, 2 * (kLineHeight + 7.0f));
    EXPECT_EQ(v[4].line, 2u);
}

TEST_F(TextLayout, LineFeedsEndLinesAndGetZeroWidthRecords) {
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 0, 1, 1, 0, "ab\ncd"));
    ASSERT_EQ(v.size(), 5u);
    EXPECT_EQ(std::tuple(v[2].code, v[2].advance, v[2].x, v[3].x, v[3].y, v.lineCount()),
              std::tuple('\n', 0, rightEdge(v, 1), 0, kLineHeight, 2));
}

TEST_F(TextLayout, WrapsAfterTheLastSpaceThatFits) {
    const float twoWords = sumOfAdvances("aaa bbb");
    ASSERT_TRUE(v.Process(font_, twoWords + 1, kNone, 0, 0, 1, 1, 0, "aaa bbb ccc"));
    ASSERT_EQ(v.size(), 11u);
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(v[i].line, 0u) << i;  // the space stays behind
    for (size_t i = 8; i < 11; ++i) EXPECT_EQ(std::tuple(v[i].line, v[i].y), std::tuple(1u, kLineHeight));
    EXPECT_EQ(v[8].x, 0);
}

TEST_F(TextLayout, WordWiderThanTheBoxBreaksBetweenCharacters) {
    ASSERT_TRUE(v.Process(font_, sumOfAdvances("mmm") + 1, kNone, 0, 0, 1, 1, 0, "mmmmmmmm"));
    EXPECT_EQ(std::tuple(v.lineCount(), v[3].line, v[3].x, v[6].line), std::tuple(3, 1u, 0, 2u));
}

TEST_F(TextLayout, MaximumHeightDropsLinesThatEndBelowIt) {
    // Line boxes end at the baseline plus the descender: 5, 29, 53.
    ASSERT_TRUE(v.Process(font_, kNone, kLineHeight + kDescender, 0, 0, 1, 1, 0, "one\ntwo\nthree"));
    EXPECT_EQ(std::tuple(v.lineCount(), v.size()), std::tuple(2, 8u));  // "one\ntwo\n"
    ASSERT_TRUE(v.Process(font_, kNone, 1, 0, 0, 1, 1, 0, "one\ntwo"));
    EXPECT_EQ(v.lineCount(), 1) << "the first line is always laid out";
}

TEST_F(TextLayout, Alignment) {
    const float w = sumOfAdvances("Hi");
    ASSERT_TRUE(v.Process(font_, 200, kNone, 0, 0, 1, 1, FontGlyphVector::kCenter, "Hi"));
    EXPECT_FLOAT_EQ(v[0].x, (200 - w) / 2);
    ASSERT_TRUE(v.Process(font_, 200, kNone, 0, 0, 1, 1, FontGlyphVector::kRight, "Hi"));
    EXPECT_FLOAT_EQ(rightEdge(v, 1), 200);
    ASSERT_TRUE(v.Process(font_, 200, kNone, 0, 0, 1, 1, FontGlyphVector::kLeft, "Hi"));
    EXPECT_EQ(v[0].x, 0);
    // Without a limit the widest line is the box.
    const float wide = sumOfAdvances("Wide line");
    const float narrow = sumOfAdvances("ab");
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 0, 1, 1, FontGlyphVector::kCenter, "Wide line\nab"));
    EXPECT_EQ(v[0].x, 0);
    EXPECT_FLOAT_EQ(v[10].x, (wide - narrow) / 2);
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 0, 1, 1, FontGlyphVector::kRight, "Wide line\nab"));
    EXPECT_FLOAT_EQ(rightEdge(v, 11), wide);
}

TEST_F(TextLayout, JustifyStretchesWrappedLinesOnly) {
    const std::string text = "aa bb cc dd ee";
    const float box = sumOfAdvances("aa bb cc") + 10;
    ASSERT_TRUE(v.Process(font_, box, kNone, 0, 0, 1, 1, FontGlyphVector::kJustify, text));
    ASSERT_EQ(v[9].line, 1u);               // "dd ee" wrapped
    EXPECT_FLOAT_EQ(rightEdge(v, 7), box);  // first line reaches the right edge
    EXPECT_FLOAT_EQ(v[0].x, 0);
    EXPECT_NEAR(v[3].x - rightEdge(v, 1), v[6].x - rightEdge(v, 4), 0.01f) << "the spaces grew alike";
    EXPECT_LT(rightEdge(v, 13), box - 10);  // the last line stays left aligned
    EXPECT_EQ(v[9].x, 0);

    ASSERT_TRUE(v.Process(font_, box, kNone, 0, 0, 1, 1, FontGlyphVector::kJustifyEx, text));
    EXPECT_FLOAT_EQ(rightEdge(v, 7), box);
    EXPECT_FLOAT_EQ(rightEdge(v, 13), box);  // the last line as well
    EXPECT_EQ(v[9].x, 0);
}

TEST_F(TextLayout, BoundingBoxCoversLineBoxesAndInk) {
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 0, 1, 1, 0, "Hello\nHi"));
    float box[4];
    EXPECT_EQ(v.calculateBoundindBox(box), 8u);
    // From the first line's line box to the second one's.
    EXPECT_EQ((std::vector<float>(box, box + 4)),
              (std::vector<float>{0, -kAscender, sumOfAdvances("Hello"), kLineHeight + kDescender}));
    // Ink that leaves its cell widens the box: j reaches left of its pen.
    ASSERT_TRUE(v.Process(font_, kNone, kNone, 0, 0, 1, 1, 0, "j"));
    ASSERT_LT(font_->face().metrics('j').inkLeft, 0);
    v.calculateBoundindBox(box);
    EXPECT_EQ(box[0], font_->face().metrics('j').inkLeft);
}

TEST(FontList, FindsWhatItAddedAndRefusesBytesThatAreNoFont) {
    ko::gl::FontList list;
    EXPECT_EQ(list.find("Fonts/a.ttf", 20), nullptr);
    Font* a = list.add(koui::test::readTestFont(), "Fonts/a.ttf", 20);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(
        std::tuple(list.find("Fonts/a.ttf", 20), list.find("Fonts/a.ttf", 21), list.find("Fonts/A.ttf", 20)),
        std::tuple(a, nullptr, nullptr));
    Font* b = list.add(koui::test::readTestFont(), "Fonts/a.ttf", 12);
    ASSERT_TRUE(b && b != a);
    EXPECT_EQ(b->getPixHeight(), 12);
    EXPECT_EQ(list.add({}, "Fonts/a.ttf", 20), a) << "an existing key keeps its font";
    EXPECT_EQ(list.size(), 2u);

    AppMsgCapture capture;
    EXPECT_EQ(list.add({1, 2, 3, 4}, "Fonts/bad.ttf", 20), nullptr);
    EXPECT_EQ(list.add(koui::test::readTestFont(), "Fonts/zero.ttf", 0), nullptr);
    EXPECT_EQ(std::tuple(list.find("Fonts/bad.ttf", 20), list.size()), std::tuple(nullptr, 2u));
    EXPECT_EQ(
        capture.lines(),
        (std::vector<std::string>{"[ERROR] Font (Fonts/bad.ttf): not a font file FreeType can read (4 bytes)",
                                  "[ERROR] Font (Fonts/zero.ttf): invalid pixel size 0"}));
}

// Threads that ask for the same font share it and lay out with it at once.
TEST(FontList, ThreadsShareFontsAndLayOutConcurrently) {
    ko::gl::FontList list;
    const auto bytes = koui::test::readTestFont();
    std::vector<std::thread> threads;
    std::vector<Font*> seen(4);
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            seen[t] = list.add(bytes, "Fonts/shared.ttf", 16);
            FontGlyphVector layout;
            for (int i = 0; i < 50; ++i)
                EXPECT_TRUE(layout.Process(seen[t], 120, kNone, 0, 0, 1, 1, i % 5,
                                           "shared \xD1\x88\xD1\x80\xD0\xB8\xD1\x84\xD1\x82"));
        });
    for (auto& th : threads) th.join();
    EXPECT_EQ(std::tuple(list.size(), seen[1], seen[2], seen[3]), std::tuple(1u, seen[0], seen[0], seen[0]));
}

}  // namespace
