// Table grids, widths and heights on the fixed-metric canvas (Times 12 pt: characters 8 pixels
// wide, lines 16 high), and tables that hostile numbers must not break.
#include "document/Table.h"
#include "tests/builder/BuilderTestUtil.h"

#include <gtest/gtest.h>

#include <numeric>

namespace tavlin::test {
namespace {

struct TableDoc : Built {
    explicit TableDoc(const std::string& html, int width = 400) : Built(html) { Layout(width); }
    // The n-th table block of the body (tables nested in cells are not counted).
    TTableBlock& Block(int n = 0) {
        for (int i = 0; i < Cell().Count(); ++i) {
            if (auto* block = dynamic_cast<TTableBlock*>(&Cell()[i]); block && n-- == 0) {
                return *block;
            }
        }
        throw std::out_of_range("no such table");
    }
    ThtmlTable& Table(int n = 0) { return *Block(n).Table; }
};

int GridSum(const ThtmlTable& t) {
    return std::accumulate(t.ColumnWidths.begin(), t.ColumnWidths.begin() + t.ColumnCount, t.CellSpacing);
}

TEST(TableLayout, SpacingAndPaddingFromAttributes) {
    TableDoc d("<TABLE BORDER=1><TR><TD>a</TABLE>"
               "<TABLE BORDER=1 CELLSPACING=0><TR><TD>a</TABLE>"
               "<TABLE CELLSPACING=-3 CELLPADDING=-1><TR><TD>a</TABLE>"
               "<TABLE CELLSPACING=99999 CELLPADDING=99999><TR><TD>a</TABLE>");
    EXPECT_EQ(d.Table(0).CellSpacing, 4);
    EXPECT_EQ(d.Table(1).CellSpacing, 2);
    EXPECT_EQ(d.Table(2).CellSpacing, 2);
    EXPECT_EQ(d.Table(2).CellPadding, 1);
    EXPECT_EQ(d.Table(3).CellSpacing, 40);
    EXPECT_EQ(d.Table(3).CellPadding, 50);
}

TEST(TableLayout, SpansExpandIntoFillersAndClipAtTheLastRow) {
    TableDoc d("<TABLE><TR><TD COLSPAN=3>wide</TD></TR><TR><TD>a<TD>b<TD>c</TR>"
               "<TR><TD ROWSPAN=5>tall<TD>x</TR></TABLE>");
    const ThtmlTable& t = d.Table();
    ASSERT_EQ(t.RowCount(), 3);
    EXPECT_EQ(t.ColumnCount, 3);
    EXPECT_EQ(t.RowList[0]->Count(), 3); // the cell and two empty slots
    EXPECT_EQ(t.RowList[0]->At(1), nullptr);
    EXPECT_EQ(t.RowList[2]->At(0)->RowSpan, 1); // a ROWSPAN of 5 in the last row covers it alone
    // The spanning cell's width is that of the three columns under it.
    EXPECT_EQ(t.RowList[0]->At(0)->CellWidth, GridSum(t) - t.CellSpacing);
}

TEST(TableLayout, TooManyColumnsDropsTheTableAndKeepsThePage) {
    std::string cells200;
    for (int i = 0; i < 200; ++i) {
        cells200 += "<TD>x";
    }
    std::vector<std::string> errors;
    Built ok("<TABLE><TR>" + cells200 + "</TABLE>");
    ok.Layout(400);
    EXPECT_EQ(dynamic_cast<TTableBlock&>(ok.Cell()[0]).Table->ColumnCount, 200);
    for (const std::string& wide :
         {cells200 + "<TD>x", std::string("<TD COLSPAN=100000>x"), std::string("<TD>a<TD COLSPAN=200>b")}) {
        Built bad("before<TABLE><TR>" + wide + "</TABLE>after");
        bad.doc.OnProcessError = [&](const std::string& m) { errors.push_back(m); };
        bad.Layout(400);
        EXPECT_EQ(Shape(bad.Cell()), "'before' 'after'");
    }
    ASSERT_EQ(errors.size(), 3u);
    EXPECT_EQ(errors[0], "Table has too many Columns");
}

TEST(TableLayout, HostileRowSpansCostBoundedWork) {
    // Each row's cell spans every row below: only the first column's spans are expanded, and
    // every span is clipped to the rows there are.
    std::string rows;
    for (int i = 0; i < 3000; ++i) {
        rows += "<TR><TD ROWSPAN=65535>x</TD></TR>";
    }
    TableDoc stairs("<TABLE>" + rows + "</TABLE>");
    EXPECT_EQ(stairs.Table().ColumnCount, 2);
    EXPECT_EQ(stairs.Table().RowList[0]->At(0)->RowSpan, 3000);
    EXPECT_EQ(stairs.Table().RowList[5]->At(1)->RowSpan, 2995);
    // Spanning cells that would push the rows below past 200 columns are refused early.
    std::string wide = "<TR>";
    for (int i = 0; i < 200; ++i) {
        wide += "<TD ROWSPAN=65535>x";
    }
    std::vector<std::string> errors;
    Built b("<TABLE>" + wide + wide + wide + "</TABLE>");
    b.doc.OnProcessError = [&](const std::string& m) { errors.push_back(m); };
    b.Layout(400);
    EXPECT_EQ(errors, std::vector<std::string>{"Table has too many Columns"});
}

TEST(TableLayout, PercentAndPixelWidthsShareAGivenWidthExactly) {
    TableDoc d("<TABLE WIDTH=300><TR><TD WIDTH=\"50%\">half<TD WIDTH=60>px<TD>rest</TABLE>"
               "<TABLE WIDTH=100%><TR><TD WIDTH=\"10%\">a<TD WIDTH=\"10%\">b<TD>c</TABLE>");
    const ThtmlTable& t = d.Table(0);
    EXPECT_EQ(GridSum(t), 300);
    EXPECT_EQ(t.ColumnWidths[0], 149); // half of 300 less the spacing
    EXPECT_EQ(t.ColumnWidths[1], 60);
    EXPECT_EQ(GridSum(d.Table(1)), 380);
    EXPECT_EQ(d.Table(1).ColumnWidths[0], 38);
}

TEST(TableLayout, CellWidthPercentsAndStyleWidths) {
    TableDoc d("<TABLE><TR><TD WIDTH=\"100%\">a<TD STYLE=\"width:100%\">b<TD STYLE=\"width:40%\">c"
               "<TD WIDTH=\"250%\">d</TABLE>");
    const TCellList& row = *d.Table().RowList[0];
    EXPECT_EQ(row.At(0)->SpecifiedWidth, 1000);
    EXPECT_TRUE(row.At(0)->WidthIsPercent);
    EXPECT_EQ(row.At(1)->SpecifiedWidth, 0); // a style width of 100% is not taken
    EXPECT_EQ(row.At(2)->SpecifiedWidth, 400);
    EXPECT_EQ(row.At(3)->SpecifiedWidth, 0);
}

TEST(TableLayout, NarrowWidthGivesTheCellsMinimumAndLongWordsSetIt) {
    TableDoc d(
        "<TABLE WIDTH=20><TR><TD>abcdefghij<TD>xy</TABLE>"
        "<TABLE><TR><TD>abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyz<TD>a b c d e f g h</TABLE>",
        300);
    const ThtmlTable& narrow = d.Table(0);
    EXPECT_EQ(narrow.ColumnWidths[0], 80 + 2 + 2); // the word, padding and spacing
    EXPECT_EQ(narrow.ColumnWidths[1], 16 + 2 + 2);
    const ThtmlTable& word = d.Table(1);
    EXPECT_EQ(word.ColumnWidths[0], 52 * 8 + 4); // wider than the view
    EXPECT_EQ(d.scrollWidth, 10 + GridSum(word) + 10);
}

TEST(TableLayout, RowHeightsSpansAndGivenHeight) {
    TableDoc d(
        "<TABLE CELLSPACING=0 CELLPADDING=0><TR><TD ROWSPAN=2>a<BR>b<BR>c<BR>d<TD>x</TR>"
        "<TR><TD>y</TR></TABLE>"
        "<TABLE HEIGHT=100 CELLSPACING=0 CELLPADDING=0><TR><TD>a</TR><TR><TD>b</TR><TR><TD>c</TR></TABLE>");
    const ThtmlTable& spans = d.Table(0);
    EXPECT_EQ(spans.RowList[0]->RowHeight + spans.RowList[1]->RowHeight, 64);
    EXPECT_EQ(spans.RowList[0]->At(0)->CellHeight, 64);
    const ThtmlTable& given = d.Table(1);
    EXPECT_EQ(given.BodyHeight, 100);
    EXPECT_EQ(given.RowList[0]->RowHeight, 33);
    EXPECT_EQ(given.RowList[2]->RowHeight, 34);
}

TEST(TableLayout, VerticalAlignmentOffsetsTheContent) {
    TableDoc d("<TABLE CELLSPACING=0 CELLPADDING=0><TR><TD HEIGHT=96>tall<TD VALIGN=top>t<TD>m"
               "<TD VALIGN=bottom>b</TABLE>");
    const TCellList& row = *d.Table().RowList[0];
    EXPECT_EQ(row.At(1)->VerticalOffset, 0);
    EXPECT_EQ(row.At(2)->VerticalOffset, 40);
    EXPECT_EQ(row.At(3)->VerticalOffset, 80);
}

TEST(TableLayout, CaptionWiderThanTheGridCentresIt) {
    TableDoc d("<TABLE CELLSPACING=0 CELLPADDING=0><CAPTION>abcdefghij</CAPTION><TR><TD>ab</TABLE>");
    const ThtmlTable& t = d.Table();
    EXPECT_EQ(t.OuterWidth, 80);
    EXPECT_EQ(t.GridIndent, (80 - 16) / 2);
    EXPECT_EQ(t.CaptionHeight, 16);
}

TEST(TableLayout, PercentHeightOnlyForATopLevelTable) {
    TableDoc d("<TABLE HEIGHT=\"50%\"><TR><TD><TABLE HEIGHT=\"50%\"><TR><TD>in</TABLE></TABLE>");
    EXPECT_EQ(d.Block().HeightAttr, 500);
    EXPECT_EQ(d.Table().GivenHeight, 295); // half of the height less the body's margins
    const TCellList& row = *d.Table().RowList[0];
    const auto& inner = dynamic_cast<const TTableBlock&>((*row.At(0)->Cell)[0]);
    EXPECT_EQ(inner.HeightAttr, 0);
}

TEST(TableLayout, HugeNumbersStayInRange) {
    TableDoc d("<TABLE WIDTH=99999999 HEIGHT=99999999 HSPACE=-99999999 VSPACE=99999999>"
               "<TR><TD WIDTH=99999999 HEIGHT=99999999>a<TD STYLE=\"padding:99999999px\">b</TR>"
               "<TR><TD COLSPAN=2 WIDTH=99999999>c</TR></TABLE>");
    const ThtmlTable& t = d.Table();
    EXPECT_GT(t.GridWidth, 0);
    EXPECT_GT(t.BodyHeight, 0);
    EXPECT_GT(d.height, 0);
    for (int c = 0; c < t.ColumnCount; ++c) {
        EXPECT_GE(t.ColumnWidths[size_t(c)], 0);
    }
}

TEST(TableLayout, FloatingTableTakesHSpaceAndTextFlowsBesideIt) {
    TableDoc d("<TABLE ALIGN=right CELLSPACING=0 CELLPADDING=0><TR><TD>abc</TABLE>words beside");
    TTableBlock& block = d.Block();
    EXPECT_EQ(block.Floating, TBlock::FloatRight);
    EXPECT_TRUE(block.Table->Floating);
    EXPECT_EQ(block.Box[piMarginLeft], 3);
    const auto& text = At<TSection>(d.Cell(), 1);
    EXPECT_EQ(text.ArrangeY, block.ArrangeY); // beside, not below
}

} // namespace
} // namespace tavlin::test
