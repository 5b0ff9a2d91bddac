#include "platform/Bitmap.h"

#include <algorithm>

namespace tavlin {

Mask::Mask(int width, int height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), rowBytes_((width_ + 7) / 8),
      bits_(size_t(rowBytes_) * size_t(height_), 0) {}

void Mask::setTransparent(int x, int y, bool transparent) {
    uint8_t& byte = bits_[size_t(y) * rowBytes_ + size_t(x >> 3)];
    const uint8_t bit = uint8_t(0x80 >> (x & 7));
    byte = transparent ? uint8_t(byte | bit) : uint8_t(byte & ~bit);
}

void Mask::fill(bool transparent) { std::fill(bits_.begin(), bits_.end(), transparent ? 0xFF : 0x00); }

Bitmap::Bitmap(int width, int height, uint32_t fill)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), pixels_(size_t(width_) * size_t(height_), fill) {}

} // namespace tavlin
