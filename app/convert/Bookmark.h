#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

class LineReader;

// One node of the bookmark tree: a folder, an entry, or the title line that becomes the root.
// Children are owned by their parent; Parent is a plain back-pointer.
class TBookmark {
public:
    // When parent is given the node appends itself to parent->Children, which then owns it:
    // create such nodes with new. A node without parent belongs to whoever created it.
    TBookmark(TBookmark* parent, std::string url, std::string title, std::string description, int32_t date);
    // Frees the subtree without recursion, however deep it is.
    ~TBookmark();
    TBookmark(const TBookmark&) = delete;
    TBookmark& operator=(const TBookmark&) = delete;

    TBookmark* Parent = nullptr;
    std::vector<std::unique_ptr<TBookmark>> Children;
    std::string URL;
    std::string Title;
    std::string Description;
    double AddDate = 0;
};

// The URL of a folder or title read from a bookmark file.
inline constexpr std::string_view kFolderMarker = "&&&";

// How a conversion ended. The window, as designed, stays silent about failures; the command
// line tells the user.
enum class ConvertStatus {
    Written,          // the listing was written
    SourceNotFound,   // the bookmark file or folder cannot be opened or read
    NoRoot,           // nothing to list: no title line, or a path that is no folder
    OutputIsSource,   // the output names the source itself; nothing was written
    OutputNotWritten, // the listing file could not be created or written
};

// What a source is: told by its name (".htm", ".html"), and for any other regular file by its
// content; everything else is a Favorites folder as before.
enum class SourceKind {
    BookmarkFile,      // a Netscape bookmark file
    Favorites,         // an MSIE Favorites folder
    ChromiumBookmarks, // a Chromium-family "Bookmarks" JSON file
    FirefoxPlaces,     // Firefox's places.sqlite
};

// Turns one source into one listing file. SortMode: 0 none, 1 by title, 2 by date.
ConvertStatus Convert(const std::string& source, const std::string& output, uint8_t sortMode,
                      const std::string& listingTitle, const std::string& openTags,
                      const std::string& closeTags);

// The text of a status, for messages.
const char* describe(ConvertStatus status);
// Why a conversion wrote no listing, in the user's terms, as the command line and the window say it.
std::string failureMessage(ConvertStatus status, const std::string& source, const std::string& output,
                           const std::string& failedPath, SourceKind kind);

// The kind of a source as a conversion would take it (before reading more than its first bytes).
SourceKind detectSourceKind(const std::string& path);
// Chromium's or Firefox's own store.
inline bool isBrowserStore(SourceKind kind) {
    return kind == SourceKind::ChromiumBookmarks || kind == SourceKind::FirefoxPlaces;
}

// The upper-cased extension of a path's file-name part, from its last "." ("" when none).
std::string upperExtension(std::string_view path);
// True when the source is read as a bookmark file (".HTM", ".HTML"), false for a Favorites folder.
bool isBookmarkFilePath(std::string_view source);

using TBookmarkCompare = int (*)(const TBookmark& a, const TBookmark& b);
// Folders with entries before leaves, then the ASCII-upper-cased titles byte by byte.
int CompareByTitle(const TBookmark& a, const TBookmark& b);
// Folders with entries before leaves, then oldest first, then as CompareByTitle.
int CompareByDate(const TBookmark& a, const TBookmark& b);
// Sorts every Children list of the tree with the quicksort below; no recursion.
void SortTree(TBookmark* node, TBookmarkCompare compare);
// A Hoare quicksort with the middle element as pivot. It is not stable, and listings depend on
// where it leaves equal nodes, so its steps must stay exactly as they are.
void QuickSort(std::vector<std::unique_ptr<TBookmark>>& list, TBookmarkCompare compare);

// A conversion that cannot go on: what went wrong and the path it concerns.
class ConvertError : public std::runtime_error {
public:
    ConvertError(ConvertStatus status, const std::string& path);
    ConvertStatus status() const { return status_; }
    const std::string& path() const { return path_; }

private:
    ConvertStatus status_;
    std::string path_;
};

// The state of one conversion. Each conversion uses a fresh converter.
class TBookmarkConverter {
public:
    // Runs the whole conversion; never throws a ConvertError. After a failure failedPath()
    // names the file or folder concerned.
    ConvertStatus Convert(const std::string& source, const std::string& output, uint8_t sortMode,
                          const std::string& listingTitle, const std::string& openTags,
                          const std::string& closeTags);
    const std::string& failedPath() const { return failedPath_; }
    // What the last conversion took its source to be.
    SourceKind sourceKind() const { return sourceKind_; }

    // Reads bookmark files leniently: tags in any letter case, descriptions after leading blanks.
    bool Lenient = false;

    // The steps; each throws ConvertError.
    void ReadBookmarkFile(const std::string& path);
    // Reads bookmark-file lines from memory as ReadBookmarkFile reads them from a file, in
    // pieces of chunkSize bytes (small pieces exercise lines that straddle them).
    void ReadBookmarkText(std::string_view text, size_t chunkSize = 1 << 20);
    // One line of a bookmark file, without its line end.
    void ReadBookmarkLine(std::string_view line);
    // Walks a Favorites tree from path; the top call passes no parent and date 0.
    void ReadFavorites(TBookmark* parent, const std::string& path, int32_t date);
    // A Chromium "Bookmarks" file. False, with nothing read, when it is not a JSON object with
    // "roots"; a damaged file past that point throws.
    bool ReadChromiumBookmarks(const std::string& path);
    // The same over JSON in memory.
    bool ReadChromiumJson(std::string_view json);
    // Firefox's places.sqlite, read through a private copy of it and its write-ahead log so the
    // profile is never touched, even while the browser holds its lock.
    void ReadFirefoxPlaces(const std::string& path);
    void WriteListing(const std::string& output, const std::string& listingTitle, const std::string& openTags,
                      const std::string& closeTags) const;
    // The listing's bytes, as WriteListing writes them.
    std::string ListingText(const std::string& listingTitle, const std::string& openTags,
                            const std::string& closeTags) const;

    std::unique_ptr<TBookmark> Root;
    TBookmark* CurrentFolder = nullptr;
    TBookmark* LatestNode = nullptr;

private:
    void readBookmarkLines(LineReader& reader);
    // JSON whose bytes are followed by the parser's padding.
    bool readChromiumPadded(std::string_view json);
    void readSource(SourceKind kind, const std::string& path);
    void readFirefoxCopy(const std::string& copy, const std::string& path);
    void addEntry(std::string_view line, size_t dtAt);
    void setRoot(std::unique_ptr<TBookmark> root);

    // Nodes read with no folder to hold them. They can only be reached through LatestNode and
    // CurrentFolder, so a newer one makes the older unreachable and it is freed.
    std::unique_ptr<TBookmark> detached_;
    std::string failedPath_;
    SourceKind sourceKind_ = SourceKind::BookmarkFile;
};

} // namespace tavlin
