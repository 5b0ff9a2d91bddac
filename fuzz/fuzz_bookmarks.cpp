// The bookmark-file reader, the sorts and the listing writer over any bytes.
// The first byte chooses the read chunk size and the sort; the rest is the file.
#include "app/convert/Bookmark.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace tavlin;

std::string listingOf(std::string_view text, size_t chunkSize, uint8_t sortMode) {
    TBookmarkConverter converter;
    converter.ReadBookmarkText(text, chunkSize);
    const TBookmarkCompare compare = sortMode == 1 ? CompareByTitle : CompareByDate;
    if (sortMode != 0) {
        SortTree(converter.Root.get(), compare);
        // Every list must come out in order.
        std::vector<const TBookmark*> pending;
        if (converter.Root) {
            pending.push_back(converter.Root.get());
        }
        while (!pending.empty()) {
            const TBookmark* node = pending.back();
            pending.pop_back();
            for (size_t i = 0; i < node->Children.size(); ++i) {
                if (i > 0 && compare(*node->Children[i - 1], *node->Children[i]) > 0) {
                    __builtin_trap();
                }
                pending.push_back(node->Children[i].get());
            }
        }
    }
    return converter.ListingText("T", "<B>", "</B>");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        return 0;
    }
    const uint8_t control = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const size_t chunkSize = 1 + (control & 0x0F);
    const uint8_t sortMode = uint8_t((control >> 4) % 3);
    const std::string small = listingOf(text, chunkSize, sortMode);
    // Lines read in small pieces must read as they do in one piece.
    if (small != listingOf(text, size_t(1) << 20, sortMode)) {
        __builtin_trap();
    }
    constexpr std::string_view head = "<html><body>\r\n<center><h2>T</h2></center>\r\n";
    constexpr std::string_view tail = "</body></html>\r\n";
    if (small.compare(0, head.size(), head) != 0 || small.size() < head.size() + tail.size() ||
        small.compare(small.size() - tail.size(), tail.size(), tail) != 0) {
        __builtin_trap();
    }
    return 0;
}
