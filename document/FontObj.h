#pragma once
#include "document/LinkTable.h"
#include "document/SharedRef.h"
#include "platform/Canvas.h"
#include "reader/Attributes.h"
#include "reader/Properties.h"

#include <array>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace tavlin {

class TSection;

// A font as a text run uses it: what the canvas selects, the text colour, the background
// colour (clNone: drawn transparently) and the size in points it was asked for.
struct TMyFont {
    FontDesc Desc;
    Color FontColor = 0;
    Color BgColor = clNone;
    int PointSize = 12;

    // Pixel sizes beyond these draw nothing useful and make the toolkit's fonts fail.
    static constexpr int kMinHeight = 1;
    static constexpr int kMaxHeight = 4000;

    static TMyFont FromChoice(const FontChoice& choice, int pointSize);
    static TMyFont FromInfo(const ThtFontInfo& info);
    void Assign(const TMyFont& other) { *this = other; }
    TMyFont Clamped() const;
};

// What line layout and painting read of a run's font, measured on one canvas.
struct TRunMetrics {
    int FontHeight = 0; // character height plus external leading
    int MaxCharWidth = 0;
    int Overhang = 0;
    int Descent = 0;
};

// A font as the runs of a document share it, with its metrics as measured on the canvas that
// asked last: the print copy and other canvases that share the font measure it anew.
class alignas(8) TRunFont : public TMyFont, public RefCounted {
public:
    explicit TRunFont(const TMyFont& font) : TMyFont(font), DescHash(HashOf(font.Desc)) {}
    TRunMetrics Metrics(Canvas& canvas) const;
    // What a run's measured widths depend on, hashed once: layout compares it on every fit.
    const size_t DescHash;

private:
    static size_t HashOf(const FontDesc& desc);
    mutable TRunMetrics metrics_;
    mutable uint64_t measuredOn_ = 0; // the canvas's serial; 0 before the first measuring
};
using FontRef = SharedRef<const TRunFont>;

// The fonts of a link run for its four states (index: visited + 2 * hover), shared by the runs
// of links of one style. Aligned so that a run can tell it from a plain font by a spare bit.
class alignas(8) TLinkFonts : public RefCounted {
public:
    TLinkFonts(const TFontInfoArray& states, std::array<FontRef, 4> fonts) : States(states), Fonts(fonts) {}
    TFontInfoArray States;
    std::array<FontRef, 4> Fonts;
};

// One font run of a section: from Pos up to the next run's Pos. A long listing holds hundreds
// of thousands of runs, kept by value, so a run is one word that points to its shared font (or,
// inside a link, to the link fonts its state picks from), its offset, its link's number in the
// document's link table and a few flags.
class TFontObj {
public:
    TFontObj(FontRef font, int pos) : Pos(pos), style_(Share(font.get())) {}
    TFontObj(const TFontObj& other) : Pos(other.Pos), style_(other.style_) {
        CopyBits(other);
        Retain();
    }
    TFontObj(TFontObj&& other) noexcept : Pos(other.Pos), style_(std::exchange(other.style_, 0)) {
        CopyBits(other);
    }
    TFontObj& operator=(const TFontObj& other) {
        TFontObj copy(other);
        std::swap(style_, copy.style_);
        Pos = other.Pos;
        CopyBits(other);
        return *this;
    }
    ~TFontObj() { Release(); }

    // The same run for a copy of its section: an unvisited link without the mouse over it, whose
    // number the copy's document gives.
    TFontObj CopyForAnotherSection() const;

    // The font the run is drawn in: its own, or inside a link the link font of its state.
    const TRunFont& Font() const {
        return IsLinkFonts() ? *LinkStates()->Fonts[size_t(Visited) + 2 * size_t(Hover)] : *PlainFont();
    }
    // A font of its own: the run leaves the link fonts it had.
    void SetFont(FontRef font) { Replace(Share(font.get())); }
    // The four link fonts the run's font follows; null when it has a font of its own.
    const TLinkFonts* LinkStates() const {
        return IsLinkFonts() ? reinterpret_cast<const TLinkFonts*>(style_ & ~kLinkFontsBit) : nullptr;
    }
    // Takes the link fonts, in the state of an unvisited link without the mouse over it.
    void SetLinkStates(const SharedRef<const TLinkFonts>& states);

    // The number of the run's link in its document's link table (TLinkTable::kNoLink: none).
    uint32_t LinkNumber() const { return link_; }
    void SetLinkNumber(uint32_t number) {
        link_ = number <= TLinkTable::kMaxLinks ? number : TLinkTable::kNoLink;
    }
    bool HasLink() const { return link_ != TLinkTable::kNoLink; }

    void SetVisited(bool visited) { Visited = visited; }
    void SetHover(bool hover) { Hover = hover; }
    // The font's metrics on this canvas, measured the first time the canvas asks for them.
    TRunMetrics Metrics(Canvas& canvas) const { return Font().Metrics(canvas); }
    void Select(Canvas& canvas) const { canvas.setFont(Font().Desc); }

    int Pos;
    uint8_t ScriptShift : 2 = 0; // 0 normal, 1 subscript, 2 superscript
    bool Visited : 1 = false;
    bool Hover : 1 = false;

private:
    uint32_t link_ : 27 = TLinkTable::kNoLink; // shares the word of the flags above
    static constexpr uintptr_t kLinkFontsBit = 1;
    static_assert(alignof(TRunFont) > kLinkFontsBit && alignof(TLinkFonts) > kLinkFontsBit);

    bool IsLinkFonts() const { return (style_ & kLinkFontsBit) != 0; }
    const TRunFont* PlainFont() const { return reinterpret_cast<const TRunFont*>(style_); }
    // The pointer with one more owner, as the run keeps it.
    static uintptr_t Share(const TRunFont* font);
    static uintptr_t Share(const TLinkFonts* states);
    void Replace(uintptr_t style) {
        Release();
        style_ = style;
    }
    void Retain() const;
    void Release() const;
    void CopyBits(const TFontObj& other) {
        ScriptShift = other.ScriptShift;
        Visited = other.Visited;
        Hover = other.Hover;
        link_ = other.link_;
    }

    uintptr_t style_; // a TRunFont, or a TLinkFonts with kLinkFontsBit set; one owner each
};

// A run inside a link, as the document finds it again (the run under the mouse): by section and
// index.
struct TLinkRun {
    TSection* Section = nullptr;
    int Index = 0;

    TFontObj& Run() const;
    TRunLink Link() const; // the run's link
    int32_t LinkId() const; // its number as the reader gave it, without reading the link
    explicit operator bool() const { return Section != nullptr; }
    friend bool operator==(const TLinkRun&, const TLinkRun&) = default;
};

} // namespace tavlin
