#include "images/Dither.h"
#include "BitmapPrint.h"
#include "images/BmpReader.h"
#include "images/Display.h"
#include "images/ImageError.h"

#include <gtest/gtest.h>

#include <random>
#include <set>

using namespace tavlin;

namespace {

// Sets the display depth for one test.
class DepthScope {
public:
    explicit DepthScope(DisplayDepth d) { setDisplayDepth(d); }
    ~DepthScope() { setDisplayDepth(DisplayDepth::TrueColor); }
};

uint32_t px(int r, int g, int b) {
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

std::string messageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EImageError& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(Palettes, SystemColoursAndTheDisplayPalette) {
    const auto& sys = systemPalette20();
    EXPECT_EQ(sys[0], px(0, 0, 0));
    EXPECT_EQ(sys[7], px(192, 192, 192));
    EXPECT_EQ(sys[8], px(192, 220, 192));
    EXPECT_EQ(sys[19], px(255, 255, 255));
    const Palette& p = displayPalette();
    ASSERT_EQ(p.size(), 256u);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(p[size_t(i)], sys[size_t(i)]);
        EXPECT_EQ(p[size_t(246 + i)], sys[size_t(10 + i)]);
    }
    EXPECT_EQ(p[10], px(55, 55, 55));
    EXPECT_EQ(p[11], px(115, 55, 55));
    EXPECT_EQ(p[224], px(235, 255, 255)); // the cube ends just before its white corner
    EXPECT_EQ(p[225], px(135, 135, 135)); // then the greys
    EXPECT_EQ(p[245], px(250, 250, 250));
    std::set<uint32_t> distinct(p.begin() + 10, p.begin() + 246);
    EXPECT_EQ(distinct.size(), 236u);

    EXPECT_TRUE(screenPalette().empty());
    EXPECT_EQ(screenColorClass(), 24);
    DepthScope eight(DisplayDepth::Colors256);
    EXPECT_EQ(screenColorClass(), 8);
    EXPECT_EQ(&screenPalette(), &displayPalette());
    setDisplayDepth(DisplayDepth::Colors16);
    EXPECT_EQ(screenColorClass(), 4);
    EXPECT_EQ(screenPalette().size(), 20u);
}

TEST(ColorLookup, InverseTableCellsRememberTheFirstAnswer) {
    const Palette palette = {px(0, 0, 0), px(255, 255, 255), px(100, 0, 0), px(8, 0, 0)};
    TFastColorLookup fast(palette);
    TColorLookup slow(palette);
    uint32_t colour = 0;
    EXPECT_EQ(fast.Lookup(100, 0, 0, colour), 2);
    EXPECT_EQ(colour, px(100, 0, 0));
    EXPECT_EQ(fast.Lookup(8, 0, 0, colour), 3);
    // Sum of channel distances; ties go to the first entry.
    EXPECT_EQ(slow.Lookup(54, 0, 0, colour), 2); // 54 from black, 46 from 100 and from 8
    // The first colour looked up in a cell (48..55 red) decides for the whole cell: 55 is
    // nearest to 100; 48 would be nearest to 8 but gets the cell's answer.
    EXPECT_EQ(fast.Lookup(55, 0, 0, colour), 2);
    EXPECT_EQ(fast.Lookup(48, 0, 0, colour), 2);
    EXPECT_EQ(slow.Lookup(48, 0, 0, colour), 3);
    // 4,0,0 falls in black's own cell, although 8,0,0 is as near.
    EXPECT_EQ(fast.Lookup(4, 0, 0, colour), 0);
}

TEST(ColorLookup, CellsHoldingTwoPaletteColoursAreSearched) {
    const Palette palette = {px(240, 240, 240), px(245, 245, 245)}; // one cell, 240..247
    TFastColorLookup fast(palette);
    uint32_t colour = 0;
    EXPECT_EQ(fast.Lookup(245, 245, 245, colour), 1);
    EXPECT_EQ(fast.Lookup(240, 240, 240, colour), 0);
    EXPECT_EQ(fast.Lookup(244, 244, 244, colour), 1);
}

TEST(Dither, PaletteColoursAreReproducedExactly) {
    const Palette& palette = displayPalette();
    Bitmap picture(37, 23);
    std::mt19937 rng(11);
    for (uint32_t& p : picture.pixels()) {
        p = palette[rng() % palette.size()];
    }
    EXPECT_EQ(ReduceColors(picture, palette), picture);
}

TEST(Dither, OddRowsRunRightToLeftAndCarryTheErrorBelow) {
    // A grey between black and white: error diffusion must mix the two, rows alternate direction.
    const Palette bw = {px(0, 0, 0), px(255, 255, 255)};
    TFastColorLookup lookup(bw);
    TFloydSteinbergEngine engine(3, lookup);
    EXPECT_EQ(engine.Column, 0);
    EXPECT_EQ(engine.Dither(100, 100, 100), 0); // error +100
    EXPECT_EQ(engine.channel(0).errors[0], 3 * 100);
    EXPECT_EQ(engine.channel(0).Current, 700);
    EXPECT_EQ(engine.Dither(100, 100, 100), 1); // 100 + (700 + 8) / 16 = 144 -> white, error -111
    EXPECT_EQ(engine.Dither(100, 100, 100), 0); // 100 - 777/16 = 52 -> black
    EXPECT_EQ(engine.Column, 3);
    engine.NextLine();
    EXPECT_EQ(engine.Direction, -1);
    EXPECT_EQ(engine.Column, 2);
    // The last pixel's error (52) sits below it: 5 * 52 + the one before's -111 -> entry 3.
    EXPECT_EQ(engine.channel(0).errors[3], -111 + 5 * 52);
    EXPECT_EQ(engine.channel(0).at, 4);
    // Right to left now: the first pixel read is column 2 with error entry 3.
    const int v = 100 + (engine.channel(0).errors[3] + 8) / 16;
    EXPECT_EQ(engine.Dither(100, 100, 100), v > 127 ? 1 : 0);
    EXPECT_EQ(engine.Column, 1);

    // The same picture mixes about 100/255 white pixels overall.
    Bitmap grey(64, 64, px(100, 100, 100));
    const Bitmap reduced = ReduceColors(grey, bw);
    int white = 0;
    for (uint32_t p : reduced.pixels()) {
        white += p == px(255, 255, 255);
    }
    EXPECT_NEAR(white / 4096.0, 100 / 255.0, 0.02);
}

TEST(Dither, OnePixelWidePictures) {
    const Palette bw = {px(0, 0, 0), px(255, 255, 255)};
    Bitmap column(1, 50, px(128, 128, 128));
    const Bitmap reduced = ReduceColors(column, bw);
    ASSERT_EQ(reduced.width(), 1);
    int white = 0;
    for (uint32_t p : reduced.pixels()) {
        EXPECT_TRUE(p == px(0, 0, 0) || p == px(255, 255, 255));
        white += p == px(255, 255, 255);
    }
    EXPECT_NEAR(white, 25, 2);
}

TEST(Dither, RowWriterBuildsTheBmpImageExactly) {
    const Palette palette = {px(1, 2, 3), px(4, 5, 6)};
    TDIBWriter writer(3, 2, 8, palette);
    EXPECT_EQ(writer.RowBytes(), 4);
    writer.Row(0)[0] = 1;
    writer.Row(1)[2] = 1;
    const std::string bmp = writer.BmpImage();
    ASSERT_EQ(bmp.size(), 14u + 40 + 256 * 4 + 8);
    EXPECT_EQ(bmp.substr(0, 2), "BM");
    EXPECT_EQ(uint8_t(bmp[2]) | uint8_t(bmp[3]) << 8, int(bmp.size()));
    EXPECT_EQ(uint8_t(bmp[10]) | uint8_t(bmp[11]) << 8, 14 + 40 + 1024);
    EXPECT_EQ(uint8_t(bmp[14]), 40);
    EXPECT_EQ(uint8_t(bmp[54]), 3); // colour table: blue, green, red, 0
    EXPECT_EQ(uint8_t(bmp[55]), 2);
    EXPECT_EQ(uint8_t(bmp[56]), 1);
    EXPECT_EQ(uint8_t(bmp[62]), 0); // entries past the palette are zero
    // Bottom-up rows: row 1 first in the bits, then row 0.
    const size_t bits = 14 + 40 + 1024;
    EXPECT_EQ(uint8_t(bmp[bits + 2]), 1);
    EXPECT_EQ(uint8_t(bmp[bits + 4]), 1);
    const Bitmap back = writer.Finish();
    EXPECT_EQ(back.pixel(0, 0), px(4, 5, 6));
    EXPECT_EQ(back.pixel(2, 1), px(4, 5, 6));
    EXPECT_EQ(back.pixel(1, 0), px(1, 2, 3));
}

TEST(Dither, ErrorMessages) {
    EXPECT_EQ(messageOf([] { TDIBWriter(2, 2, 16, {}); }), "Invalid pixel format");
    EXPECT_EQ(messageOf([] { TDIBReader r{Bitmap()}; }), "Bitmap image is not valid");
    EXPECT_EQ(messageOf([] {
                  Bitmap b(2, 2);
                  TDIBReader(b).Row(2);
              }),
              "Scan line index out of range");
    EXPECT_EQ(messageOf([] { TDIBWriter(2, 2, 8, {0}).Row(-1); }), "Scan line index out of range");
}

TEST(Dither, ToTheDisplayByDepthKeepingMaskAndAlpha) {
    Bitmap picture(8, 8, px(10, 200, 30));
    picture.mask.emplace(8, 8);
    picture.mask->setTransparent(1, 1, true);
    EXPECT_EQ(*DitherToDisplay(picture), picture);
    EXPECT_FALSE(DitherToDisplay(Bitmap()));
    {
        DepthScope eight(DisplayDepth::Colors256);
        const Bitmap b = *DitherToDisplay(picture);
        const std::set<uint32_t> all(displayPalette().begin(), displayPalette().end());
        for (uint32_t p : b.pixels()) {
            EXPECT_TRUE(all.count(p));
        }
        EXPECT_TRUE(b.mask->isTransparent(1, 1));
    }
    {
        DepthScope four(DisplayDepth::Colors16);
        picture.hasAlpha = true;
        picture.setPixel(0, 0, 0x00FFFFFFu);
        const Bitmap b = *DitherToDisplay(picture);
        const std::set<uint32_t> sys(systemPalette20().begin(), systemPalette20().end());
        for (uint32_t p : b.pixels()) {
            EXPECT_TRUE(sys.count(p | 0xFF000000u));
        }
        EXPECT_EQ(b.pixel(0, 0) >> 24, 0u);
    }
}
