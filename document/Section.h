#pragma once
#include "document/FloatingObj.h"
#include "document/FontList.h"
#include "document/FontObj.h"
#include "document/SectionBase.h"
#include "document/SectionLines.h"
#include "reader/TokenObj.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

class TCellBasic;
class TProperties;
class TAttributeList;

// Placeholder characters of section text.
namespace ph {
inline constexpr char FormControl = 2;
inline constexpr char Image = 4;
inline constexpr char NoBrSpace = 5; // from the reader inside NOBR; never stored
inline constexpr char NoBrControl = 6;
inline constexpr char NoBrImage = 7;
inline constexpr char LineBreak = 8;
inline constexpr unsigned char NoBreakSpace = 160;
} // namespace ph

// What few sections need, apart, made on first use: the pictures, panels and form controls
// standing in the text, and how far they make the lines' boxes reach.
struct TSectionExtras {
    std::vector<std::unique_ptr<TFloatingObj>> Images; // images and panels, by offset
    std::vector<TFloatingObj*> Controls;               // form controls, by offset (not owned)
    // How far below its own height a line's box reaches, at most: the floats beside and below it.
    int BoxOverhang = 0;
};
// What a section without any answers; built at compile time, so it is there before any section.
inline constinit const TSectionExtras kNoSectionExtras;

// One paragraph of inline content: text with objects standing in it as placeholder characters,
// font runs, and the lines it was last laid out in.
class TSection : public TSectionBase {
public:
    // A section the document builder opens: font, link, line height, alignment and clearing from
    // the properties and attributes in force.
    TSection(TSectionList* document, const TUrlTarget* link, const TProperties& props,
             const TAttributeList* attributes);
    // A section with a given first font (and link, with its four link fonts when there is one).
    TSection(TSectionList* document, const TMyFont& font, const TUrlTarget* link = nullptr,
             const TFontInfoArray* linkStates = nullptr);
    TSection(TSectionList* document, const TSection& source); // copy for another document
    ~TSection() override;

    // A long document holds a section per paragraph, so the fields are ordered to leave no gaps:
    // the bytes and originX_ fill the end of the base, LineHeight the end of the runs' list.
    uint8_t Justify : 2 = 1;   // 1 left, 2 centre, 3 right
    uint8_t ClearSide : 2 = 0; // 0 none, 1 left, 2 right, 3 both
    bool AnchorTarget : 1 = false;

protected:
    uint16_t cachedReach_ = kNoWidth; // fills the two bytes beside the bits above

protected:
    int originX_ = 0; // the x the lines start from: where laid out, then where last painted

public:
    [[no_unique_address]] TFontList FontRuns; // with the text and the source map
    int LineHeight = 0;

protected:
    TLineList lines_; // read through Lines() and Line()

protected:
    // Measured with the widths below: the fonts the text was measured in (as one value), and how
    // far it reaches laid out in one line (cachedReach_), so that a line that takes the whole
    // text needs no measuring of its own. Every block measures its content, so every section
    // holds these, in 16 bits: a section wider than that is measured again when asked, which
    // costs time on a long paragraph but never changes an answer.
    static constexpr uint16_t kNoWidth = 0xFFFF;
    uint32_t cachedReachFonts_ = 0;
    uint16_t cachedMinWidth_ = kNoWidth;
    uint16_t cachedMaxWidth_ = kNoWidth;

public:

    // The lines it was last laid out in, read one by one.
    class LineRange {
    public:
        class iterator {
        public:
            iterator(const TSection& section, size_t i) : section_(&section), i_(i) {}
            LineRec operator*() const { return section_->Line(i_); }
            iterator& operator++() {
                ++i_;
                return *this;
            }
            bool operator==(const iterator& other) const = default;

        private:
            const TSection* section_;
            size_t i_;
        };
        explicit LineRange(const TSection& section) : section_(section) {}
        size_t size() const { return section_.lines_.size(); }
        bool empty() const { return section_.lines_.empty(); }
        LineRec operator[](size_t i) const { return section_.Line(i); }
        LineRec front() const { return section_.Line(0); }
        LineRec back() const { return section_.Line(size() - 1); }
        iterator begin() const { return {section_, 0}; }
        iterator end() const { return {section_, size()}; }

    private:
        const TSection& section_;
    };
    LineRange Lines() const { return LineRange(*this); }
    LineRec Line(size_t i) const { return lines_.At(i, LineFrame()); }

    // The widths of the last measuring, when kept; -1 when not.
    int CachedMinWidth() const { return cachedMinWidth_ == kNoWidth ? -1 : cachedMinWidth_; }
    int CachedMaxWidth() const { return cachedMaxWidth_ == kNoWidth ? -1 : cachedMaxWidth_; }
    std::string_view Text() const { return FontRuns.Text(); }
    int Len() const { return int(FontRuns.Text().size()); }
    int PaintHeight() const { return PaintBottom - ArrangeY; }
    const std::vector<std::unique_ptr<TFloatingObj>>& Images() const { return ExtrasOrNone().Images; }
    const std::vector<TFloatingObj*>& Controls() const { return ExtrasOrNone().Controls; }
    // The x where a line was painted last (or laid out, before any painting).
    int PaintXOf(const LineRec& line) const { return originX_ + line.IndentX; }
    // A document position as an offset in this section, kept within -1 .. Len() + 1 so that
    // positions from anywhere compare safely.
    int OffsetOf(int position) const {
        return int(std::clamp<int64_t>(int64_t(position) - FirstPos, -1, int64_t(Len()) + 1));
    }
    virtual bool IsPreformatted() const { return false; }
    bool IsTextSection() const override { return true; }

    // Where a line's parts lie in view coordinates while it is painted.
    struct LineGeometry {
        int top = 0;     // top of the line
        int textTop = 0; // top of the line's text
        int baseline = 0;
        int textHeight = 0;
    };

    // Building.
    void ChangeFont(const TProperties& props, int scriptShift);
    void SetLink(bool start, const TProperties& props, const TUrlTarget* link);
    // The same with the font given: a new run at the end, keeping the link in force.
    TFontObj& ChangeFont(const TMyFont& font, int scriptShift = 0);
    // A new run that starts (or, with an empty or no link, ends) a link.
    TFontObj& SetLink(const TMyFont& font, const TUrlTarget* link, const TFontInfoArray* linkStates);
    // Slot 15 and 16: text arrives here; noBreak is the reader's NOBR state.
    virtual void AppendChar(char code, int32_t sourcePos, bool noBreak);
    virtual void AppendText(const TokenObj& token, bool noBreak);
    // An image or panel at the end (owned), a form control at the end (not owned).
    TFloatingObj& AddObject(std::unique_ptr<TFloatingObj> object, int32_t sourcePos, bool noBreak);
    void AddControl(TFloatingObj* control, int32_t sourcePos, bool noBreak);
    // Drops the room that appending left spare.
    void Finish();
    bool FinishAndKeep() override;

    // Measuring.
    int TextWidth(Canvas& canvas, int start, int count, bool stripTrailing) const;
    // nextBreak: the first line break at or after start (Len() when there is none).
    int FitCount(Canvas& canvas, IndentManager& floats, int start, std::vector<TFloatingObj*>& pending,
                 int& floatHeight, int y, int maxCount, int nextBreak);

    // The operations of the content list.
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

    // The link of one of the section's runs (empty when it has none).
    TRunLink LinkOf(const TFontObj& run) const;

    // True when the byte at i stands for a no-break space (not part of a UTF-8 character).
    bool IsNoBreakSpaceAt(int i) const;
    // The length in bytes of the character starting at i under its run's character set.
    int CharLengthAt(int i) const;
    // Character boundaries: p itself when a character starts there, else the start of the
    // character holding p, or the end of it.
    int CharStartAtOrBefore(int p) const;
    int CharStartAtOrAfter(int p) const;

protected:
    virtual bool TakesMoreText() const { return true; }
    // The number in this section's document of the link of a run of a section copied from.
    uint32_t LinkNumberFrom(const TSection& source, const TFontObj& run) const;
    void AppendChars(std::string_view chars, const int32_t* positions, bool noBreak);
    void AppendRaw(std::string_view chars, const int32_t* positions);
    // Text outside preformatted sections, after the white-space rules for its first character.
    void AppendFlowing(std::string_view chars, const int32_t* positions, bool noBreak);
    // The source map grows as runs: the character at offset came from sourcePos; the last
    // character, replaced, came from sourcePos instead.
    void MapSourcePos(int offset, int32_t sourcePos);
    void RemapLastChar(int32_t sourcePos);
    // The measuring cache: kept when every width fits, forgotten when the text changes.
    void KeepWidths(int minWidth, int maxWidth, int reach, uint32_t fonts);
    void ForgetWidths() { cachedMinWidth_ = cachedMaxWidth_ = cachedReach_ = kNoWidth; }
    static uint16_t Short(int width) { return width >= 0 && width < kNoWidth ? uint16_t(width) : kNoWidth; }
    // Line layout.
    int ClearDistance(const IndentManager& floats, int y) const;
    void AddEmptyLine(int start, int& y, int height);
    int NextLineBreak(int start) const;
    int LineCount(Canvas& canvas, IndentManager& floats, int start, std::vector<TFloatingObj*>& pending,
                  int& floatHeight, int y, int& maxWidth, bool& skipDown, int nextBreak);
    void FinishLine(Canvas& canvas, IndentManager& floats, int start, int count, int x, int& y,
                    std::vector<TFloatingObj*>& pending, int floatHeight, int& paintBottom);
    void IndexLines();
    // Painting.
    void DrawLine(Canvas& canvas, const LineRec& line, IndentManager& floats, int x, const Rect& clip);
    // Draws bytes a..b of one run at px; returns the x after them (beyond clip.right when cut).
    int DrawText(Canvas& canvas, TFontObj& run, int a, int b, bool selected, bool caretHere, int px,
                 const LineGeometry& g, IndentManager& floats, const Rect& clip);
    // Hit tests: the offset of the character under dx pixels from where the line is painted (within
    // the line, or its end), and whether dx lies past that character's middle.
    int OffsetAtX(Canvas& canvas, const LineRec& line, int dx, bool& pastMiddle) const;
    int LineAtY(int y) const;
    // The first line whose key (growing from line to line) lies beyond value; the line count if none.
    template <typename Key> size_t FirstLineBeyond(int value, Key key) const {
        size_t low = 0;
        size_t high = lines_.size();
        while (low < high) {
            const size_t mid = low + (high - low) / 2;
            if (value < key(Line(mid))) {
                high = mid;
            } else {
                low = mid + 1;
            }
        }
        return low;
    }
    TLineList::Frame LineFrame() const { return {ArrangeY, Len()}; }
    int LineOfOffset(int offset) const;

private:
    // The building calls above with the font already taken from the document's pool.
    TSection(TSectionList* document, FontRef font, const TUrlTarget* link, const TFontInfoArray* linkStates);
    TFontObj& ChangeFont(FontRef font, int scriptShift);
    TFontObj& SetLink(FontRef font, const TUrlTarget* link, const TFontInfoArray* linkStates);
    // Kept with the runs' block, which only sections that have extras make room for.
    const TSectionExtras& ExtrasOrNone() const {
        const auto* extras = static_cast<const TSectionExtras*>(FontRuns.Attachment());
        return extras ? *extras : kNoSectionExtras;
    }
    TSectionExtras& Extras();
};

// Preformatted text: one source line, never wrapped, clipped when painted.
class TPreFormated : public TSection {
public:
    using TSection::TSection;
    TPreFormated(TSectionList* document, const TPreFormated& source);
    static constexpr int kMaxChars = 20000;

    bool IsPreformatted() const override { return true; }
    std::unique_ptr<TSectionBase> CloneFor(TSectionList& document) const override;
    int Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                IndentManager& floats, int& maxWidth, int& counter) override;
    void MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) override;

protected:
    bool TakesMoreText() const override { return Len() <= kMaxChars; }
};

} // namespace tavlin
