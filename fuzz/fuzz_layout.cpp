// Builds text sections and tables from a random sequence of building steps (text tokens, line
// breaks, font and link runs, objects, tables, sections that fail to lay out), lays it out at random
// widths, paints bands of it on a fixed-metric canvas (on screen and paginated), and asks every
// query at random points.
#include "document/Section.h"
#include "document/SectionList.h"
#include "document/Table.h"
#include "reader/TokenObj.h"
#include "tests/document/FixedCanvas.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>
#include <vector>

using namespace tavlin;

namespace {

class Box : public TFloatingObj {
public:
    void Draw(Canvas& canvas, int x, int y) override {
        canvas.fillRect({x, y, x + ObjWidth, y + ObjHeight}, 0);
    }
    std::unique_ptr<TFloatingObj> CloneFor(TSectionList&) const override {
        return std::make_unique<Box>(*this);
    }
    bool IsMap() const override { return isMap; }
    bool isMap = false;
};

class Failing : public TSectionBase {
public:
    using TSectionBase::TSectionBase;
    int Arrange(Canvas&, int, int y, int, int, int, int, IndentManager& floats, int&, int& counter) override {
        counter += 3;
        floats.AddLeft(y, y + 50, 40, this);
        throw EProcessError("Table has too many Columns");
    }
};

TMyFont FontFrom(FuzzedDataProvider& in) {
    TMyFont font;
    font.Desc =
        FontDesc{"Fixed", in.ConsumeIntegralInRange<int>(-5, 3000), in.ConsumeIntegralInRange<int>(0, 15),
                 in.ConsumeBool() ? DEFAULT_CHARSET : ANSI_CHARSET};
    font.Desc.height = std::clamp(font.Desc.height, TMyFont::kMinHeight, TMyFont::kMaxHeight);
    font.FontColor = in.ConsumeIntegral<uint32_t>();
    font.BgColor = in.ConsumeBool() ? clNone : in.ConsumeIntegral<uint32_t>();
    font.PointSize = in.ConsumeIntegralInRange<int>(-10, 2000);
    return font;
}

std::unique_ptr<Box> BoxFrom(FuzzedDataProvider& in) {
    auto box = std::make_unique<Box>();
    box->ObjWidth = in.ConsumeIntegralInRange<int>(0, 400);
    box->ObjHeight = in.ConsumeIntegralInRange<int>(0, 400);
    box->ObjAlign = in.ConsumeIntegralInRange<int>(0, 6);
    box->LeftSpace = in.ConsumeIntegralInRange<int>(0, 40);
    box->RightSpace = in.ConsumeIntegralInRange<int>(0, 40);
    box->TopSpace = in.ConsumeIntegralInRange<int>(0, 40);
    box->BottomSpace = in.ConsumeIntegralInRange<int>(0, 40);
    box->isMap = in.ConsumeBool();
    return box;
}

TAttributeList AttributesFrom(FuzzedDataProvider& in, const std::vector<HtmlSymbol>& symbols) {
    TAttributeList attributes;
    const int count = in.ConsumeIntegralInRange(0, 5);
    for (int i = 0; i < count; ++i) {
        TAttribute a;
        a.Symbol = symbols[in.ConsumeIntegralInRange<size_t>(0, symbols.size() - 1)];
        a.NumValue = in.ConsumeBool() ? in.ConsumeIntegralInRange(-10, 300) : in.ConsumeIntegral<int32_t>();
        a.Text = in.ConsumeBool() ? std::to_string(a.NumValue) + (in.ConsumeBool() ? "%" : "")
                                  : in.ConsumeRandomLengthString(12);
        attributes.Add(a);
    }
    return attributes;
}

std::unique_ptr<TSection> TextFrom(TSectionList& doc, FuzzedDataProvider& in, int& source) {
    auto section = std::make_unique<TSection>(&doc, FontFrom(in));
    TokenObj token;
    for (char c : in.ConsumeRandomLengthString(60)) {
        token.AddChar(c, source++);
    }
    section->AppendText(token, in.ConsumeBool());
    return section;
}

// A table of random rows and cells, spans, widths, spacing and colours, its cells holding text
// and now and then a table of their own.
std::unique_ptr<TTableBlock> TableFrom(TSectionList& doc, TCellBasic* owner, FuzzedDataProvider& in,
                                       int level, int& source) {
    static const std::vector<HtmlSymbol> kTable = {
        attrBORDER,  attrCELLPADDING, attrCELLSPACING, attrWIDTH,  attrHEIGHT,          attrALIGN,
        attrBGCOLOR, attrBORDERCOLOR, attrHSPACE,      attrVSPACE, attrBORDERCOLORLIGHT};
    static const std::vector<HtmlSymbol> kCell = {attrCOLSPAN, attrROWSPAN, attrWIDTH,
                                                  attrHEIGHT,  attrBGCOLOR, attrNOWRAP};
    const TProperties props;
    const TAttributeList attributes = AttributesFrom(in, kTable);
    auto grid = std::make_unique<ThtmlTable>(&doc, owner, attributes);
    ThtmlTable& table = *grid;
    table.CaptionOnTop = in.ConsumeBool();
    if (in.ConsumeBool()) {
        table.CaptionCell->Cell->AppendSection(TextFrom(doc, in, source));
    }
    auto block = std::make_unique<TTableBlock>(&doc, level, attributes, std::move(grid), owner, props);
    const int rows = in.ConsumeIntegralInRange(0, 40);
    for (int r = 0; r < rows; ++r) {
        auto row = std::make_unique<TCellList>(nullptr, props);
        const int cells = in.ConsumeIntegralInRange(0, 8);
        for (int c = 0; c < cells; ++c) {
            auto cell = std::make_unique<TCellObj>(&doc, props, AttributesFrom(in, kCell),
                                                   in.ConsumeIntegralInRange(0, 2));
            if (level < 4 && in.ConsumeIntegralInRange(0, 7) == 0) {
                cell->Cell->AppendSection(TableFrom(doc, cell->Cell.get(), in, level + 1, source));
            } else if (in.ConsumeIntegralInRange(0, 5) != 0) {
                cell->Cell->AppendSection(TextFrom(doc, in, source));
            }
            row->Cells.push_back(std::move(cell));
        }
        table.RowList.push_back(std::move(row));
    }
    return block;
}

struct Builder {
    TSectionList& doc;
    std::vector<std::unique_ptr<Box>>& controls;
    std::unique_ptr<TSection> open;
    TUrlTarget link;
    int source = 0;

    TSection& Section(FuzzedDataProvider& in) {
        if (!open) {
            const TMyFont font = FontFrom(in);
            if (in.ConsumeIntegralInRange(0, 7) == 0) {
                open = std::make_unique<TPreFormated>(&doc, font);
            } else {
                open = std::make_unique<TSection>(&doc, font, link.Url.empty() ? nullptr : &link);
            }
            open->Justify = in.ConsumeIntegralInRange(1, 3);
            open->ClearSide = in.ConsumeIntegralInRange(0, 3);
            open->LineHeight = in.ConsumeIntegralInRange(0, 200);
            open->AnchorTarget = in.ConsumeBool();
        }
        return *open;
    }
    void Close() {
        if (open) {
            doc.AppendSection(std::move(open));
        }
    }
    void Step(FuzzedDataProvider& in) {
        switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0: {
            TokenObj token;
            const std::string text = in.ConsumeRandomLengthString(300);
            for (char c : text) {
                token.AddChar(c, source);
                source += in.ConsumeIntegralInRange(0, 3);
            }
            Section(in).AppendText(token, in.ConsumeBool());
            break;
        }
        case 1:
            Section(in).AppendChar(ph::LineBreak, source++, in.ConsumeBool());
            break;
        case 2: {
            TSection& s = Section(in);
            s.ChangeFont(FontFrom(in), in.ConsumeIntegralInRange(0, 2));
            break;
        }
        case 3: {
            TSection& s = Section(in);
            if (in.ConsumeBool()) {
                link.Assign(in.ConsumeRandomLengthString(20), "");
            } else {
                link.Clear();
            }
            TFontInfoArray states;
            for (auto& info : states.Ar) {
                info.Name = "Fixed";
                info.Size = in.ConsumeIntegralInRange(0, 100);
                info.Style = in.ConsumeIntegralInRange(0, 15);
            }
            s.SetLink(FontFrom(in), link.Url.empty() ? nullptr : &link, in.ConsumeBool() ? &states : nullptr);
            break;
        }
        case 4:
            Section(in).AddObject(BoxFrom(in), source++, in.ConsumeBool());
            break;
        case 5:
            controls.push_back(BoxFrom(in));
            Section(in).AddControl(controls.back().get(), source++, in.ConsumeBool());
            break;
        case 6:
            Close();
            break;
        case 7:
            Close();
            doc.AppendSection(std::make_unique<Failing>(&doc));
            break;
        case 8:
            Close();
            doc.AppendSection(TableFrom(doc, &doc, in, 1, source));
            break;
        default: {
            // A run of text long enough to need several lines and windows of measuring.
            TokenObj token;
            const int count = in.ConsumeIntegralInRange(0, 2000);
            const char c = in.ConsumeIntegral<char>();
            for (int i = 0; i < count; ++i) {
                token.AddChar(i % 7 == 6 ? ' ' : c, source++);
            }
            Section(in).AppendText(token, false);
            break;
        }
        }
    }
};

void Query(TSectionList& doc, test::FixedCanvas& canvas, FuzzedDataProvider& in, int height) {
    const int x = in.ConsumeIntegralInRange(-100, 5000);
    const int y = in.ConsumeIntegralInRange(-100, height + 100);
    TPositionHit hit;
    const int pos = doc.PositionAt(canvas, x, y, hit);
    TLinkAnswer answer;
    doc.LinkAtPoint(canvas, x, y, answer);
    TFloatingObj* object = nullptr;
    int ox = 0;
    int oy = 0;
    doc.ObjectAt(x, y, object, ox, oy);
    const int any = in.ConsumeIntegralInRange(-5, doc.PosCount + 5);
    int px = 0;
    int py = 0;
    doc.PositionToXY(in.ConsumeBool() ? &canvas : nullptr, pos >= 0 ? pos : any, px, py);
    const int source = doc.DocToSourcePos(any);
    doc.SourceToDocPos(source >= 0 ? source : any, in.ConsumeBool());
    char ch = 0;
    TSectionBase* section = nullptr;
    doc.CharAt(any, ch, section);
    doc.SearchText(any, in.ConsumeRandomLengthString(10), in.ConsumeBool());
    doc.SelStart = any;
    doc.SelEnd = in.ConsumeIntegralInRange(-5, doc.PosCount + 5);
    doc.ShowCaret = in.ConsumeBool();
    doc.CopyToClipboard();
    int anchor = 0;
    int index = 0;
    doc.SectionAtY(y, anchor, index);
    doc.IDs->AddPositionMark("mark", source);
    doc.IDs->Find("mark")->YPosition();
}

// Pages through the print copy as the printer does, making sure every page moves on.
void Print(const TSectionList& doc, test::FixedCanvas& canvas, int width, int pageHeight) {
    std::unique_ptr<TSectionList> copy = doc.CloneFor();
    copy->Printing = true;
    int scroll = 0;
    int counter = 0;
    const int height = copy->Layout(canvas, 0, width, pageHeight, scroll, counter);
    int top = 0;
    for (int page = 0; page < 30 && top < height; ++page) {
        copy->SetYOffset(top);
        copy->PaintDocument(canvas, {0, 0, width, pageHeight}, 6000, 0, 0, 0, 0);
        canvas.texts.clear();
        canvas.rects.clear();
        top = copy->PageBottom > top ? copy->PageBottom : top + pageHeight;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    std::vector<std::unique_ptr<Box>> controls; // outlive the document, as the form lists do
    TSectionList doc;
    test::FixedCanvas canvas;
    {
        Builder builder{doc, controls, nullptr, {}, 0};
        const int steps = in.ConsumeIntegralInRange(0, 200);
        for (int i = 0; i < steps && in.remaining_bytes() > 0; ++i) {
            builder.Step(in);
        }
        builder.Close();
    }
    for (int round = 0; round < 3; ++round) {
        const int width = in.ConsumeIntegralInRange(-100, 3000);
        int scroll = 0;
        int counter = 0;
        const int height = doc.Layout(canvas, 0, width, 600, scroll, counter);
        int minWidth = 0;
        int maxWidth = 0;
        doc.MeasureWidths(canvas, minWidth, maxWidth);
        for (int band = 0; band < 3; ++band) {
            doc.SetYOffset(in.ConsumeIntegralInRange(-50, std::max(height, 0) + 50));
            doc.PaintDocument(canvas, {0, 0, std::max(width, 1), in.ConsumeIntegralInRange(1, 900)}, 6000, 0,
                              0, 0, 0);
            canvas.texts.clear();
            canvas.rects.clear();
        }
        for (int q = 0; q < 4; ++q) {
            Query(doc, canvas, in, height);
        }
        if (round == 0) {
            Print(doc, canvas, std::max(width, 1), in.ConsumeIntegralInRange(1, 1200));
            canvas.texts.clear();
            canvas.rects.clear();
        }
    }
    doc.ClearHover();
    return 0;
}
