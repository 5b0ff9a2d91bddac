// The Chromium "Bookmarks" reader, the sorts and the listing writer over any bytes.
// The first byte chooses the sort; the rest is the file.
#include "app/convert/Bookmark.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavlin;
    if (size == 0) {
        return 0;
    }
    const uint8_t sortMode = data[0] % 3;
    TBookmarkConverter converter;
    try {
        converter.ReadChromiumJson(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    } catch (const ConvertError& error) {
        // Only a damaged file is reported, and then nothing of it is kept.
        if (error.status() != ConvertStatus::SourceNotFound) {
            __builtin_trap();
        }
        return 0;
    }
    if (!converter.Root) {
        return 0;
    }
    if (sortMode != 0) {
        SortTree(converter.Root.get(), sortMode == 1 ? CompareByTitle : CompareByDate);
    }
    const std::string listing = converter.ListingText("T", "<B>", "</B>");
    // Text from the store is escaped: nothing it holds can open a tag of its own.
    if (listing.find("<script") != std::string::npos) {
        __builtin_trap();
    }
    return 0;
}
