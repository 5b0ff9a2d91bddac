#include "viewer/ViewerNames.h"

#include <gtest/gtest.h>

namespace tavlin {
namespace {

TEST(ExpandNameTest, RelativeNamesFollowTheShownFileOrTheBase) {
    const TNameContext shown{{}, {}, "/home/u/lists/tavl.htm"};
    EXPECT_EQ(ExpandName("other.htm", shown), "/home/u/lists/other.htm");
    EXPECT_EQ(ExpandName("  ../up.html \t", shown), "/home/u/up.html") << "blanks trimmed, .. resolved";
    EXPECT_EQ(ExpandName("sub/./a%20b.htm", shown), "/home/u/lists/sub/a b.htm") << "percent escapes decoded";
    EXPECT_EQ(ExpandName("page.htm#part", shown), "/home/u/lists/page.htm#part");

    // A base that names a folder, or a document in one; "DosPath" leaves names as they are.
    EXPECT_EQ(ExpandName("x.htm", {{}, "file:///srv/docs/", "/home/u/a.htm"}), "/srv/docs/x.htm");
    EXPECT_EQ(ExpandName("x.htm", {{}, "/srv/docs/index.htm", "/home/u/a.htm"}), "/srv/docs/x.htm");
    EXPECT_EQ(ExpandName("x.htm", {{}, "dospath", "/home/u/a.htm"}), "x.htm");
}

TEST(ExpandNameTest, RootedNamesAndFileAddresses) {
    const TNameContext served{"/srv/www", {}, "/home/u/a.htm"};
    EXPECT_EQ(ExpandName("/images/logo.gif", served), "/srv/www/images/logo.gif");
    EXPECT_EQ(ExpandName("/images/logo.gif", {{}, {}, "/home/u/a.htm"}), "/images/logo.gif");
    // A file address is a local path, never rooted in the server root.
    EXPECT_EQ(ExpandName("file:///home/u/b.htm", served), "/home/u/b.htm");
    EXPECT_EQ(ExpandName("FILE:///home/u/../v/c.htm", served), "/home/v/c.htm");
    EXPECT_EQ(ExpandName("", served), "");
}

TEST(LinkKindTest, ExtensionsDecideWhatALinkShows) {
    EXPECT_EQ(LinkKindOf("/a/b.htm"), TLinkKind::Html);
    EXPECT_EQ(LinkKindOf("/a/b.HTML"), TLinkKind::Html);
    EXPECT_EQ(LinkKindOf("/a/b.html5"), TLinkKind::Html) << "cut to five characters";
    EXPECT_EQ(LinkKindOf("/a/b.jpeg"), TLinkKind::Image);
    EXPECT_EQ(LinkKindOf("/a/b.Gif"), TLinkKind::Image);
    EXPECT_EQ(LinkKindOf("/a.htm/readme"), TLinkKind::Other) << "only the last part counts";
    EXPECT_EQ(LinkKindOf("/a/b.txt"), TLinkKind::Other);
    EXPECT_EQ(LinkExtension("/x/archive.tar.gz"), ".GZ");

    EXPECT_TRUE(IsWebAddress("http://example.com/page.htm"));
    EXPECT_TRUE(IsWebAddress(" mailto:someone@example.com"));
    EXPECT_FALSE(IsWebAddress("file:///home/u/a.htm"));
    EXPECT_FALSE(IsWebAddress("c:/windows/a.htm")) << "a drive letter is no scheme";
    EXPECT_FALSE(IsWebAddress("notes.htm"));
}

TEST(MetaRefreshTest, DelayAndAddress) {
    int delay = 0;
    std::string url;
    EXPECT_TRUE(ParseMetaRefresh("Refresh", "5; URL=next.htm", delay, url));
    EXPECT_EQ(delay, 5);
    EXPECT_EQ(url, "next.htm");
    EXPECT_TRUE(ParseMetaRefresh("REFRESH", "0", delay, url));
    EXPECT_EQ(delay, 1) << "0 counts as 1";
    EXPECT_EQ(url, "");
    EXPECT_FALSE(ParseMetaRefresh("refresh", "soon; url=x.htm", delay, url));
    EXPECT_EQ(delay, -1);
    EXPECT_FALSE(ParseMetaRefresh("content-type", "5", delay, url));
}

TEST(PackedPositionTest, MarkAndOffsetRoundTripBeyondSixteenBits) {
    const TPackedPosition p = PackPosition(150000, 37);
    EXPECT_EQ(PackedMarkIndex(p), 150000);
    EXPECT_EQ(PackedOffset(p), 37);
    EXPECT_EQ(PackPosition(0, 5), 65536 + 5);
    EXPECT_EQ(PackedMarkIndex(1234), -1) << "a plain pixel offset";
    EXPECT_EQ(PackedOffset(1234), 1234);
}

} // namespace
} // namespace tavlin
