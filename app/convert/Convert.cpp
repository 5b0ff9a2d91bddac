#include "app/convert/Bookmark.h"
#include "platform/Files.h"

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

} // namespace

ConvertStatus TBookmarkConverter::Convert(const std::string& source, const std::string& output,
                                          uint8_t sortMode, const std::string& listingTitle,
                                          const std::string& openTags, const std::string& closeTags) {
    Root.reset();
    CurrentFolder = LatestNode = nullptr;
    detached_.reset();
    failedPath_.clear();
    const bool bookmarkFile = isBookmarkFilePath(source);
    std::string path = source;
    if (!bookmarkFile && !path.empty() && path.back() == kPathSeparator) {
        path.pop_back();
    }
    try {
        const std::string probe = bookmarkFile ? path : path + kPathSeparator;
        if ((fileExists(probe) || directoryExists(probe)) &&
            outputChangesSource(probe, output, !bookmarkFile)) {
            throw ConvertError(ConvertStatus::OutputIsSource, output);
        }
        if (bookmarkFile) {
            ReadBookmarkFile(path);
        } else {
            ReadFavorites(nullptr, path, 0);
        }
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
