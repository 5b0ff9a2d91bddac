// The JPEG reader over any bytes: libjpeg's fatal errors must come back as exceptions.
#include "images/ImageError.h"
#include "images/JpegReader.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavlin;
    try {
        const Bitmap b = tavlin::readJpeg(std::string_view(reinterpret_cast<const char*>(data), size));
        if (b.isEmpty()) {
            __builtin_trap();
        }
    } catch (const EImageError&) {
    }
    return 0;
}
