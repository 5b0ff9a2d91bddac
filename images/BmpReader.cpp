#include "images/BmpReader.h"

#include "images/Display.h"
#include "images/ImageError.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace tavlin {

namespace {

constexpr const char* kInvalid = "Bitmap image is not valid";

enum Compression : uint32_t { BiRgb = 0, BiRle8 = 1, BiRle4 = 2, BiBitfields = 3, BiAlphaBitfields = 6 };

uint32_t le16(std::string_view d, size_t at) {
    return at + 2 <= d.size() ? uint32_t(uint8_t(d[at])) | uint32_t(uint8_t(d[at + 1])) << 8 : 0;
}
uint32_t le32(std::string_view d, size_t at) {
    return at + 4 <= d.size() ? le16(d, at) | le16(d, at + 2) << 16 : 0;
}

struct BmpHeader {
    uint32_t headerSize = 0;
    long long width = 0;
    long long height = 0; // negative: rows stored top-down
    uint32_t bitCount = 0;
    uint32_t compression = BiRgb;
    uint32_t colorsUsed = 0;
    std::array<uint32_t, 4> masks{}; // red, green, blue, alpha
    size_t paletteAt = 0;
    int paletteEntrySize = 4;
    size_t bitsAt = 0;
};

// One channel of a bit-field pixel: where it sits and how to scale it to 8 bits.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint32_t max = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint32_t value(uint32_t pixel) const {
        if (!max) {
            return 0;
        }
        return max == 255 ? (pixel & mask) >> shift : uint32_t(((pixel & mask) >> shift) * 255u / max);
    }
};

BmpHeader readHeader(std::string_view d) {
    if (d.size() < 26 || d[0] != 'B' || d[1] != 'M') {
        throw EImageError(kInvalid);
    }
    BmpHeader h;
    h.headerSize = le32(d, 14);
    const size_t info = 14;
    if (h.headerSize == 12) { // OS/2 1.x core header: 16-bit sizes, 3-byte palette entries
        h.width = le16(d, info + 4);
        h.height = int16_t(le16(d, info + 6));
        h.bitCount = le16(d, info + 10);
        h.paletteEntrySize = 3;
    } else if (h.headerSize >= 16 && h.headerSize <= 1024) {
        if (d.size() < info + std::min<uint32_t>(h.headerSize, 40)) {
            throw EImageError(kInvalid);
        }
        h.width = int32_t(le32(d, info + 4));
        h.height = int32_t(le32(d, info + 8));
        h.bitCount = le16(d, info + 14);
        if (h.headerSize >= 20) {
            h.compression = le32(d, info + 16);
        }
        if (h.headerSize >= 36) {
            h.colorsUsed = le32(d, info + 32);
        }
        if (h.headerSize == 64 && h.compression > BiRle4) {
            throw EImageError(kInvalid); // OS/2 Huffman and RLE24 are not read
        }
    } else {
        throw EImageError(kInvalid);
    }
    size_t after = info + h.headerSize;
    if (h.compression == BiBitfields || h.compression == BiAlphaBitfields) {
        // Masks live inside a V2+ header, or right after a 40-byte one.
        const size_t masksAt = h.headerSize >= 52 ? info + 40 : after;
        const int count = h.compression == BiAlphaBitfields || h.headerSize >= 56 ? 4 : 3;
        for (int i = 0; i < count; ++i) {
            h.masks[size_t(i)] = le32(d, masksAt + size_t(i) * 4);
        }
        if (h.headerSize < 52) {
            after += size_t(count) * 4;
        }
    }
    h.paletteAt = after;
    const uint32_t offBits = le32(d, 10);
    h.bitsAt = offBits >= after && offBits < d.size() ? offBits : 0;
    return h;
}

Palette readPalette(std::string_view d, const BmpHeader& h) {
    Palette palette;
    if (h.bitCount > 8) {
        return palette;
    }
    size_t count = h.colorsUsed && h.colorsUsed < (1u << h.bitCount) ? h.colorsUsed : size_t(1) << h.bitCount;
    const size_t end = h.bitsAt ? h.bitsAt : d.size();
    count = std::min(count, end > h.paletteAt ? (end - h.paletteAt) / size_t(h.paletteEntrySize) : 0);
    palette.reserve(256);
    for (size_t i = 0; i < count; ++i) {
        const size_t at = h.paletteAt + i * size_t(h.paletteEntrySize);
        palette.push_back(0xFF000000u | uint32_t(uint8_t(d[at + 2])) << 16 |
                          uint32_t(uint8_t(d[at + 1])) << 8 | uint8_t(d[at]));
    }
    palette.resize(256, 0xFF000000u); // indexes past the table show black
    return palette;
}

// The pixel indexes of an RLE picture, rows bottom-up as stored. Runs and deltas that leave the
// picture are clipped; what no run reaches stays index 0.
std::vector<uint8_t> decodeRle(std::string_view d, size_t at, int width, int height, bool rle4) {
    std::vector<uint8_t> indexes(size_t(width) * size_t(height), 0);
    long long x = 0;
    long long y = 0;
    auto put = [&](uint8_t value) {
        if (x < width && y < height) {
            indexes[size_t(y) * size_t(width) + size_t(x)] = value;
        }
        ++x;
    };
    while (at + 1 < d.size() && y < height) {
        const uint8_t count = uint8_t(d[at]);
        const uint8_t value = uint8_t(d[at + 1]);
        at += 2;
        if (count > 0) {
            const long long n = std::min<long long>(count, std::max<long long>(width - x, 0));
            for (long long i = 0; i < n; ++i) {
                put(rle4 ? uint8_t(i & 1 ? value & 15 : value >> 4) : value);
            }
            x += count - n;
            continue;
        }
        if (value == 0) { // end of line
            x = 0;
            ++y;
        } else if (value == 1) { // end of picture
            break;
        } else if (value == 2) { // delta
            if (at + 1 >= d.size()) {
                break;
            }
            x += uint8_t(d[at]);
            y += uint8_t(d[at + 1]);
            at += 2;
        } else { // an absolute run, padded to a 16-bit boundary
            const size_t bytes = rle4 ? (size_t(value) + 1) / 2 : value;
            for (int i = 0; i < value && at + size_t(rle4 ? i / 2 : i) < d.size(); ++i) {
                const uint8_t b = uint8_t(d[at + size_t(rle4 ? i / 2 : i)]);
                if (x >= width) {
                    break;
                }
                put(rle4 ? uint8_t(i & 1 ? b & 15 : b >> 4) : b);
            }
            at += (bytes + 1) & ~size_t(1);
        }
    }
    return indexes;
}

// Rows of an uncompressed paletted picture as indexes, bottom-up as stored.
std::vector<uint8_t> unpackIndexes(std::string_view d, size_t at, int width, int height, int bits) {
    std::vector<uint8_t> indexes(size_t(width) * size_t(height), 0);
    const size_t rowBytes = ((size_t(width) * size_t(bits) + 31) / 32) * 4;
    const int perByte = 8 / bits;
    const uint8_t valueMask = uint8_t((1 << bits) - 1);
    for (int y = 0; y < height; ++y) {
        const size_t rowAt = at + size_t(y) * rowBytes;
        if (rowAt >= d.size()) {
            break;
        }
        const size_t have = std::min(rowBytes, d.size() - rowAt);
        uint8_t* out = indexes.data() + size_t(y) * size_t(width);
        for (int x = 0; x < width; ++x) {
            const size_t byteAt = size_t(x / perByte);
            if (byteAt >= have) {
                break;
            }
            const int shift = 8 - bits * (x % perByte + 1);
            out[x] = uint8_t(uint8_t(d[rowAt + byteAt]) >> shift) & valueMask;
        }
    }
    return indexes;
}

void readDirectColour(std::string_view d, const BmpHeader& h, size_t at, Bitmap& out, bool bottomUp) {
    const int width = out.width();
    const int height = out.height();
    const int bytesPerPixel = int(h.bitCount) / 8;
    const size_t rowBytes = ((size_t(width) * h.bitCount + 31) / 32) * 4;
    const bool fields = h.compression == BiBitfields || h.compression == BiAlphaBitfields;
    std::array<uint32_t, 4> masks = h.masks;
    if (!fields) {
        masks = h.bitCount == 16 ? std::array<uint32_t, 4>{0x7C00, 0x03E0, 0x001F, 0}
                                 : std::array<uint32_t, 4>{0xFF0000, 0xFF00, 0xFF, 0};
    }
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
    out.hasAlpha = masks[3] != 0 && h.bitCount == 32;
    for (int y = 0; y < height; ++y) {
        const size_t rowAt = at + size_t(y) * rowBytes;
        if (rowAt >= d.size()) {
            break;
        }
        const size_t have = std::min(rowBytes, d.size() - rowAt);
        uint32_t* row = out.row(bottomUp ? height - 1 - y : y);
        const auto* src = reinterpret_cast<const uint8_t*>(d.data() + rowAt);
        for (int x = 0; x < width && size_t(x + 1) * size_t(bytesPerPixel) <= have; ++x) {
            const uint8_t* p = src + size_t(x) * size_t(bytesPerPixel);
            if (bytesPerPixel == 3) {
                row[x] = 0xFF000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
                continue;
            }
            uint32_t v = p[0] | uint32_t(p[1]) << 8;
            if (bytesPerPixel == 4) {
                v |= uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
            }
            const uint32_t a = out.hasAlpha ? alpha.value(v) : 255;
            row[x] = a << 24 | red.value(v) << 16 | green.value(v) << 8 | blue.value(v);
        }
    }
}

// Many writers declare an alpha mask and leave every alpha byte 0: such a picture is opaque.
void dropEmptyAlpha(Bitmap& b) {
    if (!b.hasAlpha) {
        return;
    }
    for (uint32_t p : b.pixels()) {
        if (p >> 24) {
            return;
        }
    }
    b.hasAlpha = false;
    for (uint32_t& p : b.pixels()) {
        p |= 0xFF000000u;
    }
}

} // namespace

Bitmap readBmp(std::string_view d) {
    const BmpHeader h = readHeader(d);
    const bool bottomUp = h.height > 0;
    const long long width = h.width;
    const long long height = bottomUp ? h.height : -h.height;
    if (pictureTooLarge(width, height, d.size(), kBmpPixelsPerByte)) {
        throw EImageError(kInvalid);
    }
    const bool paletted = h.bitCount == 1 || h.bitCount == 4 || h.bitCount == 8;
    const bool direct = h.bitCount == 16 || h.bitCount == 24 || h.bitCount == 32;
    const bool rle = h.compression == BiRle8 || h.compression == BiRle4;
    if (!(paletted || direct) || (rle && h.bitCount != (h.compression == BiRle8 ? 8u : 4u)) ||
        (h.compression != BiRgb && !rle && !(direct && h.bitCount != 24)) || (rle && !bottomUp)) {
        throw EImageError(kInvalid);
    }
    size_t at = h.bitsAt;
    if (!at) {
        at =
            h.paletteAt + (paletted ? (h.colorsUsed && h.colorsUsed < 256 ? h.colorsUsed : 1u << h.bitCount) *
                                          size_t(h.paletteEntrySize)
                                    : 0);
    }
    Bitmap out(int(width), int(height), 0xFF000000u);
    if (direct) {
        readDirectColour(d, h, at, out, bottomUp);
        dropEmptyAlpha(out);
        return out;
    }
    const Palette palette = readPalette(d, h);
    const std::vector<uint8_t> indexes =
        rle ? decodeRle(d, at, int(width), int(height), h.compression == BiRle4)
            : unpackIndexes(d, at, int(width), int(height), int(h.bitCount));
    for (int y = 0; y < int(height); ++y) {
        const uint8_t* src = indexes.data() + size_t(y) * size_t(width);
        uint32_t* row = out.row(bottomUp ? int(height) - 1 - y : y);
        for (int x = 0; x < int(width); ++x) {
            row[x] = palette[src[x]];
        }
    }
    return out;
}

} // namespace tavlin
