#include "app/convert/Bookmark.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace tavlin {
namespace {

// The listing of bookmark-file text, read strictly or leniently (empty when there is no root).
std::string listingOf(const std::string& text, bool lenient, uint8_t sort = 0) {
    TBookmarkConverter converter;
    converter.Lenient = lenient;
    converter.ReadBookmarkText(text);
    if (!converter.Root) {
        return {};
    }
    if (sort == 2) {
        SortTree(converter.Root.get(), CompareByDate);
    }
    return converter.ListingText("L", "", "");
}

// Tags written in capitals; the test lower-cases them (titles and addresses stay as they are).
const std::string kUpper =
    "<TITLE>Bm</TITLE>\r\n<DL><p>\r\n<DT><A HREF=\"https://b/\" ADD_DATE=\"9\">Beta</A>\r\n"
    "<DT><H3 ADD_DATE=\"1\">Folder</H3>\r\n<DL><p>\r\n<DT><A HREF=\"c\">Cee</A>\r\n"
    "</DL><p>\r\n<DT><A HREF=\"https://a/\" ADD_DATE=\"5\">Alpha</A>\r\n</DL><p>\r\n";

std::string lowerTags(std::string text) {
    for (const char* tag : {"TITLE", "DL", "DT", "H3", "A HREF", "ADD_DATE", "/A>"}) {
        std::string lower = tag;
        for (char& c : lower) {
            c = char(std::tolower(static_cast<unsigned char>(c)));
        }
        for (size_t at = text.find(tag); at != std::string::npos; at = text.find(tag, at + 1)) {
            text.replace(at, lower.size(), lower);
        }
    }
    return text;
}

TEST(LenientReading, ALowerCaseExportKeepsEveryEntryAndDate) {
    const std::string lower = lowerTags(kUpper);
    ASSERT_NE(lower, kUpper);
    EXPECT_EQ(listingOf(lower, false), ""); // strictly, no title line and no entries
    EXPECT_EQ(listingOf(lower, true), listingOf(kUpper, false));
    EXPECT_EQ(listingOf(lower, true, 2), listingOf(kUpper, false, 2));
    EXPECT_EQ(listingOf(kUpper, true), listingOf(kUpper, false));
}

TEST(LenientReading, IndentedDescriptionsAreKept) {
    const std::string text = "<TITLE>Bm</TITLE>\n<DL><p>\n    <DT><A HREF=\"https://a/\">A</A>\n"
                             "    <DD>About a\n\t<dd>About  it again\n    </DL><p>\n";
    EXPECT_EQ(listingOf(text, false).find("<DD>"), std::string::npos);
    const std::string lenient = listingOf(text, true);
    EXPECT_NE(lenient.find("<DT>A-<a href=\"https://a/\"> https://a/</a>\r\n<DD>About  it again\r\n"),
              std::string::npos)
        << lenient;
}

} // namespace
} // namespace tavlin
