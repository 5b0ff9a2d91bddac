#pragma once
// Helpers shared by the readers of browsers' own stores (Chromium's JSON, Firefox's database).
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

namespace tavlin {

// The title of the root above a browser's own top-level folders.
inline constexpr std::string_view kStoreRootTitle = "Bookmarks";

// Browsers store plain text; the listing is HTML, as the titles and addresses of an export are.
inline std::string htmlText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
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
