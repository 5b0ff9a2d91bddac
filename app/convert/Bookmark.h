#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tavlin {

// One node of the bookmark tree: a folder, an entry, or the title line that becomes the root.
// Children are owned by their parent; Parent is a plain back-pointer.
class TBookmark {
public:
    TBookmark(TBookmark* parent, std::string url, std::string title, std::string description, int32_t date);
    ~TBookmark();

    TBookmark* Parent = nullptr;
    std::vector<std::unique_ptr<TBookmark>> Children;
    std::string URL;
    std::string Title;
    std::string Description;
    double AddDate = 0;
};

// How a conversion ended. The window, as designed, stays silent about failures; the command
// line tells the user.
enum class ConvertStatus {
    Written,          // the listing was written
    SourceNotFound,   // the bookmark file or folder cannot be opened or read
    NoRoot,           // nothing to list: no title line, or a path that is no folder
    OutputIsSource,   // the output names the source itself; nothing was written
    OutputNotWritten, // the listing file could not be created or written
};

// Turns one source into one listing file. SortMode: 0 none, 1 by title, 2 by date.
ConvertStatus Convert(const std::string& source, const std::string& output, uint8_t sortMode,
                      const std::string& listingTitle, const std::string& openTags, const std::string& closeTags);

// The text of a status, for messages.
const char* describe(ConvertStatus status);

} // namespace tavlin
