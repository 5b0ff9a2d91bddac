// Block boxes: creation with margin collapsing, width resolution, layout with floats, clearing
// and positioning, painting of background, border and content, and the queries passed to the
// content list.
#include "document/Block.h"

#include "document/SectionList.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tavlin {

namespace {

// Lengths beyond this are cut so that the box arithmetic of layout cannot overflow.
constexpr int kMaxLength = 1000000;
constexpr int kMaxZIndex = 10000000;

// Document coordinates are kept within this, so that no sum of box values and positions can
// overflow, however many huge boxes a page stacks.
constexpr int64_t kMaxCoord = 1000000000;

int Coord(int64_t v) {
    return int(std::clamp<int64_t>(v, -kMaxCoord, kMaxCoord));
}

bool IsSentinel(int32_t v) {
    return v == NotSet || v == AutoValue || v == AutoResult;
}

int ClampLength(int32_t v) {
    return IsSentinel(v) ? v : std::clamp(v, -kMaxLength, kMaxLength);
}

constexpr std::array<std::string_view, 5> kPhysicalUnits = {"in", "cm", "mm", "pt", "pc"};

// The layout pass blocks measure their widths in; a body starts a new one.
thread_local unsigned gLayoutPass = 1;

// A value that resolves differently with the room a block gets or with the screen: a
// percentage, or a length in a physical unit.
bool DependsOnContext(const PropValue& v) {
    if (!isStringValue(v)) {
        return false;
    }
    const std::string_view text = trimView(stringOf(v));
    if (text.find('%') != std::string_view::npos) {
        return true;
    }
    const size_t unitStart = text.find_first_not_of("+-.0123456789");
    if (unitStart == 0 || unitStart == std::string_view::npos) {
        return false; // a word ("auto", "thin") or a bare number
    }
    const std::string unit = toLowerAscii(trimView(text.substr(unitStart)));
    return std::find(kPhysicalUnits.begin(), kPhysicalUnits.end(), unit) != kPhysicalUnits.end();
}

// A top or bottom margin as settled at creation: "auto" is the paragraph default.
int SettleMargin(const PropValue& v, int emSize, int exSize, bool& isDefault) {
    isDefault = false;
    if (const int32_t* n = std::get_if<int32_t>(&v)) {
        if (*n == AutoValue) {
            isDefault = true;
            return TBlock::kDefaultParagraphMargin;
        }
        return *n == NotSet ? 0 : std::clamp(*n, -kMaxLength, kMaxLength);
    }
    if (const std::string* s = std::get_if<std::string>(&v)) {
        constexpr int kContainingWidth = 400; // percentages of margins are settled against this
        return std::clamp(LengthToPixels(*s, kContainingWidth, emSize, exSize, 0), -kMaxLength, kMaxLength);
    }
    return 0;
}

int CollapsedMargin(int top, int bottom) {
    if (top >= 0 && bottom >= 0) {
        return std::max(top, bottom);
    }
    if (top < 0 && bottom < 0) {
        return std::min(top, bottom);
    }
    return top + bottom;
}

Color Opaque(Color c) {
    return c & 0x00FFFFFF;
}

// Keeps the owner of the float bands and removes the block's own bands however Arrange ends.
class OwnerScope {
public:
    OwnerScope(IndentManager& floats, BandOwner owner)
        : floats_(floats), saved_(floats.CurrentOwner), owner_(owner) {
        floats_.CurrentOwner = owner;
    }
    ~OwnerScope() { Close(); }
    OwnerScope(const OwnerScope&) = delete;
    OwnerScope& operator=(const OwnerScope&) = delete;
    void Close() {
        if (open_) {
            floats_.RemoveOwned(owner_);
            floats_.CurrentOwner = saved_;
            open_ = false;
        }
    }

private:
    IndentManager& floats_;
    BandOwner saved_;
    BandOwner owner_;
    bool open_ = true;
};

} // namespace

TBlockPictureMaker& BlockPictureMaker() {
    static TBlockPictureMaker maker;
    return maker;
}

// Tiles are drawn straight onto the canvas, clipped to the box; the picture's own mask keeps
// what lies beneath showing where it is transparent.
void PaintTiledPicture(Canvas& canvas, const Bitmap& picture, const Rect& pad, const Rect& area,
                       const TBackgroundPosition& position) {
    const int w = picture.width();
    const int h = picture.height();
    auto firstTile = [](int offset, int area, int size, bool repeat) {
        offset = std::clamp(offset, -size, area);
        if (repeat) {
            offset -= ((offset + size - 1) / size) * size;
            if (offset > 0) {
                offset -= size;
            }
        }
        return offset;
    };
    const int ox =
        firstTile(TBackgroundPosition::Offset(position.x, pad.width(), w), pad.width(), w, position.repeatX);
    const int oy = firstTile(TBackgroundPosition::Offset(position.y, pad.height(), h), pad.height(), h,
                             position.repeatY);
    CanvasStateSaver saver(canvas);
    canvas.intersectClip(area);
    const int startY = position.repeatY ? oy + ((area.top - pad.top - oy) / h) * h : oy;
    const int startX = position.repeatX ? ox + ((area.left - pad.left - ox) / w) * w : ox;
    for (int ty = startY; pad.top + ty < area.bottom; ty += h) {
        for (int tx = startX; pad.left + tx < area.right; tx += w) {
            canvas.drawBitmap(picture, pad.left + tx, pad.top + ty);
            if (!position.repeatX) {
                break;
            }
        }
        if (!position.repeatY) {
            break;
        }
    }
}

// ---- box styles ----

TBoxStyle::TBoxStyle(TVMarginArray variants, int emSize, int exSize, bool hasBorderStyle, Color textColor,
                     TListMarker marker)
    : Variants(std::move(variants)), EmSize(emSize), ExSize(exSize), HasBorderStyle(hasBorderStyle),
      TextColor(textColor), Marker(std::move(marker)) {
    Fixed = std::none_of(Variants.begin(), Variants.end(), DependsOnContext);
    if (Fixed) {
        FixedBox = Compute(0, 0);
    }
}

SharedRef<const TBoxStyle> TBoxStyle::Shared(TVMarginArray&& variants, int emSize, int exSize,
                                             bool hasBorderStyle, Color textColor, TListMarker marker) {
    // The few styles made last stay alive here (a style is small); one thread builds a document.
    thread_local std::array<SharedRef<const TBoxStyle>, 4> recent;
    thread_local size_t next = 0;
    for (const auto& shared : recent) {
        if (shared && shared->Variants == variants && shared->EmSize == emSize && shared->ExSize == exSize &&
            shared->HasBorderStyle == hasBorderStyle && shared->TextColor == textColor &&
            shared->Marker == marker) {
            return shared;
        }
    }
    auto made = SharedRef<const TBoxStyle>::Make(std::move(variants), emSize, exSize, hasBorderStyle,
                                                 textColor, std::move(marker));
    recent[next] = made;
    next = (next + 1) % recent.size();
    return made;
}

SharedRef<const TBoxStyle> TBoxStyle::Of(const TProperties& props, TVMarginArray&& variants,
                                         TListMarker marker) {
    const PropValue& color = props.Props[piColor];
    return Shared(std::move(variants), props.EmSize, props.ExSize, props.HasBorderStyle(),
                  isIntValue(color) ? Color(std::get<int32_t>(color)) : 0, std::move(marker));
}

TMarginArray TBoxStyle::Compute(int width, int height) const {
    TMarginArray box = GetBoxMetrics(Variants, width, height, EmSize, ExSize);
    for (int i = piMarginTop; i <= piLeft; ++i) {
        box[i] = ClampLength(box[i]);
    }
    return box;
}

TBlockBox::TBlockBox(SharedRef<const TBoxStyle> style) : word_(reinterpret_cast<uintptr_t>(style.release())) {}

TBlockBox::TBlockBox(const TBlockBox& other) : margins_(other.margins_) {
    if (const Own* own = other.Owned()) {
        word_ =
            reinterpret_cast<uintptr_t>(new Own{own->style, own->values, own->wideMargins, nullptr}) | kOwned;
    } else {
        SharedRef<const TBoxStyle> style(other.StyleOnly());
        word_ = reinterpret_cast<uintptr_t>(style.release()) | (other.word_ & kTaken);
    }
}

TBlockBox::~TBlockBox() {
    if (Own* own = Owned()) {
        delete own;
    } else {
        SharedRef<const TBoxStyle>::Adopt(StyleOnly()); // gives the count back
    }
}

TMarginArray& TBlockBox::MakeOwn() {
    if (Own* own = Owned()) {
        return own->values;
    }
    const TMarginArray* shared = Values();
    auto* own = new Own{
        SharedRef<const TBoxStyle>::Adopt(StyleOnly()), shared ? *shared : TMarginArray{}, {}, nullptr};
    word_ = reinterpret_cast<uintptr_t>(own) | kOwned;
    return own->values;
}

int32_t TBlockBox::Margin(int prop) const {
    const int16_t code = margins_[Side(prop)];
    if (code == kAutoMargin) {
        return AutoResult;
    }
    return code == kWideMargin ? Owned()->wideMargins[Side(prop)] : code;
}

void TBlockBox::SetMargin(int prop, int32_t value) {
    int16_t& code = margins_[Side(prop)];
    if (value == AutoResult) {
        code = kAutoMargin;
    } else if (value > kWideMargin && value <= INT16_MAX) {
        code = int16_t(value);
    } else {
        MakeOwn();
        Owned()->wideMargins[Side(prop)] = value;
        code = kWideMargin;
    }
}

void TBlockBox::Set(int prop, int32_t value) {
    if (IsMargin(prop)) {
        SetMargin(prop, value);
        return;
    }
    MakeOwn()[prop] = value;
}

void TBlockBox::Take(int width, int height) {
    const TBoxStyle& style = Style();
    if (!style.Fixed) {
        MakeOwn() = style.Compute(width, height);
    } else if (Extras() || HasWideMargin(piMarginTop) || HasWideMargin(piMarginBottom)) {
        MakeOwn() = style.FixedBox; // the record keeps what it holds beside the values
    } else if (Own* own = Owned()) {
        word_ = reinterpret_cast<uintptr_t>(own->style.release()) | kTaken;
        delete own;
    } else {
        word_ |= kTaken;
    }
    const TMarginArray& values = *Values();
    SetMargin(piMarginLeft, values[piMarginLeft]);
    SetMargin(piMarginRight, values[piMarginRight]);
}

TBlockExtras& TBlockBox::MakeExtras() {
    MakeOwn();
    std::unique_ptr<TBlockExtras>& extras = Owned()->extras;
    if (!extras) {
        extras = std::make_unique<TBlockExtras>();
    }
    return *extras;
}

// ---- creation ----

namespace {

TVMarginArray BoxValues(const TProperties& props) {
    TVMarginArray variants;
    props.GetVMarginArray(variants);
    return variants;
}

} // namespace

TBlock::TBlock(TSectionList* document, TCellBasic* ownerList, const TProperties& props, bool collapse)
    : TBlock(document, ownerList, props, TBoxStyle::Of(props, BoxValues(props)), collapse) {}

TBlock::TBlock(TSectionList* document, TCellBasic* ownerList, const TProperties& props,
               SharedRef<const TBoxStyle> style, bool collapse)
    : TSectionBase(document), Box(std::move(style)), Content(props.ElemTag) {
    AlignmentType side;
    if (props.GetFloat(side)) {
        Floating = side == AlignmentType::Left    ? FloatLeft
                   : side == AlignmentType::Right ? FloatRight
                                                  : NoFloat;
    }
    ClearType clear;
    if (props.GetClear(clear)) {
        ClearSide = int(clear);
    }
    const PositionType position = props.GetPosition();
    Positioning = position == PositionType::Absolute   ? Absolute
                  : position == PositionType::Relative ? Relative
                                                       : Static;
    Hidden = props.IsHidden();
    if (Positioning != Static) {
        SetLayer(std::clamp(props.GetZIndex(), -kMaxZIndex, kMaxZIndex) * 10);
        if (Positioning == Absolute && Layer() == 0) {
            SetLayer(1);
        }
    }
    if (Floating != NoFloat && Layer() == 0) {
        SetLayer(1);
    }
    std::string picture;
    if (props.GetBackgroundImage(picture) && !picture.empty() && BlockPictureMaker() && document) {
        TBlockExtras& extras = MakeExtras();
        extras.BackgroundImage = BlockPictureMaker()(*document, picture);
        extras.BackgroundPosition = props.GetBackgroundPosition();
    }
    bool topIsDefault = false;
    bool bottomIsDefault = false;
    Box.SetMargin(piMarginTop,
                  SettleMargin(props.Props[piMarginTop], props.EmSize, props.ExSize, topIsDefault));
    Box.SetMargin(piMarginBottom,
                  SettleMargin(props.Props[piMarginBottom], props.EmSize, props.ExSize, bottomIsDefault));
    BottomIsDefault = bottomIsDefault;
    if (collapse) {
        CollapseTopMargin(ownerList, topIsDefault);
    }
}

TBlock::TBlock(TSectionList* document, const TBlock& source)
    : TSectionBase(document, source), Floating(source.Floating), ClearSide(source.ClearSide),
      Positioning(source.Positioning), ListIndent(source.ListIndent), Hidden(source.Hidden),
      BottomIsDefault(source.BottomIsDefault), Box(source.Box), Content(document, source.Content) {
    // The pictures are the copy's own; the print copy decides at painting whether backgrounds
    // are printed. The painting order is made again by the copy's layout.
    SetLayer(source.Layer());
    const TBlockExtras* from = source.Extras();
    if (from && document) {
        TBlockExtras& extras = MakeExtras();
        if (from->BackgroundImage) {
            extras.BackgroundImage = from->BackgroundImage->CloneFor(*document);
        }
        extras.BackgroundPosition = from->BackgroundPosition;
        if (from->MarkerImage) {
            extras.MarkerImage = from->MarkerImage->CloneFor(*document);
        }
    }
}

TBlock::~TBlock() = default;

void TBlock::SetLayer(int layer) {
    if (layer != 0 || Extras()) {
        MakeExtras().Layer = layer;
    }
}

int TBlock::FlowBottom() const {
    if (Floating == NoFloat) {
        return TSectionBase::FlowBottom();
    }
    const int64_t closing = int64_t(Box[piPaddingBottom]) + Box[piBorderBottomWidth];
    return Coord(ContentBottomY() + closing + Box[piMarginBottom]);
}

int TBlock::ContentOffset() const {
    if (Extras() && Extras()->ContentOffset) {
        return *Extras()->ContentOffset;
    }
    return Box[piMarginLeft] + Box[piPaddingLeft] + Box[piBorderLeftWidth];
}

int TBlock::ContentY() const {
    if (Extras() && Extras()->ContentY) {
        return *Extras()->ContentY;
    }
    const int top = Coord(int64_t(ArrangeY) + ClearAddon());
    return Coord(int64_t(top) + Box[piMarginTop] + Box[piPaddingTop] + Box[piBorderTopWidth]);
}

int TBlock::ContentBottomY() const {
    if (Extras() && Extras()->ContentBottomY) {
        return *Extras()->ContentBottomY;
    }
    // The flow continues below the bottom padding, border and margin.
    return Coord(int64_t(ArrangeY) + FlowHeight - Box[piPaddingBottom] - Box[piBorderBottomWidth] -
                 Box[piMarginBottom]);
}

int TBlock::PaintHeight() const {
    return Extras() && Extras()->PaintHeight ? *Extras()->PaintHeight : FlowHeight;
}

void TBlock::KeepResults(int contentOffset, int contentY, int contentBottomY, int paintHeight) {
    if (TBlockExtras* extras = Extras()) {
        extras->ContentOffset.reset();
        extras->ContentY.reset();
        extras->ContentBottomY.reset();
        extras->PaintHeight.reset();
    }
    if (contentOffset != ContentOffset()) {
        MakeExtras().ContentOffset = contentOffset;
    }
    if (contentY != ContentY()) {
        MakeExtras().ContentY = contentY;
    }
    if (contentBottomY != ContentBottomY()) {
        MakeExtras().ContentBottomY = contentBottomY;
    }
    if (paintHeight != PaintHeight()) {
        MakeExtras().PaintHeight = paintHeight;
    }
}

std::unique_ptr<TSectionBase> TBlock::CloneFor(TSectionList& document) const {
    return MakeInArena<TBlock>(document.Arena(), &document, *this);
}

void TBlock::CollapseTopMargin(TCellBasic* ownerList, bool topIsDefault) {
    if (Positioning == Absolute) {
        if (topIsDefault) {
            Box.SetMargin(piMarginTop, 0);
        }
        return;
    }
    if (Floating != NoFloat || !ownerList) {
        return;
    }
    TSectionBase* previous = nullptr;
    for (int i = ownerList->Count(); i-- > 0;) {
        if (!(*ownerList)[i].IsAbsolute()) {
            previous = &(*ownerList)[i];
            break;
        }
    }
    if (!previous) {
        // The first block of a cell, list item or division has no top space; the first of the
        // document or the body keeps it.
        const std::string_view tag = ownerList->OwnerTag;
        if ((topIsDefault && tag == "li") || (tag != "default" && tag != "body")) {
            Box.SetMargin(piMarginTop, 0);
        }
        return;
    }
    auto* block = dynamic_cast<TBlock*>(previous);
    if (!block) {
        return;
    }
    if (block->IsTableBlock() && block->Floating != NoFloat) {
        if (topIsDefault) {
            Box.SetMargin(piMarginTop, 0);
        }
        return;
    }
    Box.SetMargin(piMarginTop, CollapsedMargin(MarginTop(), block->MarginBottom()));
    block->Box.SetMargin(piMarginBottom, 0);
}

void TBlock::TrimDefaultBottomMargin() {
    if (BottomIsDefault) {
        Box.SetMargin(piMarginBottom, 0);
    }
}

// ---- box arithmetic ----

void TBlock::ResolveBox(int width, int availHeight) {
    Box.Take(width, availHeight);
}

int TBlock::HorizontalExtras(bool withMargins) const {
    auto value = [this](int i) { return Box[i] == AutoResult ? 0 : Box[i]; };
    int extras =
        value(piPaddingLeft) + value(piPaddingRight) + value(piBorderLeftWidth) + value(piBorderRightWidth);
    if (withMargins) {
        extras += value(piMarginLeft) + value(piMarginRight);
    }
    return extras;
}

void TBlock::ZeroAutoSides() {
    for (int side : {piMarginLeft, piMarginRight}) {
        if (Box[side] == AutoResult) {
            Box.SetMargin(side, 0);
        }
    }
}

int TBlock::WidthFromRest(int width, int extras, int maxContent, int minContent) const {
    int rest = width - extras - Box[piMarginLeft] - Box[piMarginRight];
    if (Positioning == Absolute) {
        rest = std::min({rest, maxContent, rest - PosLeft()});
    }
    return std::max(rest, minContent);
}

int TBlock::ResolveWidth(Canvas& canvas, int width, int autoCount, int availHeight) {
    int minContent = 0;
    int maxContent = 0;
    Content.MeasureWidths(canvas, minContent, maxContent);
    const int extras = HorizontalExtras(false);
    const int left = Box[piMarginLeft];
    const int right = Box[piMarginRight];
    const int boxWidth = Box[piWidth];
    const bool autoWidth = boxWidth == AutoResult;
    switch (autoCount) {
    case 0:
        return std::max(minContent, std::min(boxWidth, width - extras));
    case 1:
        if (autoWidth) {
            return WidthFromRest(width, extras, maxContent, minContent);
        } else {
            const int w = std::max(boxWidth, minContent);
            if (right != AutoResult) {
                Box.SetMargin(piMarginLeft, std::max(0, width - extras - right - w));
            } else {
                Box.SetMargin(piMarginRight,
                              Floating != NoFloat ? 0 : std::max(0, width - extras - left - w));
            }
            return w;
        }
    case 2:
        if (autoWidth) {
            ZeroAutoSides();
            return WidthFromRest(width, extras, maxContent, minContent);
        } else {
            const int w = std::max(boxWidth, minContent);
            const int side = std::max(0, width - w - extras) / 2;
            Box.SetMargin(piMarginLeft, side);
            Box.SetMargin(piMarginRight, side);
            return w;
        }
    default:
        Box.SetMargin(piMarginLeft, 0);
        Box.SetMargin(piMarginRight, 0);
        return WidthFromRest(width, extras, maxContent, minContent);
    }
}

bool TBlock::HoldsMoreThanText() const {
    for (int i = 0; i < Content.Count(); ++i) {
        if (!Content[i].IsTextSection()) {
            return true;
        }
    }
    return false;
}

void TBlock::MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) {
    if (Extras() && Extras()->MeasuredPass == gLayoutPass) {
        minWidth = Extras()->MeasuredMin;
        maxWidth = Extras()->MeasuredMax;
        return;
    }
    int minContent = 0;
    int maxContent = 0;
    Content.MeasureWidths(canvas, minContent, maxContent);
    if (ListIndent) {
        minContent = Coord(int64_t(minContent) + kListIndent);
        maxContent = Coord(int64_t(maxContent) + kListIndent);
    }
    const TMarginArray box = BoxStyle().Resolve(0, 0);
    auto value = [&box](int i) { return box[i] == AutoResult ? 0 : box[i]; };
    const int extras = value(piMarginLeft) + value(piMarginRight) + value(piPaddingLeft) +
                       value(piPaddingRight) + value(piBorderLeftWidth) + value(piBorderRightWidth);
    const int boxWidth = value(piWidth);
    minWidth = Coord(int64_t(extras) + std::max(minContent, boxWidth));
    maxWidth = boxWidth < 1 ? Coord(int64_t(extras) + std::max(maxContent, boxWidth)) : minWidth;
    if (HoldsMoreThanText()) {
        TBlockExtras& extras = MakeExtras();
        extras.MeasuredMin = minWidth;
        extras.MeasuredMax = maxWidth;
        extras.MeasuredPass = gLayoutPass;
    }
}

// ---- layout ----

int TBlock::ClearDistance(const IndentManager& floats, int y) const {
    if (ClearSide == 0) {
        return 0;
    }
    int left = 0;
    int right = 0;
    floats.ClearBottoms(left, right);
    const int bottom = ClearSide == 1 ? left : ClearSide == 2 ? right : std::max(left, right);
    return std::max(0, bottom - y);
}

TContentExtent TBlock::ArrangeContent(Canvas& canvas, int x, int contentY, int xRef, int yRef,
                                      IndentManager& floats, int& counter, int& contentMax) {
    if (Positioning == Relative) {
        // The content is laid out shifted; the box follows it when painted.
        yRef = Coord(int64_t(contentY) + PosTop());
        contentY = yRef;
    } else if (Positioning == Absolute) {
        yRef = Coord(int64_t(PosTop()) + yRef + Box[piMarginTop] + Box[piBorderTopWidth]);
        xRef = Coord(int64_t(PosLeft()) + xRef + Box[piMarginLeft] + Box[piBorderLeftWidth]);
    }
    return Content.ArrangeBlock(canvas, x, contentY, xRef, yRef, ContentWidth, Box[piHeight], floats,
                                contentMax, counter);
}

void TBlock::SetPlacement(int clearAddon, int posTop, int posLeft) {
    if (!Extras() && clearAddon == 0 && posTop == 0 && posLeft == 0) {
        return;
    }
    TBlockExtras& extras = MakeExtras();
    extras.ClearAddon = clearAddon;
    extras.PosTop = posTop;
    extras.PosLeft = posLeft;
}

void TBlock::BuildPaintOrder() {
    if (Extras() && Extras()->PaintOrder.size() == size_t(Content.Count()) && !Extras()->PaintOrder.empty()) {
        return;
    }
    if (Extras()) {
        Extras()->PaintOrder.clear();
    }
    bool layered = false;
    for (int i = 0; i < Content.Count(); ++i) {
        layered = layered || Content[i].Layer() != 0;
    }
    if (!layered) {
        return;
    }
    std::vector<TSectionBase*>& order = MakeExtras().PaintOrder;
    for (int i = 0; i < Content.Count(); ++i) {
        order.push_back(&Content[i]);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const TSectionBase* a, const TSectionBase* b) { return a->Layer() < b->Layer(); });
}

int TBlock::Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                    IndentManager& floats, int& maxWidth, int& counter) {
    const int givenY = y;
    ArrangeY = y;
    const int clearAddon = ClearDistance(floats, y);
    FirstPos = counter;
    maxWidth = width;
    ResolveBox(width, availHeight);
    int posTop = 0;
    int posLeft = 0;
    if (Positioning == Relative) {
        posTop = Box[piTop] == AutoResult ? 0 : Box[piTop];
        posLeft = Box[piLeft] == AutoResult ? 0 : Box[piLeft];
    } else if (Positioning == Absolute) {
        // An auto offset keeps the place the block would have had in the flow.
        posTop = Box[piTop] == AutoResult ? Coord(int64_t(y) - yRef) : Box[piTop];
        posLeft = Box[piLeft] == AutoResult ? Coord(int64_t(x) - xRef) : Box[piLeft];
        x = Coord(int64_t(posLeft) + xRef);
        y = Coord(int64_t(posTop) + yRef);
    }
    SetPlacement(clearAddon, posTop, posLeft);
    ContentWidth = ResolveWidth(canvas, width, Box.AutoCount(), availHeight);

    OwnerScope owner(floats, this);
    const int top = Coord(int64_t(y) + clearAddon);
    const int leftEdges = Box[piMarginLeft] + Box[piPaddingLeft] + Box[piBorderLeftWidth];
    const int rightEdges = Box[piMarginRight] + Box[piPaddingRight] + Box[piBorderRightWidth];
    PaintTop = Coord(int64_t(top) + std::min(0, Box[piMarginTop]));
    int contentOffset = leftEdges;
    if (Floating == FloatLeft) {
        contentOffset = std::max(x, floats.LeftIndentAt(top)) + leftEdges - x;
    } else if (Floating == FloatRight) {
        contentOffset = std::min(width, floats.RightSideAt(top) - x) - rightEdges - ContentWidth;
    }
    x += contentOffset;
    if (ListIndent) {
        const int markerRoom = floats.LeftIndentAt(top) + kListIndent;
        if (x < markerRoom) {
            const int shift = markerRoom - x;
            contentOffset += shift;
            ContentWidth = std::max(0, ContentWidth - shift);
            x += shift;
        }
    }
    const int contentY = Coord(int64_t(top) + Box[piMarginTop] + Box[piPaddingTop] + Box[piBorderTopWidth]);
    ContentX = x;
    floats.AddLeft(contentY, IndentManager::OpenBottom, x, this);
    floats.AddRight(contentY, IndentManager::OpenBottom, x + ContentWidth, this);

    int contentMax = 0;
    const TContentExtent content =
        ArrangeContent(canvas, x, contentY, xRef, yRef, floats, counter, contentMax);
    PosCount = counter - FirstPos;
    int64_t widest = int64_t(contentMax) + HorizontalExtras(true);
    if (Positioning != Static) {
        widest += int64_t(posLeft) - Box[piMarginRight];
    }
    maxWidth = Coord(widest);
    const int64_t contentBottom = Positioning == Relative ? int64_t(content.Bottom) - posTop : content.Bottom;
    const int contentBottomY =
        Coord(std::max({int64_t(contentY), contentBottom, int64_t(contentY) + Box[piHeight]}));
    const int64_t closing = int64_t(Box[piPaddingBottom]) + Box[piBorderBottomWidth];
    const int flowBottom = Coord(contentBottomY + closing + Box[piMarginBottom]);
    PaintBottom = Coord(std::max(contentBottomY, content.PaintBottom) + closing);
    if (BackgroundImage() && Document && Document->ShowImages && !BackgroundImage()->Prepare(canvas)) {
        Extras()->BackgroundImage.reset();
    }
    FlowHeight = flowBottom - y;
    owner.Close();

    int paintHeight = 0;
    if (Floating != NoFloat || Positioning == Absolute) {
        paintHeight = Positioning == Absolute ? 0 : FlowHeight;
        if (Positioning != Absolute) {
            const int height = PaintBottom - givenY;
            if (Floating == FloatLeft) {
                floats.PlaceFloatBlock(givenY, x + ContentWidth + rightEdges, IndentManager::LeftSide,
                                       height);
            } else {
                floats.PlaceFloatBlock(givenY, leftEdges + ContentWidth + rightEdges,
                                       IndentManager::RightSide, height);
            }
        }
        FlowHeight = 0;
    } else {
        paintHeight = std::max(FlowHeight, floats.FloatBottom() - givenY);
    }
    KeepResults(contentOffset, contentY, contentBottomY, paintHeight);
    BuildPaintOrder();
    return FlowHeight;
}

// ---- painting ----

TBlock::PaintBoxes TBlock::BoxesForPaint(int x, int xRef, int yRef) const {
    PaintBoxes b;
    int shift = 0; // how far the painted box lies below where it was arranged
    if (Positioning == Relative) {
        shift = PosTop();
        x += PosLeft();
    } else if (Positioning == Absolute) {
        x = xRef + PosLeft();
    }
    const int yOffset = Document ? Document->YOffset : 0;
    const int contentY = ContentY();
    const int boxTop = contentY - Box[piPaddingTop] - Box[piBorderTopWidth] + shift - yOffset;
    const int boxBottom =
        (Floating != NoFloat ? PaintBottom
                             : ContentBottomY() + Box[piPaddingBottom] + Box[piBorderBottomWidth]) +
        shift - yOffset;
    b.contentX = x + ContentOffset();
    b.x = Floating != NoFloat ? b.contentX - Box[piMarginLeft] - Box[piPaddingLeft] - Box[piBorderLeftWidth]
                              : x;
    const int borderLeft = b.x + Box[piMarginLeft];
    const int borderRight =
        Coord(int64_t(b.contentX) + ContentWidth + Box[piPaddingRight] + Box[piBorderRightWidth]);
    b.border = Rect{borderLeft, boxTop, std::max(borderLeft, borderRight), std::max(boxTop, boxBottom)};
    b.padding = Rect{b.border.left + Box[piBorderLeftWidth], b.border.top + Box[piBorderTopWidth],
                     b.border.right - Box[piBorderRightWidth], b.border.bottom - Box[piBorderBottomWidth]};
    b.xRef = xRef;
    b.yRef = yRef;
    if (Positioning == Relative) {
        b.xRef = b.contentX;
        b.yRef = contentY + shift;
    } else if (Positioning == Absolute) {
        b.xRef = b.padding.left;
        b.yRef = contentY - Box[piPaddingTop] - ClearAddon(); // as the content was arranged
    }
    return b;
}

void TBlock::PaintBackground(Canvas& canvas, const Rect& clip, const PaintBoxes& boxes) {
    const bool printing = Document && Document->Printing;
    if (printing && !Document->PrintBackgrounds) {
        return;
    }
    const Rect area = boxes.padding.intersected(clip);
    if (area.isEmpty()) {
        return;
    }
    const Color color = Color(Box[piBackgroundColor]);
    if (color != clNone) {
        canvas.fillRect(area, Opaque(color));
    }
    const Bitmap* picture =
        BackgroundImage() && Document && Document->ShowImages ? BackgroundImage()->Picture() : nullptr;
    if (!picture || picture->isEmpty()) {
        return;
    }
    PaintTiledPicture(canvas, *picture, boxes.padding, area, Extras()->BackgroundPosition);
}

void TBlock::PaintBorder(Canvas& canvas, const PaintBoxes& boxes) const {
    if (!BoxStyle().HasBorderStyle) {
        return;
    }
    const Color border = Color(Box[piBorderColor]);
    const Color color = Opaque(border != clNone ? border : BoxStyle().TextColor);
    const Rect& o = boxes.border;
    const Rect& i = boxes.padding;
    const std::array<Rect, 4> bands = {
        Rect{o.left, o.top, o.right, i.top}, Rect{o.left, i.bottom, o.right, o.bottom},
        Rect{o.left, i.top, i.left, i.bottom}, Rect{i.right, i.top, o.right, i.bottom}};
    for (const Rect& band : bands) {
        if (!band.isEmpty()) {
            canvas.fillRect(band, color);
        }
    }
}

void TBlock::PaintContent(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef,
                          int yRef) {
    const BandOwner saved = floats.CurrentOwner;
    floats.CurrentOwner = this;
    if (!Extras() || Extras()->PaintOrder.empty() || Extras()->PaintOrder.size() != size_t(Content.Count())) {
        Content.PaintSections(canvas, clip, floats, x, xRef, yRef);
    } else {
        for (TSectionBase* section : Extras()->PaintOrder) {
            section->Paint(canvas, clip, floats, x, xRef, yRef);
        }
    }
    floats.CurrentOwner = saved;
}

int TBlock::Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) {
    if (Hidden) {
        return ArrangeY + FlowHeight;
    }
    const PaintBoxes boxes = BoxesForPaint(x, xRef, yRef);
    if (boxes.border.intersects(clip)) {
        PaintBackground(canvas, clip, boxes);
        PaintBorder(canvas, boxes);
    }
    PaintContent(canvas, clip, floats, boxes.contentX, boxes.xRef, boxes.yRef);
    return ArrangeY + FlowHeight;
}

// ---- queries, passed to the content ----

void TBlock::CopySelection() {
    Content.CopySelection();
}

bool TBlock::LinkAt(Canvas& canvas, int x, int y, TLinkAnswer& answer) {
    return Content.LinkAt(canvas, x, y, answer);
}

bool TBlock::ObjectAt(int x, int y, TFloatingObj*& object, int& objX, int& objY) {
    return Content.ObjectAt(x, y, object, objX, objY);
}

int TBlock::PositionAt(Canvas& canvas, int x, int y, TPositionHit& hit) {
    return Content.PositionAt(canvas, x, y, hit);
}

int TBlock::SearchText(int from, std::string_view text, bool matchCase) {
    return Content.SearchText(from, text, matchCase);
}

int TBlock::DocToSourcePos(int position) const {
    return Content.DocToSourcePos(position);
}

int TBlock::SourceToDocPos(int sourcePos, bool backwards) const {
    return Content.SourceToDocPos(sourcePos, backwards);
}

bool TBlock::PositionToXY(Canvas* canvas, int position, int& x, int& y) {
    return Content.PositionToXY(canvas, position, x, y);
}

bool TBlock::CharAt(int position, char& ch, TSectionBase*& section) {
    return Content.CharAt(position, ch, section);
}

void TBlock::EnlistPositions() {
    Content.EnlistPositions();
}

// ---- the body ----

TBodyBlock::TBodyBlock(TSectionList* document, TCellBasic* ownerList, const TProperties& props)
    : TBlock(document, ownerList, props) {
    if (Extras()) {
        Extras()->BackgroundImage.reset(); // the document's background is the viewer's
    }
}

TBodyBlock::TBodyBlock(TSectionList* document, const TBodyBlock& source) : TBlock(document, source) {}

std::unique_ptr<TSectionBase> TBodyBlock::CloneFor(TSectionList& document) const {
    return std::make_unique<TBodyBlock>(&document, *this);
}

int TBodyBlock::Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                        IndentManager& floats, int& maxWidth, int& counter) {
    ++gLayoutPass; // widths measured in an earlier layout may have changed (pictures arrive)
    ArrangeY = y;
    FirstPos = counter;
    SetPlacement(0, 0, 0);
    ResolveBox(width, availHeight);
    ZeroAutoSides();
    ContentWidth = std::max(0, floats.Width - HorizontalExtras(true));
    PaintTop = Coord(int64_t(y) + Box[piMarginTop]);
    const int contentOffset = Box[piMarginLeft] + Box[piPaddingLeft] + Box[piBorderLeftWidth];
    ContentX = contentOffset;
    const int contentY = Coord(int64_t(y) + Box[piMarginTop] + Box[piPaddingTop] + Box[piBorderTopWidth]);
    OwnerScope owner(floats, this);
    floats.AddLeft(contentY, IndentManager::OpenBottom, ContentX, this);
    floats.AddRight(contentY, IndentManager::OpenBottom, ContentX + ContentWidth, this);
    int contentMax = 0;
    const int height = std::max(0, availHeight - Box[piMarginTop] - Box[piMarginBottom]);
    const TContentExtent content = Content.ArrangeBlock(canvas, ContentX, contentY, 0, 0, ContentWidth,
                                                        height, floats, contentMax, counter);
    PosCount = counter - FirstPos;
    const int contentBottomY =
        Coord(std::max({int64_t(contentY), int64_t(content.Bottom), int64_t(contentY) + Box[piHeight]}));
    const int64_t closing = int64_t(Box[piPaddingBottom]) + Box[piBorderBottomWidth];
    PaintBottom = Coord(std::max(contentBottomY, content.PaintBottom) + closing);
    FlowHeight = Coord(int64_t(PaintBottom) + Box[piMarginBottom]) - y;
    owner.Close();
    KeepResults(contentOffset, contentY, contentBottomY, std::max(FlowHeight, floats.FloatBottom() - y));
    maxWidth = std::max(floats.Width, Coord(int64_t(std::max(contentMax, ContentWidth)) + Box[piMarginLeft] +
                                            Box[piMarginRight]));
    BuildPaintOrder();
    return FlowHeight;
}

int TBodyBlock::Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) {
    if (!Hidden) {
        PaintContent(canvas, clip, floats, floats.LeftEdge + ContentOffset(), floats.LeftEdge, 0);
    }
    return ArrangeY + FlowHeight;
}

} // namespace tavlin
