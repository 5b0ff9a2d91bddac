#include "app/convert/Bookmark.h"
#include "platform/Files.h"

namespace tavlin {

std::string failureMessage(ConvertStatus status, const std::string& source, const std::string& output,
                           const std::string& failedPath, SourceKind kind) {
    switch (status) {
    case ConvertStatus::Written:
        break;
    case ConvertStatus::SourceNotFound:
        if (!fileExists(failedPath) && !directoryExists(failedPath)) {
            return "source not found: " + failedPath;
        }
        return "cannot read " + failedPath;
    case ConvertStatus::NoRoot: {
        if (kind == SourceKind::ChromiumBookmarks) {
            return "no bookmark roots in " + source + ": no listing written";
        }
        if (kind == SourceKind::FirefoxPlaces) {
            return source + " is a database without Firefox's bookmarks: no listing written";
        }
        if (kind == SourceKind::BookmarkFile) {
            return "no title line (<TITLE>...</TITLE>) in " + source + ": no listing written";
        }
        std::string folder = source;
        if (!folder.empty() && folder.back() == kPathSeparator) {
            folder.pop_back();
        }
        if (upperExtension(folder).empty()) {
            return "no such folder: " + source;
        }
        return source +
               " is neither a bookmark file (.htm, .html) nor a Favorites folder (a folder name without an "
               "extension): no listing written";
    }
    case ConvertStatus::OutputIsSource:
        if (kind != SourceKind::Favorites) {
            return "the output " + output + " is the source file itself: nothing written";
        }
        return "the output " + output + " lies in the source folder " + source + ": nothing written";
    case ConvertStatus::OutputNotWritten:
        return "cannot write the listing to " + output;
    }
    return describe(status);
}

} // namespace tavlin
