#include "document/FontObj.h"

#include "document/FontPool.h"

#include <algorithm>

namespace tavlin {

TMyFont TMyFont::FromChoice(const FontChoice& choice, int pointSize) {
    TMyFont font;
    font.Desc = choice.desc;
    font.Desc.height = std::clamp(font.Desc.height, kMinHeight, kMaxHeight);
    font.FontColor = choice.color;
    font.BgColor = choice.bgColor;
    font.PointSize = pointSize;
    return font;
}

TMyFont TMyFont::FromInfo(const ThtFontInfo& info) { return FromChoice(fontChoiceOf(info), info.Size); }

namespace {

TMyFont Clamped(TMyFont font) {
    font.Desc.height = std::clamp(font.Desc.height, TMyFont::kMinHeight, TMyFont::kMaxHeight);
    return font;
}

} // namespace

TFontObj::TFontObj(TSection* section, int pos, const TMyFont& font)
    : Section(section), TheFont(SharedFont(section, Clamped(font))), Pos(pos) {}

TFontObj::TFontObj(TSection* section, const TFontObj& source)
    : Section(section), TheFont(source.TheFont), Link(source.Link), Pos(source.Pos),
      ScriptShift(source.ScriptShift) {
    if (source.LinkStates) {
        // A copy starts as an unvisited link without the mouse over it.
        LinkStates = source.LinkStates;
        ApplyLinkState();
    }
}

void TFontObj::ReplaceFont(const TMyFont& font) {
    TheFont = SharedFont(Section, Clamped(font));
}

void TFontObj::SetVisited(bool visited) {
    if (visited != Visited) {
        Visited = visited;
        ApplyLinkState();
    }
}

void TFontObj::SetHover(bool hover) {
    if (hover != Hover) {
        Hover = hover;
        ApplyLinkState();
    }
}

void TFontObj::ApplyLinkState() {
    if (!LinkStates) {
        return;
    }
    ReplaceFont(TMyFont::FromInfo(LinkStates->Ar[size_t(int(Visited) + 2 * int(Hover))]));
}

TRunMetrics TRunFont::Metrics(Canvas& canvas) const {
    if (measuredOn_ != canvas.serial()) {
        canvas.setFont(Desc);
        const FontMetrics m = canvas.fontMetrics();
        metrics_.FontHeight = m.height + m.externalLeading;
        metrics_.MaxCharWidth = m.maxCharWidth;
        metrics_.Overhang = m.overhang;
        metrics_.Descent = m.descent;
        measuredOn_ = canvas.serial();
    }
    return metrics_;
}

int TFontList::IndexAt(int p) const {
    // The first run always starts at 0, so the answer is at least 0.
    auto it = std::upper_bound(items_.begin(), items_.end(), p,
                               [](int pos, const std::unique_ptr<TFontObj>& run) { return pos < run->Pos; });
    return std::max(int(it - items_.begin()) - 1, 0);
}

int TFontList::GetFontCountAt(int p, int length) const { return EndOf(IndexAt(p), length) - p; }

} // namespace tavlin
