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
using ::testing::IsEmpty;

namespace {

std::vector<std::string> lineTexts(const SrcFile& src) {
    std::vector<std::string> out;
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
    EXPECT_TRUE(SrcLine(0, " \t\x7f\x80\xff").isEmpty() == false);  // 0x7f (DEL) is not blank
    EXPECT_TRUE(SrcLine(0, " \t\x01\x80\xff").isEmpty());
    EXPECT_TRUE(SrcLine(0, "  # note").isComment());
    EXPECT_TRUE(SrcLine(0, "\xc3\xa9#x").isComment());
    EXPECT_FALSE(SrcLine(0, "x # note").isComment());
    EXPECT_FALSE(SrcLine(0, "").isComment());
}

// ---------------------------------------------------------------- tokens

TEST(SrcFileTokens, CommentsOnlyAtLineStart) {
    auto p = parse("  # note\nx: #123\n# a: 1");
    EXPECT_TRUE(p->ok);
    EXPECT_THAT(p->names(), ElementsAre("x"));
    EXPECT_EQ(p->at("x")->valueText, "#123");
}

TEST(SrcFileTokens, CommaRules) {
    auto p = parse("a: 1 b: 2");
    ASSERT_THAT(p->names(), ElementsAre("a", "b"));
    EXPECT_EQ(p->at("a")->valueText, "1");
    EXPECT_EQ(p->at("b")->valueText, "2");

    EXPECT_THAT(parse("a ,b")->names(), ElementsAre("a", "b"));
    EXPECT_THAT(parse("a, b, c")->names(), ElementsAre("a,", "b,", "c"));

    p = parse("a: 1, b: 2");
    EXPECT_EQ(p->at("a")->valueText, "1,");
    EXPECT_EQ(p->at("b")->valueText, "2");

    p = parse("x: f(1), y: 2");
    ASSERT_THAT(p->names(), ElementsAre("x", "y"));
    EXPECT_EQ(p->at("x")->func, "f");
    EXPECT_THAT(parameters(p->at("x")), ElementsAre("1"));
    EXPECT_EQ(p->at("y")->valueText, "2");

    // After '}' a comma begins the next token.
    p = parse("a { } ,b");
    EXPECT_THAT(p->names(), ElementsAre("a", ",b"));
}

TEST(SrcFileTokens, QuotedStrings) {
    EXPECT_EQ(parse("k: \"two words\"")->at("k")->valueText, "two words");
    EXPECT_EQ(parse("k: \"abc\"def")->at("k")->valueText, "abc");
    EXPECT_EQ(parse("k: \"a{b}:c\" n")->at("k")->valueText, "a{b}:c");
    EXPECT_THAT(parse("k: \"abc\"def n")->names(), ElementsAre("k", "n"));
    // Unterminated: the rest of the line, quote, blanks and delimiters included.
    EXPECT_EQ(parse("k: \"ab { c: d")->at("k")->valueText, "\"ab { c: d");
    // A quoted key.
    EXPECT_EQ(parse("\"my key\": 3")->at("my key")->valueText, "3");
}

TEST(SrcFileTokens, BytesAboveAsciiAreBlank) {
    auto p = parse("name: caf\xc3\xa9\nq: \"caf\xc3\xa9\"");
    EXPECT_EQ(p->at("name")->valueText, "caf");
    EXPECT_EQ(p->at("q")->valueText, "caf\xc3\xa9");
}

TEST(SrcFileTokens, ValueOnFollowingLine) {
    auto p = parse("k:\n\n# comment\n  v");
    ASSERT_NE(p->at("k"), nullptr);
    EXPECT_EQ(p->at("k")->valueText, "v");
    EXPECT_EQ(p->at("k")->line, 3);  // the line where the statement ends
    // Trailing blanks after the colon change nothing.
    EXPECT_EQ(parse("k:   \t\nv")->at("k")->valueText, "v");
}

TEST(SrcFileTokens, ZeroByteEndsTheLine) {
    auto p = parse(std::string("a: b\0c: d\ne: f", 14));
    EXPECT_THAT(p->names(), ElementsAre("a", "e"));
    EXPECT_EQ(p->at("a")->valueText, "b");
}

// ---------------------------------------------------------------- raw blocks

TEST(SrcFileRaw, SpanningLinesJoinedWithCrLf) {
    auto p = parse("k: !<[[\nx y\n]]>");
    ASSERT_TRUE(p->ok);
    EXPECT_EQ(p->at("k")->valueText, "\r\nx y\r\n");
    EXPECT_EQ(p->at("k")->line, 2);

    // Whatever the file's breaks, comment and empty lines and blanks are kept.
    p = parse("k: !<[[ a\r\r# not a comment\r  }{\"\r]]> next");
    EXPECT_EQ(p->at("k")->valueText, " a\r\n\r\n# not a comment\r\n  }{\"\r\n");
    EXPECT_THAT(p->names(), ElementsAre("k", "next"));
}

TEST(SrcFileRaw, OneLineBlockKeepsEverything) {
    auto p = parse("k: !<[[ a: {b} ( \"c ]]>z: 1");
    EXPECT_EQ(p->at("k")->valueText, " a: {b} ( \"c ");
    EXPECT_EQ(p->at("z")->valueText, "1");
    EXPECT_EQ(parse("k: !<[[]]>")->at("k")->valueText, "");
    EXPECT_EQ(parse("k: !<[[]]]>")->at("k")->valueText, "]");
}

TEST(SrcFileRaw, InParameters) {
    auto p = parse("f: g(!<[[a, b)]]> , x)");
    ASSERT_NE(p->at("f"), nullptr);
    EXPECT_THAT(parameters(p->at("f")), ElementsAre("a, b)", "x"));
}

TEST(SrcFileRaw, DirectProcessRawText) {
    SrcFile src;
    Node root("root");
    src.Process(&root, std::string_view("!<[[one\ntwo]]>rest\n"));
    std::string out = "old";
    auto line = src.linesBegin();
    const char* p = src.processRawText(out, src.lineText(line), line, src.linesEnd(), nullptr);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(out, "one\r\ntwo");
    EXPECT_STREQ(p, "rest");
    EXPECT_EQ(line->line, 1);

    // No block: the position comes back unchanged and `out` is untouched.
    const char* text = "plain";
    EXPECT_EQ(src.processRawText(out, text, line, src.linesEnd(), nullptr), text);
    EXPECT_EQ(out, "one\r\ntwo");
}

// ---------------------------------------------------------------- functions

TEST(SrcFileFunctions, ParameterLists) {
    auto p = parse("f: rgb(1, 2,3)");
    ASSERT_THAT(p->names(), ElementsAre("f"));
    EXPECT_EQ(p->at("f")->func, "rgb");
    EXPECT_EQ(p->at("f")->valueText, "");
    EXPECT_THAT(parameters(p->at("f")), ElementsAre("1", "2", "3"));

    EXPECT_THAT(parameters(parse("f: g()")->at("f")), ElementsAre(""));
    EXPECT_THAT(parameters(parse("f: g(,x)")->at("f")), ElementsAre("", "x"));
    EXPECT_THAT(parameters(parse("f: g(a b)")->at("f")), ElementsAre("a", "b"));
    // Parameters may hold { } : and (.
    EXPECT_THAT(parameters(parse("f: g(a{b}:c(d, e)")->at("f")), ElementsAre("a{b}:c(d", "e"));
    // Quoted parameters drop what follows the quote up to ',' or ')'.
    EXPECT_THAT(parameters(parse("f: g(\"a, b\"zz, \"c)\")")->at("f")), ElementsAre("a, b", "c)"));
}

TEST(SrcFileFunctions, AcrossLines) {
    auto p = parse("f: g(1\n,2)");
    EXPECT_THAT(parameters(p->at("f")), ElementsAre("", "2"));
    EXPECT_EQ(p->at("f")->line, 1);

    p = parse("f: g(1,\n   2,\n3)");
    EXPECT_THAT(parameters(p->at("f")), ElementsAre("1", "2", "3"));
    EXPECT_EQ(p->at("f")->line, 2);
}

TEST(SrcFileFunctions, NameComesFromLastPendingKey) {
    auto p = parse("g(1)\nk: 1\nh(2)");
    ASSERT_THAT(p->names(), ElementsAre("", "k", "k"));
    EXPECT_EQ(p->root->children[0]->func, "g");
    EXPECT_EQ(p->root->children[2]->func, "h");
    EXPECT_EQ(p->root->children[2]->valueText, "");
}

TEST(SrcFileFunctions, ClosingBraceEndsAnOpenList) {
    auto p = parse("a {\n f: g(1, !<[[x]]>}\n b\n}");
    EXPECT_FALSE(p->ok);  // the '}' closed `a`, so the last one is one too many
    EXPECT_THAT(p->errors(), ElementsAre("-1: class koui::res::Node / (root) : Too many closing brackets"));
    EXPECT_THAT(p->names(), ElementsAre("a", "b"));
}

// ---------------------------------------------------------------- blocks

TEST(SrcFileBlocks, NestingAndOrder) {
    auto p = parse("a{b{c}} d {\n  e: 1\n  f\n}\n");
    ASSERT_TRUE(p->ok);
    EXPECT_THAT(p->names(), ElementsAre("a", "d"));
    ASSERT_NE(p->at("a.b.c"), nullptr);
    EXPECT_TRUE(p->at("a.b.c")->isFlag());
    EXPECT_EQ(p->at("d.e")->valueText, "1");
    EXPECT_EQ(p->at("d.f")->line, 2);
    EXPECT_EQ(p->at("d")->line, 0);
    EXPECT_EQ(p->at("d.e")->parent, p->at("d"));
}

TEST(SrcFileBlocks, ColonBeforeBraceMakesEmptyParameterAndBlock) {
    auto p = parse("k: {\n x\n}");
    ASSERT_TRUE(p->ok);
    ASSERT_THAT(p->names(), ElementsAre("k", ""));
    EXPECT_EQ(p->root->children[0]->valueText, "");
    EXPECT_TRUE(p->root->children[0]->isFlag());
    EXPECT_NE(p->at(".x"), nullptr);
}

TEST(SrcFileBlocks, StrayClosingParenthesisIsSteppedOver) {
    auto p = parse("a ) b\n) x: 1 ))\nf: g(1)) c");
    ASSERT_TRUE(p->ok);
    EXPECT_THAT(p->names(), ElementsAre("a", "b", "x", "f", "c"));
    EXPECT_EQ(p->at("x")->valueText, "1");
}

// ---------------------------------------------------------------- errors

TEST(SrcFileErrors, TooManyClosingBrackets) {
    auto p = parse("a\n}\nb");
    EXPECT_FALSE(p->ok);
    EXPECT_THAT(p->errors(), ElementsAre("-1: class koui::res::Node / (root) : Too many closing brackets"));
    EXPECT_THAT(p->names(), ElementsAre("a"));  // parsing stopped
    EXPECT_EQ(p->src.stopLine(), 1);
}

TEST(SrcFileErrors, ClosingBracketMissingOnInnermostBlock) {
    auto p = parse("a {\n  b {\n    c: 1\n  }\n  d {\n");
    EXPECT_FALSE(p->ok);
    EXPECT_THAT(p->errors(), ElementsAre("4: class koui::res::Node / (d) : Closing bracket missing"));
    EXPECT_NE(p->at("a.b.c"), nullptr);  // the nodes remain
    EXPECT_NE(p->at("a.d"), nullptr);
}

TEST(SrcFileErrors, UnterminatedRawBlock) {
    auto p = parse("a {\n  k: !<[[ text\n  more\n");
    EXPECT_FALSE(p->ok);
    EXPECT_THAT(p->errors(), ElementsAre("0: class koui::res::Node / (a) : STOP.   Error reading string"));
    EXPECT_EQ(p->src.stopLine(), 1);
    EXPECT_EQ(p->at("a.k"), nullptr);
}

TEST(SrcFileErrors, UnterminatedRawBlockInParameters) {
    auto p = parse("x: 1\nf: grad(1, !<[[ a\n");
    EXPECT_FALSE(p->ok);
    EXPECT_THAT(
        p->errors(),
        ElementsAre("-1: class koui::res::Node / (root) : STOP.   Error reading parameters for grad"));
    EXPECT_THAT(p->names(), ElementsAre("x"));
}

TEST(SrcFileErrors, OnlyFirstErrorIsRecorded) {
    auto p = parse("}\n}\na {");
    EXPECT_EQ(p->root->errors.size(), 1u);
}

}  // namespace
