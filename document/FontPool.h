#pragma once
#include "document/FontObj.h"

#include <array>
#include <cstddef>
#include <memory>
#include <unordered_map>
#include <vector>

namespace tavlin {

class TSectionList;
class TProperties;

// The fonts and link fonts that the runs of one document share. A long listing uses a
// handful of distinct fonts over hundreds of thousands of runs, and a copy per run was much of
// its memory. All are immutable once shared; a run that changes font takes another one.
class TFontPool {
public:
    // The font with its height kept within what the toolkit can draw.
    FontRef Font(const TMyFont& font);
    // The font of an element's properties. Copies of one computed element share their font
    // information, so the fonts of the last few are known by it without building one to compare.
    FontRef Font(const TProperties& props);
    SharedRef<const TLinkFonts> LinkStates(const TFontInfoArray& states);
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
    // Runs ask for the same few fonts in turn (text, link, text), so the last ones asked are
    // compared before the table is searched.
    static constexpr size_t kRecentFonts = 4;

    std::unordered_map<TMyFont, FontRef, Hash, Equal> fonts_;
    std::array<FontRef, kRecentFonts> recentFonts_; // most recent first
    struct PropsFont {
        std::shared_ptr<const ThtFontInfo> info; // held, so that its address is not reused
        int pointSize = 0;
        FontRef font;
    };
    std::array<PropsFont, kRecentFonts> recentPropsFonts_;      // most recent first
    std::vector<SharedRef<const TLinkFonts>> recentLinkStates_; // most recent last
};

// What a section's runs share, from its document's pool; a section without a document gets
// copies of its own.
FontRef SharedFont(TSectionList* document, const TMyFont& font);
FontRef SharedFont(const TSection* section, const TMyFont& font);
FontRef SharedFont(TSectionList* document, const TProperties& props);
FontRef SharedFont(const TSection* section, const TProperties& props);
SharedRef<const TLinkFonts> SharedLinkStates(const TSection* section, const TFontInfoArray& states);
// The number of a link in the section's document's link table; a section without a document
// keeps no links.
uint32_t SharedLink(const TSection* section, const TUrlTarget& link);

} // namespace tavlin
