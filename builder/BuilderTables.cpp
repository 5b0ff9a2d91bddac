// The builder's reading of tables: rows and cells implied where the page leaves them out, text
// outside any cell built ahead of the table, captions, and nesting beyond ten tables read flat
// into the enclosing cell.
#include "builder/Builder.h"
#include "document/SectionList.h"
#include "document/Table.h"
#include "reader/TextUtil.h"

#include <exception>

namespace tavlin {

namespace {

// Where the content of a cell or caption ends.
const SymSet kCellEnds = {endTABLE, tagTD, endTD, tagTR, endTR, tagTH, endTH, tagCAPTION, endCAPTION};
// Tables nested deeper than this are read as part of the innermost one.
constexpr int kMaxTableDepth = 10;

int VAlignOf(const TAttributeList& attributes, int fallback) {
    const TAttribute* a = attributes.FindAttribute(attrVALIGN);
    if (!a) {
        return fallback;
    }
    const std::string v = toLowerAscii(a->Text);
    if (v == "top" || v == "baseline") {
        return TCellObj::VTop;
    }
    if (v == "middle") {
        return TCellObj::VMiddle;
    }
    return v == "bottom" ? TCellObj::VBottom : fallback;
}

} // namespace

struct THtmlBuilder::TableState {
    ThtmlTable* Table = nullptr;
    TCellBasic* Outer = nullptr; // the content list that receives the table
    std::unique_ptr<TCellList> Row;
    int RowDepth = 0; // the stack's size below the row's entry
    int RowVAlign = TCellObj::VMiddle;
    std::unique_ptr<TCellObj> Cell;
};

void THtmlBuilder::Table() {
    if (TableDepth >= kMaxTableDepth || !CanNest()) {
        Next(); // its rows and cells fall into the content that holds it
        return;
    }
    Nest nest(depth_);
    Nest table(TableDepth);
    EndLink();
    CloseSection();
    TableState t;
    t.Outer = CurCell;
    const bool noBreak = rd_.NoBreakMode;
    const int listLevel = ListLevel;
    const std::string align = TopProps().GetTextAlign();
    const int placement = align == "center"  ? TTableBlock::JustifyCentre
                          : align == "right" ? TTableBlock::JustifyRight
                                             : TTableBlock::JustifyNone;
    PushBlock("table", rd_.Attributes);
    auto grid = std::make_unique<ThtmlTable>(&doc_, t.Outer, rd_.Attributes);
    t.Table = grid.get();
    auto block = std::make_unique<TTableBlock>(&doc_, TableDepth, rd_.Attributes, std::move(grid), t.Outer,
                                               TopProps());
    if (block->Justify != TTableBlock::JustifyCentre && block->Floating == TBlock::NoFloat) {
        block->Justify = placement;
    }
    // An error that ends the parse inside the table (an unclosed comment) keeps what was read of
    // it, and leaves the builder pointing at a content list that still exists.
    class KeepOnError {
    public:
        KeepOnError(THtmlBuilder& b, TableState& t, std::unique_ptr<TTableBlock>& block)
            : b_(b), t_(t), block_(block), exceptions_(std::uncaught_exceptions()) {}
        ~KeepOnError() {
            if (std::uncaught_exceptions() > exceptions_) {
                b_.FinishCell(t_);
                b_.FinishRow(t_);
                b_.CurCell = t_.Outer;
                b_.CurCell->AppendSection(std::move(block_));
            }
        }
        KeepOnError(const KeepOnError&) = delete;
        KeepOnError& operator=(const KeepOnError&) = delete;

    private:
        THtmlBuilder& b_;
        TableState& t_;
        std::unique_ptr<TTableBlock>& block_;
        int exceptions_;
    } keep(*this, t, block);
    Next();
    while (Sym() != endTABLE && Sym() != symEof) {
        switch (Sym()) {
        case tagTR:
            TableRow(t, &rd_.Attributes);
            Next();
            break;
        case tagTD:
        case tagTH:
            TableCell(t);
            break;
        case endTD:
        case endTH:
            FinishCell(t);
            Next();
            break;
        case endTR:
            EndLink();
            FinishCell(t);
            FinishRow(t);
            Next();
            break;
        case tagCAPTION:
            TableCaption(t);
            break;
        case symText:
            TextBeforeTable(t);
            break;
        default:
            Next();
            break;
        }
    }
    EndLink();
    FinishCell(t);
    FinishRow(t);
    PopElement("table");
    CurCell = t.Outer;
    rd_.NoBreakMode = noBreak;
    ListLevel = listLevel;
    CurCell->AppendSection(std::move(block));
    Next();
}

void THtmlBuilder::TableRow(TableState& t, const TAttributeList* attributes) {
    EndLink();
    FinishCell(t);
    FinishRow(t);
    t.RowDepth = stack_.Count();
    TAttributeList none;
    PushBlock("tr", attributes ? rd_.Attributes : none);
    if (attributes) {
        AssignAlign(*attributes, false);
    }
    t.Row = std::make_unique<TCellList>(attributes, TopProps());
    t.RowVAlign = attributes ? VAlignOf(*attributes, TCellObj::VMiddle) : TCellObj::VMiddle;
}

void THtmlBuilder::TableCell(TableState& t) {
    EndLink();
    if (t.Row) {
        FinishCell(t);
        PopTo(t.RowDepth + 1);
    } else {
        TableRow(t, nullptr);
    }
    const bool header = Sym() == tagTH;
    const std::string tag = header ? "th" : "td";
    TAttributeList& attributes = rd_.Attributes;
    PushBlock(tag, attributes);
    AssignAlign(attributes, false);
    if (TopProps().GetTextAlign() == "none") {
        TopProps().AssignProp(piTextAlign, std::string(header ? "center" : "left"));
    }
    t.Cell =
        std::make_unique<TCellObj>(&doc_, TopProps(), attributes, VAlignOf(attributes, t.RowVAlign), tag);
    CurCell = t.Cell->Cell.get();
    ListLevel = 0;
    // A NOWRAP cell reads its text as inside NOBR, unless its width is fixed in pixels.
    rd_.NoBreakMode = attributes.FindAttribute(attrNOWRAP) && !t.Cell->HasPixelWidth();
    rd_.SkipBlanks();
    Next();
    BodyLoop(kCellEnds);
}

void THtmlBuilder::TableCaption(TableState& t) {
    EndLink();
    rd_.NoBreakMode = false;
    FinishCell(t);
    if (const TAttribute* a = rd_.Attributes.FindAttribute(attrALIGN);
        a && toLowerAscii(a->Text) == "bottom") {
        t.Table->CaptionOnTop = false;
    }
    CurCell = t.Table->CaptionCell->Cell.get();
    PushBlock("caption", rd_.Attributes);
    Next();
    BodyLoop(kCellEnds);
    CloseSection();
    PopElement("caption");
    CurCell = t.Outer;
    if (Sym() == endCAPTION) {
        Next();
    }
}

void THtmlBuilder::FinishCell(TableState& t) {
    CloseSection();
    if (t.Cell && t.Row) {
        t.Row->Cells.push_back(std::move(t.Cell));
    }
    t.Cell.reset();
    CurCell = t.Outer;
}

void THtmlBuilder::FinishRow(TableState& t) {
    if (!t.Row) {
        return;
    }
    t.Table->RowList.push_back(std::move(t.Row));
    PopTo(t.RowDepth);
}

void THtmlBuilder::TextBeforeTable(TableState& t) {
    CurCell = t.Outer;
    BodyLoop(kCellEnds);
    CloseSection();
}

} // namespace tavlin
