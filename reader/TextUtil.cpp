#include "reader/TextUtil.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace tavlin {

std::string toLowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = lowerAscii(c);
    }
    return out;
}

std::string toUpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = upperAscii(c);
    }
    return out;
}

std::string_view trimView(std::string_view s) {
    size_t b = 0;
    size_t e = s.size();
    while (b < e && uint8_t(s[b]) <= ' ') {
        ++b;
    }
    while (e > b && uint8_t(s[e - 1]) <= ' ') {
        --e;
    }
    return s.substr(b, e - b);
}

int compareNoCase(std::string_view a, std::string_view b) {
    const size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        const auto ca = uint8_t(lowerAscii(a[i]));
        const auto cb = uint8_t(lowerAscii(b[i]));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool containsNoCase(std::string_view haystack, std::string_view needle) {
    if (needle.size() > haystack.size()) {
        return false;
    }
    for (size_t i = 0; i + needle.size() <= haystack.size(); ++i) {
        if (equalsNoCase(haystack.substr(i, needle.size()), needle)) {
            return true;
        }
    }
    return false;
}

std::string_view unquoteView(std::string_view s) {
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front()) {
        return s.substr(1, s.size() - 2);
    }
    return s;
}

bool parseReal(std::string_view s, double& out) {
    s = trimView(s);
    if (s.empty() || s.size() > 64) {
        return false;
    }
    // Only plain decimal notation with an optional exponent: no hex, inf or nan.
    size_t i = 0;
    if (s[i] == '+' || s[i] == '-') {
        ++i;
    }
    bool digits = false;
    while (i < s.size() && isAsciiDigit(s[i])) {
        ++i;
        digits = true;
    }
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && isAsciiDigit(s[i])) {
            ++i;
            digits = true;
        }
    }
    if (!digits) {
        return false;
    }
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) {
            ++j;
        }
        if (j == s.size() || !isAsciiDigit(s[j])) {
            return false;
        }
        while (j < s.size() && isAsciiDigit(s[j])) {
            ++j;
        }
        i = j;
    }
    if (i != s.size()) {
        return false;
    }
    // Whole numbers of a few digits, the usual attribute value, without a copy.
    if (s.size() <= 10 && s.find_first_of(".eE") == std::string_view::npos) {
        double v = 0;
        for (const char c : s) {
            if (isAsciiDigit(c)) {
                v = v * 10 + (c - '0');
            }
        }
        out = s[0] == '-' ? -v : v;
        return true;
    }
    const std::string text(s);
    out = std::strtod(text.c_str(), nullptr);
    return std::isfinite(out);
}

int32_t roundHalfEven(double v) {
    if (!std::isfinite(v)) {
        return 0;
    }
    const double r = std::nearbyint(v); // default rounding mode: halves to even
    if (r >= 2147483647.0) {
        return INT32_MAX;
    }
    if (r <= -2147483648.0) {
        return INT32_MIN;
    }
    return int32_t(r);
}

} // namespace tavlin
