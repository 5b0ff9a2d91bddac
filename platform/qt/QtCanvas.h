#pragma once
#include "platform/Canvas.h"

#include <QImage>
#include <QPainter>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavlin {

class QtFontEntry;

// The Canvas over a QPainter. Text is drawn as glyph runs placed at the advances the canvas
// measured itself (whole pixels per character, no kerning), so extents and drawing agree exactly.
// A character the font lacks (CJK, symbols) is measured and drawn with the face fontconfig picks
// for it.
// Advances are cached per font, so measuring costs time proportional to the bytes measured.
class QtCanvas : public Canvas {
public:
    explicit QtCanvas(QPainter& painter);
    ~QtCanvas() override;

    void setFont(const FontDesc& font) override;
    const FontDesc& font() const override { return fonts_[current_].desc; }
    FontMetrics fontMetrics() override;
    Size textExtent(std::string_view text) override;
    void characterEnds(std::string_view text, std::vector<int>& ends) override;
    const int* byteAdvances(unsigned& limit) override;
    void textOut(int x, int baselineY, std::string_view text) override;
    void setTextColor(Color color) override { textColor_ = color; }
    void setBkColor(Color color) override { bkColor_ = color; }
    void setBkMode(BkMode mode) override { bkMode_ = mode; }

    void fillRect(const Rect& r, Color color) override;
    void frameRect(const Rect& r, Color color, int width) override;
    void drawLine(int x1, int y1, int x2, int y2, Color color, int width, PenStyle style) override;
    void drawEllipse(const Rect& r, Color pen, Color fill) override;
    void drawPolygon(const std::vector<Point>& points, Color pen, Color fill) override;
    void invertRect(const Rect& r) override;
    void drawBitmap(const Bitmap& bitmap, const Rect& source, const Rect& dest) override;
    void drawMaskedBitmap(const Bitmap& bitmap, const Mask& mask, const Rect& source,
                          const Rect& dest) override;

    void intersectClip(const Rect& r) override;
    Rect clipBox() const override;
    void save() override;
    void restore() override;
    int deviceColors() const override { return deviceColors_; }
    void setDeviceColors(int colors) { deviceColors_ = colors; }

    QPainter& painter() { return painter_; }

    static QColor toQColor(Color c);
    static Color fromQColor(const QColor& c);
    // A QImage sharing nothing with the bitmap: the pixels with the mask applied as alpha.
    static QImage toQImage(const Bitmap& bitmap);
    // The part of the picture, through the mask when one is given.
    static QImage toQImage(const Bitmap& bitmap, const Mask* mask, const Rect& part);

private:
    QtFontEntry& entry();
    Rect visibleArea() const;
    void drawPicture(const Bitmap& bitmap, const Mask* mask, const Rect& source, const Rect& dest);

    QPainter& painter_;
    // The selected font and the one before it, with their shared entries (null until looked up).
    struct SelectedFont {
        FontDesc desc;
        QtFontEntry* entry = nullptr;
    };
    std::array<SelectedFont, 2> fonts_;
    size_t current_ = 0;
    uint64_t generation_ = 0; // of the shared entries both pointers came from
    Color textColor_ = 0;
    Color bkColor_ = 0xFFFFFF;
    BkMode bkMode_ = BkMode::Transparent;
    int deviceColors_ = 1 << 24;
    std::vector<Rect> clipStack_;
    Rect clip_;
};

// A QImage with its painter and canvas, for headless drawing and tests.
class ImageCanvas {
public:
    ImageCanvas(int width, int height, Color background = 0xFFFFFF);
    ~ImageCanvas();
    Canvas& canvas() { return *canvas_; }
    // Ends painting and returns the picture.
    const QImage& image();

private:
    QImage image_;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<QtCanvas> canvas_;
};

} // namespace tavlin
