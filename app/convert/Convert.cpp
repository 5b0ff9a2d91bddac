#include "app/convert/Bookmark.h"
#include "platform/Files.h"

#include <cstdio>
#include <cstring>

namespace tavlin {

namespace {

// The listing would change the source: it names the bookmark file itself (links and ".."
// resolved), or it names the Favorites folder or something inside it.
bool outputChangesSource(const std::string& source, const std::string& output, bool folder) {
    if (isSameFile(source, output)) {
        return true;
    }
    if (!folder) {
        return false;
    }
    std::string inside = canonicalPath(source);
    if (inside.empty() || inside.back() != kPathSeparator) {
        inside += kPathSeparator;
    }
    return canonicalPath(output).compare(0, inside.size(), inside) == 0;
}

// The first bytes of a file (fewer when it is shorter; none when it cannot be read).
std::string fileHead(const std::string& path, size_t size) {
    std::string head(size, '\0');
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        return {};
    }
    head.resize(std::fread(head.data(), 1, size, file));
    std::fclose(file);
    return head;
}

bool isSqliteHeader(std::string_view head) {
    constexpr std::string_view magic("SQLite format 3\0", 16);
    return head.starts_with(magic);
}

// JSON text that opens an object, after blanks and a byte-order mark.
bool opensJsonObject(std::string_view head) {
    if (head.starts_with("\xEF\xBB\xBF")) {
        head.remove_prefix(3);
    }
    const size_t first = head.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && head[first] == '{';
}

} // namespace

SourceKind detectSourceKind(const std::string& path) {
    if (isBookmarkFilePath(path)) {
        return SourceKind::BookmarkFile;
    }
    if (!fileExists(path)) {
        return SourceKind::Favorites;
    }
    const std::string head = fileHead(path, 4096);
    if (isSqliteHeader(head)) {
        return SourceKind::FirefoxPlaces;
    }
    return opensJsonObject(head) ? SourceKind::ChromiumBookmarks : SourceKind::Favorites;
}

void TBookmarkConverter::readSource(SourceKind kind, const std::string& path) {
    switch (kind) {
    case SourceKind::BookmarkFile:
        ReadBookmarkFile(path);
        return;
    case SourceKind::FirefoxPlaces:
        ReadFirefoxPlaces(path);
        return;
    case SourceKind::ChromiumBookmarks:
        if (ReadChromiumBookmarks(path)) {
            return;
        }
        // Some other JSON file: read as any other file always was.
        sourceKind_ = SourceKind::Favorites;
        break;
    case SourceKind::Favorites:
        break;
    }
    ReadFavorites(nullptr, path, 0);
}

ConvertStatus TBookmarkConverter::Convert(const std::string& source, const std::string& output,
                                          uint8_t sortMode, const std::string& listingTitle,
                                          const std::string& openTags, const std::string& closeTags) {
    Root.reset();
    CurrentFolder = LatestNode = nullptr;
    detached_.reset();
    failedPath_.clear();
    sourceKind_ = detectSourceKind(source);
    const bool folder = sourceKind_ == SourceKind::Favorites;
    std::string path = source;
    if (folder && !path.empty() && path.back() == kPathSeparator) {
        path.pop_back();
    }
    try {
        const std::string probe = folder ? path + kPathSeparator : path;
        // The database's write-ahead log is part of it.
        if (((fileExists(probe) || directoryExists(probe)) && outputChangesSource(probe, output, folder)) ||
            (sourceKind_ == SourceKind::FirefoxPlaces && isSameFile(path + "-wal", output))) {
            throw ConvertError(ConvertStatus::OutputIsSource, output);
        }
        readSource(sourceKind_, path);
        CurrentFolder = LatestNode = nullptr;
        detached_.reset();
        if (!Root) {
            throw ConvertError(ConvertStatus::NoRoot, source);
        }
        if (sortMode == 1) {
            SortTree(Root.get(), CompareByTitle);
        } else if (sortMode == 2) {
            SortTree(Root.get(), CompareByDate);
        }
        WriteListing(output, listingTitle, openTags, closeTags);
    } catch (const ConvertError& error) {
        failedPath_ = error.path();
        return error.status();
    }
    return ConvertStatus::Written;
}

ConvertStatus Convert(const std::string& source, const std::string& output, uint8_t sortMode,
                      const std::string& listingTitle, const std::string& openTags,
                      const std::string& closeTags) {
    TBookmarkConverter converter;
    return converter.Convert(source, output, sortMode, listingTitle, openTags, closeTags);
}

} // namespace tavlin
