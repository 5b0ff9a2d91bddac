#pragma once
#include "document/SharedRef.h"
#include "platform/Canvas.h"
#include "reader/Attributes.h"
#include "reader/Properties.h"

#include <array>
#include <cstdint>
#include <string_view>
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
class TRunFont : public TMyFont, public RefCounted {
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

// A link as all its runs share it, made once when the link opens. A listing holds a link per
// entry, so its number, address and frame name take one block: the characters follow the object.
class TRunLink : public RefCounted {
public:
    static SharedRef<const TRunLink> Make(const TUrlTarget& link);
    static void operator delete(void* block) noexcept { ::operator delete(block); }

    const int32_t LinkId;
    std::string_view Url() const { return {Chars(), urlSize_}; }
    std::string_view Target() const { return {Chars() + urlSize_, targetSize_}; }
    // The same link: number, address and frame name.
    bool Is(const TUrlTarget& link) const;
    // As the viewer takes the link under the mouse.
    TUrlTarget AsUrlTarget() const;

private:
    struct Chars_ {
        size_t count;
    };
    explicit TRunLink(const TUrlTarget& link);
    static void* operator new(size_t size, Chars_ chars) { return ::operator new(size + chars.count); }
    static void operator delete(void* block, Chars_) noexcept { ::operator delete(block); }
    const char* Chars() const { return reinterpret_cast<const char*>(this + 1); }

    size_t urlSize_;
    size_t targetSize_;
};

// The fonts of a link run for its four states (index: visited + 2 * hover), shared by the runs
// of links of one style.
class TLinkFonts : public RefCounted {
public:
    TLinkFonts(const TFontInfoArray& states, std::array<FontRef, 4> fonts) : States(states), Fonts(fonts) {}
    TFontInfoArray States;
    std::array<FontRef, 4> Fonts;
};

// One font run of a section: from Pos up to the next run's Pos. A section's runs are kept by
// value, so a run is only a few words: shared font, link fonts and link, and small flags.
class TFontObj {
public:
    TFontObj(FontRef font, int pos) : TheFont(std::move(font)), Pos(pos) {}
    // The same run for a copy of its section: an unvisited link without the mouse over it.
    TFontObj CopyForAnotherSection() const;

    FontRef TheFont;                        // shared with the document's runs of the same font
    SharedRef<const TLinkFonts> LinkStates; // runs inside a link only
    SharedRef<const TRunLink> Link;         // shared by the runs of one link; null for plain text
    int Pos;
    uint8_t ScriptShift = 0; // 0 normal, 1 subscript, 2 superscript
    bool Visited = false;
    bool Hover = false;
    bool Listed = false; // in the document's LinkFonts

    bool HasLink() const { return Link != nullptr; }
    void SetVisited(bool visited);
    void SetHover(bool hover);
    // The font's metrics on this canvas, measured the first time the canvas asks for them.
    TRunMetrics Metrics(Canvas& canvas) const { return TheFont->Metrics(canvas); }
    void Select(Canvas& canvas) const { canvas.setFont(TheFont->Desc); }

private:
    void ApplyLinkState();
};

// A run inside a link, as the document's lists find it again: by section and index.
struct TLinkRun {
    TSection* Section = nullptr;
    int Index = 0;

    TFontObj& Run() const;
    explicit operator bool() const { return Section != nullptr; }
    friend bool operator==(const TLinkRun&, const TLinkRun&) = default;
};

} // namespace tavlin
