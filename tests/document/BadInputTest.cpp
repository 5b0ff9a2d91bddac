#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

// Measuring must stay linear in the text: these count the bytes the canvas was asked to measure.
class BadInputTest : public ::testing::Test {
protected:
    FixedDoc f;
};

TEST_F(BadInputTest, TenMegabytesWithoutASpace) {
    const std::string text(10 * 1000 * 1000, 'x');
    TSection& s = f.Add(text);
    f.Layout(800);
    ASSERT_EQ(s.Lines().size(), 1u);
    EXPECT_EQ(f.scrollWidth, 8 * int(text.size()));
    EXPECT_LT(f.canvas.measuredBytes, 4 * long(text.size()));
    f.canvas.measuredBytes = 0;
    f.Paint({0, 0, 800, 600});
    // Only what can show is drawn.
    ASSERT_EQ(f.canvas.texts.size(), 1u);
    EXPECT_LT(f.canvas.texts[0].text.size(), 200u);
    EXPECT_LT(f.canvas.measuredBytes, 100000);
    TPositionHit hit;
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 21, 5, hit), 3);
}

TEST_F(BadInputTest, WidthsBeyondTheIntegerRangeAreHeldInCheck) {
    // Two million characters of 2000 pixels: far more than 32 bits of pixels.
    const std::string text(2 * 1000 * 1000, 'W');
    TSection& s = f.Add(text, TMyFont::kMaxHeight);
    f.Layout(800);
    ASSERT_EQ(s.Lines().size(), 1u);
    EXPECT_GT(f.scrollWidth, 1 << 28);
    int minWidth = 0;
    int maxWidth = 0;
    s.MeasureWidths(f.canvas, minWidth, maxWidth);
    EXPECT_EQ(minWidth, maxWidth);
    EXPECT_GT(maxWidth, 0);
    f.Paint({0, 0, 800, 5000});
    TPositionHit hit;
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 500, 100, hit), 0);
}

TEST_F(BadInputTest, ManyWordsInANarrowColumn) {
    std::string text;
    while (text.size() < 500 * 1000) {
        text += "word ";
    }
    TSection& s = f.Add(text);
    f.Layout(100); // two words a line
    EXPECT_EQ(int(s.Lines().size()), int(text.size() / 10));
    EXPECT_LT(f.canvas.measuredBytes, 8 * long(text.size()));
    f.Paint({0, 0, 100, 50}, 16 * 20000);
    EXPECT_EQ(f.canvas.texts.size(), 4u);
}

TEST_F(BadInputTest, HundredThousandLineBreaks) {
    TSection& s = f.Open("start");
    for (int i = 0; i < 100000; ++i) {
        s.AppendChar(ph::LineBreak, i, false);
        Append(s, "x", i);
    }
    EXPECT_EQ(f.Layout(800), 16 * 100001);
    EXPECT_EQ(s.Lines().size(), 100001u);
    EXPECT_LT(f.canvas.measuredBytes, 10 * long(s.Len()));
    f.Paint({0, 0, 800, 32}, 16 * 70000);
    EXPECT_EQ(f.canvas.texts.size(), 2u);
    int x = 0;
    int y = 0;
    // "start" and its break, then one "x" and a break per line.
    ASSERT_TRUE(f.doc.PositionToXY(&f.canvas, 6 + 2 * 69999, x, y));
    EXPECT_EQ(y, 16 * 70000);
}

TEST_F(BadInputTest, HundredThousandFontRuns) {
    TSection& s = f.Open("");
    for (int i = 0; i < 100000; ++i) {
        s.ChangeFont(Font(i % 2 ? 16 : 20));
        Append(s, "ab ", i * 3);
    }
    f.Layout(800);
    EXPECT_EQ(s.FontRuns.Count(), 100000);
    EXPECT_LT(f.canvas.measuredBytes, 10 * long(s.Len()));
    EXPECT_LT(f.canvas.measures, 20L * 100000);
    int minWidth = 0;
    int maxWidth = 0;
    s.MeasureWidths(f.canvas, minWidth, maxWidth);
    EXPECT_EQ(minWidth, 20);
}

TEST_F(BadInputTest, ManySectionsWithManyFloatsAndLinks) {
    TUrlTarget link;
    link.Assign("x", "");
    for (int i = 0; i < 2000; ++i) {
        auto s = std::make_unique<TSection>(&f.doc, Font(10 + i % 7), &link);
        s->AddObject(std::make_unique<BoxObj>(5 + i % 50, 5 + i % 30, i % 3 ? ALeft : ARight), 0, false);
        Append(*s, "some words here", 1);
        f.AddSection(std::move(s));
    }
    EXPECT_GT(f.Layout(300), 0);
    f.Paint({0, 0, 300, 300}, 5000);
    TLinkAnswer answer;
    f.doc.LinkAtPoint(f.canvas, 100, 5100, answer);
    f.doc.Clear();
    EXPECT_FALSE(f.doc.HoverLink);
    EXPECT_EQ(f.doc.Links.Count(), 0u);
}

} // namespace
} // namespace tavlin::test
