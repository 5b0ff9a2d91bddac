#include "document/FontObj.h"

#include "document/Section.h"

#include <algorithm>
#include <functional>
#include <string>

namespace tavlin {

// A long listing holds hundreds of thousands of runs.
static_assert(sizeof(TFontObj) <= 32);

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

TMyFont TMyFont::Clamped() const {
    TMyFont font = *this;
    font.Desc.height = std::clamp(font.Desc.height, kMinHeight, kMaxHeight);
    return font;
}

size_t TRunFont::HashOf(const FontDesc& desc) {
    return std::hash<std::string>()(desc.name) + size_t(desc.height) * 131 + size_t(desc.style) * 7 +
           desc.charSet;
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

TRunLink::TRunLink(const TUrlTarget& link)
    : LinkId(link.LinkId), urlSize_(link.Url.size()), targetSize_(link.Target.size()) {
    char* chars = reinterpret_cast<char*>(this + 1);
    std::copy_n(link.Url.str().data(), urlSize_, chars);
    std::copy_n(link.Target.str().data(), targetSize_, chars + urlSize_);
}

SharedRef<const TRunLink> TRunLink::Make(const TUrlTarget& link) {
    return SharedRef<const TRunLink>(new (Chars_{link.Url.size() + link.Target.size()}) TRunLink(link));
}

bool TRunLink::Is(const TUrlTarget& link) const {
    return LinkId == link.LinkId && Url() == link.Url.str() && Target() == link.Target.str();
}

TUrlTarget TRunLink::AsUrlTarget() const {
    TUrlTarget link;
    link.Url = Url();
    link.Target = Target();
    link.LinkId = LinkId;
    return link;
}

TFontObj TFontObj::CopyForAnotherSection() const {
    TFontObj copy = *this;
    copy.Visited = false;
    copy.Hover = false;
    copy.Listed = false;
    copy.ApplyLinkState();
    return copy;
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
    if (LinkStates) {
        TheFont = LinkStates->Fonts[size_t(int(Visited) + 2 * int(Hover))];
    }
}

TFontObj& TLinkRun::Run() const { return Section->FontRuns[Index]; }

} // namespace tavlin
