// How the builder reads tables: implied rows and cells, text outside cells, captions, nesting,
// alignment through the property stack, and malformed or hostile tables.
#include "tests/builder/BuilderTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

std::string Repeat(std::string_view piece, int count) {
    std::string out;
    out.reserve(piece.size() * size_t(count));
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

const ThtmlTable& FirstTable(const TCellBasic& cell) {
    for (int i = 0; i < cell.Count(); ++i) {
        if (const auto* block = dynamic_cast<const TTableBlock*>(&cell[i])) {
            return *block->Table;
        }
    }
    throw std::out_of_range("no table");
}

TEST(BuilderTables, RowsAndCellsAreImpliedAndTextOutsideCellsGoesAhead) {
    EXPECT_EQ(Shape(Built("<TABLE><TR><TD>x</TABLE>").Cell()), "table([td('x')])");
    EXPECT_EQ(Shape(Built("<TABLE><TD>a<TD>b<TR><TH>c</TABLE>after").Cell()),
              "table([td('a') td('b')] [th('c')]) 'after'");
    EXPECT_EQ(Shape(Built("<TABLE>stray<TR><TD>in</TD>more</TR></TABLE>").Cell()),
              "'stray' 'more' table([td('in')])");
    // Paragraphs and lists inside cells end at the cell's end.
    EXPECT_EQ(Shape(Built("<TABLE><TR><TD><P>p<UL><LI>i</UL><TD>n</TABLE>").Cell()),
              "table([td(p('p') ul(li('i'))) td('n')])");
}

TEST(BuilderTables, CaptionOnTopUnlessAlignedToTheBottom) {
    EXPECT_EQ(Shape(Built("<TABLE><CAPTION>c</CAPTION><TR><TD>x</TABLE>").Cell()),
              "table(caption^('c') [td('x')])");
    EXPECT_EQ(Shape(Built("<TABLE><TR><TD>x<CAPTION ALIGN=BoTToM>c</TABLE>").Cell()),
              "table([td('x')] captionv('c'))");
    EXPECT_EQ(Shape(Built("<TABLE><CAPTION ALIGN=left>c</TABLE>").Cell()), "table(caption^('c'))");
}

TEST(BuilderTables, HeaderCellsCentreAndDataCellsKeepLeftUnlessAligned) {
    Built b("<CENTER><TABLE><TR ALIGN=right><TH>h<TD>d<TD ALIGN=center>c</TR><TR><TD>l</TABLE></CENTER>"
            "<DIV ALIGN=right><TABLE ALIGN=left><TR><TD>f</TABLE></DIV>");
    const ThtmlTable& t = FirstTable(b.Cell());
    const auto justify = [&](int r, int c) {
        return At<TSection>(*t.RowList[size_t(r)]->At(c)->Cell, 0).Justify;
    };
    EXPECT_EQ(justify(0, 0), 3); // the row's ALIGN wins over the header's centring
    EXPECT_EQ(justify(0, 1), 3);
    EXPECT_EQ(justify(0, 2), 2);
    EXPECT_EQ(justify(1, 0), 1);
    Built plain("<TABLE><TR><TH>h<TD>d</TABLE>");
    const ThtmlTable& p = FirstTable(plain.Cell());
    EXPECT_EQ(At<TSection>(*p.RowList[0]->At(0)->Cell, 0).Justify, 2);
    EXPECT_EQ(At<TSection>(*p.RowList[0]->At(1)->Cell, 0).Justify, 1);
    // The enclosing alignment places a table that neither floats nor centres itself.
    EXPECT_EQ(dynamic_cast<const TTableBlock&>(b.Cell()[0]).Justify, TTableBlock::JustifyCentre);
    const auto& div = dynamic_cast<const TBlock&>(b.Cell()[1]);
    const auto& floating = dynamic_cast<const TTableBlock&>((div.Content)[0]);
    EXPECT_EQ(floating.Justify, TTableBlock::JustifyNone);
    EXPECT_EQ(floating.Floating, TBlock::FloatLeft);
}

TEST(BuilderTables, VerticalAlignmentFromCellThenRow) {
    Built b("<TABLE><TR VALIGN=bottom><TD>a<TD VALIGN=top>b<TD VALIGN=BASELINE>c<TD VALIGN=nonsense>d</TR>"
            "<TR><TD>e</TABLE>");
    const ThtmlTable& t = FirstTable(b.Cell());
    const TCellList& row = *t.RowList[0];
    EXPECT_EQ(row.At(0)->VAlign, TCellObj::VBottom);
    EXPECT_EQ(row.At(1)->VAlign, TCellObj::VTop);
    EXPECT_EQ(row.At(2)->VAlign, TCellObj::VTop);
    EXPECT_EQ(row.At(3)->VAlign, TCellObj::VBottom);
    EXPECT_EQ(t.RowList[1]->At(0)->VAlign, TCellObj::VMiddle);
}

TEST(BuilderTables, NoWrapCellsReadTheirTextUnbrokenAndStateIsRestored) {
    Built b("<NOBR>a b<TABLE><TR><TD NOWRAP>c d<TD NOWRAP WIDTH=50>e f<TD>g h</TABLE>i j</NOBR>");
    const ThtmlTable& t = FirstTable(b.Cell());
    const auto text = [&](int c) { return At<TSection>(*t.RowList[0]->At(c)->Cell, 0).Text(); };
    EXPECT_EQ(text(0), "c\xA0"
                       "d");
    EXPECT_EQ(text(1), "e f");
    EXPECT_EQ(text(2), "g h");
    EXPECT_EQ(At<TSection>(b.Cell(), 2).Text(), "i\xA0j"); // NOBR is in force again after the table
}

TEST(BuilderTables, ElevenNestedTablesGiveTenAndTheNextTableIsNormal) {
    Built b(Repeat("<TABLE><TR><TD>", 11) + "deep" + Repeat("</TD></TR></TABLE>", 11) +
            "<TABLE><TR><TD>next</TABLE>");
    int depth = 0;
    const TCellBasic* cell = &b.Cell();
    while (cell && cell->Count() > 0) {
        const auto* block = dynamic_cast<const TTableBlock*>(&(*cell)[0]);
        if (!block) {
            break;
        }
        ++depth;
        cell = block->Table->RowList.empty() ? nullptr : block->Table->RowList[0]->At(0)->Cell.get();
    }
    EXPECT_EQ(depth, 10);
    EXPECT_EQ(TableShape(*dynamic_cast<const TTableBlock&>(b.Cell()[b.Cell().Count() - 1]).Table),
              "[td('next')]");
}

TEST(BuilderTables, AnErrorInsideATableKeepsWhatWasRead) {
    Built b("<TABLE><TR><TD>kept<TABLE><TR><TD>inner<!-- never closed <TD>lost");
    EXPECT_EQ(b.result.Error, "Open Comment at End of HTML File");
    EXPECT_EQ(Shape(b.Cell()),
              "table([td('kept' table([td()]))])"); // the text before the comment is part of its token
    EXPECT_GT(b.Layout(400), 0);
}

TEST(BuilderTables, MalformedAndHostileTablesBuildInBoundedTime) {
    EXPECT_EQ(Shape(Built("<TD>no table</TD><TR>row").Cell()), "'no tablerow'");
    EXPECT_EQ(Shape(Built("<TABLE><CAPTION>only a caption</TABLE>").Cell()),
              "table(caption^('only a caption'))");
    EXPECT_EQ(Shape(Built("<TABLE></TABLE><TABLE>").Cell()), "table() table()");
    Built nested(Repeat("<TABLE><TR><TD>x", 10000));
    EXPECT_EQ(nested.Layout(400) > 0, true);
    Built rows("<TABLE>" + Repeat("<TR><TD>a<TD>b", 5000) + "</TABLE>");
    EXPECT_EQ(FirstTable(rows.Cell()).RowCount(), 5000);
    EXPECT_GT(rows.Layout(400), 5000 * 16);
}

} // namespace
} // namespace tavlin::test
