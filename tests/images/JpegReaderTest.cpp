#include "images/JpegReader.h"
#include "BitmapPrint.h"
#include "images/ImageError.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

using namespace tavlin;

namespace {

enum class Kind { Colour, Grey, Progressive, Arithmetic, Cmyk };

// A JPEG of width x height made with libjpeg's encoder: colour(x, y) gives 0xRRGGBB (for CMYK
// files the four bytes C, M, Y, K as Adobe writes them, inverted).
template <class F> std::string encodeJpeg(int width, int height, Kind kind, F colour, int quality = 95) {
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(width);
    c.image_height = JDIMENSION(height);
    c.input_components = kind == Kind::Grey ? 1 : kind == Kind::Cmyk ? 4 : 3;
    c.in_color_space = kind == Kind::Grey ? JCS_GRAYSCALE : kind == Kind::Cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&c);
    if (kind == Kind::Cmyk) {
        jpeg_set_colorspace(&c, JCS_YCCK);
    }
    jpeg_set_quality(&c, quality, TRUE);
    if (kind == Kind::Progressive) {
        jpeg_simple_progression(&c);
    }
    if (kind == Kind::Arithmetic) {
        c.arith_code = TRUE;
    }
    jpeg_start_compress(&c, TRUE);
    std::vector<JSAMPLE> row(size_t(width) * size_t(c.input_components));
    while (c.next_scanline < c.image_height) {
        const int y = int(c.next_scanline);
        for (int x = 0; x < width; ++x) {
            const uint32_t v = colour(x, y);
            JSAMPLE* p = row.data() + size_t(x) * size_t(c.input_components);
            if (kind == Kind::Grey) {
                p[0] = JSAMPLE(v & 0xFF);
            } else if (kind == Kind::Cmyk) {
                p[0] = JSAMPLE(v >> 24);
                p[1] = JSAMPLE(v >> 16);
                p[2] = JSAMPLE(v >> 8);
                p[3] = JSAMPLE(v);
            } else {
                p[0] = JSAMPLE(v >> 16);
                p[1] = JSAMPLE(v >> 8);
                p[2] = JSAMPLE(v);
            }
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&c, rows, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string bytes(reinterpret_cast<char*>(buffer), size);
    std::free(buffer);
    return bytes;
}

// Channels within a tolerance (JPEG is lossy).
::testing::AssertionResult near(uint32_t actual, uint32_t expected, int tolerance = 6) {
    for (int shift : {0, 8, 16, 24}) {
        const int a = int(actual >> shift & 0xFF), e = int(expected >> shift & 0xFF);
        if (std::abs(a - e) > tolerance) {
            char text[64];
            std::snprintf(text, sizeof text, "%08X is not near %08X", actual, expected);
            return ::testing::AssertionFailure() << text;
        }
    }
    return ::testing::AssertionSuccess();
}

uint32_t quadrants(int x, int y) {
    static const uint32_t c[4] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00};
    return c[(x >= 16) + 2 * (y >= 16)];
}

std::string failure(const std::string& bytes) {
    try {
        readJpeg(bytes);
    } catch (const EImageError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(JpegReader, ColourProgressiveAndArithmeticFiles) {
    for (Kind kind : {Kind::Colour, Kind::Progressive, Kind::Arithmetic}) {
        const Bitmap b = readJpeg(encodeJpeg(32, 32, kind, quadrants));
        ASSERT_EQ(b.width(), 32);
        ASSERT_EQ(b.height(), 32);
        EXPECT_FALSE(b.hasAlpha);
        for (auto [x, y] : {std::pair{4, 4}, {27, 4}, {4, 27}, {27, 27}}) {
            EXPECT_TRUE(near(b.pixel(x, y), 0xFF000000u | quadrants(x, y)))
                << int(kind) << " " << x << "," << y;
        }
    }
}

TEST(JpegReader, GreyAndAdobeCmykFiles) {
    const Bitmap grey = readJpeg(encodeJpeg(16, 8, Kind::Grey, [](int x, int) { return uint32_t(x * 16); }));
    EXPECT_TRUE(near(grey.pixel(3, 3), 0xFF303030u));
    EXPECT_TRUE(near(grey.pixel(12, 3), 0xFFC0C0C0u));
    // Inverted CMYK as Adobe stores it: C=255 (none of the ink), M=Y=0 (full), K=255 (no black): red...
    // inverted: the stored value is 255 - ink, so cyan ink 0, magenta and yellow ink 255 give red.
    const Bitmap cmyk = readJpeg(encodeJpeg(16, 16, Kind::Cmyk, [](int x, int) {
        return x < 8 ? 0xFF0000FFu /* red */ : 0xFFFFFF80u /* half black */;
    }));
    EXPECT_TRUE(near(cmyk.pixel(2, 2), 0xFFFF0000u, 8));
    EXPECT_TRUE(near(cmyk.pixel(13, 2), 0xFF808080u, 8));
}

TEST(JpegReader, TwelveBitAndCorruptFilesFailCleanly) {
    std::string bytes = encodeJpeg(16, 16, Kind::Colour, quadrants);
    std::string twelve = bytes;
    const size_t sof = twelve.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    twelve[sof + 1] = char(0xC1); // extended sequential, as 12-bit files are
    twelve[sof + 4] = 12;
    EXPECT_NE(failure(twelve).find("12"), std::string::npos) << failure(twelve);
    EXPECT_NE(failure("\xFF\xD8"), "");
    EXPECT_NE(failure("\xFF\xD8\xFF\xC0\x00\x11\x08\xFF\xFF\xFF\xFF\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01"),
              "");
    // Damage inside the entropy-coded data and truncation still give a picture of the right size.
    std::string damaged = bytes;
    for (size_t i = bytes.size() / 2; i < bytes.size() - 10; i += 7) {
        damaged[i] = char(damaged[i] ^ 0x5A);
    }
    try {
        EXPECT_EQ(readJpeg(damaged).width(), 16);
    } catch (const EImageError&) {
    }
    const std::string large =
        encodeJpeg(128, 128, Kind::Colour, [](int x, int y) { return uint32_t(x * y * 977); });
    EXPECT_EQ(readJpeg(large.substr(0, large.size() * 2 / 3)).height(), 128);
}

TEST(JpegReader, HugeClaimsAreRefused) {
    std::string bytes = encodeJpeg(16, 16, Kind::Colour, quadrants);
    const size_t sof = bytes.find("\xFF\xC0");
    bytes[sof + 5] = char(0x75); // 30000 x 30000
    bytes[sof + 6] = char(0x30);
    bytes[sof + 7] = char(0x75);
    bytes[sof + 8] = char(0x30);
    EXPECT_EQ(failure(bytes), "Picture too large");
}
