#pragma once
#include <cstdint>

namespace tavlin {

// A colour as the engine stores it: 0x00BBGGRR. clNone means "no colour" (transparent);
// the palette-relative flag is kept on values but ignored when drawing on true-colour surfaces.
using Color = uint32_t;
inline constexpr Color clNone = 0x1FFFFFFF;
inline constexpr Color PaletteRelative = 0x02000000;

inline constexpr Color rgb(uint8_t r, uint8_t g, uint8_t b) { return Color(r) | (Color(g) << 8) | (Color(b) << 16); }
inline constexpr uint8_t redOf(Color c) { return uint8_t(c); }
inline constexpr uint8_t greenOf(Color c) { return uint8_t(c >> 8); }
inline constexpr uint8_t blueOf(Color c) { return uint8_t(c >> 16); }

struct Point {
    int x = 0;
    int y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle with exclusive right and bottom edges, as the layout code counts them.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    Rect intersected(const Rect& o) const {
        Rect r{left > o.left ? left : o.left, top > o.top ? top : o.top, right < o.right ? right : o.right,
               bottom < o.bottom ? bottom : o.bottom};
        return r;
    }
    bool intersects(const Rect& o) const { return !intersected(o).isEmpty(); }
    Rect translated(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

} // namespace tavlin
