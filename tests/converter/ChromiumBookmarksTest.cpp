#include "app/convert/Bookmark.h"
#include "tests/converter/ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace tavlin {
namespace {

// Chromium writes each node's "children" before its "name"; dates are microseconds since 1601.
const std::string kChromiumFile = R"json({
 "checksum": "0f",
 "roots": {
  "bookmark_bar": {"children": [
    {"date_added": "13300000000000000", "name": "Nyheter – Ελληνικά", "type": "url", "url": "https://example.com/ä"},
    {"children": [
       {"children": [{"name": "Deep", "type": "url", "url": "https://deep.example/", "date_added": "0"}],
        "name": "Inner", "type": "folder"},
       {"name": "Run <me>", "type": "url", "url": "javascript:alert(\"hi\")"}],
     "date_added": "13200000000000000", "name": "Outer", "type": "folder"},
    {"children": [], "name": "Empty", "type": "folder"}],
   "name": "Bookmarks bar", "type": "folder"},
  "other": {"children": [], "name": "Other bookmarks", "type": "folder"},
  "synced": {"children": [{"name": "Phone", "type": "url", "url": "https://m.example/"}],
   "name": "Mobile bookmarks", "type": "folder"}
 },
 "version": 1
})json";

const std::string kChromiumListing = test::crlfLines({
    "<html><body>",
    "<center><h2>My Links</h2></center>",
    "<BR><B><font size=+1>Bookmarks</font></b>",
    "<BR>",
    "<DL>",
    "<BR><B><font size=+1>Bookmarks bar</font></b>",
    "<BR>",
    "<DL>",
    "<DT>Nyheter – Ελληνικά-<a href=\"https://example.com/ä\">  https://example.com/ä</a>",
    "<H3>Outer</H3>",
    "<BR>",
    "<DL>",
    "<H3>Inner</H3>",
    "<BR>",
    "<DL>",
    "<DT>Deep-<a href=\"https://deep.example/\">    https://deep.example/</a>",
    "</DL>",
    "<BR><BR>",
    "<DT>Run &lt;me&gt;-<a href=\"javascript:alert(&quot;hi&quot;)\">   javascript:alert(&quot;hi&quot;)</a>",
    "</DL>",
    "<BR><BR>",
    "Empty",
    "</DL>",
    "<BR><BR>",
    "Other bookmarks",
    "<BR><B><font size=+1>Mobile bookmarks</font></b>",
    "<BR>",
    "<DL>",
    "<DT>Phone-<a href=\"https://m.example/\">  https://m.example/</a>",
    "</DL>",
    "<BR><BR>",
    "</DL>",
    "<BR><BR>",
    "</body></html>",
});

class ChromiumBookmarks : public ::testing::Test {
protected:
    std::string convert(const std::string& name, const std::string& bytes, ConvertStatus expected,
                        uint8_t sort = 0) {
        test::writeBytes(dir_.file(name), bytes);
        EXPECT_EQ(test::convertChecked(dir_.file(name), dir_.file("tavl.htm"), sort), expected);
        return test::readBytes(dir_.file("tavl.htm"));
    }
    test::TempDir dir_;
};

TEST_F(ChromiumBookmarks, ListsRootsFoldersAndEntriesInStoredOrder) {
    EXPECT_EQ(convert("Bookmarks", kChromiumFile, ConvertStatus::Written), kChromiumListing);
    // A file that ends exactly at a page's end leaves the parser no spare bytes of its own.
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    std::string filled = kChromiumFile;
    filled.append(page - filled.size() % page, ' ');
    EXPECT_EQ(convert("Bookmarks", filled, ConvertStatus::Written), kChromiumListing);
}

TEST_F(ChromiumBookmarks, SortsByDateAddedWithMissingAndOutOfRangeDatesAsNone) {
    // Outer holds entries so it leads; then Empty and Nyheter by date (none, then 2022).
    const std::string listing = convert("Bookmarks", kChromiumFile, ConvertStatus::Written, 2);
    const size_t outer = listing.find("<H3>Outer</H3>");
    const size_t empty = listing.find("Empty\r\n");
    const size_t dated = listing.find("<DT>Nyheter");
    EXPECT_LT(outer, empty);
    EXPECT_LT(empty, dated);
    EXPECT_NE(dated, std::string::npos);
}

TEST_F(ChromiumBookmarks, OnlyAJsonObjectWithRootsIsRead) {
    // Other files without an extension read exactly as they always did: as no Favorites folder.
    for (const std::string bytes :
         {"plain words", R"({"version": 1, "list": [1, {"roots": 2}]})", "{ not json"}) {
        test::writeBytes(dir_.file("notes"), bytes);
        TBookmarkConverter converter;
        EXPECT_EQ(converter.Convert(dir_.file("notes"), dir_.file("tavl.htm"), 0, "T", "", ""),
                  ConvertStatus::NoRoot);
        EXPECT_EQ(converter.sourceKind(), SourceKind::Favorites);
    }
    // A file that is Chromium's but cut short is reported, not half listed.
    convert("Bookmarks", kChromiumFile.substr(0, kChromiumFile.find("Outer")), ConvertStatus::SourceNotFound);
    convert("Bookmarks", R"({"roots": 7})", ConvertStatus::NoRoot);
}

TEST_F(ChromiumBookmarks, DeepNestingReadsWithoutRecursion) {
    const int depth = 20000;
    std::string json = R"({"roots": {"bookmark_bar": )";
    for (int i = 0; i < depth; ++i) {
        json += R"({"name": "f", "children": [)";
    }
    json += R"({"name": "leaf", "type": "url", "url": "u"})";
    for (int i = 0; i < depth; ++i) {
        json += "]}";
    }
    json += "}}";
    const std::string listing = convert("Bookmarks", json, ConvertStatus::Written);
    EXPECT_NE(listing.find("<DT>leaf-<a href=\"u\">      u</a>"), std::string::npos);
}

} // namespace
} // namespace tavlin
