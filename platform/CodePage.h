#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

// Text stays 8-bit bytes inside the engine. These functions decode it to Unicode (and back) at
// the platform boundary, by a font's Windows character set: ANSI (0) is Windows-1252, the other
// character sets their Windows code pages, and DEFAULT (1) is UTF-8 with every byte that is not
// part of a valid UTF-8 sequence read as Windows-1252.

inline constexpr uint8_t ANSI_CHARSET = 0;
inline constexpr uint8_t DEFAULT_CHARSET = 1;
inline constexpr int CP_UTF8_WITH_FALLBACK = 65001;

// The code page a character set decodes with (65001 for DEFAULT).
int codePageOfCharSet(uint8_t charSet);

// One decoded character: its code point and the bytes it came from.
struct DecodedChar {
    char32_t codePoint;
    uint32_t offset;
    uint32_t length;
};

// Decodes bytes into characters; every byte belongs to exactly one character.
void decodeText(std::string_view bytes, uint8_t charSet, std::vector<DecodedChar>& out);

// The bytes of a character set that are always a character of their own, whatever follows: every
// byte below `limit` decodes to codePoints[byte]. Text of such bytes needs no decoding pass.
struct SingleByteChars {
    const char32_t* codePoints;
    unsigned limit;
};
SingleByteChars singleByteChars(uint8_t charSet);

// Number of bytes of the character starting at bytes[i] under the character set (1 for
// single-byte code pages; 2-4 for a valid UTF-8 sequence or a double-byte character).
size_t characterLength(std::string_view bytes, size_t i, uint8_t charSet);

// Length of the valid UTF-8 sequence starting at bytes[i], or 0 when bytes[i] does not start one
// (ASCII counts as a sequence of 1).
size_t utf8SequenceLength(std::string_view bytes, size_t i);

std::string toUtf8(std::string_view bytes, uint8_t charSet);
// UTF-8 text with every byte outside a valid sequence read as Windows-1252 (DEFAULT's decoding).
std::string utf8WithFallback(std::string_view bytes);
// Encodes UTF-8 text into the character set; characters it cannot hold become '?'.
std::string fromUtf8(std::string_view utf8, uint8_t charSet);
// One code point in the character set's bytes ('?' when it has none).
std::string encodeCodePoint(char32_t codePoint, uint8_t charSet);
void appendUtf8(std::string& out, char32_t codePoint);

} // namespace tavlin
