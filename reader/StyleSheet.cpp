#include "reader/StyleSheet.h"

#include "reader/TextUtil.h"

#include <algorithm>
#include <array>

namespace tavlin {

namespace {

// Contextual keys carry their ancestor count and a sequence number as one run of digits
// ("li 210ul div "). For sorting, the sequence number is widened so that rule 100 sorts after
// rule 99; the key itself keeps its written form.
std::string sortKeyOf(std::string_view key) {
    const size_t space = key.find(' ');
    if (space == std::string_view::npos || space + 1 >= key.size() || !isAsciiDigit(key[space + 1])) {
        return std::string(key);
    }
    size_t end = space + 1;
    while (end < key.size() && isAsciiDigit(key[end])) {
        ++end;
    }
    const std::string_view digits = key.substr(space + 1, end - space - 1);
    std::string seq(digits.substr(1));
    if (seq.size() < 10) {
        seq.insert(0, 10 - seq.size(), '0');
    }
    std::string out(key.substr(0, space + 1));
    out += digits[0];
    out += seq;
    out += key.substr(end);
    return out;
}

// One part of a selector key split into its components.
struct SelectorPart {
    std::string_view tag, cls, id, pseudo;
};

SelectorPart splitPart(std::string_view part) {
    SelectorPart p;
    std::string_view* field = &p.tag;
    size_t start = 0;
    for (size_t i = 0; i <= part.size(); ++i) {
        const char c = i < part.size() ? part[i] : '\0';
        if (i == part.size() || c == '.' || c == '#' || c == ':') {
            *field = part.substr(start, i - start);
            start = i + 1;
            if (c == '.') {
                field = &p.cls;
            } else if (c == '#') {
                field = &p.id;
            } else if (c == ':') {
                field = &p.pseudo;
            }
        }
    }
    return p;
}

bool componentMatches(std::string_view ruleValue, std::string_view elementValue) {
    return ruleValue.empty() || ruleValue == elementValue;
}

bool partMatches(const SelectorPart& part, const TProperties& element) {
    return componentMatches(part.tag, element.ElemTag) && componentMatches(part.cls, element.ElemClass) &&
           componentMatches(part.id, element.ElemId) && componentMatches(part.pseudo, element.ElemPseudo);
}

// Splits a key at spaces into at most 10 parts.
std::vector<std::string_view> keyParts(std::string_view key) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    while (start < key.size() && parts.size() < 10) {
        size_t space = key.find(' ', start);
        if (space == std::string_view::npos) {
            space = key.size();
        }
        if (space > start) {
            parts.push_back(key.substr(start, space - start));
        }
        start = space + 1;
    }
    return parts;
}

} // namespace

// ---- the list ----

TStyleList::TStyleList() = default;
TStyleList::~TStyleList() = default;

void TStyleList::Clear() {
    Changed();
    entries_.clear();
    contextualKeys_.clear();
    defaultProp_ = nullptr;
    seq_ = 10;
    UsesHover = false;
}

namespace {

// Whether a key needs its sequence number widened for sorting (a contextual key).
bool hasSequence(std::string_view key) {
    const size_t space = key.find(' ');
    return space != std::string_view::npos && space + 1 < key.size() && isAsciiDigit(key[space + 1]);
}

} // namespace

bool TStyleList::SortKeyLess::operator()(std::string_view a, std::string_view b) const {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const auto x = uint8_t(lowerAscii(a[i]));
        const auto y = uint8_t(lowerAscii(b[i]));
        if (x != y) {
            return x < y;
        }
    }
    return a.size() < b.size();
}

TStyleList::Entries::const_iterator TStyleList::LowerBound(std::string_view key) const {
    if (hasSequence(key)) {
        return entries_.lower_bound(sortKeyOf(key));
    }
    return entries_.lower_bound(key);
}

bool TStyleList::HasContextualRulesFor(std::string_view prefix) const {
    // Every key that starts with the prefix sorts at or right after it.
    const auto it = contextualKeys_.lower_bound(prefix);
    return it != contextualKeys_.end() && it->compare(0, prefix.size(), prefix) == 0;
}

const TFontInfoArray* TStyleList::KnownLinkFonts(const std::string& style) const {
    const auto it = linkFonts_.find(style);
    return it == linkFonts_.end() ? nullptr : &it->second;
}

void TStyleList::RememberLinkFonts(std::string style, const TFontInfoArray& fonts) const {
    // A page of links in countless styles must not grow the memo without end.
    if (linkFonts_.size() >= 1000) {
        linkFonts_.clear();
    }
    linkFonts_.emplace(std::move(style), fonts);
}

TProperties* TStyleList::Find(std::string_view key) const {
    const auto it = LowerBound(key);
    return it != entries_.end() && it->second.key == key ? it->second.props.get() : nullptr;
}

TProperties& TStyleList::AddObject(std::string_view key, std::unique_ptr<TProperties> props) {
    Changed();
    if (key.find(' ') != std::string_view::npos) {
        contextualKeys_.emplace(key);
    }
    props->ElemTag = key;
    TProperties& added = *props;
    // A multimap puts an equal key after the others: equal keys keep the order they were added in.
    entries_.emplace(toLowerAscii(sortKeyOf(key)), Entry{std::string(key), std::move(props)});
    return added;
}

TProperties& TStyleList::AddCopy(std::string_view key, const TProperties& props) {
    auto copy = std::make_unique<TProperties>();
    copy->CopyFrom(props);
    copy->CharSet = props.CharSet;
    return AddObject(key, std::move(copy));
}

void TStyleList::SetLinkColor(std::string_view state, Color color) {
    if (TProperties* p = Find("::" + std::string(state))) {
        Changed();
        p->Props[piColor] = int32_t(color);
    }
}

std::string TStyleList::SelectorKey(std::string_view selector) {
    const std::string lower = toLowerAscii(trimView(selector));
    std::vector<std::string_view> parts;
    std::string_view rest = lower;
    while (!rest.empty()) {
        const size_t space = rest.find(' ');
        const std::string_view part = rest.substr(0, space);
        if (!part.empty()) {
            parts.push_back(part);
        }
        rest = space == std::string_view::npos ? std::string_view() : rest.substr(space + 1);
    }
    if (parts.size() <= 1) {
        return parts.empty() ? std::string() : std::string(parts[0]);
    }
    // The subject, then the ancestors from the nearest; only nine of them are ever matched.
    const size_t ancestors = std::min<size_t>(parts.size() - 1, 9);
    std::string key(parts.back());
    key += ' ';
    key += std::to_string(ancestors);
    key += std::to_string(seq_++);
    for (size_t i = 0; i < ancestors; ++i) {
        key += parts[parts.size() - 2 - i];
        key += ' ';
    }
    return key;
}

TProperties& TStyleList::EntryFor(std::string_view key) {
    if (TProperties* p = Find(key)) {
        Changed(); // the caller changes the entry
        return *p;
    }
    auto props = std::make_unique<TProperties>();
    // A rule that says nothing about z-index must not reset the inherited one.
    props->Props[piZIndex] = std::monostate{};
    props->DefFontSize = defFontSize_;
    return AddObject(key, std::move(props));
}

void TStyleList::AddModifyProp(std::string_view selector, std::string_view property, std::string_view value) {
    const int index = PropertyIndex(property);
    if (index < 0) {
        return;
    }
    TProperties& entry = EntryFor(selector);
    const std::string text(value);
    switch (index) {
    case piBorderStyle:
        for (int i :
             {piBorderStyle, piBorderTopStyle, piBorderRightStyle, piBorderBottomStyle, piBorderLeftStyle}) {
            entry.Props[size_t(i)] = text;
        }
        break;
    case piColor: {
        Color c = 0;
        if (ColorFromString(text, false, c)) {
            entry.Props[piColor] = int32_t(c);
            if (selector == ":link") {
                SetLinkColor("hover", c);
                SetLinkColor("visited", c);
            } else if (selector == ":visited") {
                SetLinkColor("hover", c);
            }
        }
        break;
    }
    case piBackgroundColor:
    case piBorderColor: {
        Color c = clNone;
        entry.Props[size_t(index)] = int32_t(ColorFromString(text, false, c) ? c : clNone);
        break;
    }
    case piBorderTopStyle:
    case piBorderRightStyle:
    case piBorderBottomStyle:
    case piBorderLeftStyle:
        entry.Props[size_t(index)] = text;
        entry.Props[piBorderStyle] = text;
        break;
    case piVisibility:
        if (text == "visible") {
            entry.Props[piVisibility] = int32_t(2);
        } else if (text == "hidden") {
            entry.Props[piVisibility] = int32_t(1);
        }
        break;
    default:
        entry.Props[size_t(index)] = text;
        break;
    }
    if (selector.find(":hover") != std::string_view::npos) {
        UsesHover = true;
    }
}

void TStyleList::AddDefaultEntry(std::string_view key, const std::vector<DefaultDecl>& values) {
    auto props = std::make_unique<TProperties>();
    props->Props[piZIndex] = std::monostate{};
    props->DefFontSize = defFontSize_;
    for (const DefaultDecl& v : values) {
        PropValue& slot = props->Props[size_t(v.index)];
        if (v.text) {
            slot = std::string(v.text);
        } else if (v.isReal) {
            slot = v.real;
        } else {
            slot = v.integer;
        }
    }
    AddObject(key, std::move(props));
}

void TStyleList::LoadDefaults(const TStyleDefaults& d) {
    Clear();
    defFontSize_ = d.DefFontSize;
    const double D = d.DefFontSize;
    using V = std::vector<DefaultDecl>;
    const auto s = [](const char* text) { return text; };
    const auto n = [](int32_t v) { return v; };

    AddDefaultEntry("default", V{{piFontFamily, d.DefFontName},
                                 {piFontSize, D},
                                 {piFontStyle, s("none")},
                                 {piFontWeight, s("normal")},
                                 {piTextAlign, s("left")},
                                 {piTextDecoration, s("none")},
                                 {piColor, n(int32_t(d.DefFontColor))},
                                 {piMarginTop, n(d.MarginHeight)},
                                 {piMarginBottom, n(d.MarginHeight)},
                                 {piMarginLeft, n(d.MarginWidth)},
                                 {piMarginRight, n(d.MarginWidth)},
                                 {piVisibility, n(2)}});
    defaultProp_ = Find("default");
    defaultProp_->CharSet = d.CharSet;
    defaultProp_->Props[piZIndex] = int32_t(0);

    AddDefaultEntry("::link", V{{piColor, n(int32_t(d.DefHotSpotColor | PaletteRelative))},
                                {piTextDecoration, s(d.NoLinkUnderline ? "none" : "underline")}});
    AddDefaultEntry("::visited", V{{piColor, n(int32_t(d.DefVisitedLinkColor | PaletteRelative))}});
    AddDefaultEntry("::hover", V{{piColor, n(int32_t(d.DefOverLinkColor | PaletteRelative))}});
    AddDefaultEntry("null", V{});
    const V plainFont{{piFontStyle, s("none")},
                      {piFontWeight, s("normal")},
                      {piTextAlign, s("left")},
                      {piTextDecoration, s("none")}};
    V pre = plainFont;
    pre.emplace_back(piFontFamily, d.DefPreFontName);
    pre.emplace_back(piFontSize, D * 10 / 12);
    AddDefaultEntry("pre", pre);
    AddDefaultEntry("p", V{{piMarginTop, n(AutoValue)}, {piMarginBottom, n(AutoValue)}});
    AddDefaultEntry("p 11pre", V{{piMarginTop, n(0)}});
    for (const char* list : {"ul", "ol", "menu", "dir"}) {
        AddDefaultEntry(list, V{{piMarginLeft, n(35)},
                                {piMarginTop, n(0)},
                                {piMarginBottom, n(0)},
                                {piListStyleType, s("blank")}});
    }
    AddDefaultEntry(
        "dl",
        V{{piMarginLeft, n(0)}, {piMarginTop, n(0)}, {piMarginBottom, n(0)}, {piListStyleType, s("none")}});
    AddDefaultEntry("dd", V{{piMarginLeft, n(40)}, {piMarginTop, n(0)}, {piMarginBottom, n(0)}});
    AddDefaultEntry("blockquote",
                    V{{piMarginLeft, n(35)}, {piMarginTop, n(AutoValue)}, {piMarginBottom, n(14)}});
    for (const char* mono : {"code", "tt", "kbd", "samp"}) {
        AddDefaultEntry(mono, V{{piFontFamily, d.DefPreFontName}, {piFontSize, s("0.833em")}});
    }
    for (const char* bold : {"b", "strong", "th"}) {
        AddDefaultEntry(bold, V{{piFontWeight, s("bold")}});
    }
    for (const char* script : {"sup", "sub"}) {
        AddDefaultEntry(script, V{{piFontSize, s("75%")}});
    }
    AddDefaultEntry("big", V{{piFontSize, s("1.25em")}});
    AddDefaultEntry("small", V{{piFontSize, s("0.75em")}});
    AddDefaultEntry("table", V{{piTextAlign, s("none")}});
    for (const char* italic : {"i", "em", "cite", "var", "address"}) {
        AddDefaultEntry(italic, V{{piFontStyle, s("italic")}});
    }
    AddDefaultEntry("u", V{{piTextDecoration, s("underline")}});
    for (const char* strike : {"s", "strike"}) {
        AddDefaultEntry(strike, V{{piTextDecoration, s("line-through")}});
    }
    for (const char* centered : {"center", "caption"}) {
        AddDefaultEntry(centered, V{{piTextAlign, s("center")}});
    }
    V control = plainFont;
    control.emplace_back(piFontSize, s("10pt"));
    control.emplace_back(piColor, n(int32_t(d.DefFontColor & ~PaletteRelative)));
    V input = control;
    input.emplace_back(piFontFamily, s("MS sans serif, sans-serif"));
    AddDefaultEntry("input", input);
    AddDefaultEntry("select", input);
    V textarea = control;
    textarea.emplace_back(piFontFamily, d.DefPreFontName);
    AddDefaultEntry("textarea", textarea);
    AddDefaultEntry(
        "hr", V{{piMarginLeft, n(0)}, {piMarginRight, n(0)}, {piMarginTop, n(10)}, {piMarginBottom, n(10)}});
    static constexpr std::array<double, 6> kHeadingSizes = {24, 18, 14, 12, 10, 8};
    for (size_t h = 0; h < kHeadingSizes.size(); ++h) {
        AddDefaultEntry("h" + std::to_string(h + 1), V{{piFontSize, D / 12 * kHeadingSizes[h]},
                                                       {piMarginTop, n(19)},
                                                       {piMarginBottom, n(19)},
                                                       {piFontWeight, s("bold")}});
    }
}

// ---- the cascade ----

void TProperties::ApplyContextualRules(const TStyleList& styles, std::string_view tag, std::string_view cls,
                                       std::string_view pseudo) {
    const std::string prefixes[3] = {std::string(tag), cls.empty() ? std::string() : "." + std::string(cls),
                                     pseudo.empty() ? std::string() : ":" + std::string(pseudo)};
    for (const std::string& prefix : prefixes) {
        if (prefix.empty()) {
            continue;
        }
        for (auto entry = styles.LowerBound(prefix); entry != styles.end(); ++entry) {
            const std::string& key = entry->second.key;
            if (key.compare(0, prefix.size(), prefix) != 0) {
                break;
            }
            std::vector<std::string_view> parts = keyParts(key);
            if (parts.empty()) {
                continue;
            }
            const SelectorPart subject = splitPart(parts[0]);
            if (subject.tag != tag && subject.cls != cls && subject.pseudo != pseudo) {
                break;
            }
            if (!componentMatches(subject.tag, tag) || !componentMatches(subject.cls, cls) ||
                !componentMatches(subject.id, ElemId) || !componentMatches(subject.pseudo, pseudo)) {
                continue;
            }
            std::vector<std::string_view> ancestors;
            for (size_t k = 1; k < parts.size(); ++k) {
                std::string_view part = parts[k];
                if (k == 1) {
                    const size_t digits = part.find_first_not_of("0123456789");
                    part = digits == std::string_view::npos ? std::string_view() : part.substr(digits);
                }
                if (!part.empty()) {
                    ancestors.push_back(part);
                }
            }
            if (ancestors.empty()) {
                continue;
            }
            // Ancestor parts in order, each against the next open element that fits.
            size_t next = 0;
            for (const TProperties* open = Parent; open && open->Parent && next < ancestors.size();
                 open = open->Parent) {
                if (partMatches(splitPart(ancestors[next]), *open)) {
                    ++next;
                }
            }
            if (next == ancestors.size()) {
                Merge(*entry->second.props);
            }
        }
    }
}

void TProperties::Combine(const TStyleList& styles, std::string_view tag, std::string_view cls,
                          std::string_view id, std::string_view pseudo, const TProperties* inlineStyle) {
    const double parentSize =
        std::holds_alternative<double>(Props[piFontSize]) ? std::get<double>(Props[piFontSize]) : DefFontSize;
    // Recorded first: contextual matching compares the element's own id.
    ElemTag = tag;
    ElemClass = cls;
    ElemId = id;
    ElemPseudo = pseudo;
    const std::string T(tag), C(cls), I(id), P(pseudo);
    const auto apply = [&](const std::string& key) {
        for (auto entry = styles.LowerBound(key); entry != styles.end() && entry->second.key == key;
             ++entry) {
            Merge(*entry->second.props);
        }
    };
    const bool hasC = !C.empty();
    const bool hasP = !P.empty();
    if (!T.empty()) {
        apply(T);
    }
    if (T == "a" && hasP) {
        apply("::" + P);
    }
    if (hasP) {
        apply(":" + P);
    }
    if (hasC) {
        apply("." + C);
        apply(T + "." + C);
    }
    if (hasP) {
        apply(T + ":" + P);
    }
    if (hasC && hasP) {
        apply("." + C + ":" + P);
        apply(T + "." + C + ":" + P);
    }
    if (!I.empty()) {
        apply("#" + I);
        apply(T + "#" + I);
        if (hasC) {
            apply("." + C + "#" + I);
        }
        if (hasP) {
            apply("#" + I + ":" + P);
            apply(T + "#" + I + ":" + P);
        }
        if (hasC) {
            apply(T + "." + C + "#" + I);
        }
        if (hasC && hasP) {
            apply("." + C + "#" + I + ":" + P);
            apply(T + "." + C + "#" + I + ":" + P);
        }
    }
    ApplyContextualRules(styles, T, C, P);
    if (inlineStyle) {
        Merge(*inlineStyle);
        InlineStyle = std::make_unique<TProperties>();
        InlineStyle->CopyFrom(*inlineStyle);
    } else {
        InlineStyle.reset();
    }
    ResolveFontSize(parentSize);
    combinedWith_ = &styles;
    cachedFont_.reset();
    if (P == "link") {
        BuildLinkFonts(styles);
    }
}

namespace {

// A temporary entry for a link state: stands on `base`, matched with the pseudo-class.
std::unique_ptr<TProperties> linkStateEntry(const TProperties& base, const TStyleList& styles,
                                            std::string_view pseudo) {
    auto entry = std::make_unique<TProperties>();
    entry->Inherit(base);
    entry->Combine(styles, base.ElemTag, base.ElemClass, base.ElemId, pseudo, nullptr);
    entry->TakeBackColor();
    return entry;
}

} // namespace

// Everything the fonts of a link's states depend on besides the sheet, when no rule names
// ancestors: what the state entries inherit from the link that bears on fonts, and the names the
// sheet is matched with.
std::string TProperties::LinkStyleKey() const {
    std::string key;
    const auto addBytes = [&key](const auto& value) {
        key.append(reinterpret_cast<const char*>(&value), sizeof value);
    };
    const auto addText = [&](std::string_view text) {
        addBytes(text.size());
        key += text;
    };
    for (int i :
         {piFontFamily, piFontSize, piFontStyle, piFontWeight, piTextAlign, piTextDecoration, piColor}) {
        const PropValue& v = Props[size_t(i)];
        key += char(v.index());
        if (const int32_t* n = std::get_if<int32_t>(&v)) {
            addBytes(*n);
        } else if (const double* d = std::get_if<double>(&v)) {
            addBytes(*d);
        } else {
            addText(stringOf(v));
        }
    }
    addBytes(BackColor);
    addBytes(CharSet);
    addBytes(DefFontSize);
    addText(faceFallback_);
    addText(ElemTag);
    addText(ElemClass);
    addText(ElemId);
    return key;
}

void TProperties::BuildLinkFonts(const TStyleList& styles) {
    // The state entries are matched with the link's tag and class and a state's pseudo-class.
    const bool inContext = styles.HasContextualRulesFor(ElemTag) ||
                           (!ElemClass.empty() && styles.HasContextualRulesFor("." + ElemClass)) ||
                           styles.HasContextualRulesFor(":visited") || styles.HasContextualRulesFor(":hover");
    const std::string key = inContext ? std::string() : LinkStyleKey();
    if (const TFontInfoArray* known = key.empty() ? nullptr : styles.KnownLinkFonts(key)) {
        LinkFontInfo = std::make_unique<TFontInfoArray>(*known);
        HasLinkFonts = true;
        cachedFont_.reset();
        return;
    }
    auto fonts = std::make_unique<TFontInfoArray>();
    cachedFont_.reset();
    GetFontInfo(fonts->Ar[0]);
    {
        const auto visited = linkStateEntry(*this, styles, "visited");
        visited->GetFontInfo(fonts->Ar[1]);
        const auto visitedHover = linkStateEntry(*visited, styles, "hover");
        visitedHover->GetFontInfo(fonts->Ar[3]);
    }
    const auto hover = linkStateEntry(*this, styles, "hover");
    hover->GetFontInfo(fonts->Ar[2]);
    if (!key.empty()) {
        styles.RememberLinkFonts(key, *fonts);
    }
    LinkFontInfo = std::move(fonts);
    HasLinkFonts = true;
}

} // namespace tavlin
