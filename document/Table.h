#pragma once
// Tables: the grid of rows and cells with its caption (ThtmlTable), one row (TCellList), one
// cell (TCellObj), and the block that places a table among the other blocks (TTableBlock).
#include "document/Block.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace tavlin {

class TAttributeList;

// a×b÷c in 64 bits, rounded to the nearest, halves away from zero; a zero divisor gives -1.
// The result is kept within int.
int MulDiv(int64_t a, int64_t b, int64_t c);

// One cell of the grid: its spans, sizes, padding, borders, background and content. A Filler
// (no content list) only occupies a slot covered by a spanning cell.
class TCellObj {
public:
    enum VAlignment { VTop = 0, VMiddle = 1, VBottom = 2 };
    enum Side { Top = 0, Right = 1, Bottom = 2, Left = 3 };

    TCellObj(TSectionList* document, const TProperties& props, const TAttributeList& attributes, int vAlign,
             std::string ownerTag = "td");
    // A Filler.
    TCellObj(int colSpan, int rowSpan);
    TCellObj(TSectionList* document, const TCellObj& source); // copy for another document

    int ColSpan = 1;
    int RowSpan = 1;
    int CellWidth = 0;
    int CellHeight = 0;
    int ContentHeight = 0;
    int SpecifiedHeight = 0;
    int VerticalOffset = 0;
    int VAlign = VMiddle;
    int SpecifiedWidth = 0;
    bool WidthIsPercent = false;
    std::array<int, 4> Padding = {-1, -1, -1, -1};
    std::array<int, 4> BorderWidth = {0, 0, 0, 0};
    int HorzExtra = 0;
    int VertExtra = 0;
    bool HasBorderStyle = false;
    Color BorderColor = 0;
    bool HasBgColor = false;
    Color BgColor = clNone;
    std::unique_ptr<TCell> Cell; // null for a Filler
    std::unique_ptr<TBlockPicture> BackgroundImage;
    TBackgroundPosition BackgroundPosition;
    // Widths of the content, measured once per measuring of the table.
    int MinContent = 0;
    int MaxContent = 0;
    // Where and how wide the content was last arranged, so that placing it again at the same
    // spot can be skipped (nested tables would otherwise be laid out twice per level).
    int ArrangedY = 0;
    int ArrangedWidth = -1;

    bool IsFiller() const { return !Cell; }
    bool HasContent() const { return Cell && !Cell->IsEmpty(); }
    bool HasPixelWidth() const { return SpecifiedWidth > 0 && !WidthIsPercent; }
    void ComputeExtras(int cellPadding);
};

// One row: its cells (an entry may be empty) and what the row gives its cells.
class TCellList {
public:
    TCellList(const TAttributeList* attributes, const TProperties& props);
    TCellList(TSectionList* document, const TCellList& source);

    std::vector<std::unique_ptr<TCellObj>> Cells;
    int RowHeight = 0;
    int SpanHeight = 0;
    bool HasRowColour = false;
    Color RowColour = clNone;
    std::string RowImageName;
    TBackgroundPosition RowImagePosition;
    // Layout results: the row's top (document y) and the lowest bottom of this row's cells and
    // of every row above, so the rows in a band are found by binary search.
    int RowTop = 0;
    int SpanBottomMax = 0;

    int Count() const { return int(Cells.size()); }
    TCellObj* At(int c) const { return c >= 0 && c < Count() ? Cells[size_t(c)].get() : nullptr; }
};

// The grid: rows, caption, column widths, row heights, frames.
class ThtmlTable : public TSectionBase {
public:
    static constexpr int kMaxColumns = 200;
    // A table whose spans would expand past this many grid slots is refused like one with too
    // many columns: rows spanned by hostile ROWSPAN values would otherwise cost unbounded memory.
    static constexpr int64_t kMaxSlots = 4000000;

    ThtmlTable(TSectionList* document, TCellBasic* ownerCell, const TAttributeList& attributes);
    ThtmlTable(TSectionList* document, const ThtmlTable& source);
    ~ThtmlTable() override;

    std::vector<std::unique_ptr<TCellList>> RowList;
    std::unique_ptr<TCellObj> CaptionCell;
    bool GridReady = false;
    bool HasBorder = false;
    bool CaptionOnTop = true;
    int GridIndent = 0;
    bool Floating = false;
    int ColumnCount = 0;
    int GridWidth = 0;
    int OuterWidth = 0;
    int GivenWidth = 0;
    int GivenHeight = 0;
    bool HasPixelWidthCell = false;
    int CaptionHeight = 0;
    int BodyHeight = 0;
    int CellPadding = 1;
    int CellSpacing = 2;
    int CaptionMinWidth = 0;
    std::array<int, kMaxColumns + 1> ColumnWidths{};
    std::array<int, kMaxColumns + 1> ColumnPercents{};
    Color FrameLight;
    Color FrameDark;
    bool HasSpacingColour = false;
    Color SpacingColour = clNone;
    bool HasTableColour = false;
    Color TableColour = clNone;
    TCellBasic* OwnerCell = nullptr;
    // Where the table was last painted (view x of its left edge); hit tests use it.
    int PaintedX = 0;

    std::unique_ptr<TSectionBase> CloneFor(TSectionList& document) const override;
    void CopySelection() override;
    int Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                IndentManager& floats, int& maxWidth, int& counter) override;
    int Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) override;
    bool LinkAt(Canvas& canvas, int x, int y, TLinkAnswer& answer) override;
    bool ObjectAt(int x, int y, TFloatingObj*& object, int& objX, int& objY) override;
    int PositionAt(Canvas& canvas, int x, int y, TPositionHit& hit) override;
    int SearchText(int from, std::string_view text, bool matchCase) override;
    int DocToSourcePos(int position) const override;
    int SourceToDocPos(int sourcePos, bool backwards) const override;
    bool PositionToXY(Canvas* canvas, int position, int& x, int& y) override;
    bool CharAt(int position, char& ch, TSectionBase*& section) override;
    void MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) override;

    // Expands the spans into Fillers (once); raises EProcessError for too many columns.
    void PrepareGrid();
    // The content lists in reading order: caption on top, cells row by row, caption at the bottom.
    const std::vector<TCell*>& ReadingOrder() const;
    int RowCount() const { return int(RowList.size()); }

private:
    struct MinMax {
        std::array<int, kMaxColumns + 1> MinW{};
        std::array<int, kMaxColumns + 1> MaxW{};
        int TotalMin = 0;
        int TotalMax = 0;
        void Total(int columns);
    };
    // Widths.
    void MeasureCells(Canvas& canvas);
    void CellMinMax(const TCellObj& cell, int& min, int& max) const;
    template <typename Visit> void ForSpanPasses(Visit visit) const;
    void ColumnMinMax(MinMax& m) const;
    void ColumnMinMaxWithPercents(MinMax& m, int avail);
    // Between the columns' minimum and maximum widths, in proportion to their range.
    void SpreadBetween(const MinMax& m, int avail);
    void SpreadInGivenWidth(const MinMax& m, int avail);
    void SpreadByPercents(MinMax& m, int avail);
    bool SpreadPercentsAtDesired(const MinMax& m, int avail);
    void ShrinkPercentsToFit(MinMax& m, int avail);
    // Heights and positions.
    void ArrangeRows(Canvas& canvas, int top, int availHeight, int& counter);
    std::vector<int> RowHeights(Canvas& canvas, int availHeight, int& counter);
    void StretchToGivenHeight(std::vector<int>& heights) const;
    void PositionCell(Canvas& canvas, TCellObj& cell, int rowTop, int availHeight, int& counter);
    int ArrangeCaption(Canvas& canvas, int y, int availHeight, int& counter);
    // Painting.
    struct PaintState;
    void PaintCell(Canvas& canvas, const Rect& clip, TCellObj& cell, int x, int y, PaintState& state);
    void PaintCellBackground(Canvas& canvas, const Rect& clip, TCellObj& cell, const Rect& inner);
    void PaintFrame(Canvas& canvas, Rect box, bool raised, bool defaultColours) const;
    int FirstRowReaching(int y) const;
    // Hit tests: the content list under a document point.
    TCell* CellAt(int x, int y) const;
    bool InSourceRange(int position) const;
    // Index in ReadingOrder of the first cell whose positions reach `position`.
    size_t FirstCellReaching(int position) const;

    int captionY_ = 0;
    int gridTop_ = 0;
    bool framesDefault_ = true;
    bool cellsMeasured_ = false; // the cells' widths are fresh from MeasureWidths
    mutable std::vector<TCell*> order_; // ReadingOrder, kept once the grid is ready
};

// The block that holds one table: it reads the table's placement attributes, resolves its width
// and height, and floats or centres it.
class TTableBlock : public TBlock {
public:
    enum Justification { JustifyNone = 0, JustifyCentre = 1, JustifyRight = 2 };

    TTableBlock(TSectionList* document, int level, const TAttributeList& attributes,
                std::unique_ptr<ThtmlTable> table, TCellBasic* ownerCell, const TProperties& props);
    TTableBlock(TSectionList* document, const TTableBlock& source);

    ThtmlTable* Table = nullptr;
    int WidthAttr = 0;
    bool WidthIsPercent = false;
    int HeightAttr = 0;
    bool HeightIsPercent = false;
    bool HasAttrColour = false;
    Color AttrColour = clNone;
    int HSpace = 3;
    int VSpace = 0;
    int Justify = JustifyNone;
    // How far the block was moved right to clear the floats at its top.
    int FloatShift = 0;

    std::unique_ptr<TSectionBase> CloneFor(TSectionList& document) const override;
    int Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                IndentManager& floats, int& maxWidth, int& counter) override;
    int Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) override;
    void MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) override;
    int ResolveWidth(Canvas& canvas, int width, int autoCount, int availHeight) override;
    void EnlistPositions() override;
    bool IsTableBlock() const override { return true; }

private:
    void ReadAttributes(const TAttributeList& attributes, int level);
};

} // namespace tavlin
