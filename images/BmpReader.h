#pragma once
#include "platform/Bitmap.h"

#include <string_view>

namespace tavlin {

// Reads a Windows or OS/2 bitmap file: 1, 4, 8, 16, 24 and 32 bits per pixel, RLE4 and RLE8,
// bit-field masks, core (OS/2 1.x), info, OS/2 2.x and V2 to V5 headers, bottom-up and top-down.
// A 32-bit picture with an alpha mask keeps its alpha. Throws EImageError for anything else.
Bitmap readBmp(std::string_view data);

} // namespace tavlin
