#pragma once
#include "images/Display.h"
#include "platform/Bitmap.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavlin {

// Hands out the rows of a bitmap as 24-bit pixels, 3 bytes each in the order blue, green, red.
class TDIBReader {
public:
    explicit TDIBReader(const Bitmap& source);
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Row y from the top; valid until the next call.
    const uint8_t* Row(int y);

private:
    const Bitmap& source_;
    int width_;
    int height_;
    std::vector<uint8_t> row_;
};

// A device-independent bitmap in memory (info block and bits) whose rows are written in place
// and which is finally rebuilt into a picture from an in-memory BMP image.
class TDIBWriter {
public:
    // Accepts 1, 4, 8 and 24 bits per pixel; the palette fills the colour table.
    TDIBWriter(int width, int height, int bitsPerPixel, const Palette& palette);
    int RowBytes() const { return rowBytes_; }
    // Row y from the top (rows are stored bottom-up).
    uint8_t* Row(int y);
    // The whole BMP file image: file header, info block, colour table and bits.
    std::string BmpImage() const;
    // The picture the BMP image describes.
    Bitmap Finish() const;

private:
    int width_;
    int height_;
    int bits_;
    int rowBytes_ = 0;
    std::string info_; // header and colour table
    std::vector<uint8_t> pixels_;
};

// Maps colours to the nearest palette entry.
class TColorLookup {
public:
    explicit TColorLookup(const Palette& palette);
    virtual ~TColorLookup() = default;
    // The index of the nearest entry; colour receives that entry's 0xFFRRGGBB value.
    virtual int Lookup(uint8_t red, uint8_t green, uint8_t blue, uint32_t& colour);
    int Count() const { return int(entries_.size()); }

protected:
    int nearest(uint8_t red, uint8_t green, uint8_t blue) const;
    struct Entry {
        uint8_t r, g, b;
    };
    std::vector<Entry> entries_;
    Palette palette_;
};

// The lookup with an inverse table of 32x32x32 cells (5 bits per channel), each holding the
// index found for the first colour looked up in it, so repeated colours cost one table read.
// A cell that holds two or more palette colours is searched every time instead, so that every
// palette colour maps to itself and a picture of palette colours is reproduced exactly.
class TFastColorLookup final : public TColorLookup {
public:
    explicit TFastColorLookup(const Palette& palette);
    int Lookup(uint8_t red, uint8_t green, uint8_t blue, uint32_t& colour) override {
        const int cell = (blue >> 3) * 1024 + (green >> 3) * 32 + (red >> 3);
        int index = table_[size_t(cell)];
        if (index < 0) {
            const bool shared = index == kShared;
            index = nearest(red, green, blue);
            if (!shared) {
                table_[size_t(cell)] = int16_t(index);
            }
        }
        colour = palette_[size_t(index)];
        return index;
    }

private:
    static constexpr int16_t kUnknown = -1;
    static constexpr int16_t kShared = -2;
    std::vector<int16_t> table_;
};

// Error diffusion over rows.
class TDitherEngine {
public:
    TDitherEngine(int width, TFastColorLookup& lookup) : Width(width), lookup_(lookup) {}
    virtual ~TDitherEngine() = default;
    virtual int Dither(uint8_t red, uint8_t green, uint8_t blue) = 0;
    virtual void NextLine() = 0;

    int Width;
    int Direction = 1;
    int Column = 0;

protected:
    TFastColorLookup& lookup_;
};

// Floyd-Steinberg diffusion with serpentine scanning: rows alternate direction, and each pixel's
// error goes 7/16 ahead, 3/16 below-behind, 5/16 below and 1/16 below-ahead.
class TFloydSteinbergEngine final : public TDitherEngine {
public:
    TFloydSteinbergEngine(int width, TFastColorLookup& lookup);
    int Dither(uint8_t red, uint8_t green, uint8_t blue) override;
    void NextLine() override;
    // Dithers one whole row of 24-bit pixels (blue, green, red) into indexes, visiting the
    // columns from Column in Direction exactly as repeated Dither calls would.
    void DitherRow(const uint8_t* bgr, uint8_t* indexes);

    struct Channel {
        std::vector<int> errors; // Width + 2 entries
        int at = 0;              // the error row pointer, an index into errors
        int Current = 0;
        int Below = 0;
        int BelowPrevious = 0;
    };
    const Channel& channel(int i) const { return channels_[size_t(i)]; }

private:
    struct Running; // the per-pixel state, held in locals while a row is worked
    Running load();
    void store(const Running& r);

    std::array<Channel, 3> channels_; // red, green, blue
};

// The picture reduced to the palette with error diffusion; every pixel of the result is an entry
// of the palette. Throws EImageError with the messages of the row reader and writer.
Bitmap ReduceColors(const Bitmap& source, const Palette& palette);

// The picture as the current screen shows it: reduced to the system's 20 colours on a 4-bit
// screen, to the display palette on an 8-bit one, unchanged on a true-colour screen. The mask and
// alpha are kept. None for an empty picture.
std::optional<Bitmap> DitherToDisplay(const Bitmap& source);

} // namespace tavlin
