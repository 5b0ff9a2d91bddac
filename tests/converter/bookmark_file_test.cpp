#include "app/convert/Bookmark.h"
#include "tests/converter/ConverterTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tavlin {
namespace {

using test::crlfLines;
using test::TempDir;

// The lines of a bookmark file joined with one line end.
std::string joined(const std::vector<std::string>& lines, const std::string& eol) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + eol;
    }
    return text;
}

const std::vector<std::string> kExampleFile = {
    "<TITLE>Bookmarks</TITLE>",
    "<DL><p>",
    "<DT><H3 ADD_DATE=\"900000000\">News</H3>",
    "<DL><p>",
    "<DT><A HREF=\"news.htm\" ADD_DATE=\"900000100\">Daily</A>",
    "<DD>Morning paper",
    "</DL><p>",
    "</DL><p>",
};

const std::string kExampleListing = crlfLines({
    "<html><body>",
    "<center><h2>My Links</h2></center>",
    "<BR><B><font size=+1>Bookmarks</font></b>",
    "<BR>",
    "<DL>",
    "<BR><B><font size=+1>News</font></b>",
    "<BR>",
    "<DL>",
    "<DT>Daily-<a href=\"news.htm\"><B>  news.htm</B></a>",
    "<DD>Morning paper",
    "</DL>",
    "<BR><BR>",
    "</DL>",
    "<BR><BR>",
    "</body></html>",
});

// The listing of bookmark-file text, read in pieces of chunkSize bytes.
std::string listingOf(const std::string& text, uint8_t sortMode = 0, size_t chunkSize = 1 << 20) {
    TBookmarkConverter converter;
    converter.ReadBookmarkText(text, chunkSize);
    if (sortMode == 1) {
        SortTree(converter.Root.get(), CompareByTitle);
    } else if (sortMode == 2) {
        SortTree(converter.Root.get(), CompareByDate);
    }
    return converter.ListingText("My Links", "<B>", "</B>");
}

// The listing of a root "T" holding the given lines.
std::string listingWithRootChildren(const std::vector<std::string>& childLines) {
    std::vector<std::string> lines = {"<html><body>", "<center><h2>My Links</h2></center>",
                                      "<BR><B><font size=+1>T</font></b>", "<BR>", "<DL>"};
    lines.insert(lines.end(), childLines.begin(), childLines.end());
    lines.insert(lines.end(), {"</DL>", "<BR><BR>", "</body></html>"});
    return crlfLines(lines);
}

TEST(BookmarkFile, TheFifteenLineExampleByteForByte) {
    TempDir dir;
    const std::string source = dir.file("bookmark.htm");
    test::writeBytes(source, joined(kExampleFile, "\r\n"));
    const std::string output = dir.file("tavl.htm");
    ASSERT_EQ(test::convertChecked(source, output, 0, "My Links", "<B>", "</B>"), ConvertStatus::Written);
    EXPECT_EQ(test::readBytes(output), kExampleListing);
}

TEST(BookmarkFile, EveryLineEndReadsTheSame) {
    for (const char* eol : {"\r\n", "\r", "\n"}) {
        EXPECT_EQ(listingOf(joined(kExampleFile, eol)), kExampleListing) << "line end " << int(eol[0]);
    }
    // Mixed in one file, LF CR read as two ends, and the last line without an end.
    const std::string mixed =
        "<TITLE>Bookmarks</TITLE>\n<DL><p>\r<DT><H3 ADD_DATE=\"900000000\">News</H3>\n\r"
        "<DL><p>\r\n<DT><A HREF=\"news.htm\" ADD_DATE=\"900000100\">Daily</A>\n"
        "<DD>Morning paper\r\n\r\n</DL><p>\n</DL><p>";
    for (size_t chunk : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(1) << 20}) {
        EXPECT_EQ(listingOf(mixed, 0, chunk), kExampleListing) << "chunk " << chunk;
    }
}

TEST(BookmarkFile, CtrlZEndsTheFile) {
    std::string text = joined(kExampleFile, "\n");
    EXPECT_EQ(listingOf(text + "\x1a<DT><A HREF=\"late.htm\">Late</A>\n"), kExampleListing);
    // Inside a line: what stands before it on that line still counts.
    const std::string cut = "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"a\">A</A>\x1a<DT><A HREF=\"b\">B</A>\n";
    EXPECT_EQ(listingOf(cut), listingWithRootChildren({"<DT>A-<a href=\"a\"><B> a</B></a>"}));
}

TEST(BookmarkFile, DescriptionsCountOnlyAtTheFirstColumn) {
    const std::string text =
        "<TITLE>T</TITLE>\n<DL><p>\n<DD>before any entry? no: the root is latest\n"
        "<DT><A HREF=\"a\">A</A>\n    <DD>indented\n<DD>first\n<DD>  second, untrimmed \n"
        "<DT><A HREF=\"b\">B</A>\n<dd>lower case\n</DL>\n";
    EXPECT_EQ(listingOf(text),
              crlfLines({"<html><body>", "<center><h2>My Links</h2></center>",
                         "<BR><B><font size=+1>T</font></b>", "<DD>before any entry? no: the root is latest",
                         "<BR>", "<DL>", "<DT>A-<a href=\"a\"><B> a</B></a>", "<DD>  second, untrimmed ",
                         "<DT>B-<a href=\"b\"><B> b</B></a>", "</DL>", "<BR><BR>", "</body></html>"}));
    // With no node read yet, a description line is dropped.
    TBookmarkConverter converter;
    converter.ReadBookmarkText("<DD>nobody\n<TITLE>T</TITLE>\n");
    ASSERT_NE(converter.Root, nullptr);
    EXPECT_EQ(converter.Root->Description, "");
}

TEST(BookmarkFile, TagTestsAreCaseSensitive) {
    TempDir dir;
    const std::string source = dir.file("lower.html");
    test::writeBytes(source, "<title>Bookmarks</title>\n<dl><p>\n<dt><a href=\"x\">X</a>\n</dl><p>\n");
    test::writeBytes(dir.file("tavl.htm"), "earlier listing");
    EXPECT_EQ(test::convertChecked(source, dir.file("tavl.htm")), ConvertStatus::NoRoot);
    EXPECT_EQ(test::readBytes(dir.file("tavl.htm")), "earlier listing");
    // Upper-case tags with a lower-case "href": without HREF=" the address is taken from the
    // sixth character of the tag on.
    EXPECT_EQ(listingOf("<TITLE>T</TITLE>\n<DL>\n<DT><A href=\"x\" ADD_DATE=\"1\">X</A>\n"),
              listingWithRootChildren({"<DT>X-<a href=\"f=\"><B> f=</B></a>"}));
}

TEST(BookmarkFile, EntriesOutsideTheTitledTreeAreNotWritten) {
    // Before the title, after the root's list has closed, and under a second title line.
    const std::string text =
        "<DT><A HREF=\"early\">Early</A>\n<DL>\n<DT><A HREF=\"child\">Child of early</A>\n"
        "<TITLE>Old</TITLE>\n<DL>\n<DT><A HREF=\"old\">Old entry</A>\n</DL>\n"
        "<TITLE>T</TITLE>\n<DL>\n<DT><A HREF=\"kept\">Kept</A>\n</DL>\n"
        "<DT><A HREF=\"late\">Late</A>\n";
    EXPECT_EQ(listingOf(text), listingWithRootChildren({"<DT>Kept-<a href=\"kept\"><B> kept</B></a>"}));
}

TEST(BookmarkFile, EntryFieldsAndTheirOddCases) {
    const std::string text = "<TITLE>T</TITLE>\n<DL><p>\n"
                             "<DT><A HREF=\"\" ADD_DATE=\"5\">Empty address</A>\n"
                             "<DT><A NAME=\"n\">No address attribute</A>\n"
                             "<DT>No tag at all\n"
                             "<DT><A HREF=\"unclosed>Unclosed quote</A>\n"
                             "<DT><A HREF=\"t\">Title without end\n"
                             "<DT><A HREF=\"&amp;\">&lt;raw&gt; text</A>\n"
                             "<DT><H3>Empty folder</H3>\n"
                             "<DT><P>Other tag</P>\n"
                             "</DL>\n";
    EXPECT_EQ(listingOf(text), listingWithRootChildren({
                                   "<DT>Empty address-<a href=\" \"><B>  </B></a>",
                                   // No HREF: the address runs from the tag's sixth character.
                                   "<DT>No address attribute-<a href=\"E=\"><B> E=</B></a>",
                                   "<DT>Unclosed quote-<a href=\" \"><B>  </B></a>",
                                   "<DT>&lt;raw&gt; text-<a href=\"&amp;\"><B> &amp;</B></a>",
                                   "Empty folder",
                                   "Other tag",
                               }));
}

TEST(BookmarkFile, AListAfterAnEntryMakesItAParent) {
    const std::string text = "<TITLE>T</TITLE>\n<DL><p>\n<DT><A HREF=\"p\">Parent</A>\n<DL><p>\n"
                             "<DT><A HREF=\"c\">Child</A>\n</DL><p>\n</DL><p>\n";
    EXPECT_EQ(listingOf(text),
              listingWithRootChildren({"<DT>Parent-<a href=\"p\"><B> p</B></a></font></b>", "<BR>", "<DL>",
                                       "<DT>Child-<a href=\"c\"><B>  c</B></a>", "</DL>", "<BR><BR>"}));
}

TEST(BookmarkFile, BlankTitlesAreSkippedButTheirChildrenAreWritten) {
    const std::string text = "<TITLE> </TITLE>\n<DL><p>\n<DT><H3></H3>\n<DL><p>\n<DT><A HREF=\"a\">A</A>\n"
                             "<DT><A HREF=\"tab\">\tTab</A>\n<DT><A HREF=\"sp\"> Space first</A>\n</DL><p>\n"
                             "<DT><A HREF=\"b\"> </A>\n<DD>lost with its entry\n</DL><p>\n";
    EXPECT_EQ(listingOf(text), crlfLines({"<html><body>", "<center><h2>My Links</h2></center>", "<BR>",
                                          "<DL>", "<BR>", "<DL>", "<DT>A-<a href=\"a\"><B>  a</B></a>",
                                          "<DT> Space first-<a href=\"sp\"><B>  sp</B></a>", "</DL>",
                                          "<BR><BR>", "</DL>", "<BR><BR>", "</body></html>"}));
}

TEST(BookmarkFile, HeadingsAndIndentFollowTheLevel) {
    // Eight nested folders, an entry in each: level 2 and deeper get <H3>, the indent stops at six.
    std::string text = "<TITLE>T</TITLE>\n<DL>\n";
    for (int level = 1; level <= 8; ++level) {
        text += "<DT><H3>F" + std::to_string(level) + "</H3>\n<DL>\n<DT><A HREF=\"u\">E</A>\n";
    }
    const std::string listing = listingOf(text);
    EXPECT_NE(listing.find("\r\n<BR><B><font size=+1>F1</font></b>\r\n"), std::string::npos);
    EXPECT_NE(listing.find("\r\n<H3>F2</H3>\r\n"), std::string::npos);
    EXPECT_NE(listing.find("\r\n<H3>F8</H3>\r\n"), std::string::npos);
    EXPECT_NE(listing.find("<DT>E-<a href=\"u\"><B>  u</B></a>"), std::string::npos);
    EXPECT_NE(listing.find("<DT>E-<a href=\"u\"><B>     u</B></a>"), std::string::npos);   // level 5
    EXPECT_EQ(listing.find("<DT>E-<a href=\"u\"><B>       u</B></a>"), std::string::npos); // never 7
    size_t sixes = 0;
    for (size_t at = 0; (at = listing.find("<B>      u</B>", at)) != std::string::npos; ++at) {
        ++sixes;
    }
    EXPECT_EQ(sixes, 4u); // levels 6, 7, 8 and 9
}

TEST(BookmarkFile, DatesForSorting) {
    // Seconds and negative seconds read; microseconds overflow 32 bits and a missing date is
    // none at all; the digits ten characters into an address are not taken for a date.
    const std::string text = "<TITLE>T</TITLE>\n<DL>\n"
                             "<DT><A HREF=\"http://a/12345\">A no date, short address</A>\n"
                             "<DT><A HREF=\"u\" ADD_DATE=\"1700000000000000\">B microseconds</A>\n"
                             "<DT><A HREF=\"u\" ADD_DATE=\"1700000000\">C seconds</A>\n"
                             "<DT><A HREF=\"u\" ADD_DATE=\"-2147483648\">D earliest</A>\n"
                             "<DT><A HREF=\"u\" ADD_DATE=\"2147483648\">E just too big</A>\n"
                             "<DT><A HREF=\"u\" ADD_DATE=\" 7\">F blank before digits</A>\n"
                             "<DT><A HREF=\"u\" ADD_DATE=\"+100\">G plus sign</A>\n";
    TBookmarkConverter converter;
    converter.ReadBookmarkText(text);
    ASSERT_NE(converter.Root, nullptr);
    std::vector<double> dates;
    for (const auto& child : converter.Root->Children) {
        dates.push_back(child->AddDate);
    }
    EXPECT_EQ(dates, (std::vector<double>{0, 0, 1700000000, -2147483648.0, 0, 0, 100}));
}

TEST(BookmarkFile, DeepNestingReadsSortsWritesAndFrees) {
    constexpr int kDepth = 100000;
    std::string text = "<TITLE>T</TITLE>\n<DL><p>\n";
    for (int i = 0; i < kDepth; ++i) {
        text += "<DT><H3 ADD_DATE=\"" + std::to_string(kDepth - i) + "\">F</H3>\n<DL><p>\n";
    }
    text += "<DT><A HREF=\"deep\">Bottom</A>\n";
    for (int i = 0; i < kDepth; ++i) {
        text += "</DL><p>\n";
    }
    auto converter = std::make_unique<TBookmarkConverter>();
    converter->ReadBookmarkText(text);
    SortTree(converter->Root.get(), CompareByDate);
    const std::string listing = converter->ListingText("Deep", "", "");
    // Root, then each folder opens and closes a list: 2 + 1 + kDepth * 5 + 1 (entry) + 2 + 1 lines.
    size_t lines = 0;
    for (size_t at = 0; (at = listing.find("\r\n", at)) != std::string::npos; at += 2) {
        ++lines;
    }
    EXPECT_EQ(lines, size_t(2 + 3 + kDepth * 5 + 1 + 2 + 1));
    EXPECT_NE(listing.find("<DT>Bottom-<a href=\"deep\">      deep</a>\r\n</DL>"), std::string::npos);
    converter.reset(); // freeing must not recurse either
}

TEST(BookmarkFile, LongLinesAndGarbageAreHarmless) {
    // A title line longer than many read chunks.
    const std::string longTitle(3'000'000, 'x');
    TBookmarkConverter converter;
    converter.ReadBookmarkText(
        "<TITLE>" + longTitle + "</TITLE>\n<DL>\n<DT><A HREF=\"u\">" + longTitle + "</A>", 4096);
    ASSERT_NE(converter.Root, nullptr);
    EXPECT_EQ(converter.Root->Title, longTitle);
    ASSERT_EQ(converter.Root->Children.size(), 1u);
    EXPECT_EQ(converter.Root->Children[0]->Title, longTitle);

    // Binary noise with the reader's tags sprinkled in: nothing to assert but survival.
    std::string noise;
    uint32_t state = 12345;
    const char* tags[] = {"<DL>",     "</DL>",      "<DT>",        "<DD>", "<TITLE>",
                          "</TITLE>", "<A HREF=\"", "ADD_DATE=\"", ">"};
    for (int i = 0; i < 200000; ++i) {
        state = state * 1103515245u + 12345u;
        noise += (state >> 24) < 40 ? std::string(tags[(state >> 8) % 9]) : std::string(1, char(state >> 16));
    }
    for (uint8_t sort : {0, 1, 2}) {
        listingOf(noise, sort, 100);
    }
}

TEST(BookmarkFile, UnreadableSourcesReportWhy) {
    TempDir dir;
    EXPECT_EQ(test::convertChecked(dir.file("missing.html"), dir.file("tavl.htm")),
              ConvertStatus::SourceNotFound);
    test::writeBytes(dir.file("empty.htm"), "");
    EXPECT_EQ(test::convertChecked(dir.file("empty.htm"), dir.file("tavl.htm")), ConvertStatus::NoRoot);
    std::filesystem::create_directory(dir.file("folder.html"));
    EXPECT_EQ(test::convertChecked(dir.file("folder.html"), dir.file("tavl.htm")),
              ConvertStatus::SourceNotFound);
    EXPECT_FALSE(std::filesystem::exists(dir.file("tavl.htm")));
}

} // namespace
} // namespace tavlin
