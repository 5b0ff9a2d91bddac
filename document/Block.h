#pragma once
#include "document/FontObj.h"
#include "document/SectionBase.h"
#include "document/SharedRef.h"
#include "reader/Properties.h"

#include <array>
#include <functional>
#include <memory>
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

// The box of a block as its style gives it, with what else the style settles for the block. Equal
// styles share one (a listing holds thousands of identical items). A box with no value that
// depends on the room the block gets or on the screen (percentages, physical units) is resolved
// to pixels once, here.
struct TBoxStyle : RefCounted {
    TBoxStyle(TVMarginArray variants, int emSize, int exSize, bool hasBorderStyle, Color textColor);
    // One shared object for equal styles made close together.
    static SharedRef<const TBoxStyle> Shared(TVMarginArray variants, int emSize, int exSize,
                                             bool hasBorderStyle, Color textColor);
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
};

// The box of a block as its last layout resolved it. A fixed box is read from the style; every
// block keeps its four margins, which layout settles per block, and a box of its own only when it
// depends on the room or layout changes another value. The top and bottom margins are settled when
// the block is made; taking a box from the style changes only the sides.
class TBlockBox {
public:
    TBlockBox() = default;
    TBlockBox(const TBlockBox& other) { *this = other; }
    TBlockBox& operator=(const TBlockBox& other);
    ~TBlockBox() { delete Own(); }

    int32_t operator[](int prop) const {
        if (prop >= piMarginTop && prop <= piMarginLeft) {
            return margins_[size_t(prop - piMarginTop)];
        }
        return Values() ? (*Values())[prop] : 0;
    }
    int AutoCount() const { return Values() ? Values()->autoCount : 0; }
    // The margin on one side (piMarginTop .. piMarginLeft), for layout to settle.
    int32_t& Margin(int prop) { return margins_[size_t(prop - piMarginTop)]; }
    // Sets any value; the block takes a box of its own first.
    void Set(int prop, int32_t value);
    // Takes the style's resolved box: read from the style when it is fixed.
    void Take(const TBoxStyle& style, int width, int height);

private:
    // The values in one word: the style's box, or (low bit set) a box the block owns.
    const TMarginArray* Values() const { return reinterpret_cast<const TMarginArray*>(values_ & ~kOwned); }
    TMarginArray* Own() const {
        return values_ & kOwned ? reinterpret_cast<TMarginArray*>(values_ & ~kOwned) : nullptr;
    }
    TMarginArray& MakeOwn();
    void Share(const TMarginArray* box);

    static constexpr uintptr_t kOwned = 1;
    uintptr_t values_ = 0;
    std::array<int32_t, 4> margins_{};
};

// What few blocks have: a background picture, a painting order by layer, a marker picture.
struct TBlockExtras {
    std::unique_ptr<TBlockPicture> BackgroundImage;
    TBackgroundPosition BackgroundPosition;
    std::unique_ptr<TBlockPicture> MarkerImage;
    // The content ordered for painting by layer; empty while every section is in layer 0 (the
    // content's own order is then the painting order).
    std::vector<TSectionBase*> PaintOrder;
    // Results of the last Arrange that are not 0 only for cleared or positioned blocks.
    int ClearAddon = 0;
    int PosTop = 0;
    int PosLeft = 0;
    int Layer = 0; // set for floated and positioned blocks only
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

    // Bits, as a listing holds a block per entry.
    uint8_t Floating : 3 = NoFloat;
    uint8_t ClearSide : 2 = 0; // 0 none, 1 left, 2 right, 3 both
    uint8_t Positioning : 2 = Static;
    bool ListIndent : 1 = false;
    bool Hidden : 1 = false;
    bool BottomIsDefault : 1 = false;
    int ContentY = 0; // of the last Arrange, filling the end of the base
    SharedRef<const TBoxStyle> BoxStyle; // shared between blocks of equal style
    TBlockBox Box;
    [[no_unique_address]] TBlockCell Content; // the width below fills the padding at its end
    // Results of the last Arrange.
    int ContentWidth = 0;
    std::unique_ptr<TBlockExtras> Extras; // made when first needed
    int ContentOffset = 0;
    int ContentBottomY = 0;
    int ContentX = 0;
    int PaintHeight = 0; // how far down the block and the floats beside it paint

    // The vertical margins, settled at creation and never resolved again.
    int MarginTop() const { return Box[piMarginTop]; }
    int MarginBottom() const { return Box[piMarginBottom]; }
    int ClearAddon() const { return Extras ? Extras->ClearAddon : 0; }
    int PosTop() const { return Extras ? Extras->PosTop : 0; }
    int PosLeft() const { return Extras ? Extras->PosLeft : 0; }
    int Layer() const override { return Extras ? Extras->Layer : 0; }
    void SetLayer(int layer);
    int YPosition() const override { return ContentY; }
    int FlowBottom() const override;

    TBlockExtras& MakeExtras();
    TBlockPicture* BackgroundImage() const { return Extras ? Extras->BackgroundImage.get() : nullptr; }

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
    TContentExtent ArrangeContent(Canvas& canvas, int x, int y, int xRef, int yRef, IndentManager& floats,
                                  int& counter, int& contentMax);
    void BuildPaintOrder();
    // The width left for the content when the margins take what they take.
    int WidthFromRest(int width, int extras, int maxContent, int minContent) const;

private:
    void CollapseTopMargin(TCellBasic* ownerList, bool topIsDefault);

    // Widths measured in the current layout pass: a block's ancestors measure it before it
    // measures itself, so without this a deep document would be measured once per level.
    int measuredMin_ = 0;
    int measuredMax_ = 0;
    unsigned measuredPass_ = 0;
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

// List kinds of a list item.
enum ListKind : int { lkNone = 0, lkOrdered = 1, lkUnordered = 2, lkDefinition = 3, lkOutside = 4 };

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
    uint8_t ListType = lkNone;
    ListStyleType MarkerStyle = ListStyleType::Blank;
    FontRef MarkerFont; // shared with the document's runs of the same font

    TBlockPicture* MarkerImage() const { return Extras ? Extras->MarkerImage.get() : nullptr; }

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
