#include "app/convert/Bookmark.h"
#include "tests/converter/ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <optional>
#include <sqlite3.h>
#include <sys/stat.h>

namespace tavlin {
namespace {

namespace fs = std::filesystem;

// Firefox's own two tables, column for column.
constexpr const char* kPlacesSchema = R"sql(
CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, title LONGVARCHAR, rev_host LONGVARCHAR,
  visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 NOT NULL, typed INTEGER DEFAULT 0 NOT NULL,
  frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date INTEGER, guid TEXT, foreign_count INTEGER DEFAULT 0 NOT NULL,
  url_hash INTEGER DEFAULT 0 NOT NULL, description TEXT, preview_image_url TEXT, site_name TEXT, origin_id INTEGER,
  recalc_frecency INTEGER NOT NULL DEFAULT 0, alt_frecency INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);
CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk INTEGER DEFAULT NULL, parent INTEGER,
  position INTEGER, title LONGVARCHAR, keyword_id INTEGER, folder_type TEXT, dateAdded INTEGER, lastModified INTEGER,
  guid TEXT, syncStatus INTEGER NOT NULL DEFAULT 0, syncChangeCounter INTEGER NOT NULL DEFAULT 1);
INSERT INTO moz_places (id, url, title, guid) VALUES
  (1, 'https://www.mozilla.org/', 'Mozilla', 'p1'), (2, 'https://example.org/a?b=1&c=2', 'Ex', 'p2'),
  (3, 'https://news.example/', 'News', 'p3');
INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, dateAdded, guid) VALUES
  (1, 2, NULL, 0, 0, '', 1500000000000000, 'root________'),
  (2, 2, NULL, 1, 0, 'menu', 0, 'menu________'),
  (3, 2, NULL, 1, 1, 'toolbar', 0, 'toolbar_____'),
  (4, 2, NULL, 1, 2, 'tags', 0, 'tags________'),
  (5, 2, NULL, 1, 3, 'unfiled', 0, 'unfiled_____'),
  (6, 2, NULL, 1, 4, 'mobile', 0, 'mobile______'),
  (7, 1, 1, 2, 2, 'Mozilla', 1600000000000000, 'b7'),
  (8, 2, NULL, 2, 0, 'Läsning', 1600000000000000, 'b8'),
  (9, 3, NULL, 2, 1, NULL, 0, 'b9'),
  (10, 1, 2, 8, 0, 'Ünïcode & more', NULL, 'b10'),
  (11, 2, NULL, 4, 0, 'news-tag', 0, 'b11'),
  (12, 1, 3, 11, 0, NULL, 0, 'b12'),
  (13, 1, 3, 3, 0, 'News', 1700000000000000, 'b13');
)sql";

// The menu's folder, then its entry (stored positions, not ids); the separator and the tags go.
std::vector<std::string> placesLines(const std::vector<std::string>& toolbarExtra) {
    std::vector<std::string> lines = {
        "<html><body>",
        "<center><h2>My Links</h2></center>",
        "<BR><B><font size=+1>Bookmarks</font></b>",
        "<BR>",
        "<DL>",
        "<BR><B><font size=+1>Bookmarks Menu</font></b>",
        "<BR>",
        "<DL>",
        "<H3>Läsning</H3>",
        "<BR>",
        "<DL>",
        "<DT>Ünïcode &amp; more-<a href=\"https://example.org/a?b=1&amp;c=2\">   "
        "https://example.org/a?b=1&amp;c=2</a>",
        "</DL>",
        "<BR><BR>",
        "<DT>Mozilla-<a href=\"https://www.mozilla.org/\">  https://www.mozilla.org/</a>",
        "</DL>",
        "<BR><BR>",
        "<BR><B><font size=+1>Bookmarks Toolbar</font></b>",
        "<BR>",
        "<DL>",
        "<DT>News-<a href=\"https://news.example/\">  https://news.example/</a>",
    };
    lines.insert(lines.end(), toolbarExtra.begin(), toolbarExtra.end());
    for (const char* line : {"</DL>", "<BR><BR>", "Other Bookmarks", "Mobile Bookmarks", "</DL>", "<BR><BR>",
                             "</body></html>"}) {
        lines.push_back(line);
    }
    return lines;
}

struct Connection {
    explicit Connection(const std::string& path) { EXPECT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK); }
    ~Connection() { sqlite3_close(db); }
    int exec(const char* sql) const { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr); }
    sqlite3* db = nullptr;
};

struct FileState {
    std::string bytes;
    int64_t mtime = 0;
    bool operator==(const FileState&) const = default;
};

FileState stateOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return {test::readBytes(path), int64_t(st.st_mtim.tv_sec) * 1'000'000'000 + st.st_mtim.tv_nsec};
}

// Points TEMP at a folder of the test's own, so what the converter leaves there can be seen.
class ScopedTemp {
public:
    explicit ScopedTemp(const std::string& path) {
        if (const char* old = std::getenv("TEMP")) {
            old_ = old;
        }
        ::setenv("TEMP", path.c_str(), 1);
    }
    ~ScopedTemp() { old_ ? ::setenv("TEMP", old_->c_str(), 1) : ::unsetenv("TEMP"); }
    ScopedTemp(const ScopedTemp&) = delete;
    ScopedTemp& operator=(const ScopedTemp&) = delete;

private:
    std::optional<std::string> old_;
};

class FirefoxPlaces : public ::testing::Test {
protected:
    void SetUp() override {
        Connection setup(places());
        ASSERT_EQ(setup.exec(kPlacesSchema), SQLITE_OK) << sqlite3_errmsg(setup.db);
    }
    std::string places() const { return dir_.file("places.sqlite"); }
    std::string output() const { return dir_.file("tavl.htm"); }

    // Converts and checks that the database and its log are unchanged, bytes and times, and that
    // the private copy is gone.
    std::string convert(ConvertStatus expected = ConvertStatus::Written) {
        const FileState db = stateOf(places());
        const FileState wal = stateOf(places() + "-wal");
        TBookmarkConverter converter;
        EXPECT_EQ(converter.Convert(places(), output(), 0, "My Links", "", ""), expected);
        EXPECT_EQ(converter.sourceKind(), SourceKind::FirefoxPlaces);
        EXPECT_TRUE(stateOf(places()) == db);
        EXPECT_TRUE(stateOf(places() + "-wal") == wal);
        EXPECT_TRUE(fs::is_empty(temp_.path())) << "the private copy was left behind";
        return test::readBytes(output());
    }

    test::TempDir dir_;
    test::TempDir temp_;
    ScopedTemp scopedTemp_{temp_.path()};
};

TEST_F(FirefoxPlaces, ListsTheBuiltInFoldersInStoredPositions) {
    EXPECT_EQ(convert(), test::crlfLines(placesLines({})));
}

TEST_F(FirefoxPlaces, ReadsEntriesOnlyInTheLogWhileTheBrowserHoldsItsLock) {
    Connection browser(places());
    ASSERT_EQ(
        browser.exec("PRAGMA journal_mode=WAL; PRAGMA wal_autocheckpoint=0; PRAGMA locking_mode=EXCLUSIVE;"
                     "INSERT INTO moz_places (id, url, title) VALUES (4, 'https://wal.example/', 'W');"
                     "INSERT INTO moz_bookmarks (id, type, fk, parent, position, title, dateAdded, guid)"
                     " VALUES (14, 1, 4, 3, 1, 'Only in the log', 0, 'b14');"),
        SQLITE_OK);
    ASSERT_TRUE(fs::file_size(places() + "-wal") > 0);
    // The lock is real: another connection cannot read the original.
    Connection other(places());
    EXPECT_EQ(other.exec("SELECT count(*) FROM moz_bookmarks"), SQLITE_BUSY);
    EXPECT_EQ(convert(),
              test::crlfLines(placesLines(
                  {"<DT>Only in the log-<a href=\"https://wal.example/\">  https://wal.example/</a>"})));
}

TEST_F(FirefoxPlaces, OtherOrDamagedDatabasesAreReported) {
    {
        Connection setup(places());
        ASSERT_EQ(setup.exec("DROP TABLE moz_bookmarks"), SQLITE_OK);
    }
    convert(ConvertStatus::NoRoot);
    // The header stays, the pages behind it are garbage.
    test::writeBytes(places(), test::readBytes(places()).substr(0, 100) + std::string(4000, '\xff'));
    convert(ConvertStatus::SourceNotFound);
}

} // namespace
} // namespace tavlin
