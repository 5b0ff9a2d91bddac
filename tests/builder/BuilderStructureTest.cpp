// What the builder makes of HTML: blocks, items, sections, font runs, names and head elements.
#include "platform/System.h"
#include "reader/IDNames.h"
#include "tests/builder/BuilderTestUtil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

namespace tavlin::test {
namespace {

TSection& Text(const TCellBasic& cell, int i) {
    return At<TSection>(cell, i);
}
TBlock& BlockAt(const TCellBasic& cell, int i) {
    return At<TBlock>(cell, i);
}

TEST(BuilderStructure, DocumentWithoutHtmlHeadOrBodyBuildsIntoTheFirstBodyBlock) {
    Built b("Hello <B>world</B>");
    ASSERT_EQ(b.doc.Count(), 1);
    EXPECT_EQ(Shape(b.Cell()), "'Hello world'");
    EXPECT_TRUE(b.result.Error.empty());
}

TEST(BuilderStructure, ParagraphsSplitAndEmptyOnesCollapse) {
    EXPECT_EQ(Shape(Built("<P>a<P>b").Cell()), "p('a') p('b')");
    EXPECT_EQ(Shape(Built("<P><P></P><P>x").Cell()), "p('x')");
    // A paragraph ends where a block starts (an implied </P>); a stray </P> is skipped.
    EXPECT_EQ(Shape(Built("<P>a<HR>b</P>c").Cell()), "p('a') hr 'bc'");
}

TEST(BuilderStructure, ParagraphAlignmentTakesOnlyKnownValues) {
    Built b("<P ALIGN=Center>a<P ALIGN=justify>b<P ALIGN=RIGHT>c");
    EXPECT_EQ(Text(BlockAt(b.Cell(), 0).Content, 0).Justify, 2);
    EXPECT_EQ(Text(BlockAt(b.Cell(), 1).Content, 0).Justify, 1);
    EXPECT_EQ(Text(BlockAt(b.Cell(), 2).Content, 0).Justify, 3);
}

TEST(BuilderStructure, MisnestedEndTagReinheritsTheInnerElement) {
    Built b("<B>a<I>b</B>c</I>d");
    TSection& s = Text(b.Cell(), 0);
    ASSERT_EQ(s.Text(), "abcd");
    auto style = [&s](int pos) { return s.FontRuns.GetFontObjAt(pos).Font().Desc.style; };
    EXPECT_EQ(style(0), fsBold);
    EXPECT_EQ(style(1), fsBold | fsItalic);
    EXPECT_EQ(style(2), fsItalic) << "c is italic and not bold";
    EXPECT_EQ(style(3), 0);
}

TEST(BuilderStructure, ListsItemsAndNumbering) {
    EXPECT_EQ(Shape(Built("<UL><LI>a<LI>b</UL>").Cell()), "ul(li('a') li('b'))");

    Built ol("<OL START=5 TYPE=a><LI>x<LI>y</OL>");
    const TBlock& list = BlockAt(ol.Cell(), 0);
    EXPECT_TRUE(list.ListIndent);
    const auto& first = At<TBlockLI>(list.Content, 0);
    const auto& second = At<TBlockLI>(list.Content, 1);
    EXPECT_EQ(first.ListType(), lkOrdered);
    EXPECT_EQ(first.ItemNumber, 5);
    EXPECT_EQ(second.ItemNumber, 6);
    EXPECT_EQ(first.MarkerStyle(), ListStyleType::LowerAlpha);
    EXPECT_EQ(first.MarkerLabel(), "e.");
    EXPECT_EQ(second.MarkerLabel(), "f.");

    Built loose("<LI>alone");
    const auto& item = At<TBlockLI>(loose.Cell(), 0);
    EXPECT_EQ(item.ListType(), lkOutside);
    EXPECT_EQ(item.MarkerStyle(), ListStyleType::Disc);

    // DL is a plain block (no marker room); its DT and DD are items without markers.
    Built dl("<DL><DT>term<DD>meaning</DL>");
    EXPECT_EQ(Shape(dl.Cell()), "dl(dt('term') dd('meaning'))");
    EXPECT_FALSE(BlockAt(dl.Cell(), 0).ListIndent);
    EXPECT_EQ(At<TBlockLI>(BlockAt(dl.Cell(), 0).Content, 1).ListType(), lkDefinition);
}

TEST(BuilderStructure, NestedBulletsCycleDiscCircleSquare) {
    Built b("<UL><LI>1<UL><LI>2<UL><LI>3<UL><LI>4</UL></UL></UL></UL>");
    std::vector<ListStyleType> styles;
    const TCellBasic* cell = &b.Cell();
    while (cell->Count() > 0) {
        const auto* list = dynamic_cast<const TBlock*>(&(*cell)[cell->Count() - 1]);
        if (!list || list->Content.Count() == 0) {
            break;
        }
        const auto& item = At<TBlockLI>(list->Content, 0);
        styles.push_back(item.MarkerStyle());
        cell = &item.Content;
    }
    EXPECT_EQ(styles, (std::vector{ListStyleType::Disc, ListStyleType::Circle, ListStyleType::Square,
                                   ListStyleType::Disc}));
}

TEST(BuilderStructure, ListEndsAndStrayItems) {
    // An empty list leaves its end tag for the caller; an item's paragraph is a block inside it.
    EXPECT_EQ(Shape(Built("<UL></UL>after").Cell()), "ul() 'after'");
    EXPECT_EQ(Shape(Built("<OL><LI>a<P>b</OL>").Cell()), "ol(li('a' p('b')))");
    // A P ends an item that stands outside a list.
    EXPECT_EQ(Shape(Built("<LI>a<P>b").Cell()), "li('a') p('b')");
    // A rule ends an item; text after it stays in the list.
    EXPECT_EQ(Shape(Built("<UL><LI>a<HR>b</UL>").Cell()), "ul(li('a') hr 'b')");
}

TEST(BuilderStructure, BodyLateOrInsideAnElementIsIgnored) {
    Built early("dropped<BODY BGCOLOR=red MARGINWIDTH=0>kept");
    EXPECT_EQ(Shape(early.Cell()), "'kept'");
    EXPECT_EQ(early.doc.Background & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(std::get<int32_t>(early.Body().BoxStyle().Variants[piMarginLeft - kFirstBoxProp]), 0);

    Built late("<P>a</P><BODY BGCOLOR=red>b");
    EXPECT_EQ(late.doc.Background & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(Shape(late.Cell()), "p('a') 'b'");

    Built inside("<B><BODY BGCOLOR=red>b");
    EXPECT_EQ(inside.doc.Background & 0xFFFFFF, 0xFFFFFFu);
}

TEST(BuilderStructure, BodyAttributesColourTheTextAndTheLinks) {
    Built b("<BODY TEXT=#00FF00 LINK=#FF0000 MARGINHEIGHT=300>x<A HREF=a.htm>link</A>");
    TSection& s = Text(b.Cell(), 0);
    EXPECT_EQ(s.FontRuns[0].Font().FontColor & 0xFFFFFF, rgb(0, 255, 0));
    EXPECT_EQ(s.FontRuns.GetFontObjAt(1).Font().FontColor & 0xFFFFFF, rgb(255, 0, 0));
    EXPECT_EQ(std::get<int32_t>(b.Body().BoxStyle().Variants[piMarginTop - kFirstBoxProp]), 200)
        << "clamped to 200";
}

TEST(BuilderStructure, HeadingsAlignAndCentre) {
    for (const char* html : {"<H2 ALIGN=center>x</H2>", "<H2><CENTER>x</CENTER></H2>"}) {
        Built b(html);
        const TBlock& heading = BlockAt(b.Cell(), 0);
        EXPECT_EQ(heading.Content.OwnerTag, "h2") << html;
        EXPECT_EQ(Text(heading.Content, 0).Justify, 2) << html;
        EXPECT_TRUE(Text(heading.Content, 0).FontRuns[0].Font().Desc.bold()) << html;
    }
    EXPECT_EQ(Shape(Built("<H7>x</H7>").Cell()), "'x'");
    // The text after a centred block is no longer centred.
    Built center("<CENTER>a</CENTER>b");
    EXPECT_EQ(Text(center.Cell(), 0).Justify, 2);
    EXPECT_EQ(Text(center.Cell(), 1).Justify, 1);
}

TEST(BuilderStructure, FontSizesWithAndWithoutBaseFont) {
    auto height = [](const char* html) {
        Built b(html);
        const TSection& s = Text(b.Cell(), 0);
        return s.FontRuns.Last().Font().Desc.height;
    };
    EXPECT_EQ(height("<FONT SIZE=+2>x"), pointsToPixels(18));
    EXPECT_EQ(height("<BASEFONT SIZE=5><FONT SIZE=-1>x"), pointsToPixels(14));
    EXPECT_EQ(height("<FONT SIZE=9>x"), pointsToPixels(36));
    EXPECT_EQ(height("<FONT SIZE=0>x"), pointsToPixels(8));
}

TEST(BuilderStructure, FontInsidePreUsesThePreTableAndItsOwnEntriesOnly) {
    Built b("<FONT SIZE=4><PRE>a<FONT SIZE=3>b</FONT></FONT>c</PRE>d");
    const TBlock& pre = BlockAt(b.Cell(), 0);
    const TSection& line = Text(pre.Content, 0);
    ASSERT_EQ(line.Text(), "abc");
    EXPECT_EQ(line.FontRuns.GetFontObjAt(1).Font().Desc.height, pointsToPixels(10)) << "PRE size 3 is 10 pt";
    EXPECT_EQ(line.FontRuns.GetFontObjAt(2).Font().Desc.height, pointsToPixels(10)) << "back to the PRE size";
    // The second </FONT> does not pop the FONT opened before the PRE: d is still size 4.
    EXPECT_EQ(Text(b.Cell(), 1).FontRuns.Last().Font().Desc.height, pointsToPixels(14));
}

TEST(BuilderStructure, PreLinesAreSectionsAndStyleTagsDoNotBreakThem) {
    Built b("<PRE>\none  two\nthree<B>bold</B>four\n</PRE>after");
    EXPECT_EQ(Shape(b.Cell()), "pre(pre'' pre'one  two' pre'threeboldfour' pre'') 'after'");
    const TBlock& pre = BlockAt(b.Cell(), 0);
    const TSection& third = Text(pre.Content, 2);
    EXPECT_FALSE(third.FontRuns.GetFontObjAt(0).Font().Desc.bold());
    EXPECT_TRUE(third.FontRuns.GetFontObjAt(5).Font().Desc.bold());
    EXPECT_FALSE(third.FontRuns.GetFontObjAt(9).Font().Desc.bold());
    EXPECT_EQ(third.FontRuns[0].Font().Desc.name, "Courier New");
}

TEST(BuilderStructure, PreKeepsEntitiesTagsAsTextAndBreaksAtBr) {
    Built b("<PRE>a&amp;b < c<BR>\nd</PRE>");
    EXPECT_EQ(Shape(b.Cell()), "pre(pre'a&b < c' pre'd')") << "BR breaks the line and swallows the line end";
}

TEST(BuilderStructure, NamesFromAnchorsAndIds) {
    Built b("<P ID=Intro>first</P><A NAME=\"#top\">here</A>");
    ASSERT_TRUE(b.doc.IDs);
    TIDObject* top = b.doc.IDs->Find("TOP");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top, &Text(b.Cell(), 1));
    EXPECT_TRUE(Text(b.Cell(), 1).AnchorTarget);
    TIDObject* intro = b.doc.IDs->Find("Intro");
    ASSERT_NE(intro, nullptr);
    EXPECT_NE(dynamic_cast<TChPosObj*>(intro), nullptr) << "an ID is a source position";
    // An empty anchor target is kept so that its name has a place.
    Built empty("<A NAME=x></A><P>text");
    EXPECT_EQ(Shape(empty.Cell()), "'' p('text')");
}

TEST(BuilderStructure, LinksGiveRunsTheirTargetsAndEndAtTheEndTag) {
    Built b("a<A HREF=\"x.htm\" TARGET=_top>b<A HREF=y.htm>c</A>d");
    const TSection& s = Text(b.Cell(), 0);
    ASSERT_EQ(s.Text(), "abcd");
    EXPECT_FALSE(s.FontRuns.GetFontObjAt(0).HasLink());
    const auto link = [&s](int pos) { return s.LinkOf(s.FontRuns.GetFontObjAt(pos)); };
    EXPECT_EQ(link(1).Url, "x.htm");
    EXPECT_EQ(link(1).Target, "_top");
    EXPECT_EQ(link(2).Url, "y.htm") << "a new link ends the open one";
    EXPECT_NE(link(1).LinkId, link(2).LinkId);
    EXPECT_FALSE(s.FontRuns.GetFontObjAt(3).HasLink());
    EXPECT_TRUE(s.FontRuns.GetFontObjAt(1).Font().Desc.underline());
}

TEST(BuilderStructure, LineBreaks) {
    EXPECT_EQ(Shape(Built("<BR>a").Cell()), "'\\8a'");
    EXPECT_EQ(Shape(Built("a<BR>b").Cell()), "'a' 'b'");
    EXPECT_EQ(Shape(Built("a<BR><BR>b").Cell()), "'a' '\\8b'") << "two in a row give an empty line";
    Built clear("a<BR CLEAR=left>b");
    EXPECT_EQ(Shape(clear.Cell()), "'a' 'b'");
    EXPECT_EQ(Text(clear.Cell(), 1).ClearSide, 1);
}

TEST(BuilderStructure, SubscriptSuperscriptAndNoBreak) {
    Built b("a<SUB>1</SUB><SUP>2</SUP>b <NOBR>c d<WBR>e</NOBR>");
    const TSection& s = Text(b.Cell(), 0);
    EXPECT_EQ(s.FontRuns.GetFontObjAt(1).ScriptShift, 1);
    EXPECT_EQ(s.FontRuns.GetFontObjAt(2).ScriptShift, 2);
    EXPECT_EQ(s.FontRuns.GetFontObjAt(3).ScriptShift, 0);
    EXPECT_EQ(s.Text(), "a12b c\xA0"
                        "d e")
        << "NOBR spaces are no-break; WBR a break opportunity";
}

TEST(BuilderStructure, RulesAndPageBreaks) {
    Built b("<HR SIZE=5 WIDTH=50% NOSHADE ALIGN=left COLOR=red><PAGE><HR SIZE=30>");
    EXPECT_EQ(Shape(b.Cell()), "hr page hr");
    const auto& first = At<THRBlock>(b.Cell(), 0);
    ASSERT_NE(first.Rule, nullptr);
    EXPECT_EQ(first.Rule->Thickness, 5);
    EXPECT_TRUE(first.Rule->NoShade);
    EXPECT_EQ(first.RuleAlign, 1);
    EXPECT_EQ(first.Rule->RuleColor & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(stringOf(first.BoxStyle().Variants[piWidth - kFirstBoxProp]), "50%");
    EXPECT_EQ(At<THRBlock>(b.Cell(), 2).Rule->Thickness, 2) << "SIZE 30 is ignored";
}

TEST(BuilderStructure, DivisionsNestAndEndAtTheirOwnEnds) {
    EXPECT_EQ(Shape(Built("<DIV ALIGN=right>a<DIV>b</DIV>c</DIV>d").Cell()), "div('a' div('b') 'c') 'd'");
    EXPECT_EQ(Shape(Built("<BLOCKQUOTE>q</BLOCKQUOTE>r").Cell()), "blockquote('q') 'r'");
    EXPECT_EQ(Shape(Built("<FORM>a<FORM>b</FORM>c").Cell()), "form('a') form('b') 'c'");
    // A DIV inside a list item ends at the next item.
    EXPECT_EQ(Shape(Built("<UL><LI><DIV>a<LI>b</UL>").Cell()), "ul(li(div('a')) li('b'))");
}

TEST(BuilderStructure, HeadElementsReachTheHost) {
    std::vector<std::string> metas;
    std::vector<std::string> sounds;
    std::vector<std::string> scripts;
    TParseOptions options;
    options.OnMeta = [&](const std::string& e, const std::string& n, const std::string& c) {
        metas.push_back(e + "|" + n + "|" + c);
    };
    options.OnSoundRequest = [&](const std::string& src, int loop, bool stop) {
        sounds.push_back(src + "|" + std::to_string(loop) + "|" + (stop ? "stop" : "play"));
    };
    options.OnScript = [&](const std::string& name, std::string text, const std::string& language) {
        scripts.push_back(name + "|" + language + "|" + text);
    };
    Built b("<HTML><HEAD><TITLE>My  Page</TITLE><BASE HREF=\"http://x/\" TARGET=main>"
            "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=windows-1251\">"
            "<META NAME=author CONTENT=me><BGSOUND SRC=a.wav LOOP=3><BGSOUND SRC=b.wav>"
            "<SCRIPT LANGUAGE=js NAME=s>if (a < b)\nx();</SCRIPT></HEAD><BODY>text",
            options);
    EXPECT_EQ(b.result.DocTitle, "My Page");
    EXPECT_EQ(b.result.BaseUrl, "http://x/");
    EXPECT_EQ(b.result.BaseTarget, "main");
    EXPECT_EQ(metas,
              (std::vector<std::string>{"Content-Type||text/html; charset=windows-1251", "|author|me"}));
    EXPECT_EQ(sounds, (std::vector<std::string>{"a.wav|3|play", "b.wav|1|play"}));
    EXPECT_EQ(scripts, (std::vector<std::string>{"s|js|if (a < b)\r\nx();"}));
    EXPECT_EQ(Shape(b.Cell()), "'text'");
    EXPECT_EQ(Text(b.Cell(), 0).FontRuns[0].Font().Desc.charSet, 204) << "Cyrillic from the content type";
}

TEST(BuilderStructure, ScriptWithoutHandlerAndStyleElementsAreReadPast) {
    Built b("<STYLE><!-- p { color: red } --></STYLE><SCRIPT>document.write('<p>no')</SCRIPT><P>yes");
    EXPECT_EQ(Shape(b.Cell()), "p('yes')");
    EXPECT_EQ(Text(BlockAt(b.Cell(), 0).Content, 0).FontRuns[0].Font().FontColor & 0xFFFFFF, 0x0000FFu);
}

TEST(BuilderStructure, LinkedStyleSheetIsReadFromTheDocumentsDirectory) {
    const std::string dir = ::testing::TempDir();
    {
        std::ofstream css(dir + "/builder_test.css", std::ios::binary);
        css << "p {\n color: #00ff00;\r\n}\n";
        std::ofstream html(dir + "/builder_test.htm", std::ios::binary);
        html << "<LINK REL=StyleSheet HREF=builder_test.css><LINK REL=stylesheet HREF=missing.css><P>x";
    }
    TSectionList doc;
    ViewerDefaults(doc);
    const TParseResult result = ParseHtmlFromFile(doc, dir + "/builder_test.htm");
    EXPECT_TRUE(result.Error.empty());
    const auto& body = dynamic_cast<const TBlock&>(doc[0]);
    EXPECT_EQ(Text(BlockAt(body.Content, 0).Content, 0).FontRuns[0].Font().FontColor & 0xFFFFFF,
              rgb(0, 255, 0));
    std::remove((dir + "/builder_test.css").c_str());
    std::remove((dir + "/builder_test.htm").c_str());
}

TEST(BuilderStructure, LinkedStyleSheetFromAHostStreamResolvesAgainstItsAddress) {
    std::vector<std::string> asked;
    TParseOptions options;
    options.OnExpandName = [](const std::string& name) { return "http://host/css/" + name + "?v=2"; };
    options.OnStreamRequest = [&](const std::string& name, std::string& bytes) {
        asked.push_back(name);
        bytes = "p { background-image: url(../img/bg.gif); color: #0000ff }";
        return true;
    };
    Built b("<LINK REV=STYLESHEET HREF=site.css><P>x", options);
    EXPECT_EQ(asked, (std::vector<std::string>{"http://host/css/site.css?v=2"}));
    const TProperties* rule = b.doc.Styles->Find("p");
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(stringOf(rule->Props[piBackgroundImage]), "url(http://host/img/bg.gif)");
    EXPECT_EQ(Text(BlockAt(b.Cell(), 0).Content, 0).FontRuns[0].Font().FontColor & 0xFFFFFF, 0xFF0000u);
    // A LINK after content has begun is not read.
    asked.clear();
    Built late("<P>x<LINK REL=stylesheet HREF=site.css>", options);
    EXPECT_TRUE(asked.empty());
}

TEST(BuilderStructure, AnImageStandsAsOneCharacterAndAMapAddsNoText) {
    Built controls("c<IMG SRC=x.gif>d<MAP NAME=m><AREA HREF=x></MAP>e");
    EXPECT_EQ(Shape(controls.Cell()), "'c\\4de'");
}

TEST(BuilderStructure, OpenCommentStopsTheParseAndKeepsWhatCameBefore) {
    Built b("<P>kept</P><!-- never closed <P>lost");
    EXPECT_EQ(b.result.Error, "Open Comment at End of HTML File");
    EXPECT_EQ(Shape(b.Cell()), "p('kept')");
}

TEST(BuilderStructure, MissingFileLeavesAnEmptyBody) {
    TSectionList doc;
    ViewerDefaults(doc);
    const TParseResult result = ParseHtmlFromFile(doc, "/nonexistent/nothing.htm");
    EXPECT_EQ(result.Error, "Can't locate file: /nonexistent/nothing.htm");
    ASSERT_EQ(doc.Count(), 1);
    EXPECT_TRUE(dynamic_cast<TBodyBlock&>(doc[0]).Content.IsEmpty());
}

TEST(BuilderStructure, PlainTextIsOneSectionPerLineWithTagsLiteral) {
    TSectionList doc;
    ViewerDefaults(doc);
    ParsePlainTextFromStrings(doc, {"<B>not bold</B> &amp;", "", "\tlast"});
    const auto& body = dynamic_cast<const TBlock&>(doc[0]);
    // A tab advances to the next multiple of eight columns, as in PRE.
    EXPECT_EQ(Shape(body.Content), "pre'<B>not bold</B> &amp;' pre'' pre'        last' pre''");
    EXPECT_EQ(Text(body.Content, 0).FontRuns[0].Font().Desc.name, "Courier New");
    EXPECT_EQ(Text(body.Content, 2).DocToSourcePos(0), 25) << "positions are byte offsets";

    TSectionList lf;
    ViewerDefaults(lf);
    const std::string file = ::testing::TempDir() + "/plain_test.txt";
    {
        std::ofstream out(file, std::ios::binary);
        out << "a\nb\n\rc\x1a"
               "after";
    }
    ParsePlainTextFromFile(lf, file);
    EXPECT_EQ(Shape(dynamic_cast<const TBlock&>(lf[0]).Content), "pre'a' pre'b' pre'c'");
    std::remove(file.c_str());
}

} // namespace
} // namespace tavlin::test
