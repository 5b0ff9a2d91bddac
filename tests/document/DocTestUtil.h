#pragma once
#include "document/FloatingObj.h"
#include "document/Section.h"
#include "document/SectionList.h"
#include "reader/TokenObj.h"
#include "tests/document/FixedCanvas.h"

#include <memory>
#include <string_view>

namespace tavlin::test {

inline TMyFont Font(int height, int style = 0, Color color = 0, Color bg = clNone, uint8_t charSet = 1) {
    TMyFont font;
    font.Desc = FontDesc{"Fixed", height, style, charSet};
    font.FontColor = color;
    font.BgColor = bg;
    font.PointSize = height;
    return font;
}

// An object of fixed size standing in text; it paints itself as a filled box.
class BoxObj : public TFloatingObj {
public:
    BoxObj(int width, int height, int align, Color color = rgb(0, 200, 0)) : color_(color) {
        ObjWidth = width;
        ObjHeight = height;
        ObjAlign = align;
    }
    void Draw(Canvas& canvas, int x, int y) override { canvas.fillRect({x, y, x + ObjWidth, y + ObjHeight}, color_); }
    std::unique_ptr<TFloatingObj> CloneFor(TSectionList&) const override { return std::make_unique<BoxObj>(*this); }
    Color color_;
};

// Appends text as the reader would hand it over, the characters at consecutive source offsets.
inline void Append(TSection& section, std::string_view text, int source = 0, bool noBreak = false) {
    TokenObj token;
    for (size_t i = 0; i < text.size(); ++i) {
        token.AddChar(text[i], source + int(i));
    }
    section.AppendText(token, noBreak);
}

// A document on a fixed canvas with helpers to fill, lay out and paint it.
struct FixedDoc {
    TSectionList doc;
    FixedCanvas canvas;
    int scrollWidth = 0;

    std::unique_ptr<TSection> open;

    // A section still being built; it joins the document at the next Add, Close or Layout.
    template <typename T = TSection>
    T& Open(std::string_view text = {}, int height = 16, int source = 0) {
        Close();
        auto section = std::make_unique<T>(&doc, Font(height));
        Append(*section, text, source);
        T& ref = *section;
        open = std::move(section);
        return ref;
    }
    void Close() {
        if (open) {
            doc.AppendSection(std::move(open));
        }
    }
    template <typename T = TSection>
    T& Add(std::string_view text, int height = 16, int source = 0) {
        T& ref = Open<T>(text, height, source);
        Close();
        return ref;
    }
    TSection& AddSection(std::unique_ptr<TSection> section) {
        Close();
        TSection& ref = *section;
        doc.AppendSection(std::move(section));
        return ref;
    }
    int Layout(int width) {
        Close();
        int counter = 0;
        return doc.Layout(canvas, 0, width, 600, scrollWidth, counter);
    }
    void Paint(const Rect& clip, int yOffset = 0) {
        doc.SetYOffset(yOffset);
        doc.PaintDocument(canvas, clip, 6000, 0, 0, 0, 0);
    }
    // The text calls of the last paint, as "x,baseline:text".
    std::vector<std::string> Drawn() const {
        std::vector<std::string> out;
        for (const auto& call : canvas.texts) {
            out.push_back(std::to_string(call.x) + "," + std::to_string(call.baseline) + ":" + call.text);
        }
        return out;
    }
};

} // namespace tavlin::test
