#include "platform/CodePage.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <map>
#include <memory>

namespace tavlin {

namespace {

// The Windows code page each character set stands for, and its name for iconv.
struct CharSetEntry {
    uint8_t charSet;
    int codePage;
    const char* iconvName;
};

constexpr std::array<CharSetEntry, 19> kCharSets = {{
    {0, 1252, "CP1252"},      {1, 65001, "UTF-8"},      {2, 1252, "CP1252"},     {77, 10000, "MACINTOSH"},
    {128, 932, "CP932"},      {129, 949, "CP949"},      {130, 1361, "JOHAB"},    {134, 936, "CP936"},
    {136, 950, "CP950"},      {161, 1253, "CP1253"},    {162, 1254, "CP1254"},   {163, 1258, "CP1258"},
    {177, 1255, "CP1255"},    {178, 1256, "CP1256"},    {186, 1257, "CP1257"},   {204, 1251, "CP1251"},
    {222, 874, "CP874"},      {238, 1250, "CP1250"},    {255, 437, "CP437"},
}};

const CharSetEntry& entryOf(uint8_t charSet) {
    for (const CharSetEntry& e : kCharSets) {
        if (e.charSet == charSet) {
            return e;
        }
    }
    return kCharSets[0];
}

bool isDoubleByte(int codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 || codePage == 1361;
}

// Converts one to two bytes with iconv; returns false when they are not one whole character.
bool iconvOne(const char* name, std::string_view bytes, char32_t& out) {
    iconv_t cd = iconv_open("UTF-32LE", name);
    if (cd == iconv_t(-1)) {
        return false;
    }
    char in[4] = {};
    bytes.copy(in, bytes.size());
    char result[16] = {};
    char* inPtr = in;
    size_t inLeft = bytes.size();
    char* outPtr = result;
    size_t outLeft = sizeof result;
    const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (rc == size_t(-1) || inLeft != 0 || sizeof result - outLeft != 4) {
        return false;
    }
    out = char32_t(uint8_t(result[0])) | char32_t(uint8_t(result[1])) << 8 | char32_t(uint8_t(result[2])) << 16 |
          char32_t(uint8_t(result[3])) << 24;
    return true;
}

// Per code page: what each single byte decodes to (0 when it only leads a double-byte
// character), built once. Bytes a code page leaves undefined decode to the same code point,
// as Windows maps them.
struct CodePageTable {
    std::array<char32_t, 256> single{};
    std::array<bool, 256> lead{};
    std::map<uint16_t, char32_t> pairs;
};

CodePageTable& tableOf(const CharSetEntry& e) {
    static std::map<int, std::unique_ptr<CodePageTable>> tables;
    auto& slot = tables[e.codePage];
    if (!slot) {
        slot = std::make_unique<CodePageTable>();
        const char* name = e.codePage == 65001 ? "CP1252" : e.iconvName;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            char32_t cp = 0;
            if (iconvOne(name, std::string_view(&byte, 1), cp)) {
                slot->single[b] = cp;
            } else {
                slot->single[b] = char32_t(b);
                slot->lead[b] = isDoubleByte(e.codePage) && b >= 0x81;
            }
        }
    }
    return *slot;
}

char32_t decodeUtf8(std::string_view s, size_t i, size_t len) {
    const auto b = [&](size_t k) { return char32_t(uint8_t(s[i + k])); };
    switch (len) {
    case 1:
        return b(0);
    case 2:
        return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
        return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    default:
        return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    }
}

char32_t decodePair(const CharSetEntry& e, CodePageTable& table, uint8_t lead, uint8_t trail, bool& ok) {
    const uint16_t key = uint16_t(lead << 8 | trail);
    auto it = table.pairs.find(key);
    if (it == table.pairs.end()) {
        const char pair[2] = {char(lead), char(trail)};
        char32_t cp = 0;
        const bool valid = iconvOne(e.iconvName, std::string_view(pair, 2), cp);
        it = table.pairs.emplace(key, valid ? cp : char32_t(0xFFFFFFFF)).first;
    }
    ok = it->second != char32_t(0xFFFFFFFF);
    return it->second;
}

} // namespace

int codePageOfCharSet(uint8_t charSet) { return entryOf(charSet).codePage; }

SingleByteChars singleByteChars(uint8_t charSet) {
    const CharSetEntry& e = entryOf(charSet);
    // UTF-8 and the double-byte code pages start sequences only at bytes from 0x80 on.
    const bool sequences = e.codePage == 65001 || isDoubleByte(e.codePage);
    return {tableOf(e).single.data(), sequences ? 0x80u : 0x100u};
}

size_t utf8SequenceLength(std::string_view s, size_t i) {
    const uint8_t c = uint8_t(s[i]);
    size_t len = 0;
    char32_t min = 0;
    if (c < 0x80) {
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4, min = 0x10000;
    } else {
        return 0;
    }
    if (i + len > s.size()) {
        return 0;
    }
    for (size_t k = 1; k < len; ++k) {
        if ((uint8_t(s[i + k]) & 0xC0) != 0x80) {
            return 0;
        }
    }
    const char32_t cp = decodeUtf8(s, i, len);
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return len;
}

size_t characterLength(std::string_view bytes, size_t i, uint8_t charSet) {
    const CharSetEntry& e = entryOf(charSet);
    if (e.codePage == 65001) {
        const size_t len = utf8SequenceLength(bytes, i);
        return len ? len : 1;
    }
    if (!isDoubleByte(e.codePage) || i + 1 >= bytes.size()) {
        return 1;
    }
    CodePageTable& table = tableOf(e);
    if (!table.lead[uint8_t(bytes[i])]) {
        return 1;
    }
    bool ok = false;
    decodePair(e, table, uint8_t(bytes[i]), uint8_t(bytes[i + 1]), ok);
    return ok ? 2 : 1;
}

void decodeText(std::string_view bytes, uint8_t charSet, std::vector<DecodedChar>& out) {
    out.clear();
    const CharSetEntry& e = entryOf(charSet);
    CodePageTable& table = tableOf(e);
    for (size_t i = 0; i < bytes.size();) {
        const uint8_t c = uint8_t(bytes[i]);
        size_t len = 1;
        char32_t cp = table.single[c];
        if (e.codePage == 65001) {
            const size_t u = utf8SequenceLength(bytes, i);
            if (u) {
                len = u;
                cp = decodeUtf8(bytes, i, u);
            }
        } else if (table.lead[c] && i + 1 < bytes.size()) {
            bool ok = false;
            const char32_t pair = decodePair(e, table, c, uint8_t(bytes[i + 1]), ok);
            if (ok) {
                cp = pair;
                len = 2;
            }
        }
        out.push_back({cp, uint32_t(i), uint32_t(len)});
        i += len;
    }
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

std::string toUtf8(std::string_view bytes, uint8_t charSet) {
    if (entryOf(charSet).codePage == 65001) {
        return utf8WithFallback(bytes);
    }
    std::vector<DecodedChar> chars;
    decodeText(bytes, charSet, chars);
    std::string out;
    out.reserve(bytes.size());
    for (const DecodedChar& d : chars) {
        appendUtf8(out, d.codePoint);
    }
    return out;
}

std::string utf8WithFallback(std::string_view bytes) {
    // Valid sequences are already UTF-8 and pass through in runs; only the other bytes are read as
    // Windows-1252. Whole listings pass through here when they are copied.
    const CodePageTable& table = tableOf(entryOf(DEFAULT_CHARSET));
    std::string out;
    out.reserve(bytes.size());
    size_t runStart = 0;
    for (size_t i = 0; i < bytes.size();) {
        const size_t u = uint8_t(bytes[i]) < 0x80 ? 1 : utf8SequenceLength(bytes, i);
        if (u > 0) {
            i += u;
            continue;
        }
        out.append(bytes.substr(runStart, i - runStart));
        appendUtf8(out, table.single[uint8_t(bytes[i])]);
        runStart = ++i;
    }
    out.append(bytes.substr(runStart));
    return out;
}

std::string encodeCodePoint(char32_t cp, uint8_t charSet) {
    const CharSetEntry& e = entryOf(charSet);
    std::string out;
    if (e.codePage == 65001) {
        appendUtf8(out, cp);
        return out;
    }
    if (cp < 0x80) {
        return std::string(1, char(cp));
    }
    CodePageTable& table = tableOf(e);
    for (int b = 0x80; b < 256; ++b) {
        if (table.single[b] == cp && !table.lead[b]) {
            return std::string(1, char(b));
        }
    }
    iconv_t cd = iconv_open(e.iconvName, "UTF-32LE");
    if (cd != iconv_t(-1)) {
        char in[4] = {char(cp), char(cp >> 8), char(cp >> 16), char(cp >> 24)};
        char result[8] = {};
        char* inPtr = in;
        size_t inLeft = 4;
        char* outPtr = result;
        size_t outLeft = sizeof result;
        const size_t rc = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
        iconv_close(cd);
        if (rc != size_t(-1) && inLeft == 0) {
            return std::string(result, sizeof result - outLeft);
        }
    }
    return "?";
}

std::string fromUtf8(std::string_view utf8, uint8_t charSet) {
    std::vector<DecodedChar> chars;
    decodeText(utf8, DEFAULT_CHARSET, chars);
    if (codePageOfCharSet(charSet) == 65001) {
        return std::string(utf8);
    }
    std::string out;
    for (const DecodedChar& d : chars) {
        out += encodeCodePoint(d.codePoint, charSet);
    }
    return out;
}

} // namespace tavlin
