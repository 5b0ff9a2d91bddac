#include "app/convert/Bookmark.h"
#include "tests/converter/ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace tavlin {
namespace {

namespace fs = std::filesystem;

const std::string kSource = "<TITLE>T</TITLE>\r\n<DL><p>\r\n<DT><A HREF=\"u\">E</A>\r\n</DL><p>\r\n";
const std::string kListing = test::crlfLines(
    {"<html><body>", "<center><h2>My Links</h2></center>", "<BR><B><font size=+1>T</font></b>", "<BR>",
     "<DL>", "<DT>E-<a href=\"u\"> u</a>", "</DL>", "<BR><BR>", "</body></html>"});

std::set<std::string> namesIn(const std::string& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) {
        names.insert(e.path().filename().string());
    }
    return names;
}

class ConvertOutput : public ::testing::Test {
protected:
    void SetUp() override { test::writeBytes(source(), kSource); }
    std::string source() const { return dir_.file("bookmark.htm"); }
    test::TempDir dir_;
};

TEST_F(ConvertOutput, WritesTheListingAndNothingElse) {
    ASSERT_EQ(test::convertChecked(source(), dir_.file("tavl.htm")), ConvertStatus::Written);
    EXPECT_EQ(test::readBytes(dir_.file("tavl.htm")), kListing);
    // Written again over an earlier, longer listing: nothing of it remains.
    test::writeBytes(dir_.file("tavl.htm"), std::string(10000, 'z'));
    ASSERT_EQ(test::convertChecked(source(), dir_.file("tavl.htm"), 9),
              ConvertStatus::Written); // 9: no sorting
    EXPECT_EQ(test::readBytes(dir_.file("tavl.htm")), kListing);
    EXPECT_EQ(namesIn(dir_.path()), (std::set<std::string>{"bookmark.htm", "tavl.htm"}));
}

TEST_F(ConvertOutput, HugeTitlesAndAddressesReachTheFileWhole) {
    const std::string title(3'000'000, 't');
    const std::string url(2'000'000, 'u');
    test::writeBytes(source(), "<TITLE>T</TITLE>\n<DL>\n<DT><A HREF=\"" + url + "\">" + title + "</A>\n");
    ASSERT_EQ(test::convertChecked(source(), dir_.file("tavl.htm"), 0, "L", "<B>", "</B>"),
              ConvertStatus::Written);
    EXPECT_EQ(
        test::readBytes(dir_.file("tavl.htm")),
        test::crlfLines({"<html><body>", "<center><h2>L</h2></center>", "<BR><B><font size=+1>T</font></b>",
                         "<BR>", "<DL>", "<DT>" + title + "-<a href=\"" + url + "\"><B> " + url + "</B></a>",
                         "</DL>", "<BR><BR>", "</body></html>"}));
}

TEST_F(ConvertOutput, RefusesEveryNameOfTheSource) {
    fs::create_directory(dir_.file("sub"));
    fs::create_symlink(source(), dir_.file("link.htm"));
    fs::create_hard_link(source(), dir_.file("hard.htm"));
    for (const std::string& output : {source(), dir_.file("sub/../bookmark.htm"), dir_.file("link.htm"),
                                      dir_.file("hard.htm"), dir_.file("./bookmark.htm")}) {
        EXPECT_EQ(test::convertChecked(source(), output), ConvertStatus::OutputIsSource) << output;
        EXPECT_EQ(test::readBytes(source()), kSource);
    }
    // Reading through the link, writing to the real name: refused as well.
    EXPECT_EQ(test::convertChecked(dir_.file("link.htm"), source()), ConvertStatus::OutputIsSource);
    EXPECT_EQ(namesIn(dir_.path()), (std::set<std::string>{"bookmark.htm", "hard.htm", "link.htm", "sub"}));
}

TEST_F(ConvertOutput, RefusesAListingInsideTheFavoritesFolder) {
    fs::create_directories(dir_.file("Favorites/Links"));
    test::writeBytes(dir_.file("Favorites/a.url"), "URL=http://a/\n");
    const std::string before = test::snapshot(dir_.file("Favorites"));
    for (const std::string& output : {dir_.file("Favorites/tavl.htm"), dir_.file("Favorites/Links/tavl.htm"),
                                      dir_.file("Favorites"), dir_.file("Favorites/")}) {
        EXPECT_EQ(test::convertChecked(dir_.file("Favorites/"), output), ConvertStatus::OutputIsSource)
            << output;
    }
    EXPECT_EQ(test::snapshot(dir_.file("Favorites")), before);
    // A sibling whose name merely starts the same way is not inside.
    EXPECT_EQ(test::convertChecked(dir_.file("Favorites"), dir_.file("Favorites.htm")),
              ConvertStatus::Written);
}

TEST_F(ConvertOutput, AFailedConversionLeavesTheEarlierListingWhole) {
    const std::string output = dir_.file("tavl.htm");
    test::writeBytes(output, "earlier listing");
    EXPECT_EQ(test::convertChecked(dir_.file("missing.htm"), output), ConvertStatus::SourceNotFound);
    test::writeBytes(dir_.file("untitled.htm"), "<DL><p>\n<DT><A HREF=\"u\">E</A>\n");
    EXPECT_EQ(test::convertChecked(dir_.file("untitled.htm"), output), ConvertStatus::NoRoot);
    EXPECT_EQ(test::readBytes(output), "earlier listing");
}

TEST_F(ConvertOutput, UnwritableOutputsAreReportedAndLeaveNoTrace) {
    EXPECT_EQ(test::convertChecked(source(), dir_.file("no/such/folder/tavl.htm")),
              ConvertStatus::OutputNotWritten);
    EXPECT_EQ(test::convertChecked(source(), ""), ConvertStatus::OutputNotWritten);
    fs::create_directory(dir_.file("listing.htm"));
    EXPECT_EQ(test::convertChecked(source(), dir_.file("listing.htm")), ConvertStatus::OutputNotWritten);
    EXPECT_EQ(test::convertChecked(source(), dir_.file("listing.htm") + "/"),
              ConvertStatus::OutputNotWritten);
    EXPECT_EQ(namesIn(dir_.path()), (std::set<std::string>{"bookmark.htm", "listing.htm"}));
    EXPECT_TRUE(namesIn(dir_.file("listing.htm")).empty());
}

TEST_F(ConvertOutput, AListingReachedThroughALinkReplacesTheLinkedFile) {
    fs::create_directory(dir_.file("real"));
    test::writeBytes(dir_.file("real/tavl.htm"), "old");
    ASSERT_EQ(::chmod(dir_.file("real/tavl.htm").c_str(), 0640), 0);
    fs::create_symlink(dir_.file("real/tavl.htm"), dir_.file("shown.htm"));
    ASSERT_EQ(test::convertChecked(source(), dir_.file("shown.htm")), ConvertStatus::Written);
    EXPECT_TRUE(fs::is_symlink(dir_.file("shown.htm")));
    EXPECT_EQ(test::readBytes(dir_.file("real/tavl.htm")), kListing);
    struct stat st {};
    ASSERT_EQ(::stat(dir_.file("real/tavl.htm").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(namesIn(dir_.file("real")), (std::set<std::string>{"tavl.htm"}));
}

} // namespace
} // namespace tavlin
