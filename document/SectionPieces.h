#pragma once
#include "document/Section.h"
#include "platform/CodePage.h"

#include <algorithm>
#include <vector>

namespace tavlin {

// Walks a stretch of section text piece by piece: one object (image, panel or form control) at
// its placeholder, or a run of text up to the next font run, object or the stretch's end.
class PieceWalker {
public:
    enum Kind { Text, Object, Control };
    struct Piece {
        Kind kind = Text;
        int start = 0;
        int end = 0;
        int run = 0; // index of the font run at start
        TFloatingObj* object = nullptr;
        int Count() const { return end - start; }
    };

    PieceWalker(const TSection& section, int start, int end)
        : s_(section), p_(start), end_(std::min(end, section.Len())) {
        run_ = s_.FontRuns.IndexAt(start);
        image_ = size_t(std::lower_bound(s_.Images().begin(), s_.Images().end(), start,
                                         [](const auto& obj, int pos) { return obj->Pos < pos; }) -
                        s_.Images().begin());
        control_ = size_t(std::lower_bound(s_.Controls().begin(), s_.Controls().end(), start,
                                           [](const TFloatingObj* obj, int pos) { return obj->Pos < pos; }) -
                          s_.Controls().begin());
    }

    int Position() const { return p_; }

    bool Next(Piece& piece) {
        if (p_ >= end_) {
            return false;
        }
        while (run_ + 1 < s_.FontRuns.Count() && s_.FontRuns[run_ + 1].Pos <= p_) {
            ++run_;
        }
        while (image_ < s_.Images().size() && s_.Images()[image_]->Pos < p_) {
            ++image_;
        }
        while (control_ < s_.Controls().size() && s_.Controls()[control_]->Pos < p_) {
            ++control_;
        }
        piece.start = p_;
        piece.run = run_;
        piece.object = nullptr;
        if (image_ < s_.Images().size() && s_.Images()[image_]->Pos == p_) {
            piece.kind = Object;
            piece.object = s_.Images()[image_++].get();
            piece.end = ++p_;
            return true;
        }
        if (control_ < s_.Controls().size() && s_.Controls()[control_]->Pos == p_) {
            piece.kind = Control;
            piece.object = s_.Controls()[control_++];
            piece.end = ++p_;
            return true;
        }
        int stop = std::min(end_, s_.FontRuns.EndOf(run_, s_.Len()));
        if (image_ < s_.Images().size()) {
            stop = std::min(stop, s_.Images()[image_]->Pos);
        }
        if (control_ < s_.Controls().size()) {
            stop = std::min(stop, s_.Controls()[control_]->Pos);
        }
        piece.kind = Text;
        piece.end = p_ = std::max(stop, p_ + 1);
        return true;
    }

private:
    const TSection& s_;
    int p_;
    int end_;
    int run_ = 0;
    size_t image_ = 0;
    size_t control_ = 0;
};

// The nearest character start at or before `stop` (and after `from`), so a window never cuts a
// character in two.
inline size_t CharacterBoundaryBefore(std::string_view text, size_t from, size_t stop, uint8_t charSet) {
    for (size_t j = stop; j-- > from && stop - j < 4;) {
        const size_t length = characterLength(text, j, charSet);
        if (length > 1) {
            return j + length > stop && j > from ? j : stop;
        }
    }
    return stop;
}

// Widths that layout works with stay far from overflowing when they are added up.
inline constexpr int64_t kMaxLayoutWidth = 1 << 29;
inline int ClampWidth(int64_t width) { return int(std::clamp<int64_t>(width, -kMaxLayoutWidth, kMaxLayoutWidth)); }

// Per-byte ends of a long text measured in windows, so that no single measurement allocates
// in proportion to a huge run. Calls visit(i, end) for each byte i of text with its end x and
// stops when visit returns false. Windows start at firstWindow bytes and double, so a caller that
// needs only a prefix measures about what it uses.
template <typename Visit>
void ForEachCharEnd(Canvas& canvas, std::string_view text, uint8_t charSet, Visit visit,
                    size_t firstWindow = size_t(1) << 15) {
    constexpr size_t kMaxWindow = 1 << 15;
    size_t window = std::clamp<size_t>(firstWindow, 1, kMaxWindow);
    // Kept between calls: one allocation per text measured cost more than the measuring.
    thread_local std::vector<int> ends;
    int64_t base = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t stop = std::min(text.size(), pos + window);
        if (stop < text.size()) {
            stop = CharacterBoundaryBefore(text, pos, stop, charSet);
        }
        canvas.characterEnds(text.substr(pos, stop - pos), ends);
        for (size_t i = 0; i < ends.size(); ++i) {
            if (!visit(pos + i, base + ends[i])) {
                return;
            }
        }
        if (!ends.empty()) {
            base += ends.back();
        }
        pos = stop;
        window = std::min(window * 2, kMaxWindow);
    }
}

} // namespace tavlin
