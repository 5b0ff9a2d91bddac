#pragma once
#include "platform/Bitmap.h"
#include "platform/Geometry.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

// Font style bits, as the style properties count them.
enum FontStyleBits : int { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// What the engine asks for when it wants a font. Heights are in screen pixels:
// `height` is the em height (the character height less internal leading), as a negative
// height asks for it from GDI. The character set decides how bytes are decoded.
struct FontDesc {
    std::string name = "Times New Roman";
    int height = 13;
    int style = 0; // FontStyleBits
    uint8_t charSet = 1;

    bool bold() const { return style & fsBold; }
    bool italic() const { return style & fsItalic; }
    bool underline() const { return style & fsUnderline; }
    bool strikeOut() const { return style & fsStrikeOut; }
    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

// The metrics of a selected font, in pixels, named as the layout code uses them.
struct FontMetrics {
    int height = 0; // cell height: ascent + descent
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0; // height - em height
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
    int overhang = 0; // always 0 here: no synthesised bold or italic widening
};

enum class BkMode { Transparent, Opaque };

enum class PenStyle { Solid, Dash, Dot, None };

// The drawing surface the engine measures and paints through. One font, text colour, background
// colour and mode are "selected" at a time, as on a device context. Text is the engine's 8-bit
// bytes; the selected font's character set decodes them. Text extents are exactly the advances
// that textOut uses, so what is measured is where it is drawn.
class Canvas {
public:
    virtual ~Canvas() = default;

    // Fonts and text.
    virtual void setFont(const FontDesc& font) = 0;
    virtual const FontDesc& font() const = 0;
    virtual FontMetrics fontMetrics() = 0;
    // Width and height (cell height) of the bytes in the selected font.
    virtual Size textExtent(std::string_view text) = 0;
    int textWidth(std::string_view text) { return textExtent(text).cx; }
    // Pixel x of the end of each character, accumulated: ends[i] is the extent of text[0..i].
    // Continuation bytes of a multi-byte character repeat the previous end.
    virtual void characterEnds(std::string_view text, std::vector<int>& ends) = 0;
    // The selected font's advances of bytes that are characters of their own: every byte below
    // `limit` advances by table[byte], whatever stands around it. Null when the canvas keeps no
    // such table; text is then measured through characterEnds.
    virtual const int* byteAdvances(unsigned& limit) {
        limit = 0;
        return nullptr;
    }
    // Draws the bytes with their baseline at y and the left edge of the first character at x.
    // In opaque mode the cell box (ascent above to descent below the baseline) is filled first.
    virtual void textOut(int x, int baselineY, std::string_view text) = 0;
    virtual void setTextColor(Color color) = 0;
    virtual void setBkColor(Color color) = 0;
    virtual void setBkMode(BkMode mode) = 0;

    // Shapes. Rectangles exclude their right and bottom edges.
    virtual void fillRect(const Rect& r, Color color) = 0;
    virtual void frameRect(const Rect& r, Color color, int width = 1) = 0;
    virtual void drawLine(int x1, int y1, int x2, int y2, Color color, int width = 1,
                          PenStyle style = PenStyle::Solid) = 0;
    virtual void drawEllipse(const Rect& r, Color pen, Color fill) = 0; // fill may be clNone
    virtual void drawPolygon(const std::vector<Point>& points, Color pen, Color fill) = 0;
    // Inverts every pixel of r (the XOR with white of a raster operation).
    virtual void invertRect(const Rect& r) = 0;

    // Pictures: the source rectangle of the bitmap is stretched onto dest. Pixels the mask marks
    // transparent are not drawn; pictures with their own alpha are blended.
    virtual void drawBitmap(const Bitmap& bitmap, const Rect& source, const Rect& dest) = 0;
    // The same through a separate mask of the picture's size (set bits are not drawn), so that a
    // shared picture needs no copy to be drawn with the mask one user of it asks for.
    virtual void drawMaskedBitmap(const Bitmap& bitmap, const Mask& mask, const Rect& source,
                                  const Rect& dest) {
        Bitmap masked = bitmap;
        masked.mask = mask;
        drawBitmap(masked, source, dest);
    }
    void drawBitmap(const Bitmap& bitmap, int x, int y) {
        drawBitmap(bitmap, Rect{0, 0, bitmap.width(), bitmap.height()},
                   Rect{x, y, x + bitmap.width(), y + bitmap.height()});
    }

    // Clipping: the clip is intersected with r; save and restore nest.
    virtual void intersectClip(const Rect& r) = 0;
    virtual Rect clipBox() const = 0;
    virtual void save() = 0;
    virtual void restore() = 0;

    // Colours the device can show: 2 for black and white, otherwise many.
    virtual int deviceColors() const { return 1 << 24; }

    // Tells canvases apart for what is measured on one and kept: unlike an address, a serial
    // is never taken again by a later canvas.
    uint64_t serial() const { return serial_; }

private:
    static uint64_t NextSerial() {
        static std::atomic<uint64_t> next{0};
        return ++next;
    }
    uint64_t serial_ = NextSerial();
};

// Saves the canvas state for a scope.
class CanvasStateSaver {
public:
    explicit CanvasStateSaver(Canvas& canvas) : canvas_(canvas) { canvas_.save(); }
    ~CanvasStateSaver() { canvas_.restore(); }
    CanvasStateSaver(const CanvasStateSaver&) = delete;
    CanvasStateSaver& operator=(const CanvasStateSaver&) = delete;

private:
    Canvas& canvas_;
};

} // namespace tavlin
