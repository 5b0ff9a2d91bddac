#include "document/FontPool.h"

#include "document/Section.h"
#include "document/SectionList.h"
#include "reader/Properties.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace tavlin {

size_t TFontPool::Hash::operator()(const TMyFont& font) const {
    size_t h = std::hash<std::string>()(font.Desc.name);
    for (const size_t part : {size_t(font.Desc.height), size_t(font.Desc.style), size_t(font.Desc.charSet),
                              size_t(font.FontColor), size_t(font.BgColor), size_t(font.PointSize)}) {
        h = h * 1000003u ^ part;
    }
    return h;
}

bool TFontPool::Equal::operator()(const TMyFont& a, const TMyFont& b) const {
    // The numbers first: they tell most fonts apart before the names are compared.
    return a.Desc.height == b.Desc.height && a.Desc.style == b.Desc.style && a.FontColor == b.FontColor &&
           a.BgColor == b.BgColor && a.PointSize == b.PointSize && a.Desc == b.Desc;
}

FontRef TFontPool::Font(const TMyFont& font) {
    const TMyFont clamped = font.Clamped();
    auto recent = std::find_if(recentFonts_.begin(), recentFonts_.end(),
                               [&](const FontRef& f) { return f && Equal()(*f, clamped); });
    if (recent == recentFonts_.end()) {
        auto [it, added] = fonts_.try_emplace(clamped);
        if (added) {
            it->second = FontRef::Make(clamped);
        }
        recent = recentFonts_.end() - 1;
        *recent = it->second;
    }
    std::rotate(recentFonts_.begin(), recent, recent + 1);
    return recentFonts_.front();
}

FontRef TFontPool::Font(const TProperties& props) {
    const std::shared_ptr<const ThtFontInfo>& info = props.SharedFontInfo();
    const int pointSize = int(std::lround(props.GetFontSize()));
    auto recent = std::find_if(recentPropsFonts_.begin(), recentPropsFonts_.end(), [&](const PropsFont& f) {
        return f.info == info && f.pointSize == pointSize;
    });
    if (recent == recentPropsFonts_.end()) {
        recent = recentPropsFonts_.end() - 1;
        *recent = {info, pointSize, Font(TMyFont::FromChoice(fontChoiceOf(*info), pointSize))};
    }
    std::rotate(recentPropsFonts_.begin(), recent, recent + 1);
    return recentPropsFonts_.front().font;
}

SharedRef<const TLinkFonts> TFontPool::LinkStates(const TFontInfoArray& states) {
    auto& recent = recentLinkStates_;
    const auto found =
        std::find_if(recent.rbegin(), recent.rend(), [&](const auto& s) { return s->States == states; });
    if (found != recent.rend()) {
        std::rotate(found.base() - 1, found.base(), recent.end());
        return recent.back();
    }
    if (recent.size() == kRecentLinkStates) {
        recent.erase(recent.begin());
    }
    std::array<FontRef, 4> fonts;
    for (size_t i = 0; i < fonts.size(); ++i) {
        fonts[i] = Font(TMyFont::FromInfo(states.Ar[i]));
    }
    recent.push_back(SharedRef<const TLinkFonts>::Make(states, fonts));
    return recent.back();
}

namespace {

// Calls ask with the document's pool, or without a document with a pool of its own for the call.
template <class Ask>
auto FromPool(TSectionList* document, Ask ask) {
    if (document) {
        return ask(document->FontPool);
    }
    TFontPool own;
    return ask(own);
}

TSectionList* DocumentOf(const TSection* section) { return section ? section->Document : nullptr; }

} // namespace

void TFontPool::Clear() {
    fonts_.clear();
    recentFonts_ = {};
    recentPropsFonts_ = {};
    recentLinkStates_.clear();
}

FontRef SharedFont(TSectionList* document, const TMyFont& font) {
    return FromPool(document, [&](TFontPool& pool) { return pool.Font(font); });
}

FontRef SharedFont(const TSection* section, const TMyFont& font) { return SharedFont(DocumentOf(section), font); }

FontRef SharedFont(TSectionList* document, const TProperties& props) {
    return FromPool(document, [&](TFontPool& pool) { return pool.Font(props); });
}

FontRef SharedFont(const TSection* section, const TProperties& props) {
    return SharedFont(DocumentOf(section), props);
}

SharedRef<const TLinkFonts> SharedLinkStates(const TSection* section, const TFontInfoArray& states) {
    return FromPool(DocumentOf(section), [&](TFontPool& pool) { return pool.LinkStates(states); });
}

uint32_t SharedLink(const TSection* section, const TUrlTarget& link) {
    TSectionList* document = DocumentOf(section);
    return document ? document->Links.Add(link) : TLinkTable::kNoLink;
}

} // namespace tavlin
