#pragma once
// Helpers shared by the readers of browsers' own stores (Chromium's JSON, Firefox's database).
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace tavlin {

// The title of the root above a browser's own top-level folders.
inline constexpr std::string_view kStoreRootTitle = "Bookmarks";

// The entity for a character that is markup in HTML; null for any other.
inline const char* htmlEntity(char c) {
    switch (c) {
    case '&':
        return "&amp;";
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '"':
        return "&quot;";
    default:
        return nullptr;
    }
}

// Browsers store plain text; the listing is HTML, as the titles and addresses of an export are.
// Most text holds no markup character and passes through without a copy.
inline std::string htmlText(std::string text) {
    size_t at = 0;
    while (at < text.size() && !htmlEntity(text[at])) {
        ++at;
    }
    if (at == text.size()) {
        return text;
    }
    std::string out(text, 0, at);
    for (; at < text.size(); ++at) {
        const char* entity = htmlEntity(text[at]);
        if (entity) {
            out.append(entity);
        } else {
            out.push_back(text[at]);
        }
    }
    return out;
}

// Microseconds since an epoch given in Unix seconds, as the Unix seconds a bookmark file
// carries; like a bookmark file's date, one outside 32 bits reads as 0.
inline int32_t unixSecondsFromMicros(int64_t micros, int64_t epochUnixSeconds) {
    const int64_t seconds = micros / 1'000'000 + epochUnixSeconds;
    if (seconds < std::numeric_limits<int32_t>::min() || seconds > std::numeric_limits<int32_t>::max()) {
        return 0;
    }
    return int32_t(seconds);
}

} // namespace tavlin
