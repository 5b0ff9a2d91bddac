#pragma once
// Readable failure messages for pictures: size, flags and the first pixels.
#include "platform/Bitmap.h"

#include <cstdio>
#include <ostream>

namespace tavlin {

inline void PrintTo(const Bitmap& b, std::ostream* os) {
    *os << b.width() << "x" << b.height() << (b.hasAlpha ? " alpha" : "") << (b.mask ? " masked" : "")
        << " {";
    const size_t n = std::min<size_t>(b.pixels().size(), 16);
    for (size_t i = 0; i < n; ++i) {
        char text[12];
        std::snprintf(text, sizeof text, " %08X", b.pixels()[i]);
        *os << text;
    }
    *os << (b.pixels().size() > n ? " ...}" : " }");
}

} // namespace tavlin
