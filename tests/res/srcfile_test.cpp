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

TEST(SrcFileLines, BreakPairsAndDoubledBreaks) {
    SrcFile src;
    Node root("root");
    EXPECT_FALSE(src.Process(&root, std::string_view("")));  // no data is no source
    src.Process(&root, std::string_view("a\r\nb\n\rc\r\rd"));
    EXPECT_THAT(lineTexts(src), ElementsAre("a", "b", "c", ""));
    for (size_t i = 0; i < src.lines().size(); ++i) EXPECT_EQ(src.lines()[i].line, static_cast<int>(i));

    src.Process(&root, std::string_view("a\r\nb\n\rc\r\rd\n"));
    EXPECT_THAT(lineTexts(src), ElementsAre("a", "b", "c", "", "d"));
    src.Process(&root, std::string_view("\n\nx\r\n\r\n"));
    EXPECT_THAT(lineTexts(src), ElementsAre("", "", "x", ""));
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

// The top-level names a text gives, in order, and the values its statements
// end with ("path=value"): comma, comment, quote, brace, raw-block and
// stray-parenthesis rules.
TEST(SrcFileTokens, NamesAndValues) {
    const std::string block = "a{b{c}} d {\n  e: 1\n  f\n}\n";
    const struct {
        std::string text;
        Strings names, values;
    } cases[] = {
        {"  # note\nx: #123\n# a: 1", {"x"}, {"x=#123"}},  // comments only at the line start
        {"a: 1 b: 2", {"a", "b"}, {"a=1", "b=2"}},
        {"a: 1, b: 2", {"a", "b"}, {"a=1,", "b=2"}},
        {"a ,b", {"a", "b"}, {}},
        {"a, b, c", {"a,", "b,", "c"}, {}},
        {"x: f(1), y: 2", {"x", "y"}, {"y=2"}},
        {"a { } ,b", {"a", ",b"}, {}},  // after '}' a comma begins the next token
        {std::string("a: b\0c: d\ne: f", 14), {"a", "c", "e"}, {"a=b", "c=d"}},  // a zero byte is blank
        {"k: \"two words\"", {"k"}, {"k=two words"}},
        {"k: \"abc\"def n", {"k", "n"}, {"k=abc"}},
        {"k: \"a{b}:c\" n", {"k", "n"}, {"k=a{b}:c"}},
        // Unterminated: the rest of the line, quote, blanks and delimiters included.
        {"k: \"ab { c: d", {"k"}, {"k=\"ab { c: d"}},
        {"\"my key\": 3", {"my key"}, {"my key=3"}},
        // Bytes above ASCII are blank outside quotes.
        {"name: caf\xc3\xa9\nq: \"caf\xc3\xa9\"", {"name", "q"}, {"name=caf", "q=caf\xc3\xa9"}},
        {"k:   \t\nv", {"k"}, {"k=v"}},  // trailing blanks after the colon change nothing
        // Raw blocks: lines joined with CR LF whatever the file's breaks;
        // comment and empty lines and blanks are kept.
        {"k: !<[[\nx y\n]]>", {"k"}, {"k=\r\nx y\r\n"}},
        {"k: !<[[ a\r\r# not a comment\r  }{\"\r]]> next",
         {"k", "next"},
         {"k= a\r\n\r\n# not a comment\r\n  }{\"\r\n"}},
        {"k: !<[[ a: {b} ( \"c ]]>z: 1", {"k", "z"}, {"k= a: {b} ( \"c ", "z=1"}},
        {"k: !<[[]]>", {"k"}, {"k="}},
        {"k: !<[[]]]>", {"k"}, {"k=]"}},
        {"a ) b\n) x: 1 ))\nf: g(1)) c", {"a", "b", "x", "f", "c"}, {"x=1"}},
        {block, {"a", "d"}, {"d.e=1", "d.f=", "d=", "a.b.c="}},
        {"k: {\n x\n}", {"k", ""}, {"k=", ".x="}},  // colon before brace: empty parameter and block
        {"f: rgb(1, 2,3)", {"f"}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto p = parse(c.text);
        EXPECT_TRUE(p->ok);
        EXPECT_EQ(p->names(), c.names);
        for (const std::string& value : c.values) {
            const size_t eq = value.find('=');
            const Node* node = p->at(value.substr(0, eq));
            ASSERT_NE(node, nullptr) << value;
            EXPECT_EQ(node->valueText, value.substr(eq + 1));
        }
    }
    // The line where a statement ends.
    const struct {
        std::string text, path;
        int line;
    } lines[] = {
        {"k:\n\n# comment\n  v", "k", 3}, {"k: !<[[\nx y\n]]>", "k", 2}, {block, "d.f", 2}, {block, "d", 0}};
    for (const auto& c : lines) EXPECT_EQ(parse(c.text)->at(c.path)->line, c.line) << c.text;
    auto p = parse(block);
    EXPECT_TRUE(p->at("a.b.c")->isFlag());
    EXPECT_EQ(p->at("d.e")->parent, p->at("d"));
    EXPECT_TRUE(parse("k: {\n x\n}")->root->children[0]->isFlag());
}

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
    auto p = parse("x: f(1), y: 2");
    EXPECT_EQ(p->at("x")->func, "f");
    EXPECT_THAT(parameters(p->at("x")), ElementsAre("1"));
}

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
        // An unclosed '(' would take the rest of the file, blocks and all.
        {"x: 1\ny: f(2\nz {\n w: 3\n}\n",
         "-1: class koui::res::Node / (root) : Closing bracket missing",
         {"x"},
         1},
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
