#pragma once
#include "platform/Bitmap.h"

#include <string_view>

namespace tavlin {

// Decodes a JPEG file with libjpeg: colour, greyscale, progressive, arithmetic-coded and CMYK
// (Adobe) pictures. A fatal libjpeg error throws EImageError with libjpeg's message; the process
// never exits.
Bitmap readJpeg(std::string_view data);

} // namespace tavlin
