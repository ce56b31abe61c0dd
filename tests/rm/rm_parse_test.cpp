// The classic resource manager without GL: definitions, sets, lookups, bad input.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "koui/family/module_resources.h"
#include "koui/platform/win32_names.h"
#include "koui/rm/rm.h"
#include "tests/rm/rm_fixture.h"
#include "tests/support/appmsg_capture.h"

using namespace ko::util;

namespace {

using koui::RM;
using koui::RMCImg;
using koui::RMColor;
using koui::RMFmtFont;
using koui::RMImg;
using koui::RMImgSet;
using koui::test::AppMsgCapture;
using ::testing::ElementsAre;

// The set's kind ("+" when multi-state), then each image in creation order
// as "kind:id x,y wxh", marked "!" when it comes from another source.
std::string describe(const RMImgSet* set, const RMCImg* source) {
    if (!set) return "no set";
    std::ostringstream out;
    out << set->setKind << (set->isMulti ? "+" : "");
    for (int i = 0; i < set->GetCount(); ++i) {
        const RMImg* m = set->GetByIndex(i);
        out << " | " << m->kind << ":" << m->imageId << " " << m->x << "," << m->y << " " << m->w << "x"
            << m->h << (m->source == source ? "" : "!");
    }
    return out.str();
}

class ClassicSample : public koui::test::RmFolder {
protected:
    void SetUp() override {
        koui::test::RmFolder::SetUp();
        EXPECT_EQ(rm.Create(writeSample().c_str()), 0);
        skin = rm.rmcimg("skin");
        font = rm.rmcimg("font");
    }
    RM rm;
    RMCImg* skin = nullptr;
    RMCImg* font = nullptr;
};

TEST_F(ClassicSample, TwoSourcesNextToTheDefinitionFileAndTheSetNames) {
    ASSERT_EQ(rm.imgList->GetCount(), 2);
    ASSERT_NE(skin, nullptr);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ((*rm.imgList)(0), skin);
    // Paths from the folder fallback (the test runs elsewhere), format from the extension.
    EXPECT_EQ(std::tuple(std::string(skin->attr.path), std::string(skin->attr.format), skin->attr.mask),
              std::tuple(path("skin.png"), "png", 0));
    // An id prefix renames the set; lines before the first header are ignored.
    EXPECT_NE(rm.rmimgset("renamed"), nullptr);
    EXPECT_EQ(std::tuple(rm.rmimgset("alias"), rm.rmimgset("ignored")), std::tuple(nullptr, nullptr));
    EXPECT_EQ(rm.imgSetList->GetCount(), 19);
}

// Every set of the sample with its kind and its images' exact rectangles.
TEST_F(ClassicSample, EverySetWithItsImages) {
    std::string digits = "60";
    for (int i = 0; i < 10; ++i)
        digits += " | 60:" + std::to_string('0' + i) + " " + std::to_string(i * 10) + ",0 10x16";
    const std::pair<const char*, std::string> sets[] = {
        {"img.whole", "0 | 0:0 0,0 64x64"},
        {"part.btn", "1+ | 1:0 4,8 12x10 | 1:1 4,8 12x10"},
        {"part.default", "1+ | 1:0 12,12 4x4"},
        {"bar.h", "11+ | 11:0 0,4 4x4 | 11:1 0,4 4x4 | 11:2 0,4 4x4"},
        {"bar.v", "12+ | 12:7 8,0 4x4"},
        {"strange", "1+ | 1:9 4,4 2x2"},
        {"frame", "10 | 0:5 -1,-1 0x0"},
        {"frame.default", "10 | 0:0 -1,-1 0x0"},
        {"states.rect.h", "20+ | 10:0 0,8 4x4 | 10:1 12,8 4x4 | 10:2 24,8 4x4 | 10:3 24,8 4x4"},
        {"states.rect.v", "21+ | 10:0 4,0 4x4 | 10:1 4,12 4x4"},
        {"states.part.h", "30+ | 1:0 0,0 8x8 | 1:1 8,0 8x8 | 1:2 8,0 8x8"},
        {"states.part.v", "31+ | 1:0 0,0 8x8 | 1:1 0,8 8x8"},
        {"states.hbar.h", "40+ | 11:0 0,4 4x4 | 11:1 12,4 4x4"},
        {"states.hbar.v", "41+ | 11:0 0,4 4x4 | 11:1 0,8 4x4"},
        {"states.vbar.h", "50+ | 12:0 8,0 4x4 | 12:1 12,0 4x4"},
        {"states.vbar.v", "51+ | 12:0 8,0 4x4 | 12:1 8,12 4x4"},
        {"digits", digits},
        {"letters",
         "60 | 60:65 0,16 10x16 | 60:66 10,16 10x16 | 60:32 20,16 10x16 | "
         "60:67 0,32 10x16 | 60:68 10,32 10x16"},
    };
    for (const auto& [name, images] : sets)
        EXPECT_EQ(describe(rm.rmimgset(name), images.starts_with("60") ? font : skin), images) << name;
    EXPECT_EQ(rm.rmimgset("digits")->glyphWidth, 10.0);
}

TEST_F(ClassicSample, LookupsAreExactAndFallBack) {
    RMImgSet* bar = rm.rmimgset("bar.h");
    EXPECT_EQ(bar->GetByImageID(2, 0), bar->GetByIndex(2));
    EXPECT_EQ(bar->GetByImageID(5, 0), bar->GetByIndex(0));  // fallback id
    EXPECT_EQ(rm.imgSetList->GetByImageID("bar.h"), bar);
    EXPECT_EQ(rm.rmimg("bar.h", 1, 0), bar->GetByIndex(1));
    EXPECT_EQ(rm.rmimg("bar.h", 9, 2), bar->GetByIndex(2));
    // Names are case-sensitive; ids and indexes out of range find nothing.
    EXPECT_THAT((std::vector<const void*>{rm.rmimgset("BAR.H"), bar->GetByImageID(5, 65535),
                                          rm.rmimg("bar.h", 9, 9), rm.rmimg("none", 0, 0), bar->GetByIndex(3),
                                          bar->GetByIndex(-1), (*rm.imgSetList)(99)}),
                ::testing::Each(::testing::IsNull()));
    EXPECT_EQ(rm.rmimgDraw("none", 0, 1, 1, 1, 1, 0), kMcInvalid);
    EXPECT_EQ(rm.rmimgDrawRect("none", 0, 10, 10, 1, 1, 1, 1, 0), kMcInvalid);
}

TEST_F(ClassicSample, MetricsBeforeTexturesLoad) {
    const auto minSize = [&](const char* name) {
        return std::pair(rm.rmimgset(name)->GetMinWidth(), rm.rmimgset(name)->GetMinHeight());
    };
    EXPECT_EQ(minSize("bar.h"), std::pair(12, 4));
    EXPECT_EQ(minSize("bar.v"), std::pair(4, 12));
    EXPECT_EQ(minSize("states.rect.h"), std::pair(12, 12));
    // "frame" is a whole texture, not loaded.
    EXPECT_EQ(std::tuple(rm.rmimgset("bar.h")->GetWidth(), rm.rmimgset("frame")->GetWidth(),
                         rm.rmimgset("frame")->IsReady(), rm.imgSetList->IsReady()),
              std::tuple(4, 0, false, false));
}

TEST_F(ClassicSample, ColoursFromHexIntFloatAndWords) {
    ASSERT_EQ(rm.colorList->GetCount(), 4);
    const auto rgba = [&](const char* name) {
        return std::vector<float>(rm.rmcolor(name)->rgbaf, rm.rmcolor(name)->rgbaf + 4);
    };
    EXPECT_EQ(rgba("red"), (std::vector<float>{1, 0, 0, 1}));
    EXPECT_THAT(rgba("orange"), ::testing::Pointwise(::testing::FloatEq(), {1.0f, 128 / 255.0f, 0.0f, 1.0f}));
    EXPECT_EQ(rgba("half"), (std::vector<float>{0.25f, 0.5f, 0.75f, 0.5f}));
    EXPECT_EQ(rgba("named"), (std::vector<float>{0, 0, 0, 1}));  // a word is no colour
    EXPECT_DOUBLE_EQ(rm.rmcolor("half")->rgbad[2], 0.75);
    EXPECT_EQ(rm.rmcolor("Red"), nullptr);
}

TEST_F(ClassicSample, FormattedFontsReadTheirPairs) {
    ASSERT_EQ(rm.fmtFontList->GetCount(), 2);
    // font, colour, align, scale, repeat count, spacing
    const auto pairs = [&](const char* name) {
        const RMFmtFont* f = rm.rmfmtfont(name);
        return std::tuple(std::string(f->fontId), std::string(f->colorId), f->align, f->scale, f->repCount,
                          f->xDelta);
    };
    EXPECT_EQ(pairs("title"), std::tuple(std::string("sans"), std::string("orange"), 1, 1.5, 0, 0.0));
    EXPECT_EQ(pairs("body"), std::tuple(std::string("sans"), std::string("red"), 2, 1.0, 2, 3.0));
}

// Every test has an 8 x 8 source image "a.png" in its folder.
class Classic : public koui::test::RmFolder {
protected:
    void SetUp() override {
        koui::test::RmFolder::SetUp();
        writeImage("a.png", 8, 8);
    }
    int parse(const std::string& text) {
        return rm.CreateFromBuffer(text.data(), static_cast<int>(text.size()), dirWithSlash().c_str());
    }
    RM rm;
};

TEST_F(Classic, DuplicateSourcesGiveOneImageThatKeepsItsFirstName) {
    ASSERT_EQ(parse("#source,!file,a.png,!id,first\n"
                    "one,!part,0,0,1,1\n"
                    "#source,!file,a.png,!id,second,!grid,2,3\n"
                    "two,!part,1,1,1,1\n"),
              0);
    ASSERT_EQ(rm.imgList->GetCount(), 1);
    RMCImg* image = rm.rmcimg("first");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(rm.rmcimg("second"), nullptr);
    EXPECT_EQ(image->gridX, 2);  // the later header still sets the grid
    EXPECT_EQ(describe(rm.rmimgset("two"), image), "1+ | 1:0 2,3 1x1");
    EXPECT_EQ(describe(rm.rmimgset("one"), image), "1+ | 1:0 0,0 1x1");
}

TEST_F(Classic, SourceByIndexTakesTheNewNameAndByNameReusesIt) {
    writeImage("b.png", 8, 8);
    ASSERT_EQ(parse("#source,!file,a.png,!id,a\n"
                    "#source,!file,b.png,!id,b\n"
                    "#source,!imgidx,1,!id,bee,!grid,3,1\n"
                    "x,!part,1,1,1,1\n"
                    "#source,!id,a,!grid,5,5\n"
                    "y,!part,1,1,1,1\n"),
              0);
    EXPECT_EQ(rm.rmcimg("b"), nullptr);
    RMCImg* bee = rm.rmcimg("bee");
    ASSERT_EQ(bee, (*rm.imgList)(1));
    EXPECT_EQ(describe(rm.rmimgset("x"), bee), "1+ | 1:0 3,1 1x1");
    EXPECT_EQ(describe(rm.rmimgset("y"), rm.rmcimg("a")), "1+ | 1:0 5,5 1x1");
}

TEST_F(Classic, MissingSourcesAreLoggedAndTheirEntriesSkipped) {
    AppMsgCapture capture;
    ASSERT_EQ(parse("#source,!file,missing.png,!id,m\n"
                    "lost,!part,0,0,1,1\n"
                    "#source,!id,nobody\n"
                    "lost2,!part,0,0,1,1\n"
                    "#source,!imgidx,7,!file,seven.png\n"
                    "lost3,!part,0,0,1,1\n"
                    "#source\n"
                    "lost4,!part,0,0,1,1\n"
                    "#source,!file,a.png\n"
                    "kept,!part,0,0,1,1\n"),
              0);
    EXPECT_EQ(rm.imgSetList->GetCount(), 1);
    EXPECT_NE(rm.rmimgset("kept"), nullptr);
    // A named header looks the name up first and says so when it is new.
    EXPECT_THAT(capture.lines(), ElementsAre("koui::RM resMan <3> : #SOURCE> ID (m) not found",
                                             "koui::RM resMan <3> : Cannot open missing.png",
                                             "koui::RM resMan <3> : #SOURCE> ID (nobody) not found",
                                             "koui::RM resMan <3> : Cannot open seven.png",    // by index
                                             "koui::RM resMan <3> : Cannot open seven.png"));  // then by path
}

TEST_F(Classic, OtherHeadersKeepTheSectionAndCommentsAreIgnored) {
    ASSERT_EQ(parse("#source,!file,a.png\n#images\n// not,!part,0,0,1,1\n  \nstill,!part,0,0,1,1\n#colors\n"
                    "c,#fff\n#\nd,#000\n"),
              0);
    EXPECT_NE(rm.rmimgset("still"), nullptr);
    EXPECT_EQ(rm.rmimgset("// not"), nullptr);
    EXPECT_EQ(rm.colorList->GetCount(), 2);
}

TEST_F(Classic, CommentsOnlyCreateNothing) {
    AppMsgCapture capture;
    EXPECT_EQ(parse("// one\n\n// two\r\n"), 0);
    EXPECT_EQ(rm.imgList->GetCount() + rm.imgSetList->GetCount() + rm.colorList->GetCount(), 0);
    EXPECT_TRUE(capture.lines().empty());
    double progress = -1;
    char name[260] = "x";
    EXPECT_EQ(rm.glMaintain(&progress, name), 0);
    EXPECT_EQ(progress, 100.0);
    EXPECT_STREQ(name, "");
}

TEST_F(Classic, BadSetLinesAreLoggedAndOnlySetsWithoutDefinitionAreLost) {
    AppMsgCapture capture;
    ASSERT_EQ(parse("#source,!file,a.png\n"
                    "short,!part,#01,1,2,3\n"
                    "half,!hbar,0,0,4,4,#1,0\n"
                    "nothing\n"
                    "noglyphs,!glyphset,0,0,1,1,1,0,0\n"
                    "fewglyph,!glyphset,0,0,1,1\n"
                    "multi,!mpart.h,#0,0,0,1,1\n"
                    "good,!part,0,0,1,1\n"),
              0);
    EXPECT_EQ(rm.imgSetList->GetCount(), 6);  // all but "nothing", empty sets included
    ASSERT_NE(rm.rmimgset("short"), nullptr);
    EXPECT_EQ(rm.rmimgset("short")->GetCount(), 0);
    EXPECT_EQ(describe(rm.rmimgset("half"), rm.rmcimg("")), "11+ | 11:0 0,0 4x4");
    EXPECT_NE(rm.rmimgset("good"), nullptr);
    EXPECT_THAT(
        capture.lines(),
        ElementsAre(
            "koui::RMImgSet short <3> : Image set [short] : entry from parameter 1 has too few values",
            "koui::RMImgSet short <3> : Image set [short] : no image built",
            "koui::RMImgSet half <3> : Image set [half] : entry from parameter 5 has too few values",
            "koui::RMImgSet nothing <3> : Image set [nothing] : no definition",
            "koui::RMImgSet noglyphs <3> : Image set [noglyphs] : empty glyph sequence",
            "koui::RMImgSet noglyphs <3> : Image set [noglyphs] : no image built",
            "koui::RMImgSet fewglyph <3> : Image set [fewglyph] : entry from parameter 1 has too few values",
            "koui::RMImgSet fewglyph <3> : Image set [fewglyph] : no image built",
            "koui::RMImgSet multi <3> : Image set [multi] : entry from parameter 1 has too few values",
            "koui::RMImgSet multi <3> : Image set [multi] : no image built"));
}

// Overflowing coordinates saturate; character codes are signed bytes.
TEST_F(Classic, OverflowingCoordinatesSaturateAndCodesAreSigned) {
    ASSERT_EQ(parse("#source,!file,a.png,!grid,2000000000,2000000000\nbig,!mhbar.v,#0,#1,2000000000,"
                    "2000000000,5,5,2000000000\nbig2,!glyphset,2147483647,2147483647,1,1,2147483647,"
                    "2147483647,1,abc\n#source,!file,a.png\nx,!glyphset,1,1,1,1,1,1,1,\xff\xfe\n"),
              0);
    ASSERT_NE(rm.rmimgset("big"), nullptr);
    EXPECT_EQ(rm.rmimgset("big")->GetByIndex(1)->y, 2147483647);
    EXPECT_EQ(rm.rmimgset("big2")->GetByIndex(2)->x, 2147483647);
    RMImg* glyph = rm.rmimgset("x")->GetByImageID(static_cast<signed char>('\xff'), 65535);
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(glyph->imageId, -1);
}

TEST_F(Classic, InvalidArgumentsAndMissingFiles) {
    AppMsgCapture capture;
    EXPECT_EQ(rm.CreateFromBuffer(nullptr, 10, nullptr), kMcInvalid);
    EXPECT_EQ(rm.CreateFromBuffer("x", 0, nullptr), kMcInvalid);
    EXPECT_EQ(rm.Create(nullptr), 0);
    EXPECT_EQ(rm.Create(path("none.rmd").c_str()), 0);
    EXPECT_EQ(rm.Create(dir_->path().c_str()), 0);  // a folder is not a definition file
    const std::string notFound = "koui::RM resMan <3> : Resource definition file [";
    EXPECT_THAT(capture.lines(), ElementsAre("[ERROR] RM::CreateFromBuffer / Invalid parameters",
                                             "[ERROR] RM::CreateFromBuffer / Invalid parameters",
                                             notFound + path("none.rmd") + "] NOT FOUND",
                                             notFound + dir_->path().string() + "] NOT FOUND"));
}

TEST_F(Classic, BufferNeedNotBeTerminatedAndDefaultsToTheCurrentFolder) {
    const std::string text = "#source,!file," + path("a.png") + ",!id,a\nset,!part,0,0,1,1\n#colors\nc,#fff";
    std::vector<char> bytes(text.begin(), text.end());
    bytes.push_back('X');  // not part of the definition
    EXPECT_EQ(rm.CreateFromBuffer(bytes.data(), static_cast<int>(text.size()), nullptr), 0);
    EXPECT_NE(rm.rmimgset("set"), nullptr);
    ASSERT_NE(rm.rmcolor("c"), nullptr);
    EXPECT_EQ(rm.rmcolor("cX"), nullptr);
}

TEST_F(Classic, DefinitionFromAModuleResource) {
    const std::string text = "#source,!file,a.png,!id,a\nset,!part,0,0,1,1\n";
    static int moduleTag;
    const HINSTANCE module = reinterpret_cast<HINSTANCE>(&moduleTag);
    ASSERT_TRUE(stmmRegisterResource(module, 101, "RMDEF", text.data(), text.size()));
    EXPECT_EQ(rm.Create(101, "rmdef", module, dirWithSlash().c_str()), 0);
    EXPECT_NE(rm.rmimgset("set"), nullptr);
    EXPECT_EQ(rm.Create(102, "RMDEF", module, nullptr), kMcInvalid);
    EXPECT_EQ(rm.Create(101, nullptr, module, nullptr), kMcInvalid);
    EXPECT_TRUE(stmmUnregisterResource(module, 101, "RMDEF"));
}

TEST_F(Classic, BuildImageSetResolvesEachEntrysOwnSource) {
    writeImage("b.png", 8, 8);
    ASSERT_EQ(parse("#source,!file,a.png,!id,a\n"), 0);
    const std::string b = path("b.png");
    RMImgSet* set = rm.BuildImageSet(("!hbar,#0,0,0,2,2,@a,#1,1,1,2,2," + b + ",#2,0,0,1,1,@zz").c_str(), 4);
    ASSERT_NE(set, nullptr);
    ASSERT_EQ(set->GetCount(), 2);
    EXPECT_EQ(set->GetByIndex(0)->source, rm.rmcimg("a"));
    EXPECT_EQ(set->GetByIndex(1)->source, (*rm.imgList)(1));
    EXPECT_EQ(rm.imgList->GetCount(), 2);
    EXPECT_EQ(rm.imgSetList->GetCount(), 0);  // not listed

    RMImgSet* byDefault = rm.BuildImageSet("!part,0,0,1,1,@a", 4);
    ASSERT_NE(byDefault, nullptr);
    EXPECT_EQ(byDefault->GetByIndex(0)->imageId, 4);
    delete byDefault;  // the caller may release it early

    AppMsgCapture capture;
    RMImgSet* empty = rm.BuildImageSet("!part,0,0,1,1,@zz", 0);  // built, without images
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty->GetCount(), 0);
    EXPECT_EQ(rm.BuildImageSet("", 0), nullptr);
    EXPECT_EQ(rm.BuildImageSet(nullptr, 0), nullptr);
    EXPECT_TRUE(capture.contains("source [@zz] not found"));
}

TEST_F(Classic, WholeImagesByIdAndByPath) {
    ASSERT_EQ(parse("#source,!file,a.png,!id,a\n"), 0);
    RMImg* byId = rm.GetImageByID("a");
    ASSERT_NE(byId, nullptr);
    EXPECT_EQ(std::tuple(byId->source, byId->kind, byId->x, byId->w), std::tuple(rm.rmcimg("a"), 0, -1, 0));
    EXPECT_EQ(rm.GetImageByID("b"), nullptr);

    RMImg* byPath = rm.GetImageFromFilePath("p", path("a.png").c_str(), "png", 3553, 1, 1);
    ASSERT_NE(byPath, nullptr);
    EXPECT_NE(byPath->source, rm.rmcimg("a"));  // the mask flag makes it another image
    EXPECT_EQ(byPath->source->attr.mask, 1);
    EXPECT_EQ(rm.GetImageFromFilePath("q", path("none.png").c_str(), nullptr, 3553, 1, 0), nullptr);
    delete byId;  // released early by its holder; the manager must not release it again
}

// Index lists of a set line (default 0), at most ten.
TEST(ClassicSetText, Indexes) {
    int ids[10];
    EXPECT_EQ(RMImgSet::GetIndexesFromStr(ids, "#0129", 0), 4);
    EXPECT_THAT(std::vector<int>(ids, ids + 4), ElementsAre(0, 1, 2, 9));
    EXPECT_EQ(RMImgSet::GetIndexesFromStr(ids, "#", 0), 1);
    EXPECT_EQ(ids[0], 0);
    EXPECT_EQ(RMImgSet::GetIndexesFromStr(ids, "#012345678901234", 0), 10);
    EXPECT_EQ(ids[9], 9);
}

TEST_F(Classic, ColourAndFontLinesThatFail) {
    AppMsgCapture capture;
    // A line whose first parameter is empty never reaches a list.
    ASSERT_EQ(parse("#colors\nnovalue\nnovalue2,\n,#fff\n#formatfonts\n,font=x\n"), 0);
    EXPECT_EQ(rm.colorList->GetCount(), 0);
    EXPECT_EQ(rm.fmtFontList->GetCount(), 0);
    EXPECT_THAT(capture.lines(),
                ElementsAre("koui::RMColorList colorList <3> : Creating color from \"novalue\"",
                            "koui::RMColorList colorList <3> : Creating color from \"novalue2,\""));
}

}  // namespace
