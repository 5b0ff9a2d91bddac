// Input that must neither crash the builder nor make it slow or hungry: deep nesting, piles of
// unclosed tags, huge preformatted text, random bytes. Each document is also laid out and painted.
#include "builder/Builder.h"
#include "tests/builder/BuilderTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>

namespace tavlin::test {
namespace {

std::string Repeat(std::string_view piece, size_t count) {
    std::string out;
    out.reserve(piece.size() * count);
    for (size_t i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

// How deep the blocks of a document go.
int BlockDepth(const TCellBasic& cell) {
    int deepest = 0;
    for (int i = 0; i < cell.Count(); ++i) {
        if (const auto* block = dynamic_cast<const TBlock*>(&cell[i])) {
            deepest = std::max(deepest, 1 + BlockDepth(block->Content));
        }
    }
    return deepest;
}

// The text of every section in document order.
void CollectText(const TCellBasic& cell, std::string& out) {
    for (int i = 0; i < cell.Count(); ++i) {
        if (const auto* block = dynamic_cast<const TBlock*>(&cell[i])) {
            CollectText(block->Content, out);
        } else if (const auto* text = dynamic_cast<const TSection*>(&cell[i])) {
            out += text->Text();
        }
    }
}

void LayOutAndPaint(Built& b) {
    b.Layout(640);
    b.Paint(Rect{0, 0, 640, 480});
    b.Paint(Rect{0, 0, 640, 480}, std::max(0, b.height - 480));
}

TEST(BuilderBadInput, DeepNestingIsBuiltFlatBelowTheLimit) {
    // 100,000 nested lists, divisions and quotes; lists with items (every item a block of its
    // own once the limit is reached) 5,000 deep.
    const std::pair<const char*, size_t> cases[] = {{"<DL>x", 100000},   {"<UL>x", 100000},
                                                    {"<DIV>x", 100000},  {"<BLOCKQUOTE>x", 100000},
                                                    {"<DL><DT>x", 5000}, {"<OL><LI><P>x", 5000}};
    for (const auto& [piece, count] : cases) {
        Built b(Repeat(piece, count) + "end");
        LayOutAndPaint(b);
        const int depth = BlockDepth(b.doc);
        EXPECT_LE(depth, THtmlBuilder::kMaxNesting + 3) << piece;
        EXPECT_GT(depth, THtmlBuilder::kMaxNesting / 3) << piece;
        std::string text;
        CollectText(b.doc, text);
        EXPECT_EQ(size_t(std::count(text.begin(), text.end(), 'x')), count) << piece << ": every x is kept";
        EXPECT_EQ(text.substr(text.size() - 3), "end") << piece;
    }
}

TEST(BuilderBadInput, DeeplyNestedFontsAndUnclosedTagsKeepTheStackSmall) {
    Built fonts(Repeat("<FONT SIZE=+1 COLOR=red>a", 100000));
    LayOutAndPaint(fonts);
    std::string text;
    CollectText(fonts.doc, text);
    EXPECT_EQ(text.size(), 100000u);

    // A million unclosed B, then a million end tags of elements that are not open: neither
    // costs a search through a million entries.
    Built bold(Repeat("<B>", 1000000) + "bold" + Repeat("</I>", 1000000) + "<P>after");
    LayOutAndPaint(bold);
    EXPECT_EQ(Shape(bold.Cell()), "'bold' p('after')");
    EXPECT_TRUE(At<TSection>(bold.Cell(), 0).FontRuns[0].Font().Desc.bold());
}

TEST(BuilderBadInput, HugePreformattedText) {
    // 50 MB in one line, and many lines: each line is one section, and a line keeps at most
    // what a preformatted section takes.
    std::string oneLine = "<PRE>" + std::string(50u << 20, 'p') + "</PRE>after";
    Built line(oneLine);
    oneLine.clear();
    oneLine.shrink_to_fit();
    LayOutAndPaint(line);
    const TBlock& pre = At<TBlock>(line.Cell(), 0);
    ASSERT_EQ(pre.Content.Count(), 1);
    EXPECT_LE(At<TSection>(pre.Content, 0).Len(), TPreFormated::kMaxChars + THtmlBuilder::kPreChunk + 1);
    EXPECT_EQ(Shape(line.Cell()).substr(Shape(line.Cell()).size() - 7), "'after'");

    Built lines("<PRE>" + Repeat("0123456789 line of preformatted text\n", 100000) + "</PRE>");
    LayOutAndPaint(lines);
    EXPECT_EQ(At<TBlock>(lines.Cell(), 0).Content.Count(), 100001);
}

TEST(BuilderBadInput, HugeBoxesStackUpWithoutOverflow) {
    // Each box is some six million pixels high: seven hundred of them would pass the range of
    // a 32-bit coordinate. The document stops growing at a billion pixels instead.
    Built b("<STYLE>div { margin: 1000000px; padding: 1000000px; height: 1000000px; border: 1000000px solid }"
            "</STYLE>" +
            Repeat("<DIV>x</DIV>", 700));
    LayOutAndPaint(b);
    EXPECT_GT(b.height, 100000000);
    EXPECT_LE(b.height, 1000000000 + 100);
    int previous = -1;
    for (int i = 0; i < b.Cell().Count(); ++i) {
        const auto& div = At<TBlock>(b.Cell(), i);
        EXPECT_GE(div.ContentY(), previous);
        previous = div.ContentY();
    }
}

TEST(BuilderBadInput, FontSizesAtTheEdgesOfTheIntegerRange) {
    // Relative sizes are added to the base size: the largest numbers must not overflow.
    Built b("<BASEFONT SIZE=+2147483647>a<FONT SIZE=+2147483647>b</FONT><FONT SIZE=-2147483648>c</FONT>"
            "<BASEFONT SIZE=-2147483647>d<FONT SIZE=2147483647>e</FONT>");
    LayOutAndPaint(b);
    std::string text;
    CollectText(b.Cell(), text);
    EXPECT_NE(text.find("abcde"), std::string::npos) << text;
}

TEST(BuilderBadInput, OpenCommentAndRandomBytes) {
    Built comment("<UL><LI>a<LI>b<!-- open");
    LayOutAndPaint(comment);
    EXPECT_EQ(comment.result.Error, "Open Comment at End of HTML File");
    EXPECT_EQ(Shape(comment.Cell()), "ul(li('a') li())")
        << "the text being read when the source ended is lost";

    std::mt19937 random(12345);
    const std::string alphabet =
        "<>/=\"' \r\n\t&#;!-abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int round = 0; round < 20; ++round) {
        std::string bytes(20000, ' ');
        for (char& c : bytes) {
            c = round % 2 ? char(random() & 0xFF) : alphabet[random() % alphabet.size()];
        }
        Built b(bytes);
        LayOutAndPaint(b);
        std::unique_ptr<TSectionList> copy = b.doc.CloneFor();
        b.doc.SelStart = 0;
        b.doc.SelEnd = 1000000;
        b.doc.CopyToClipboard();
    }
}

// Inputs whose cost once grew with the square of their size: each of these documents takes a
// few seconds to build and lay out, and would take many minutes (past the test's time limit) if
// a step again copied or searched everything read so far for each piece it reads.
const TSection& OnlyParagraph(Built& b) {
    const TBlock& p = At<TBlock>(b.Cell(), 0);
    EXPECT_EQ(p.Content.Count(), 1);
    return At<TSection>(p.Content, 0);
}

TEST(BuilderBadInput, OneParagraphOfMegabytes) {
    // Words, one word without a space, no-break spaces and character references: each arrives
    // in many pieces that are appended to the same section and laid out in many lines.
    const std::string bodies[] = {Repeat("word ", 1000000), std::string(5000000, 'w'),
                                  "x" + Repeat("&nbsp;", 1000000) + "y", Repeat("a&amp;b ", 500000)};
    for (const std::string& body : bodies) {
        Built b("<P>" + body);
        b.Layout(800);
        const TSection& s = OnlyParagraph(b);
        EXPECT_GE(size_t(s.Len()), body.size() / 6);
        // The source map reaches the last character, and the lines the end of the text.
        EXPECT_EQ(s.DocToSourcePos(s.FirstPos + s.Len() - 1), int(3 + body.size() - 1));
        EXPECT_EQ(s.Lines().back().End(), s.Len());
    }
}

TEST(BuilderBadInput, LongLinkAddressSpanningManyRunsAndSections) {
    // An address of a megabyte over 20,000 font runs and 5,000 sections: every run and section
    // of the link shares the one address.
    const std::string address(1000000, 'u');
    Built b("<A HREF=\"" + address + "\">" + Repeat("<B>b</B>i", 20000) + Repeat("<BR>x", 5000) +
            "</A>after");
    b.Layout(800);
    const TSection& first = At<TSection>(b.Cell(), 0);
    ASSERT_EQ(first.FontRuns.Count(), 40000);
    EXPECT_EQ(first.LinkOf(first.FontRuns[39999]).Url.size(), address.size());
    EXPECT_EQ(first.FontRuns[0].LinkNumber(), first.FontRuns[39999].LinkNumber())
        << "one shared link for all its runs";
    EXPECT_EQ(b.Cell().Count(), 5001);
    EXPECT_EQ(At<TSection>(b.Cell(), 5000).FontRuns[0].LinkNumber(), first.FontRuns[0].LinkNumber());
}

TEST(BuilderBadInput, ManyFontChangesInOneParagraph) {
    Built b("<P>" + Repeat("<B>b</B><I>i</I> ", 30000));
    b.Layout(800);
    const TSection& s = OnlyParagraph(b);
    EXPECT_EQ(s.Len(), 90000);
    EXPECT_EQ(s.FontRuns.Count(), 90000);
    EXPECT_TRUE(s.FontRuns[89997].Font().Desc.bold());
}

TEST(BuilderBadInput, ManyRulesNamingAncestorsOverManyElements) {
    // Every element asks whether a rule naming ancestors may reach it; that must not read every
    // such rule. The answer must stay right: only the B inside the DIV is red.
    std::string sheet = "<STYLE>";
    for (int i = 0; i < 10000; ++i) {
        sheet += "DIV I" + std::to_string(i % 100) + " {color: blue}\n";
    }
    sheet += "DIV B {color: red}</STYLE>";
    Built b(sheet + "<P>" + Repeat("<B>x</B> ", 100000) + "<DIV><B>y</B></DIV>");
    const TSection& many = OnlyParagraph(b);
    const TSection& inDiv = At<TSection>(At<TBlock>(b.Cell(), b.Cell().Count() - 1).Content, 0);
    EXPECT_EQ(many.FontRuns.Count(), 200000);
    EXPECT_EQ(inDiv.Text(), "y");
    EXPECT_EQ(inDiv.FontRuns[0].Font().FontColor, rgb(255, 0, 0));
    EXPECT_NE(many.FontRuns[0].Font().FontColor, rgb(255, 0, 0));
}

TEST(BuilderBadInput, ManyFloatsSideBySide) {
    // Floating blocks all at one height: placing each must not look at every float before it.
    Built b(Repeat("<DIV STYLE=\"float:left;width:5px\">x</DIV>", 40000) + "<P>after");
    b.Layout(800);
    const int first = At<TBlock>(b.Cell(), 0).ContentX;
    const int step = At<TBlock>(b.Cell(), 1).ContentX - first;
    const auto& last = At<TBlock>(b.Cell(), 39999);
    EXPECT_GT(step, 0);
    EXPECT_EQ(last.ContentX, first + 39999 * step); // one beside the other, as far as they go
    EXPECT_EQ(last.ContentY(), At<TBlock>(b.Cell(), 0).ContentY());
}

} // namespace
} // namespace tavlin::test
