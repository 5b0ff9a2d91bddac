#pragma once
#include "document/IndentManager.h"
#include "document/SectionArena.h"
#include "document/SectionVector.h"
#include "platform/Canvas.h"
#include "reader/Attributes.h"
#include "reader/IDNames.h"

#include <cstdint>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

class TSectionList;
class TFloatingObj;

// A section that cannot be laid out; its content list reports the message and drops it.
class EProcessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a hit test for links finds: a link (a copy the caller keeps) or a form control.
struct TLinkAnswer {
    TUrlTarget Target;
    bool HasTarget = false;
    TFloatingObj* FormControl = nullptr;
};

// What a position hit test tells besides the position.
struct TPositionHit {
    bool InText = false;
    int LineHeight = 0; // the text height of the line
    int LineTop = 0;    // document y of the top of the line's text
    int X = 0;          // document x of the position
};

// The base of everything in a content list: text sections, blocks, rules, page breaks, tables.
// The virtual operations follow in their slot order; the defaults suit a section of fixed
// height that holds no text.
class TSectionBase : public TIDObject {
public:
    explicit TSectionBase(TSectionList* document);
    TSectionBase(TSectionList* document, const TSectionBase& source); // copy for another document
    ~TSectionBase() override;
    TSectionBase(const TSectionBase&) = delete;
    TSectionBase& operator=(const TSectionBase&) = delete;

    // A section lives on the heap or in its document's arena (MakeInArena); deleting it gives
    // the memory back to whichever it came from.
    static void* operator new(size_t bytes) { return ::operator new(bytes); }
    static void* operator new(size_t bytes, TSectionArena& arena) { return arena.Allocate(bytes); }
    static void operator delete(void* piece, TSectionArena& arena) { arena.Free(piece); }
    static void operator delete(TSectionBase* section, std::destroying_delete_t);

    // Every section and block of a long document pays for these: what only blocks need lives in
    // the blocks, and what follows from the fields here is computed.
    TSectionList* Document;
    int FlowHeight = 0;
    int FirstPos = 0;
    int PosCount = 0;
    int ArrangeY = 0;
    int PaintTop = 0;
    int PaintBottom = 0;
    bool InIDs = false; // bound to a name in the document's IDs

    int AnchorY() const { return YPosition(); }
    // Where the flow below continues: a float, whose flow height is 0, still reaches down.
    virtual int FlowBottom() const { return ArrangeY + FlowHeight; }
    // The painting order in a block: 0 for all but floated and positioned blocks.
    virtual int Layer() const { return 0; }

    // 0: the y the view scrolls to for a name bound to this section.
    int YPosition() const override { return ArrangeY; }
    // 1: a copy of the section for another document.
    virtual std::unique_ptr<TSectionBase> CloneFor(TSectionList& document) const;
    // 2: writes the selected part of the text to the document's ClipBuf.
    virtual void CopySelection() {}
    // 3: lays the section out at y; returns FlowHeight.
    virtual int Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                        IndentManager& floats, int& maxWidth, int& counter);
    // 4: paints what lies in the clip rectangle (view coordinates); returns the y below the section.
    virtual int Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef);
    // 5: the link or form control under a document point.
    virtual bool LinkAt(Canvas& canvas, int x, int y, TLinkAnswer& answer) { return false; }
    // 6: the image or panel under a document point, and the point relative to it.
    virtual bool ObjectAt(int x, int y, TFloatingObj*& object, int& objX, int& objY) { return false; }
    // 7: the document position under a document point, or -1.
    virtual int PositionAt(Canvas& canvas, int x, int y, TPositionHit& hit) { return -1; }
    // 8: the first match at or after `from`, or -1.
    virtual int SearchText(int from, std::string_view text, bool matchCase) { return -1; }
    // 9, 10: document positions and source offsets, both ways; -1 when none.
    virtual int DocToSourcePos(int position) const { return -1; }
    virtual int SourceToDocPos(int sourcePos, bool backwards) const { return -1; }
    // 11: x and the y of the line top of a position; the canvas may be null (x is then the line's).
    virtual bool PositionToXY(Canvas* canvas, int position, int& x, int& y) { return false; }
    // 12: the character at a position and the section that holds it.
    virtual bool CharAt(int position, char& ch, TSectionBase*& section) { return false; }
    // 13: the widest unbreakable piece and the width without any wrapping.
    virtual void MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) {
        minWidth = 0;
        maxWidth = 0;
    }
    // 14: adds itself (or a block its content) to the document's PositionList.
    virtual void EnlistPositions();

    // Hooks for the block kinds. An absolutely positioned block takes no room in the flow and
    // is painted wherever its position says, so band culling must not skip it.
    virtual bool IsAbsolute() const { return false; }
    virtual bool PaintsOutsideExtent() const { return IsAbsolute(); }
    // Drops a bottom margin that is the default paragraph margin (blocks; list items inside).
    virtual void TrimDefaultBottomMargin() {}
    virtual bool IsTextSection() const { return false; }
    // Called when a content list takes the section: false when it should be freed instead.
    virtual bool FinishAndKeep() { return true; }

protected:
    // Geometry after an arrangement that took `height` at y.
    void SetExtent(int y, int height);
};

// An element's tag name, stored once for the process: every content list keeps its number in
// two bytes. The names are the builder's element names, a few dozen.
class TTagName {
public:
    TTagName() = default;
    explicit TTagName(std::string_view tag);
    operator std::string_view() const;
    friend bool operator==(TTagName a, std::string_view b) { return std::string_view(a) == b; }

private:
    uint16_t number_ = 0; // 0: no name
};

// Where the sections of a block's content reach after an arrangement: the lowest flow bottom of
// those in the flow, and the painted extent of all of them.
struct TContentExtent {
    int Bottom = 0;
    int PaintTop = 990000;
    int PaintBottom = 0;
};

// A content list: sections laid out one below the other, and the queries over them. Hit tests
// and painting look only at the sections whose painted extent can touch the band asked for.
// Every block holds one, so it is kept to twelve bytes: the document is its sections'.
class TCellBasic {
public:
    explicit TCellBasic(std::string_view ownerTag);
    TCellBasic(TSectionList* document, const TCellBasic& source); // deep copy for another document
    ~TCellBasic();
    TCellBasic(const TCellBasic&) = delete;
    TCellBasic& operator=(const TCellBasic&) = delete;

    int Count() const { return int(sections_.size()); }
    TSectionBase& operator[](int i) const { return *sections_[size_t(i)]; }
    bool IsEmpty() const { return sections_.empty(); }
    TSectionBase* Last() const { return sections_.empty() ? nullptr : sections_.back(); }

    // Appends a section made for the list's document (text sections are finished first; empty
    // ones are freed instead).
    void AppendSection(std::unique_ptr<TSectionBase> section);
    // Frees every section.
    void ClearSections();

    // The block variant: arranges with the floats of the list that holds the block.
    TContentExtent ArrangeBlock(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                                IndentManager& floats, int& maxWidth, int& counter);
    void MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth);
    // Paints the sections in the band of the clip rectangle with the given floats; returns the y
    // below the last section (0 when there is none).
    int PaintSections(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef);
    bool LinkAt(Canvas& canvas, int x, int y, TLinkAnswer& answer);

    bool ObjectAt(int x, int y, TFloatingObj*& object, int& objX, int& objY);
    int PositionAt(Canvas& canvas, int x, int y, TPositionHit& hit);
    int SearchText(int from, std::string_view text, bool matchCase);
    int DocToSourcePos(int position) const;
    int SourceToDocPos(int sourcePos, bool backwards) const;
    bool PositionToXY(Canvas* canvas, int position, int& x, int& y);
    bool CharAt(int position, char& ch, TSectionBase*& section);
    void CopySelection();
    void EnlistPositions();
    void TrimLastBottomMargin();

protected:
    // Runs fn over the sections whose painted extent contains y, in order, until it answers.
    template <typename Fn> bool ForSectionsAtY(int y, Fn fn) const;
    // Index of the first section whose positions reach `position` (FirstPos + PosCount >= it).
    int FirstSectionReaching(int position) const;
    // Arranges the sections, dropping those that raise EProcessError; returns the sum of heights.
    int ArrangeSections(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                        IndentManager& floats, int& maxWidth, int& counter, TContentExtent* extent);
    void RebuildBandIndex();
    // The bounds of section i in the band index (see TBandIndex).
    int BottomBound(const TBandIndex& band, size_t i) const {
        return band.inFlowOrder ? sections_[i]->PaintBottom : band.bottomPrefixMax[i];
    }
    int TopBound(const TBandIndex& band, size_t i) const {
        return band.inFlowOrder ? sections_[i]->PaintTop : band.topSuffixMin[i];
    }
    // The first section whose bottom bound reaches y (lies beyond it, when `beyond`).
    size_t FirstBottomReaching(const TBandIndex& band, int y, bool beyond) const;
    // The document of the sections; null for an empty list.
    TSectionList* SectionsDocument() const { return sections_.empty() ? nullptr : sections_[0]->Document; }

    // Deep copies of the source's sections for a document.
    void CloneSectionsFrom(TSectionList& document, const TCellBasic& source);
    // The sections with their band index; a list of one section (every list item's) is tested
    // directly and keeps none. The fields are in this order so that they fill twelve bytes.
    TSectionVector sections_;

public:
    TTagName OwnerTag;

protected:
    bool indexed_ = false; // the band index (or a single section's extent) is as the last
                           // arrangement left it: no section was added or removed since
};
static_assert(sizeof(TCellBasic) <= 16, "a content list is held by every block");

// A content list with floats of its own: the document and table cells.
class TCell : public TCellBasic {
public:
    explicit TCell(std::string_view ownerTag);
    TCell(TSectionList* document, const TCell& source);

    IndentManager OwnFloats;
    int StartY = 0; // the y it was arranged at
    int FirstPos = 0;
    int PosCount = 0;
    int PaintedY = 0; // the y it was last painted at

    int Arrange(Canvas& canvas, int y, int width, int availHeight, int& scrollWidth, int& counter);
    int Paint(Canvas& canvas, const Rect& clip, int clipWidth, int x, int y, int xRef, int yRef);
};

// The content list of a block: it lays out with the floats of the list that holds the block.
class TBlockCell : public TCellBasic {
public:
    using TCellBasic::TCellBasic;
};

} // namespace tavlin
