// The engine's side of BMP and PNG: type sniffing, the BMP reader, the PNG and GIF transparent
// colour scans, masks and stream loading, and small results reduced for the palette screens.
// PNG pixels themselves are decoded by the platform's reader, which this build does not link.
#include "images/BmpReader.h"
#include "images/Display.h"
#include "images/Dither.h"
#include "images/ImageError.h"
#include "images/ImageLoader.h"
#include "images/ImageTypes.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavlin;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    (void)sniffImageType(bytes.substr(0, 11));
    int transparency = 0;
    (void)transparentColorOfFile(".png", bytes, transparency);
    (void)transparentColorOfFile(".gif", bytes, transparency);
    try {
        const Bitmap b = readBmp(bytes);
        const Mask m = makeMask(b);
        if (m.width() != b.width() || m.height() != b.height()) {
            __builtin_trap();
        }
        if (b.width() * b.height() <= 4096) {
            setDisplayDepth(size % 2 ? DisplayDepth::Colors256 : DisplayDepth::Colors16);
            const std::optional<Bitmap> reduced = DitherToDisplay(b);
            setDisplayDepth(DisplayDepth::TrueColor);
            if (!reduced || reduced->width() != b.width()) {
                __builtin_trap();
            }
        }
    } catch (const EImageError&) {
    }
    int kind = LLCorner;
    (void)loadPictureStream(bytes, kind);
    return 0;
}
