#include "koui/res/srcfile.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "koui/res/node.h"
#include "parse_helpers.h"

using koui::res::Node;
using koui::res::SrcFile;
using koui::res::SrcLine;
using koui::test::parameters;
using koui::test::parse;
using ::testing::ElementsAre;
using Strings = std::vector<std::string>;

namespace {

constexpr int kAnyLine = -99;  // a table entry that does not check the line

Strings lineTexts(const SrcFile& src) {
    Strings out;
    for (const SrcLine& l : src.lines()) out.push_back(l.text);
    return out;
}

// ---------------------------------------------------------------- lines

TEST(SrcFileLines, BreakPairsAndDoubledBreaks) {
    SrcFile src;
    Node root("root");
    src.Process(&root, std::string_view("a\r\nb\n\rc\r\rd"));
    EXPECT_THAT(lineTexts(src), ElementsAre("a", "b", "c", ""));
    for (size_t i = 0; i < src.lines().size(); ++i) EXPECT_EQ(src.lines()[i].line, static_cast<int>(i));

    src.Process(&root, std::string_view("a\r\nb\n\rc\r\rd\n"));
    EXPECT_THAT(lineTexts(src), ElementsAre("a", "b", "c", "", "d"));
    src.Process(&root, std::string_view("\n\nx\r\n\r\n"));
    EXPECT_THAT(lineTexts(src), ElementsAre("", "", "x", ""));
}

TEST(SrcFileLines, EmptyDataLeavesRootAlone) {
    SrcFile src;
    Node root("root");
    EXPECT_FALSE(src.Process(&root, std::string_view("")));
    EXPECT_TRUE(root.children.empty());
    EXPECT_TRUE(root.errors.empty());
    EXPECT_FALSE(src.Process(nullptr, std::string_view("a\n")));
}

TEST(SrcLineTest, EmptyAndCommentUseBlankBytes) {
    EXPECT_TRUE(SrcLine(0, "").isEmpty());
    EXPECT_FALSE(SrcLine(0, " \t\x7f\x80\xff").isEmpty());  // 0x7f (DEL) is not blank
    EXPECT_TRUE(SrcLine(0, " \t\x01\x80\xff").isEmpty());
    EXPECT_TRUE(SrcLine(0, "  # note").isComment());
    EXPECT_TRUE(SrcLine(0, "\xc3\xa9#x").isComment());
    EXPECT_FALSE(SrcLine(0, "x # note").isComment());
    EXPECT_FALSE(SrcLine(0, "").isComment());
}

// ---------------------------------------------------------------- statements

// The top-level names a text gives, in order: comma, comment, quote, brace
// and stray-parenthesis rules.
TEST(SrcFileTokens, TopLevelNames) {
    const struct {
        std::string text;
        Strings names;
    } cases[] = {
        {"  # note\nx: #123\n# a: 1", {"x"}},  // comments only at the line start
        {"a: 1 b: 2", {"a", "b"}},
        {"a ,b", {"a", "b"}},
        {"a, b, c", {"a,", "b,", "c"}},
        {"x: f(1), y: 2", {"x", "y"}},
        {"a { } ,b", {"a", ",b"}},  // after '}' a comma begins the next token
        {"k: \"abc\"def n", {"k", "n"}},
        {std::string("a: b\0c: d\ne: f", 14), {"a", "e"}},  // a zero byte ends the line
        {"k: !<[[ a\r\r# not a comment\r  }{\"\r]]> next", {"k", "next"}},
        {"k: !<[[ a: {b} ( \"c ]]>z: 1", {"k", "z"}},
        {"a ) b\n) x: 1 ))\nf: g(1)) c", {"a", "b", "x", "f", "c"}},
        {"a{b{c}} d {\n  e: 1\n  f\n}\n", {"a", "d"}},
        {"k: {\n x\n}", {"k", ""}},  // colon before brace: empty parameter and block
        {"f: rgb(1, 2,3)", {"f"}},
        {"k: !<[[\nx y\n]]>", {"k"}},
    };
    for (const auto& c : cases) {
        auto p = parse(c.text);
        EXPECT_TRUE(p->ok) << c.text;
        EXPECT_EQ(p->names(), c.names) << c.text;
    }
}

// The value (and, where it matters, the line) a statement ends with.
TEST(SrcFileTokens, Values) {
    const struct {
        std::string text, path, value;
        int line = kAnyLine;
    } cases[] = {
        {"  # note\nx: #123\n# a: 1", "x", "#123"},
        {"a: 1 b: 2", "a", "1"},
        {"a: 1 b: 2", "b", "2"},
        {"a: 1, b: 2", "a", "1,"},
        {"a: 1, b: 2", "b", "2"},
        {"x: f(1), y: 2", "y", "2"},
        {std::string("a: b\0c: d\ne: f", 14), "a", "b"},
        {"k: \"two words\"", "k", "two words"},
        {"k: \"abc\"def", "k", "abc"},
        {"k: \"a{b}:c\" n", "k", "a{b}:c"},
        // Unterminated: the rest of the line, quote, blanks and delimiters included.
        {"k: \"ab { c: d", "k", "\"ab { c: d"},
        {"\"my key\": 3", "my key", "3"},
        {"name: caf\xc3\xa9\nq: \"caf\xc3\xa9\"", "name", "caf"},  // bytes above ASCII are blank
        {"name: caf\xc3\xa9\nq: \"caf\xc3\xa9\"", "q", "caf\xc3\xa9"},
        {"k:\n\n# comment\n  v", "k", "v", 3},         // the line where the statement ends
        {"k:   \t\nv", "k", "v"},                      // trailing blanks after the colon change nothing
        {"k: !<[[\nx y\n]]>", "k", "\r\nx y\r\n", 2},  // raw lines joined with CR LF
        // Whatever the file's breaks, comment and empty lines and blanks are kept.
        {"k: !<[[ a\r\r# not a comment\r  }{\"\r]]> next", "k", " a\r\n\r\n# not a comment\r\n  }{\"\r\n"},
        {"k: !<[[ a: {b} ( \"c ]]>z: 1", "k", " a: {b} ( \"c "},
        {"k: !<[[ a: {b} ( \"c ]]>z: 1", "z", "1"},
        {"k: !<[[]]>", "k", ""},
        {"k: !<[[]]]>", "k", "]"},
        {"a ) b\n) x: 1 ))\nf: g(1)) c", "x", "1"},
        {"a{b{c}} d {\n  e: 1\n  f\n}\n", "d.e", "1"},
        {"a{b{c}} d {\n  e: 1\n  f\n}\n", "d.f", "", 2},
        {"a{b{c}} d {\n  e: 1\n  f\n}\n", "d", "", 0},
        {"a{b{c}} d {\n  e: 1\n  f\n}\n", "a.b.c", ""},
        {"k: {\n x\n}", "k", ""},
        {"k: {\n x\n}", ".x", ""},
    };
    for (const auto& c : cases) {
        auto p = parse(c.text);
        const Node* node = p->at(c.path);
        ASSERT_NE(node, nullptr) << c.text << " / " << c.path;
        EXPECT_EQ(node->valueText, c.value) << c.text << " / " << c.path;
        EXPECT_EQ(c.line == kAnyLine ? kAnyLine : node->line, c.line) << c.text << " / " << c.path;
    }
    auto p = parse("a{b{c}} d {\n  e: 1\n  f\n}\n");
    EXPECT_TRUE(p->at("a.b.c")->isFlag());
    EXPECT_EQ(p->at("d.e")->parent, p->at("d"));
    EXPECT_TRUE(parse("k: {\n x\n}")->root->children[0]->isFlag());
}

// ---------------------------------------------------------------- functions

TEST(SrcFileFunctions, ParameterLists) {
    const struct {
        std::string text;
        Strings pars;
        int line = kAnyLine;
    } cases[] = {
        {"f: rgb(1, 2,3)", {"1", "2", "3"}},
        {"f: g()", {""}},
        {"f: g(,x)", {"", "x"}},
        {"f: g(a b)", {"a", "b"}},
        {"f: g(a{b}:c(d, e)", {"a{b}:c(d", "e"}},  // parameters may hold { } : and (
        // Quoted parameters drop what follows the quote up to ',' or ')'.
        {"f: g(\"a, b\"zz, \"c)\")", {"a, b", "c)"}},
        {"f: g(!<[[a, b)]]> , x)", {"a, b)", "x"}},
        {"f: g(1\n,2)", {"", "2"}, 1},
        {"f: g(1,\n   2,\n3)", {"1", "2", "3"}, 2},
    };
    for (const auto& c : cases) {
        auto p = parse(c.text);
        ASSERT_NE(p->at("f"), nullptr) << c.text;
        EXPECT_EQ(parameters(p->at("f")), c.pars) << c.text;
        EXPECT_EQ(c.line == kAnyLine ? kAnyLine : p->at("f")->line, c.line) << c.text;
    }
    auto p = parse("f: rgb(1, 2,3)");
    EXPECT_EQ(p->at("f")->func, "rgb");
    EXPECT_EQ(p->at("f")->valueText, "");
    p = parse("x: f(1), y: 2");
    EXPECT_EQ(p->at("x")->func, "f");
    EXPECT_THAT(parameters(p->at("x")), ElementsAre("1"));
}

TEST(SrcFileFunctions, NameComesFromLastPendingKey) {
    auto p = parse("g(1)\nk: 1\nh(2)");
    ASSERT_THAT(p->names(), ElementsAre("", "k", "k"));
    EXPECT_EQ(p->root->children[0]->func, "g");
    EXPECT_EQ(p->root->children[2]->func, "h");
    EXPECT_EQ(p->root->children[2]->valueText, "");
}

// ---------------------------------------------------------------- errors

// Each fault stops parsing with exactly one message; the nodes made until
// then remain.
TEST(SrcFileErrors, OneMessageAndTheNodesSoFar) {
    const std::string tooMany = "-1: class koui::res::Node / (root) : Too many closing brackets";
    const struct {
        std::string text;
        std::string error;
        Strings names;
        int stopLine = kAnyLine;
    } cases[] = {
        {"a\n}\nb", tooMany, {"a"}, 1},
        // The '}' in the list closed `a`, so the last one is one too many.
        {"a {\n f: g(1, !<[[x]]>}\n b\n}", tooMany, {"a", "b"}},
        {"a {\n  b {\n    c: 1\n  }\n  d {\n",
         "4: class koui::res::Node / (d) : Closing bracket missing",
         {"a"}},
        {"a {\n  k: !<[[ text\n  more\n",
         "0: class koui::res::Node / (a) : STOP.   Error reading string",
         {"a"},
         1},
        {"x: 1\nf: grad(1, !<[[ a\n",
         "-1: class koui::res::Node / (root) : STOP.   Error reading parameters for grad",
         {"x"}},
        {"}\n}\na {", tooMany, {}},  // only the first error is recorded
    };
    for (const auto& c : cases) {
        auto p = parse(c.text);
        EXPECT_FALSE(p->ok) << c.text;
        EXPECT_EQ(p->errors(), Strings{c.error}) << c.text;
        EXPECT_EQ(p->names(), c.names) << c.text;
        EXPECT_EQ(c.stopLine == kAnyLine ? kAnyLine : p->src.stopLine(), c.stopLine) << c.text;
    }
    auto p = parse("a {\n  b {\n    c: 1\n  }\n  d {\n");
    EXPECT_NE(p->at("a.b.c"), nullptr);
    EXPECT_NE(p->at("a.d"), nullptr);
    EXPECT_EQ(parse("a {\n  k: !<[[ text\n  more\n")->at("a.k"), nullptr);
}

}  // namespace
