// The printed pictures of the form controls: what a page (or a view without windows) shows in
// place of each platform control.
#include "document/FormControl.h"

#include <cmath>
#include <numbers>

namespace tavlin {

namespace {

constexpr Color kWhite = 0xFFFFFF;
constexpr Color kBlack = 0;
constexpr Color kSilver = 0xC0C0C0;
constexpr Color kButtonShadow = 0x808080;
// No line of a box is measured or drawn beyond this many bytes: the box is narrower.
constexpr size_t kMaxLineBytes = 10000;

bool Monochrome(const Canvas& canvas) {
    return canvas.deviceColors() <= 2;
}

// A white box with a frame drawn inside its edges: the shadow at top and left of a sunken box,
// at bottom and right of a raised one. Black lines, one pixel wide, on a black-and-white device.
void Draw3DBox(Canvas& canvas, const Rect& box, bool sunken) {
    canvas.fillRect(box, kWhite);
    const bool mono = Monochrome(canvas);
    const int pen = mono ? 1 : 2;
    const Color topLeft = mono ? kBlack : sunken ? kButtonShadow : kSilver;
    const Color bottomRight = mono ? kBlack : sunken ? kSilver : kButtonShadow;
    for (int i = 0; i < pen; ++i) {
        const Rect r{box.left + i, box.top + i, box.right - i, box.bottom - i};
        canvas.fillRect(Rect{r.left, r.top, r.right, r.top + 1}, topLeft);
        canvas.fillRect(Rect{r.left, r.top, r.left + 1, r.bottom}, topLeft);
        canvas.fillRect(Rect{r.left, r.bottom - 1, r.right, r.bottom}, bottomRight);
        canvas.fillRect(Rect{r.right - 1, r.top, r.right, r.bottom}, bottomRight);
    }
}

Color TextColor(const Canvas& canvas, Color color) {
    return Monochrome(canvas) ? kBlack : color & 0xFFFFFF;
}

// Text with its top at y, clipped to a rectangle.
void TextInBox(Canvas& canvas, int x, int y, std::string_view text, const Rect& clip) {
    CanvasStateSaver saver(canvas);
    canvas.intersectClip(clip);
    canvas.setBkMode(BkMode::Transparent);
    canvas.textOut(x, y + canvas.fontMetrics().ascent, text.substr(0, kMaxLineBytes));
}

// Lines of text, one under the other from y, clipped to a rectangle.
void LinesInBox(Canvas& canvas, int x, int y, int lineHeight, const std::vector<std::string>& lines,
                size_t count, const Rect& clip) {
    CanvasStateSaver saver(canvas);
    canvas.intersectClip(clip);
    canvas.setBkMode(BkMode::Transparent);
    const int ascent = canvas.fontMetrics().ascent;
    for (size_t i = 0; i < std::min(count, lines.size()); ++i) {
        canvas.textOut(x, y + int(i) * lineHeight + ascent,
                       std::string_view(lines[i]).substr(0, kMaxLineBytes));
    }
}

// An arc of the circle in box from one angle to another (degrees, counter-clockwise from 3 o'clock).
void Arc(Canvas& canvas, const Rect& box, int from, int to, Color color) {
    const double cx = (box.left + box.right - 1) / 2.0;
    const double cy = (box.top + box.bottom - 1) / 2.0;
    const double r = (box.width() - 1) / 2.0;
    const auto point = [&](int degrees) {
        const double a = degrees * std::numbers::pi / 180;
        return Point{int(std::lround(cx + r * std::cos(a))), int(std::lround(cy - r * std::sin(a)))};
    };
    Point last = point(from);
    for (int d = from + 15; d <= to; d += 15) {
        const Point next = point(d);
        canvas.drawLine(last.x, last.y, next.x, next.y, color);
        last = next;
    }
}

// The longest prefix of text (at least one byte) no wider than width.
size_t FitPrefix(Canvas& canvas, std::string_view text, int width) {
    text = text.substr(0, kMaxLineBytes);
    if (canvas.textWidth(text) <= width) {
        return text.size();
    }
    size_t lo = 1;
    size_t hi = text.size() - 1;
    while (lo < hi) {
        const size_t mid = (lo + hi + 1) / 2;
        if (canvas.textWidth(text.substr(0, mid)) <= width) {
            lo = mid;
        } else {
            hi = mid - 1;
        }
    }
    return lo;
}

// The lines a text area shows: its own lines, broken after a space (or anywhere in a long word)
// to fit the width unless it does not wrap; no more than `rows` of them are made.
std::vector<std::string> WrappedLines(Canvas& canvas, const std::vector<std::string>& source, int width,
                                      bool wrap, size_t rows) {
    std::vector<std::string> lines;
    for (const std::string& text : source) {
        std::string_view rest = text;
        do {
            size_t take = rest.size();
            if (wrap) {
                take = FitPrefix(canvas, rest, width);
                const size_t space = take < rest.size() ? rest.rfind(' ', take - 1) : std::string_view::npos;
                if (space != std::string_view::npos && space > 0) {
                    take = space + 1;
                }
            }
            lines.emplace_back(rest.substr(0, std::min(take, kMaxLineBytes)));
            rest.remove_prefix(take);
        } while (!rest.empty() && lines.size() < rows);
        if (lines.size() >= rows) {
            break;
        }
    }
    return lines;
}

} // namespace

void TEditFormControlObj::DrawImitation(Canvas& canvas, int x, int y) {
    const Rect box{x, y, x + ObjWidth, y + ObjHeight};
    Draw3DBox(canvas, box, true);
    canvas.setFont(Font);
    canvas.setTextColor(TextColor(canvas, FontColor));
    const std::string text = password_ ? std::string(Control->text().size(), '*') : Control->text();
    const int top = y + (ObjHeight - canvas.fontMetrics().height) / 2;
    TextInBox(canvas, x + 4, top, text, Rect{x + 4, box.top, box.right - 8, box.bottom});
}

void TButtonFormControlObj::DrawImitation(Canvas& canvas, int x, int y) {
    const Rect box{x, y, x + ObjWidth, y + ObjHeight};
    Draw3DBox(canvas, box, false);
    canvas.setFont(Font);
    canvas.setTextColor(TextColor(canvas, FontColor));
    const int top = y + (ObjHeight - canvas.textExtent("A").cy) / 2;
    TextInBox(canvas, x + ObjWidth / 2 - canvas.textWidth(caption_) / 2, top, caption_, box);
}

void TCheckBoxFormControlObj::DrawImitation(Canvas& canvas, int x, int y) {
    Draw3DBox(canvas, Rect{x, y, x + ObjWidth, y + ObjHeight}, true);
    if (Control->checked()) {
        const int m = y + ObjHeight / 2;
        canvas.drawLine(x + 3, m, x + 5, m + 2, kBlack, 2);
        canvas.drawLine(x + 5, m + 2, x + 9, m - 2, kBlack, 2);
    }
}

void TRadioButtonFormControlObj::DrawImitation(Canvas& canvas, int x, int y) {
    const Rect circle{x, y, x + 14, y + 14};
    canvas.drawEllipse(circle, kWhite, kWhite);
    const bool mono = Monochrome(canvas);
    Arc(canvas, circle, 45, 225, mono ? kBlack : kButtonShadow);
    Arc(canvas, circle, 225, 405, mono ? kBlack : kSilver);
    if (Control->checked()) {
        canvas.drawEllipse(Rect{x + 5, y + 5, x + 9, y + 9}, kBlack, kBlack);
    }
}

void TListBoxFormControlObj::DrawImitation(Canvas& canvas, int x, int y) {
    const Rect box{x, y, x + ObjWidth, y + ObjHeight};
    Draw3DBox(canvas, box, true);
    canvas.setFont(Font);
    canvas.setTextColor(TextColor(canvas, FontColor));
    std::vector<std::string> shown;
    const int rows = std::max(Rows, 0);
    for (int i = Control->topItem(); i < Control->itemCount() && int(shown.size()) < rows; ++i) {
        shown.push_back(Control->itemText(i));
    }
    LinesInBox(canvas, x + 4, y + 4, canvas.fontMetrics().height, shown, shown.size(),
               Rect{box.left + 4, box.top + 4, box.right - 8, box.bottom - 8});
}

void TComboFormControlObj::DrawImitation(Canvas& canvas, int x, int y) {
    const Rect box{x, y, x + ObjWidth, y + ObjHeight};
    Draw3DBox(canvas, box, true);
    canvas.setFont(Font);
    canvas.setTextColor(TextColor(canvas, FontColor));
    TextInBox(canvas, x + 4, y + 4, Control->itemText(Control->currentItem()),
              Rect{box.left, box.top, box.right, box.bottom - 3});
}

void TTextAreaFormControlObj::DrawImitation(Canvas& canvas, int x, int y) {
    const Rect box{x, y, x + ObjWidth, y + ObjHeight};
    Draw3DBox(canvas, box, true);
    canvas.setFont(Font);
    canvas.setTextColor(TextColor(canvas, FontColor));
    const size_t rows = size_t(std::clamp(Rows, 0, kMaxControlExtent));
    // A window breaks its own lines; a control without one is broken here to its inner width.
    const std::vector<std::string> lines =
        Control->isWindow() ? Control->displayedLines()
                            : WrappedLines(canvas, Control->displayedLines(), Control->clientSize().cx - 8,
                                           WrapMode != MemoWrap::Off, rows);
    LinesInBox(canvas, x + 4, y + 4, canvas.textExtent("A").cy, lines, rows,
               Rect{box.left + 4, box.top + 4, box.right - 8, box.bottom - 8});
}

} // namespace tavlin
