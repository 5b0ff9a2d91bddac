#include "reader/Properties.h"

#include "platform/System.h"
#include "reader/ColorNames.h"
#include "reader/StyleSheet.h"
#include "reader/TextUtil.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace tavlin {

namespace {

constexpr std::string_view kPropertyNames[PropCount] = {"font-family",
                                                        "font-size",
                                                        "font-style",
                                                        "font-weight",
                                                        "text-align",
                                                        "text-decoration",
                                                        "border-style",
                                                        "color",
                                                        "background-color",
                                                        "border-color",
                                                        "margin-top",
                                                        "margin-right",
                                                        "margin-bottom",
                                                        "margin-left",
                                                        "padding-top",
                                                        "padding-right",
                                                        "padding-bottom",
                                                        "padding-left",
                                                        "border-top-width",
                                                        "border-right-width",
                                                        "border-bottom-width",
                                                        "border-left-width",
                                                        "border-top-style",
                                                        "border-right-style",
                                                        "border-bottom-style",
                                                        "border-left-style",
                                                        "width",
                                                        "height",
                                                        "top",
                                                        "left",
                                                        "visibility",
                                                        "line-height",
                                                        "background-image",
                                                        "background-position",
                                                        "background-repeat",
                                                        "vertical-align",
                                                        "position",
                                                        "z-index",
                                                        "list-style-type",
                                                        "list-style-image",
                                                        "float",
                                                        "clear"};

bool isInheritedProp(int i) {
    return (i >= piFontFamily && i <= piTextDecoration) || i == piColor || i == piVisibility ||
           i == piLineHeight || i == piZIndex || i == piListStyleType || i == piListStyleImage;
}

bool isResetProp(int i) {
    return i >= piMarginTop && i <= piLeft;
}

// Properties whose change reaches the link fonts.
bool isLinkFontProp(int i) {
    return (i >= piFontFamily && i <= piFontWeight) || i == piTextDecoration || i == piColor ||
           i == piBackgroundColor;
}

const std::string kEmpty;

// A length or size text split into its number and its unit ("1.2em" -> 1.2, "em"). An "e" starts
// the unit. hasNumber is false when no number stands in front.
struct NumberAndUnit {
    double number = 0;
    bool hasNumber = false;
    std::string unit;
};

NumberAndUnit splitNumber(std::string_view text) {
    text = trimView(text);
    size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    while (i < text.size() && (isAsciiDigit(text[i]) || text[i] == '.')) {
        ++i;
    }
    NumberAndUnit r;
    r.hasNumber = parseReal(text.substr(0, i), r.number);
    r.unit = toLowerAscii(trimView(text.substr(i)));
    return r;
}

// Keeps font sizes within what a screen font can be made with.
double clampPoints(double points) {
    if (!std::isfinite(points) || points < 1) {
        return 1;
    }
    return points > 2000 ? 2000 : points;
}

int32_t clampToInt(double v) {
    if (!std::isfinite(v)) {
        return 0;
    }
    return int32_t(std::clamp(std::round(v), -2147483647.0, 2147483647.0));
}

bool isBoldWeight(std::string_view weight) {
    if (weight.find("bold") != std::string_view::npos) {
        return true;
    }
    double n = 0;
    return parseReal(weight, n) && n >= 600;
}

uint8_t styleBitsFor(const std::string& weight, const std::string& style, const std::string& decoration) {
    uint8_t bits = 0;
    if (isBoldWeight(weight)) {
        bits |= fsBold;
    }
    if (style == "italic" || style == "oblique") {
        bits |= fsItalic;
    }
    if (decoration == "underline") {
        bits |= fsUnderline;
    } else if (decoration == "line-through") {
        bits |= fsStrikeOut;
    }
    return bits;
}

struct CharSetName {
    std::string_view name;
    uint8_t value;
};
constexpr CharSetName kCharSetNames[] = {
    {"ANSI_CHARSET", 0},      {"DEFAULT_CHARSET", 1},    {"SYMBOL_CHARSET", 2},
    {"MAC_CHARSET", 77},      {"SHIFTJIS_CHARSET", 128}, {"HANGEUL_CHARSET", 129},
    {"JOHAB_CHARSET", 130},   {"GB2312_CHARSET", 134},   {"CHINESEBIG5_CHARSET", 136},
    {"GREEK_CHARSET", 161},   {"TURKISH_CHARSET", 162},  {"VIETNAMESE_CHARSET", 163},
    {"HEBREW_CHARSET", 177},  {"ARABIC_CHARSET", 178},   {"BALTIC_CHARSET", 186},
    {"RUSSIAN_CHARSET", 204}, {"THAI_CHARSET", 222},     {"EASTEUROPE_CHARSET", 238},
    {"OEM_CHARSET", 255}};

// Searched in order as substrings of the lower-cased content type; "utf-8" names the UTF-8
// character set of this platform (DEFAULT).
constexpr CharSetName kContentTypeCharSets[] = {
    {"1252", 0},     {"8859-1", 0},   {"1253", 161},   {"8859-7", 161}, {"1250", 238},
    {"8859-2", 238}, {"1251", 204},   {"8859-5", 204}, {"koi8-r", 204}, {"1254", 162},
    {"8859-3", 162}, {"8859-9", 162}, {"1257", 186},   {"8859-4", 186}, {"utf-8", 1}};

constexpr std::string_view kListStyleNames[] = {"blank",       "circle",      "decimal", "disc",
                                                "lower-alpha", "lower-roman", "none",    "square",
                                                "upper-alpha", "upper-roman"};

// The words of a background-position value as a placement.
BgPosition placementOf(std::string_view word, int emSize, int exSize) {
    if (word == "top" || word == "left") {
        return {BgPlacement::TopLeft, 0};
    }
    if (word == "center") {
        return {BgPlacement::Center, 0};
    }
    if (word == "bottom" || word == "right") {
        return {BgPlacement::BottomRight, 0};
    }
    const NumberAndUnit nu = splitNumber(word);
    if (nu.hasNumber && nu.unit == "%") {
        return {BgPlacement::Percent, clampToInt(nu.number)};
    }
    const int px = LengthToPixels(word, 0, emSize, exSize, NotSet);
    if (px != NotSet) {
        return {BgPlacement::Length, px};
    }
    return {BgPlacement::Unset, 0};
}

std::vector<std::string_view> splitWords(std::string_view s) {
    std::vector<std::string_view> words;
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && s[i] == ' ') {
            ++i;
        }
        const size_t start = i;
        while (i < s.size() && s[i] != ' ') {
            ++i;
        }
        if (i > start) {
            words.push_back(s.substr(start, i - start));
        }
    }
    return words;
}

// The name inside url(...) with one pair of quotes removed; "none" gives an empty name.
bool imageNameOf(const PropValue& v, std::string& name) {
    const std::string& s = stringOf(v);
    if (s == "none") {
        name.clear();
        return true;
    }
    const size_t open = s.find("url(");
    if (open == std::string::npos) {
        return false;
    }
    const size_t close = s.find(')', open + 4);
    std::string_view inner =
        std::string_view(s).substr(open + 4, close == std::string::npos ? s.npos : close - open - 4);
    inner = unquoteView(trimView(inner));
    if (inner.empty()) {
        return false;
    }
    name = std::string(inner);
    return true;
}

} // namespace

const std::string& stringOf(const PropValue& v) {
    const std::string* s = std::get_if<std::string>(&v);
    return s ? *s : kEmpty;
}

std::string_view PropertyName(int index) {
    return index >= 0 && index < PropCount ? kPropertyNames[index] : std::string_view();
}

int PropertyIndex(std::string_view name) {
    for (int i = 0; i < PropCount; ++i) {
        if (kPropertyNames[i] == name) {
            return i;
        }
    }
    return -1;
}

FontChoice fontChoiceOf(const ThtFontInfo& info) {
    FontChoice choice;
    choice.desc.name = info.Name;
    choice.desc.height = std::max(1, pointsToPixels(info.Size));
    choice.desc.style = info.Style;
    choice.desc.charSet = info.CharSet;
    choice.color = info.Color;
    choice.bgColor = info.BgColor;
    return choice;
}

int TBackgroundPosition::Offset(const BgPosition& p, int areaSize, int imageSize) {
    switch (p.kind) {
    case BgPlacement::Center:
        return (areaSize - imageSize) / 2;
    case BgPlacement::BottomRight:
        return areaSize - imageSize;
    case BgPlacement::Percent:
        return clampToInt(double(areaSize - imageSize) * p.value / 100.0);
    case BgPlacement::Length:
        return p.value;
    default:
        return 0;
    }
}

int LengthToPixels(std::string_view text, int base, int emSize, int exSize, int defaultValue,
                   bool multiplier) {
    const NumberAndUnit nu = splitNumber(text);
    if (!nu.hasNumber) {
        return defaultValue;
    }
    const double ppi = systemInfo().pixelsPerInch();
    double px = 0;
    const std::string& u = nu.unit;
    if (u == "in") {
        px = nu.number * ppi;
    } else if (u == "cm") {
        px = nu.number * ppi / 2.54;
    } else if (u == "mm") {
        px = nu.number * ppi / 25.4;
    } else if (u == "pt") {
        px = nu.number * ppi / 72;
    } else if (u == "px") {
        px = nu.number;
    } else if (u == "pc") {
        px = nu.number * ppi / 6;
    } else if (u == "em") {
        px = nu.number * emSize;
    } else if (u == "ex") {
        px = nu.number * exSize;
    } else if (u == "%") {
        px = nu.number * base / 100.0;
    } else if (u.empty()) {
        px = multiplier ? nu.number * base : nu.number;
    } else {
        return defaultValue;
    }
    return clampToInt(px);
}

namespace {

// One box value: integers as they are, NotSet to `notSet`, text as a length.
int32_t boxLength(const PropValue& v, int base, int em, int ex, int32_t notSet, int32_t unknown) {
    if (const int32_t* n = std::get_if<int32_t>(&v)) {
        return *n == NotSet ? notSet : *n;
    }
    if (const double* d = std::get_if<double>(&v)) {
        return clampToInt(*d);
    }
    if (!isStringValue(v)) {
        return notSet;
    }
    return LengthToPixels(stringOf(v), base, em, ex, unknown);
}

bool sideStyleFlag(const PropValue& v) {
    const std::string& s = stringOf(v);
    return !s.empty() && s != "none";
}

int32_t borderWidth(const PropValue& v, int base, int em, int ex) {
    const std::string& s = stringOf(v);
    if (s == "thin") {
        return 2;
    }
    if (s == "medium") {
        return 4;
    }
    if (s == "thick") {
        return 6;
    }
    return boxLength(v, base, em, ex, 4, 4);
}

Color colorValue(const PropValue& v) {
    const int32_t* n = std::get_if<int32_t>(&v);
    return n ? Color(*n) : clNone;
}

} // namespace

TMarginArray GetBoxMetrics(const TVMarginArray& v, int width, int height, int emSize, int exSize) {
    auto at = [&v](int prop) -> const PropValue& { return v[size_t(prop - kFirstBoxProp)]; };
    TMarginArray m;
    m[piBackgroundColor] = int32_t(colorValue(at(piBackgroundColor)));
    m[piBorderColor] = int32_t(colorValue(at(piBorderColor)));
    for (int side : {piMarginTop, piMarginBottom}) {
        m[side] = boxLength(at(side), width, emSize, exSize, NotSet, 0);
    }
    for (int side : {piMarginLeft, piMarginRight}) {
        m[side] =
            stringOf(at(side)) == "auto" ? AutoResult : boxLength(at(side), width, emSize, exSize, 0, 0);
    }
    for (int side = piPaddingTop; side <= piPaddingLeft; ++side) {
        m[side] = boxLength(at(side), width, emSize, exSize, 0, 0);
    }
    for (int i = 0; i < 4; ++i) {
        const bool styled = sideStyleFlag(at(piBorderTopStyle + i));
        m[piBorderTopStyle + i] = styled ? 1 : 0;
        m[piBorderTopWidth + i] = styled ? borderWidth(at(piBorderTopWidth + i), width, emSize, exSize) : 0;
    }
    m[piWidth] = boxLength(at(piWidth), width, emSize, exSize, AutoResult, AutoResult);
    m[piHeight] = boxLength(at(piHeight), height, emSize, exSize, 0, 0);
    m[piTop] = boxLength(at(piTop), width, emSize, exSize, AutoResult, AutoResult);
    m[piLeft] = boxLength(at(piLeft), width, emSize, exSize, AutoResult, AutoResult);
    m.autoCount = int(m[piMarginLeft] == AutoResult) + int(m[piMarginRight] == AutoResult) +
                  int(m[piWidth] == AutoResult);
    return m;
}

bool ColorFromString(std::string_view text, bool strict, Color& result) {
    thread_local std::string lastText;
    thread_local bool lastStrict = false;
    thread_local bool lastOk = false;
    thread_local Color lastResult = 0;

    const std::string s = toLowerAscii(trimView(text));
    if (s == lastText && strict == lastStrict && !s.empty()) {
        result = lastResult;
        return lastOk;
    }
    auto remember = [&](bool ok, Color c) {
        lastText = s;
        lastStrict = strict;
        lastOk = ok;
        lastResult = c;
        if (ok) {
            result = c;
        }
        return ok;
    };

    const bool hasRgb = s.find("rgb") != std::string::npos;
    if (s.empty()) {
        return false;
    }
    if (s[0] != '#' && s.find("rgb(") == std::string::npos) {
        Color named = 0;
        if (LookupColorName(s, named)) {
            return remember(true, named);
        }
    }
    if (hasRgb) {
        const size_t open = s.find('(');
        const size_t close = s.find(')', open == std::string::npos ? 0 : open);
        if (open == std::string::npos || close == std::string::npos) {
            return remember(false, 0);
        }
        std::array<int, 3> c{};
        std::string_view inner = std::string_view(s).substr(open + 1, close - open - 1);
        for (size_t k = 0; k < 3 && !inner.empty(); ++k) {
            const size_t comma = inner.find(',');
            std::string_view part = trimView(inner.substr(0, comma));
            inner = comma == std::string_view::npos ? std::string_view() : inner.substr(comma + 1);
            double n = 0;
            if (!part.empty() && part.back() == '%') {
                c[k] = parseReal(part.substr(0, part.size() - 1), n) ? clampToInt(n * 2.55) : 0;
            } else {
                c[k] = parseReal(part, n) && n == std::floor(n) ? clampToInt(n) : 0;
            }
            c[k] = std::clamp(c[k], 0, 255);
        }
        return remember(true, rgb(uint8_t(c[0]), uint8_t(c[1]), uint8_t(c[2])) | PaletteRelative);
    }
    std::string hex;
    for (char ch : s) {
        if (ch != '#') {
            hex += ch;
        }
    }
    if (strict && hex.size() == s.size()) {
        return remember(false, 0);
    }
    hex = trimmed(hex);
    if (hex.empty() || hex.size() > 6) {
        return remember(false, 0);
    }
    for (char ch : hex) {
        if (!std::isxdigit(uint8_t(ch))) {
            return remember(false, 0);
        }
    }
    if (hex.size() <= 3) {
        std::string doubled;
        for (char ch : hex) {
            doubled += ch;
            doubled += ch;
        }
        hex = doubled;
    }
    const uint32_t v = uint32_t(std::stoul(hex, nullptr, 16));
    return remember(true, rgb(uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)) | PaletteRelative);
}

double FontSizeForHtmlSize(int size, double defFontSize, bool inPre) {
    static constexpr std::array<double, 7> kProportional = {8, 10, 12, 14, 18, 24, 36};
    static constexpr std::array<double, 7> kPre = {7, 8, 10, 12, 15, 20, 30};
    const size_t i = size_t(std::clamp(size, 1, 7) - 1);
    return (inPre ? kPre[i] : kProportional[i]) * defFontSize / 12.0;
}

bool CharSetFromName(std::string_view name, uint8_t& charSet) {
    const std::string_view t = trimView(name);
    for (const CharSetName& c : kCharSetNames) {
        if (equalsNoCase(c.name, t)) {
            charSet = c.value;
            return true;
        }
    }
    return false;
}

std::string FirstInstalledFace(std::string_view faceList) {
    static constexpr std::pair<std::string_view, std::string_view> kGeneric[] = {
        {"serif", "Times New Roman"},
        {"monospace", "Courier New"},
        {"sans-serif", "Arial"},
        {"cursive", "Lucida Handwriting"}};
    size_t start = 0;
    while (start <= faceList.size()) {
        size_t comma = faceList.find(',', start);
        if (comma == std::string_view::npos) {
            comma = faceList.size();
        }
        std::string_view face = unquoteView(trimView(faceList.substr(start, comma - start)));
        for (const auto& [generic, real] : kGeneric) {
            if (equalsNoCase(face, generic)) {
                face = real;
                break;
            }
        }
        if (!face.empty() && systemInfo().isFontInstalled(face)) {
            return std::string(face);
        }
        start = comma + 1;
    }
    return {};
}

// ---- TProperties ----

TProperties::TProperties() {
    for (int i = piMarginTop; i <= piLeft; ++i) {
        Props[size_t(i)] = NotSet;
    }
    Props[piZIndex] = int32_t(0);
}

TProperties::~TProperties() = default;

void TProperties::CopyFrom(const TProperties& other) {
    Props = other.Props;
    DefFontSize = other.DefFontSize;
}

namespace {

// A copy of what `from` holds, in the block `to` already has when it has one.
template <typename T> void CopyInto(std::unique_ptr<T>& to, const std::unique_ptr<T>& from) {
    if (!from) {
        to.reset();
    } else if (to) {
        *to = *from;
    } else {
        to = std::make_unique<T>(*from);
    }
}

} // namespace

void TProperties::CopyComputed(const TProperties& other) {
    // An entry recycled from an unchanged copy of the same values holds them already.
    const bool holdsThem = Props.CopyOf() != 0 && Props.CopyOf() == other.Props.CopyOf();
    if (!holdsThem) {
        Props = other.Props;
        faceFallback_ = other.faceFallback_;
    }
    OwnFlags = other.OwnFlags;
    ElemTag = other.ElemTag;
    ElemClass = other.ElemClass;
    ElemId = other.ElemId;
    ElemPseudo = other.ElemPseudo;
    InlineStyle.reset();
    BackColor = other.BackColor;
    CharSet = other.CharSet;
    EmSize = other.EmSize;
    ExSize = other.ExSize;
    HasLinkFonts = other.HasLinkFonts;
    CopyInto(LinkFontInfo, other.LinkFontInfo);
    DefFontSize = other.DefFontSize;
    Parent = other.Parent;
    cachedFont_ = other.cachedFont_;
    ownCharSet_ = other.ownCharSet_;
    combinedWith_ = other.combinedWith_;
}

bool TProperties::HandsDownSameAs(const TProperties& other) const {
    // Exactly what Inherit reads from the parent, the cheapest first.
    if (BackColor != other.BackColor || CharSet != other.CharSet || DefFontSize != other.DefFontSize) {
        return false;
    }
    const bool links = HasLinkFonts && LinkFontInfo;
    if (links != (other.HasLinkFonts && other.LinkFontInfo) ||
        (links && !(*LinkFontInfo == *other.LinkFontInfo))) {
        return false;
    }
    // Unchanged copies of the same values hold the same values and the same fallback face.
    if (Props.CopyOf() != 0 && Props.CopyOf() == other.Props.CopyOf()) {
        return true;
    }
    for (int i = 0; i < PropCount; ++i) {
        if (isInheritedProp(i) && Props[size_t(i)] != other.Props[size_t(i)]) {
            return false;
        }
    }
    const ThtFontInfo& font = *SharedFontInfo();
    const ThtFontInfo& otherFont = *other.SharedFontInfo();
    return font.Size == otherFont.Size && font.Name == otherFont.Name;
}

void TProperties::CopyRoot(const TProperties& defaults) {
    CopyFrom(defaults);
    CharSet = defaults.CharSet;
    ElemTag = "default";
    Parent = nullptr;
    EmSize = std::max(1, pointsToPixels(std::round(GetFontSize())));
    ExSize = EmSize / 2;
    cachedFont_.reset();
}

void TProperties::InheritValues(const TProperties& parent, bool onlyNotOwn) {
    for (int i = 0; i < PropCount; ++i) {
        if (isInheritedProp(i) && !(onlyNotOwn && OwnFlags[size_t(i)])) {
            Props[size_t(i)] = parent.Props[size_t(i)];
        }
    }
    if (!(onlyNotOwn && OwnFlags[piBackgroundColor] && isIntValue(Props[piBackgroundColor]))) {
        BackColor = parent.BackColor;
    }
    if (!(onlyNotOwn && ownCharSet_)) {
        CharSet = parent.CharSet;
    }
    DefFontSize = parent.DefFontSize;
    Parent = &parent;
    Props.Forget(); // the fallback face below is vouched for by the mark too
    const ThtFontInfo& parentFont = *parent.SharedFontInfo();
    faceFallback_ = parentFont.Name;
    EmSize = std::max(1, pointsToPixels(parentFont.Size));
    ExSize = EmSize / 2;
    cachedFont_.reset();
}

void TProperties::Inherit(const TProperties& parent) {
    for (int i = 0; i < PropCount; ++i) {
        if (isResetProp(i)) {
            Props[size_t(i)] = NotSet;
        } else if (!isInheritedProp(i)) {
            Props[size_t(i)] = std::monostate{};
        }
    }
    InheritValues(parent, false);
    HasLinkFonts = parent.HasLinkFonts;
    if (HasLinkFonts && parent.LinkFontInfo) {
        LinkFontInfo = std::make_unique<TFontInfoArray>(*parent.LinkFontInfo);
    } else {
        HasLinkFonts = false;
        LinkFontInfo.reset();
    }
}

void TProperties::Reinherit(const TProperties& parent) {
    // Only what is inherited comes from the parent: box values were never the parent's.
    InheritValues(parent, true);
    if (ElemPseudo == "link" && combinedWith_) {
        BuildLinkFonts(*combinedWith_);
    } else if (parent.HasLinkFonts && parent.LinkFontInfo) {
        LinkFontInfo = std::make_unique<TFontInfoArray>(*parent.LinkFontInfo);
        HasLinkFonts = true;
        // The element's own font properties still apply on top of the link's fonts.
        for (int i = 0; i < PropCount; ++i) {
            if (OwnFlags[size_t(i)] && isLinkFontProp(i)) {
                UpdateLinkFonts(i, Props[size_t(i)]);
            }
        }
    } else if (ElemPseudo != "link") {
        LinkFontInfo.reset();
        HasLinkFonts = false;
    }
}

void TProperties::AssignProp(int index, const PropValue& value) {
    if (index < 0 || index >= PropCount || OwnFlags[size_t(index)]) {
        return;
    }
    Props[size_t(index)] = value;
    OwnFlags[size_t(index)] = true;
    cachedFont_.reset();
    if (HasLinkFonts && LinkFontInfo) {
        for (ThtFontInfo& f : LinkFontInfo->Ar) {
            if (index == piFontFamily) {
                f.Name = stringOf(value);
            } else if (index == piFontSize) {
                if (const double* d = std::get_if<double>(&value)) {
                    f.Size = clampToInt(clampPoints(*d));
                }
            } else if (index == piColor) {
                if (const int32_t* n = std::get_if<int32_t>(&value)) {
                    f.Color = Color(*n);
                }
            }
        }
    }
}

namespace {

// Algorithm of font-size resolution against a parent size P and the default size D.
double resolveFontSize(std::string_view text, double parent, double def) {
    const NumberAndUnit nu = splitNumber(text);
    const double ppi = systemInfo().pixelsPerInch();
    const std::string& u = nu.unit;
    if (u == "smaller") {
        return parent * 0.75;
    }
    if (u == "larger") {
        return parent * 1.25;
    }
    static constexpr std::pair<std::string_view, double> kKeywords[] = {
        {"xx-small", 1 / 1.5}, {"x-small", 1 / 1.2}, {"small", 1},   {"medium", 1.2},
        {"large", 1.5},        {"x-large", 2},       {"xx-large", 3}};
    for (const auto& [word, factor] : kKeywords) {
        if (u == word) {
            return def * factor;
        }
    }
    if (!nu.hasNumber) {
        return def;
    }
    const double n = nu.number;
    if (u == "in") {
        return n * 72;
    }
    if (u == "cm") {
        return n * 72 / 2.54;
    }
    if (u == "mm") {
        return n * 72 / 25.4;
    }
    if (u == "pt") {
        return n;
    }
    if (u == "pc") {
        return n * 12;
    }
    if (u == "px" || u.empty()) {
        return n * 72 / ppi;
    }
    if (u == "em") {
        return n * parent;
    }
    if (u == "ex") {
        return n * parent / 2;
    }
    if (u == "%") {
        return n * parent / 100;
    }
    return def;
}

} // namespace

void TProperties::ResolveFontSize(double parentPoints) {
    if (const std::string* s = std::get_if<std::string>(&Props[piFontSize])) {
        const double p = parentPoints > 0 ? parentPoints : DefFontSize;
        Props[piFontSize] = clampPoints(resolveFontSize(*s, p, DefFontSize));
        cachedFont_.reset();
    }
}

void TProperties::UpdateLinkFonts(int index, const PropValue& value) {
    if (!LinkFontInfo) {
        return;
    }
    const std::string& text = stringOf(value);
    for (ThtFontInfo& f : LinkFontInfo->Ar) {
        switch (index) {
        case piFontFamily: {
            const std::string face = FirstInstalledFace(text);
            if (!face.empty()) {
                f.Name = face;
            }
            break;
        }
        case piFontSize:
            if (const double* d = std::get_if<double>(&value)) {
                f.Size = clampToInt(clampPoints(*d));
            } else if (!text.empty()) {
                f.Size = clampToInt(clampPoints(resolveFontSize(text, f.Size, DefFontSize)));
            }
            break;
        case piFontStyle:
            if (text == "italic" || text == "oblique") {
                f.Style |= fsItalic;
            } else if (text == "normal") {
                f.Style &= ~fsItalic;
            }
            break;
        case piFontWeight:
            if (isBoldWeight(text)) {
                f.Style |= fsBold;
            } else if (text == "normal") {
                f.Style &= ~fsBold;
            }
            break;
        case piTextDecoration:
            if (text == "underline") {
                f.Style |= fsUnderline;
            } else if (text == "line-through") {
                f.Style |= fsStrikeOut;
            } else if (text == "none") {
                f.Style &= ~(fsUnderline | fsStrikeOut);
            }
            break;
        case piColor:
            if (const int32_t* n = std::get_if<int32_t>(&value)) {
                f.Color = Color(*n);
            }
            break;
        case piBackgroundColor:
            if (const int32_t* n = std::get_if<int32_t>(&value)) {
                f.BgColor = Color(*n);
            }
            break;
        default:
            break;
        }
    }
}

void TProperties::Merge(const TProperties& rule) {
    for (int i = 0; i < PropCount; ++i) {
        const PropValue& v = rule.Props[size_t(i)];
        if (isEmptyValue(v)) {
            continue;
        }
        if (isResetProp(i)) {
            const int32_t* n = std::get_if<int32_t>(&v);
            if (n && *n == NotSet) {
                continue;
            }
        }
        Props[size_t(i)] = v;
        OwnFlags[size_t(i)] = true;
        if (HasLinkFonts && isLinkFontProp(i)) {
            UpdateLinkFonts(i, v);
        }
    }
    cachedFont_.reset();
}

void TProperties::SetPropByName(std::string_view name, std::string_view value) {
    const int index = PropertyIndex(name);
    if (index >= 0) {
        SetPropByIndex(index, value);
    }
}

void TProperties::SetPropByIndex(int index, std::string_view value) {
    if (index < 0 || index >= PropCount) {
        return;
    }
    const std::string text(value);
    switch (index) {
    case piBorderStyle:
        for (int i :
             {piBorderStyle, piBorderTopStyle, piBorderRightStyle, piBorderBottomStyle, piBorderLeftStyle}) {
            Props[size_t(i)] = text;
        }
        break;
    case piColor:
    case piBackgroundColor:
    case piBorderColor: {
        Color c = 0;
        if (ColorFromString(text, false, c)) {
            Props[size_t(index)] = int32_t(c);
        } else {
            Props[size_t(index)] = int32_t(index == piColor ? 0 : clNone);
        }
        break;
    }
    case piBorderTopStyle:
    case piBorderRightStyle:
    case piBorderBottomStyle:
    case piBorderLeftStyle:
        Props[size_t(index)] = text;
        Props[piBorderStyle] = text;
        break;
    case piVisibility:
        if (text == "visible") {
            Props[piVisibility] = int32_t(2);
        } else if (text == "hidden") {
            Props[piVisibility] = int32_t(1);
        }
        break;
    default:
        Props[size_t(index)] = text;
        break;
    }
    cachedFont_.reset();
}

void TProperties::TakeBackColor() {
    if (const int32_t* n = std::get_if<int32_t>(&std::as_const(Props)[piBackgroundColor]);
        n && OwnFlags[piBackgroundColor]) {
        BackColor = Color(*n);
        cachedFont_.reset();
    }
}

void TProperties::SetCharSetByName(std::string_view name) {
    uint8_t cs = 0;
    if (CharSetFromName(name, cs)) {
        CharSet = cs;
        ownCharSet_ = true;
        cachedFont_.reset();
    }
}

void TProperties::SetCharSetByContentType(std::string_view content) {
    const std::string lower = toLowerAscii(content);
    for (const CharSetName& c : kContentTypeCharSets) {
        if (lower.find(c.name) != std::string::npos) {
            CharSet = c.value;
            ownCharSet_ = true;
            cachedFont_.reset();
            return;
        }
    }
}

// ---- queries ----

double TProperties::GetFontSize() const {
    if (const double* d = std::get_if<double>(&Props[piFontSize]); d && *d > 0) {
        return *d;
    }
    if (const int32_t* n = std::get_if<int32_t>(&Props[piFontSize]); n && *n > 0) {
        return *n;
    }
    return DefFontSize;
}

void TProperties::GetFontInfo(ThtFontInfo& info) const {
    info = *SharedFontInfo();
}

const std::shared_ptr<const ThtFontInfo>& TProperties::SharedFontInfo() const {
    if (cachedFont_) {
        return cachedFont_;
    }
    auto info = std::make_shared<ThtFontInfo>();
    info->BgColor = BackColor;
    if (const int32_t* n = std::get_if<int32_t>(&Props[piColor])) {
        info->Color = Color(*n);
    }
    info->Style = styleBitsFor(stringOf(Props[piFontWeight]), stringOf(Props[piFontStyle]),
                               stringOf(Props[piTextDecoration]));
    info->Size = clampToInt(clampPoints(GetFontSize()));
    info->CharSet = CharSet;
    std::string face = FirstInstalledFace(stringOf(Props[piFontFamily]));
    info->Name = face.empty() ? faceFallback_ : std::move(face);
    cachedFont_ = std::move(info);
    return cachedFont_;
}

FontChoice TProperties::GetFont() const {
    return fontChoiceOf(*SharedFontInfo());
}

Color TProperties::GetBackgroundColor() const {
    const int32_t* n = std::get_if<int32_t>(&Props[piBackgroundColor]);
    return n && OwnFlags[piBackgroundColor] ? Color(*n) : clNone;
}

Color TProperties::GetFontColor() const {
    const int32_t* n = std::get_if<int32_t>(&Props[piColor]);
    return n && OwnFlags[piColor] ? Color(*n) : clNone;
}

bool TProperties::GetBackgroundImage(std::string& name) const {
    return imageNameOf(Props[piBackgroundImage], name);
}

bool TProperties::GetListStyleImage(std::string& name) const {
    return imageNameOf(Props[piListStyleImage], name);
}

TBackgroundPosition TProperties::GetBackgroundPosition() const {
    TBackgroundPosition bp;
    const std::vector<std::string_view> words = splitWords(stringOf(Props[piBackgroundPosition]));
    if (words.size() == 1) {
        bp.x = bp.y = placementOf(words[0], EmSize, ExSize);
    } else if (words.size() >= 2) {
        std::string_view first = words[0];
        std::string_view second = words[1];
        if (second == "left" || second == "right" || first == "top" || first == "bottom") {
            std::swap(first, second);
        }
        bp.x = placementOf(first, EmSize, ExSize);
        bp.y = placementOf(second, EmSize, ExSize);
    }
    const std::string& repeat = stringOf(Props[piBackgroundRepeat]);
    if (repeat == "no-repeat") {
        bp.repeatX = bp.repeatY = false;
    } else if (repeat == "repeat-x") {
        bp.repeatY = false;
    } else if (repeat == "repeat-y") {
        bp.repeatX = false;
    }
    return bp;
}

bool TProperties::GetVerticalAlign(AlignmentType& align) const {
    const std::string& s = stringOf(Props[piVerticalAlign]);
    if (s == "top" || s == "text-top") {
        align = AlignmentType::Top;
    } else if (s == "middle") {
        align = AlignmentType::Middle;
    } else if (s == "baseline") {
        align = AlignmentType::Baseline;
    } else if (s == "bottom") {
        align = AlignmentType::Bottom;
    } else {
        return false;
    }
    return true;
}

bool TProperties::GetFloat(AlignmentType& align) const {
    const std::string& s = stringOf(Props[piFloat]);
    if (s == "left") {
        align = AlignmentType::Left;
    } else if (s == "right") {
        align = AlignmentType::Right;
    } else if (s == "none") {
        align = AlignmentType::None;
    } else {
        return false;
    }
    return true;
}

bool TProperties::GetClear(ClearType& clear) const {
    const std::string& s = stringOf(Props[piClear]);
    if (s == "left") {
        clear = ClearType::Left;
    } else if (s == "right") {
        clear = ClearType::Right;
    } else if (s == "both") {
        clear = ClearType::Both;
    } else if (s == "none") {
        clear = ClearType::None;
    } else {
        return false;
    }
    return true;
}

PositionType TProperties::GetPosition() const {
    const std::string& s = stringOf(Props[piPosition]);
    if (s == "absolute") {
        return PositionType::Absolute;
    }
    return s == "relative" ? PositionType::Relative : PositionType::Static;
}

VisibilityType TProperties::GetVisibility() const {
    const int32_t* n = std::get_if<int32_t>(&Props[piVisibility]);
    return n && *n == 1 ? VisibilityType::Hidden : VisibilityType::Visible;
}

int32_t TProperties::GetZIndex() const {
    if (const int32_t* n = std::get_if<int32_t>(&Props[piZIndex])) {
        return *n;
    }
    double d = 0;
    return parseReal(stringOf(Props[piZIndex]), d) ? clampToInt(d) : 0;
}

ListStyleType TProperties::GetListStyleType() const {
    const std::string& s = stringOf(Props[piListStyleType]);
    for (size_t i = 0; i < std::size(kListStyleNames); ++i) {
        if (kListStyleNames[i] == s) {
            return ListStyleType(i);
        }
    }
    return ListStyleType::Blank;
}

int TProperties::GetLineHeight(int normalHeight) const {
    const PropValue& v = Props[piLineHeight];
    const std::string& s = stringOf(v);
    if (s.empty()) {
        return 0;
    }
    double factor = 0;
    if (parseReal(s, factor)) {
        return clampToInt(normalHeight * factor);
    }
    return LengthToPixels(s, EmSize, EmSize, ExSize, 0, true);
}

bool TProperties::HasBorderStyle() const {
    const std::string* s = std::get_if<std::string>(&Props[piBorderStyle]);
    return s && *s != "none";
}

void TProperties::GetVMarginArray(TVMarginArray& v) const {
    for (int i = kFirstBoxProp; i <= kLastBoxProp; ++i) {
        v[size_t(i - kFirstBoxProp)] = Props[size_t(i)];
    }
}

TMarginArray TProperties::GetBoxMetrics(int width, int height) const {
    TVMarginArray v;
    GetVMarginArray(v);
    return tavlin::GetBoxMetrics(v, width, height, EmSize, ExSize);
}

std::string TProperties::GetTextAlign() const {
    return stringOf(Props[piTextAlign]);
}

// ---- the property stack ----

TPropStack::TPropStack() = default;
TPropStack::~TPropStack() = default;

void TPropStack::Clear() {
    PopTo(0);
    memo_.Clear();
}

// An entry as it was left: the caller overwrites or renews all of it.
std::unique_ptr<TProperties> TPropStack::Fresh() {
    if (spare_.empty()) {
        return std::make_unique<TProperties>();
    }
    std::unique_ptr<TProperties> props = std::move(spare_.back());
    spare_.pop_back();
    return props;
}

void TPropStack::Recycle(std::unique_ptr<TProperties> props) {
    // Enough for any real nesting; deeper stacks give their entries back to the heap.
    if (spare_.size() < 64) {
        spare_.push_back(std::move(props));
    }
}

void TPropStack::PushRoot() {
    auto root = std::make_unique<TProperties>();
    if (styles_ && styles_->DefaultProp()) {
        root->CopyRoot(*styles_->DefaultProp());
    } else {
        TStyleDefaults defaults;
        root->Props[piFontFamily] = defaults.DefFontName;
        root->Props[piFontSize] = defaults.DefFontSize;
        root->Props[piColor] = int32_t(defaults.DefFontColor);
        root->ElemTag = "default";
    }
    items_.push_back(std::move(root));
}

TProperties& TPropStack::PushElement(std::string_view tag, std::string_view cls, std::string_view id,
                                     const TProperties* inlineStyle, std::string_view pseudo) {
    if (items_.empty()) {
        PushRoot();
    }
    TProperties& parent = *items_.back();
    const ElementNames names{tag, cls, id, pseudo};
    const PropertyMemo::Lookup memo =
        styles_ ? memo_.Find(*styles_, parent, names, inlineStyle) : PropertyMemo::Lookup();
    if (const TProperties* known = memo.known) {
        // The copy overwrites every value the entry held before.
        std::unique_ptr<TProperties> props = Fresh();
        props->CopyComputed(*known);
        props->Parent = &parent;
        items_.push_back(std::move(props));
        return *items_.back();
    }
    std::unique_ptr<TProperties> props = Fresh();
    std::destroy_at(props.get());
    std::construct_at(props.get());
    props->Inherit(parent);
    items_.push_back(std::move(props));
    TProperties& top = *items_.back();
    if (styles_) {
        top.Combine(*styles_, tag, cls, id, pseudo, inlineStyle);
        if (memo.takes) {
            // Copies made from it take its font as worked out once.
            top.SharedFontInfo();
            memo_.Remember(parent, top);
        }
    } else {
        top.ElemTag = tag;
        top.ElemClass = cls;
        top.ElemId = id;
        top.ElemPseudo = pseudo;
    }
    return top;
}

void TPropStack::PopElement(std::string_view tag) {
    for (size_t i = items_.size(); i-- > 1;) {
        if (items_[i]->ElemTag == tag) {
            Recycle(std::move(items_[i]));
            items_.erase(items_.begin() + std::ptrdiff_t(i));
            for (size_t j = i; j < items_.size(); ++j) {
                items_[j]->Reinherit(*items_[j - 1]);
            }
            return;
        }
    }
}

void TPropStack::Pop() {
    if (!items_.empty()) {
        Recycle(std::move(items_.back()));
        items_.pop_back();
    }
}

void TPropStack::PopTo(int count) {
    while (int(items_.size()) > std::max(count, 0)) {
        Pop();
    }
}

} // namespace tavlin
