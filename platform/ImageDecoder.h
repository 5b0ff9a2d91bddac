#pragma once
#include "platform/Bitmap.h"

#include <optional>
#include <string>
#include <string_view>

namespace tavlin {

// The platform's picture reader, for formats the engine leaves to a well-kept library (PNG).
// Pictures come back as engine bitmaps; a picture with its own alpha keeps it (hasAlpha).
class ImageDecoder {
public:
    virtual ~ImageDecoder() = default;
    // The picture in the bytes, or nullopt with the reason in error. Pictures larger than
    // maxPixels are refused before they are decoded.
    virtual std::optional<Bitmap> decode(std::string_view bytes, long long maxPixels, std::string& error) = 0;
};

namespace detail {
inline ImageDecoder*& installedImageDecoder() {
    static ImageDecoder* decoder = nullptr;
    return decoder;
}
} // namespace detail

// The installed reader (not owned), or null when none is: the engine then reads no PNG.
inline ImageDecoder* imageDecoder() {
    return detail::installedImageDecoder();
}
inline void setImageDecoder(ImageDecoder* decoder) {
    detail::installedImageDecoder() = decoder;
}

} // namespace tavlin
