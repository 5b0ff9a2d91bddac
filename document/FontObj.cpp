#include "document/FontObj.h"

#include "document/Section.h"
#include "document/SectionList.h"

#include <algorithm>
#include <functional>
#include <string>

namespace tavlin {

// A long listing holds hundreds of thousands of runs.
static_assert(sizeof(TFontObj) <= 16);

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

TFontObj TFontObj::CopyForAnotherSection() const {
    TFontObj copy = *this;
    copy.Visited = false;
    copy.Hover = false;
    copy.link_ = TLinkTable::kNoLink;
    return copy;
}

void TFontObj::SetLinkStates(const SharedRef<const TLinkFonts>& states) {
    Replace(states ? Share(states.get()) : Share(&Font()));
    Visited = false;
    Hover = false;
}

// The run owns one count of what it points to, taken and given back through a SharedRef.
uintptr_t TFontObj::Share(const TRunFont* font) {
    SharedRef<const TRunFont> owner(font);
    return reinterpret_cast<uintptr_t>(owner.release());
}

uintptr_t TFontObj::Share(const TLinkFonts* states) {
    SharedRef<const TLinkFonts> owner(states);
    return reinterpret_cast<uintptr_t>(owner.release()) | kLinkFontsBit;
}

void TFontObj::Retain() const {
    if (IsLinkFonts()) {
        Share(LinkStates());
    } else if (style_) {
        Share(PlainFont());
    }
}

void TFontObj::Release() const {
    if (IsLinkFonts()) {
        SharedRef<const TLinkFonts>::Adopt(LinkStates());
    } else if (style_) {
        SharedRef<const TRunFont>::Adopt(PlainFont());
    }
}

TFontObj& TLinkRun::Run() const { return Section->FontRuns[Index]; }

TRunLink TLinkRun::Link() const { return Section->LinkOf(Run()); }

int32_t TLinkRun::LinkId() const {
    return Section->Document ? Section->Document->Links.LinkIdOf(Run().LinkNumber()) : 0;
}

} // namespace tavlin
