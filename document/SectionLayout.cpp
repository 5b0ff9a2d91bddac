// Measuring text sections and breaking them into lines around floats.
#include "document/Section.h"
#include "document/SectionList.h"
#include "document/SectionPieces.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace tavlin {

namespace {

// The objects (kept by offset) standing at offsets start .. end - 1: a line looks only at its own,
// however many the section holds.
template <typename Objects>
std::span<const typename Objects::value_type> ObjectsBetween(const Objects& objects, int start, int end) {
    const auto before = [](const auto& obj, int pos) { return obj->Pos < pos; };
    const auto first = std::lower_bound(objects.begin(), objects.end(), start, before);
    const auto last = std::lower_bound(first, objects.end(), end, before);
    return {first, last};
}

bool IsObjectOrBreak(char c) {
    return c == ph::FormControl || c == ph::Image || c == ph::NoBrControl || c == ph::NoBrImage ||
           c == ph::LineBreak;
}

// Space, image or form control: where a line may end.
bool IsBreakOpportunity(char c) { return c == ' ' || c == ph::Image || c == ph::FormControl; }

uint8_t CharSetOf(const TFontObj& run) { return run.Font().Desc.charSet; }

// The fonts of a section's runs as one value: measurements taken in them hold while it holds.
// Folded to 32 bits, as every section keeps one.
uint32_t FontsFingerprint(const TFontList& runs) {
    uint64_t h = uint64_t(runs.Count());
    for (const auto& run : runs) {
        h = h * 1000003 ^ run.Font().DescHash;
    }
    return uint32_t(h ^ (h >> 32));
}

// Width of text measured in windows, so a huge run never needs one huge measurement.
int64_t MeasureText(Canvas& canvas, std::string_view text, uint8_t charSet) {
    constexpr size_t kWindow = 1 << 15;
    if (text.size() <= kWindow) {
        return canvas.textWidth(text);
    }
    int64_t width = 0;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t stop = std::min(text.size(), pos + kWindow);
        if (stop < text.size()) {
            stop = CharacterBoundaryBefore(text, pos, stop, charSet);
        }
        width += canvas.textWidth(text.substr(pos, stop - pos));
        pos = stop;
    }
    return width;
}

// The longest prefix of text whose width less the overhang fits in `room`, and its width.
// Measures growing windows from the front, the first about what the room holds, so the cost
// follows what fits, not the text's length.
int FitPrefix(Canvas& canvas, std::string_view text, uint8_t charSet, int room, int overhang, int maxCharWidth,
              int& width) {
    const size_t firstWindow = 8 + size_t(std::clamp(room, 0, 1 << 20)) * 2 / size_t(std::max(maxCharWidth, 1));
    int fit = int(text.size());
    int64_t fitWidth = 0;
    ForEachCharEnd(
        canvas, text, charSet,
        [&](size_t i, int64_t end) {
            if (end - overhang > room) {
                // Continuation bytes repeat their character's end, so i starts a character.
                fit = int(i);
                return false;
            }
            fitWidth = end;
            return true;
        },
        firstWindow);
    width = ClampWidth(fitWidth);
    return fit;
}

} // namespace

int TSection::TextWidth(Canvas& canvas, int start, int count, bool stripTrailing) const {
    start = std::max(start, 0);
    int end = std::min(Len(), start + std::max(count, 0));
    if (stripTrailing) {
        const std::string_view text = Text();
        while (end > start + 1 && (text[size_t(end - 1)] == ' ' || text[size_t(end - 1)] == ph::LineBreak)) {
            --end;
        }
    }
    int64_t width = 0;
    PieceWalker walker(*this, start, end);
    PieceWalker::Piece piece;
    while (walker.Next(piece)) {
        if (piece.kind == PieceWalker::Text) {
            TFontObj& run = FontRuns[piece.run];
            const int overhang = run.Metrics(canvas).Overhang;
            run.Select(canvas);
            const std::string_view text(Text().data() + piece.start, size_t(piece.Count()));
            width += MeasureText(canvas, text, CharSetOf(run)) - overhang;
        } else if (piece.kind == PieceWalker::Control || !piece.object->Floats()) {
            width += piece.object->FullWidth();
        }
    }
    return ClampWidth(width);
}

int TSection::FitCount(Canvas& canvas, IndentManager& floats, int start, std::vector<TFloatingObj*>& pending,
                       int& floatHeight, int y, int maxCount, int nextBreak) {
    floatHeight = 0;
    maxCount = std::min(maxCount, Len() - start);
    if (maxCount <= 0) {
        return 0;
    }
    const char* text = Text().data();
    const bool hasBreak = nextBreak < start + maxCount;
    if (hasBreak) {
        if (nextBreak == start) {
            return 1;
        }
        maxCount = nextBreak - start;
    }
    const int avail = floats.RightSideAt(y) - floats.LeftIndentAt(y);
    if (start == 0 && Images().empty() && Controls().empty()) {
        // Every run's widest character, not only the first run's: a later, larger font must
        // not slip through.
        int widest = 0;
        for (const auto& run : FontRuns) {
            widest = std::max(widest, run.Metrics(canvas).MaxCharWidth);
        }
        if (int64_t(avail) >= int64_t(maxCount) * widest) {
            return maxCount + (hasBreak ? 1 : 0);
        }
        // The whole text in one line, as measured for its widths.
        if (!hasBreak && cachedMinWidth_ != kNoWidth && cachedReach_ != kNoWidth && cachedReach_ <= avail &&
            cachedReachFonts_ == FontsFingerprint(FontRuns)) {
            return maxCount;
        }
    }
    int used = 0;
    bool atLineStart = true;
    bool stopped = false;
    int p = start;
    PieceWalker walker(*this, start, start + maxCount);
    PieceWalker::Piece piece;
    while (!stopped && walker.Next(piece)) {
        TFloatingObj* obj = piece.object;
        if (piece.kind == PieceWalker::Text) {
            TFontObj& run = FontRuns[piece.run];
            const TRunMetrics m = run.Metrics(canvas);
            run.Select(canvas);
            int width = 0;
            const std::string_view stretch(text + piece.start, size_t(piece.Count()));
            const int fit = FitPrefix(canvas, stretch, CharSetOf(run), avail - used, m.Overhang, m.MaxCharWidth, width);
            p = piece.start + fit;
            if (fit < piece.Count()) {
                stopped = true;
            } else {
                used += width - m.Overhang;
                atLineStart = false;
            }
        } else if (piece.kind == PieceWalker::Control || !obj->Floats()) {
            if (used + obj->FullWidth() > avail) {
                stopped = true;
            } else {
                used += obj->FullWidth();
                atLineStart = false;
                p = piece.end;
            }
        } else if (atLineStart) {
            obj->PlacedY = y;
            const bool fits = used + obj->FullWidth() <= avail;
            // A float too wide for any line is placed alone where no other float ends lower.
            if (fits || (p == start && floats.NextWiderY(y) == y)) {
                floats.PlaceFloatImage(y, *obj);
                used += obj->FullWidth();
                floatHeight = std::max(floatHeight, obj->FullHeight());
                p = piece.end;
            }
            stopped = !fits;
        } else {
            obj->PlacedY = y;
            pending.push_back(obj);
            p = piece.end;
        }
    }
    return p - start + (!stopped && hasBreak && p == start + maxCount ? 1 : 0);
}

int TSection::NextLineBreak(int start) const {
    const void* found = std::memchr(Text().data() + start, ph::LineBreak, size_t(Len() - start));
    return found ? int(static_cast<const char*>(found) - Text().data()) : Len();
}

int TSection::ClearDistance(const IndentManager& floats, int y) const {
    int left = 0;
    int right = 0;
    floats.ClearBottoms(left, right);
    const int bottom = ClearSide == 1 ? left : ClearSide == 2 ? right : ClearSide == 3 ? std::max(left, right) : 0;
    return std::max(bottom - y, 0);
}

void TSection::AddEmptyLine(int start, int& y, int height) {
    LineRec line;
    line.Start = start;
    line.SpaceBefore = height;
    line.BoxHeight = height;
    line.LineY = y;
    lines_.Add(line, LineFrame());
    FlowHeight += height;
    y += height;
}

int TSection::LineCount(Canvas& canvas, IndentManager& floats, int start, std::vector<TFloatingObj*>& pending,
                        int& floatHeight, int y, int& maxWidth, bool& skipDown, int nextBreak) {
    const int rest = Len() - start;
    const int fitted = FitCount(canvas, floats, start, pending, floatHeight, y, rest, nextBreak);
    if (fitted == 0 && floats.NextWiderY(y) > y) {
        skipDown = true;
        return 0;
    }
    const int n = std::max(fitted, CharLengthAt(start));
    if (n >= rest) {
        return rest;
    }
    const char* text = Text().data();
    const int last = start + n - 1;
    const char c = text[last];
    if (c == ph::LineBreak || c == ' ') {
        int end = start + n;
        while (end < Len() && text[end] == ' ') {
            ++end;
        }
        return end - start;
    }
    const char next = text[start + n];
    if ((next == ph::Image || next == ph::FormControl) && !IsNoBreakSpaceAt(last)) {
        return n;
    }
    for (int k = last; k > start; --k) {
        if (IsBreakOpportunity(text[k])) {
            return k - start + 1;
        }
    }
    const char first = text[start];
    if (IsBreakOpportunity(first) || first == ph::NoBrImage) {
        return 1;
    }
    // One word longer than the line: below a float when one ends lower, else it overflows.
    if (floats.NextWiderY(y) > y) {
        pending.clear();
        skipDown = true;
        return 0;
    }
    int end = start + n;
    while (end < Len() && !IsBreakOpportunity(text[end]) && text[end] != ph::LineBreak) {
        ++end;
    }
    while (end < Len() && text[end] == ' ') {
        ++end;
    }
    if (end < Len() && text[end] == ph::LineBreak) {
        ++end;
    }
    maxWidth = std::max(maxWidth, TextWidth(canvas, start, end - start, true));
    return end - start;
}

void TSection::FinishLine(Canvas& canvas, IndentManager& floats, int start, int count, int x, int& y,
                          std::vector<TFloatingObj*>& pending, int floatHeight, int& paintBottom) {
    LineRec line;
    line.Start = start;
    line.CharCount = count;
    line.LineY = y;
    const int end = start + count;
    const char* text = Text().data();
    const bool loneBreak = count == 1 && text[start] == ph::LineBreak;
    const bool objectsOnly = !loneBreak && std::all_of(text + start, text + end, IsObjectOrBreak);
    const auto takeRunMetrics = [&](int from, int to) {
        // The first run starts at or before `from`, so every run taken starts before `to`.
        for (int r = FontRuns.IndexAt(from); r < FontRuns.Count() && FontRuns[r].Pos < to; ++r) {
            const TRunMetrics m = FontRuns[r].Metrics(canvas);
            line.TextHeight = std::max(line.TextHeight, m.FontHeight);
            line.Descent = std::max(line.Descent, m.Descent);
        }
    };
    if (!objectsOnly) {
        takeRunMetrics(start, end);
    }
    if (LineHeight > line.TextHeight) {
        const int d = LineHeight - line.TextHeight;
        line.SpaceBefore = d / 2;
        line.SpaceAfter = d - d / 2;
    }
    const auto images = ObjectsBetween(Images(), start, end);
    const auto controls = ObjectsBetween(Controls(), start, end);
    if (objectsOnly && std::any_of(images.begin(), images.end(), [](const auto& obj) {
            return !obj->Floats() && obj->ObjAlign == AMiddle;
        })) {
        const TRunMetrics m = FontRuns.GetFontObjAt(start).Metrics(canvas);
        line.TextHeight = m.FontHeight;
        line.Descent = m.Descent;
    }
    const auto raise = [&](const TFloatingObj& obj, bool isControl) {
        const int h = obj.FullHeight();
        const int over = h - line.TextHeight;
        switch (obj.ObjAlign) {
        case ATop:
            line.SpaceAfter = std::max(line.SpaceAfter, over);
            break;
        case AMiddle:
            line.SpaceAfter = std::max(line.SpaceAfter, over / 2);
            line.SpaceBefore = std::max(line.SpaceBefore, over - over / 2);
            break;
        case ABaseline:
            line.SpaceBefore = std::max(line.SpaceBefore, over + line.Descent);
            break;
        default: // bottom: images on the baseline, controls on the line's bottom
            line.SpaceBefore = std::max(line.SpaceBefore, isControl ? over : over + line.Descent);
            break;
        }
    };
    for (const auto& image : images) {
        if (!image->Floats()) {
            raise(*image, false);
        }
    }
    for (const TFloatingObj* control : controls) {
        raise(*control, true);
    }
    const int left = floats.LeftIndentAt(y);
    const int right = floats.RightSideAt(y);
    const int textWidth = Justify == 1 ? 0 : TextWidth(canvas, start, count, true);
    line.IndentX = Justify == 2 ? (left + right - textWidth) / 2 - x : Justify == 3 ? right - x - textWidth : left - x;
    line.AvailWidth = right - left;
    const int full = line.FullHeight();
    FlowHeight += full;
    y += full;
    line.BoxHeight = std::max(full, floatHeight);
    for (TFloatingObj* obj : pending) {
        if (obj->Pos < end) {
            floats.PlaceFloatImage(y, *obj);
            line.BoxHeight = std::max(line.BoxHeight, full + obj->FullHeight());
            paintBottom = std::max(paintBottom, y + obj->FullHeight());
        }
    }
    lines_.Add(line, LineFrame());
}

void TSection::IndexLines() {
    int overhang = 0;
    for (const LineRec& line : Lines()) {
        overhang = std::max(overhang, line.BoxHeight - line.FullHeight());
    }
    // Only floats make a box taller than its line, and only sections with pictures hold floats.
    if (overhang > 0 || FontRuns.Attachment()) {
        Extras().BoxOverhang = overhang;
    }
}

int TSection::Arrange(Canvas& canvas, int x, int y, int, int, int width, int, IndentManager& floats,
                      int& maxWidth, int& counter) {
    const int startY = y;
    ArrangeY = y;
    originX_ = x;
    FirstPos = counter;
    PosCount = Len();
    FlowHeight = 0;
    lines_.Clear();
    if (Len() == 0) {
        FlowHeight = IsPreformatted() ? std::max(FontRuns[0].Font().PointSize, 0) : ClearDistance(floats, y);
        SetExtent(y, FlowHeight);
        maxWidth = 0;
        return FlowHeight;
    }
    const int lineWidth = std::min(floats.RightSideAt(y) - floats.LeftIndentAt(y), width);
    maxWidth = std::max(lineWidth, 0);
    for (const auto& image : Images()) {
        image->SetSizeFor(canvas, lineWidth);
        maxWidth = std::max(maxWidth, image->FullWidth());
    }
    for (const TFloatingObj* control : Controls()) {
        maxWidth = std::max(maxWidth, control->FullWidth());
    }
    if (ClearSide != 0) {
        const int distance = ClearDistance(floats, y);
        if (distance > 0) {
            AddEmptyLine(0, y, distance);
        }
    }
    int paintBottom = y;
    int start = 0;
    int nextBreak = -1; // found once for all the lines before it, not searched for in each
    std::vector<TFloatingObj*> pending;
    while (start < Len()) {
        pending.clear();
        int floatHeight = 0;
        int count = Len() - start;
        if (!IsPreformatted()) {
            if (nextBreak < start) {
                nextBreak = NextLineBreak(start);
            }
            bool skipDown = false;
            count = LineCount(canvas, floats, start, pending, floatHeight, y, maxWidth, skipDown, nextBreak);
            paintBottom = std::max(paintBottom, y + floatHeight);
            if (skipDown) {
                AddEmptyLine(start, y, floats.NextWiderY(y) - y);
                continue;
            }
        }
        FinishLine(canvas, floats, start, count, x, y, pending, floatHeight, paintBottom);
        start += count;
    }
    counter += Len();
    if (Document && Document->FirstBaselineSlot && *Document->FirstBaselineSlot == 0) {
        for (const LineRec& line : Lines()) {
            if (line.CharCount > 0) {
                *Document->FirstBaselineSlot = line.LineY + line.SpaceBefore + line.TextHeight - line.Descent;
                break;
            }
        }
    }
    IndexLines();
    SetExtent(startY, std::max(FlowHeight, paintBottom - startY));
    return FlowHeight;
}

void TSection::MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) {
    if (cachedMinWidth_ != kNoWidth && Images().empty()) {
        minWidth = cachedMinWidth_;
        maxWidth = cachedMaxWidth_;
        return;
    }
    int64_t floatSum = 0;
    int widestObject = 0;
    for (const auto& image : Images()) {
        image->SetSizeFor(canvas, 0);
        if (image->Floats()) {
            floatSum += image->FullWidth();
        } else {
            widestObject = std::max(widestObject, image->FullWidth());
        }
    }
    int64_t widestStretch = 0;
    int64_t widestWord = 0;
    int64_t stretch = 0; // since the last line break
    int64_t trimmed = 0; // the same without trailing spaces
    int64_t word = 0;
    int64_t reach = 0; // the farthest any character ends, as line layout measures it
    const auto endWord = [&] {
        widestWord = std::max(widestWord, word);
        word = 0;
    };
    PieceWalker walker(*this, 0, Len());
    PieceWalker::Piece piece;
    while (walker.Next(piece)) {
        if (piece.kind != PieceWalker::Text) {
            endWord();
            if (piece.kind == PieceWalker::Control || !piece.object->Floats()) {
                stretch += piece.object->FullWidth();
                trimmed = stretch;
                widestObject = std::max(widestObject, piece.object->FullWidth());
            }
            continue;
        }
        TFontObj& run = FontRuns[piece.run];
        const int overhang = run.Metrics(canvas).Overhang;
        run.Select(canvas);
        const std::string_view text(Text().data() + piece.start, size_t(piece.Count()));
        const auto take = [&](char c, int64_t advance) {
            if (c == ph::LineBreak) {
                endWord();
                widestStretch = std::max(widestStretch, trimmed);
                stretch = trimmed = 0;
            } else if (c == ' ' || c == ph::Image) {
                endWord();
                stretch += advance;
            } else {
                word += advance;
                stretch += advance;
                trimmed = stretch;
            }
            reach = std::max(reach, stretch - overhang);
        };
        // Plain bytes straight from the font's table; what needs decoding through the canvas.
        unsigned limit = 0;
        const int* advances = canvas.byteAdvances(limit);
        size_t plain = 0;
        for (; advances && plain < text.size() && uint8_t(text[plain]) < limit; ++plain) {
            take(text[plain], advances[uint8_t(text[plain])]);
        }
        const std::string_view rest = text.substr(plain);
        int64_t previousEnd = 0;
        ForEachCharEnd(canvas, rest, CharSetOf(run), [&](size_t i, int64_t charEnd) {
            take(rest[i], charEnd - previousEnd);
            previousEnd = charEnd;
            return true;
        });
        stretch -= overhang;
        trimmed = std::min(trimmed, stretch);
    }
    endWord();
    widestStretch = std::max(widestStretch, trimmed);
    maxWidth = ClampWidth(floatSum + widestStretch);
    minWidth = ClampWidth(std::max<int64_t>({floatSum, widestObject, widestWord}));
    KeepWidths(minWidth, maxWidth, ClampWidth(reach), FontsFingerprint(FontRuns));
}

void TSection::KeepWidths(int minWidth, int maxWidth, int reach, uint32_t fonts) {
    // A width of 0 leaves nothing worth keeping: the section is measured again, as it always was.
    if (minWidth <= 0 || Short(minWidth) == kNoWidth || Short(maxWidth) == kNoWidth) {
        ForgetWidths();
        return;
    }
    cachedMinWidth_ = uint16_t(minWidth);
    cachedMaxWidth_ = uint16_t(maxWidth);
    cachedReach_ = Short(reach);
    cachedReachFonts_ = fonts;
}

int TPreFormated::Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                          IndentManager& floats, int& maxWidth, int& counter) {
    const int savedWidth = floats.Width;
    floats.Width = 32000;
    int height = 0;
    try {
        height = TSection::Arrange(canvas, x, y, xRef, yRef, width, availHeight, floats, maxWidth, counter);
    } catch (...) {
        floats.Width = savedWidth;
        throw;
    }
    floats.Width = savedWidth;
    int minWidth = 0;
    MeasureWidths(canvas, minWidth, maxWidth);
    return height;
}

void TPreFormated::MeasureWidths(Canvas& canvas, int& minWidth, int& maxWidth) {
    int width = CachedMaxWidth();
    if (width <= 0 || !Images().empty()) {
        width = TextWidth(canvas, 0, Len(), false);
        cachedMaxWidth_ = Short(width);
    }
    maxWidth = width;
    minWidth = std::min(2000, maxWidth);
}

} // namespace tavlin
