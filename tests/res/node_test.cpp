#include "koui/res/node.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <span>

#include "koui/res/color.h"
#include "koui/res/font.h"
#include "koui/res/imgsection.h"
#include "koui/res/imgsrc.h"
#include "parse_helpers.h"

using koui::res::Color;
using koui::res::Font;
using koui::res::ImgSection;
using koui::res::ImgSrc;
using koui::res::Node;
using koui::test::parse;
using ::testing::ElementsAre;

namespace {

using TypeCase = std::pair<const char*, const std::type_info&>;
void expectTypes(const koui::test::Parsed& p, std::span<const TypeCase> cases) {
    for (const auto& [path, type] : cases) {
        ASSERT_NE(p.at(path), nullptr) << path;
        EXPECT_TRUE(typeid(*p.at(path)) == type) << path << " is " << typeid(*p.at(path)).name();
    }
}

// Names and values: up to 15 bytes inline, longer on the heap; each text
// must survive copies, moves and reassignment across that boundary.
TEST(NodeText, LengthsAroundTheInlineLimit) {
    const std::string texts[] = {
        "", "a", std::string(14, 'b'), std::string(15, 'c'), std::string(16, 'd'), std::string(40, 'e')};
    for (const std::string& text : texts) {
        for (const std::string& before : texts) {
            koui::res::NodeText t(before);
            t = text;
            koui::res::NodeText copy(t);
            koui::res::NodeText moved(std::move(t));
            for (const koui::res::NodeText* got : {&copy, &moved}) {
                EXPECT_EQ(got->size(), text.size()) << before.size() << " -> " << text.size();
                EXPECT_EQ(std::string(got->c_str()), text) << before.size() << " -> " << text.size();
            }
            EXPECT_TRUE(t.empty());
        }
    }
}

TEST(NodeStructure, FindNodeSplitsLikeLines) {
    auto p = parse("a { x { b } }\na { { b: 2 } }");
    EXPECT_EQ(p->root->findNode(""), nullptr);
    EXPECT_EQ(p->root->findNode("a."), p->at("a"));
    EXPECT_EQ(p->root->findNode("a")->getByName("x"), p->at("a.x"));
    // "a..b": the first `a` has no child with the empty name; no backtracking.
    EXPECT_EQ(p->root->findNode("a..b"), nullptr);
    Node* second = p->root->children[1];
    EXPECT_EQ(second->findNode(".b")->valueText, "2");
    EXPECT_EQ(p->root->findNode("a.missing"), nullptr);
    EXPECT_TRUE(p->root->has("a.x.b"));
    EXPECT_FALSE(p->root->has("x"));
    // From another node, or from the root.
    Node* x = p->at("a.x");
    EXPECT_EQ(x->findNodeFromNode("b", x), p->at("a.x.b"));
    EXPECT_EQ(x->findNodeFromRoot("a.x.b"), p->at("a.x.b"));
    EXPECT_EQ(x->findNodeFromNode("a", nullptr), p->at("a"));
}

TEST(NodeStructure, FlagsAndValuesAmongChildren) {
    auto p = parse("k: v\nbold\nblock { x }\nbold: yes");
    Node* root = p->root.get();
    EXPECT_EQ(std::tuple(root->hasValue("k"), root->hasValue("block"), root->hasValue("x")),
              std::tuple(true, true, false));
    EXPECT_EQ(root->getFlag("bold"), root->children[1]);
    // A parameter has no children, so it counts as a flag.
    EXPECT_EQ(std::tuple(root->hasFlag("k"), root->hasFlag("block"), root->children[0]->isName("k"),
                         root->children[0]->isName("K")),
              std::tuple(true, false, true, false));
}

TEST(NodeGetters, ValueOfDirectChild) {
    auto p = parse("k\nv: text\nb { c: 1 }");
    Node* root = p->root.get();
    // A flag gives an empty value, not the default; only direct children count.
    EXPECT_EQ(std::tuple(root->value("k", "x"), root->value("v", "x"), root->value("missing", "x"),
                         root->value("b.c", "x")),
              std::tuple("", "text", "x", "x"));
}

// Leading numbers count, trailing text is dropped; no number or one out of
// range gives the default.
TEST(NodeGetters, NumberConversion) {
    auto p = parse(
        "a: 12px\nb: px\nc: 99999999999\nd: \" -42\"\ne: +7\nf: 0x10\ng: 2147483647\n"
        "h: 1.5em\ni: 1e999\nj: -2");
    const Node* root = p->root.get();
    const struct {
        const char* key;
        int def, expected;
    } ints[] = {{"a", 7, 12},         {"b", 7, 7},      {"c", 7, 7},
                {"d", 7, -42},        {"e", 0, 7},      {"f", 5, 0},  // base 10: "0", then text
                {"g", 0, 2147483647}, {"missing", 3, 3}};
    for (const auto& c : ints) EXPECT_EQ(root->value1i(c.key, c.def), c.expected) << c.key;
    const struct {
        const char* key;
        float expected;
    } floats[] = {{"h", 1.5f}, {"b", 9.0f}, {"i", 9.0f}, {"j", -2.0f}, {"missing", 9.0f}};
    for (const auto& c : floats) EXPECT_FLOAT_EQ(root->value1f(c.key, 9.0f), c.expected) << c.key;
}

TEST(NodeGetters, VectorForms) {
    auto p = parse("pos: 3,4\nempty: \"\"\nbox { size: 1.5,x,,2 }");
    Node* root = p->root.get();
    // The result and the vector, which starts as {99}.
    const auto ints = [&](const char* key, int count) {
        std::vector<int> v{99};
        const bool found = root->valueiv(v, key, count, -1);
        return std::pair(found, v);
    };
    using Ints = std::pair<bool, std::vector<int>>;
    EXPECT_EQ(ints("pos", 4), Ints(true, {3, 4, -1, -1}));
    EXPECT_EQ(ints("pos", 0), Ints(true, {3, 4}));
    EXPECT_EQ(ints("pos", 1), Ints(true, {3}));
    EXPECT_EQ(ints("empty", 0), Ints(true, {}));
    EXPECT_EQ(ints("missing", 2), Ints(false, {}));

    std::vector<float> f;
    EXPECT_TRUE(root->valuefv(f, "box.size", 0, 7.0f));  // dotted path; atof of "x" is 0
    EXPECT_THAT(f, ElementsAre(1.5f, 0.0f, 0.0f, 2.0f));

    int a[3] = {8, 8, 8};
    EXPECT_FALSE(root->valueiv(a, "missing", 3, 1));
    EXPECT_THAT(a, ElementsAre(8, 8, 8));
    EXPECT_TRUE(root->valueiv(a, "pos", 3, 1));
    EXPECT_THAT(a, ElementsAre(3, 4, 1));
    float b[2] = {0, 0};
    EXPECT_TRUE(root->valuefv(b, "pos", 0, 1.0f));
    EXPECT_THAT(b, ElementsAre(3.0f, 4.0f));
}

TEST(NodeGetters, SplitValues) {
    auto p = parse("list: a;;b;\nflag");
    Node* root = p->root.get();
    EXPECT_THAT(root->splitNodeValue("list", ';').items(), ElementsAre("a", "", "b"));
    EXPECT_EQ(root->splitNodeValue("flag", ';').count(), 0);
    EXPECT_EQ(root->splitNodeValue("missing", ';').count(), 0);
    EXPECT_EQ(root->findNode("list")->splitValue(';').start(), 0);
}

TEST(NodeGetters, FunctionParameters) {
    auto p = parse("f: grad(12px, 0.25, x)");
    Node* f = p->at("f");
    EXPECT_EQ(std::tuple(f->hasFunc(), f->isFunc("grad"), f->getParCount()), std::tuple(true, true, 3));
    // The third is malformed: atoi gives 0; the fourth is missing.
    EXPECT_EQ(std::tuple(f->getIntPar(0, -1), f->getIntPar(2, -1), f->getIntPar(3, -1), f->getPar(3, "def")),
              std::tuple(12, 0, -1, "def"));
    EXPECT_FLOAT_EQ(f->getFloatPar(1, -1.0f), 0.25f);
    f->pars.setStart(1);
    EXPECT_EQ(f->getParCount(), 2);
    EXPECT_EQ(f->getPar(0), "0.25");
}

TEST(NodeTyped, ColorIndirection) {
    auto p = parse(
        "theme {\n  back: #202020\n  text: rgb(240, 240, 240)\n  panel: theme.back\n}\n"
        "one: theme.panel\ntwo: one\nwrong: nothing.here\nbox { bg: #fff }\n");
    p->root->Preprocess(0);  // colours exist, not yet processed: set one by hand
    auto* back = static_cast<Color*>(p->at("theme.back"));
    back->rgba[0] = 0.125f;
    back->rgba[3] = 1.0f;
    Node* root = p->root.get();
    EXPECT_EQ(root->color("theme.back"), back->rgba);
    // "theme.panel" is one step away, "one" two, "two" three: too many.
    for (const char* path : {"theme.back", "theme.panel", "one"})
        EXPECT_EQ(root->colorvec4(path), glm::vec4(0.125f, 0, 0, 1)) << path;
    for (const char* path : {"two", "wrong", "missing"})
        EXPECT_EQ(root->colorvec4(path), glm::vec4(0)) << path;
    // Value paths resolve from the root, wherever the lookup started.
    EXPECT_EQ(p->at("box")->color("bg"), static_cast<Color*>(p->at("box.bg"))->rgba);
    EXPECT_EQ(p->at("theme")->colorvec4("panel"), glm::vec4(0.125f, 0, 0, 1));
}

TEST(NodePreprocess, ExampleTheme) {
    auto p = parse(
        "theme {\n  back: #202020\n  text: rgb(240, 240, 240)\n  panel: theme.back\n}\n"
        "skin {\n  imgsrc\n  src: \"Images/skin.png\"\n  grid: 8\n"
        "  button {\n    img\n    pos: 0,0\n    size: 64,24\n    hdist: 64\n  }\n}\n"
        "normal {\n  font\n  size: 14\n  src: \"Fonts/main.ttf\"\n}\n");
    ASSERT_TRUE(p->ok);
    EXPECT_EQ(p->root->Preprocess(0), nullptr);
    const TypeCase types[] = {{"theme", typeid(Node)},       {"theme.back", typeid(Color)},
                              {"theme.text", typeid(Color)}, {"theme.panel", typeid(Node)},
                              {"skin", typeid(ImgSrc)},      {"skin.button", typeid(ImgSection)},
                              {"normal", typeid(Font)},      {"normal.font", typeid(Node)}};
    expectTypes(*p, types);

    // The typed nodes took over the plain nodes' data and places. (Lost
    // lines or parents break the messages and lookups of typed nodes.)
    Node* text = p->at("theme.text");
    EXPECT_EQ(text->func, "rgb");
    EXPECT_THAT(koui::test::parameters(text), ElementsAre("240", "240", "240"));
    EXPECT_EQ(p->at("skin")->children.size(), 4u);
    EXPECT_THAT(p->names(), ElementsAre("theme", "skin", "normal"));
}

TEST(NodePreprocess, Choices) {
    auto p = parse(
        "hex4: #ff80\nhex3: #abcxyz\nhex6: #A0b1C2\nhexbad: #12345\nnohash: 123\n"
        "f1: RGB(1,2,3)\nf2: hsla(1,2,3,4)\nf3: grad(1)\n"
        "p { imgsrc: x }\n"     // a parameter counts as the flag
        "q { imgsrc { x } }\n"  // a child with children does not
        "r { font img }\n"      // image section before font
        "s { img imgsrc }\n");  // image source before section
    p->root->Preprocess(0);
    const TypeCase types[] = {{"hex4", typeid(Node)},   {"hex3", typeid(Color)},   {"hex6", typeid(Color)},
                              {"hexbad", typeid(Node)}, {"nohash", typeid(Node)},  {"f1", typeid(Node)},
                              {"f2", typeid(Color)},    {"f3", typeid(Node)},      {"p", typeid(ImgSrc)},
                              {"q", typeid(Node)},      {"r", typeid(ImgSection)}, {"s", typeid(ImgSrc)}};
    expectTypes(*p, types);
}

TEST(NodePreprocess, ColourWithImageFlagInOneBlock) {
    Node root("root");
    Node* both = root.add(new Node("both"));
    both->setValue("#123456");
    both->add(new Node("imgsrc"));
    root.Preprocess(0);
    ASSERT_TRUE(typeid(*root.children[0]) == typeid(Color));
    EXPECT_EQ(root.children[0]->valueText, "#123456");
    EXPECT_TRUE(typeid(*root.children[0]->children[0]) == typeid(Node));
}

struct Hooked : Node {
    Hooked(std::string n, std::vector<std::string>& log, bool ok) : Node(std::move(n)), log_(log), ok_(ok) {}
    bool OnProcess() override {
        log_.push_back("P " + name);
        return ok_ || error("bad %s", name.c_str());
    }
    bool OnLoad() override {
        log_.push_back("L " + name);
        return ok_;
    }
    std::vector<std::string>& log_;
    bool ok_;
};

TEST(NodeProcess, FailingNodeSkipsOnlyItsSubtree) {
    std::vector<std::string> log;
    Node root("root");
    Node* a = root.add(new Hooked("a", log, false));
    a->add(new Hooked("a1", log, true));
    Node* b = root.add(new Hooked("b", log, true));
    b->add(new Hooked("b1", log, true));
    EXPECT_TRUE(root.Process());
    EXPECT_THAT(log, ElementsAre("P a", "P b", "P b1"));
    ASSERT_EQ(root.errors.size(), 1u);
    EXPECT_EQ(root.errors[0].text, "class (anonymous namespace)::Hooked / (a) : bad a");
    EXPECT_FALSE(a->Process());
}

TEST(NodeProcess, ImageSectionPixelsStayInsideInt) {
    // Grid x position and slot x distance just past int's ends are refused,
    // at its ends taken.
    auto p = parse(
        "s {\n  imgsrc\n  src: a.png\n  grid: 65536,1\n"
        "  far { img pos: 32768,0 size: 1 }\n"
        "  edge { img pos: 32767,2147483647 size: 1 hdist: 65535 ver: 1 }\n"
        "  right { img pos: 0,0 size: 1 hdist: 1073741824 ver: 0,2 }\n"
        "  up { img pos: 0,0 size: 1 vdist: -1073741824 default: 3 }\n"
        "  low { img pos: 0,0 size: 1 vdist: -1073741824 default: 2 }\n}\n");
    p->root->Preprocess(0);
    p->root->Process();
    EXPECT_THAT(
        p->errors(),
        ElementsAre(
            "4: class koui::res::ImgSection / (far) : img: Position (32768,0) out of range for grid 65536x1",
            "6: class koui::res::ImgSection / (right) : img: Version slot 2 at distance 1073741824 out of "
            "range",
            "7: class koui::res::ImgSection / (up) : img: Version slot 3 at distance -1073741824 out of "
            "range"));
    int pos[2];
    EXPECT_THAT(std::span(static_cast<ImgSection*>(p->at("s.edge"))->getVerPos(pos, 0), 2),
                ElementsAre(INT_MAX, INT_MAX));
    EXPECT_THAT(std::span(static_cast<ImgSection*>(p->at("s.low"))->getVerPos(pos, 0), 2),
                ElementsAre(0, INT_MIN));
}

TEST(NodeLoad, StopsAtFirstFailure) {
    std::vector<std::string> log;
    Node root("root");
    Node* a = root.add(new Hooked("a", log, true));
    a->add(new Hooked("a1", log, false))->line = 12;
    root.add(new Hooked("b", log, true));
    EXPECT_FALSE(root.Load());
    EXPECT_THAT(log, ElementsAre("L a", "L a1"));
    ASSERT_EQ(root.errors.size(), 1u);
    EXPECT_EQ(root.errors[0].line, 12);
    EXPECT_THAT(root.errors[0].text, ::testing::EndsWith("/ (a1) : OnLoad()"));
}

TEST(NodeErrors, LongMessagesAreCut) {
    Node r("r");
    EXPECT_FALSE(r.error("%s", std::string(5000, 'x').c_str()));
    EXPECT_EQ(koui::test::errorLines(&r),
              std::vector<std::string>{"-1: class koui::res::Node / (r) : " + std::string(1023, 'x')});
}

}  // namespace
