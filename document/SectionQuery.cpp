// Queries of text sections: hit tests, positions both ways, search and copying.
#include "document/Section.h"
#include "document/SectionList.h"
#include "document/SectionPieces.h"

#include <algorithm>
#include <string>

namespace tavlin {

int TSection::LineAtY(int y) const {
    const size_t beyond = FirstLineBeyond(y, [](const LineRec& line) { return line.LineY; });
    if (beyond == 0) {
        return -1;
    }
    const LineRec line = Line(beyond - 1);
    return y < line.LineY + line.FullHeight() ? int(beyond) - 1 : -1;
}

int TSection::LineOfOffset(int offset) const {
    // Empty bands share the Start of the line after them, so the last line with Start <= offset
    // is the one that holds the character.
    return int(FirstLineBeyond(offset, [](const LineRec& line) { return line.Start; })) - 1;
}

int TSection::OffsetAtX(Canvas& canvas, const LineRec& line, int dx, bool& pastMiddle) const {
    pastMiddle = false;
    int64_t x = 0;
    PieceWalker walker(*this, line.Start, line.End());
    PieceWalker::Piece piece;
    while (walker.Next(piece)) {
        if (piece.kind != PieceWalker::Text) {
            if (piece.kind == PieceWalker::Object && piece.object->Floats()) {
                continue;
            }
            const int w = piece.object->FullWidth();
            if (dx < x + w) {
                pastMiddle = dx >= x + w / 2;
                return piece.start;
            }
            x += w;
            continue;
        }
        TFontObj& run = FontRuns[piece.run];
        const int overhang = run.Metrics(canvas).Overhang;
        run.Select(canvas);
        const std::string_view text(Text().data() + piece.start, size_t(piece.Count()));
        int64_t previousEnd = 0;
        int found = -1;
        ForEachCharEnd(canvas, text, run.Font().Desc.charSet, [&](size_t i, int64_t end) {
            if (x + end - overhang > dx) {
                // The first byte past dx starts its character (continuations repeat the end).
                found = int(i);
                pastMiddle = dx >= x + (previousEnd + end) / 2;
                return false;
            }
            previousEnd = end;
            return true;
        });
        if (found >= 0) {
            return piece.start + found;
        }
        x += previousEnd - overhang;
    }
    return line.End();
}

bool TSection::LinkAt(Canvas& canvas, int x, int y, TLinkAnswer& answer) {
    if (!Document) {
        return false;
    }
    for (const auto& image : Images()) {
        if (!image->Contains(x, y)) {
            continue;
        }
        Document->HoverImage = image.get();
        const int imageX = x - image->DrawX;
        const int imageY = y - image->DrawYY;
        if (image->ObjectLinkAt(imageX, imageY, answer)) {
            return answer.HasTarget || answer.FormControl; // an image map may answer "no link"
        }
        const int index = FontRuns.IndexAt(image->Pos);
        const TFontObj& run = FontRuns[index];
        if (!run.HasLink()) {
            return false;
        }
        answer.Target = LinkOf(run).AsUrlTarget();
        answer.HasTarget = true;
        if (image->IsMap()) {
            answer.Target.Url += "?" + std::to_string(imageX) + "," + std::to_string(imageY);
        }
        Document->HoverLink = {this, index};
        return true;
    }
    // The line whose painted band holds y; PaintY only grows from line to line.
    const size_t beyond = FirstLineBeyond(y, [](const LineRec& line) { return line.PaintY(); });
    if (beyond == 0) {
        return false;
    }
    const LineRec line = Line(beyond - 1);
    if (line.CharCount == 0 || y >= line.PaintY() + line.FullHeight() || x < PaintXOf(line)) {
        return false;
    }
    bool pastMiddle = false;
    const int offset = OffsetAtX(canvas, line, x - PaintXOf(line), pastMiddle);
    if (offset >= line.End()) {
        return false;
    }
    const char c = Text()[size_t(offset)];
    const int index = FontRuns.IndexAt(offset);
    const TFontObj& run = FontRuns[index];
    if (c == ph::Image || c == ph::NoBrImage || !run.HasLink()) {
        return false;
    }
    answer.Target = LinkOf(run).AsUrlTarget();
    answer.HasTarget = true;
    Document->HoverLink = {this, index};
    return true;
}

bool TSection::ObjectAt(int x, int y, TFloatingObj*& object, int& objX, int& objY) {
    for (const auto& image : Images()) {
        if (image->Contains(x, y)) {
            object = image.get();
            objX = x - image->DrawX;
            objY = y - image->DrawYY;
            return true;
        }
    }
    return false;
}

int TSection::PositionAt(Canvas& canvas, int x, int y, TPositionHit& hit) {
    if (Len() == 0 || x < originX_) {
        return -1;
    }
    const int index = LineAtY(y);
    if (index < 0) {
        return -1;
    }
    const LineRec line = Line(size_t(index));
    if (x > PaintXOf(line) + line.AvailWidth) {
        return -1;
    }
    hit.LineHeight = line.TextHeight;
    hit.LineTop = line.LineY + line.SpaceBefore;
    int lineEnd = line.End();
    if (lineEnd > line.Start && Text()[size_t(lineEnd - 1)] == ph::LineBreak) {
        --lineEnd; // the caret stays before a line break
    }
    int offset = line.Start;
    hit.InText = false;
    if (x >= PaintXOf(line) && line.CharCount > 0) {
        bool pastMiddle = false;
        offset = OffsetAtX(canvas, line, x - PaintXOf(line), pastMiddle);
        if (offset < lineEnd) {
            hit.InText = true;
            if (pastMiddle) {
                offset = std::min(offset + CharLengthAt(offset), lineEnd);
            }
        } else {
            offset = lineEnd;
        }
    }
    hit.X = PaintXOf(line) +
            (offset > line.Start ? TextWidth(canvas, line.Start, offset - line.Start, false) : 0);
    return FirstPos + offset;
}

bool TSection::PositionToXY(Canvas* canvas, int position, int& x, int& y) {
    const int offset = OffsetOf(position);
    if (Len() == 0 || offset < 0 || offset > Len() || lines_.empty()) {
        return false;
    }
    const int index = LineOfOffset(offset);
    if (index < 0) {
        return false;
    }
    const LineRec line = Line(size_t(index));
    y = line.LineY;
    x = PaintXOf(line);
    if (canvas && offset > line.Start) {
        x += TextWidth(*canvas, line.Start, offset - line.Start, false);
    }
    return true;
}

bool TSection::CharAt(int position, char& ch, TSectionBase*& section) {
    const int offset = OffsetOf(position);
    if (offset < 0 || offset >= Len()) {
        return false;
    }
    ch = Text()[size_t(offset)];
    section = this;
    return true;
}

int TSection::DocToSourcePos(int position) const {
    const int offset = OffsetOf(position);
    if (offset < 0 || offset >= Len()) {
        return -1;
    }
    // A copy for another document keeps no source map.
    const int index = FontRuns.MapRunAt(offset);
    if (index < 0) {
        return -1;
    }
    const IndexObj run = FontRuns.MapRun(size_t(index));
    return run.Index + offset - run.Pos;
}

int TSection::SourceToDocPos(int sourcePos, bool backwards) const {
    const size_t n = FontRuns.MapSize();
    const auto runEnd = [&](size_t i) { return i + 1 < n ? FontRuns.MapRun(i + 1).Pos : Len(); };
    if (n == 0 || Len() == 0) {
        return -1;
    }
    if (!backwards) {
        for (size_t i = 0; i < n; ++i) {
            const IndexObj run = FontRuns.MapRun(i);
            const int count = runEnd(i) - run.Pos;
            if (sourcePos < run.Index) {
                return FirstPos + run.Pos; // in a gap: the first character after it
            }
            if (sourcePos < run.Index + count) {
                return FirstPos + run.Pos + (sourcePos - run.Index);
            }
        }
        return -1;
    }
    for (size_t i = n; i-- > 0;) {
        const IndexObj run = FontRuns.MapRun(i);
        const int count = runEnd(i) - run.Pos;
        if (sourcePos >= run.Index + count) {
            return FirstPos + run.Pos + count - 1; // in a gap or beyond: the character before it
        }
        if (sourcePos >= run.Index) {
            return FirstPos + run.Pos + (sourcePos - run.Index);
        }
    }
    return -1;
}

namespace {

// Bytes compared without regard to case: ASCII letters, and the Latin-1 letters both as
// single bytes and as the second byte of their two-byte UTF-8 form.
unsigned char FoldedAt(std::string_view s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c >= 'A' && c <= 'Z') {
        return static_cast<unsigned char>(c + 32);
    }
    if (c >= 0x80 && c <= 0x9E && c != 0x97 && i > 0 && static_cast<unsigned char>(s[i - 1]) == 0xC3) {
        return static_cast<unsigned char>(c + 32);
    }
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7 && utf8SequenceLength(s, i) <= 1) {
        return static_cast<unsigned char>(c + 32);
    }
    return c;
}

bool MatchesAt(std::string_view text, size_t at, std::string_view pattern, bool matchCase) {
    for (size_t k = 0; k < pattern.size(); ++k) {
        const bool same = matchCase ? text[at + k] == pattern[k] : FoldedAt(text, at + k) == FoldedAt(pattern, k);
        if (!same) {
            return false;
        }
    }
    return true;
}

} // namespace

int TSection::SearchText(int from, std::string_view text, bool matchCase) {
    const int start = std::max(OffsetOf(from), 0);
    if (text.empty() || start > Len()) {
        return -1;
    }
    const std::string_view body = Text();
    const size_t last = body.size() >= text.size() ? body.size() - text.size() : std::string_view::npos;
    if (last == std::string_view::npos) {
        return -1;
    }
    const unsigned char first = FoldedAt(text, 0);
    for (size_t at = size_t(start); at <= last; ++at) {
        const bool candidate = matchCase ? body[at] == text[0] : FoldedAt(body, at) == first;
        // A match never starts inside a character.
        if (candidate && CharStartAtOrBefore(int(at)) == int(at) && MatchesAt(body, at, text, matchCase)) {
            return FirstPos + int(at);
        }
    }
    return -1;
}

void TSection::CopySelection() {
    if (!Document || !Document->ClipBuf || Len() == 0) {
        return;
    }
    TTextSink& sink = *Document->ClipBuf;
    const int selStart = OffsetOf(Document->SelStart);
    const int selEnd = OffsetOf(Document->SelEnd);
    for (const LineRec& line : Lines()) {
        if (line.CharCount == 0 || line.End() <= selStart) {
            continue;
        }
        if (line.Start >= selEnd) {
            break;
        }
        // Whole characters only: a selection end inside one takes all of it.
        const int from = CharStartAtOrBefore(std::max(line.Start, selStart));
        const int to = CharStartAtOrAfter(std::min(line.End(), selEnd));
        if (from == line.Start && line.IndentX >= 35) {
            sink.AddText(std::string(size_t(3 * (line.IndentX / 35)), ' '));
        }
        const std::string_view piece(Text().data() + from, size_t(to - from));
        if (to == line.End()) {
            sink.AddTextCR(piece);
        } else {
            sink.AddText(piece);
        }
    }
}

} // namespace tavlin
