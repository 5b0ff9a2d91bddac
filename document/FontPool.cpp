#include "document/FontPool.h"

#include "document/Section.h"
#include "document/SectionList.h"

#include <algorithm>
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
    return a.Desc == b.Desc && a.FontColor == b.FontColor && a.BgColor == b.BgColor &&
           a.PointSize == b.PointSize;
}

std::shared_ptr<const TRunFont> TFontPool::Font(const TMyFont& font) {
    auto [it, added] = fonts_.try_emplace(font);
    if (added) {
        it->second = std::make_shared<const TRunFont>(font);
    }
    return it->second;
}

std::shared_ptr<const TFontInfoArray> TFontPool::LinkStates(const TFontInfoArray& states) {
    auto& recent = recentLinkStates_;
    const auto found =
        std::find_if(recent.rbegin(), recent.rend(), [&](const auto& s) { return *s == states; });
    if (found != recent.rend()) {
        std::rotate(found.base() - 1, found.base(), recent.end());
        return recent.back();
    }
    if (recent.size() == kRecentLinkStates) {
        recent.erase(recent.begin());
    }
    recent.push_back(std::make_shared<const TFontInfoArray>(states));
    return recent.back();
}

namespace {

bool SameLink(const TUrlTarget& a, const TUrlTarget& b) {
    return a.LinkId == b.LinkId && a.Url == b.Url && a.Target == b.Target;
}

} // namespace

std::shared_ptr<const TUrlTarget> TFontPool::Link(const TUrlTarget& link) {
    if (link.Url.empty()) {
        return nullptr;
    }
    if (!lastLink_ || !SameLink(*lastLink_, link)) {
        lastLink_ = std::make_shared<const TUrlTarget>(link);
    }
    return lastLink_;
}

void TFontPool::Clear() {
    fonts_.clear();
    recentLinkStates_.clear();
    lastLink_.reset();
}

std::shared_ptr<const TRunFont> SharedFont(TSectionList* document, const TMyFont& font) {
    return document ? document->FontPool.Font(font) : std::make_shared<const TRunFont>(font);
}

std::shared_ptr<const TRunFont> SharedFont(const TSection* section, const TMyFont& font) {
    return SharedFont(section ? section->Document : nullptr, font);
}

std::shared_ptr<const TUrlTarget> SharedLink(const TSection* section, const TUrlTarget& link) {
    TSectionList* document = section ? section->Document : nullptr;
    if (document) {
        return document->FontPool.Link(link);
    }
    return link.Url.empty() ? nullptr : std::make_shared<const TUrlTarget>(link);
}

} // namespace tavlin
