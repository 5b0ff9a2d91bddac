#pragma once
#include "builder/HtmlParser.h"
#include "document/Block.h"
#include "document/Section.h"
#include "document/SectionList.h"
#include "document/Table.h"
#include "tests/document/FixedCanvas.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace tavlin::test {

// The viewer's defaults: Times New Roman 12 pt, margins 10 and 5, a white page.
inline void ViewerDefaults(TSectionList& doc, int marginWidth = 10, int marginHeight = 5) {
    doc.SetDefaults("Times New Roman", "Courier New", marginWidth, marginHeight, 1, true, false, 0xFFFFFF,
                    rgb(0, 0, 255), rgb(128, 0, 128), rgb(0, 0, 255), 0, 12);
}

// A document built from HTML, laid out on the fixed-metric canvas when asked.
struct Built {
    TSectionList doc;
    TParseResult result;
    FixedCanvas canvas;
    int scrollWidth = 0;
    int height = 0;

    explicit Built(std::string_view html, const TParseOptions& options = {}, int marginWidth = 10,
                   int marginHeight = 5) {
        ViewerDefaults(doc, marginWidth, marginHeight);
        result = ParseHtmlFromBuffer(doc, html, options);
    }
    int Layout(int width, int availHeight = 600) {
        int counter = 0;
        height = doc.Layout(canvas, 0, width, availHeight, scrollWidth, counter);
        return height;
    }
    void Paint(const Rect& clip, int yOffset = 0) {
        canvas.texts.clear();
        canvas.rects.clear();
        doc.SetYOffset(yOffset);
        doc.PaintDocument(canvas, clip, 6000, 0, 0, 0, 0);
    }
    TBodyBlock& Body() { return dynamic_cast<TBodyBlock&>(doc[0]); }
    TCellBasic& Cell() { return Body().Content; }
};

// The section of a content list at index i, of the expected kind.
template <typename T> T& At(const TCellBasic& cell, int i) {
    if (i >= cell.Count()) {
        ADD_FAILURE() << "no section " << i << " (the list holds " << cell.Count() << ")";
        throw std::out_of_range("section index");
    }
    T* s = dynamic_cast<T*>(&cell[i]);
    if (!s) {
        ADD_FAILURE() << "section " << i << " is not of the expected kind";
        throw std::bad_cast();
    }
    return *s;
}

std::string Shape(const TCellBasic& cell);

// A table in short: the caption as caption^(...) on top or captionv(...) below, then each row in
// brackets with its cells as td(...) or th(...) and empty slots as _.
inline std::string TableShape(const ThtmlTable& table) {
    std::string caption;
    if (!table.CaptionCell->Cell->IsEmpty()) {
        caption = std::string("caption") + (table.CaptionOnTop ? "^" : "v") + "(" +
                  Shape(*table.CaptionCell->Cell) + ")";
    }
    std::string out = table.CaptionOnTop ? caption : std::string();
    for (const auto& row : table.RowList) {
        out += out.empty() ? "[" : " [";
        for (int c = 0; c < row->Count(); ++c) {
            const TCellObj* cell = row->At(c);
            out += c ? " " : "";
            out += !cell              ? "_"
                   : cell->IsFiller() ? "-"
                                      : std::string(cell->Cell->OwnerTag) + "(" + Shape(*cell->Cell) + ")";
        }
        out += "]";
    }
    if (!table.CaptionOnTop && !caption.empty()) {
        out += (out.empty() ? "" : " ") + caption;
    }
    return out;
}

// A content list in short: blocks as tag(...), list items li(...), rules hr, page breaks page,
// tables as table(...), text sections as their text in quotes (control characters as \N).
inline std::string Shape(const TCellBasic& cell) {
    std::string out;
    for (int i = 0; i < cell.Count(); ++i) {
        if (!out.empty()) {
            out += ' ';
        }
        const TSectionBase& s = cell[i];
        if (const auto* text = dynamic_cast<const TSection*>(&s)) {
            out += text->IsPreformatted() ? "pre'" : "'";
            for (const char c : text->Text()) {
                if (static_cast<unsigned char>(c) < 32) {
                    out += "\\" + std::to_string(int(c));
                } else {
                    out += c;
                }
            }
            out += "'";
        } else if (dynamic_cast<const THRBlock*>(&s)) {
            out += "hr";
        } else if (const auto* table = dynamic_cast<const ThtmlTable*>(&s)) {
            out += TableShape(*table);
        } else if (const auto* block = dynamic_cast<const TBlock*>(&s)) {
            out += std::string(block->Content.OwnerTag) + "(" + Shape(block->Content) + ")";
        } else if (dynamic_cast<const TPage*>(&s)) {
            out += "page";
        } else {
            out += "?";
        }
    }
    return out;
}

} // namespace tavlin::test
