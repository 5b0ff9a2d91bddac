#include "app/convert/Bookmark.h"
#include "app/convert/StoreReading.h"
#include "platform/Files.h"

#include <sqlite3.h>

#include <cstdlib>
#include <deque>
#include <filesystem>
#include <memory>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tavlin {

namespace {

constexpr int kEntryType = 1;
constexpr int kFolderType = 2;

// One row of moz_bookmarks with its address from moz_places.
struct PlacesRow {
    int64_t id = 0;
    int64_t parent = 0;
    int type = 0;
    int32_t date = 0;
    std::string title;
    std::string guid;
    std::string url;
};

// A folder of its own in the temporary directory, removed with everything in it.
class PrivateFolder {
public:
    PrivateFolder() {
        std::string pattern = joinPath(tempDirectory(), "tavlin-places-XXXXXX");
        if (::mkdtemp(pattern.data())) {
            path_ = pattern;
        }
    }
    ~PrivateFolder() {
        if (!path_.empty()) {
            std::error_code ignored;
            std::filesystem::remove_all(path_, ignored);
        }
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct DatabaseCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

std::string columnText(sqlite3_stmt* statement, int column) {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
    return text ? std::string(text, size_t(sqlite3_column_bytes(statement, column))) : std::string();
}

// Firefox counts microseconds from the Unix epoch.
PlacesRow readRow(sqlite3_stmt* statement) {
    PlacesRow row;
    row.id = sqlite3_column_int64(statement, 0);
    row.parent = sqlite3_column_int64(statement, 1);
    row.type = sqlite3_column_int(statement, 2);
    row.title = columnText(statement, 3);
    row.date = unixSecondsFromMicros(sqlite3_column_int64(statement, 4), 0);
    row.guid = columnText(statement, 5);
    row.url = columnText(statement, 6);
    return row;
}

// The built-in folders under the root, by their fixed identifiers, with the names Firefox shows.
std::string_view builtInFolderName(std::string_view guid) {
    if (guid == "menu________") {
        return "Bookmarks Menu";
    }
    if (guid == "toolbar_____") {
        return "Bookmarks Toolbar";
    }
    if (guid == "unfiled_____") {
        return "Other Bookmarks";
    }
    if (guid == "mobile______") {
        return "Mobile Bookmarks";
    }
    return {};
}

constexpr const char* kBookmarksQuery = "SELECT b.id, b.parent, b.type, b.title, b.dateAdded, b.guid, p.url "
                                        "FROM moz_bookmarks b LEFT JOIN moz_places p ON p.id = b.fk "
                                        "ORDER BY b.parent, b.position, b.id";

// Every bookmark row, grouped by parent and in stored order within each.
std::vector<PlacesRow> readPlacesRows(sqlite3* db) {
    sqlite3_stmt* raw = nullptr;
    const int prepared = sqlite3_prepare_v2(db, kBookmarksQuery, -1, &raw, nullptr);
    const std::unique_ptr<sqlite3_stmt, StatementFinalizer> statement(raw);
    if (prepared != SQLITE_OK) {
        // A database of something else has no such tables: nothing to list. Anything else is damage.
        throw ConvertError(prepared == SQLITE_ERROR ? ConvertStatus::NoRoot : ConvertStatus::SourceNotFound,
                           "");
    }
    std::vector<PlacesRow> rows;
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW) {
        rows.push_back(readRow(statement.get()));
    }
    if (step != SQLITE_DONE) {
        throw ConvertError(ConvertStatus::SourceNotFound, "");
    }
    return rows;
}

// Builds the tree from the root row down, level by level; every row is placed at most once, so
// a damaged database with loops in it still ends.
std::unique_ptr<TBookmark> buildPlacesTree(std::vector<PlacesRow> rows) {
    std::unordered_map<int64_t, std::pair<size_t, size_t>> childrenOf; // parent id -> row range
    childrenOf.reserve(rows.size() / 8);
    const PlacesRow* rootRow = nullptr;
    for (size_t i = 0; i < rows.size(); ++i) {
        auto [range, fresh] = childrenOf.try_emplace(rows[i].parent, i, i);
        range->second.second = i + 1;
        if (rows[i].guid == "root________" || (!rootRow && rows[i].parent == 0)) {
            rootRow = &rows[i];
        }
    }
    if (!rootRow) {
        return nullptr;
    }
    auto root = std::make_unique<TBookmark>(nullptr, std::string(kFolderMarker), std::string(kStoreRootTitle),
                                            std::string(), rootRow->date);
    std::unordered_set<int64_t> placed;
    placed.reserve(rows.size());
    placed.insert(rootRow->id);
    std::deque<std::pair<int64_t, TBookmark*>> folders{{rootRow->id, root.get()}};
    while (!folders.empty()) {
        const auto [id, folder] = folders.front();
        folders.pop_front();
        const auto range = childrenOf.find(id);
        if (range == childrenOf.end()) {
            continue;
        }
        for (size_t i = range->second.first; i < range->second.second; ++i) {
            PlacesRow& row = rows[i];
            // Separators and the tag folders are not bookmarks of their own.
            if ((row.type != kEntryType && row.type != kFolderType) || row.guid == "tags________" ||
                !placed.insert(row.id).second) {
                continue;
            }
            if (row.type == kEntryType) {
                new TBookmark(folder, row.url.empty() ? " " : htmlText(std::move(row.url)),
                              htmlText(std::move(row.title)), {}, row.date);
                continue;
            }
            const std::string_view builtIn =
                folder == root.get() ? builtInFolderName(row.guid) : std::string_view();
            auto* node = new TBookmark(
                folder, std::string(kFolderMarker),
                builtIn.empty() ? htmlText(std::move(row.title)) : std::string(builtIn), {}, row.date);
            folders.emplace_back(row.id, node);
        }
    }
    return root;
}

} // namespace

void TBookmarkConverter::readFirefoxCopy(const std::string& copy, const std::string& path) {
    sqlite3* raw = nullptr;
    // Opened read-only but not as immutable: its write-ahead log must still be replayed.
    const int opened =
        sqlite3_open_v2(copy.c_str(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    const std::unique_ptr<sqlite3, DatabaseCloser> db(raw);
    if (opened != SQLITE_OK) {
        throw ConvertError(ConvertStatus::SourceNotFound, path);
    }
    try {
        setRoot(buildPlacesTree(readPlacesRows(db.get())));
    } catch (const ConvertError& error) {
        throw ConvertError(error.status(), path);
    }
}

void TBookmarkConverter::ReadFirefoxPlaces(const std::string& path) {
    const PrivateFolder folder;
    const std::string copy = joinPath(folder.path(), "places.sqlite");
    const std::string wal = path + "-wal";
    if (folder.path().empty() || !copyFileKeepingTime(path, copy) ||
        (fileExists(wal) && !copyFileKeepingTime(wal, copy + "-wal"))) {
        throw ConvertError(ConvertStatus::SourceNotFound, path);
    }
    readFirefoxCopy(copy, path);
}

} // namespace tavlin
