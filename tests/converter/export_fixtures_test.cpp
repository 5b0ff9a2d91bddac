#include "app/convert/Bookmark.h"
#include "tests/converter/ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavlin {
namespace {

using test::crlfLines;

std::string fixture(const std::string& name) {
    return std::string(TAVLIN_TEST_DATA) + "/bookmarks/" + name;
}

// Converts a fixture (checking its bytes stay as they were) and returns the listing.
std::string convertFixture(const std::string& name, uint8_t sortMode, const std::string& title,
                           const std::string& openTags = "", const std::string& closeTags = "") {
    test::TempDir dir;
    const std::string output = dir.file("tavl.htm");
    EXPECT_EQ(test::convertChecked(fixture(name), output, sortMode, title, openTags, closeTags),
              ConvertStatus::Written);
    return test::readBytes(output);
}

// Listing lines of the Firefox export's three folders, in a chosen order.
const std::vector<std::string> kToolbarLines = {
    "<BR><B><font size=+1>Bookmarks Toolbar</font></b>",
    "<BR>",
    "<DL>",
    "<DT>Wikip\xC3\xA9"
    "dia \xE2\x80\x93 l\xE2\x80\x99"
    "encyclop\xC3\xA9"
    "die libre-<a "
    "href=\"https://www.wikipedia.org/\">  https://www.wikipedia.org/</a>",
    "<DD>Free &amp; open reference",
    "<DT>Hacker News-<a href=\"https://news.ycombinator.com/\">  https://news.ycombinator.com/</a>",
    "</DL>",
    "<BR><BR>"};
const std::string kGettingStarted =
    "<DT>Getting Started-<a href=\"https://www.mozilla.org/en-US/firefox/central/\">"
    " https://www.mozilla.org/en-US/firefox/central/</a>";
const std::vector<std::string> kFirefoxLines = {
    "<BR><B><font size=+1>Mozilla Firefox</font></b>",
    "<BR>",
    "<DL>",
    "<DT>Get Help-<a href=\"https://support.mozilla.org/products/firefox\">  "
    "https://support.mozilla.org/products/firefox</a>",
    "<DT>About Us-<a href=\"https://www.mozilla.org/about/\">  https://www.mozilla.org/about/</a>",
    "</DL>",
    "<BR><BR>"};

std::vector<std::string> concat(std::initializer_list<std::vector<std::string>> parts) {
    std::vector<std::string> all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

// The lines with two of them swapped: sorting reorders entries inside a folder.
std::vector<std::string> swapped(std::vector<std::string> lines, size_t a, size_t b) {
    std::swap(lines[a], lines[b]);
    return lines;
}

TEST(ExportFixtures, FirefoxWithLineFeedsIndentsIconsAndSeparators) {
    const std::vector<std::string> head = {"<html><body>", "<center><h2>Firefox</h2></center>",
                                           "<BR><B><font size=+1>Bookmarks</font></b>", "<BR>", "<DL>"};
    const std::vector<std::string> tail = {"</DL>", "<BR><BR>", "</body></html>"};
    EXPECT_EQ(convertFixture("firefox_lf.html", 0, "Firefox"),
              crlfLines(concat({head, kToolbarLines, {kGettingStarted}, kFirefoxLines, tail})));

    // By title: folders first, each folder's entries by upper-cased title (the description
    // stays with its entry).
    std::vector<std::string> toolbarByTitle = kToolbarLines;
    toolbarByTitle.erase(toolbarByTitle.begin() + 3, toolbarByTitle.begin() + 6);
    toolbarByTitle.insert(toolbarByTitle.begin() + 3, {kToolbarLines[5], kToolbarLines[3], kToolbarLines[4]});
    EXPECT_EQ(
        convertFixture("firefox_lf.html", 1, "Firefox"),
        crlfLines(concat({head, toolbarByTitle, swapped(kFirefoxLines, 3, 4), {kGettingStarted}, tail})));

    // By date, oldest first: Mozilla Firefox (1680000000) before the toolbar (1690000000).
    EXPECT_EQ(convertFixture("firefox_lf.html", 2, "Firefox"),
              crlfLines(concat({head, kFirefoxLines, toolbarByTitle, {kGettingStarted}, tail})));
}

TEST(ExportFixtures, ChromeWithCrLfEmptyFoldersAndBlankAddresses) {
    EXPECT_EQ(
        convertFixture("chrome_crlf.html", 0, "Chrome", "<B><I>", "</B></I>"),
        crlfLines({
            "<html><body>",
            "<center><h2>Chrome</h2></center>",
            "<BR><B><font size=+1>Bookmarks</font></b>",
            "<BR>",
            "<DL>",
            "<BR><B><font size=+1>Bookmarks bar</font></b>",
            "<BR>",
            "<DL>",
            "<DT>Example Domain-<a href=\"https://example.org/\"><B><I>  https://example.org/</B></I></a>",
            "Read later",
            "<H3>Recipes</H3>",
            "<BR>",
            "<DL>",
            "<H3>Soups</H3>",
            "<BR>",
            "<DL>",
            "<DT>Tomato &amp; basil-<a href=\"https://cooking.example.com/soup?id=42&amp;lang=en\"><B><I>    "
            "https://cooking.example.com/soup?id=42&amp;lang=en</B></I></a>",
            "</DL>",
            "<BR><BR>",
            "</DL>",
            "<BR><BR>",
            "</DL>",
            "<BR><BR>",
            "<BR><B><font size=+1>Other bookmarks</font></b>",
            "<BR>",
            "<DL>",
            "<DT>Blank address-<a href=\" \"><B><I>   </B></I></a>",
            "</DL>",
            "<BR><BR>",
            "</DL>",
            "<BR><BR>",
            "</body></html>",
        }));
}

TEST(ExportFixtures, OlderToolWithByteOrderMarkMixedLineEndsAndOddDates) {
    const std::vector<std::string> head = {"<html><body>",
                                           "<center><h2>Tool</h2></center>",
                                           "<BR><B><font size=+1>Exported links</font></b>",
                                           "<BR>",
                                           "<DL>",
                                           "<BR><B><font size=+1>Caf\x8E</font></b>",
                                           "<BR>",
                                           "<DL>"};
    const std::string shortOne = "<DT>A short one-<a href=\"http://a/12345\">  http://a/12345</a>";
    const std::string micro =
        "<DT>Microseconds-<a href=\"https://micro.example/\">  https://micro.example/</a>";
    const std::string noDate =
        "<DT>No date-<a href=\"https://nodate.example/\">  https://nodate.example/</a>";
    const std::string seconds =
        "<DT>Seconds-<a href=\"https://seconds.example/\">  https://seconds.example/</a>";
    const std::vector<std::string> tail = {"</DL>",
                                           "<BR><BR>",
                                           "<DT>\xC3\x9Cn\xC3\xAF"
                                           "c\xC3\xB6"
                                           "d\xC3\xA9 \xE2\x9C\x93-<a href=\"https://utf8.example/\"> "
                                           "https://utf8.example/</a>",
                                           "</DL>",
                                           "<BR><BR>",
                                           "</body></html>"};
    EXPECT_EQ(convertFixture("tool_mixed.htm", 0, "Tool"),
              crlfLines(concat({head, {micro, noDate, shortOne, seconds, "<DD>Line with CR LF"}, tail})));
    // By date: the entry with HREF last and no date after it, the microsecond date and the
    // missing one all count as 0 and sort by title before the one dated in seconds.
    EXPECT_EQ(convertFixture("tool_mixed.htm", 2, "Tool"),
              crlfLines(concat({head, {shortOne, micro, noDate, seconds, "<DD>Line with CR LF"}, tail})));
}

} // namespace
} // namespace tavlin
