// Characters the chosen face lacks (CJK, symbols) are measured and drawn with the face fontconfig
// picks for them, on the real Qt canvas: the layout's widths are where the pixels land.
#include "platform/qt/QtCanvas.h"
#include "tests/document/DocTestUtil.h"
#include "tests/support/QtTestApp.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

// Latin, CJK (Chinese, Japanese kana, Korean), Cyrillic, Greek, Arabic-Indic digits and symbols.
constexpr std::string_view kMixedLine = "Tavlin \xE4\xB8\xAD\xE6\x96\x87\xE6\x9B\xB8\xE7\xB1\xA4 "
                                        "\xE3\x81\x8B\xE3\x81\xAA \xED\x95\x9C\xEA\xB8\x80 "
                                        "\xD0\x97\xD0\xB0\xD0\xBA\xD0\xBB\xD0\xB0\xD0\xB4\xD0\xBA\xD0\xB8 "
                                        "\xCE\xA3\xCE\xB5\xCE\xBB\xCE\xAF\xCE\xB4\xCE\xB1 "
                                        "\xD9\xA0\xD9\xA1\xD9\xA2 \xE2\x98\x85\xE2\x9C\x93";

class FontFallbackTest : public ::testing::Test {
protected:
    void SetUp() override { ensureQtApplication(); }

    static FontDesc Serif() { return FontDesc{"Times New Roman", 16, 0, DEFAULT_CHARSET}; }

    static QImage Drawn(std::string_view text, int x = 0) {
        ImageCanvas surface(kWidth, kHeight);
        surface.canvas().setFont(Serif());
        surface.canvas().setTextColor(0);
        surface.canvas().textOut(x, kBaseline, text);
        return surface.image().copy();
    }

    static constexpr int kWidth = 500;
    static constexpr int kHeight = 30;
    static constexpr int kBaseline = 22;
};

TEST_F(FontFallbackTest, CjkCharactersAreDrawnWithRealGlyphsNotBoxes) {
    // The serif face has no CJK: were they drawn with its missing-glyph box, all would look alike.
    const QImage zhong = Drawn("\xE4\xB8\xAD");
    const QImage shu = Drawn("\xE6\x9B\xB8");
    const QImage hangul = Drawn("\xED\x95\x9C");
    EXPECT_NE(zhong, shu);
    EXPECT_NE(zhong, hangul);
    EXPECT_NE(zhong, Drawn(""));
}

TEST_F(FontFallbackTest, AMixedLineIsDrawnExactlyAtItsMeasuredAdvances) {
    // Laid out and painted by the document, then drawn again character by character at the
    // measured ends: the two pictures are the same pixel for pixel.
    TSectionList doc;
    TMyFont font = Font(16);
    font.Desc = Serif();
    auto owned = std::make_unique<TSection>(&doc, font);
    Append(*owned, kMixedLine);
    TSection& section = *owned;
    doc.AppendSection(std::move(owned));
    ImageCanvas page(kWidth, kHeight);
    int scroll = 0;
    int counter = 0;
    doc.Layout(page.canvas(), 0, kWidth, kHeight, scroll, counter);
    ASSERT_EQ(section.Lines().size(), 1u);
    doc.PaintDocument(page.canvas(), Rect{0, 0, kWidth, kHeight}, 6000, 0, 0, 0, 0);

    ImageCanvas pieces(kWidth, kHeight);
    Canvas& c = pieces.canvas();
    c.setFont(Serif());
    c.setTextColor(0);
    std::vector<int> ends;
    c.characterEnds(kMixedLine, ends);
    EXPECT_EQ(ends.back(), c.textWidth(kMixedLine));
    const LineRec& line = section.Lines()[0];
    const int x = section.PaintXOf(line);
    const int baseline = line.PaintY() + line.TextHeight - line.Descent;
    for (size_t i = 0; i < kMixedLine.size();) {
        const int start = i == 0 ? 0 : ends[i - 1];
        size_t next = i + 1;
        while (next < kMixedLine.size() && ends[next] == ends[i]) {
            ++next; // the continuation bytes of one character repeat its end
        }
        c.textOut(x + start, baseline, kMixedLine.substr(i, next - i));
        i = next;
    }
    EXPECT_EQ(page.image(), pieces.image());
}

} // namespace
} // namespace tavlin::test
