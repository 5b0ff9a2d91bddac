// Tables: creation of rows, cells, the grid and its block from attributes and style, span
// expansion, and the copies made for printing.
#include "document/Table.h"

#include "document/SectionList.h"
#include "reader/Attributes.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <climits>
#include <cmath>

namespace tavlin {

namespace {

// Lengths from attributes and styles are cut here, so that sums over 200 columns or many rows
// cannot overflow however large the numbers in the page are.
constexpr int kMaxLength = 1000000;
constexpr Color kButtonHighlight = 0xFFFFFF;
constexpr Color kButtonShadow = 0x808080;

bool HasPercent(const TAttribute& a) {
    return a.Text.find('%') != std::string::npos;
}

int ClampLength(int64_t v) {
    return int(std::clamp<int64_t>(v, 0, kMaxLength));
}

bool ParseColour(const TAttributeList& attributes, HtmlSymbol symbol, Color& colour) {
    const TAttribute* a = attributes.FindAttribute(symbol);
    Color parsed = 0;
    if (!a || !ColorFromString(a->Text, false, parsed)) {
        return false;
    }
    colour = parsed | PaletteRelative;
    return true;
}

bool IsPlainInt(const PropValue& v, int32_t& n) {
    const int32_t* p = std::get_if<int32_t>(&v);
    if (!p || *p == NotSet || *p == AutoValue || *p == AutoResult) {
        return false;
    }
    n = *p;
    return true;
}

// The style's width of a cell: pixels when positive, a percentage below 100 as per-mille.
void StyleWidth(const TProperties& props, int& width, bool& isPercent) {
    const PropValue& v = props.Props[piWidth];
    int32_t n = 0;
    if (IsPlainInt(v, n)) {
        if (n > 0) {
            width = ClampLength(n);
            isPercent = false;
        }
        return;
    }
    const std::string* s = std::get_if<std::string>(&v);
    if (!s || s->empty()) {
        return;
    }
    if (s->back() == '%') {
        const int pct = LengthToPixels(*s, 100, props.EmSize, props.ExSize, 0);
        if (pct > 0 && pct < 100) {
            width = pct * 10;
            isPercent = true;
        }
        return;
    }
    const int px = LengthToPixels(*s, 0, props.EmSize, props.ExSize, 0);
    if (px > 0) {
        width = ClampLength(px);
        isPercent = false;
    }
}

int StyleHeight(const TProperties& props) {
    const PropValue& v = props.Props[piHeight];
    int32_t n = 0;
    if (IsPlainInt(v, n)) {
        return ClampLength(n);
    }
    const std::string* s = std::get_if<std::string>(&v);
    if (s && !s->empty() && s->back() != '%') {
        return ClampLength(LengthToPixels(*s, 0, props.EmSize, props.ExSize, 0));
    }
    return 0;
}

std::unique_ptr<TBlockPicture> MakePicture(TSectionList* document, const std::string& name) {
    if (name.empty() || !document || !BlockPictureMaker()) {
        return nullptr;
    }
    return BlockPictureMaker()(*document, name);
}

} // namespace

int MulDiv(int64_t a, int64_t b, int64_t c) {
    if (c == 0) {
        return -1;
    }
    // The operands here are widths and per-mille shares, far below the range where a product
    // could overflow 64 bits; the quotient is kept within int.
    const int64_t product = a * b;
    const int64_t absC = c < 0 ? -c : c;
    const int64_t absP = product < 0 ? -product : product;
    int64_t q = (absP + absC / 2) / absC;
    if ((product < 0) != (c < 0)) {
        q = -q;
    }
    return int(std::clamp<int64_t>(q, INT_MIN, INT_MAX));
}

// ---- TCellObj ----

TCellObj::TCellObj(TSectionList* document, const TProperties& props, const TAttributeList& attributes,
                   int vAlign, std::string ownerTag)
    : VAlign(vAlign), Cell(std::make_unique<TCell>(ownerTag)) {
    for (const TAttribute& a : attributes) {
        switch (a.Symbol) {
        case attrCOLSPAN:
            ColSpan = a.NumValue > 1 ? a.NumValue : 1;
            break;
        case attrROWSPAN:
            RowSpan = a.NumValue > 1 ? a.NumValue : 1;
            break;
        case attrWIDTH:
            if (HasPercent(a)) {
                if (a.NumValue >= 1 && a.NumValue <= 100) {
                    SpecifiedWidth = a.NumValue * 10;
                    WidthIsPercent = true;
                }
            } else if (a.NumValue > 0) {
                SpecifiedWidth = ClampLength(a.NumValue);
            }
            break;
        case attrHEIGHT:
            if (!HasPercent(a) && a.NumValue > 0) {
                SpecifiedHeight = ClampLength(a.NumValue);
            }
            break;
        case attrBGCOLOR:
            HasBgColor = ParseColour(attributes, attrBGCOLOR, BgColor);
            break;
        case attrBACKGROUND:
            BackgroundImage = MakePicture(document, a.Text);
            break;
        default:
            break;
        }
    }
    // More columns than a table may have are refused anyway; the cap keeps span expansion cheap.
    ColSpan = std::min(ColSpan, ThtmlTable::kMaxColumns + 1);
    StyleWidth(props, SpecifiedWidth, WidthIsPercent);
    if (const int h = StyleHeight(props); h > 0) {
        SpecifiedHeight = h;
    }
    if (const Color bg = props.GetBackgroundColor(); bg != clNone) {
        HasBgColor = true;
        BgColor = bg | PaletteRelative;
    }
    std::string picture;
    if (props.GetBackgroundImage(picture) && !picture.empty()) {
        BackgroundImage = MakePicture(document, picture);
    }
    if (BackgroundImage) {
        BackgroundPosition = props.GetBackgroundPosition();
    }
    const TMarginArray box = props.GetBoxMetrics(0, 0);
    const int paddings[4] = {piPaddingTop, piPaddingRight, piPaddingBottom, piPaddingLeft};
    const int borders[4] = {piBorderTopWidth, piBorderRightWidth, piBorderBottomWidth, piBorderLeftWidth};
    HasBorderStyle = props.HasBorderStyle();
    for (int side = 0; side < 4; ++side) {
        // A padding the style leaves unset takes the table's CELLPADDING later.
        const PropValue& given = props.Props[size_t(paddings[side])];
        const int32_t* n = std::get_if<int32_t>(&given);
        const bool unset = isEmptyValue(given) || (n && *n < 0);
        const int p = box[paddings[side]];
        Padding[size_t(side)] = unset || p == AutoResult || p < 0 ? -1 : std::min(p, kMaxLength);
        const int b = box[borders[side]];
        BorderWidth[size_t(side)] = HasBorderStyle && b > 0 && b != AutoResult ? std::min(b, kMaxLength) : 0;
    }
    if (HasBorderStyle) {
        const Color c = Color(box[piBorderColor]);
        BorderColor = c != clNone && c != Color(NotSet) ? c : 0;
    }
}

TCellObj::TCellObj(int colSpan, int rowSpan) : ColSpan(colSpan), RowSpan(rowSpan) {}

TCellObj::TCellObj(TSectionList* document, const TCellObj& source)
    : ColSpan(source.ColSpan), RowSpan(source.RowSpan), CellWidth(source.CellWidth),
      CellHeight(source.CellHeight), ContentHeight(source.ContentHeight),
      SpecifiedHeight(source.SpecifiedHeight), VerticalOffset(source.VerticalOffset), VAlign(source.VAlign),
      SpecifiedWidth(source.SpecifiedWidth), WidthIsPercent(source.WidthIsPercent), Padding(source.Padding),
      BorderWidth(source.BorderWidth), HorzExtra(source.HorzExtra), VertExtra(source.VertExtra),
      HasBorderStyle(source.HasBorderStyle), BorderColor(source.BorderColor),
      BackgroundPosition(source.BackgroundPosition) {
    if (source.Cell) {
        Cell = std::make_unique<TCell>(document, *source.Cell);
    }
    // The print copy keeps the backgrounds; whether they are printed is decided when painting.
    HasBgColor = source.HasBgColor;
    BgColor = source.BgColor;
    if (source.BackgroundImage && document) {
        BackgroundImage = source.BackgroundImage->CloneFor(*document);
    }
}

void TCellObj::ComputeExtras(int cellPadding) {
    for (int& p : Padding) {
        if (p < 0) {
            p = cellPadding;
        }
    }
    HorzExtra = Padding[Left] + Padding[Right] + BorderWidth[Left] + BorderWidth[Right];
    VertExtra = Padding[Top] + Padding[Bottom] + BorderWidth[Top] + BorderWidth[Bottom];
}

// ---- TCellList ----

TCellList::TCellList(const TAttributeList* attributes, const TProperties& props) {
    if (attributes) {
        HasRowColour = ParseColour(*attributes, attrBGCOLOR, RowColour);
        if (const TAttribute* a = attributes->FindAttribute(attrBACKGROUND)) {
            RowImageName = a->Text;
        }
    }
    if (const Color bg = props.GetBackgroundColor(); bg != clNone) {
        HasRowColour = true;
        RowColour = bg | PaletteRelative;
    }
    std::string picture;
    if (props.GetBackgroundImage(picture) && !picture.empty()) {
        RowImageName = picture;
    }
    if (!RowImageName.empty()) {
        RowImagePosition = props.GetBackgroundPosition();
    }
}

TCellList::TCellList(TSectionList* document, const TCellList& source)
    : RowHeight(source.RowHeight), SpanHeight(source.SpanHeight), HasRowColour(source.HasRowColour),
      RowColour(source.RowColour), RowImageName(source.RowImageName),
      RowImagePosition(source.RowImagePosition), RowTop(source.RowTop), SpanBottomMax(source.SpanBottomMax) {
    Cells.reserve(source.Cells.size());
    for (const auto& cell : source.Cells) {
        Cells.push_back(cell ? std::make_unique<TCellObj>(document, *cell) : nullptr);
    }
}

// ---- ThtmlTable ----

ThtmlTable::ThtmlTable(TSectionList* document, TCellBasic* ownerCell, const TAttributeList& attributes)
    : TSectionBase(document), FrameLight(kButtonHighlight), FrameDark(kButtonShadow), OwnerCell(ownerCell) {
    TProperties plain;
    TAttributeList none;
    CaptionCell = std::make_unique<TCellObj>(document, plain, none, TCellObj::VTop, "caption");
    for (const TAttribute& a : attributes) {
        switch (a.Symbol) {
        case attrBORDER:
            HasBorder = a.NumValue > 0;
            break;
        case attrCELLPADDING:
            if (a.NumValue >= 0) {
                CellPadding = std::min(a.NumValue, 50);
            }
            break;
        case attrCELLSPACING:
            if (a.NumValue >= 0) {
                CellSpacing = std::min(a.NumValue, 40);
            }
            break;
        case attrBORDERCOLOR:
            HasSpacingColour = ParseColour(attributes, attrBORDERCOLOR, SpacingColour);
            break;
        case attrBORDERCOLORLIGHT:
            framesDefault_ = !ParseColour(attributes, attrBORDERCOLORLIGHT, FrameLight) && framesDefault_;
            break;
        case attrBORDERCOLORDARK:
            framesDefault_ = !ParseColour(attributes, attrBORDERCOLORDARK, FrameDark) && framesDefault_;
            break;
        default:
            break;
        }
    }
    if (HasSpacingColour) {
        if (FrameLight == kButtonHighlight) {
            FrameLight = SpacingColour;
        }
        if (FrameDark == kButtonShadow) {
            FrameDark = SpacingColour;
        }
        framesDefault_ = false;
    }
    if (HasBorder) {
        CellSpacing = std::max(1, CellSpacing + 2);
    }
}

ThtmlTable::ThtmlTable(TSectionList* document, const ThtmlTable& source)
    : TSectionBase(document, source), GridReady(source.GridReady), HasBorder(source.HasBorder),
      CaptionOnTop(source.CaptionOnTop), GridIndent(source.GridIndent), Floating(source.Floating),
      ColumnCount(source.ColumnCount), GridWidth(source.GridWidth), OuterWidth(source.OuterWidth),
      GivenWidth(source.GivenWidth), GivenHeight(source.GivenHeight),
      HasPixelWidthCell(source.HasPixelWidthCell), CaptionHeight(source.CaptionHeight),
      BodyHeight(source.BodyHeight), CellPadding(source.CellPadding), CellSpacing(source.CellSpacing),
      CaptionMinWidth(source.CaptionMinWidth), ColumnWidths(source.ColumnWidths),
      ColumnPercents(source.ColumnPercents), FrameLight(source.FrameLight), FrameDark(source.FrameDark),
      framesDefault_(source.framesDefault_) {
    HasSpacingColour = source.HasSpacingColour;
    SpacingColour = source.SpacingColour;
    HasTableColour = source.HasTableColour;
    TableColour = source.TableColour;
    CaptionCell = std::make_unique<TCellObj>(document, *source.CaptionCell);
    RowList.reserve(source.RowList.size());
    for (const auto& row : source.RowList) {
        RowList.push_back(std::make_unique<TCellList>(document, *row));
    }
}

ThtmlTable::~ThtmlTable() = default;

std::unique_ptr<TSectionBase> ThtmlTable::CloneFor(TSectionList& document) const {
    return std::make_unique<ThtmlTable>(&document, *this);
}

void ThtmlTable::PrepareGrid() {
    if (GridReady) {
        return;
    }
    ColumnCount = 0;
    HasPixelWidthCell = false;
    int64_t slots = 0;
    const auto tooMany = [] { throw EProcessError("Table has too many Columns"); };
    for (int r = 0; r < RowCount(); ++r) {
        TCellList& row = *RowList[size_t(r)];
        for (int c = row.Count(); c-- > 0;) {
            TCellObj* cell = row.At(c);
            if (!cell) {
                continue;
            }
            if (row.HasRowColour && !cell->HasBgColor) {
                cell->HasBgColor = true;
                cell->BgColor = row.RowColour;
            }
            cell->ComputeExtras(CellPadding);
            if (!cell->BackgroundImage && !row.RowImageName.empty()) {
                cell->BackgroundImage = MakePicture(Document, row.RowImageName);
                cell->BackgroundPosition = row.RowImagePosition;
            }
            HasPixelWidthCell = HasPixelWidthCell || cell->HasPixelWidth();
            // Spans reaching past the last row are clipped here for every cell, not only those
            // the column pass below visits.
            cell->RowSpan = std::min(cell->RowSpan, RowCount() - r);
            if (row.Count() + cell->ColSpan - 1 > kMaxColumns) {
                tooMany();
            }
            const int rowSpan = cell->RowSpan >= 2 ? cell->RowSpan : 0;
            for (int k = 1; k < cell->ColSpan; ++k) {
                row.Cells.insert(row.Cells.begin() + c + 1,
                                 rowSpan ? std::make_unique<TCellObj>(0, rowSpan) : nullptr);
            }
        }
        ColumnCount = std::max(ColumnCount, row.Count());
        slots += row.Count();
    }
    const int rows = RowCount();
    for (int c = 0; c < ColumnCount; ++c) {
        for (int r = 0; r < rows; ++r) {
            TCellObj* cell = RowList[size_t(r)]->At(c);
            if (!cell) {
                continue;
            }
            cell->RowSpan = std::min(cell->RowSpan, rows - r);
            for (int k = 1; k < cell->RowSpan; ++k) {
                TCellList& below = *RowList[size_t(r + k)];
                const int added = std::max(0, c - below.Count()) + 1;
                slots += added;
                if (below.Count() + added > kMaxColumns || slots > kMaxSlots) {
                    tooMany();
                }
                while (below.Count() < c) {
                    below.Cells.push_back(std::make_unique<TCellObj>(0, 0));
                }
                below.Cells.insert(below.Cells.begin() + c, std::make_unique<TCellObj>(0, 0));
            }
        }
    }
    ColumnCount = 0;
    for (const auto& row : RowList) {
        ColumnCount = std::max(ColumnCount, row->Count());
    }
    if (ColumnCount > kMaxColumns) {
        tooMany();
    }
    CaptionCell->ComputeExtras(0);
    GridReady = true;
}

// ---- TTableBlock ----

TTableBlock::TTableBlock(TSectionList* document, int level, const TAttributeList& attributes,
                         std::unique_ptr<ThtmlTable> table, TCellBasic* ownerCell, const TProperties& props)
    : TBlock(document, ownerCell, props, false), Table(table.get()) {
    ReadAttributes(attributes, level);
    Table->Floating = Floating != NoFloat;
    if (Floating != NoFloat && Layer() == 0) {
        SetLayer(1);
    }
    Content.AppendSection(std::move(table));
}

TTableBlock::TTableBlock(TSectionList* document, const TTableBlock& source)
    : TBlock(document, source), WidthAttr(source.WidthAttr), WidthIsPercent(source.WidthIsPercent),
      HeightAttr(source.HeightAttr), HeightIsPercent(source.HeightIsPercent),
      HasAttrColour(source.HasAttrColour), AttrColour(source.AttrColour), HSpace(source.HSpace),
      VSpace(source.VSpace), Justify(source.Justify) {
    Table = Content.Count() > 0 ? dynamic_cast<ThtmlTable*>(&Content[0]) : nullptr;
}

std::unique_ptr<TSectionBase> TTableBlock::CloneFor(TSectionList& document) const {
    return std::make_unique<TTableBlock>(&document, *this);
}

void TTableBlock::ReadAttributes(const TAttributeList& attributes, int level) {
    for (const TAttribute& a : attributes) {
        switch (a.Symbol) {
        case attrALIGN: {
            const std::string v = toUpperAscii(a.Text);
            if (v == "CENTER") {
                Justify = JustifyCentre;
            } else if ((v == "LEFT" || v == "RIGHT") && Floating == NoFloat) {
                Floating = v == "LEFT" ? FloatLeft : FloatRight;
            }
            break;
        }
        case attrBGCOLOR:
            HasAttrColour = ParseColour(attributes, attrBGCOLOR, AttrColour);
            break;
        case attrBACKGROUND:
            if (!BackgroundImage()) {
                TBlockExtras& extras = MakeExtras();
                extras.BackgroundImage = MakePicture(Document, a.Text);
                extras.BackgroundPosition = TBackgroundPosition();
                extras.BackgroundPosition.x = {BgPlacement::Length, 0};
                extras.BackgroundPosition.y = {BgPlacement::Length, 0};
            }
            break;
        case attrWIDTH:
            WidthIsPercent = HasPercent(a);
            if (!WidthIsPercent) {
                WidthAttr = a.NumValue > 0 ? ClampLength(a.NumValue) : 0;
            } else if (a.NumValue >= 1 && a.NumValue <= 100) {
                WidthAttr = a.NumValue * 10;
            }
            break;
        case attrHEIGHT:
            if (!HasPercent(a)) {
                HeightAttr = a.NumValue > 0 ? ClampLength(a.NumValue) : 0;
                HeightIsPercent = false;
            } else if (level == 1 && a.NumValue >= 1 && a.NumValue <= 110) {
                HeightAttr = a.NumValue * 10;
                HeightIsPercent = true;
            }
            break;
        case attrHSPACE:
            HSpace = int(std::min<int64_t>(40, std::abs(int64_t(a.NumValue))));
            break;
        case attrVSPACE:
            VSpace = int(std::min<int64_t>(200, std::abs(int64_t(a.NumValue))));
            break;
        default:
            break;
        }
    }
}

void TTableBlock::EnlistPositions() {
    if (Table) {
        Table->EnlistPositions();
    }
}

} // namespace tavlin
