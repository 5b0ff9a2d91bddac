#pragma once
#include "platform/Geometry.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace tavlin {

// A 1-bit transparency mask, one bit per pixel, rows packed to whole bytes.
// A set bit marks a transparent pixel (the white of a Windows AND mask).
class Mask {
public:
    Mask() = default;
    Mask(int width, int height);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isTransparent(int x, int y) const {
        return (bits_[size_t(y) * rowBytes_ + size_t(x >> 3)] >> (7 - (x & 7))) & 1;
    }
    void setTransparent(int x, int y, bool transparent);
    void fill(bool transparent);
    const std::vector<uint8_t>& bits() const { return bits_; }
    int rowBytes() const { return rowBytes_; }
    friend bool operator==(const Mask&, const Mask&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    int rowBytes_ = 0;
    std::vector<uint8_t> bits_;
};

// The engine's picture: 32-bit pixels 0xAARRGGBB (the byte order of a 32-bit DIB), row-major,
// top row first, with an optional mask. Alpha is 0xFF unless the picture carries its own alpha
// (hasAlpha), as PNG files do; pixels are then not premultiplied.
class Bitmap {
public:
    Bitmap() = default;
    Bitmap(int width, int height, uint32_t fill = 0xFF000000);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ <= 0 || height_ <= 0; }

    uint32_t pixel(int x, int y) const { return pixels_[size_t(y) * size_t(width_) + size_t(x)]; }
    void setPixel(int x, int y, uint32_t argb) { pixels_[size_t(y) * size_t(width_) + size_t(x)] = argb; }
    uint32_t* row(int y) { return pixels_.data() + size_t(y) * size_t(width_); }
    const uint32_t* row(int y) const { return pixels_.data() + size_t(y) * size_t(width_); }
    std::vector<uint32_t>& pixels() { return pixels_; }
    const std::vector<uint32_t>& pixels() const { return pixels_; }

    bool hasAlpha = false;
    std::optional<Mask> mask;

    // Converts between pixel values and the engine's 0x00BBGGRR colours.
    static uint32_t fromColor(Color c) { return 0xFF000000u | (uint32_t(redOf(c)) << 16) | (uint32_t(greenOf(c)) << 8) | blueOf(c); }
    static Color toColor(uint32_t argb) { return rgb(uint8_t(argb >> 16), uint8_t(argb >> 8), uint8_t(argb)); }

    friend bool operator==(const Bitmap&, const Bitmap&) = default;

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

} // namespace tavlin
