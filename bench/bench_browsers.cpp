// Reading browsers' own stores beside reading the same bookmarks as a Netscape
// export.
//
// Generates one tree of 100,000 entries in 500 folders three ways: a Netscape
// export as Chromium writes it, Chromium's own "Bookmarks" JSON file and
// Firefox's places.sqlite (its real tables and indexes). Converts each,
// unsorted, in this one process, alternating the three so that each sees the
// same machine, and prints the median times and their ratios to the export.
//
//   bench_browsers [--runs N]
#include "app/convert/Bookmark.h"

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace tavlin;
namespace fs = std::filesystem;

constexpr int kTopFolders = 50;
constexpr int kSubFolders = 9;
constexpr int kEntriesPerFolder = 200;
constexpr int64_t kChromiumEpochOffset = 11'644'473'600;

struct Folder {
    std::string title;
    int64_t date = 0; // Unix seconds
    int first = 0;    // its entries: first .. first + kEntriesPerFolder - 1
    std::vector<int> subfolders;
};

struct Tree {
    std::vector<Folder> folders; // the top folders first
    std::vector<std::string> titles;
    std::vector<std::string> urls;
    std::vector<int64_t> dates;
};

Tree makeTree() {
    const char* words[] = {"travel", "Recipes", "linux", "Music", "news", "Garden", "maths", "Photos"};
    Tree tree;
    auto addFolder = [&](int n) {
        Folder folder{std::string(words[(n * 3) % 8]) + " folder " + std::to_string(n),
                      1400000000 + n * 1000,
                      int(tree.titles.size()),
                      {}};
        for (int k = 0; k < kEntriesPerFolder; ++k) {
            const int e = int(tree.titles.size());
            tree.titles.push_back(std::string(words[e % 8]) + " page " + std::to_string(e) + " about " +
                                  words[(e / 8) % 8]);
            tree.urls.push_back("https://site" + std::to_string(e % 977) + ".example.com/path/" +
                                std::to_string(k) + "/index.html?ref=" + std::to_string(e));
            tree.dates.push_back(1500000000 + int64_t(e) * 7919 % 200000000);
        }
        tree.folders.push_back(std::move(folder));
        return int(tree.folders.size()) - 1;
    };
    for (int top = 0; top < kTopFolders; ++top) {
        addFolder(top);
    }
    for (int top = 0; top < kTopFolders; ++top) {
        for (int sub = 0; sub < kSubFolders; ++sub) {
            const int n = addFolder(kTopFolders + top * kSubFolders + sub);
            tree.folders[size_t(top)].subfolders.push_back(n);
        }
    }
    return tree;
}

// --- the Netscape export, as Chromium writes it ---

void writeNetscape(const Tree& tree, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fputs("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<META "
               "HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; "
               "charset=UTF-8\">\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</"
               "H1>\n<DL><p>\n"
               "    <DT><H3 ADD_DATE=\"1400000000\" LAST_MODIFIED=\"0\" "
               "PERSONAL_TOOLBAR_FOLDER=\"true\">Bookmarks "
               "bar</H3>\n    <DL><p>\n",
               f);
    auto writeFolder = [&](const Folder& folder, const std::string& indent) {
        std::fprintf(f, "%s<DT><H3 ADD_DATE=\"%lld\" LAST_MODIFIED=\"0\">%s</H3>\n%s<DL><p>\n",
                     indent.c_str(), (long long)folder.date, folder.title.c_str(), indent.c_str());
        for (int e = folder.first; e < folder.first + kEntriesPerFolder; ++e) {
            std::fprintf(f, "%s    <DT><A HREF=\"%s\" ADD_DATE=\"%lld\">%s</A>\n", indent.c_str(),
                         tree.urls[size_t(e)].c_str(), (long long)tree.dates[size_t(e)],
                         tree.titles[size_t(e)].c_str());
        }
    };
    for (int top = 0; top < kTopFolders; ++top) {
        const Folder& folder = tree.folders[size_t(top)];
        writeFolder(folder, "        ");
        for (const int sub : folder.subfolders) {
            writeFolder(tree.folders[size_t(sub)], "            ");
            std::fputs("            </DL><p>\n", f);
        }
        std::fputs("        </DL><p>\n", f);
    }
    std::fputs("    </DL><p>\n</DL><p>\n", f);
    std::fclose(f);
}

// --- Chromium's own file, pretty-printed with three-space indents as Chromium
// writes it ---

std::string chromiumDate(int64_t unixSeconds) {
    return std::to_string((unixSeconds + kChromiumEpochOffset) * 1'000'000);
}

void writeChromium(const Tree& tree, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    int id = 4;
    auto entry = [&](int e, const std::string& indent, bool last) {
        std::fprintf(f,
                     "%s{\n%s   \"date_added\": \"%s\",\n%s   \"date_last_used\": "
                     "\"0\",\n%s   \"guid\": "
                     "\"00000000-0000-4000-8000-%012d\",\n%s   \"id\": \"%d\",\n%s "
                     "  \"name\": \"%s\",\n%s   "
                     "\"type\": \"url\",\n%s   \"url\": \"%s\"\n%s}%s\n",
                     indent.c_str(), indent.c_str(), chromiumDate(tree.dates[size_t(e)]).c_str(),
                     indent.c_str(), indent.c_str(), id, indent.c_str(), id, indent.c_str(),
                     tree.titles[size_t(e)].c_str(), indent.c_str(), indent.c_str(),
                     tree.urls[size_t(e)].c_str(), indent.c_str(), last ? "" : ",");
        ++id;
    };
    auto folderHead = [&](const std::string& indent) {
        std::fprintf(f, "%s{\n%s   \"children\": [ ", indent.c_str(), indent.c_str());
    };
    auto folderTail = [&](const Folder& folder, const std::string& indent, bool last) {
        std::fprintf(f,
                     " ],\n%s   \"date_added\": \"%s\",\n%s   \"date_modified\": "
                     "\"0\",\n%s   \"guid\": "
                     "\"10000000-0000-4000-8000-%012d\",\n%s   \"id\": \"%d\",\n%s "
                     "  \"name\": \"%s\",\n%s   "
                     "\"type\": \"folder\"\n%s}%s",
                     indent.c_str(), chromiumDate(folder.date).c_str(), indent.c_str(), indent.c_str(), id,
                     indent.c_str(), id, indent.c_str(), folder.title.c_str(), indent.c_str(), indent.c_str(),
                     last ? "" : ", ");
        ++id;
    };
    auto entries = [&](const Folder& folder, const std::string& indent, bool lastAtEnd) {
        for (int e = folder.first; e < folder.first + kEntriesPerFolder; ++e) {
            entry(e, indent, lastAtEnd && e + 1 == folder.first + kEntriesPerFolder);
        }
    };
    std::fputs("{\n   \"checksum\": \"00000000000000000000000000000000\",\n   "
               "\"roots\": {\n      \"bookmark_bar\": "
               "{\n         \"children\": [ ",
               f);
    for (int top = 0; top < kTopFolders; ++top) {
        const Folder& folder = tree.folders[size_t(top)];
        folderHead("         ");
        entries(folder, "            ", false);
        for (size_t s = 0; s < folder.subfolders.size(); ++s) {
            const Folder& sub = tree.folders[size_t(folder.subfolders[s])];
            folderHead("            ");
            entries(sub, "               ", true);
            folderTail(sub, "            ", s + 1 == folder.subfolders.size());
        }
        folderTail(folder, "         ", top + 1 == kTopFolders);
    }
    std::fputs(" ],\n         \"date_added\": \"13300000000000000\",\n         "
               "\"date_modified\": \"0\",\n         "
               "\"guid\": \"0bc5d13f-2cba-5d74-951f-3f233fe6c908\",\n         \"id\": "
               "\"1\",\n         \"name\": "
               "\"Bookmarks bar\",\n         \"type\": \"folder\"\n      },\n      "
               "\"other\": {\n         "
               "\"children\": [  ],\n         \"name\": \"Other bookmarks\",\n         "
               "\"type\": \"folder\"\n      "
               "},\n      \"synced\": {\n         \"children\": [  ],\n         "
               "\"name\": \"Mobile bookmarks\",\n    "
               "     \"type\": \"folder\"\n      }\n   },\n   \"version\": 1\n}\n",
               f);
    std::fclose(f);
}

// --- Firefox's database, with its tables and indexes ---

void exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
}

void writeFirefox(const Tree& tree, const std::string& path) {
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    exec(db, "CREATE TABLE moz_places (id INTEGER PRIMARY KEY, url LONGVARCHAR, "
             "title LONGVARCHAR, rev_host "
             "LONGVARCHAR, visit_count INTEGER DEFAULT 0, hidden INTEGER DEFAULT 0 "
             "NOT NULL, typed INTEGER DEFAULT 0 "
             "NOT NULL, frecency INTEGER DEFAULT -1 NOT NULL, last_visit_date "
             "INTEGER, guid TEXT, foreign_count "
             "INTEGER DEFAULT 0 NOT NULL, url_hash INTEGER DEFAULT 0 NOT NULL, "
             "description TEXT, preview_image_url "
             "TEXT, site_name TEXT, origin_id INTEGER, recalc_frecency INTEGER NOT "
             "NULL DEFAULT 0, alt_frecency "
             "INTEGER, recalc_alt_frecency INTEGER NOT NULL DEFAULT 0);"
             "CREATE TABLE moz_bookmarks (id INTEGER PRIMARY KEY, type INTEGER, fk "
             "INTEGER DEFAULT NULL, parent "
             "INTEGER, position INTEGER, title LONGVARCHAR, keyword_id INTEGER, "
             "folder_type TEXT, dateAdded INTEGER, "
             "lastModified INTEGER, guid TEXT, syncStatus INTEGER NOT NULL DEFAULT "
             "0, syncChangeCounter INTEGER NOT "
             "NULL DEFAULT 1);"
             "CREATE UNIQUE INDEX moz_places_guid_uniqueindex ON moz_places (guid);"
             "CREATE INDEX moz_places_url_hashindex ON moz_places (url_hash);"
             "CREATE INDEX moz_bookmarks_itemindex ON moz_bookmarks (fk, type);"
             "CREATE INDEX moz_bookmarks_parentindex ON moz_bookmarks (parent, "
             "position);"
             "CREATE UNIQUE INDEX moz_bookmarks_guid_uniqueindex ON moz_bookmarks "
             "(guid);"
             "BEGIN;"
             "INSERT INTO moz_bookmarks (id, type, parent, position, title, "
             "dateAdded, guid) VALUES"
             " (1, 2, 0, 0, '', 0, 'root________'), (2, 2, 1, 0, 'menu', 0, "
             "'menu________'),"
             " (3, 2, 1, 1, 'toolbar', 0, 'toolbar_____'), (4, 2, 1, 2, 'tags', 0, "
             "'tags________'),"
             " (5, 2, 1, 3, 'unfiled', 0, 'unfiled_____'), (6, 2, 1, 4, 'mobile', 0, "
             "'mobile______');");
    sqlite3_stmt* place = nullptr;
    sqlite3_stmt* mark = nullptr;
    sqlite3_prepare_v2(db,
                       "INSERT INTO moz_places (id, url, title, guid, url_hash) "
                       "VALUES (?, ?, ?, ?, ?)",
                       -1, &place, nullptr);
    sqlite3_prepare_v2(db,
                       "INSERT INTO moz_bookmarks (id, type, fk, parent, "
                       "position, title, dateAdded, lastModified, "
                       "guid) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)",
                       -1, &mark, nullptr);
    int64_t nextId = 10;
    auto addMark = [&](int type, int64_t fk, int64_t parent, int position, const std::string& title,
                       int64_t date) {
        const int64_t id = nextId++;
        const std::string guid = "g" + std::to_string(id);
        sqlite3_bind_int64(mark, 1, id);
        sqlite3_bind_int(mark, 2, type);
        fk ? sqlite3_bind_int64(mark, 3, fk) : sqlite3_bind_null(mark, 3);
        sqlite3_bind_int64(mark, 4, parent);
        sqlite3_bind_int(mark, 5, position);
        sqlite3_bind_text(mark, 6, title.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int64(mark, 7, date * 1'000'000);
        sqlite3_bind_int64(mark, 8, date * 1'000'000);
        sqlite3_bind_text(mark, 9, guid.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(mark);
        sqlite3_reset(mark);
        return id;
    };
    auto addEntries = [&](const Folder& folder, int64_t parent) {
        for (int k = 0; k < kEntriesPerFolder; ++k) {
            const size_t e = size_t(folder.first + k);
            const std::string guid = "p" + std::to_string(e);
            sqlite3_bind_int64(place, 1, int64_t(e) + 1);
            sqlite3_bind_text(place, 2, tree.urls[e].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(place, 3, tree.titles[e].c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(place, 4, guid.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(place, 5, int64_t(std::hash<std::string>()(tree.urls[e]) >> 16));
            sqlite3_step(place);
            sqlite3_reset(place);
            addMark(1, int64_t(e) + 1, parent, k, tree.titles[e], tree.dates[e]);
        }
    };
    for (int top = 0; top < kTopFolders; ++top) {
        const Folder& folder = tree.folders[size_t(top)];
        const int64_t id = addMark(2, 0, 3, top, folder.title, folder.date);
        addEntries(folder, id);
        for (size_t s = 0; s < folder.subfolders.size(); ++s) {
            const Folder& sub = tree.folders[size_t(folder.subfolders[s])];
            addEntries(sub, addMark(2, 0, id, kEntriesPerFolder + int(s), sub.title, sub.date));
        }
    }
    sqlite3_finalize(place);
    sqlite3_finalize(mark);
    exec(db, "COMMIT;");
    sqlite3_close(db);
}

struct Timing {
    double wall = 0;
    double cpu = 0;
};

double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

// Wall time, and this process's processor time, which a busy machine disturbs less.
Timing timeConversion(const std::string& source, const std::string& output) {
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = cpuSeconds();
    const ConvertStatus status = Convert(source, output, 0, "Listing", "", "");
    Timing timing{std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
                  cpuSeconds() - cpuStart};
    if (status != ConvertStatus::Written) {
        std::fprintf(stderr, "converting %s failed: %s\n", source.c_str(), describe(status));
        std::exit(1);
    }
    return timing;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    int runs = 5;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0) {
            runs = std::max(1, std::atoi(argv[i + 1]));
        }
    }
    char pattern[] = "/tmp/bench-browsers-XXXXXX";
    const std::string dir = ::mkdtemp(pattern);
    const Tree tree = makeTree();
    const std::string sources[] = {dir + "/bookmarks.html", dir + "/Bookmarks", dir + "/places.sqlite"};
    const char* names[] = {"Netscape export", "Chromium Bookmarks", "Firefox places.sqlite"};
    writeNetscape(tree, sources[0]);
    writeChromium(tree, sources[1]);
    writeFirefox(tree, sources[2]);

    std::vector<double> wall[3];
    std::vector<double> cpu[3];
    for (int run = 0; run < runs; ++run) {
        for (int k = 0; k < 3; ++k) {
            const Timing timing = timeConversion(sources[k], dir + "/tavl.htm");
            wall[k].push_back(timing.wall);
            cpu[k].push_back(timing.cpu);
        }
    }
    std::printf("%zu entries in %zu folders, median of %d runs\n", tree.titles.size(), tree.folders.size(),
                runs);
    std::printf("%-22s %9s %10s %7s %10s %7s\n", "source", "size", "wall", "ratio", "cpu", "ratio");
    for (int k = 0; k < 3; ++k) {
        std::printf("%-22s %6.1f MB %7.1f ms %6.2fx %7.1f ms %6.2fx\n", names[k],
                    double(fs::file_size(sources[k])) / 1e6, median(wall[k]) * 1e3,
                    median(wall[k]) / median(wall[0]), median(cpu[k]) * 1e3, median(cpu[k]) / median(cpu[0]));
    }
    if (!std::getenv("BENCH_KEEP")) {
        fs::remove_all(dir);
    }
    return 0;
}
