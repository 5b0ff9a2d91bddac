#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tavlin {

// Byte-wise helpers of the reader: only ASCII letters change case, so the other bytes of any
// code page (and UTF-8 sequences) pass through untouched.
inline char upperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
inline char lowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}
inline bool isAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
inline bool isAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string toLowerAscii(std::string_view s);
std::string toUpperAscii(std::string_view s);
// Removes bytes up to and including space (as the classic trim does) from both ends.
std::string_view trimView(std::string_view s);
inline std::string trimmed(std::string_view s) {
    return std::string(trimView(s));
}
// <0, 0, >0 comparing without regard to ASCII case.
int compareNoCase(std::string_view a, std::string_view b);
inline bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && compareNoCase(a, b) == 0;
}
bool containsNoCase(std::string_view haystack, std::string_view needle);
// Removes one pair of matching surrounding quotes (" or ').
std::string_view unquoteView(std::string_view s);

// 3 when the bytes open with a UTF-8 byte-order mark, else 0.
inline size_t utf8BomLength(std::string_view s) {
    return s.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
}

// Reads a decimal real number as a whole (leading/trailing blanks allowed); false when the text
// is not one.
bool parseReal(std::string_view s, double& out);
// Rounds halves to even, clamped to the 32-bit range.
int32_t roundHalfEven(double v);

} // namespace tavlin
