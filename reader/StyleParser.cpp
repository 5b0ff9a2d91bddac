#include "reader/StyleSheet.h"

#include "reader/TextUtil.h"

#include <array>
#include <utility>

namespace tavlin {

namespace {

constexpr char kEndMarker = 26;

using Declarations = std::vector<std::pair<std::string, std::string>>;

constexpr std::string_view kShorthands[] = {"margin",     "padding",      "border-width",  "border",
                                            "border-top", "border-right", "border-bottom", "border-left",
                                            "font",       "background",   "list-style"};

constexpr std::string_view kBorderStyles[] = {"none",   "solid", "dashed", "dotted", "double",
                                              "groove", "inset", "outset", "ridge"};

bool isShorthand(std::string_view name) {
    for (std::string_view s : kShorthands) {
        if (s == name) {
            return true;
        }
    }
    return false;
}

bool isBorderStyle(std::string_view word) {
    for (std::string_view s : kBorderStyles) {
        if (s == word) {
            return true;
        }
    }
    return false;
}

// Splits a shorthand value into words: spaces shrink, ", " joins, quotes hold spaces, and a '/'
// inside a word starts a new one ("12pt/14pt" gives "12pt" and "/14pt").
std::vector<std::string> shorthandWords(std::string_view value) {
    std::string v;
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == ' ' && (v.empty() || v.back() == ' ' || v.back() == ',')) {
            continue;
        }
        if (c == ',' && !v.empty() && v.back() == ' ') {
            v.back() = ',';
            continue;
        }
        v += c;
    }
    std::vector<std::string> words;
    std::string word;
    char quote = 0;
    for (const char c : v) {
        if (quote) {
            word += c;
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
            word += c;
        } else if (c == ' ') {
            if (!word.empty()) {
                words.push_back(std::move(word));
                word.clear();
            }
        } else if (c == '/' && !word.empty()) {
            words.push_back(std::move(word));
            word.assign(1, c);
        } else {
            word += c;
        }
    }
    if (!word.empty()) {
        words.push_back(std::move(word));
    }
    return words;
}

// Takes every "fn(...)" piece out of the value and returns them.
std::vector<std::string> takeOutCalls(std::string& value, std::string_view fn) {
    std::vector<std::string> pieces;
    size_t at = 0;
    while ((at = value.find(fn, at)) != std::string::npos) {
        const size_t close = value.find(')', at);
        const size_t end = close == std::string::npos ? value.size() : close + 1;
        pieces.push_back(value.substr(at, end - at));
        value.replace(at, end - at, " ");
    }
    return pieces;
}

bool isStrictColor(std::string_view word) {
    Color c = 0;
    return ColorFromString(word, true, c);
}

void expandSides(std::string_view prefix, std::string_view suffix, const std::vector<std::string>& words,
                 Declarations& out) {
    if (words.empty()) {
        return;
    }
    const size_t n = std::min<size_t>(words.size(), 4);
    // top, right, bottom, left
    static constexpr std::array<std::array<size_t, 4>, 4> kPick = {
        {{0, 0, 0, 0}, {0, 1, 0, 1}, {0, 1, 2, 1}, {0, 1, 2, 3}}};
    static constexpr std::string_view kSides[] = {"top", "right", "bottom", "left"};
    for (size_t side = 0; side < 4; ++side) {
        out.emplace_back(std::string(prefix) + std::string(kSides[side]) + std::string(suffix),
                         words[kPick[n - 1][side]]);
    }
}

void expandBorder(std::string_view name, std::string value, Declarations& out) {
    for (std::string& piece : takeOutCalls(value, "rgb(")) {
        out.emplace_back("border-color", std::move(piece));
    }
    for (const std::string& word : shorthandWords(value)) {
        if (isStrictColor(word)) {
            out.emplace_back("border-color", word);
        } else if (isBorderStyle(word)) {
            out.emplace_back(std::string(name) + "-style", word);
        } else if (name == "border") {
            for (const char* side :
                 {"border-top-width", "border-right-width", "border-bottom-width", "border-left-width"}) {
                out.emplace_back(side, word);
            }
        } else {
            out.emplace_back(std::string(name) + "-width", word);
        }
    }
}

void expandFont(std::string_view value, Declarations& out) {
    static constexpr std::pair<std::string_view, std::string_view> kKeywords[] = {
        {"italic", "font-style"},       {"oblique", "font-style"},  {"normal", "font-weight"},
        {"bolder", "font-weight"},      {"lighter", "font-weight"}, {"bold", "font-weight"},
        {"small-caps", "font-variant"}, {"larger", "font-size"},    {"smaller", "font-size"},
        {"xx-small", "font-size"},      {"x-small", "font-size"},   {"small", "font-size"},
        {"medium", "font-size"},        {"large", "font-size"},     {"x-large", "font-size"},
        {"xx-large", "font-size"}};
    for (const std::string& word : shorthandWords(value)) {
        if (word[0] == '/') {
            out.emplace_back("line-height", word.substr(1));
            continue;
        }
        std::string_view property = isAsciiDigit(word[0]) ? "font-size" : "font-family";
        for (const auto& [keyword, prop] : kKeywords) {
            if (word == keyword) {
                property = prop;
                break;
            }
        }
        out.emplace_back(std::string(property), word);
    }
}

void expandBackground(std::string value, std::string_view base, Declarations& out) {
    for (std::string& piece : takeOutCalls(value, "url(")) {
        out.emplace_back("background-image", base.empty() ? piece : ResolveUrlValue(piece, base));
    }
    for (std::string& piece : takeOutCalls(value, "rgb(")) {
        out.emplace_back("background-color", std::move(piece));
    }
    std::vector<std::string> remaining;
    for (std::string& word : shorthandWords(value)) {
        if (isStrictColor(word)) {
            out.emplace_back("background-color", word);
        } else if (word == "none") {
            out.emplace_back("background-image", word);
        } else if (word.find("repeat") != std::string::npos) {
            out.emplace_back("background-repeat", word);
        } else {
            remaining.push_back(std::move(word));
        }
    }
    if (!remaining.empty()) {
        std::string position = remaining.size() >= 2 ? remaining[remaining.size() - 2] + " " : std::string();
        position += remaining.back();
        out.emplace_back("background-position", std::move(position));
    }
}

void expandListStyle(std::string_view value, std::string_view base, Declarations& out) {
    for (const std::string& word : shorthandWords(value)) {
        if (word.find("url(") != std::string::npos) {
            out.emplace_back("list-style-image", base.empty() ? word : ResolveUrlValue(word, base));
        } else {
            out.emplace_back("list-style-type", word);
        }
    }
}

// The declarations a shorthand stands for, in the order they are applied.
Declarations expandShorthand(std::string_view name, const std::string& value, std::string_view base) {
    Declarations out;
    if (name == "margin" || name == "padding") {
        expandSides(std::string(name) + "-", "", shorthandWords(value), out);
    } else if (name == "border-width") {
        expandSides("border-", "-width", shorthandWords(value), out);
    } else if (name.starts_with("border")) {
        expandBorder(name, value, out);
    } else if (name == "font") {
        expandFont(value, out);
    } else if (name == "background") {
        expandBackground(value, base, out);
    } else if (name == "list-style") {
        expandListStyle(value, base, out);
    }
    return out;
}

// Characters from a source with one character of push-back; CR reads as a space and comments
// (/* ... */) are removed. A '<' or the end marker inside a comment ends it and stands.
class StyleReader {
public:
    StyleReader(char firstChar, const std::function<char()>& getChar, const std::function<char()>& peekChar)
        : getChar_(getChar), peekChar_(peekChar) {
        pushBack_ = firstChar;
        hasPushBack_ = true;
    }

    char ch = ' ';

    void Next() {
        for (;;) {
            char c = Raw();
            if (c != '/') {
                ch = c;
                return;
            }
            const char d = Raw();
            if (d != '*') {
                Push(d);
                ch = '/';
                return;
            }
            if (SkipComment()) {
                return;
            }
        }
    }
    // True when the character after the current '<' is '!' (or when no one can tell).
    bool OpensDeclaration() const {
        if (hasPushBack_) {
            return pushBack_ == '!';
        }
        return !peekChar_ || peekChar_() == '!';
    }
    bool AtEnd() const { return ch == '<' || ch == kEndMarker; }

private:
    char Raw() {
        char c;
        if (hasPushBack_) {
            hasPushBack_ = false;
            c = pushBack_;
        } else {
            c = getChar_();
        }
        return c == '\r' ? ' ' : c;
    }
    void Push(char c) {
        pushBack_ = c;
        hasPushBack_ = true;
    }
    // Skips to after "*/"; true when a '<' or the end marker stopped it (then current).
    bool SkipComment() {
        char c = Raw();
        for (;;) {
            if (c == '<' || c == kEndMarker) {
                ch = c;
                return true;
            }
            if (c == '*') {
                c = Raw();
                if (c == '/') {
                    return false;
                }
                continue;
            }
            c = Raw();
        }
    }

    const std::function<char()>& getChar_;
    const std::function<char()>& peekChar_;
    char pushBack_ = ' ';
    bool hasPushBack_ = false;
};

bool isSelectorChar(char c) {
    return isAsciiLetter(c) || isAsciiDigit(c) || c == ' ' || c == '#' || c == '-' || c == '.' || c == ':' ||
           c == '_';
}

bool isNameChar(char c) {
    return isAsciiLetter(c) || isAsciiDigit(c) || c == '-';
}

void skipSpaces(StyleReader& r) {
    while (r.ch == ' ') {
        r.Next();
    }
}

// Skips an at-rule: up to a ';' or over a {...} block, stopping early at '<' or the end.
void skipAtRule(StyleReader& r) {
    int depth = 0;
    while (!r.AtEnd()) {
        if (r.ch == ';' && depth == 0) {
            r.Next();
            return;
        }
        if (r.ch == '{') {
            ++depth;
        } else if (r.ch == '}' && depth > 0) {
            if (--depth == 0) {
                r.Next();
                return;
            }
        }
        r.Next();
    }
}

std::vector<std::string> readSelectorGroup(TStyleList& styles, StyleReader& r) {
    std::vector<std::string> group;
    do {
        if (r.ch == ',') {
            r.Next();
        }
        skipSpaces(r);
        std::string text;
        while (isSelectorChar(r.ch)) {
            text += r.ch;
            r.Next();
        }
        const std::string key = styles.SelectorKey(text);
        if (!key.empty()) {
            group.push_back(key);
        }
    } while (r.ch == ',');
    while (r.ch != '{' && !r.AtEnd()) {
        r.Next();
    }
    return group;
}

// Applies a declaration; url(...) values are resolved against the base.
void applyDeclaration(TStyleList& styles, const std::vector<std::string>& group, const std::string& name,
                      std::string value, std::string_view base) {
    if (isShorthand(name)) {
        for (const auto& [prop, v] : expandShorthand(name, value, base)) {
            for (const std::string& selector : group) {
                styles.AddModifyProp(selector, prop, v);
            }
        }
        return;
    }
    if (!base.empty() && value.find("url(") != std::string::npos) {
        value = ResolveUrlValue(value, base);
    }
    for (const std::string& selector : group) {
        styles.AddModifyProp(selector, name, value);
    }
}

void readDeclarationBlock(TStyleList& styles, StyleReader& r, const std::vector<std::string>& group,
                          std::string_view base) {
    r.Next(); // past '{'
    for (;;) {
        skipSpaces(r);
        std::string name;
        while (isNameChar(r.ch)) {
            name += lowerAscii(r.ch);
            r.Next();
        }
        skipSpaces(r);
        if (r.ch == ':') {
            r.Next();
            std::string value;
            while (r.ch != ';' && r.ch != '}' && !r.AtEnd()) {
                value += lowerAscii(r.ch);
                r.Next();
            }
            std::string_view v = trimView(value);
            if (name != "font") {
                v = unquoteView(v);
            }
            if (!name.empty()) {
                applyDeclaration(styles, group, name, std::string(v), base);
            }
        }
        skipSpaces(r);
        if (r.ch == ';') {
            r.Next();
        }
        while (!isNameChar(r.ch) && r.ch != '}' && !r.AtEnd()) {
            r.Next();
        }
        if (r.ch == '}') {
            r.Next();
            return;
        }
        if (r.AtEnd()) {
            return;
        }
    }
}

} // namespace

char ParseStyleSheet(TStyleList& styles, char firstChar, const std::function<char()>& getChar,
                     std::string_view base, const std::function<char()>& peekChar) {
    StyleReader r(firstChar, getChar, peekChar);
    r.Next();
    // Passes the '>' of the STYLE tag and an opening "<!--"; a '<' that opens anything else
    // (the closing tag of an empty STYLE element) ends the sheet.
    while (r.ch == ' ' || r.ch == '!' || r.ch == '-' || r.ch == '>' ||
           (r.ch == '<' && r.OpensDeclaration())) {
        r.Next();
    }
    while (!r.AtEnd()) {
        if (r.ch == '@') {
            skipAtRule(r);
        } else {
            const std::vector<std::string> group = readSelectorGroup(styles, r);
            if (r.ch == '{') {
                readDeclarationBlock(styles, r, group, base);
            }
        }
        while (r.ch == ' ' || r.ch == '-' || r.ch == '>') {
            r.Next();
        }
    }
    return upperAscii(r.ch);
}

void ParseStyleSheetText(TStyleList& styles, std::string_view text, std::string_view base) {
    size_t i = 0;
    const std::function<char()> getChar = [&text, &i]() -> char {
        while (i < text.size()) {
            const char c = text[i++];
            if (c == '\n') {
                continue;
            }
            return c == '\t' ? ' ' : c;
        }
        return kEndMarker;
    };
    const std::function<char()> peekChar = [&text, &i]() -> char {
        for (size_t k = i; k < text.size(); ++k) {
            if (text[k] != '\n') {
                return text[k] == '\t' ? ' ' : text[k];
            }
        }
        return kEndMarker;
    };
    ParseStyleSheet(styles, getChar(), getChar, base, peekChar);
}

void ParseInlineStyle(std::string_view text, TProperties& props) {
    std::string s = toLowerAscii(text);
    for (char& c : s) {
        if (c == '\r') {
            c = ' ';
        }
    }
    size_t i = 0;
    const auto skipSpacesAt = [&s, &i] {
        while (i < s.size() && s[i] == ' ') {
            ++i;
        }
    };
    while (i < s.size()) {
        skipSpacesAt();
        const size_t nameStart = i;
        while (i < s.size() && isNameChar(s[i])) {
            ++i;
        }
        const std::string name = trimmed(std::string_view(s).substr(nameStart, i - nameStart));
        skipSpacesAt();
        if (i < s.size() && s[i] == ':') {
            ++i;
            const size_t valueStart = i;
            while (i < s.size() && s[i] != ';') {
                ++i;
            }
            const std::string value(
                unquoteView(trimView(std::string_view(s).substr(valueStart, i - valueStart))));
            if (isShorthand(name)) {
                for (const auto& [prop, v] : expandShorthand(name, value, {})) {
                    props.SetPropByName(prop, v);
                }
            } else {
                props.SetPropByName(name, value);
            }
        }
        skipSpacesAt();
        if (i < s.size() && s[i] == ';') {
            ++i;
        }
        while (i < s.size() && !isNameChar(s[i])) {
            ++i;
        }
    }
}

// ---- addresses ----

namespace {

int hexValue(char c) {
    if (isAsciiDigit(c)) {
        return c - '0';
    }
    const char u = upperAscii(c);
    return (u >= 'A' && u <= 'F') ? u - 'A' + 10 : -1;
}

// Collapses "/./" and "/../" in the path part of an address that starts at `pathStart`.
std::string normalisePath(std::string url, size_t pathStart) {
    size_t at;
    while ((at = url.find("/./", pathStart)) != std::string::npos) {
        url.erase(at, 2);
    }
    while ((at = url.find("/../", pathStart)) != std::string::npos) {
        const size_t prev = at > pathStart ? url.rfind('/', at - 1) : std::string::npos;
        if (prev == std::string::npos || prev < pathStart) {
            url.erase(at, 3); // never into the host part
        } else {
            url.erase(prev, at + 3 - prev);
        }
    }
    return url;
}

std::string combineWithUrlBase(std::string_view url, std::string_view base) {
    const size_t scheme = base.find("://");
    const size_t hostEnd = base.find('/', scheme + 3);
    const size_t pathStart = hostEnd == std::string_view::npos ? base.size() : hostEnd;
    std::string combined;
    if (!url.empty() && url[0] == '/') {
        combined = std::string(base.substr(0, pathStart)) + std::string(url);
    } else {
        const size_t lastSlash = base.rfind('/');
        std::string dir = lastSlash != std::string_view::npos && lastSlash >= pathStart
                              ? std::string(base.substr(0, lastSlash + 1))
                              : std::string(base) + "/";
        combined = dir + std::string(url);
    }
    return normalisePath(std::move(combined), pathStart);
}

} // namespace

std::string ResolveUrlValue(std::string_view urlValue, std::string_view base) {
    const size_t open = urlValue.find("url(");
    if (open == std::string_view::npos || base.empty()) {
        return std::string(urlValue);
    }
    const size_t close = urlValue.find(')', open);
    const size_t end = close == std::string_view::npos ? urlValue.size() : close;
    const std::string_view url = unquoteView(trimView(urlValue.substr(open + 4, end - open - 4)));
    std::string resolved;
    if (base.find("://") != std::string_view::npos) {
        if (url.find("://") != std::string_view::npos || url.starts_with("mailto:")) {
            resolved = url;
        } else {
            resolved = combineWithUrlBase(url, base);
        }
    } else {
        resolved = HTMLToDos(url);
        const bool absolute =
            (resolved.size() >= 2 && resolved[1] == ':') || (!resolved.empty() && resolved[0] == '/');
        if (!absolute) {
            std::string dir(base);
            if (!dir.empty() && dir.back() != '/') {
                dir += '/';
            }
            resolved = dir + resolved;
        }
    }
    std::string out(urlValue.substr(0, open));
    out += "url(" + resolved + ")";
    if (close != std::string_view::npos) {
        out += urlValue.substr(close + 1);
    }
    return out;
}

std::string HTMLToDos(std::string_view url) {
    // Percent escapes, decoding a decoded '%' again (as a rescan from the start would): the
    // part before the first '%' never changes, so one pass with the write position suffices.
    std::string s(url);
    std::string out;
    size_t r = 0;
    for (;;) {
        const size_t j = s.find('%', r);
        if (j == std::string::npos) {
            out.append(s, r, std::string::npos);
            break;
        }
        out.append(s, r, j - r);
        const int hi = j + 2 < s.size() ? hexValue(s[j + 1]) : -1;
        const int lo = j + 2 < s.size() ? hexValue(s[j + 2]) : -1;
        if (out.empty() || hi < 0 || lo < 0) {
            out.append(s, j, std::string::npos);
            break;
        }
        const char decoded = char(hi * 16 + lo);
        if (decoded == '%') {
            s[j + 2] = '%';
            r = j + 2;
        } else {
            out += decoded;
            r = j + 3;
        }
    }
    if (out.find('/') == std::string::npos) {
        return out;
    }
    // file:///path and file://path name local files; the path keeps its leading '/'.
    const std::string lower = toLowerAscii(out);
    size_t at = lower.find("file:///");
    if (at == std::string::npos) {
        at = lower.find("file://");
    }
    if (at != std::string::npos) {
        out.erase(at, 7);
    }
    return out;
}

} // namespace tavlin
