// The resource instance without GL.
#include "koui/res/instance.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "koui/res/color.h"
#include "koui/res/font.h"
#include "koui/res/imgsection.h"
#include "koui/res/imgsrc.h"
#include "tests/res/parse_helpers.h"
#include "tests/res/res_folder.h"
#include "tests/support/appmsg_capture.h"
#include "tests/support/test_font.h"

namespace {

namespace fs = std::filesystem;
using koui::res::Instance;
using koui::res::Node;
using koui::test::AppMsgCapture;
using koui::test::ResFolder;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

std::vector<float> rgba(const float* c) {
    return {c[0], c[1], c[2], c[3]};
}

// Every node's path and value, to compare two trees.
std::vector<std::string> dump(const Node* root) {
    std::vector<koui::res::e_repitem> rows;
    root->generateReport(rows, 0);
    std::vector<std::string> out;
    for (const auto& row : rows)
        out.push_back(row.path + "=" + row.node->valueText + "|" + row.node->func + "|" +
                      row.node->className());
    return out;
}

constexpr const char* kTheme =
    "theme {\n"
    "  back: #ff0000\n"
    "  panel: theme.back\n"
    "  far: theme.panel\n"
    "}\n"
    "bg: theme.back\n"
    "twostep: theme.panel\n"
    "list: 1,2,3,4,5\n"
    "q: 3,4\n"
    "e: \"\"\n"
    "n: 12px\n"
    "f: 2.5e1\n"
    "flag\n";

// Each stage that fails leaves its state and exact errors; the tree built
// so far stays for the caller to inspect.
TEST(InstanceLoad, StatesAndMessages) {
    ResFolder dir("inst_load");
    dir.write("ok.kor", kTheme);
    dir.write("unclosed.kor", "a: 1\nb {\n  c: 2\n");
    dir.write("badfont.kor", "a: 1\nf {\n  font\n  size: 0\n  src: x.ttf\n}\n");
    dir.write("badimage.kor", "skin {\n  imgsrc\n  src: \"Images/a.png\"\n}\n");
    dir.write("Images/a.png", "not a png");
    dir.write("empty.kor", "");
    const std::string cannot = "-1: class koui::res::Node / (root) : instance: Cannot ";
    const struct {
        const char* file;
        Instance::State state;
        std::vector<std::string> errors;
        const char* a;  // the value of "a" in the tree so far
    } cases[] = {
        {"missing.kor", Instance::kStarted, {}, ""},
        {"unclosed.kor",
         Instance::kRead,
         {"1: class koui::res::Node / (b) : Closing bracket missing", cannot + "process source file"},
         "1"},
        {"empty.kor", Instance::kRead, {cannot + "process source file"}, ""},
        {"badfont.kor",
         Instance::kProcessing,
         {"1: class koui::res::Font / (f) : font: Invalid size (0)", cannot + "process"},
         "1"},
        {"badimage.kor",
         Instance::kLoading,
         {"0: class koui::res::ImgSrc / (skin) : Cannot decode source (Images/a.png) of extension (png)",
          "0: class koui::res::ImgSrc / (skin) : OnLoad()", cannot + "load"},
         ""},
    };
    for (const auto& c : cases) {
        AppMsgCapture capture;
        Instance inst(dir.root(), "");
        EXPECT_FALSE(inst.Load(c.file, false)) << c.file;
        EXPECT_EQ(inst.getState(), c.state) << c.file;
        EXPECT_EQ(koui::test::errorLines(inst.getRoot()), c.errors) << c.file;
        EXPECT_EQ(inst.value("a"), c.a) << c.file;
        EXPECT_TRUE(!c.errors.empty() || capture.lines().empty());  // no file: no message, the host says it
    }

    Instance inst(dir.root(), "");
    EXPECT_EQ(std::pair(inst.getState(), inst.isOK()), (std::pair<int, bool>(Instance::kNew, false)));
    EXPECT_TRUE(inst.Load("ok.kor", false));
    EXPECT_EQ(std::pair(inst.getState(), inst.isOK()), (std::pair<int, bool>(Instance::kLoaded, true)));
    EXPECT_EQ(inst.getFilePath(), fs::path(dir.root() + "/ok.kor"));
    // A second Load starts from an empty tree.
    EXPECT_TRUE(inst.Load("ok.kor", false));
    EXPECT_EQ(inst.getRoot()->children.size(), 9u);
}

// The instance of kTheme, loaded.
class InstanceTheme : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("res.kor", kTheme);
        ASSERT_TRUE(inst.Load("res.kor", false));
    }
    ResFolder dir{"inst_theme"};
    Instance inst{dir.root(), ""};
};

TEST_F(InstanceTheme, ValuesAndDefaults) {
    std::string out = "keep";
    EXPECT_EQ(std::tuple(inst.getvalue(out, "nothing"), inst.getvalue(out, "list", 5),
                         inst.getvalue(out, "list", -1)),
              std::tuple(false, false, false));
    EXPECT_EQ(out, "keep");
    EXPECT_TRUE(inst.getvalue(out, "list", 4));
    EXPECT_EQ(out, "5");
    EXPECT_EQ(inst.getvalue("bg"), "theme.back");
    EXPECT_EQ(&inst.getvalue("x"), &inst.getvalue("y"));  // one shared empty string
    // A flag has an empty value, not the default.
    EXPECT_EQ(std::tuple(inst.value("flag", "d"), inst.value("nothing", "d")), std::tuple("", "d"));
    EXPECT_EQ(std::tuple(inst.value1i("n", 7), inst.value1i("flag", 7), inst.value1i("nothing", 7)),
              std::tuple(12, 7, 7));
    EXPECT_FLOAT_EQ(inst.value1f("f", 1), 25.0f);
}

TEST_F(InstanceTheme, VectorRulesDifferFromNode) {
    // The result and the vector, which starts as {42}.
    const auto ints = [&](const char* key, int count, int def) {
        std::vector<int> v{42};
        const bool found = inst.valueiv(v, key, count, def);
        return std::pair(found, v);
    };
    using Ints = std::pair<bool, std::vector<int>>;
    EXPECT_EQ(ints("missing", 3, 9), Ints(false, {9, 9, 9}));
    EXPECT_EQ(ints("list", 3, 9), Ints(true, {1, 2, 3, 9, 9}));
    EXPECT_EQ(ints("q", 4, -1), Ints(true, {3, 4, -1, -1}));
    EXPECT_EQ(ints("list", 0, 9), Ints(true, {1, 2, 3, 4, 5}));
    EXPECT_EQ(ints("e", 0, 9), Ints(true, {}));
    std::vector<float> f;
    EXPECT_TRUE(inst.valuefv(f, "q", 3, 0.5f));
    EXPECT_THAT(f, ElementsAre(3.0f, 4.0f, 0.5f));
    EXPECT_FALSE(inst.valuefv(f, "missing", 2, 0.5f));
    EXPECT_THAT(f, ElementsAre(0.5f, 0.5f));
}

TEST_F(InstanceTheme, TypedLookupOneStepForInstanceTwoForNode) {
    const std::vector<float> red{1, 0, 0, 1}, white{1, 1, 1, 1};
    EXPECT_EQ(rgba(inst.color("theme.back")), red);
    EXPECT_EQ(rgba(inst.color("bg")), red);         // one step
    EXPECT_EQ(rgba(inst.color("twostep")), white);  // two steps: too far for the instance
    EXPECT_EQ(rgba(inst.color("nothing")), white);
    EXPECT_EQ(inst.colorvec4("bg"), glm::vec4(1, 0, 0, 1));
    // Writing through the returned pointer changes the colour itself.
    inst.color("bg")[1] = 0.5f;
    EXPECT_EQ(rgba(inst.color("theme.back")), (std::vector<float>{1, 0.5f, 0, 1}));
}

TEST(InstanceGetters, ImagesByPathOrValue) {
    ResFolder dir("inst_img");
    dir.write("res.kor",
              "skin {\n imgsrc\n src: \"Images/s.png\"\n grid: 4\n b { img pos: 1,2 size: 8 }\n}\n"
              "pick: skin.b\nsrcref: skin\nplain: theme\nfar: pick\n");
    Instance inst(dir.root(), "");
    // Definitions only: image() needs typed nodes, not textures.
    ASSERT_TRUE(inst.LoadDefinitions("res.kor", false));
    for (const char* none : {"", "nothing", "plain", "far"})  // "far": one step only
        EXPECT_FALSE(inst.image(none).isValid()) << none;
    const koui::res::Img section = inst.image("pick");
    ASSERT_TRUE(section.isValid());
    EXPECT_EQ(section.getImgBase(), inst.findNode("skin.b"));
    EXPECT_EQ(section.getSize(), glm::vec2(8, 8));
    // Not loaded, so no texture: drawing does nothing (and touches no GL).
    EXPECT_FALSE(section.draw(nullptr, 0, 0, 8, 8, nullptr, 0, 0, 1, 1, 1, 0, 0, true));
    EXPECT_EQ(inst.image("srcref").getImgBase(), inst.findNode("skin"));
    EXPECT_FALSE(inst.drawImg("nothing", nullptr, 0, 0, 0, 0, nullptr, 0, 0, 1, 1, 1));
}

TEST(InstanceResources, LoadResourceRecordsExactUsersAndPropagatesChanges) {
    ResFolder dir("inst_users");
    dir.write("res.kor", "skin { imgsrc src: \"Images/a.png\" }\nother { imgsrc src: \"Images/a.png\" }\n");
    dir.write("Images/a.png", "12345");
    dir.write("Images/empty.png", "");
    Instance inst(dir.root(), "");
    ASSERT_TRUE(inst.LoadDefinitions("res.kor", false));
    auto* skin = dynamic_cast<koui::res::ImgSrc*>(inst.findNode("skin"));
    auto* other = dynamic_cast<koui::res::ImgSrc*>(inst.findNode("other"));
    ASSERT_TRUE(skin && other);

    std::vector<uint8_t> data;
    EXPECT_EQ(inst.loadResource(skin, data, "Images/a.png", false), 5u);
    EXPECT_EQ(std::string(data.begin(), data.end()), "12345");
    EXPECT_EQ(inst.loadResource(skin, data, "Images/a.png", false), 5u);
    EXPECT_EQ(inst.loadResource(other, data, "Images/a.png", false), 5u);
    EXPECT_EQ(inst.loadResource(skin, data, "Images/missing.png", false), 0u);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(inst.loadResource(nullptr, data, "Images/empty.png", false), 0u);
    EXPECT_EQ(inst.loadResource(nullptr, data, "Images", false), 0u);  // a folder
    using Pair = std::pair<std::string, std::string>;
    EXPECT_THAT(inst.getResourceUsers(),
                ElementsAre(Pair("skin", "Images/a.png"), Pair("other", "Images/a.png"),
                            Pair("skin", "Images/missing.png")));
    EXPECT_EQ(Instance::loadResourceFromExternal(data, (dir / "Images/a.png").string()), 5u);
    EXPECT_EQ(inst.loadResourceFromCompilation(data, "Images/a.png"), 0u);  // no archive

    // A changed file reaches the image sources of exactly its path.
    const size_t before = inst.getRoot()->errors.size();
    AppMsgCapture capture;
    for (const char* nearMiss : {"Images\\a.png", "images/a.png", "Images/a.png "})
        inst.PropagateFileChange(false, nearMiss);
    EXPECT_EQ(inst.getRoot()->errors.size(), before);
    // The image sources reload: here the file does not decode, which each says.
    inst.PropagateFileChange(false, "Images/a.png");
    const std::string cannot = " : Cannot decode source (Images/a.png) of extension (png)";
    ASSERT_EQ(inst.getRoot()->errors.size(), before + 2);
    EXPECT_EQ(inst.getRoot()->errors[before].text, "class koui::res::ImgSrc / (skin)" + cannot);
    EXPECT_EQ(inst.getRoot()->errors[before + 1].text, "class koui::res::ImgSrc / (other)" + cannot);
    // With the flag set, image sources do nothing.
    inst.PropagateFileChange(true, "Images/a.png");
    EXPECT_EQ(inst.getRoot()->errors.size(), before + 2);
}

TEST(InstanceArchive, ArchiveModeNeverTouchesTheFolder) {
    ResFolder dir("inst_arch");
    dir.write("res.kor", kTheme);
    dir.write("Images/a.png", "abc");
    dir.write("Sub/Deep/x.txt", "x");
    const std::string archive = (dir / "res.koc").string();
    {
        Instance source(dir.root(), "");
        EXPECT_EQ(source.folderFileCount(), 6u);  // 3 files, 3 folders
        ASSERT_TRUE(source.Compile(archive));
        ASSERT_TRUE(source.Load("res.kor", false));
        // The archive holds the three files by resource path.
        koui::res::ResFile packed;
        ASSERT_TRUE(packed.OpenFromFile(archive));
        std::vector<std::string> names;
        for (const auto& e : packed.entries()) names.emplace_back(e.name);
        EXPECT_THAT(names, ElementsAre("Images/a.png", "Sub/Deep/x.txt", "res.kor"));

        // Compile from an instance that reads an archive is refused.
        Instance packedInstance(dir.root(), archive);
        EXPECT_FALSE(packedInstance.Compile((dir / "again.koc").string()));
    }
    // The folder named here does not exist: everything comes from the archive.
    Instance inst(dir.root() + "/absent", archive);
    EXPECT_EQ(std::pair(inst.usingComp(), inst.folderFileCount()), std::pair(true, size_t{0}));
    ASSERT_TRUE(inst.Load("res.kor", false));
    Instance fromFolder(dir.root(), "");
    ASSERT_TRUE(fromFolder.Load("res.kor", false));
    EXPECT_EQ(dump(inst.getRoot()), dump(fromFolder.getRoot()));
    EXPECT_FALSE(inst.checkForResSourceChange());
    EXPECT_FALSE(inst.checkForChangesInFolderFiles());
    std::vector<uint8_t> data;
    EXPECT_EQ(inst.loadResource(nullptr, data, "Images/a.png", false), 3u);
    EXPECT_EQ(inst.loadResourceFromCompilation(data, "Images/a.png"), 3u);
    EXPECT_THAT(inst.getResourceUsers(), IsEmpty());

    // An archive and a folder that exists: the folder is still not recorded.
    Instance both(dir.root(), archive);
    EXPECT_EQ(both.folderFileCount(), 0u);
    // A missing or empty archive is no archive.
    Instance noArchive(dir.root(), (dir / "none.koc").string());
    EXPECT_FALSE(noArchive.usingComp());
    EXPECT_EQ(noArchive.folderFileCount(), 7u);  // now with res.koc
}

TEST(InstanceChanges, DetectsByFileTime) {
    ResFolder dir("inst_change");
    dir.write("res.kor", "a: 1\n");
    dir.write("Images/a.png", "x");
    Instance inst(dir.root(), "");
    const auto changes = [&] {
        return std::pair(inst.checkForResSourceChange(), inst.checkForChangesInFolderFiles());
    };
    EXPECT_EQ(changes(), std::pair(false, false));  // not loaded yet
    ASSERT_TRUE(inst.Load("res.kor", false));
    EXPECT_EQ(changes(), std::pair(false, false));

    // A new file is recorded, not reported. (Inside a recorded folder it
    // would change that folder's write time, which is reported.)
    dir.write("new.png", "n");
    EXPECT_FALSE(inst.checkForChangesInFolderFiles());
    EXPECT_EQ(inst.folderFileCount(), 4u);
    dir.stamp("Images/a.png");
    EXPECT_TRUE(inst.checkForChangesInFolderFiles());
    EXPECT_TRUE(inst.checkForChangesInFolderFiles());  // the check does not record times
    inst.CallForChangesInFolderFiles();
    EXPECT_FALSE(inst.checkForChangesInFolderFiles());
    fs::remove(dir / "new.png");
    EXPECT_TRUE(inst.checkForChangesInFolderFiles());
    inst.CallForChangesInFolderFiles();
    EXPECT_EQ(inst.folderFileCount(), 3u);
    EXPECT_FALSE(inst.checkForChangesInFolderFiles());

    dir.stamp("res.kor");
    EXPECT_TRUE(inst.checkForResSourceChange());
    inst.CallResSourceChange();
    EXPECT_FALSE(inst.checkForResSourceChange());
}

TEST(InstanceChanges, ReloadKeepsTheOldTreeOnAFaultyFile) {
    ResFolder dir("inst_reload");
    dir.write("res.kor", "a: 1\nc: #00ff00\n");
    Instance inst(dir.root(), "");
    ASSERT_TRUE(inst.Load("res.kor", false));
    const Node* first = inst.getRoot();

    AppMsgCapture capture;
    dir.write("res.kor", "a: 2\nb {\n  c: 3\n");  // saved with an unclosed block
    const int faultyTick = dir.tick();
    inst.CallResSourceChange();
    EXPECT_EQ(inst.getRoot(), first);
    EXPECT_EQ(inst.value("a"), "1");
    EXPECT_THAT(koui::test::errorLines(inst.getRoot()), IsEmpty());  // the new tree's errors went with it
    // ... but not unseen: whoever saved the file learns why and where.
    EXPECT_THAT(
        capture.lines(),
        ElementsAre("[ERROR] Reload of res.kor failed; the loaded resources stay",
                    "[ERROR]  0 : Line    2 = \"class koui::res::Node / (b) : Closing bracket missing\""));
    EXPECT_FALSE(inst.checkForResSourceChange());  // not retried until it changes again

    // Good contents under the same time are not seen: only the time counts.
    dir.write("res.kor", "a: 3\n");
    dir.restamp("res.kor", faultyTick);
    inst.CallResSourceChange();
    EXPECT_EQ(inst.value("a"), "1");

    capture.clear();
    dir.write("res.kor", "");  // an empty file records no error: its reason is named
    inst.CallResSourceChange();
    EXPECT_THAT(capture.lines(),
                ElementsAre("[ERROR] Reload of res.kor failed; the loaded resources stay",
                            "[ERROR] Reload of res.kor: the file is empty or cannot be read"));
    capture.clear();
    std::filesystem::resize_file(dir.root() + "/res.kor", Instance::kMaxDefinitionBytes + 1);  // sparse
    dir.stamp("res.kor");
    inst.CallResSourceChange();
    EXPECT_THAT(capture.lines(),
                ElementsAre("[ERROR] " + dir.root() +
                                "/res.kor: 4194305 bytes, more than the limit of 4194304 "
                                "bytes; not read",
                            "[ERROR] Reload of res.kor failed; the loaded resources stay",
                            "[ERROR] Reload of res.kor: the file is larger than the limit of 4 MiB"));
    for (const char* faulty : {"f { font size: 0 src: x }\n", "s { imgsrc src: \"none.png\" }\n"}) {
        dir.write("res.kor", faulty);
        inst.CallResSourceChange();
        EXPECT_EQ(inst.getRoot(), first) << faulty;
    }
    EXPECT_EQ(inst.getState(), Instance::kLoaded);  // a reload never touches the state

    dir.stamp("res.kor");
    dir.write("res.kor", "a: 4\nc: #0000ff\n");
    inst.CallResSourceChange();
    EXPECT_EQ(inst.value("a"), "4");
    EXPECT_EQ(inst.colorvec4("c"), glm::vec4(0, 0, 1, 1));
    EXPECT_EQ(inst.getRoot()->getInstance(), &inst);
    EXPECT_FALSE(capture.contains("instance:"));  // a reload records no such message
}

TEST(InstanceChanges, VanishingFolderKeepsTheTree) {
    ResFolder dir("inst_vanish");
    dir.write("inner/res.kor", "a: 1\n");
    const std::string root = dir.root() + "/inner";
    Instance inst(root, "");
    ASSERT_TRUE(inst.Load("res.kor", false));
    fs::remove_all(root);

    AppMsgCapture capture;
    EXPECT_FALSE(inst.checkForResSourceChange());      // the error counts as no change
    EXPECT_TRUE(inst.checkForChangesInFolderFiles());  // recorded entries vanished
    inst.CallResSourceChange();
    inst.CallForChangesInFolderFiles();
    inst.CallForChangesInFolderFiles();
    EXPECT_EQ(inst.value("a"), "1");
    EXPECT_EQ(inst.folderFileCount(), 0u);
    EXPECT_FALSE(inst.checkForChangesInFolderFiles());
    // Said once, not on every poll.
    EXPECT_THAT(capture.lines(), ElementsAre("[ERROR] instance: cannot read the resource folder (" + root +
                                             "/); keeping the loaded resources"));
}

TEST(InstanceFonts, DefaultFontAndFontNodes) {
    const std::vector<uint8_t> ttf = koui::test::readTestFont();
    if (ttf.empty()) GTEST_SKIP() << "test font not installed";
    ResFolder dir("inst_fonts");
    dir.write("res.kor",
              "fonts {\n  big { font size: 30 src: \"Fonts/big.ttf\" }\n"
              "  broken { font size: 12 src: \"Fonts/broken.ttf\" }\n"
              "  gone { font size: 12 src: \"Fonts/gone.ttf\" }\n}\n"
              "title: fonts.big\n");
    dir.write("Fonts/big.ttf", ttf);
    dir.write("Fonts/broken.ttf", "this is no font");
    Instance inst(dir.root(), "");
    ASSERT_TRUE(inst.Load("res.kor", false));
    AppMsgCapture capture;
    // Without the default font file, only found fonts come back.
    EXPECT_EQ(inst.font("nothing"), nullptr);
    ko::gl::Font* big = inst.font("title");
    ASSERT_NE(big, nullptr);
    EXPECT_EQ(big->getPixHeight(), 30);
    EXPECT_EQ(inst.getGLFont("Fonts/big.ttf", 30), big);  // made once per path and size
    // Another size of the same file comes from the bytes already in memory:
    // one copy of the file, and no second read (the file is gone by then).
    fs::rename(dir / "Fonts/big.ttf", dir / "Fonts/big.moved");
    ko::gl::Font* small = inst.getGLFont("Fonts/big.ttf", 11);
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->getPixHeight(), 11);
    EXPECT_EQ(small->face().bytes(), big->face().bytes());
    fs::rename(dir / "Fonts/big.moved", dir / "Fonts/big.ttf");
    EXPECT_EQ(inst.getRoot()->font("fonts.big"), big);
    EXPECT_EQ(inst.font("fonts.broken"), nullptr);
    EXPECT_EQ(inst.getGLFont("Fonts/gone.ttf", 12), nullptr);

    // A font that could not be made is not looked for again (the default
    // font is asked for on every call) until the folder list changes.
    dir.write("Fonts/verdana.ttf", ttf);
    EXPECT_EQ(inst.font("nothing"), nullptr);
    inst.checkForChangesInFolderFiles();  // the watcher's poll records the new file
    ko::gl::Font* fallback = inst.font("nothing");
    ASSERT_NE(fallback, nullptr);
    EXPECT_EQ(fallback->getPixHeight(), 20);
    EXPECT_EQ(inst.font("fonts.broken"), fallback);  // not a font: the default instead
    EXPECT_EQ(inst.font("fonts.gone"), fallback);
    EXPECT_EQ(inst.loadFont("Fonts/big.ttf", 30), big);
    EXPECT_EQ(inst.loadFont("Fonts/gone.ttf", 30), nullptr);

    // A file that was no font is tried again once it was rewritten.
    dir.write("Fonts/broken.ttf", ttf);
    EXPECT_EQ(inst.getGLFont("Fonts/broken.ttf", 12), nullptr);
    ASSERT_TRUE(inst.checkForChangesInFolderFiles());
    inst.CallForChangesInFolderFiles();
    ko::gl::Font* repaired = inst.getGLFont("Fonts/broken.ttf", 12);
    ASSERT_NE(repaired, nullptr);
    EXPECT_EQ(repaired->getPixHeight(), 12);
}

}  // namespace
