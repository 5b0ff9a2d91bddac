#pragma once
#include "platform/Geometry.h"
#include "reader/Properties.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tavlin {

// The viewer's defaults the built-in style sheet is made from.
struct TStyleDefaults {
    std::string DefFontName = "Times New Roman";
    std::string DefPreFontName = "Courier New";
    int MarginWidth = 10;
    int MarginHeight = 5;
    uint8_t CharSet = 1;
    bool NoLinkUnderline = false; // htNoLinkUnderline
    Color DefOverLinkColor = rgb(0, 0, 255);
    Color DefVisitedLinkColor = rgb(128, 0, 128);
    Color DefHotSpotColor = rgb(0, 0, 255);
    Color DefFontColor = 0;
    double DefFontSize = 12;
};

// A style sheet: selector keys kept sorted without regard to case (duplicates allowed), each
// with the declared values. Owns its entries.
class TStyleList {
public:
    TStyleList();
    ~TStyleList();
    TStyleList(const TStyleList&) = delete;
    TStyleList& operator=(const TStyleList&) = delete;

    void Clear();
    void LoadDefaults(const TStyleDefaults& defaults);
    void AddModifyProp(std::string_view selector, std::string_view property, std::string_view value);
    TProperties& AddObject(std::string_view key, std::unique_ptr<TProperties> props);
    TProperties& AddCopy(std::string_view key, const TProperties& props);
    void SetLinkColor(std::string_view state, Color color);

    struct Entry {
        std::string key;
        std::unique_ptr<TProperties> props;
    };
    // Sort keys without regard to case, the query side lowered as it is compared.
    struct SortKeyLess {
        using is_transparent = void;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    // By sort key; entries of equal keys in the order they were added. A tree, not a sorted
    // vector: a sheet of many rules arrives in no useful order.
    using Entries = std::multimap<std::string, Entry, SortKeyLess>;

    // The first entry with exactly this key, or null.
    TProperties* Find(std::string_view key) const;
    // The first entry whose key is not below `key`.
    Entries::const_iterator LowerBound(std::string_view key) const;
    Entries::const_iterator begin() const { return entries_.begin(); }
    Entries::const_iterator end() const { return entries_.end(); }
    int Count() const { return int(entries_.size()); }
    // The "default" entry, or null before LoadDefaults.
    const TProperties* DefaultProp() const { return defaultProp_; }
    double DefFontSize() const { return defFontSize_; }

    // The key of a written selector: simple selectors as they are, contextual ones as
    // "subject N<seq>ancestor ... " (takes a sequence number).
    std::string SelectorKey(std::string_view selector);

    // Set when a rule for :hover is read; the document switches hover tracking on.
    bool UsesHover = false;

    // True when a rule that names ancestors ("ul li a") may apply to an element matched with
    // this prefix (a tag, ".class" or ":pseudo"): its style then depends on more than its parent.
    bool HasContextualRulesFor(std::string_view prefix) const;
    // The link fonts worked out for links of one style (see TProperties::BuildLinkFonts), so that
    // the next link of that style needs no cascade of its own; forgotten whenever the sheet
    // changes. Null when not known.
    const TFontInfoArray* KnownLinkFonts(const std::string& style) const;
    void RememberLinkFonts(std::string style, const TFontInfoArray& fonts) const;
    // Counts the changes of the sheet, so that what was worked out from it can tell it is stale.
    uint64_t Generation() const { return generation_; }

private:
    // The entry with exactly this key, made when missing.
    TProperties& EntryFor(std::string_view key);
    // One declaration of the built-in sheet (plain fields: the texts outlive the call).
    struct DefaultDecl {
        DefaultDecl(int i, int32_t v) : index(i), integer(v) {}
        DefaultDecl(int i, double v) : index(i), real(v), isReal(true) {}
        DefaultDecl(int i, const char* v) : index(i), text(v) {}
        DefaultDecl(int i, const std::string& v) : index(i), text(v.c_str()) {}
        int index;
        int32_t integer = 0;
        double real = 0;
        bool isReal = false;
        const char* text = nullptr;
    };
    void AddDefaultEntry(std::string_view key, const std::vector<DefaultDecl>& values);

    // Every change of the sheet goes through here.
    void Changed() {
        linkFonts_.clear();
        ++generation_;
    }

    Entries entries_;                                   // keyed by the key with its sequence number widened
    std::set<std::string, std::less<>> contextualKeys_; // sorted, so a prefix is found at once
    mutable std::unordered_map<std::string, TFontInfoArray> linkFonts_;
    TProperties* defaultProp_ = nullptr;
    uint64_t generation_ = 0;
    int seq_ = 10;
    double defFontSize_ = 12;
};

// Reads style-sheet text from a character source. `getChar` gives the next byte; 26 marks the
// end. Returns the character reading stopped at ('<' or 26), upper-cased; it is the last one
// taken from `getChar`. `peekChar`, when given, tells the byte after the current one without
// taking it, so that a '<' opening anything but "<!--" ends the sheet at once.
char ParseStyleSheet(TStyleList& styles, char firstChar, const std::function<char()>& getChar,
                     std::string_view base, const std::function<char()>& peekChar = nullptr);
// The same over a whole text (a fetched LINK file): LF skipped, tabs as spaces.
void ParseStyleSheetText(TStyleList& styles, std::string_view text, std::string_view base);
// Reads the declarations of a STYLE attribute into props.
void ParseInlineStyle(std::string_view text, TProperties& props);

// Resolves the address inside url(...) against a base (a URL with "://" or a directory).
std::string ResolveUrlValue(std::string_view urlValue, std::string_view base);
// Percent decoding and file:// removal; on this platform the result is a local path.
std::string HTMLToDos(std::string_view url);

} // namespace tavlin
