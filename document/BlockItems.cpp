// The block variants: list items with their markers, horizontal rules and page breaks.
#include "document/Block.h"

#include "document/SectionList.h"
#include "reader/Attributes.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tavlin {

namespace {

// Colours of a rule drawn without a colour of its own (the classic system colours).
constexpr Color kButtonShadow = 0x808080;
constexpr Color kButtonHighlight = 0xFFFFFF;
constexpr Color kSilver = 0xC0C0C0;
constexpr Color kBlack = 0;

constexpr std::array<const char*, 20> kRoman = {"i",    "ii",  "iii",  "iv",    "v",   "vi",   "vii",
                                                "viii", "ix",  "x",    "xi",    "xii", "xiii", "xiv",
                                                "xv",   "xvi", "xvii", "xviii", "xix", "xx"};

ListStyleType OrderedStyle(char typeLetter) {
    switch (typeLetter) {
    case 'A':
        return ListStyleType::UpperAlpha;
    case 'I':
        return ListStyleType::UpperRoman;
    case 'a':
        return ListStyleType::LowerAlpha;
    case 'i':
        return ListStyleType::LowerRoman;
    default:
        return ListStyleType::Decimal;
    }
}

ListStyleType BulletForLevel(int level) {
    switch (level % 3) {
    case 1:
        return ListStyleType::Disc;
    case 2:
        return ListStyleType::Circle;
    default:
        return ListStyleType::Square;
    }
}

// Restores the document's first-baseline slot however a list item's layout ends.
class BaselineSlotScope {
public:
    BaselineSlotScope(TSectionList* document, int* slot) : document_(document) {
        if (document_) {
            saved_ = document_->FirstBaselineSlot;
            document_->FirstBaselineSlot = slot;
        }
    }
    ~BaselineSlotScope() {
        if (document_) {
            document_->FirstBaselineSlot = saved_;
        }
    }
    BaselineSlotScope(const BaselineSlotScope&) = delete;
    BaselineSlotScope& operator=(const BaselineSlotScope&) = delete;

private:
    TSectionList* document_;
    int* saved_ = nullptr;
};

// ---- list items ----

// The style of a list item: its box, and the marker its list and its properties give it.
SharedRef<const TBoxStyle> ItemStyle(TSectionList* document, const TProperties& props,
                                     std::string_view listTag, int level, bool plain, char typeLetter) {
    TVMarginArray variants;
    props.GetVMarginArray(variants);
    TListMarker marker;
    if (listTag == "OL") {
        marker.ListType = lkOrdered;
        marker.Style = OrderedStyle(typeLetter);
    } else if (listTag == "UL" || listTag == "DIR" || listTag == "MENU") {
        marker.ListType = lkUnordered;
        marker.Style = plain ? ListStyleType::None : BulletForLevel(level);
    } else if (listTag == "DL") {
        marker.ListType = lkDefinition;
    } else {
        // An item outside any list keeps room on its left for its disc.
        marker.ListType = lkOutside;
        marker.Style = ListStyleType::Disc;
        PropValue& left = variants[size_t(piMarginLeft - kFirstBoxProp)];
        if (isIntValue(left) && (std::get<int32_t>(left) == NotSet || std::get<int32_t>(left) == 0)) {
            left = int32_t(16);
        }
    }
    const ListStyleType styled = props.GetListStyleType();
    if (styled != ListStyleType::Blank) {
        marker.Style = styled;
    }
    marker.Font = SharedFont(document, props);
    return TBoxStyle::Of(props, std::move(variants), std::move(marker));
}

} // namespace

TBlockLI::TBlockLI(TSectionList* document, TCellBasic* ownerList, const TProperties& props,
                   std::string_view listTag, int itemNumber, int level, bool plain, char typeLetter)
    : TBlock(document, ownerList, props, ItemStyle(document, props, listTag, level, plain, typeLetter), true),
      ItemNumber(itemNumber) {
    std::string picture;
    if (props.GetListStyleImage(picture) && !picture.empty() && BlockPictureMaker() && document) {
        MakeExtras().MarkerImage = BlockPictureMaker()(*document, picture);
    }
}

TBlockLI::TBlockLI(TSectionList* document, const TBlockLI& source)
    : TBlock(document, source), ItemNumber(source.ItemNumber) {}

std::unique_ptr<TSectionBase> TBlockLI::CloneFor(TSectionList& document) const {
    return MakeInArena<TBlockLI>(document.Arena(), &document, *this);
}

std::string TBlockLI::MarkerLabel() const {
    if (ItemNumber < 1) {
        return {};
    }
    const int letter = std::min(ItemNumber - 1, 25);
    const size_t numeral = size_t(std::min(ItemNumber, 20) - 1);
    switch (MarkerStyle()) {
    case ListStyleType::Decimal:
        return std::to_string(ItemNumber) + ".";
    case ListStyleType::LowerAlpha:
        return std::string(1, char('a' + letter)) + ".";
    case ListStyleType::UpperAlpha:
        return std::string(1, char('A' + letter)) + ".";
    case ListStyleType::LowerRoman:
        return std::string(kRoman[numeral]) + ".";
    case ListStyleType::UpperRoman:
        return toUpperAscii(kRoman[numeral]) + ".";
    default:
        return {};
    }
}

void TBlockLI::TrimDefaultBottomMargin() {
    TBlock::TrimDefaultBottomMargin();
    Content.TrimLastBottomMargin();
}

int TBlockLI::Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                      IndentManager& floats, int& maxWidth, int& counter) {
    if (MarkerImage() && Document && Document->ShowImages && !MarkerImage()->Prepare(canvas)) {
        Extras()->MarkerImage.reset();
    }
    FirstBaseline = 0;
    BaselineSlotScope slot(Document, &FirstBaseline);
    return TBlock::Arrange(canvas, x, y, xRef, yRef, width, availHeight, floats, maxWidth, counter);
}

int TBlockLI::Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) {
    const int result = TBlock::Paint(canvas, clip, floats, x, xRef, yRef);
    if (!Hidden && FirstBaseline > 0) {
        PaintMarker(canvas, BoxesForPaint(x, xRef, yRef).contentX);
    }
    return result;
}

void TBlockLI::PaintMarker(Canvas& canvas, int x) {
    // The baseline was recorded where the text was laid out, shifted blocks included.
    const int baseline = FirstBaseline - (Document ? Document->YOffset : 0);
    const Rect clip = canvas.clipBox();
    if (baseline < clip.top - 40 || baseline > clip.bottom + 40) {
        return;
    }
    const Color color = MarkerFont()->FontColor & 0x00FFFFFF;
    const Bitmap* picture =
        MarkerImage() && Document && Document->ShowImages ? MarkerImage()->Picture() : nullptr;
    if (picture && !picture->isEmpty()) {
        canvas.drawBitmap(*picture, x - 16, baseline - picture->height());
        return;
    }
    if (ListType() == lkNone || ListType() == lkDefinition) {
        return;
    }
    switch (MarkerStyle()) {
    case ListStyleType::Circle:
        canvas.drawEllipse(Rect{x - 16, baseline - 7, x - 9, baseline}, color, clNone);
        break;
    case ListStyleType::Disc: {
        // An item outside a list has its disc in the room its own margin keeps.
        const int left = ListType() == lkOutside ? x - 16 : x - 15;
        canvas.drawEllipse(Rect{left, baseline - 6, left + 5, baseline - 1}, color, color);
        break;
    }
    case ListStyleType::Square:
        canvas.fillRect(Rect{x - 15, baseline - 6, x - 10, baseline - 1}, color);
        break;
    case ListStyleType::Decimal:
    case ListStyleType::LowerAlpha:
    case ListStyleType::UpperAlpha:
    case ListStyleType::LowerRoman:
    case ListStyleType::UpperRoman: {
        const std::string label = MarkerLabel();
        if (label.empty()) {
            break;
        }
        canvas.setFont(MarkerFont()->Desc);
        canvas.setTextColor(color);
        canvas.setBkMode(BkMode::Transparent);
        canvas.textOut(x - 10 - canvas.textWidth(label), baseline, label);
        break;
    }
    default:
        break;
    }
}

// ---- rules ----

THorzLine::THorzLine(TSectionList* document, TProperties& props, const TAttributeList& attributes)
    : TSectionBase(document) {
    for (const TAttribute& a : attributes) {
        switch (a.Symbol) {
        case attrSIZE:
            if (a.NumValue >= 1 && a.NumValue <= 20) {
                Thickness = a.NumValue;
            }
            break;
        case attrCOLOR: {
            Color color = 0;
            if (ColorFromString(a.Text, false, color)) {
                RuleColor = color;
                props.AssignProp(piColor, int32_t(color | PaletteRelative));
            }
            break;
        }
        case attrNOSHADE:
            NoShade = true;
            break;
        case attrALIGN: {
            const std::string align = toLowerAscii(a.Text);
            RuleAlign = align == "left" ? 1 : align == "right" ? 3 : RuleAlign;
            break;
        }
        case attrWIDTH:
            if (a.NumValue >= 1) {
                if (a.Text.find('%') == std::string::npos) {
                    props.AssignProp(piWidth, int32_t(a.NumValue));
                } else if (a.NumValue <= 100) {
                    props.AssignProp(piWidth, std::to_string(a.NumValue) + "%");
                }
            }
            break;
        default:
            break;
        }
    }
    props.Props[piHeight] = int32_t(Thickness);
    const Color styled = props.GetFontColor();
    if (styled != clNone) {
        RuleColor = styled;
    }
    if (props.OwnFlags[piTextAlign]) {
        const std::string align = toLowerAscii(props.GetTextAlign());
        RuleAlign = align == "left" ? 1 : align == "right" ? 3 : align == "center" ? 2 : RuleAlign;
    }
    FlowHeight = Thickness;
}

THorzLine::THorzLine(TSectionList* document, const THorzLine& source)
    : TSectionBase(document, source), Thickness(source.Thickness), RuleColor(source.RuleColor),
      RuleAlign(source.RuleAlign), NoShade(source.NoShade) {}

std::unique_ptr<TSectionBase> THorzLine::CloneFor(TSectionList& document) const {
    return std::make_unique<THorzLine>(&document, *this);
}

void THorzLine::CopySelection() {
    if (Document && Document->ClipBuf) {
        Document->ClipBuf->AddTextCR("");
    }
}

int THorzLine::Arrange(Canvas&, int x, int y, int, int, int width, int, IndentManager& floats, int& maxWidth,
                       int& counter) {
    FirstPos = counter;
    PosCount = 0;
    RuleX = std::max(x, floats.LeftIndentAt(y));
    RuleWidth = std::min(x + width - RuleX, floats.RightSideAt(y) - RuleX);
    maxWidth = RuleWidth;
    FlowHeight = Thickness;
    SetExtent(y, Thickness);
    return FlowHeight;
}

int THorzLine::Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int, int, int) {
    const TSectionList* doc = Document;
    const int y = ArrangeY - (doc ? doc->YOffset : 0);
    if (y >= clip.bottom || y + Thickness <= clip.top || RuleWidth <= 0 || Thickness <= 0) {
        return ArrangeY + FlowHeight;
    }
    const bool printing = doc && doc->Printing;
    if (printing && ArrangeY >= doc->PageBottom) {
        return ArrangeY + FlowHeight;
    }
    const int left = floats.LeftEdge + RuleX;
    const int right = left + RuleWidth; // exclusive
    if (RuleColor != clNone) {
        canvas.fillRect(Rect{left, y, right, y + Thickness}, RuleColor & 0x00FFFFFF);
        return ArrangeY + FlowHeight;
    }
    const bool mono = NoShade || canvas.deviceColors() <= 2;
    const bool whitePage = doc && (doc->Background & 0x00FFFFFF) == 0xFFFFFF;
    const Color dark = mono ? kBlack : kButtonShadow;
    const Color light = mono ? kBlack : (printing || whitePage) ? kSilver : kButtonHighlight;
    const int bottom = y + Thickness;
    canvas.fillRect(Rect{left, y, right - 1, y + 1}, dark);    // top
    canvas.fillRect(Rect{left, y, left + 1, bottom}, dark);    // left
    canvas.fillRect(Rect{right - 1, y, right, bottom}, light); // right
    if (Thickness > 1) {
        canvas.fillRect(Rect{left + 1, bottom - 1, right, bottom}, light); // bottom
    }
    return ArrangeY + FlowHeight;
}

THRBlock::THRBlock(TSectionList* document, TCellBasic* ownerList, const TProperties& props,
                   std::unique_ptr<THorzLine> rule)
    : TBlock(document, ownerList, props) {
    Rule = rule.get();
    RuleAlign = rule->RuleAlign;
    Content.AppendSection(std::move(rule));
}

THRBlock::THRBlock(TSectionList* document, const THRBlock& source)
    : TBlock(document, source), RuleAlign(source.RuleAlign) {
    Rule = Content.Count() > 0 ? dynamic_cast<THorzLine*>(&Content[0]) : nullptr;
}

std::unique_ptr<TSectionBase> THRBlock::CloneFor(TSectionList& document) const {
    return std::make_unique<THRBlock>(&document, *this);
}

int THRBlock::ResolveWidth(Canvas&, int width, int, int) {
    ZeroAutoSides();
    const int extras = HorizontalExtras(true);
    int w = Box[piWidth];
    w = (w == AutoResult || w == 0) ? std::max(15, width - extras) : std::min(w, width - extras);
    const int room = width - w - extras;
    if (room > 0) {
        const int shift = RuleAlign == 3 ? room : RuleAlign == 2 ? room / 2 : 0;
        Box.SetMargin(piMarginLeft, Box[piMarginLeft] + shift);
    }
    if (Rule && Document && !Document->Printing && Box[piHeight] > 0) {
        Rule->Thickness = Box[piHeight];
    }
    return w;
}

// ---- page breaks ----

std::unique_ptr<TSectionBase> TPage::CloneFor(TSectionList& document) const {
    return std::make_unique<TPage>(&document, *this);
}

int TPage::Paint(Canvas&, const Rect& clip, IndentManager&, int, int, int) {
    TSectionList* doc = Document;
    if (doc && doc->Printing) {
        const int y = ArrangeY - doc->YOffset;
        // Measured from the page's top (the clip's), not the view's: a print band starts with the
        // top margin.
        if (y > clip.top + kPageTopSlack && y < clip.bottom && ArrangeY < doc->PageBottom) {
            doc->PageBottom = ArrangeY;
        }
    }
    return ArrangeY + FlowHeight;
}

} // namespace tavlin
