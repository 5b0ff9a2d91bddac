#pragma once
#include "document/FontObj.h"

#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tavlin {

class TSectionList;

// The fonts and link fonts that the runs of one document share. A long listing uses a handful of
// distinct fonts over hundreds of thousands of runs, and a copy per run was much of its memory.
// Both are immutable once shared; a run that changes font takes another one.
class TFontPool {
public:
    std::shared_ptr<const TRunFont> Font(const TMyFont& font);
    std::shared_ptr<const TFontInfoArray> LinkStates(const TFontInfoArray& states);
    // The one shared copy of a link for all its runs (null for an empty address). The runs of a
    // link are made one after another, so the link made last is the one asked for again.
    std::shared_ptr<const TUrlTarget> Link(const TUrlTarget& link);
    // Forgets the fonts; runs that still hold one keep it.
    void Clear();
    size_t FontCount() const { return fonts_.size(); }

private:
    struct Hash {
        size_t operator()(const TMyFont& font) const;
    };
    struct Equal {
        bool operator()(const TMyFont& a, const TMyFont& b) const;
    };
    // Link styles are few and come in turns (a link, then the bold text inside it), so the most
    // recent ones are kept; a page of endlessly varied links gets a copy per link, as before.
    static constexpr size_t kRecentLinkStates = 8;

    std::unordered_map<TMyFont, std::shared_ptr<const TRunFont>, Hash, Equal> fonts_;
    std::vector<std::shared_ptr<const TFontInfoArray>> recentLinkStates_; // most recent last
    std::shared_ptr<const TUrlTarget> lastLink_;
};

// The shared font of a document: from its pool, or a copy of its own when there is no document.
std::shared_ptr<const TRunFont> SharedFont(TSectionList* document, const TMyFont& font);
// The same for a run of a section.
std::shared_ptr<const TRunFont> SharedFont(const TSection* section, const TMyFont& font);
// The shared link of a section's runs: from the document's pool, or a copy of its own.
std::shared_ptr<const TUrlTarget> SharedLink(const TSection* section, const TUrlTarget& link);

} // namespace tavlin
