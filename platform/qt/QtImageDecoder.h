#pragma once
#include "platform/ImageDecoder.h"

namespace tavlin {

// Reads pictures with Qt's image readers. PNG keeps its alpha channel.
class QtImageDecoder final : public ImageDecoder {
public:
    std::optional<Bitmap> decode(std::string_view bytes, long long maxPixels, std::string& error) override;

    // Installs one decoder for the program's run (idempotent).
    static void install();
};

} // namespace tavlin
