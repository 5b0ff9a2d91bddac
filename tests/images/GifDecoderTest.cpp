#include "GifWriter.h"

#include "images/Display.h"
#include "images/GIFImage.h"
#include "images/ImageError.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace tavlin;
using giftest::Frame;
using giftest::Gif;

namespace {

const std::vector<uint32_t> kFour = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};

uint32_t px(uint32_t rgb) {
    return 0xFF000000u | rgb;
}

std::vector<uint32_t> greyTable(int n) {
    std::vector<uint32_t> t;
    for (int i = 0; i < n; ++i) {
        const uint32_t v = uint32_t(i * 255 / std::max(n - 1, 1));
        t.push_back(v << 16 | v << 8 | v);
    }
    return t;
}

Gif singleFrame(int w, int h, std::vector<uint32_t> table, const std::vector<uint8_t>& pixels) {
    Gif g;
    g.width = w;
    g.height = h;
    g.globalTable = std::move(table);
    Frame f;
    f.width = w;
    f.height = h;
    f.pixels = pixels;
    f.control = false;
    g.frames.push_back(f);
    return g;
}

void expectPixels(const Bitmap& b, int w, const std::vector<uint8_t>& indexes,
                  const std::vector<uint32_t>& table) {
    ASSERT_EQ(size_t(b.width()) * size_t(b.height()), indexes.size());
    for (size_t i = 0; i < indexes.size(); ++i) {
        ASSERT_EQ(b.pixel(int(i % size_t(w)), int(i / size_t(w))), px(table[indexes[i]])) << "pixel " << i;
    }
}

TGIFImage load(const std::string& bytes, bool headerOnly = false) {
    TGIFImage gif;
    EXPECT_TRUE(gif.LoadFromStream(bytes, headerOnly)) << gif.ErrorText;
    return gif;
}

} // namespace

TEST(GifLzw, DecodesKnownPicturesPixelForPixel) {
    std::mt19937 rng(7);
    struct Case {
        int w, h, colours;
        bool noisy;
    };
    // Small and large tables, noise (table resets past 4096 codes) and runs (long strings).
    for (const Case c : {Case{1, 1, 2, false}, Case{17, 5, 4, true}, Case{64, 64, 16, true},
                         Case{200, 150, 256, true}, Case{300, 300, 2, false}, Case{513, 7, 256, false}}) {
        std::vector<uint8_t> pixels;
        for (int i = 0; i < c.w * c.h; ++i) {
            pixels.push_back(uint8_t(c.noisy ? rng() % unsigned(c.colours) : (i / 37) % c.colours));
        }
        const std::vector<uint32_t> table = greyTable(c.colours);
        TGIFImage gif = load(giftest::encode(singleFrame(c.w, c.h, table, pixels)));
        ASSERT_EQ(gif.FrameCount(), 1);
        expectPixels(gif.Frame(1).Picture, c.w, pixels, table);
        expectPixels(gif.Composite(), c.w, pixels, table);
    }
}

TEST(GifLzw, HandMadeCodesWithCodeSizeTwo) {
    std::string data = "GIF89a";
    giftest::putLe16(data, 6);
    giftest::putLe16(data, 1);
    data += std::string("\x81\0\0", 3);
    giftest::putTable(data, kFour);
    data += std::string("\x2C\0\0\0\0\x06\0\x01\0\0", 10);
    // Clear(4) 1 2 7(=2+2's first: "2 2") then 6 (= "1 2") then end(5).
    giftest::CodeWriter w;
    w.put(4, 3);
    w.put(1, 3);
    w.put(2, 3);
    w.put(7, 3); // not yet defined: the previous string plus its own first pixel
    w.put(6, 4); // table reached 8 entries: codes are 4 bits now
    w.put(5, 4);
    data += '\x02' + w.blocks() + ';';
    TGIFImage gif = load(data);
    expectPixels(gif.Frame(1).Picture, 6, {1, 2, 2, 2, 1, 2}, kFour);
}

TEST(GifLzw, InterlacedRowsComeInFourPasses) {
    for (int h : {3, 10}) {
        std::vector<uint8_t> pixels;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < 4; ++x) {
                pixels.push_back(uint8_t(y % 4));
            }
        }
        Gif g = singleFrame(4, h, kFour, pixels);
        g.frames[0].interlaced = true;
        TGIFImage gif = load(giftest::encode(g));
        EXPECT_TRUE(gif.Frame(1).Interlaced);
        expectPixels(gif.Frame(1).Picture, 4, pixels, kFour);
    }
    // Three rows, data cut after the first two rows arrive: row 0 (pass 1), row 2 (pass 3).
    Gif g = singleFrame(2, 3, kFour, {1, 1, 2, 2, 3, 3});
    g.frames[0].interlaced = true;
    std::vector<uint8_t> order = giftest::interlaceOrder(g.frames[0].pixels, 2, 3);
    EXPECT_EQ(order, (std::vector<uint8_t>{1, 1, 3, 3, 2, 2}));
    std::string bytes = giftest::encode(g);
    TGIFImage gif = load(bytes);
    expectPixels(gif.Frame(1).Picture, 2, {1, 1, 2, 2, 3, 3}, kFour);
}

TEST(GifLzw, DataEndingEarlyLeavesTheRestAtIndexZero) {
    std::vector<uint8_t> pixels(40 * 40);
    std::mt19937 rng(3);
    for (auto& p : pixels) {
        p = uint8_t(1 + rng() % 3);
    }
    std::string bytes = giftest::encode(singleFrame(40, 40, kFour, pixels));
    bytes.resize(bytes.size() - 120); // cut inside the pixel data, no terminator or trailer
    TGIFImage gif = load(bytes);
    const Bitmap& pic = gif.Frame(1).Picture;
    EXPECT_EQ(pic.pixel(0, 0), px(kFour[pixels[0]]));
    EXPECT_EQ(pic.pixel(39, 39), px(kFour[0]));
}

TEST(GifLzw, BadCodeSizesAndCodesNeverCrash) {
    for (int size : {0, 1, 12, 13, 255}) {
        std::string data = "GIF89a";
        giftest::putLe16(data, 8);
        giftest::putLe16(data, 8);
        data += std::string("\x81\0\0", 3);
        giftest::putTable(data, kFour);
        data += std::string("\x2C\0\0\0\0\x08\0\x08\0\0", 10);
        data.push_back(char(size));
        data += std::string("\x08\xFF\xFF\x00\x13\x77\xFF\xEE\x12\0;", 11);
        TGIFImage gif;
        const bool ok = gif.LoadFromStream(data);
        if (size <= 11) {
            EXPECT_TRUE(ok) << size;
            EXPECT_EQ(gif.Frame(1).Picture.width(), 8);
        } else {
            EXPECT_FALSE(ok) << size;
            EXPECT_EQ(gif.ErrorText, "Corrupt GIF Image");
        }
    }
}

TEST(GifLzw, SelfReferringTableRaisesCorruptGifImage) {
    // Code size 2: 7 is beyond the table and becomes the previous code, so the next entry (7)
    // gets itself as prefix; reading 7 then never reaches a pixel.
    std::string data = "GIF89a";
    giftest::putLe16(data, 4000);
    giftest::putLe16(data, 1);
    data += std::string("\x81\0\0", 3);
    giftest::putTable(data, kFour);
    data += std::string("\x2C\0\0\0\0\xA0\x0F\x01\0\0", 10);
    giftest::CodeWriter w;
    for (int code : {4, 1, 7, 1}) {
        w.put(code, 3);
    }
    w.put(7, 4);
    data += '\x02' + w.blocks() + ';';
    TGIFImage gif;
    EXPECT_FALSE(gif.LoadFromStream(data));
    EXPECT_EQ(gif.ErrorText, "Corrupt GIF Image");
    EXPECT_TRUE(gif.Frames.empty());
}

TEST(GifParse, HeaderFieldsFramesAndControlBlocks) {
    Gif g;
    g.width = 10;
    g.height = 10;
    g.globalTable = kFour;
    Frame a = giftest::frameOf(0, 0, 10, 10, [](int x, int) { return x % 4; });
    a.delayCs = 7;
    a.disposal = 1;
    Frame b = giftest::frameOf(2, 3, 4, 5, [](int, int) { return 3; });
    b.localTable = {0x112233, 0x445566};
    b.transparent = 1;
    b.disposal = 5; // 4..7 act as 2
    b.interlaced = true;
    g.frames = {a, b};
    g.loop = 3;
    g.beforeFrames = std::string("\x21\xFE\x05hello\0", 9);
    TGIFImage gif = load(giftest::encode(g));
    EXPECT_EQ(gif.Width, 10);
    EXPECT_EQ(gif.ColourBits, 2);
    EXPECT_TRUE(gif.IsAnimated);
    EXPECT_TRUE(gif.IsTransparent);
    EXPECT_EQ(gif.LoopCount, 3);
    EXPECT_EQ(gif.Frame(1).Comment, "hello");
    EXPECT_EQ(gif.Frame(1).Delay, 70);
    EXPECT_EQ(gif.Frame(1).Disposal, 1);
    EXPECT_FALSE(gif.Frame(1).HasTransparent);
    const TgfFrame& f2 = gif.Frame(2);
    EXPECT_EQ(f2.rect(), (Rect{2, 3, 6, 8}));
    EXPECT_EQ(f2.LocalBits, 1);
    EXPECT_EQ(f2.Disposal, 2);
    EXPECT_TRUE(f2.HasTransparent);
    EXPECT_EQ(f2.TransparentIndex, 1);
    EXPECT_EQ(f2.TransparentRGB, rgb(0x44, 0x55, 0x66));
    EXPECT_TRUE(f2.Interlaced);
    // Index 3 lies beyond the 2-entry local table: black.
    EXPECT_EQ(f2.Picture.pixel(0, 0), px(0));
    EXPECT_FALSE(f2.Mask->isTransparent(0, 0));

    TGIFImage header = load(giftest::encode(g), true);
    EXPECT_EQ(header.FrameCount(), 2);
    EXPECT_TRUE(header.Frame(1).Picture.isEmpty());
    EXPECT_TRUE(header.Composite().isEmpty());
    EXPECT_FALSE(header.FirstFrameBitmap());
}

TEST(GifParse, FrameLimitsAndStops) {
    Gif g;
    g.width = 2;
    g.height = 2;
    g.globalTable = kFour;
    for (int i = 0; i < 300; ++i) {
        g.frames.push_back(giftest::frameOf(0, 0, 2, 2, [i](int, int) { return i % 4; }));
    }
    EXPECT_EQ(load(giftest::encode(g)).FrameCount(), 256);

    // An extension of an unknown kind before the first image: no frames, the load fails.
    Gif unknown = singleFrame(2, 2, kFour, {0, 1, 2, 3});
    unknown.beforeFrames = std::string("\x21\x99\x01x\0", 5);
    TGIFImage gif;
    EXPECT_FALSE(gif.LoadFromStream(giftest::encode(unknown)));
    EXPECT_TRUE(gif.Empty);
    // After the first image, it ends the picture with the frames read so far.
    Gif late = g;
    late.frames.resize(3);
    std::string bytes = giftest::encode(late);
    const size_t second = bytes.find("\x21\xF9", bytes.find("\x21\xF9") + 1);
    bytes.insert(second, std::string("\x21\x99\x01x\0", 5));
    EXPECT_EQ(load(bytes).FrameCount(), 1);

    EXPECT_FALSE(TGIFImage().LoadFromStream("GIF89a"));
    EXPECT_FALSE(TGIFImage().LoadFromStream("PNG89a\x01\0\x01\0\0\0\0,"));
}

TEST(GifParse, FramesBeyondTheScreenEnlargeIt) {
    Gif g;
    g.width = 4;
    g.height = 4;
    g.globalTable = kFour;
    g.frames = {giftest::frameOf(0, 0, 4, 4, [](int, int) { return 1; }),
                giftest::frameOf(3, 2, 5, 6, [](int, int) { return 2; })};
    TGIFImage gif = load(giftest::encode(g));
    EXPECT_EQ(gif.Width, 8);
    EXPECT_EQ(gif.Height, 8);
    EXPECT_EQ(gif.Composite().width(), 8);
}

TEST(GifParse, HugeClaimsAreRefusedWithoutAllocating) {
    auto header = [](int w, int h) {
        std::string d = "GIF89a";
        giftest::putLe16(d, w);
        giftest::putLe16(d, h);
        d += std::string("\x80\0\0\0\0\0\xFF\xFF\xFF", 9);
        return d;
    };
    // A 65535 x 65535 screen.
    std::string big = header(65535, 65535) + std::string("\x2C\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;", 16);
    TGIFImage gif;
    EXPECT_FALSE(gif.LoadFromStream(big));
    // A small screen with a frame placed at 65535,65535: the frame is not taken.
    std::string far = header(2, 2) + std::string("\x2C\0\0\0\0\x02\0\x02\0\0\x02\x02\x44\x01\0", 15) +
                      std::string("\x2C\xFF\xFF\xFF\xFF\x01\0\x01\0\0\x02\x02\x44\x01\0;", 16);
    TGIFImage gif2 = load(far);
    EXPECT_EQ(gif2.FrameCount(), 1);
    EXPECT_EQ(gif2.Width, 2);
    // 44 bytes claiming a frame of 65535 x 1321 pixels.
    std::string tiny =
        header(65535, 1321) + std::string("\x2C\0\0\0\0\xFF\xFF\x29\x05\0\x02\x02\x44\x01\0;", 16);
    tiny.resize(44, ';');
    EXPECT_EQ(tiny.size(), 44u);
    EXPECT_FALSE(TGIFImage().LoadFromStream(tiny));
}

TEST(GifScreens, FramesOnPaletteScreensUseTheScreensColours) {
    const std::vector<uint32_t> table = {0x102030, 0xFA0505, 0x05FA05, 0x808080};
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 64; ++i) {
        pixels.push_back(uint8_t(i % 4));
    }
    const std::string bytes = giftest::encode(singleFrame(8, 8, table, pixels));
    for (DisplayDepth depth : {DisplayDepth::Colors256, DisplayDepth::Colors16}) {
        setDisplayDepth(depth);
        const Palette& palette = screenPalette();
        TGIFImage mapped = load(bytes);
        TGIFImage dithered;
        dithered.Dither = true;
        ASSERT_TRUE(dithered.LoadFromStream(bytes));
        setDisplayDepth(DisplayDepth::TrueColor);
        // Each table colour becomes its nearest palette colour; 0x808080 is in both palettes.
        for (int i = 0; i < 4; ++i) {
            const uint32_t p = mapped.Frame(1).Picture.pixel(i, 0);
            EXPECT_NE(std::find(palette.begin(), palette.end(), p), palette.end()) << i;
        }
        EXPECT_EQ(mapped.Frame(1).Picture.pixel(3, 0), 0xFF808080u);
        EXPECT_EQ(mapped.Frame(1).Picture.pixel(1, 0), 0xFFFF0000u);
        for (uint32_t p : dithered.Frame(1).Picture.pixels()) {
            EXPECT_NE(std::find(displayPalette().begin(), displayPalette().end(), p), displayPalette().end());
        }
    }
    TGIFImage truecolour = load(bytes);
    EXPECT_EQ(truecolour.Frame(1).Picture.pixel(1, 0), 0xFFFA0505u);
}
