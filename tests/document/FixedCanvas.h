#pragma once
#include "platform/Canvas.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <string>
#include <vector>

namespace tavlin::test {

// A canvas with fixed, simple metrics, so layout arithmetic can be checked to the pixel: every
// character of a font with em height h is h / 2 pixels wide (at least 1), the ascent is
// h - h / 4 and the descent h / 4; no leading. Bytes that continue a multi-byte character add
// nothing, as the platform canvas counts them. Drawing is recorded, not rasterised.
class FixedCanvas : public Canvas {
public:
    struct TextCall {
        int x;
        int baseline;
        std::string text;
        FontDesc font;
        Color color;
        Color bkColor;
        BkMode mode;
        Rect clip;
    };
    struct RectCall {
        Rect rect;
        Color color;
    };

    static int CharWidth(int height) { return std::max(1, height / 2); }

    void setFont(const FontDesc& font) override { font_ = font; }
    const FontDesc& font() const override { return font_; }
    FontMetrics fontMetrics() override {
        const int h = std::max(font_.height, 1);
        FontMetrics m;
        m.descent = h / 4;
        m.ascent = h - m.descent;
        m.height = h;
        m.aveCharWidth = CharWidth(h);
        m.maxCharWidth = CharWidth(h);
        return m;
    }
    Size textExtent(std::string_view text) override {
        ++measures;
        measuredBytes += text.size();
        int characters = 0;
        for (size_t i = 0; i < text.size(); i += std::max<size_t>(1, characterLength(text, i, font_.charSet))) {
            ++characters;
        }
        return {characters * CharWidth(std::max(font_.height, 1)), std::max(font_.height, 1)};
    }
    void characterEnds(std::string_view text, std::vector<int>& ends) override {
        ++measures;
        measuredBytes += text.size();
        ends.assign(text.size(), 0);
        int x = 0;
        for (size_t i = 0; i < text.size();) {
            const size_t length = std::max<size_t>(1, characterLength(text, i, font_.charSet));
            x += CharWidth(std::max(font_.height, 1));
            for (size_t k = 0; k < length && i + k < text.size(); ++k) {
                ends[i + k] = x;
            }
            i += length;
        }
    }
    void textOut(int x, int baselineY, std::string_view text) override {
        texts.push_back({x, baselineY, std::string(text), font_, textColor_, bkColor_, bkMode_, clip_});
    }
    void setTextColor(Color color) override { textColor_ = color; }
    void setBkColor(Color color) override { bkColor_ = color; }
    void setBkMode(BkMode mode) override { bkMode_ = mode; }

    void fillRect(const Rect& r, Color color) override { rects.push_back({r, color}); }
    void frameRect(const Rect& r, Color color, int) override { rects.push_back({r, color}); }
    void drawLine(int, int, int, int, Color, int, PenStyle) override {}
    void drawEllipse(const Rect&, Color, Color) override {}
    void drawPolygon(const std::vector<Point>&, Color, Color) override {}
    void invertRect(const Rect&) override {}
    void drawBitmap(const Bitmap&, const Rect&, const Rect&) override {}

    void intersectClip(const Rect& r) override { clip_ = clip_.intersected(r); }
    Rect clipBox() const override { return clip_; }
    void save() override { stack_.push_back(clip_); }
    void restore() override {
        if (!stack_.empty()) {
            clip_ = stack_.back();
            stack_.pop_back();
        }
    }
    int deviceColors() const override { return colors; }

    std::vector<TextCall> texts;
    std::vector<RectCall> rects;
    long measures = 0;
    long measuredBytes = 0;
    int colors = 1 << 24;

private:
    FontDesc font_;
    Color textColor_ = 0;
    Color bkColor_ = 0xFFFFFF;
    BkMode bkMode_ = BkMode::Transparent;
    Rect clip_{-1000000000, -1000000000, 1000000000, 1000000000};
    std::vector<Rect> stack_;
};

} // namespace tavlin::test
