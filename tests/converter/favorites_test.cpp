#include "app/convert/Bookmark.h"
#include "tests/converter/ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlin {
namespace {

using test::crlfLines;

using test::localTime;

void setModified(const std::string& path, std::time_t when) {
    const struct timespec times[2] = {{when, 0}, {when, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << path;
}

// A Favorites folder as a browser keeps it, with the odd things a real one holds.
class FavoritesTree : public ::testing::Test {
protected:
    void SetUp() override {
        namespace fs = std::filesystem;
        fs::create_directories(fav("Links"));
        fs::create_directories(fav("Empty"));
        fs::create_directories(fav("My.Links"));
        test::writeBytes(fav("My.Links/Hidden.url"), "URL=http://hidden.example/\r\n");
        test::writeBytes(fav("Links/Tavlin.url"), "[InternetShortcut]\r\nURL=http://tavlin.example/\r\n");
        // The first line whose key is "url" in any case, wherever it stands.
        test::writeBytes(fav("Links/Docs.URL"), "[DEFAULT]\nBASEURL=http://base/\n[InternetShortcut]\n"
                                                "url=http://docs.example/\nURL=http://second/\n");
        test::writeBytes(fav("news.url"), "URL=https://news.example/");
        test::writeBytes(fav("empty.url"), "[InternetShortcut]\r\n");
        test::writeBytes(fav("Notes"), "a file without extension");
        test::writeBytes(fav("readme.txt"), "not a shortcut");
        fs::create_directory_symlink(".", fav("loop"));
        fs::create_directory_symlink("..", fav("Links/back"));
        // Times last: writing into a folder changes its own time.
        setModified(fav("Links/Tavlin.url"), localTime(2017, 7, 7, 7, 7, 8));
        setModified(fav("Links/Docs.URL"), localTime(2018, 8, 8, 8, 8, 8));
        setModified(fav("empty.url"), localTime(2019, 5, 5, 10, 0, 0));
        setModified(fav("Notes"), localTime(2020, 1, 1, 0, 0, 0));
        setModified(fav("news.url"), localTime(2021, 3, 4, 5, 6, 8));
        setModified(fav("Empty"), localTime(2022, 6, 1, 12, 0, 0));
    }

    std::string fav(const std::string& name = "") const {
        return dir_.file("Favorites") + (name.empty() ? "" : "/" + name);
    }
    std::string output() const { return dir_.file("tavl.htm"); }

    std::string listingOf(const std::string& source, uint8_t sortMode, const std::string& openTags = "",
                          const std::string& closeTags = "") {
        EXPECT_EQ(test::convertChecked(source, output(), sortMode, "Favs", openTags, closeTags),
                  ConvertStatus::Written);
        return test::readBytes(output());
    }

    test::TempDir dir_;
};

const std::string kDocs = "<DT>Docs.URL-<a href=\"http://docs.example/\">  http://docs.example/</a>";
const std::string kTavlin = "<DT>Tavlin.url-<a href=\"http://tavlin.example/\">  http://tavlin.example/</a>";
const std::string kNews = "<DT>news.url-<a href=\"https://news.example/\"> https://news.example/</a>";

TEST_F(FavoritesTree, ListsShortcutsAndFoldersInNameOrder) {
    const std::string expected = crlfLines({
        "<html><body>",
        "<center><h2>Favs</h2></center>",
        "<DT>Favorites-<a href=\"\"></a></font></b>",
        "<BR>",
        "<DL>",
        "<DT>Empty-<a href=\"\"> </a>",
        "<DT>empty.url-<a href=\"\"> </a>",
        "<DT>Links-<a href=\"\"> </a></font></b>",
        "<BR>",
        "<DL>",
        kDocs,
        kTavlin,
        "</DL>",
        "<BR><BR>",
        kNews,
        "<DT>Notes-<a href=\"\"> </a>",
        "</DL>",
        "<BR><BR>",
        "</body></html>",
    });
    EXPECT_EQ(listingOf(fav(), 0), expected);
    // A trailing separator changes nothing.
    EXPECT_EQ(listingOf(fav() + "/", 0), expected);
    // Folders get the tags around an empty address too.
    const std::string bold = listingOf(fav(), 0, "<B>", "</B>");
    EXPECT_NE(bold.find("\r\n<DT>Favorites-<a href=\"\"><B></B></a></font></b>\r\n"), std::string::npos);
    EXPECT_NE(bold.find("\r\n<DT>Links-<a href=\"\"><B> </B></a></font></b>\r\n"), std::string::npos);
}

TEST_F(FavoritesTree, SortsByTheFilesLastWriteTimes) {
    const std::string expected = crlfLines({
        "<html><body>",
        "<center><h2>Favs</h2></center>",
        "<DT>Favorites-<a href=\"\"></a></font></b>",
        "<BR>",
        "<DL>",
        "<DT>Links-<a href=\"\"> </a></font></b>",
        "<BR>",
        "<DL>",
        kTavlin,
        kDocs,
        "</DL>",
        "<BR><BR>",
        "<DT>empty.url-<a href=\"\"> </a>",
        "<DT>Notes-<a href=\"\"> </a>",
        kNews,
        "<DT>Empty-<a href=\"\"> </a>",
        "</DL>",
        "<BR><BR>",
        "</body></html>",
    });
    EXPECT_EQ(listingOf(fav(), 2), expected);
}

TEST_F(FavoritesTree, DatesArePackedDosTimesInLocalTime) {
    TBookmarkConverter converter;
    converter.ReadFavorites(nullptr, fav(), 0);
    ASSERT_NE(converter.Root, nullptr);
    EXPECT_EQ(converter.Root->AddDate, 0);
    const TBookmark* news = nullptr;
    for (const auto& child : converter.Root->Children) {
        if (child->Title == "news.url") {
            news = child.get();
        }
    }
    ASSERT_NE(news, nullptr);
    // 2021-03-04 05:06:08: date (41 << 9 | 3 << 5 | 4) = 21092, time (5 << 11 | 6 << 5 | 8 / 2) = 10436.
    EXPECT_EQ(news->AddDate, 21092.0 * 65536 + 10436);
}

TEST_F(FavoritesTree, SourcesThatAreNoFavoritesFolder) {
    test::writeBytes(output(), "earlier listing");
    for (const std::string& source :
         {fav("My.Links"), fav("Notes"), fav("news.url"), fav("Missing"), fav("Missing") + "/"}) {
        EXPECT_EQ(test::convertChecked(source, output()), ConvertStatus::NoRoot) << source;
    }
    EXPECT_EQ(test::readBytes(output()), "earlier listing");
}

TEST_F(FavoritesTree, AnUnreadableFolderEndsTheConversion) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "permissions do not stop root";
    }
    ASSERT_EQ(::chmod(fav("Links").c_str(), 0), 0);
    TBookmarkConverter converter;
    EXPECT_EQ(converter.Convert(fav(), output(), 0, "Favs", "", ""), ConvertStatus::SourceNotFound);
    EXPECT_EQ(converter.failedPath(), fav("Links"));
    ::chmod(fav("Links").c_str(), 0755);
}

} // namespace
} // namespace tavlin
