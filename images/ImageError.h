#pragma once
#include <stdexcept>
#include <string>

namespace tavlin {

// A picture that cannot be read or converted. The message is shown to nobody: the image layer
// catches it and shows its error picture instead.
class EImageError : public std::runtime_error {
public:
    explicit EImageError(const std::string& message) : std::runtime_error(message) {}
};

// No picture may be larger than this: bigger ones are refused before anything is allocated.
inline constexpr long long kMaxPicturePixels = 64LL * 1000 * 1000;

// Nor may a few bytes of input make a large picture: each format packs at most so many pixels
// into one byte of data (LZW strings of up to 4096 pixels in 12-bit codes; RLE runs of 255 pixels
// in 2 bytes, plus some truncation; deflate at about 1000:1; JPEG end-of-band runs), so a larger
// picture is refused too, and the work done for any input stays proportional to its size.
inline constexpr long long kFreePixels = 1024LL * 1024;
inline constexpr long long kGifPixelsPerByte = 4096;
inline constexpr long long kBmpPixelsPerByte = 256;
inline constexpr long long kPngPixelsPerByte = 8192;
inline constexpr long long kJpegPixelsPerByte = 32768;

inline long long pictureBudget(size_t inputBytes, long long pixelsPerByte) {
    const long long allowance = kFreePixels + pixelsPerByte * (long long)(inputBytes);
    return allowance < kMaxPicturePixels ? allowance : kMaxPicturePixels;
}

// True when a picture of this size must not be made from that much input.
inline bool pictureTooLarge(long long width, long long height, size_t inputBytes, long long pixelsPerByte) {
    return width <= 0 || height <= 0 || width > kMaxPicturePixels || height > kMaxPicturePixels ||
           width * height > pictureBudget(inputBytes, pixelsPerByte);
}

} // namespace tavlin
