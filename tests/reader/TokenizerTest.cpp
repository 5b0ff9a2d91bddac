#include "reader/HtmlReader.h"
#include "reader/TokenDump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

using namespace tavlin;

namespace {

struct Tok {
    HtmlSymbol sym;
    std::string text;
    std::vector<int32_t> positions;
    int level = 0;
    TAttributeList attrs;
};

std::vector<Tok> tokenize(std::string_view html, bool pre = false, bool nobr = false) {
    THtmlReader r;
    r.LoadFromBuffer(html);
    r.Advance();
    r.PreMode = pre;
    r.NoBreakMode = nobr;
    std::vector<Tok> out;
    for (int guard = 0; guard < 100000; ++guard) {
        r.NextToken();
        Tok t{r.CurSym, r.Token.AsString(), {}, r.HeadingLevel, r.Attributes};
        for (int i = 0; i < r.Token.Count(); ++i) {
            t.positions.push_back(r.Token.PositionAt(i));
        }
        if (r.CurSym == symText || r.CurSym == symLoneChar) {
            t.attrs.Clear();
        }
        out.push_back(std::move(t));
        if (r.CurSym == symEof) {
            break;
        }
    }
    return out;
}

// The text of all text tokens joined, for cases where token boundaries do not matter.
std::string joinedText(const std::vector<Tok>& toks) {
    std::string s;
    for (const Tok& t : toks) {
        if (t.sym == symText) {
            s += t.text;
        }
    }
    return s;
}

std::string dump(std::string_view html) {
    THtmlReader r;
    r.LoadFromBuffer(html);
    std::string out;
    DumpTokens(r, out);
    return out;
}

} // namespace

TEST(Tokenizer, LineEndsBecomeOneCrEach) {
    for (const char* src : {"a\r\nb", "a\n\rb", "a\rb", "a\nb"}) {
        const auto toks = tokenize(src, true);
        ASSERT_EQ(toks[0].sym, symText) << src;
        EXPECT_EQ(toks[0].text, "a\rb") << src;
        EXPECT_EQ(toks[0].positions, (std::vector<int32_t>{0, 1, int32_t(std::string(src).size()) - 1}))
            << src;
    }
    const auto two = tokenize("a\r\n\r\nb", true);
    EXPECT_EQ(two[0].text, "a\r\rb");
    EXPECT_EQ(two[0].positions, (std::vector<int32_t>{0, 1, 3, 5}));
    // Outside preformatted text a tab is a blank; inside it stays for the tab stops.
    EXPECT_EQ(tokenize("a\tb")[0].text, "a b");
    EXPECT_EQ(tokenize("a\tb", true)[0].text, "a\tb");
    EXPECT_EQ(tokenize("<IMG\tALT=x\tSRC=y>", true)[0].attrs.FindAttribute(attrSRC)->Text, "y");
}

TEST(Tokenizer, ByteOrderMarkOpeningTheSourceIsSkipped) {
    const auto toks = tokenize("\xEF\xBB\xBF<B>x\xEF\xBB\xBF");
    EXPECT_EQ(toks[0].sym, tagB);
    ASSERT_EQ(toks[1].sym, symText);
    EXPECT_EQ(toks[1].text, "x\xEF\xBB\xBF"); // only at the very start
    EXPECT_EQ(toks[1].positions[0], 6);       // positions still count the mark
    THtmlReader r;
    r.LoadFromStrings({"\xEF\xBB\xBF"
                       "ab"});
    r.Advance();
    r.NextToken();
    EXPECT_EQ(r.Token.AsString(), "ab ");
}

TEST(Tokenizer, TagsHeadingsAndCase) {
    auto toks = tokenize("<H3 ALIGN=center>x</h3><H7>");
    ASSERT_EQ(toks[0].sym, tagH);
    EXPECT_EQ(toks[0].level, 3);
    ASSERT_EQ(toks[0].attrs.Count(), 1);
    EXPECT_EQ(toks[0].attrs[0].Symbol, attrALIGN);
    EXPECT_EQ(toks[0].attrs[0].Text, "center");
    EXPECT_EQ(toks[1].sym, symText);
    EXPECT_EQ(toks[1].positions[0], 17);
    EXPECT_EQ(toks[2].sym, endH);
    EXPECT_EQ(toks[2].level, 3);
    EXPECT_EQ(toks[3].sym, tagH);
    EXPECT_EQ(toks[3].level, 0);
    EXPECT_EQ(toks[4].sym, symEof);

    toks = tokenize("<b><B></BR><blink></LI><style>");
    EXPECT_EQ(toks[0].sym, tagB);
    EXPECT_EQ(toks[1].sym, tagB);
    EXPECT_EQ(toks[2].sym, symUnknownTag);
    EXPECT_EQ(toks[3].sym, symUnknownTag);
    EXPECT_EQ(toks[4].sym, symUnknownTag); // LI has no end symbol
    EXPECT_EQ(toks[5].sym, tagSTYLE);
}

TEST(Tokenizer, StyleTagLeavesItsClosingBracketCurrent) {
    THtmlReader r;
    r.LoadFromBuffer("<STYLE type=x>p{}");
    r.Advance();
    r.NextToken();
    EXPECT_EQ(r.CurSym, tagSTYLE);
    EXPECT_EQ(r.CurCh, '>');
    EXPECT_EQ(r.SourcePos, 13);
}

TEST(Tokenizer, AttributeValues) {
    auto toks = tokenize("<A HREF=\"a b.htm\" TARGET=_top><TD WIDTH=50% HEIGHT=100px BORDER nowrap "
                         "bogus-attr=1 size=+2 value=' 3.5 '>");
    const TAttributeList& a = toks[0].attrs;
    ASSERT_EQ(a.Count(), 2);
    EXPECT_EQ(a.FindAttribute(attrHREF)->Text, "a b.htm");
    EXPECT_EQ(a.FindAttribute(attrTARGET)->Text, "_top");
    const TAttributeList& td = toks[1].attrs;
    EXPECT_EQ(td.FindAttribute(attrWIDTH)->Text, "50%");
    EXPECT_EQ(td.FindAttribute(attrWIDTH)->NumValue, 50);
    EXPECT_EQ(td.FindAttribute(attrHEIGHT)->Text, "100PX");
    EXPECT_EQ(td.FindAttribute(attrHEIGHT)->NumValue, 0);
    EXPECT_EQ(td.FindAttribute(attrBORDER)->NumValue, 1);
    EXPECT_EQ(td.FindAttribute(attrNOWRAP)->NumValue, 0);
    EXPECT_EQ(td.FindAttribute(symUnknownAttr)->Text, "1");
    EXPECT_EQ(td.FindAttribute(attrSIZE)->Text, "+2");
    EXPECT_EQ(td.FindAttribute(attrSIZE)->NumValue, 2);
    EXPECT_EQ(td.FindAttribute(attrVALUE)->NumValue, 4); // 3.5 rounds half to even
}

TEST(Tokenizer, AttributeNamesTakeUnderscoresAndDigits) {
    // As iCab writes its bookmarks: the link after LAST_MODIFIED is kept.
    auto toks = tokenize("<A SUBSCRIBE LAST_MODIFIED=\"1085432\" HREF=\"http://x.org/\">X</A>");
    const TAttributeList& a = toks[0].attrs;
    ASSERT_EQ(a.Count(), 3);
    EXPECT_EQ(a[1].Symbol, symUnknownAttr);
    EXPECT_EQ(a[1].Text, "1085432");
    EXPECT_EQ(a.FindAttribute(attrHREF)->Text, "http://x.org/");
    EXPECT_EQ(toks[1].text, "X");
    toks = tokenize("<IMG DATA2=a X_1 SRC=b.gif>");
    ASSERT_EQ(toks[0].attrs.Count(), 3);
    EXPECT_EQ(toks[0].attrs.FindAttribute(attrSRC)->Text, "b.gif");
    // A name still starts with a letter.
    EXPECT_EQ(tokenize("<IMG _X=1 SRC=b.gif>")[0].attrs.Count(), 0);
}

TEST(Tokenizer, QuotedValuesKeepBracketsDropLineEndsAndDecodeEntities) {
    auto toks = tokenize("<IMG ALT=\"a\r\nb\" SRC='x>y' NAME=\"&lt;&amp&bogus;\">t");
    const TAttributeList& a = toks[0].attrs;
    EXPECT_EQ(a.FindAttribute(attrALT)->Text, "ab");
    EXPECT_EQ(a.FindAttribute(attrSRC)->Text, "x>y");
    EXPECT_EQ(a.FindAttribute(attrNAME)->Text, "<&&bogus;");
    EXPECT_EQ(toks[1].sym, symText);
    EXPECT_EQ(toks[1].text, "t");
    // An unterminated quote runs to the end of the source and ends the tag there.
    toks = tokenize("<IMG ALT=\"never closed>text");
    EXPECT_EQ(toks[0].attrs.FindAttribute(attrALT)->Text, "never closed>text");
    EXPECT_EQ(toks[1].sym, symEof);
}

TEST(Tokenizer, ClassIdAndIdPositionMarks) {
    THtmlReader r;
    TIDNameList ids;
    r.IDNames = &ids;
    r.LoadFromBuffer("<P CLASS=Intro ID=First>x<span id=\"\">");
    r.Advance();
    r.NextToken();
    EXPECT_EQ(r.Attributes.ClassValue(), "intro");
    EXPECT_EQ(r.Attributes.IdValue(), "first");
    ASSERT_EQ(ids.Count(), 1);
    EXPECT_EQ(ids.Names(), std::vector<std::string>{"First"});
    auto* mark = dynamic_cast<TChPosObj*>(ids.Find("first"));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->SourcePos, 23); // the character after the value
    r.NextToken();
    r.NextToken();
    EXPECT_EQ(ids.Count(), 1); // an empty ID registers nothing
}

TEST(Tokenizer, Entities) {
    EXPECT_EQ(joinedText(tokenize("&amp;|&amp|&#38;|&AMP;|&foo;|&#65|&#0;|&#9;|&nbsp;|&yuml;|&trade;")),
              "&|&|&|&AMP;|&foo;|A|&#0;| |\xA0|\xFF|\x99");
    EXPECT_EQ(joinedText(tokenize("&#123456;|&abcdefg;|&#;|& x|&#x41;")),
              "&#123456;|&abcdefg;|&#;|& x|&#x41;");
    // A reference above 255 is encoded in the character set (UTF-8 under DEFAULT).
    EXPECT_EQ(joinedText(tokenize("&#8364;")), "\xE2\x82\xAC");
    THtmlReader r;
    r.LoadFromBuffer("&#8364;");
    r.Advance();
    r.CharSet = 0;
    r.NextToken();
    EXPECT_EQ(r.Token.AsString(), "\x80");

    auto toks = tokenize("ab&hellip;c");
    ASSERT_EQ(toks[0].text, "ab");
    EXPECT_EQ(toks[1].text, "...");
    EXPECT_EQ(toks[1].positions, (std::vector<int32_t>{2, 3, 4}));
    EXPECT_EQ(toks[2].positions, (std::vector<int32_t>{10}));
    // The fallback keeps every written character at its own position.
    toks = tokenize("&foo;");
    EXPECT_EQ(toks[0].positions, (std::vector<int32_t>{0, 1, 2, 3, 4}));
    toks = tokenize("x&lt;y");
    EXPECT_EQ(toks[1].text, "<");
    EXPECT_EQ(toks[1].positions, (std::vector<int32_t>{1}));
}

TEST(Tokenizer, WhiteSpaceCollapses) {
    auto toks = tokenize("a   b\r\n c");
    EXPECT_EQ(toks[0].text, "a b c");
    EXPECT_EQ(toks[0].positions, (std::vector<int32_t>{0, 1, 4, 5, 8}));
    EXPECT_EQ(tokenize("a   b", false, true)[0].text, std::string("a\x05"
                                                                  "b"));
    EXPECT_EQ(tokenize("a   b", true)[0].text, "a   b");
}

TEST(Tokenizer, CommentsAndDeclarations) {
    EXPECT_EQ(joinedText(tokenize("a<!-- a -- b -->b")), "ab");
    EXPECT_EQ(joinedText(tokenize("a<!---->b")), "ab");
    EXPECT_EQ(joinedText(tokenize("<!DOCTYPE html>a<!>b")), "ab");
    EXPECT_EQ(joinedText(tokenize("a<!-- x -- \r\n >b")), "ab");
    // Text runs on across a comment; each character keeps its own position.
    auto toks = tokenize("ab<!-- c -->d");
    EXPECT_EQ(toks[0].positions, (std::vector<int32_t>{0, 1, 12}));
    EXPECT_EQ(dump("a<B>b<!-- never closed"), "@0 symText \"a\"\n@1 B\n! Open Comment at End of HTML File\n");
    EXPECT_EQ(dump("a<!DOCTYPE"), "! Open Comment at End of HTML File\n");
    EXPECT_EQ(dump("<!-- open from the start"), "! Open Comment at End of HTML File\n");
}

TEST(Tokenizer, CtrlZEndsTheDocument) {
    auto toks = tokenize(std::string("ab\x1A<b>cd", 8));
    ASSERT_EQ(toks.size(), 2u);
    EXPECT_EQ(toks[0].text, "ab");
    EXPECT_EQ(toks[1].sym, symEof);
}

TEST(Tokenizer, TextArrivesInPiecesOfAtMost100) {
    const auto toks = tokenize(std::string(250, 'x'));
    ASSERT_EQ(toks.size(), 4u);
    EXPECT_EQ(toks[0].text.size(), 100u);
    EXPECT_EQ(toks[1].text.size(), 100u);
    EXPECT_EQ(toks[2].text.size(), 50u);
    EXPECT_EQ(toks[1].positions.front(), 100);
    EXPECT_EQ(toks[2].positions.back(), 249);
}

TEST(Tokenizer, LoneCharactersAndStrayBrackets) {
    auto toks = tokenize(std::string("a < b\x01<3", 8));
    EXPECT_EQ(toks[0].text, "a ");
    EXPECT_EQ(toks[1].sym, symText);
    EXPECT_EQ(toks[1].text, "<");
    EXPECT_EQ(toks[1].positions, (std::vector<int32_t>{2}));
    EXPECT_EQ(toks[2].text, " b");
    EXPECT_EQ(toks[3].sym, symLoneChar);
    EXPECT_EQ(toks[3].text, "\x01");
    EXPECT_EQ(toks[4].text, "<");
    EXPECT_EQ(toks[5].text, "3");
    // NUL bytes are lone characters, not the end.
    toks = tokenize(std::string("a\0b", 3));
    EXPECT_EQ(toks[1].sym, symLoneChar);
    EXPECT_EQ(toks[2].text, "b");
}

TEST(Tokenizer, UnterminatedTagsReachTheEnd) {
    auto toks = tokenize("text<A HREF=x");
    EXPECT_EQ(toks[1].sym, tagA);
    EXPECT_EQ(toks[1].attrs.FindAttribute(attrHREF)->Text, "x");
    EXPECT_EQ(toks[2].sym, symEof);
    toks = tokenize("</");
    EXPECT_EQ(toks[0].sym, symUnknownTag);
    EXPECT_EQ(toks[1].sym, symEof);
}

TEST(Tokenizer, ScriptTokens) {
    THtmlReader r;
    r.LoadFromBuffer("x = 1;\r\nif (a<b) y();</Script>after");
    r.Advance();
    std::vector<std::pair<HtmlSymbol, std::string>> got;
    do {
        r.ReadScriptToken();
        got.emplace_back(r.CurSym, r.Token.AsString());
    } while (r.CurSym != symScriptEnd && r.CurSym != symEof);
    const std::vector<std::pair<HtmlSymbol, std::string>> want = {
        {symText, "x = 1;"},   {symLineEnd, ""},    {symText, "if (a"},
        {symUnknownTag, "<b"}, {symText, ") y();"}, {symScriptEnd, "</Script>"}};
    EXPECT_EQ(got, want);
    r.NextToken();
    EXPECT_EQ(r.Token.AsString(), "after");
}

TEST(Tokenizer, TextAreaTokens) {
    THtmlReader r;
    r.LoadFromBuffer("a &lt; b\r\n<b>c</TEXTAREA >");
    r.Advance();
    std::vector<std::pair<HtmlSymbol, std::string>> got;
    do {
        r.ReadTextAreaToken();
        got.emplace_back(r.CurSym, r.Token.AsString());
    } while (r.CurSym != symTextAreaEnd && r.CurSym != symEof);
    const std::vector<std::pair<HtmlSymbol, std::string>> want = {{symText, "a "},
                                                                  {symText, "<"},
                                                                  {symText, " b"},
                                                                  {symLineEnd, ""},
                                                                  {symUnknownTag, "<b"},
                                                                  {symText, ">c"},
                                                                  {symTextAreaEnd, "</TEXTAREA"}};
    EXPECT_EQ(got, want);
}

TEST(Tokenizer, IncludeDirectives) {
    THtmlReader r;
    std::string seenCommand;
    std::vector<std::string> seenParams;
    r.OnInclude = [&](std::string_view command, std::vector<std::string> params) {
        seenCommand = command;
        seenParams = std::move(params);
        return std::string("<B>in</B>");
    };
    r.LoadFromBuffer("a<!--#Include File=\"x.htm\" virtual=y -->b");
    std::string out;
    DumpTokens(r, out);
    EXPECT_EQ(seenCommand, "Include");
    EXPECT_EQ(seenParams, (std::vector<std::string>{"FILE=\"x.htm\"", "VIRTUAL=\"y\""}));
    // Included text does not move the source position.
    EXPECT_EQ(out, "@0 symText \"a\"\n@39 B\n@39 symText \"in\"\n@39 /B\n@40 symText \"b\"\n@41 symEof\n");
    // A comment inside the directive's attributes does not close the directive.
    r.LoadFromBuffer("a<!--#x y=<!--z-->");
    out.clear();
    DumpTokens(r, out);
    EXPECT_EQ(out, "! Open Comment at End of HTML File\n");
    // Without a handler the directive is a comment.
    EXPECT_EQ(dump("a<!--#include x-->b"), "@0 symText \"ab\"\n@19 symEof\n");
}

TEST(Tokenizer, SourcesJoinLinesAndReadFiles) {
    THtmlReader r;
    r.PreMode = true;
    r.LoadFromStrings({"ab", "c"});
    r.Advance();
    r.PreMode = true;
    r.NextToken();
    EXPECT_EQ(r.Token.AsString(), "ab\rc\r");
    EXPECT_FALSE(r.LoadFromFile("/nonexistent/file.htm"));
    r.Advance();
    r.NextToken();
    EXPECT_EQ(r.CurSym, symEof);
}

TEST(TokenDump, MatchesExpectedFile) {
    const std::string dir = std::string(TAVLIN_TEST_DATA) + "/reader/";
    std::ifstream in(dir + "tokens.htm", std::ios::binary);
    ASSERT_TRUE(in);
    std::stringstream html;
    html << in.rdbuf();
    std::ifstream expected(dir + "tokens.expected", std::ios::binary);
    ASSERT_TRUE(expected);
    std::stringstream want;
    want << expected.rdbuf();
    EXPECT_EQ(dump(html.str()), want.str());
}

TEST(TokenObj, EditsKeepTheCachedTextInStep) {
    TokenObj t;
    EXPECT_EQ(t.Capacity(), 300);
    for (int i = 0; i < 301; ++i) {
        t.AddChar(char('a' + i % 26), i);
    }
    EXPECT_GE(t.Capacity(), 350);
    EXPECT_EQ(t.AsString().size(), 301u);
    t.DeleteChar(1);
    t.ReplaceChar(1, 'Z');
    t.DeleteChar(0);
    t.DeleteChar(1000);
    EXPECT_EQ(t.AsString().substr(0, 3), "Zcd");
    EXPECT_EQ(t.PositionAt(0), 1);
    TokenObj other;
    other.AddChar('!', 7);
    t.AppendToken(other);
    EXPECT_EQ(t.AsString().back(), '!');
    EXPECT_EQ(t.PositionAt(t.Count() - 1), 7);
    t.Clear();
    EXPECT_EQ(t.AsString(), "");
}

TEST(Tokenizer, HugeInputsStayLinear) {
    // A 10 MB attribute value, quoted and bare, arrives whole.
    const std::string value(10 * 1024 * 1024, 'v');
    for (const std::string& html : {"<IMG ALT=\"" + value + "\">x", "<IMG ALT=" + value + ">x"}) {
        THtmlReader r;
        r.UseSource(html);
        r.Advance();
        r.NextToken();
        ASSERT_EQ(r.CurSym, tagIMG);
        EXPECT_EQ(r.Attributes.FindAttribute(attrALT)->Text.size(), value.size());
        EXPECT_EQ(r.Attributes.FindAttribute(attrALT)->NumValue, 0);
        r.NextToken();
        EXPECT_EQ(r.Token.AsString(), "x");
    }
    // 4 MB of '<': one text token each, in one pass.
    const std::string brackets(4 * 1024 * 1024, '<');
    THtmlReader r;
    r.UseSource(brackets);
    r.Advance();
    size_t tokens = 0;
    for (r.NextToken(); r.CurSym != symEof; r.NextToken()) {
        ++tokens;
    }
    EXPECT_EQ(tokens, brackets.size());
    EXPECT_LE(r.Token.Capacity(), TokenObj::kInitialCapacity);
    // An end tag that never closes swallows the rest without looking back.
    const std::string endTag = "</" + std::string(1 << 20, 'x') + " " + std::string(1 << 20, '"');
    r.UseSource(endTag);
    r.Advance();
    r.NextToken();
    EXPECT_EQ(r.CurSym, symUnknownTag);
    r.NextToken();
    EXPECT_EQ(r.CurSym, symEof);
}

// A file is read in pieces: whatever straddles the end of a piece (a tag, an attribute value, an
// entity, a comment, a tab opening preformatted text, a CR LF) reads exactly as from memory.
TEST(Tokenizer, AFileReadInPiecesGivesTheTokensOfTheWholeSource) {
    const std::string fragment = "<P CLASS=\"c\">Caf&eacute; &#233;<!-- n --><PRE>\tx\ty</PRE>\r\n"
                                 "<A HREF='a b'>link</A>&amp text\r\n";
    const std::string path =
        (std::filesystem::temp_directory_path() / ("tavlin-pieces-" + std::to_string(::getpid()) + ".htm"))
            .string();
    for (const char* inside :
         {"<P", "CLASS", "\"c\"", "&eacute;", "&#233;", "<!--", "-->", "\t", "\r\n", "'a b'", "&amp"}) {
        const size_t before = fragment.find(inside) + 1;
        std::string html(THtmlReader::kFilePiece - before, 'w');
        for (size_t i = 80; i < html.size(); i += 81) {
            html[i] = ' ';
        }
        html += fragment + fragment;
        std::ofstream(path, std::ios::binary | std::ios::trunc) << html;
        THtmlReader fromFile;
        ASSERT_TRUE(fromFile.LoadFromFile(path));
        std::string fileTokens;
        DumpTokens(fromFile, fileTokens);
        EXPECT_EQ(fileTokens, dump(html)) << "a piece ends inside " << EscapeForDump(inside);
    }
    std::filesystem::remove(path);
}

namespace {

// A stream that gives `size` bytes of text and then, when `fails`, a read error.
struct FailingSource {
    size_t size;
    bool fails;
    size_t given = 0;
};

ssize_t readFailingSource(void* cookie, char* buffer, size_t count) {
    auto& source = *static_cast<FailingSource*>(cookie);
    if (source.given == source.size) {
        errno = EIO;
        return source.fails ? -1 : 0;
    }
    const size_t n = std::min(count, source.size - source.given);
    std::fill_n(buffer, n, 'w');
    source.given += n;
    return ssize_t(n);
}

} // namespace

// A read that fails after the first piece ends the source there, and says so; the end of a file
// is no failure.
TEST(Tokenizer, AFileThatFailsPartWayIsReportedNotTakenForItsEnd) {
    for (const bool fails : {true, false}) {
        FailingSource source{THtmlReader::kFilePiece + 1000, fails};
        THtmlReader r;
        ASSERT_TRUE(
            r.LoadFromStream(fopencookie(&source, "rb", {readFailingSource, nullptr, nullptr, nullptr})));
        std::string tokens;
        DumpTokens(r, tokens);
        EXPECT_EQ(tokens, dump(std::string(source.size, 'w'))) << fails;
        EXPECT_EQ(r.ReadFailed(), fails);
    }
}
