#pragma once
#include "platform/Canvas.h"
#include "reader/Attributes.h"
#include "reader/Properties.h"

#include <memory>
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
class TRunFont : public TMyFont {
public:
    explicit TRunFont(const TMyFont& font) : TMyFont(font) {}
    TRunMetrics Metrics(Canvas& canvas) const;

private:
    mutable TRunMetrics metrics_;
    mutable uint64_t measuredOn_ = 0; // the canvas's serial; 0 before the first measuring
};

// One font run of a section: from Pos up to the next run's Pos.
class TFontObj {
public:
    TFontObj(TSection* section, int pos, const TMyFont& font);
    TFontObj(TSection* section, const TFontObj& source); // copy for another section

    // Pointers first, then the numbers, then the flags: a long document holds hundreds of
    // thousands of runs, and this order leaves no holes between the fields.
    TSection* Section;
    std::shared_ptr<const TRunFont> TheFont;          // shared with the document's runs of the same font
    std::shared_ptr<const TFontInfoArray> LinkStates; // runs inside a link only; shared, never changed
    std::shared_ptr<const TUrlTarget> Link;           // shared by the runs of one link; null for plain text
    int Pos;
    int ScriptShift = 0; // 0 normal, 1 subscript, 2 superscript
    bool Visited = false;
    bool Hover = false;
    bool Listed = false; // in the document's LinkFonts

    bool HasLink() const { return Link != nullptr; }
    void ReplaceFont(const TMyFont& font);
    void SetVisited(bool visited);
    void SetHover(bool hover);
    // The font's metrics on this canvas, measured the first time the canvas asks for them.
    TRunMetrics Metrics(Canvas& canvas) const { return TheFont->Metrics(canvas); }
    void Select(Canvas& canvas) const { canvas.setFont(TheFont->Desc); }

private:
    void ApplyLinkState();
};

// The runs of a section, ordered by Pos; never empty once the section is made.
class TFontList {
public:
    int Count() const { return int(items_.size()); }
    TFontObj& operator[](int i) const { return *items_[size_t(i)]; }
    TFontObj& Last() const { return *items_.back(); }
    void Add(std::unique_ptr<TFontObj> run) { items_.push_back(std::move(run)); }
    void ShrinkToFit() { items_.shrink_to_fit(); }
    // Index of the run at offset p: the last run whose Pos <= p.
    int IndexAt(int p) const;
    TFontObj& GetFontObjAt(int p) const { return *items_[size_t(IndexAt(p))]; }
    // Characters from p to the next run (or to `length`, the end of the section, after the last).
    int GetFontCountAt(int p, int length) const;
    // Where the run at index i ends.
    int EndOf(int i, int length) const { return i + 1 < Count() ? items_[size_t(i) + 1]->Pos : length; }
    auto begin() const { return items_.begin(); }
    auto end() const { return items_.end(); }

private:
    std::vector<std::unique_ptr<TFontObj>> items_;
};

} // namespace tavlin
