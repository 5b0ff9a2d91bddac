#pragma once
#include "document/FontObj.h"
#include "document/SectionBase.h"
#include "document/SharedRef.h"
#include "reader/Properties.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tavlin {

class TSectionList;
class TAttributeList;

// A picture a block paints: its background, or a list item's marker. The picture layer makes
// them (see BlockPictureMaker); until it has, blocks simply carry none.
class TBlockPicture {
public:
    virtual ~TBlockPicture() = default;
    // Loads and sizes the picture; false when it turned out to be the error image.
    virtual bool Prepare(Canvas& canvas) = 0;
    // The picture (with its mask, if any); null while it has not arrived.
    virtual const Bitmap* Picture() const = 0;
    virtual std::unique_ptr<TBlockPicture> CloneFor(TSectionList& document) const = 0;
};

// Makes the picture object for an image name of a document; empty when no picture layer is
// installed.
using TBlockPictureMaker = std::function<std::unique_ptr<TBlockPicture>(TSectionList&, const std::string&)>;
TBlockPictureMaker& BlockPictureMaker();

// Tiles a picture over a box (view coordinates), placed by position and clipped to area.
void PaintTiledPicture(Canvas& canvas, const Bitmap& picture, const Rect& box, const Rect& area,
                       const TBackgroundPosition& position);

// List kinds of a list item.
enum ListKind : int { lkNone = 0, lkOrdered = 1, lkUnordered = 2, lkDefinition = 3, lkOutside = 4 };

// A list item's marker as its list and its style settle it: the same for every item of a list.
struct TListMarker {
    uint8_t ListType = lkNone;
    ListStyleType Style = ListStyleType::Blank;
    FontRef Font; // shared with the document's runs of the same font
    bool operator==(const TListMarker& other) const = default;
};

// The box of a block as its style gives it, with what else the style settles for the block (a
// list item's marker). Equal styles share one (a listing holds thousands of identical items). A
// box with no value that depends on the room the block gets or on the screen (percentages,
// physical units) is resolved to pixels once, here.
struct TBoxStyle : RefCounted {
    TBoxStyle(TVMarginArray variants, int emSize, int exSize, bool hasBorderStyle, Color textColor,
              TListMarker marker = {});
    // One shared object for equal styles made close together.
    static SharedRef<const TBoxStyle> Shared(TVMarginArray&& variants, int emSize, int exSize,
                                             bool hasBorderStyle, Color textColor, TListMarker marker = {});
    // The shared style of an element's properties with these box values.
    static SharedRef<const TBoxStyle> Of(const TProperties& props, TVMarginArray&& variants,
                                         TListMarker marker = {});
    bool operator==(const TBoxStyle& other) const;

    // The box for a containing width and height, lengths kept in a range layout can add safely.
    TMarginArray Resolve(int width, int height) const { return Fixed ? FixedBox : Compute(width, height); }
    TMarginArray Compute(int width, int height) const;

    TVMarginArray Variants;
    int EmSize;
    int ExSize;
    bool HasBorderStyle;
    Color TextColor;
    bool Fixed = false;
    TMarginArray FixedBox; // the resolved box when Fixed
    TListMarker Marker;
};

// What few blocks have: a background picture, a painting order by layer, a marker picture.
struct TBlockExtras {
    std::unique_ptr<TBlockPicture> BackgroundImage;
    TBackgroundPosition BackgroundPosition;
    std::unique_ptr<TBlockPicture> MarkerImage;
    int Layer = 0; // the painting order; set for floated and positioned blocks only
    // The content ordered for painting by layer; empty while every section is in layer 0 (the
    // content's own order is then the painting order).
    std::vector<TSectionBase*> PaintOrder;
    // Results of the last Arrange that are not 0 only for cleared or positioned blocks.
    int ClearAddon = 0;
    int PosTop = 0;
    int PosLeft = 0;
    // Widths measured in the current layout pass, kept by a block that holds more than text: its
    // ancestors measure it before it measures itself, so without this a deep document would be
    // measured once per level (text sections keep their own).
    int MeasuredMin = 0;
    int MeasuredMax = 0;
    unsigned MeasuredPass = 0;
    // Results of the last Arrange that do not follow from the box and the flow (see
    // TBlock::ContentOffset and its neighbours): floats, positioned blocks, lists keeping room for
    // their markers, blocks beside a float that reaches further down.
    std::optional<int> ContentOffset;
    std::optional<int> ContentY;
    std::optional<int> ContentBottomY;
    std::optional<int> PaintHeight;
};

// The box of a block as its last layout resolved it, with the style it is resolved from. A fixed
// box is read from the style; every block keeps its four margins, which layout settles per block,
// and a box of its own only when it depends on the room or layout changes another value. The top
// and bottom margins are settled when the block is made; taking a box from the style changes only
// the sides. Margins are kept in 16 bits; one beyond that (only absurd styles give one) is kept in
// the box of the block's own, and so are the block's extras: most blocks need neither.
class TBlockBox {
public:
    explicit TBlockBox(SharedRef<const TBoxStyle> style);
    TBlockBox(const TBlockBox& other);
    TBlockBox& operator=(const TBlockBox&) = delete;
    ~TBlockBox();

    const TBoxStyle& Style() const { return Owned() ? *Owned()->style : *StyleOnly(); }
    int32_t operator[](int prop) const { return IsMargin(prop) ? Margin(prop) : Value(prop); }
    int AutoCount() const { return Values() ? Values()->autoCount : 0; }
    // The margin on one side (piMarginTop .. piMarginLeft), as layout settled it.
    int32_t Margin(int prop) const;
    void SetMargin(int prop, int32_t value);
    // Sets any value; the block takes a box of its own first, unless it is a margin that fits.
    void Set(int prop, int32_t value);
    // Takes the style's box resolved for a containing width and height: read from the style
    // when it is fixed.
    void Take(int width, int height);
    // The block's extras; a copy of the box has none.
    TBlockExtras* Extras() const { return Owned() ? Owned()->extras.get() : nullptr; }
    TBlockExtras& MakeExtras();

private:
    struct Own {
        SharedRef<const TBoxStyle> style;
        TMarginArray values;
        std::array<int32_t, 4> wideMargins{}; // the sides coded kWideMargin
        std::unique_ptr<TBlockExtras> extras;
    };
    // Codes of a margin beside its value in -32766 .. 32767.
    static constexpr int16_t kAutoMargin = INT16_MIN; // AutoResult
    static constexpr int16_t kWideMargin = INT16_MIN + 1;
    // The style and the values in one word: the style (its count held here), whose fixed box is
    // the values once taken (kTaken), or (kOwned) a record of the style and values of the block's
    // own, with its wide margins and its extras.
    static constexpr uintptr_t kOwned = 1;
    static constexpr uintptr_t kTaken = 2;
    static constexpr uintptr_t kFlags = kOwned | kTaken;
    static_assert(alignof(TBoxStyle) > kFlags && alignof(Own) > kFlags);

    const TBoxStyle* StyleOnly() const { return reinterpret_cast<const TBoxStyle*>(word_ & ~kFlags); }
    Own* Owned() const { return word_ & kOwned ? reinterpret_cast<Own*>(word_ & ~kFlags) : nullptr; }
    const TMarginArray* Values() const {
        if (const Own* own = Owned()) {
            return &own->values;
        }
        return word_ & kTaken ? &StyleOnly()->FixedBox : nullptr;
    }
    TMarginArray& MakeOwn();
    static bool IsMargin(int prop) { return prop >= piMarginTop && prop <= piMarginLeft; }
    static size_t Side(int prop) { return size_t(prop - piMarginTop); }
    int32_t Value(int prop) const { return Values() ? (*Values())[prop] : 0; }
    bool HasWideMargin(int prop) const { return margins_[Side(prop)] == kWideMargin; }

    uintptr_t word_;
    std::array<int16_t, 4> margins_{};
};

// A block box: margins, borders, padding, an optional width and height, an optional float or
// position, a background, and a content list of its own for its text sections and nested blocks.
class TBlock : public TSectionBase {
public:
    enum Floats { NoFloat = 0, FloatLeft = 5, FloatRight = 6 };
    enum Positions { Static = 0, Absolute = 1, Relative = 2 };
    // The margin a paragraph gets for a margin of "auto" in the style.
    static constexpr int kDefaultParagraphMargin = 14;
    // The room a list block keeps on its left for the item markers.
    static constexpr int kListIndent = 35;

    // Takes the box and the settings from the properties and collapses the top margin with the
    // previous block of ownerList (the block is not in the list yet).
    TBlock(TSectionList* document, TCellBasic* ownerList, const TProperties& props, bool collapse = true);
    TBlock(TSectionList* document, const TBlock& source); // copy for another document
    ~TBlock() override;

    // Bits, as a listing holds a block per entry; first, to fill the padding of the base.
    uint8_t Floating : 3 = NoFloat;
    uint8_t ClearSide : 2 = 0; // 0 none, 1 left, 2 right, 3 both
    uint8_t Positioning : 2 = Static;
    bool ListIndent : 1 = false;
    bool Hidden : 1 = false;
    bool BottomIsDefault : 1 = false;
    int ContentWidth = 0;                     // of the last Arrange, filling the end of the base
    TBlockBox Box;                            // with the style, shared between blocks of equal style
    [[no_unique_address]] TBlockCell Content; // the position below fills the padding at its end
    int ContentX = 0;                         // of the last Arrange

    // The other results of the last Arrange follow, for a block in the flow, from its box, its
    // place and its height; Extras keeps those that do not.
    // The content's distance from the left of the room the block was given.
    int ContentOffset() const;
    int ContentY() const;
    int ContentBottomY() const;
    // How far down the block and the floats beside it paint.
    int PaintHeight() const;

    const TBoxStyle& BoxStyle() const { return Box.Style(); }

    // The vertical margins, settled at creation and never resolved again.
    int MarginTop() const { return Box[piMarginTop]; }
    int MarginBottom() const { return Box[piMarginBottom]; }
    int ClearAddon() const { return Extras() ? Extras()->ClearAddon : 0; }
    int PosTop() const { return Extras() ? Extras()->PosTop : 0; }
    int PosLeft() const { return Extras() ? Extras()->PosLeft : 0; }
    int Layer() const override { return Extras() ? Extras()->Layer : 0; }
    void SetLayer(int layer);
    int YPosition() const override { return ContentY(); }
    int FlowBottom() const override;

    // Made when first needed, kept with the box.
    TBlockExtras* Extras() const { return Box.Extras(); }
    TBlockExtras& MakeExtras() { return Box.MakeExtras(); }
    TBlockPicture* BackgroundImage() const { return Extras() ? Extras()->BackgroundImage.get() : nullptr; }

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
    void EnlistPositions() override;
    bool IsAbsolute() const override { return Positioning == Absolute; }
    bool PaintsOutsideExtent() const override { return Positioning != Static; }
    void TrimDefaultBottomMargin() override;
    // Slot 15: the width of the content box for an available width.
    virtual int ResolveWidth(Canvas& canvas, int width, int autoCount, int availHeight);
    // Tables keep their margins at creation and end the collapsing of the block after them.
    virtual bool IsTableBlock() const { return false; }

    // The borders and paddings of both sides; with margins too when asked.
    int HorizontalExtras(bool withMargins) const;

protected:
    // The painted boxes in view coordinates.
    struct PaintBoxes {
        int x = 0;        // left of the margin box
        int y = 0;        // top of the block (document y)
        Rect border;      // border box
        Rect padding;     // padding box
        int contentX = 0; // where the content is painted
        int xRef = 0;     // references handed to the content
        int yRef = 0;
    };
    PaintBoxes BoxesForPaint(int x, int xRef, int yRef) const;
    void PaintBackground(Canvas& canvas, const Rect& clip, const PaintBoxes& boxes);
    void PaintBorder(Canvas& canvas, const PaintBoxes& boxes) const;
    void PaintContent(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef);
    // Resolves the box for a width and height, with the margins settled at creation.
    void ResolveBox(int width, int availHeight);
    // Steps of Arrange.
    int ClearDistance(const IndentManager& floats, int y) const;
    // Keeps the clearing distance and the offsets of the last Arrange.
    void SetPlacement(int clearAddon, int posTop, int posLeft);
    // Keeps the results of the last Arrange, in Extras only those that do not follow from the box.
    // FlowHeight and the placement are set first.
    void KeepResults(int contentOffset, int contentY, int contentBottomY, int paintHeight);
    TContentExtent ArrangeContent(Canvas& canvas, int x, int contentY, int xRef, int yRef,
                                  IndentManager& floats, int& counter, int& contentMax);
    void BuildPaintOrder();
    // The side margins left auto become 0.
    void ZeroAutoSides();
    // The width left for the content when the margins take what they take.
    int WidthFromRest(int width, int extras, int maxContent, int minContent) const;

    // A block of the given style (a list item's carries its marker).
    TBlock(TSectionList* document, TCellBasic* ownerList, const TProperties& props,
           SharedRef<const TBoxStyle> style, bool collapse);

private:
    void CollapseTopMargin(TCellBasic* ownerList, bool topIsDefault);
    bool HoldsMoreThanText() const;
};

// The block of the document's body: its margins are the page margins, and it paints no
// background or border (the viewer's background is the document's).
class TBodyBlock : public TBlock {
public:
    TBodyBlock(TSectionList* document, TCellBasic* ownerList, const TProperties& props);
    TBodyBlock(TSectionList* document, const TBodyBlock& source);

    std::unique_ptr<TSectionBase> CloneFor(TSectionList& document) const override;
    int Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                IndentManager& floats, int& maxWidth, int& counter) override;
    int Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) override;
    // The body keeps its flow height even when styled to float.
    int FlowBottom() const override { return TSectionBase::FlowBottom(); }
};

// A list item: a block with a marker drawn left of its first line.
class TBlockLI : public TBlock {
public:
    // listTag is the symbol name of the list ("OL", "UL", "DIR", "MENU", "DL"), empty outside a
    // list; level counts the enclosing UL, OL, DIR and MENU lists, the item's own included.
    TBlockLI(TSectionList* document, TCellBasic* ownerList, const TProperties& props,
             std::string_view listTag, int itemNumber, int level, bool plain, char typeLetter);
    TBlockLI(TSectionList* document, const TBlockLI& source);

    int ItemNumber = 1;
    int FirstBaseline = 0;

    // The marker is the style's: the same for every item of a list.
    uint8_t ListType() const { return BoxStyle().Marker.ListType; }
    ListStyleType MarkerStyle() const { return BoxStyle().Marker.Style; }
    const FontRef& MarkerFont() const { return BoxStyle().Marker.Font; }
    TBlockPicture* MarkerImage() const { return Extras() ? Extras()->MarkerImage.get() : nullptr; }

    // The text of a numbered marker ("3.", "c.", "iv."); empty for the other styles and for
    // numbers below 1.
    std::string MarkerLabel() const;

    std::unique_ptr<TSectionBase> CloneFor(TSectionList& document) const override;
    int Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                IndentManager& floats, int& maxWidth, int& counter) override;
    int Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) override;
    void TrimDefaultBottomMargin() override;

private:
    void PaintMarker(Canvas& canvas, int x);
};
// A listing holds an item per entry: the marker and the tag are shared, the rest is its own.
static_assert(sizeof(TBlockLI) <= 88);

// A horizontal rule as a section: a line of Thickness pixels across the room it is given.
class THorzLine : public TSectionBase {
public:
    THorzLine(TSectionList* document, TProperties& props, const TAttributeList& attributes);
    THorzLine(TSectionList* document, const THorzLine& source);

    int Thickness = 2;
    Color RuleColor = clNone;
    int RuleAlign = 2; // 1 left, 2 centre, 3 right
    bool NoShade = false;
    int RuleX = 0;
    int RuleWidth = 0;

    std::unique_ptr<TSectionBase> CloneFor(TSectionList& document) const override;
    void CopySelection() override;
    int Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                IndentManager& floats, int& maxWidth, int& counter) override;
    int Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) override;
};

// The block around a rule: it sizes and aligns the rule in its column.
class THRBlock : public TBlock {
public:
    // Takes the rule (made first from the same properties) as its only content.
    THRBlock(TSectionList* document, TCellBasic* ownerList, const TProperties& props,
             std::unique_ptr<THorzLine> rule);
    THRBlock(TSectionList* document, const THRBlock& source);

    THorzLine* Rule = nullptr;
    int RuleAlign = 2;

    std::unique_ptr<TSectionBase> CloneFor(TSectionList& document) const override;
    int ResolveWidth(Canvas& canvas, int width, int autoCount, int availHeight) override;
};

// A page break: no height; when printing it ends the page it stands on.
class TPage : public TSectionBase {
public:
    using TSectionBase::TSectionBase;
    static constexpr int kPageTopSlack = 5; // a break this close to the page top forces nothing

    std::unique_ptr<TSectionBase> CloneFor(TSectionList& document) const override;
    int Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) override;
};

} // namespace tavlin
