// Layout and painting on the real Qt canvas with the Liberation faces: rendered pixels must be
// where the layout says.
#include "platform/qt/QtCanvas.h"
#include "tests/document/DocTestUtil.h"
#include "tests/support/QtTestApp.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

class QtRenderTest : public ::testing::Test {
protected:
    void SetUp() override { ensureQtApplication(); }

    static TMyFont Serif(int height) {
        TMyFont font = Font(height);
        font.Desc.name = "Times New Roman";
        return font;
    }

    TSection& Add(std::string_view text, int height = 16) {
        auto section = std::make_unique<TSection>(&doc, Serif(height));
        Append(*section, text);
        TSection& ref = *section;
        doc.AppendSection(std::move(section));
        return ref;
    }

    void LayoutAndPaint(const Rect& clip, int width = kWidth) {
        int scroll = 0;
        int counter = 0;
        doc.Layout(surface.canvas(), 0, width, kHeight, scroll, counter);
        doc.PaintDocument(surface.canvas(), clip, 6000, 0, 0, 0, 0);
    }

    static bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

    // The box holding every dark pixel of the rows top..bottom; empty when none.
    static Rect Ink(const QImage& image, int top = 0, int bottom = kHeight) {
        Rect box{kWidth, bottom, -1, -1};
        for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (Dark(image, x, y)) {
                    box = {std::min(box.left, x), std::min(box.top, y), std::max(box.right, x + 1),
                           std::max(box.bottom, y + 1)};
                }
            }
        }
        return box;
    }

    static constexpr int kWidth = 300;
    static constexpr int kHeight = 120;
    TSectionList doc;
    ImageCanvas surface{kWidth, kHeight};
};

TEST_F(QtRenderTest, TextLandsInsideTheLinesTheLayoutMade) {
    TSection& s = Add("Tavlin lists bookmarks with their real addresses, folder by folder.");
    LayoutAndPaint({0, 0, kWidth, kHeight}, 200);
    const QImage& image = surface.image();
    ASSERT_GE(s.Lines().size(), 2u);
    for (const LineRec& line : s.Lines()) {
        const int width = s.TextWidth(surface.canvas(), line.Start, line.CharCount, true);
        const Rect ink = Ink(image, line.LineY, line.LineY + line.FullHeight());
        ASSERT_FALSE(ink.isEmpty());
        EXPECT_LE(ink.right, s.PaintXOf(line) + width + 1);
        EXPECT_GE(ink.left, s.PaintXOf(line));
        EXPECT_LE(ink.left, s.PaintXOf(line) + 3);
        EXPECT_LE(width, 200);
    }
    // Nothing right of the column.
    EXPECT_TRUE(Ink(image).right <= 201);
}

TEST_F(QtRenderTest, CentredLineIsCentred) {
    TSection& s = Add("centre");
    s.Justify = 2;
    LayoutAndPaint({0, 0, kWidth, kHeight});
    const Rect ink = Ink(surface.image());
    const int width = s.TextWidth(surface.canvas(), 0, s.Len(), true);
    EXPECT_EQ(s.Lines()[0].IndentX, (kWidth - width) / 2);
    EXPECT_NEAR((ink.left + ink.right) / 2, kWidth / 2, 3);
}

TEST_F(QtRenderTest, SelectionIsInvertedExactlyOverTheSelectedCharacters) {
    TSection& s = Add("select these words");
    doc.SelStart = 7;
    doc.SelEnd = 12;
    LayoutAndPaint({0, 0, kWidth, kHeight});
    int x0 = 0;
    int x1 = 0;
    int y = 0;
    ASSERT_TRUE(doc.PositionToXY(&surface.canvas(), 7, x0, y));
    ASSERT_TRUE(doc.PositionToXY(&surface.canvas(), 12, x1, y));
    const QImage& image = surface.image();
    surface.canvas().setFont(s.FontRuns[0].Font().Desc);
    const FontMetrics m = surface.canvas().fontMetrics();
    const LineRec& line = s.Lines()[0];
    const int baseline = line.LineY + line.SpaceBefore + line.TextHeight - line.Descent;
    int dark = 0;
    int total = 0;
    for (int py = baseline - m.ascent; py < baseline + m.descent; ++py) {
        for (int px = x0; px < x1; ++px) {
            dark += Dark(image, px, py);
            ++total;
        }
    }
    EXPECT_GT(dark, total * 7 / 10); // a black band with white letters
    // Just outside the selection the background is white again.
    EXPECT_FALSE(Dark(image, x1 + 1, baseline - m.ascent + 1));
    EXPECT_FALSE(Dark(image, x0 - 2, baseline - m.ascent + 1));
}

TEST_F(QtRenderTest, NothingIsDrawnOutsideTheClip) {
    Add("first line of text");
    Add("second line of text");
    Add("third line of text");
    // A band that cuts the second line in half.
    LayoutAndPaint({0, 10, kWidth, 26});
    const QImage& image = surface.image();
    const Rect ink = Ink(image);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.top, 10);
    EXPECT_LE(ink.bottom, 26);
}

TEST_F(QtRenderTest, HitTestsAgreeWithWhatWasDrawn) {
    TSection& s = Add("Mixed widths: iiii WWWW 1234");
    LayoutAndPaint({0, 0, kWidth, kHeight});
    std::vector<int> ends;
    surface.canvas().setFont(s.FontRuns[0].Font().Desc);
    surface.canvas().characterEnds(s.Text(), ends);
    TPositionHit hit;
    const int y = s.Lines()[0].LineY + 5;
    for (int i = 0; i + 1 < s.Len(); ++i) {
        const int left = i == 0 ? 0 : ends[size_t(i) - 1];
        const int right = ends[size_t(i)];
        if (right - left < 3) {
            continue;
        }
        EXPECT_EQ(doc.PositionAt(surface.canvas(), left + 1, y, hit), i) << i;
        EXPECT_EQ(doc.PositionAt(surface.canvas(), right - 1, y, hit), i + 1) << i;
        int x = 0;
        int lineTop = 0;
        ASSERT_TRUE(doc.PositionToXY(&surface.canvas(), i + 1, x, lineTop));
        EXPECT_EQ(x, right);
    }
}

} // namespace
} // namespace tavlin::test
