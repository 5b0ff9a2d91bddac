#include "images/BmpReader.h"
#include "BitmapPrint.h"
#include "images/ImageError.h"
#include "platform/qt/QtImageDecoder.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

using namespace tavlin;

namespace {

void le16(std::string& s, uint32_t v) {
    s.push_back(char(v & 0xFF));
    s.push_back(char((v >> 8) & 0xFF));
}
void le32(std::string& s, uint32_t v) {
    le16(s, v & 0xFFFF);
    le16(s, v >> 16);
}

// A BMP file: file header, an info header of the given size (12: OS/2 core), optional masks,
// palette (0xRRGGBB) and bits as given.
std::string bmpFile(int headerSize, int width, int height, int bits, uint32_t compression,
                    const std::vector<uint32_t>& palette, const std::string& pixels,
                    const std::vector<uint32_t>& masks = {}) {
    std::string info;
    if (headerSize == 12) {
        le32(info, 12);
        le16(info, uint32_t(width));
        le16(info, uint32_t(height));
        le16(info, 1);
        le16(info, uint32_t(bits));
    } else {
        le32(info, uint32_t(headerSize));
        le32(info, uint32_t(width));
        le32(info, uint32_t(height));
        le16(info, 1);
        le16(info, uint32_t(bits));
        le32(info, compression);
        le32(info, uint32_t(pixels.size()));
        le32(info, 2835);
        le32(info, 2835);
        le32(info, uint32_t(palette.size()));
        le32(info, 0);
        if (headerSize > 40) {
            for (size_t i = 0; i < 4; ++i) {
                le32(info, i < masks.size() ? masks[i] : 0);
            }
        }
        info.resize(size_t(headerSize), '\0');
        if (headerSize == 40) {
            for (uint32_t m : masks) {
                le32(info, m);
            }
        }
    }
    for (uint32_t c : palette) {
        info.push_back(char(c & 0xFF));
        info.push_back(char((c >> 8) & 0xFF));
        info.push_back(char((c >> 16) & 0xFF));
        if (headerSize != 12) {
            info.push_back(0);
        }
    }
    std::string file = "BM";
    le32(file, uint32_t(14 + info.size() + pixels.size()));
    le32(file, 0);
    le32(file, uint32_t(14 + info.size()));
    return file + info + pixels;
}

Bitmap qtDecode(std::string_view bytes) {
    QtImageDecoder decoder;
    std::string error;
    std::optional<Bitmap> b = decoder.decode(bytes, 1 << 26, error);
    EXPECT_TRUE(b) << error;
    return b ? *b : Bitmap();
}

std::string qtWrite(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    return bytes.toStdString();
}

uint32_t px(uint32_t rgb) {
    return 0xFF000000u | rgb;
}

} // namespace

TEST(BmpReader, AgreesWithQtOnEveryDepthQtWrites) {
    QImage colour(13, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y) {
        for (int x = 0; x < 13; ++x) {
            colour.setPixel(x, y, qRgb(x * 19, y * 35, (x * y) % 256));
        }
    }
    for (QImage::Format f :
         {QImage::Format_RGB32, QImage::Format_Indexed8, QImage::Format_Mono, QImage::Format_RGB888}) {
        const QImage image = colour.convertToFormat(f);
        const std::string bytes = qtWrite(image);
        const Bitmap ours = readBmp(bytes);
        EXPECT_EQ(ours, qtDecode(bytes)) << int(f);
    }
}

TEST(BmpReader, PalettedDepthsAndHeaders) {
    const std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // 2 x 2, 1 bit: rows bottom-up, each padded to 4 bytes.
    std::string one = bmpFile(40, 2, 2, 1, 0, {0x000000, 0xFFFFFF}, std::string("\x40\0\0\0\x80\0\0\0", 8));
    Bitmap b = readBmp(one);
    EXPECT_EQ(b.pixel(0, 0), px(0xFFFFFF)); // top row is stored last
    EXPECT_EQ(b.pixel(1, 1), px(0xFFFFFF));
    EXPECT_EQ(b.pixel(0, 1), px(0));
    // 4 bits, OS/2 core header with 3-byte palette entries.
    std::string four =
        bmpFile(12, 3, 1, 4, 0, {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
                std::string("\x12\x30\0\0", 4));
    b = readBmp(four);
    EXPECT_EQ(b.pixel(0, 0), px(0xFF0000));
    EXPECT_EQ(b.pixel(1, 0), px(0x00FF00));
    EXPECT_EQ(b.pixel(2, 0), px(0x0000FF));
    // 8 bits, top-down (negative height), V5 header; index past the palette is black.
    std::string eight = bmpFile(124, 2, -2, 8, 0, pal, std::string("\x01\x02\0\0\x03\x09\0\0", 8));
    b = readBmp(eight);
    EXPECT_EQ(b.pixel(0, 0), px(0xFF0000));
    EXPECT_EQ(b.pixel(0, 1), px(0x0000FF));
    EXPECT_EQ(b.pixel(1, 1), px(0));
    EXPECT_EQ(b, readBmp(bmpFile(40, 2, -2, 8, 0, pal, std::string("\x01\x02\0\0\x03\x09\0\0", 8))));
}

TEST(BmpReader, DirectColourAndBitFields) {
    // 16 bits 5-5-5 by default, 5-6-5 with bit fields after a 40-byte header.
    std::string s555 = bmpFile(40, 1, 1, 16, 0, {}, std::string("\x1F\x7C\0\0", 4)); // 0x7C1F: red+blue
    EXPECT_EQ(readBmp(s555).pixel(0, 0), px(0xFF00FF));
    std::string s565 = bmpFile(40, 1, 1, 16, 3, {}, std::string("\xE0\x07\0\0", 4), {0xF800, 0x07E0, 0x001F});
    EXPECT_EQ(readBmp(s565).pixel(0, 0), px(0x00FF00));
    // 32 bits with an alpha mask in a V4 header keeps alpha.
    std::string argb = bmpFile(108, 1, 1, 32, 3, {}, std::string("\x30\x20\x10\x80", 4),
                               {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000});
    const Bitmap a = readBmp(argb);
    EXPECT_TRUE(a.hasAlpha);
    EXPECT_EQ(a.pixel(0, 0), 0x80102030u);
    // An alpha mask with every alpha 0 is an opaque picture.
    const Bitmap zero = readBmp(bmpFile(108, 1, 1, 32, 3, {}, std::string("\x30\x20\x10\x00", 4),
                                        {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}));
    EXPECT_FALSE(zero.hasAlpha);
    EXPECT_EQ(zero.pixel(0, 0), px(0x102030));
    // 32 bits without masks: the fourth byte is not alpha.
    EXPECT_EQ(readBmp(bmpFile(40, 1, 1, 32, 0, {}, std::string("\x30\x20\x10\x00", 4))).pixel(0, 0),
              px(0x102030));
}

TEST(BmpReader, RunLengthEncoding) {
    const std::vector<uint32_t> pal = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // RLE8, 4 x 3: bottom row: run of 3 x index 1, end of line; next: absolute 2,3,1 (padded),
    // end of line; then a delta of (1, 0) and index 2, end of picture.
    std::string rle8 = bmpFile(40, 4, 3, 8, 1, pal,
                               std::string("\x03\x01\x00\x00"
                                           "\x00\x03\x02\x03\x01\x00\x00\x00"
                                           "\x00\x02\x01\x00\x01\x02\x00\x01",
                                           20));
    Bitmap b = readBmp(rle8);
    EXPECT_EQ(b.pixel(0, 2), px(0xFF0000));
    EXPECT_EQ(b.pixel(2, 2), px(0xFF0000));
    EXPECT_EQ(b.pixel(3, 2), px(0));
    EXPECT_EQ(b.pixel(0, 1), px(0x00FF00));
    EXPECT_EQ(b.pixel(1, 1), px(0x0000FF));
    EXPECT_EQ(b.pixel(2, 1), px(0xFF0000));
    EXPECT_EQ(b.pixel(1, 0), px(0x00FF00));
    EXPECT_EQ(b.pixel(0, 0), px(0));
    // RLE4: a run of 5 alternating 1 and 2.
    std::string rle4 = bmpFile(40, 5, 1, 4, 2, pal, std::string("\x05\x12\x00\x01", 4));
    b = readBmp(rle4);
    EXPECT_EQ(b.pixel(0, 0), px(0xFF0000));
    EXPECT_EQ(b.pixel(1, 0), px(0x00FF00));
    EXPECT_EQ(b.pixel(4, 0), px(0xFF0000));
    // Runs and deltas past the edges are clipped.
    std::string over =
        bmpFile(40, 2, 2, 8, 1, pal, std::string("\xFF\x01\x00\x02\xFF\xFF\xFF\x03\x00\x00", 10));
    b = readBmp(over);
    EXPECT_EQ(b.pixel(1, 1), px(0xFF0000));
    EXPECT_EQ(b.pixel(0, 0), px(0));
}

TEST(BmpReader, BadFilesFailCleanly) {
    auto fails = [](const std::string& bytes) {
        try {
            readBmp(bytes);
        } catch (const EImageError& e) {
            return std::string(e.what()) == "Bitmap image is not valid";
        }
        return false;
    };
    EXPECT_TRUE(fails("BM"));
    EXPECT_TRUE(fails(bmpFile(40, 0, 1, 24, 0, {}, "")));
    EXPECT_TRUE(fails(bmpFile(40, -5, 1, 24, 0, {}, "")));
    EXPECT_TRUE(fails(bmpFile(40, 65535, 65535, 24, 0, {}, "")));
    EXPECT_TRUE(fails(bmpFile(40, 1, int(0x80000000u), 24, 0, {}, "")));
    EXPECT_TRUE(fails(bmpFile(40, 20000, 20000, 8, 1, {0}, "\x00\x01"))); // 400M pixels
    EXPECT_TRUE(fails(bmpFile(40, 4000, 4000, 8, 1, {0}, "\x00\x01")));   // too much for 1 KB
    EXPECT_TRUE(fails(bmpFile(40, 1, 1, 7, 0, {}, "\0\0\0\0")));
    EXPECT_TRUE(fails(bmpFile(40, 1, 1, 24, 1, {}, "\0\0\0\0")));  // RLE8 needs 8 bits
    EXPECT_TRUE(fails(bmpFile(40, 1, -1, 8, 1, {0}, "\0\0\0\0"))); // RLE is bottom-up only
    EXPECT_TRUE(fails(bmpFile(77, 1, 1, 24, 0, {}, "\0\0\0\0").substr(0, 30)));
    // A truncated file keeps what it has.
    std::string cut = bmpFile(40, 2, 2, 24, 0, {}, std::string("\xFF\0\0\xFF\0\0\0\0\x00\x00\xFF", 11));
    const Bitmap b = readBmp(cut);
    EXPECT_EQ(b.pixel(0, 1), px(0x0000FF));
    EXPECT_EQ(b.pixel(1, 0), px(0));
}
