// Painting text sections: lines in the band, text runs with selection, caret and script shifts,
// and the objects standing in the text.
#include "document/Section.h"
#include "document/SectionList.h"
#include "document/SectionPieces.h"

#include <algorithm>
#include <climits>

namespace tavlin {

namespace {

// The top of an object's box standing in a line, by its alignment. Images and panels sit with
// their bottom on the baseline unless aligned otherwise; a bottom-aligned form control sits on
// the bottom of the line's text.
int ObjectTop(const TFloatingObj& obj, const TSection::LineGeometry& g, bool isControl) {
    const int h = obj.FullHeight();
    const int over = h - g.textHeight;
    switch (obj.ObjAlign) {
    case ATop:
        return g.textTop + obj.TopSpace;
    case AMiddle:
        return g.textTop - (over - over / 2) + obj.TopSpace;
    case ABaseline:
        return g.baseline - h + obj.TopSpace;
    default:
        return (isControl ? g.textTop + g.textHeight : g.baseline) - h + obj.TopSpace;
    }
}

Color PrintColor(Color color, const Canvas& canvas, bool printBackgrounds) {
    if (canvas.deviceColors() < 3) {
        return 0;
    }
    if (!printBackgrounds && redOf(color) >= 0xE0 && greenOf(color) >= 0xE0) {
        return 0xA0A0A0 | PaletteRelative;
    }
    return color;
}

} // namespace

int TSection::Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int, int) {
    const int result = ArrangeY + FlowHeight;
    originX_ = x;
    if (Len() == 0 || !Document || lines_.empty()) {
        return result;
    }
    const int top = clip.top + Document->YOffset;
    const int bottom = clip.bottom + Document->YOffset;
    if (PaintBottom <= top || ArrangeY >= bottom) {
        return result;
    }
    const bool printing = Document->Printing;
    // The first line whose box can reach below top: boxes reach at most BoxOverhang below their lines.
    const int reach = top - ExtrasOrNone().BoxOverhang;
    const size_t first =
        FirstLineBeyond(reach, [](const LineRec& line) { return line.LineY + line.FullHeight(); });
    for (size_t i = first; i < lines_.size(); ++i) {
        const LineRec line = Line(i);
        if (line.LineY >= bottom) {
            break; // below the band (and, printing, below the page)
        }
        if (line.CharCount == 0 || line.LineY + line.BoxHeight <= top) {
            continue;
        }
        // A printed line that would cross the page's bottom goes to the next page, unless it
        // could never fit on one.
        if (printing && line.LineY + line.BoxHeight > Document->PageBottom && line.BoxHeight < clip.height()) {
            Document->PageBottom = std::min(Document->PageBottom, line.LineY);
            break;
        }
        DrawLine(canvas, line, floats, x, clip);
    }
    return result;
}

void TSection::DrawLine(Canvas& canvas, const LineRec& line, IndentManager& floats, int x, const Rect& clip) {
    TSectionList& doc = *Document;
    const int yOffset = doc.YOffset;
    LineGeometry g;
    g.top = line.LineY - yOffset;
    g.textTop = g.top + line.SpaceBefore;
    g.textHeight = line.TextHeight;
    g.baseline = g.textTop + line.TextHeight - line.Descent;
    int px = x + line.IndentX;

    const char* text = Text().data();
    int drawEnd = line.End();
    while (drawEnd > line.Start && (text[drawEnd - 1] == ' ' || text[drawEnd - 1] == ph::LineBreak)) {
        --drawEnd;
    }
    const bool printing = doc.Printing;
    const bool showSelection = !printing && doc.SelEnd >= doc.SelStart;
    const int selStart = OffsetOf(doc.SelStart);
    const int selEnd = OffsetOf(doc.SelEnd);
    const bool caret = doc.ShowCaret && !printing;

    // How far a piece of text starting at p reaches before the selection changes.
    const auto selectionLimit = [&](int p, bool& selected) {
        selected = false;
        if (!showSelection) {
            return INT_MAX;
        }
        if (p >= selStart && p < selEnd) {
            selected = true;
            return selEnd;
        }
        if (p < selStart) {
            return selStart;
        }
        return p == selStart && caret ? p + CharLengthAt(p) : INT_MAX;
    };

    bool offRight = false;
    PieceWalker walker(*this, line.Start, line.End());
    PieceWalker::Piece piece;
    while (walker.Next(piece)) {
        TFloatingObj* obj = piece.object;
        if (piece.kind == PieceWalker::Object && obj->Floats()) {
            obj->DrawX = floats.LeftEdge + obj->ObjX;
            obj->DrawYY = obj->PlacedY + obj->TopSpace;
            obj->ShowIt = true;
            doc.DrawList.push_back({obj, obj->DrawX, obj->DrawYY - yOffset});
            continue;
        }
        if (offRight) {
            continue;
        }
        if (piece.kind != PieceWalker::Text) {
            const int objX = px + obj->LeftSpace;
            const int objY = ObjectTop(*obj, g, piece.kind == PieceWalker::Control);
            if (piece.kind == PieceWalker::Control && doc.Printing) {
                obj->Print(canvas, objX, objY); // shared with the screen's document: its place stays
            } else {
                obj->DrawX = objX;
                obj->DrawYY = objY + yOffset;
                obj->ShowIt = true;
                obj->Draw(canvas, objX, objY);
            }
            px += obj->FullWidth();
        } else {
            TFontObj& run = FontRuns[piece.run];
            int a = piece.start;
            const int b = std::min(piece.end, drawEnd);
            while (a < b && !offRight) {
                bool selected = false;
                // Never split a character between selected and unselected.
                const int limit = std::min(b, CharStartAtOrAfter(selectionLimit(a, selected)));
                const bool caretHere = caret && !selected && a == selStart;
                px = DrawText(canvas, run, a, limit, selected, caretHere, px, g, floats, clip);
                offRight = px > clip.right;
                a = limit;
            }
        }
        offRight = offRight || px > clip.right;
    }
}

int TSection::DrawText(Canvas& canvas, TFontObj& run, int a, int b, bool selected, bool caretHere, int px,
                       const LineGeometry& g, IndentManager& floats, const Rect& clip) {
    const TSectionList& doc = *Document;
    const TRunMetrics m = run.Metrics(canvas);
    run.Select(canvas);
    Color color = run.Font().FontColor;
    if (doc.Printing) {
        color = PrintColor(color, canvas, doc.PrintBackgrounds);
    }
    if (selected) {
        canvas.setBkMode(BkMode::Opaque);
        canvas.setBkColor(color);
        canvas.setTextColor((color ^ 0xFFFFFF) & 0xFFFFFF);
    } else if (run.Font().BgColor == clNone) {
        canvas.setBkMode(BkMode::Transparent);
        canvas.setTextColor(color);
    } else {
        canvas.setBkMode(BkMode::Opaque);
        canvas.setBkColor(run.Font().BgColor);
        canvas.setTextColor(color);
    }
    const int shift = run.ScriptShift == 2 ? -(m.FontHeight / 3) : run.ScriptShift == 1 ? m.Descent / 2 + 1 : 0;
    const int baseline = g.baseline + shift;
    const uint8_t charSet = run.Font().Desc.charSet;
    std::string_view bytes(Text().data() + a, size_t(b - a));

    // Long text is cut to what can show between the clip's left and right edges.
    int skipped = 0;
    int width = -1;
    if (bytes.size() > 512) {
        size_t first = bytes.size();
        size_t last = bytes.size();
        int64_t previousEnd = 0;
        ForEachCharEnd(canvas, bytes, charSet, [&](size_t i, int64_t end) {
            if (first == bytes.size() && px + end > clip.left) {
                first = i;
                skipped = ClampWidth(previousEnd);
            }
            if (px + previousEnd > clip.right) {
                last = i;
                return false;
            }
            previousEnd = end;
            return true;
        });
        // A continuation byte repeats its character's end, so `first` starts a character.
        last = std::min(bytes.size(), size_t(CharStartAtOrAfter(a + int(last)) - a));
        first = std::min(first, last);
        width = last == bytes.size() ? ClampWidth(previousEnd) : INT_MAX / 4; // cut: nothing after it shows
        bytes = bytes.substr(first, last - first);
        run.Select(canvas);
    }
    if (IsPreformatted()) {
        CanvasStateSaver saver(canvas);
        canvas.intersectClip(
            Rect{floats.LeftEdge, g.top, floats.LeftEdge + floats.ClipWidth, g.textTop + g.textHeight + 1});
        canvas.textOut(px + skipped, baseline, bytes);
    } else {
        canvas.textOut(px + skipped - m.Overhang / 2, baseline, bytes);
    }
    if (caretHere) {
        const int cx = px - m.Overhang;
        canvas.fillRect(Rect{cx, baseline + m.Descent - m.FontHeight, cx + 1, baseline + m.Descent}, color);
    }
    if (width < 0) {
        width = canvas.textWidth(bytes);
    }
    return px + width - m.Overhang;
}

int TSection::CharStartAtOrBefore(int p) const {
    for (int back = 1; back <= 3 && p - back >= 0; ++back) {
        if (CharLengthAt(p - back) > back) {
            return p - back;
        }
    }
    return p;
}

int TSection::CharStartAtOrAfter(int p) const {
    if (p >= Len()) {
        return p;
    }
    const int start = CharStartAtOrBefore(p);
    return start == p ? p : start + CharLengthAt(start);
}

} // namespace tavlin
