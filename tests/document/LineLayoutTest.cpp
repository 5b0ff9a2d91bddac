#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

// Fixed metrics: a 16-pixel font is 8 pixels a character, ascent 12, descent 4.
class LineLayoutTest : public ::testing::Test {
protected:
    FixedDoc f;
};

TEST_F(LineLayoutTest, WrapsAtTheLastSpaceThatFitsAndPaintsWhereItMeasured) {
    TSection& s = f.Add("aaaa bbbb cccc dddd");
    EXPECT_EQ(f.Layout(100), 32);
    ASSERT_EQ(s.Lines().size(), 2u);
    EXPECT_EQ(s.Lines()[0].Start, 0);
    EXPECT_EQ(s.Lines()[0].CharCount, 10); // the space stays with the first line
    EXPECT_EQ(s.Lines()[1].Start, 10);
    EXPECT_EQ(s.Lines()[1].CharCount, 9);
    EXPECT_EQ(s.Lines()[1].LineY, 16);
    f.Paint({0, 0, 100, 100});
    EXPECT_EQ(f.Drawn(), (std::vector<std::string>{"0,12:aaaa bbbb", "0,28:cccc dddd"}));
}

TEST_F(LineLayoutTest, LineBreaksEndLinesAndCountAsTextHeight) {
    TSection& s = f.Open("ab");
    s.AppendChar(ph::LineBreak, 2, false);
    s.AppendChar(ph::LineBreak, 3, false);
    Append(s, "cd", 4);
    EXPECT_EQ(f.Layout(400), 48);
    ASSERT_EQ(s.Lines().size(), 3u);
    EXPECT_EQ(s.Lines()[0].CharCount, 3);
    EXPECT_EQ(s.Lines()[1].CharCount, 1); // a lone break is a line of text height
    EXPECT_EQ(s.Lines()[1].TextHeight, 16);
}

TEST_F(LineLayoutTest, JustifyCentresAndRightAlignsWithoutTrailingSpaces) {
    TSection& centre = f.Add("cccc dddd ");
    centre.Justify = 2;
    TSection& right = f.Add("ab");
    right.Justify = 3;
    f.Layout(100);
    EXPECT_EQ(centre.Lines()[0].IndentX, (100 - 72) / 2);
    EXPECT_EQ(right.Lines()[0].IndentX, 100 - 16);
    EXPECT_EQ(right.ArrangeY, 16);
}

TEST_F(LineLayoutTest, LineHeightSplitsTheExtraSpace) {
    TSection& s = f.Add("text", 10);
    s.LineHeight = 15;
    EXPECT_EQ(f.Layout(200), 15);
    EXPECT_EQ(s.Lines()[0].SpaceBefore, 2);
    EXPECT_EQ(s.Lines()[0].SpaceAfter, 3);
    EXPECT_EQ(s.Lines()[0].TextHeight, 10);
}

TEST_F(LineLayoutTest, ImageAlignmentRaisesTheLine) {
    const auto lineWith = [&](int align) {
        FixedDoc d;
        TSection& s = d.Open("ab");
        auto& box = static_cast<BoxObj&>(s.AddObject(std::make_unique<BoxObj>(30, 40, align), 2, false));
        Append(s, "cd", 3);
        d.Layout(400);
        d.Paint({0, 0, 400, 400});
        return std::make_pair(s.Lines()[0], box.DrawYY);
    };
    const auto [top, topY] = lineWith(ATop);
    EXPECT_EQ(top.SpaceBefore, 0);
    EXPECT_EQ(top.SpaceAfter, 40 - 16);
    EXPECT_EQ(topY, 0);
    const auto [bottom, bottomY] = lineWith(ABottom);
    EXPECT_EQ(bottom.SpaceBefore, 40 + 4 - 16);
    EXPECT_EQ(bottom.SpaceAfter, 0);
    EXPECT_EQ(bottomY + 40, bottom.SpaceBefore + 12); // its bottom on the baseline
    const auto [middle, middleY] = lineWith(AMiddle);
    EXPECT_EQ(middle.SpaceBefore, 12);
    EXPECT_EQ(middle.SpaceAfter, 12);
    EXPECT_EQ(middleY, 0);
}

TEST_F(LineLayoutTest, FormControlsAlignOnBaselineOrLineBottom) {
    TSection& s = f.Open("ab");
    BoxObj baseline(20, 30, ABaseline);
    BoxObj bottom(20, 30, ABottom);
    s.AddControl(&baseline, 2, false);
    EXPECT_EQ(s.Text().back(), ph::FormControl);
    f.Layout(400);
    EXPECT_EQ(s.Lines()[0].SpaceBefore, 30 - 16 + 4);
    FixedDoc g;
    TSection& t = g.Open("ab");
    t.AddControl(&bottom, 2, false);
    g.Layout(400);
    EXPECT_EQ(t.Lines()[0].SpaceBefore, 30 - 16);
    g.Paint({0, 0, 400, 400});
    EXPECT_EQ(bottom.DrawYY + 30, t.Lines()[0].SpaceBefore + 16); // on the bottom of the text
    EXPECT_EQ(bottom.DrawX, 16);
}

TEST_F(LineLayoutTest, SuperscriptAndSubscriptShiftTheBaseline) {
    TSection& s = f.Open("x");
    s.ChangeFont(Font(16), 2);
    Append(s, "2", 1);
    s.ChangeFont(Font(16), 1);
    Append(s, "i", 2);
    f.Layout(400);
    f.Paint({0, 0, 400, 100});
    EXPECT_EQ(f.Drawn(), (std::vector<std::string>{"0,12:x", "8,7:2", "16,15:i"}));
}

TEST_F(LineLayoutTest, LongWordBesideAFloatMovesBelowIt) {
    TSection& s = f.Open();
    s.AddObject(std::make_unique<BoxObj>(50, 40, ALeft), 0, false);
    Append(s, "abcdefghijkl", 1);
    EXPECT_EQ(f.Layout(100), 56);
    ASSERT_EQ(s.Lines().size(), 3u);
    EXPECT_EQ(s.Lines()[0].CharCount, 1); // the float alone
    EXPECT_EQ(s.Lines()[1].CharCount, 0); // an empty band beside it
    EXPECT_EQ(s.Lines()[2].LineY, 40);    // the word below it, at the full width
    EXPECT_EQ(s.Lines()[2].IndentX, 0);
    EXPECT_EQ(s.Images()[0]->ObjX, 0);
}

TEST_F(LineLayoutTest, TextFlowsBesideFloatsOnBothSides) {
    TSection& s = f.Open();
    s.AddObject(std::make_unique<BoxObj>(20, 20, ALeft), 0, false);
    auto right = std::make_unique<BoxObj>(30, 20, ARight);
    right->LeftSpace = right->RightSpace = 2;
    s.AddObject(std::move(right), 1, false);
    Append(s, "aaa bbb ccc ddd", 2);
    f.Layout(120);
    // Beside the floats 120 - 20 - 34 = 66 pixels: eight characters.
    EXPECT_EQ(s.Images()[1]->ObjX, 120 - 34 + 2);
    EXPECT_EQ(s.Lines()[0].IndentX, 20);
    EXPECT_EQ(s.Lines()[0].CharCount, 2 + 8); // "aaa bbb "
    EXPECT_EQ(s.Lines()[1].IndentX, 20);
    EXPECT_EQ(s.PaintHeight(), 32);
}

TEST_F(LineLayoutTest, FloatMetMidLineIsPlacedBelowTheLine) {
    TSection& s = f.Open("ab ");
    s.AddObject(std::make_unique<BoxObj>(40, 30, ALeft), 3, false);
    Append(s, "cd efgh ijkl", 4);
    f.Layout(100);
    EXPECT_EQ(s.Lines()[0].LineY, 0);
    EXPECT_EQ(s.Images()[0]->PlacedY, 16);
    EXPECT_EQ(s.Lines()[1].IndentX, 40);
    f.Paint({0, 0, 200, 200});
    // Floats are drawn after the text of every section.
    ASSERT_FALSE(f.canvas.rects.empty());
    EXPECT_EQ(f.canvas.rects.back().rect, (Rect{0, 16, 40, 46}));
    // A band below the float's line, beside the float's lower part, still paints it.
    f.canvas.rects.clear();
    f.Paint({0, 36, 200, 44});
    ASSERT_FALSE(f.canvas.rects.empty());
    EXPECT_EQ(f.canvas.rects.back().rect, (Rect{0, 16, 40, 46}));
}

TEST_F(LineLayoutTest, WordWiderThanTheLineOverflowsAndWidensTheDocument) {
    TSection& s = f.Add("short abcdefghijklmnop next");
    f.Layout(64);
    ASSERT_EQ(s.Lines().size(), 3u);
    EXPECT_EQ(s.Lines()[1].CharCount, 17);
    EXPECT_EQ(f.scrollWidth, 16 * 8);
}

TEST_F(LineLayoutTest, ClearRequestStartsBelowFloats) {
    TSection& floats = f.Open();
    floats.AddObject(std::make_unique<BoxObj>(30, 50, ALeft), 0, false);
    Append(floats, "x", 1);
    auto cleared = std::make_unique<TSection>(&f.doc, Font(16));
    cleared->ClearSide = 3;
    Append(*cleared, "below", 2);
    TSection& c = f.AddSection(std::move(cleared));
    f.Layout(200);
    EXPECT_EQ(c.ArrangeY, 16);
    EXPECT_EQ(c.Lines()[1].LineY, 51); // one past the float's bottom
    EXPECT_EQ(c.Lines()[1].IndentX, 0);
}

TEST_F(LineLayoutTest, PreformattedNeverWrapsIsClippedAndCapsItsMinimum) {
    const std::string line(300, 'x');
    TPreFormated& pre = f.Add<TPreFormated>(line + "   ");
    f.Layout(100);
    ASSERT_EQ(pre.Lines().size(), 1u);
    EXPECT_EQ(f.scrollWidth, 303 * 8);
    int minWidth = 0;
    int maxWidth = 0;
    pre.MeasureWidths(f.canvas, minWidth, maxWidth);
    EXPECT_EQ(minWidth, 2000);
    EXPECT_EQ(maxWidth, 303 * 8);
    f.doc.PaintDocument(f.canvas, {0, 0, 8000, 100}, 6000, 10, 0, 0, 0);
    ASSERT_EQ(f.canvas.texts.size(), 1u);
    EXPECT_EQ(f.canvas.texts[0].clip, (Rect{10, 0, 6010, 17}));
    TPreFormated& empty = f.Add<TPreFormated>("", 20);
    f.Layout(100);
    EXPECT_EQ(empty.FlowHeight, 20);
}

TEST_F(LineLayoutTest, MinimumAndMaximumWidths) {
    TSection& s = f.Open("ab cdef\xA0gh ij");
    s.AppendChar(ph::LineBreak, 20, false);
    Append(s, "k", 21);
    s.AddObject(std::make_unique<BoxObj>(100, 10, ALeft), 22, false);
    int minWidth = 0;
    int maxWidth = 0;
    s.MeasureWidths(f.canvas, minWidth, maxWidth);
    EXPECT_EQ(minWidth, 100);
    EXPECT_EQ(maxWidth, 100 + 13 * 8);
    TSection& t = f.Add("ab cdef\xA0gh ij");
    t.MeasureWidths(f.canvas, minWidth, maxWidth);
    EXPECT_EQ(minWidth, 7 * 8); // the no-break space joins the words
    EXPECT_EQ(t.CachedMinWidth(), 7 * 8);
}

TEST_F(LineLayoutTest, Utf8CharactersAreNeverSplit) {
    // Eleven two-byte characters and no space: the word overflows whole.
    std::string word;
    for (int i = 0; i < 11; ++i) {
        word += "\xC3\xA9";
    }
    TSection& s = f.Add(word + " " + word);
    f.Layout(10 * 8 + 4);
    ASSERT_EQ(s.Lines().size(), 2u);
    EXPECT_EQ(s.Lines()[0].CharCount, 23);
    // At a width that fits three characters, lines hold whole characters.
    FixedDoc g;
    TSection& t = g.Add("\xC3\xA9\xC3\xA9 \xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9");
    g.Layout(3 * 8);
    for (const LineRec& line : t.Lines()) {
        EXPECT_EQ(t.CharStartAtOrBefore(line.Start), line.Start);
        EXPECT_EQ(t.CharStartAtOrBefore(line.End()), line.End());
    }
}

TEST_F(LineLayoutTest, DegenerateWidthsAndFontsStillLayOut) {
    TSection& s = f.Open("one two three");
    s.ChangeFont(Font(0));
    Append(s, " tiny", 20);
    s.ChangeFont(TMyFont::FromChoice(FontChoice{FontDesc{"Fixed", 2667, 0, 1}, 0, clNone}, 2000));
    Append(s, " huge", 30);
    for (int width : {0, -50, 1, 30000}) {
        EXPECT_GT(f.Layout(width), 0) << width;
        EXPECT_FALSE(s.Lines().empty());
        int covered = 0;
        for (const LineRec& line : s.Lines()) {
            covered += line.CharCount;
        }
        EXPECT_EQ(covered, s.Len());
    }
    EXPECT_LE(s.FontRuns[2].Font().Desc.height, TMyFont::kMaxHeight);
    EXPECT_EQ(s.FontRuns[1].Font().Desc.height, 1);
}

} // namespace
} // namespace tavlin::test
