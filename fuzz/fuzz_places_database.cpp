// Firefox's places.sqlite reader over any bytes as the database file. When the first byte is odd,
// the bytes are split into the database and its write-ahead log at the place the next two
// bytes give; the rest is the file.
#include "app/convert/Bookmark.h"
#include "platform/Files.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unistd.h>

namespace {

void writeFile(const std::string& path, std::string_view bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        std::abort();
    }
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

// One folder for the whole run, so that each input costs only its two files.
const std::string& scratchFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/fuzz-places-XXXXXX";
        if (!::mkdtemp(pattern.data())) {
            std::abort();
        }
        return pattern;
    }();
    return folder;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tavlin;
    if (size < 3) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 3, size - 3);
    const size_t split =
        (data[0] & 1) ? std::min(bytes.size(), size_t(data[1]) << 8 | data[2]) : bytes.size();
    const std::string places = scratchFolder() + "/places.sqlite";
    writeFile(places, bytes.substr(0, split));
    std::remove((places + "-wal").c_str());
    if (split < bytes.size()) {
        writeFile(places + "-wal", bytes.substr(split));
    }
    TBookmarkConverter converter;
    try {
        converter.ReadFirefoxPlaces(places);
    } catch (const ConvertError&) {
        return 0;
    }
    if (converter.Root) {
        SortTree(converter.Root.get(), CompareByDate);
        converter.ListingText("T", "", "");
    }
    return 0;
}
