// Drawing tables: caption, the rows in the band with their cells (background colour and
// picture, content, borders), the spacing colour between cells, the 3D frames, and the page
// breaks a printed table makes between its rows.
#include "document/Table.h"

#include "document/SectionList.h"

#include <algorithm>
#include <climits>

namespace tavlin {

namespace {

constexpr Color kButtonHighlight = 0xFFFFFF;
constexpr Color kButtonShadow = 0x808080;
constexpr Color kSilver = 0xC0C0C0;
// Frames are drawn within this vertical range of the view, so huge cells cost no huge lines.
constexpr int kFrameTop = -200;
constexpr int kFrameBottom = 3000;

Color Opaque(Color c) {
    return c & 0x00FFFFFF;
}

// Fills area less the holes, band by band between the holes' top and bottom edges.
void FillAround(Canvas& canvas, const Rect& area, const std::vector<Rect>& holes, Color colour) {
    if (area.isEmpty()) {
        return;
    }
    std::vector<int> edges = {area.top, area.bottom};
    for (const Rect& h : holes) {
        edges.push_back(std::clamp(h.top, area.top, area.bottom));
        edges.push_back(std::clamp(h.bottom, area.top, area.bottom));
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
    std::vector<std::pair<int, int>> spans;
    for (size_t e = 0; e + 1 < edges.size(); ++e) {
        const int top = edges[e];
        const int bottom = edges[e + 1];
        spans.clear();
        for (const Rect& h : holes) {
            if (h.top <= top && h.bottom >= bottom && h.left < h.right) {
                spans.emplace_back(h.left, h.right);
            }
        }
        std::sort(spans.begin(), spans.end());
        int x = area.left;
        for (const auto& [left, right] : spans) {
            if (left > x) {
                canvas.fillRect(Rect{x, top, std::min(left, area.right), bottom}, colour);
            }
            x = std::max(x, right);
            if (x >= area.right) {
                break;
            }
        }
        if (x < area.right) {
            canvas.fillRect(Rect{x, top, area.right, bottom}, colour);
        }
    }
}

} // namespace

struct ThtmlTable::PaintState {
    bool printing = false;
    bool backgrounds = true; // off when printing without the table backgrounds option
    bool collectHoles = false;
    std::vector<Rect> holes;
};

int ThtmlTable::FirstRowReaching(int y) const {
    const auto it = std::upper_bound(RowList.begin(), RowList.end(), y,
                                     [](int value, const auto& row) { return value < row->SpanBottomMax; });
    return int(it - RowList.begin());
}

void ThtmlTable::PaintFrame(Canvas& canvas, Rect box, bool raised, bool defaultColours) const {
    // box holds the frame's corners, both included.
    box.top = std::max(box.top, kFrameTop);
    box.bottom = std::min(box.bottom, kFrameBottom);
    if (box.bottom < box.top || box.right < box.left) {
        return;
    }
    Color first = 0;
    Color second = 0;
    if (canvas.deviceColors() > 2) {
        if (defaultColours) {
            const bool printing = Document && Document->Printing;
            const bool whitePage = Document && Opaque(Document->Background) == 0xFFFFFF;
            const Color light = printing || whitePage ? kSilver : kButtonHighlight;
            first = raised ? light : kButtonShadow;
            second = raised ? kButtonShadow : light;
        } else {
            first = Opaque(raised ? FrameLight : FrameDark);
            second = Opaque(raised ? FrameDark : FrameLight);
        }
    }
    const int l = box.left;
    const int t = box.top;
    const int r = box.right;
    const int b = box.bottom;
    // Up the left side and across the top, then down the right side and back along the bottom.
    canvas.fillRect(Rect{l, t + 1, l + 1, b + 1}, first);
    canvas.fillRect(Rect{l, t, r, t + 1}, first);
    canvas.fillRect(Rect{r, t, r + 1, b}, second);
    canvas.fillRect(Rect{l + 1, b, r + 1, b + 1}, second);
}

void ThtmlTable::PaintCellBackground(Canvas& canvas, const Rect& clip, TCellObj& cell, const Rect& inner) {
    if (Document && Document->Printing && !Document->PrintBackgrounds) {
        return;
    }
    // A cell without a colour of its own takes the table's.
    const Color colour = cell.HasBgColor ? cell.BgColor : HasTableColour ? TableColour : clNone;
    if (colour != clNone) {
        Rect band = inner;
        band.top = std::max(band.top, clip.top - 2);
        band.bottom = std::min(band.bottom, clip.bottom + 2);
        if (!band.isEmpty()) {
            canvas.fillRect(band, Opaque(colour));
        }
    }
    if (!cell.BackgroundImage || !Document || !Document->ShowImages) {
        return;
    }
    const Bitmap* picture = cell.BackgroundImage->Picture();
    const Rect area = inner.intersected(clip);
    if (picture && !picture->isEmpty() && !area.isEmpty()) {
        PaintTiledPicture(canvas, *picture, inner, area, cell.BackgroundPosition);
    }
}

void ThtmlTable::PaintCell(Canvas& canvas, const Rect& clip, TCellObj& cell, int x, int y,
                           PaintState& state) {
    const int yOffset = Document ? Document->YOffset : 0;
    const int viewY = y - yOffset;
    const Rect box{x + CellSpacing, viewY + CellSpacing, x + cell.CellWidth, viewY + cell.CellHeight};
    const Rect inner{box.left + cell.BorderWidth[TCellObj::Left], box.top + cell.BorderWidth[TCellObj::Top],
                     box.right - cell.BorderWidth[TCellObj::Right],
                     box.bottom - cell.BorderWidth[TCellObj::Bottom]};
    PaintCellBackground(canvas, clip, cell, inner);
    const int contentX = x + CellSpacing + cell.Padding[TCellObj::Left] + cell.BorderWidth[TCellObj::Left];
    const int contentY =
        y + CellSpacing + cell.Padding[TCellObj::Top] + cell.BorderWidth[TCellObj::Top] + cell.VerticalOffset;
    cell.Cell->Paint(canvas, clip, clip.width(), contentX, contentY, contentX, contentY);
    if (cell.HasBorderStyle) {
        const Color c = Opaque(cell.BorderColor);
        for (const Rect& band : {Rect{box.left, box.top, box.right, inner.top},
                                 Rect{box.left, inner.bottom, box.right, box.bottom},
                                 Rect{box.left, inner.top, inner.left, inner.bottom},
                                 Rect{inner.right, inner.top, box.right, inner.bottom}}) {
            if (!band.isEmpty()) {
                canvas.fillRect(band, c);
            }
        }
    } else if (HasBorder) {
        PaintFrame(canvas, Rect{box.left - 1, box.top - 1, box.right, box.bottom}, false, framesDefault_);
    }
    if (state.collectHoles) {
        const int grow = HasBorder ? 1 : 0;
        state.holes.push_back(Rect{box.left - grow, std::clamp(box.top - grow, kFrameTop, kFrameBottom),
                                   box.right + grow, std::clamp(box.bottom + grow, kFrameTop, kFrameBottom)});
    }
}

int ThtmlTable::Paint(Canvas& canvas, const Rect& clip, IndentManager&, int x, int, int) {
    const int result = ArrangeY + FlowHeight;
    PaintedX = x;
    if (!Document) {
        return result;
    }
    TSectionList& doc = *Document;
    const int yOffset = doc.YOffset;
    const int top = ArrangeY - yOffset;
    const int height = CaptionHeight + BodyHeight;
    if (top >= clip.bottom || top + height <= clip.top) {
        return result;
    }
    PaintState state;
    state.printing = doc.Printing;
    state.backgrounds = !doc.Printing || doc.PrintBackgrounds;
    const int pageHeight = clip.height();
    const int twoThirds = clip.top + pageHeight * 2 / 3;
    // A printed table that fits on a page but would be cut by this one starts the next page.
    if (state.printing && top > twoThirds && height < pageHeight && ArrangeY + height > doc.PageBottom) {
        doc.PageBottom = std::min(doc.PageBottom, ArrangeY);
        return result;
    }
    const int left = x + GridIndent;
    if (CaptionOnTop && CaptionHeight > 0) {
        CaptionCell->Cell->Paint(canvas, clip, clip.width(), x, captionY_, x, captionY_);
    }
    state.collectHoles = HasSpacingColour && state.backgrounds;
    const int docTop = clip.top + yOffset;
    const int docBottom = clip.bottom + yOffset;
    std::array<int, kMaxColumns + 1> columnX{};
    for (int c = 0, cx = left; c < ColumnCount; ++c) {
        columnX[size_t(c)] = cx;
        cx += ColumnWidths[size_t(c)];
    }
    for (int r = FirstRowReaching(docTop); r < RowCount(); ++r) {
        TCellList& row = *RowList[size_t(r)];
        if (row.RowTop >= docBottom || (state.printing && row.RowTop >= doc.PageBottom)) {
            break;
        }
        const int rowView = row.RowTop - yOffset;
        if (state.printing && rowView > twoThirds && row.SpanHeight < pageHeight &&
            row.RowTop + row.SpanHeight > doc.PageBottom) {
            doc.PageBottom = std::min(doc.PageBottom, row.RowTop + (r > 0 ? CellSpacing / 2 : 0));
            break;
        }
        if (row.RowTop + row.SpanHeight < docTop) {
            continue;
        }
        for (int c = 0; c < row.Count(); ++c) {
            TCellObj* cell = row.At(c);
            if (cell && cell->HasContent()) {
                PaintCell(canvas, clip, *cell, columnX[size_t(c)], row.RowTop, state);
            }
        }
    }
    const int gridTop = gridTop_ - yOffset;
    if (state.collectHoles) {
        const Rect grid{left, std::max(gridTop, clip.top - 1), left + GridWidth,
                        std::min(gridTop + BodyHeight, clip.bottom)};
        FillAround(canvas, grid, state.holes, Opaque(SpacingColour));
    }
    if (HasBorder && RowCount() > 0) {
        const TCellList& last = *RowList.back();
        const int bottom = last.RowTop + last.RowHeight - yOffset + CellSpacing - 1;
        PaintFrame(canvas, Rect{left, gridTop, left + GridWidth - 1, bottom}, true, framesDefault_);
    }
    if (!CaptionOnTop && CaptionHeight > 0) {
        CaptionCell->Cell->Paint(canvas, clip, clip.width(), x, captionY_, x, captionY_);
    }
    return result;
}

} // namespace tavlin
