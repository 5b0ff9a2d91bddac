#include "platform/CodePage.h"
#include "platform/qt/QtCanvas.h"
#include "tests/support/QtTestApp.h"

#include <gtest/gtest.h>

namespace tavlin {
namespace {

class QtCanvasTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureQtApplication(); }

    static FontDesc serif(int height, int style = 0) { return FontDesc{"Times New Roman", height, style, 0}; }

    // Columns [first, last] that hold any pixel darker than mid grey; {-1,-1} when none.
    static std::pair<int, int> inkColumns(const QImage& image) {
        int first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x) {
            for (int y = 0; y < image.height(); ++y) {
                if (qGray(image.pixel(x, y)) < 128) {
                    if (first < 0) {
                        first = x;
                    }
                    last = x;
                    break;
                }
            }
        }
        return {first, last};
    }
};

TEST_F(QtCanvasTest, MetricsFollowTheWindowsDefinitions) {
    ImageCanvas surface(10, 10);
    Canvas& c = surface.canvas();
    c.setFont(serif(16));
    const FontMetrics m = c.fontMetrics();
    EXPECT_EQ(m.height, m.ascent + m.descent);
    EXPECT_EQ(m.internalLeading, m.height - 16);
    EXPECT_GT(m.ascent, 10);
    EXPECT_GT(m.descent, 1);
    EXPECT_GT(m.maxCharWidth, m.aveCharWidth);
    EXPECT_EQ(m.overhang, 0);
    // A bigger em gives a bigger cell.
    c.setFont(serif(32));
    EXPECT_GT(c.fontMetrics().height, m.height + 10);
}

TEST_F(QtCanvasTest, ExtentIsTheSumOfCharacterAdvances) {
    ImageCanvas surface(10, 10);
    Canvas& c = surface.canvas();
    c.setFont(serif(14));
    const std::string text = "Bookmarks: Tavlin listing";
    int sum = 0;
    for (char ch : text) {
        sum += c.textWidth(std::string_view(&ch, 1));
    }
    EXPECT_EQ(c.textWidth(text), sum);
    std::vector<int> ends;
    c.characterEnds(text, ends);
    ASSERT_EQ(ends.size(), text.size());
    EXPECT_EQ(ends.back(), sum);
    EXPECT_EQ(c.textExtent(text).cy, c.fontMetrics().height);
    // Bold is wider than regular.
    c.setFont(serif(14, fsBold));
    EXPECT_GT(c.textWidth("WWWW"), 0);
}

// Canvases share their font entries, and many distinct fonts drop them all: a canvas that
// selected its fonts before must measure as before, the one it switched from included.
TEST_F(QtCanvasTest, FontsSurviveTheSharedEntriesBeingDropped) {
    ImageCanvas first(10, 10), other(10, 10);
    Canvas& c = first.canvas();
    c.setFont(serif(15, fsBold));
    const int bold = c.textWidth("Tavlin");
    c.setFont(serif(15));
    const int regular = c.textWidth("Tavlin");
    ASSERT_NE(bold, regular);
    for (int i = 0; i < 1100; ++i) {
        other.canvas().setFont(FontDesc{"DejaVu Sans", 6 + i % 200, i / 200, 0});
        other.canvas().textWidth("x");
    }
    EXPECT_EQ(c.textWidth("Tavlin"), regular);
    c.setFont(serif(15, fsBold));
    EXPECT_EQ(c.textWidth("Tavlin"), bold);
    c.setFont(serif(15));
    EXPECT_EQ(c.textWidth("Tavlin"), regular);
}

TEST_F(QtCanvasTest, DrawnInkStaysWithinTheMeasuredExtent) {
    const std::string text = "HHHHHHHHHH";
    ImageCanvas surface(400, 60);
    Canvas& c = surface.canvas();
    c.setFont(serif(20));
    const int width = c.textWidth(text);
    c.setTextColor(0);
    c.textOut(50, 40, text);
    const auto [first, last] = inkColumns(surface.image());
    ASSERT_GE(first, 0);
    // H has side bearings of a pixel or two: ink starts just after x and ends just before x + width.
    EXPECT_GE(first, 50);
    EXPECT_LE(first, 53);
    EXPECT_LT(last, 50 + width);
    EXPECT_GE(last, 50 + width - 4);
}

TEST_F(QtCanvasTest, PrefixExtentsLandWhereTheirCharactersAreDrawn) {
    // Drawing a prefix and the whole string must put the shared characters on the same pixels.
    const std::string text = "Tavlin lists bookmarks";
    ImageCanvas whole(400, 40), prefix(400, 40);
    for (ImageCanvas* s : {&whole, &prefix}) {
        s->canvas().setFont(serif(15));
        s->canvas().setTextColor(0);
    }
    whole.canvas().textOut(5, 25, text);
    prefix.canvas().textOut(5, 25, text.substr(0, 6));
    const int cut = 5 + prefix.canvas().textWidth(text.substr(0, 6));
    const QImage a = whole.image(), b = prefix.image();
    for (int y = 0; y < 40; ++y) {
        for (int x = 0; x < cut - 1; ++x) {
            ASSERT_EQ(a.pixel(x, y), b.pixel(x, y)) << x << "," << y;
        }
    }
}

TEST_F(QtCanvasTest, OpaqueTextFillsTheCellAndClipLimitsDrawing) {
    ImageCanvas surface(200, 50);
    Canvas& c = surface.canvas();
    c.setFont(serif(16));
    const FontMetrics m = c.fontMetrics();
    c.setBkMode(BkMode::Opaque);
    c.setBkColor(rgb(0, 0, 255));
    c.setTextColor(rgb(255, 255, 0));
    c.save();
    c.intersectClip(Rect{0, 0, 30, 50});
    c.textOut(10, 30, "MMMMMM");
    c.restore();
    const QImage& image = surface.image();
    EXPECT_EQ(image.pixel(11, 30 - m.ascent) & 0xFFFFFF, 0x0000FFu);     // inside cell and clip
    EXPECT_EQ(image.pixel(11, 30 - m.ascent - 1) & 0xFFFFFF, 0xFFFFFFu); // above the cell
    EXPECT_EQ(image.pixel(40, 30) & 0xFFFFFF, 0xFFFFFFu);                 // outside the clip
    EXPECT_EQ(c.clipBox().right - c.clipBox().left > 1000, true);         // restored
}

TEST_F(QtCanvasTest, Utf8CharactersMeasureOnTheirFirstByte) {
    ImageCanvas surface(10, 10);
    Canvas& c = surface.canvas();
    c.setFont(FontDesc{"Arial", 14, 0, 1});
    const std::string text = "a\xC3\xA9z"; // a, e-acute, z
    std::vector<int> ends;
    c.characterEnds(text, ends);
    ASSERT_EQ(ends.size(), 4u);
    EXPECT_EQ(ends[1], ends[2]);
    EXPECT_GT(ends[1], ends[0]);
    // The same byte read as Windows-1252 is two characters, each with its own advance.
    c.setFont(FontDesc{"Arial", 14, 0, 0});
    c.characterEnds(text, ends);
    EXPECT_GT(ends[2], ends[1]);
}

TEST_F(QtCanvasTest, PlainBytesMeasureFromTheTableAsDecodedTextDoes) {
    // Each character measured alone, added up, is what the whole text measures at every
    // character's end, whatever mix of plain bytes and sequences the character set makes of it.
    ImageCanvas surface(10, 10);
    Canvas& c = surface.canvas();
    const std::string text = "ab\xC3\xA9 c\x82\xA0x\xE9\x80 \xFFz";
    for (const uint8_t charSet : {uint8_t(1), uint8_t(0), uint8_t(128), uint8_t(161)}) {
        c.setFont(FontDesc{"Arial", 14, 0, charSet});
        std::vector<int> ends;
        c.characterEnds(text, ends);
        ASSERT_EQ(ends.size(), text.size());
        int sum = 0;
        for (size_t i = 0; i < text.size();) {
            const size_t length = characterLength(text, i, charSet);
            sum += c.textWidth(std::string_view(text).substr(i, length));
            i += length;
            EXPECT_EQ(ends[i - 1], sum) << int(charSet) << " at " << i;
        }
        EXPECT_EQ(c.textWidth(text), sum) << int(charSet);
        unsigned limit = 0;
        const int* advances = c.byteAdvances(limit);
        ASSERT_NE(advances, nullptr);
        EXPECT_EQ(limit, charSet == 1 || charSet == 128 ? 0x80u : 0x100u) << int(charSet);
        for (unsigned b = 0; b < limit; ++b) {
            const char byte = char(b);
            EXPECT_EQ(advances[b], c.textWidth(std::string_view(&byte, 1))) << int(charSet) << " " << b;
        }
    }
}

TEST_F(QtCanvasTest, BitmapsDrawWithMaskAndStretch) {
    Bitmap picture(2, 1, Bitmap::fromColor(rgb(255, 0, 0)));
    picture.mask = Mask(2, 1);
    picture.mask->setTransparent(1, 0, true);
    ImageCanvas surface(20, 10);
    surface.canvas().drawBitmap(picture, Rect{0, 0, 2, 1}, Rect{0, 0, 20, 10});
    const QImage& image = surface.image();
    EXPECT_EQ(image.pixel(2, 5) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(image.pixel(15, 5) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(QtCanvasTest, InvertRectInvertsPixels) {
    ImageCanvas surface(10, 10, rgb(0x10, 0x20, 0x30));
    surface.canvas().invertRect(Rect{0, 0, 5, 10});
    const QImage& image = surface.image();
    EXPECT_EQ(image.pixel(1, 1) & 0xFFFFFF, 0xEFDFCFu);
    EXPECT_EQ(image.pixel(7, 1) & 0xFFFFFF, 0x102030u);
}

} // namespace
} // namespace tavlin
