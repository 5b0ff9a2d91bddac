// Through a table: copying a selection, finding text, hit tests, drawing of empty cells and
// frames, and where a printed page ends inside a table.
#include "document/Table.h"
#include "tests/builder/BuilderTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

std::string Copy(Built& b, int from, int to) {
    std::string text;
    b.doc.OnClipboardText = [&](std::string_view t) { text = t; };
    b.doc.SelStart = from;
    b.doc.SelEnd = to;
    b.doc.CopyToClipboard();
    return text;
}

TEST(TableQuery, CopyGivesTheCellsInReadingOrder) {
    Built b("before<TABLE><CAPTION ALIGN=bottom>cap</CAPTION><TR><TD>a1<TD ROWSPAN=2>b1</TR>"
            "<TR><TD>a2</TR></TABLE>after");
    b.Layout(400);
    EXPECT_EQ(Copy(b, 0, 1000), "before\r\na1\r\nb1\r\na2\r\ncap\r\nafter\r\n");
    // A selection from inside the first cell to inside the caption.
    EXPECT_EQ(Copy(b, 7, 14), "1\r\nb1\r\na2\r\nca");
}

TEST(TableQuery, FindAndPositionsWalkTheCells) {
    Built b("<TABLE><TR><TD>alpha<TD>beta</TR><TR><TD>gamma<TD>beta</TABLE>");
    b.Layout(400);
    b.Paint({0, 0, 400, 600});
    EXPECT_EQ(b.doc.SearchText(0, "beta", false), 5);
    EXPECT_EQ(b.doc.SearchText(6, "BETA", false), 14);
    EXPECT_EQ(b.doc.SearchText(15, "alpha", false), -1);
    char ch = 0;
    TSectionBase* section = nullptr;
    ASSERT_TRUE(b.doc.CharAt(9, ch, section));
    EXPECT_EQ(ch, 'g');
    int x = 0;
    int y = 0;
    ASSERT_TRUE(b.doc.PositionToXY(&b.canvas, 15, x, y));
    TPositionHit hit;
    EXPECT_EQ(x, 10 + 44 + 3 + 8); // the second column, past the spacing, padding and "b"
    EXPECT_EQ(b.doc.PositionAt(b.canvas, x + 1, y + 2, hit), 15);
    EXPECT_EQ(b.doc.DocToSourcePos(9), std::string_view("<TABLE><TR><TD>alpha<TD>beta</TR><TR><TD>").size());
}

TEST(TableQuery, HitTestsFindTheCellUnderThePoint) {
    Built b("<TABLE CELLSPACING=0 CELLPADDING=0><TR><TD><A HREF=\"one.htm\">one</A><TD>"
            "<A HREF=\"two.htm\">two</A></TABLE>");
    b.Layout(400);
    b.Paint({0, 0, 400, 600});
    TLinkAnswer answer;
    ASSERT_TRUE(b.doc.LinkAtPoint(b.canvas, 10 + 30, 5 + 5, answer));
    EXPECT_EQ(answer.Target.Url, "two.htm");
    EXPECT_FALSE(b.doc.LinkAtPoint(b.canvas, 10 + 60, 5 + 5, answer)); // right of the grid
    TPositionHit hit;
    EXPECT_EQ(b.doc.PositionAt(b.canvas, 10 + 9, 5 + 5, hit), 1);
}

TEST(TableQuery, EmptyCellsDrawNothingAndBorderedCellsAFrame) {
    Built b("<TABLE BORDER=1 CELLSPACING=0><TR><TD BGCOLOR=red><TD BGCOLOR=lime>x</TABLE>");
    b.Layout(400);
    b.Paint({0, 0, 400, 600});
    const auto painted = [&](Color c) {
        return std::count_if(b.canvas.rects.begin(), b.canvas.rects.end(),
                             [c](const FixedCanvas::RectCall& r) { return r.color == c; });
    };
    EXPECT_EQ(painted(rgb(255, 0, 0)), 0);
    EXPECT_EQ(painted(rgb(0, 255, 0)), 1);
    // The grid's raised frame and one sunken cell frame, four strokes each: the page is white,
    // so the light side is silver.
    EXPECT_EQ(painted(0x808080), 4);
    EXPECT_EQ(painted(0xC0C0C0), 4);
}

TEST(TableQuery, PrintCopyDrawsColoursOnlyWithTheBackgroundsOption) {
    Built b("<TABLE BORDERCOLOR=blue><TR><TD BGCOLOR=red>x</TABLE>");
    for (const bool option : {false, true}) {
        b.doc.PrintBackgrounds = option;
        std::unique_ptr<TSectionList> copy = b.doc.CloneFor();
        copy->Printing = true;
        FixedCanvas canvas;
        int scrollWidth = 0;
        int counter = 0;
        copy->Layout(canvas, 0, 400, 600, scrollWidth, counter);
        copy->PageBottom = 600;
        copy->PaintDocument(canvas, {0, 0, 400, 600}, 400, 0, 0, 0, 0);
        const auto painted = [&](Color c) {
            return std::count_if(canvas.rects.begin(), canvas.rects.end(),
                                 [c](const FixedCanvas::RectCall& r) { return r.color == c; });
        };
        EXPECT_EQ(painted(rgb(255, 0, 0)), option ? 1 : 0);
        EXPECT_EQ(painted(rgb(0, 0, 255)) > 0, option);
        EXPECT_EQ(canvas.texts.size(), 1u);
    }
}

TEST(TableQuery, PrintedPageEndsAboveARowItWouldCut) {
    std::string rows;
    for (int i = 0; i < 40; ++i) {
        rows += "<TR><TD>row<BR>two lines</TR>";
    }
    Built b("<TABLE CELLSPACING=0 CELLPADDING=0>" + rows + "</TABLE>");
    b.doc.Printing = true;
    b.Layout(400, 300);
    const ThtmlTable& t = *dynamic_cast<TTableBlock&>(b.Cell()[0]).Table;
    int top = 0;
    for (int page = 0; page < 3; ++page) {
        b.Paint({0, 0, 400, 300}, top);
        const int bottom = b.doc.PageBottom;
        EXPECT_GT(bottom, top + 200); // progress of more than two thirds of a page
        const bool onRowTop = std::any_of(t.RowList.begin(), t.RowList.end(),
                                          [bottom](const auto& row) { return row->RowTop == bottom; });
        EXPECT_TRUE(onRowTop) << "page " << page << " ends at " << bottom;
        top = bottom;
    }
}

TEST(TableQuery, PrintedTableThatFitsAPageStartsTheNextOne) {
    Built b("<DIV STYLE=\"height:250px\">tall</DIV><TABLE><TR><TD>a<BR>b<BR>c<BR>d</TABLE>");
    b.doc.Printing = true;
    b.Layout(400, 300);
    b.Paint({0, 0, 400, 300}, 0);
    EXPECT_EQ(b.doc.PageBottom, dynamic_cast<TTableBlock&>(b.Cell()[1]).Table->ArrangeY);
}

} // namespace
} // namespace tavlin::test
