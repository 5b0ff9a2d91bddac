// Queries through a table: the cell under a point, and search, selection, copying and position
// mapping over the caption and the cells in reading order.
#include "document/Table.h"

#include "document/SectionList.h"

#include <algorithm>

namespace tavlin {

const std::vector<TCell*>& ThtmlTable::ReadingOrder() const {
    if (!GridReady || order_.empty()) {
        order_.clear();
        if (CaptionOnTop) {
            order_.push_back(CaptionCell->Cell.get());
        }
        for (const auto& row : RowList) {
            for (const auto& cell : row->Cells) {
                if (cell && cell->Cell) {
                    order_.push_back(cell->Cell.get());
                }
            }
        }
        if (!CaptionOnTop) {
            order_.push_back(CaptionCell->Cell.get());
        }
    }
    return order_;
}

size_t ThtmlTable::FirstCellReaching(int position) const {
    const std::vector<TCell*>& order = ReadingOrder();
    return size_t(
        std::partition_point(order.begin(), order.end(),
                             [position](const TCell* c) { return c->FirstPos + c->PosCount < position; }) -
        order.begin());
}

TCell* ThtmlTable::CellAt(int x, int y) const {
    const int height = CaptionHeight + BodyHeight;
    if (y < ArrangeY || y >= ArrangeY + height) {
        return nullptr;
    }
    const int captionTop = CaptionOnTop ? ArrangeY : gridTop_ + BodyHeight;
    if (y >= captionTop && y < captionTop + CaptionHeight) {
        return x >= PaintedX && x < PaintedX + OuterWidth ? CaptionCell->Cell.get() : nullptr;
    }
    const int left = PaintedX + GridIndent;
    if (x < left || x >= left + GridWidth) {
        return nullptr;
    }
    for (int r = FirstRowReaching(y); r < RowCount(); ++r) {
        const TCellList& row = *RowList[size_t(r)];
        if (row.RowTop > y) {
            break;
        }
        int cellX = left;
        for (int c = 0; c < row.Count(); ++c) {
            const TCellObj* cell = row.At(c);
            if (cell && cell->Cell && x >= cellX && x < cellX + cell->CellWidth &&
                y < row.RowTop + cell->CellHeight) {
                return cell->Cell.get();
            }
            cellX += ColumnWidths[size_t(c)];
        }
    }
    return nullptr;
}

bool ThtmlTable::LinkAt(Canvas& canvas, int x, int y, TLinkAnswer& answer) {
    TCell* cell = CellAt(x, y);
    return cell && cell->LinkAt(canvas, x, y, answer);
}

bool ThtmlTable::ObjectAt(int x, int y, TFloatingObj*& object, int& objX, int& objY) {
    TCell* cell = CellAt(x, y);
    return cell && cell->ObjectAt(x, y, object, objX, objY);
}

int ThtmlTable::PositionAt(Canvas& canvas, int x, int y, TPositionHit& hit) {
    TCell* cell = CellAt(x, y);
    return cell ? cell->PositionAt(canvas, x, y, hit) : -1;
}

bool ThtmlTable::InSourceRange(int position) const {
    return position >= FirstPos && position < FirstPos + PosCount;
}

int ThtmlTable::SearchText(int from, std::string_view text, bool matchCase) {
    const std::vector<TCell*>& order = ReadingOrder();
    for (size_t i = FirstCellReaching(from); i < order.size(); ++i) {
        const int found = order[i]->SearchText(from, text, matchCase);
        if (found >= 0) {
            return found;
        }
    }
    return -1;
}

int ThtmlTable::DocToSourcePos(int position) const {
    if (!InSourceRange(position)) {
        return -1;
    }
    const std::vector<TCell*>& order = ReadingOrder();
    for (size_t i = FirstCellReaching(position); i < order.size() && order[i]->FirstPos <= position; ++i) {
        const int found = order[i]->DocToSourcePos(position);
        if (found >= 0) {
            return found;
        }
    }
    return -1;
}

int ThtmlTable::SourceToDocPos(int sourcePos, bool backwards) const {
    const std::vector<TCell*>& order = ReadingOrder();
    const size_t n = order.size();
    for (size_t k = 0; k < n; ++k) {
        const int found = order[backwards ? n - 1 - k : k]->SourceToDocPos(sourcePos, backwards);
        if (found >= 0) {
            return found;
        }
    }
    return -1;
}

bool ThtmlTable::PositionToXY(Canvas* canvas, int position, int& x, int& y) {
    if (!InSourceRange(position)) {
        return false;
    }
    const std::vector<TCell*>& order = ReadingOrder();
    for (size_t i = FirstCellReaching(position); i < order.size() && order[i]->FirstPos <= position; ++i) {
        if (order[i]->PositionToXY(canvas, position, x, y)) {
            return true;
        }
    }
    return false;
}

bool ThtmlTable::CharAt(int position, char& ch, TSectionBase*& section) {
    if (!InSourceRange(position)) {
        return false;
    }
    const std::vector<TCell*>& order = ReadingOrder();
    for (size_t i = FirstCellReaching(position); i < order.size() && order[i]->FirstPos <= position; ++i) {
        if (order[i]->CharAt(position, ch, section)) {
            return true;
        }
    }
    return false;
}

void ThtmlTable::CopySelection() {
    if (!Document) {
        return;
    }
    const int selStart = Document->SelStart;
    const int selEnd = Document->SelEnd;
    const std::vector<TCell*>& order = ReadingOrder();
    for (size_t i = FirstCellReaching(selStart); i < order.size(); ++i) {
        TCell* cell = order[i];
        if (cell->FirstPos >= selEnd) {
            break;
        }
        if (cell->FirstPos + cell->PosCount > selStart) {
            cell->CopySelection();
        }
    }
}

} // namespace tavlin
