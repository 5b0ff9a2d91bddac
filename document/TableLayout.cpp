// Table layout: column widths for the room the table has, row heights with row spans, the
// placing of cells and caption, and the table block's width, height and placement.
#include "document/Table.h"

#include "document/SectionList.h"

#include <algorithm>
#include <climits>

namespace tavlin {

namespace {

// Document coordinates stay within this, however many huge rows a table stacks.
constexpr int64_t kMaxCoord = 1000000000;

int Coord(int64_t v) {
    return int(std::clamp<int64_t>(v, -kMaxCoord, kMaxCoord));
}

int ArrangeCellContent(Canvas& canvas, TCell& cell, int y, int width, int availHeight, int& counter) {
    int scrollWidth = 0;
    return cell.Arrange(canvas, y, std::max(0, width), availHeight, scrollWidth, counter);
}

} // namespace

// ---- ThtmlTable ----

int ThtmlTable::Arrange(Canvas& canvas, int, int y, int, int, int, int availHeight, IndentManager& floats,
                        int& maxWidth, int& counter) {
    FirstPos = counter;
    const int room = GivenWidth >= 1 ? GivenWidth : floats.RightSideAt(y) - floats.LeftIndentAt(y);
    const int avail = std::max(room - CellSpacing, 20);
    PrepareGrid();
    if (!cellsMeasured_) {
        MeasureCells(canvas);
    }
    cellsMeasured_ = false;
    MinMax m;
    ColumnWidths.fill(0);
    if (HasPixelWidthCell && GivenWidth < 1) {
        ColumnMinMax(m);
        SpreadBetween(m, avail);
    } else {
        ColumnMinMaxWithPercents(m, avail);
        if (m.TotalMin >= avail) {
            SpreadBetween(m, avail);
        } else if (GivenWidth >= 1) {
            SpreadInGivenWidth(m, avail);
        } else {
            SpreadByPercents(m, avail);
        }
    }
    int64_t grid = CellSpacing;
    for (int c = 0; c < ColumnCount; ++c) {
        ColumnWidths[size_t(c)] = std::max(0, ColumnWidths[size_t(c)]);
        grid += ColumnWidths[size_t(c)];
    }
    GridWidth = Coord(grid);
    OuterWidth = std::max(GridWidth, CaptionMinWidth);
    ArrangeRows(canvas, y, availHeight, counter);
    FlowHeight = Coord(int64_t(CaptionHeight) + BodyHeight);
    SetExtent(y, FlowHeight);
    PosCount = counter - FirstPos;
    maxWidth = OuterWidth;
    return FlowHeight;
}

int ThtmlTable::ArrangeCaption(Canvas& canvas, int y, int availHeight, int& counter) {
    captionY_ = y;
    TCellObj& caption = *CaptionCell;
    caption.CellWidth = OuterWidth;
    caption.ContentHeight = ArrangeCellContent(canvas, *caption.Cell, y, OuterWidth, availHeight, counter);
    return caption.Cell->IsEmpty() ? 0 : caption.ContentHeight;
}

std::vector<int> ThtmlTable::RowHeights(Canvas& canvas, int availHeight, int& counter) {
    const int rows = RowCount();
    std::vector<int> heights(size_t(rows), CellSpacing); // a row without cells of its own
    // The cells by row span, rows top to bottom within a span: rows spanned by several cells
    // grow only as much as the cells of the smaller spans leave them short.
    struct Item {
        int span;
        int row;
        TCellObj* cell;
    };
    std::vector<Item> items;
    for (int r = 0; r < rows; ++r) {
        TCellList& row = *RowList[size_t(r)];
        for (int c = 0; c < row.Count(); ++c) {
            TCellObj* cell = row.At(c);
            if (!cell || cell->IsFiller()) {
                continue;
            }
            int64_t width = 0;
            for (int k = c; k < c + cell->ColSpan && k <= kMaxColumns; ++k) {
                width += ColumnWidths[size_t(k)];
            }
            cell->CellWidth = Coord(width);
            items.push_back({std::max(cell->RowSpan, 1), r, cell});
        }
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.span < b.span; });
    // Without row spans the cells come in reading order and each is arranged where it will most
    // likely stay: at the top of its row, as the rows above have come out so far.
    int scratchCounter = 0;
    const bool inOrder = items.empty() || items.back().span == 1;
    int& positions = inOrder ? counter : scratchCounter;
    int64_t rowTop = gridTop_;
    int topRow = 0;
    for (size_t i = 0; i < items.size();) {
        const int n = items[i].span;
        const int r = items[i].row;
        for (; topRow < r; ++topRow) {
            rowTop += heights[size_t(topRow)];
        }
        int64_t need = 0;
        for (; i < items.size() && items[i].span == n && items[i].row == r; ++i) {
            TCellObj& cell = *items[i].cell;
            const int width = cell.CellWidth - cell.HorzExtra - CellSpacing;
            cell.ArrangedY =
                Coord(rowTop + CellSpacing + cell.Padding[TCellObj::Top] + cell.BorderWidth[TCellObj::Top]);
            cell.ArrangedWidth = width;
            cell.ContentHeight =
                ArrangeCellContent(canvas, *cell.Cell, cell.ArrangedY, width, availHeight, positions);
            need = std::max<int64_t>(
                need, std::max<int64_t>(int64_t(cell.ContentHeight) + cell.VertExtra, cell.SpecifiedHeight));
        }
        const int h = Coord(need + CellSpacing);
        if (n == 1) {
            heights[size_t(r)] = h;
            continue;
        }
        int64_t sum = 0;
        for (int k = r; k < r + n; ++k) {
            sum += heights[size_t(k)];
        }
        if (sum < h) {
            const int64_t add = (h - sum) / n;
            for (int k = r; k < r + n; ++k) {
                heights[size_t(k)] = Coord(heights[size_t(k)] + add);
            }
            heights[size_t(r + n - 1)] = Coord(heights[size_t(r + n - 1)] + (h - sum) - add * n);
        }
    }
    return heights;
}

void ThtmlTable::StretchToGivenHeight(std::vector<int>& heights) const {
    int64_t sum = 0;
    for (const int h : heights) {
        sum += h;
    }
    const int64_t target = int64_t(GivenHeight) - CellSpacing;
    if (heights.empty() || sum >= target) {
        return;
    }
    const int64_t add = (target - sum) / int64_t(heights.size());
    int64_t others = 0;
    for (size_t r = 0; r + 1 < heights.size(); ++r) {
        heights[r] = Coord(heights[r] + add);
        others += heights[r];
    }
    heights.back() = Coord(target - others);
}

void ThtmlTable::PositionCell(Canvas& canvas, TCellObj& cell, int rowTop, int availHeight, int& counter) {
    if (!cell.HasContent()) {
        cell.Cell->FirstPos = counter; // keeps the cells' positions in reading order
        cell.Cell->PosCount = 0;
        return;
    }
    cell.VerticalOffset = 0;
    if (cell.VAlign != TCellObj::VTop) {
        const int d = cell.CellHeight - cell.ContentHeight - CellSpacing - cell.VertExtra;
        cell.VerticalOffset = cell.VAlign == TCellObj::VMiddle ? d / 2 : d;
    }
    const int top = Coord(int64_t(rowTop) + CellSpacing + cell.Padding[TCellObj::Top] +
                          cell.BorderWidth[TCellObj::Top] + cell.VerticalOffset);
    const int width = cell.CellWidth - CellSpacing - cell.HorzExtra;
    if (top == cell.ArrangedY && width == cell.ArrangedWidth && cell.Cell->FirstPos == counter) {
        counter += cell.Cell->PosCount; // already in place
    } else {
        ArrangeCellContent(canvas, *cell.Cell, top, width, availHeight, counter);
    }
    if (cell.BackgroundImage && Document && Document->ShowImages && !cell.BackgroundImage->Prepare(canvas)) {
        cell.BackgroundImage.reset();
    }
}

void ThtmlTable::ArrangeRows(Canvas& canvas, int top, int availHeight, int& counter) {
    int y = top;
    CaptionHeight = 0;
    if (CaptionOnTop) {
        CaptionHeight = ArrangeCaption(canvas, y, availHeight, counter);
        y = Coord(int64_t(y) + CaptionHeight);
    }
    gridTop_ = y;
    int measured = counter; // the cells take their positions again when they are placed
    std::vector<int> heights = RowHeights(canvas, availHeight, measured);
    StretchToGivenHeight(heights);
    std::vector<int64_t> below(heights.size() + 1, 0); // sums of heights from the top
    for (size_t r = 0; r < heights.size(); ++r) {
        below[r + 1] = below[r] + heights[r];
    }
    int spanBottomMax = INT_MIN;
    for (int r = 0; r < RowCount(); ++r) {
        TCellList& row = *RowList[size_t(r)];
        row.RowTop = y;
        row.RowHeight = heights[size_t(r)];
        row.SpanHeight = 0;
        for (const auto& cell : row.Cells) {
            if (!cell || cell->IsFiller()) {
                continue;
            }
            const size_t last = size_t(std::min(r + std::max(cell->RowSpan, 1), RowCount()));
            cell->CellHeight = Coord(below[last] - below[size_t(r)]);
            row.SpanHeight = std::max(row.SpanHeight, cell->CellHeight);
            PositionCell(canvas, *cell, y, availHeight, counter);
        }
        spanBottomMax = std::max(spanBottomMax, Coord(int64_t(y) + std::max(row.SpanHeight, row.RowHeight)));
        row.SpanBottomMax = spanBottomMax;
        y = Coord(int64_t(y) + row.RowHeight);
    }
    BodyHeight = Coord(int64_t(y) + CellSpacing - gridTop_);
    if (!CaptionOnTop) {
        CaptionHeight = ArrangeCaption(canvas, Coord(int64_t(gridTop_) + BodyHeight), availHeight, counter);
    }
    GridIndent = GridWidth < OuterWidth ? (OuterWidth - GridWidth) / 2 : 0;
}

// ---- TTableBlock ----

int TTableBlock::Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                         IndentManager& floats, int& maxWidth, int& counter) {
    FloatShift = 0;
    if (Table) {
        Table->PrepareGrid(); // a table that cannot be laid out goes with its block
    }
    if (Floating == NoFloat) {
        // A table does not flow around floats: it takes the band between them at its top.
        const int left = std::max(x, floats.LeftIndentAt(y));
        width = std::max(0, std::min(x + width, floats.RightSideAt(y)) - left);
        FloatShift = left - x;
        x = left;
    }
    return TBlock::Arrange(canvas, x, y, xRef, yRef, width, availHeight, floats, maxWidth, counter);
}

int TTableBlock::Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) {
    return TBlock::Paint(canvas, clip, floats, x + FloatShift, xRef, yRef);
}

void TTableBlock::MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) {
    const bool pixelWidth = !WidthIsPercent && WidthAttr > 0;
    if (Table) {
        Table->GivenWidth = pixelWidth ? WidthAttr : 0;
    }
    try {
        TBlock::MeasureWidths(canvas, minWidth, maxWidth);
    } catch (const EProcessError&) {
        // Reported when the table is laid out, where it is dropped from the page; whatever is
        // measuring the block must not go with it.
        minWidth = maxWidth = 0;
    }
    if (pixelWidth) {
        minWidth = maxWidth = std::max(minWidth, WidthAttr);
    }
}

int TTableBlock::ResolveWidth(Canvas& canvas, int width, int, int availHeight) {
    ZeroAutoSides();
    if (Floating != NoFloat) {
        for (int side : {piMarginLeft, piMarginRight}) {
            Box.SetMargin(side, Box[side] == 0 ? HSpace : Box[side]);
        }
        for (int side : {piMarginTop, piMarginBottom}) {
            Box.SetMargin(side, Box[side] == 0 ? VSpace : Box[side]);
        }
    }
    const int left = Box[piMarginLeft];
    const int right = Box[piMarginRight];
    if (HasAttrColour && Color(Box[piBackgroundColor]) == clNone) {
        Box.Set(piBackgroundColor, int32_t(AttrColour));
    }
    if (!Table) {
        return 0;
    }
    Table->HasTableColour = Color(Box[piBackgroundColor]) != clNone && !BackgroundImage();
    Table->TableColour = Table->HasTableColour ? Color(Box[piBackgroundColor]) : clNone;
    const int edges = Coord(int64_t(left) + right + HorizontalExtras(false));
    const int room = std::max(0, width - edges);
    Table->GivenWidth = 0;
    const int styleWidth = Box[piWidth] == AutoResult ? 0 : Box[piWidth];
    int result = 0;
    int min = 0;
    int max = 0;
    if (styleWidth > 0) {
        result = std::min(styleWidth, room);
        Table->GivenWidth = result;
    } else if (WidthAttr <= 0) {
        Table->MeasureWidths(canvas, min, max);
        result = room < max ? std::max(min, room) : max;
    } else {
        const int target = WidthIsPercent ? MulDiv(width, WidthAttr, 1000) : WidthAttr;
        Table->GivenWidth = WidthIsPercent ? 0 : WidthAttr;
        Table->MeasureWidths(canvas, min, max);
        result = std::max(min, target);
        Table->GivenWidth = result;
    }
    if (result < width && left == 0 && right == 0) {
        if (Justify == JustifyCentre) {
            Box.SetMargin(piMarginLeft, (width - result) / 2);
        } else if (Justify == JustifyRight) {
            Box.SetMargin(piMarginLeft, width - result);
        }
    }
    const bool styleHeight = Box[piHeight] != AutoResult && Box[piHeight] > 0;
    if (!styleHeight && HeightAttr > 0) {
        Box.Set(piHeight, HeightIsPercent ? std::max(0, MulDiv(availHeight, HeightAttr, 1000)) : HeightAttr);
    }
    Table->GivenHeight = Box[piHeight] != AutoResult && Box[piHeight] > 0 ? Box[piHeight] : 0;
    return result;
}

} // namespace tavlin
