#include "tests/builder/BuilderTestUtil.h"
#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

#include <climits>

namespace tavlin::test {
namespace {

class QueryTest : public ::testing::Test {
protected:
    FixedDoc f;

    std::string Copy(int from, int to) {
        std::string text;
        f.doc.OnClipboardText = [&](std::string_view t) { text = t; };
        f.doc.SelStart = from;
        f.doc.SelEnd = to;
        f.doc.CopyToClipboard();
        return text;
    }
};

TEST_F(QueryTest, ClickRightOfACharactersMiddlePutsTheCaretAfterIt) {
    f.Add("abcd efgh");
    f.Layout(400);
    f.Paint({0, 0, 400, 100});
    TPositionHit hit;
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 11, 5, hit), 1); // 'b' spans 8..16
    EXPECT_TRUE(hit.InText);
    EXPECT_EQ(hit.X, 8);
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 12, 5, hit), 2);
    EXPECT_EQ(hit.X, 16);
    EXPECT_EQ(hit.LineHeight, 16);
    // Past the text: the end of the line, not in text; below the last line: nothing.
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 300, 5, hit), 9);
    EXPECT_FALSE(hit.InText);
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 5, 40, hit), -1);
}

TEST_F(QueryTest, HitTestsAndCaretKeepMultiByteCharactersWhole) {
    f.Add("a\xC3\xA9\xC3\xA9 b"); // a é é space b: each é one 8-pixel character
    f.Layout(400);
    f.Paint({0, 0, 400, 100});
    TPositionHit hit;
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 13, 5, hit), 3); // past the middle of the first é
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 17, 5, hit), 3);
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 21, 5, hit), 5);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(f.doc.PositionToXY(&f.canvas, 5, x, y));
    EXPECT_EQ(x, 24);
}

TEST_F(QueryTest, SearchWithAndWithoutCase) {
    f.Add("Hello World");
    f.Add("second WORLD, world and \xC3\x89t\xC3\xA9");
    f.Layout(1000);
    EXPECT_EQ(f.doc.SearchText(0, "world", true), 11 + 14);
    EXPECT_EQ(f.doc.SearchText(0, "world", false), 6);
    EXPECT_EQ(f.doc.SearchText(7, "world", false), 11 + 7);
    EXPECT_EQ(f.doc.SearchText(0, "wORLD", false), 6);
    EXPECT_EQ(f.doc.SearchText(0, "\xC3\xA9T\xC3\x89", false), 11 + 24); // É and é fold together
    EXPECT_EQ(f.doc.SearchText(0, "worlds", false), -1);
    EXPECT_EQ(f.doc.SearchText(26, "World", true), -1);
    EXPECT_EQ(f.doc.SearchText(0, "", false), -1);
}

TEST_F(QueryTest, DocumentAndSourcePositionsMapBothWays) {
    TSection& s = f.Open("abc", 16, 10);
    Append(s, "def", 20); // a gap in the source between the two
    f.Add("ghi", 16, 40);
    f.Layout(400);
    EXPECT_EQ(f.doc.DocToSourcePos(1), 11);
    EXPECT_EQ(f.doc.DocToSourcePos(4), 21);
    EXPECT_EQ(f.doc.DocToSourcePos(7), 41);
    EXPECT_EQ(f.doc.DocToSourcePos(9), -1);
    EXPECT_EQ(f.doc.SourceToDocPos(21, false), 4);
    EXPECT_EQ(f.doc.SourceToDocPos(15, false), 3);  // in the gap: the first after it
    EXPECT_EQ(f.doc.SourceToDocPos(15, true), 2);   // backwards: the last before it
    EXPECT_EQ(f.doc.SourceToDocPos(0, false), 0);
    EXPECT_EQ(f.doc.SourceToDocPos(30, false), 6);
    EXPECT_EQ(f.doc.SourceToDocPos(30, true), 5);
    EXPECT_EQ(f.doc.SourceToDocPos(99, false), -1);
    EXPECT_EQ(f.doc.SourceToDocPos(99, true), 8);
    EXPECT_EQ(f.doc.SourceToDocPos(5, true), -1);
    char ch = 0;
    TSectionBase* section = nullptr;
    ASSERT_TRUE(f.doc.CharAt(7, ch, section));
    EXPECT_EQ(ch, 'h');
    EXPECT_EQ(section, &f.doc[1]);
    EXPECT_FALSE(f.doc.CharAt(9, ch, section));
}

TEST(SourceMap, EntitiesAndCollapsedSpacesBreakTheRuns) {
    // <P>0 x3 4 &lt;5 y9 &gt;10 14 15 z16 \n17 18 w19
    Built b("<P>x &lt;y&gt;  z\n w");
    b.Layout(400);
    const int expected[] = {3, 4, 5, 9, 10, 14, 16, 17, 19};
    for (int p = 0; p < 9; ++p) {
        EXPECT_EQ(b.doc.DocToSourcePos(p), expected[p]) << "position " << p;
    }
    EXPECT_EQ(b.doc.DocToSourcePos(9), -1);
    EXPECT_EQ(b.doc.SourceToDocPos(7, false), 3);  // inside &lt;: the y after it
    EXPECT_EQ(b.doc.SourceToDocPos(7, true), 2);   // backwards: the < itself
    EXPECT_EQ(b.doc.SourceToDocPos(15, false), 6); // collapsed spaces
    EXPECT_EQ(b.doc.SourceToDocPos(15, true), 5);
    EXPECT_EQ(b.doc.SourceToDocPos(18, false), 8);
    EXPECT_EQ(b.doc.SourceToDocPos(18, true), 7);
}

TEST_F(QueryTest, PositionToXYGivesTheLineTop) {
    f.Add("aaaa bbbb cccc");
    f.Add("next");
    f.Layout(80);
    int x = 0;
    int y = 0;
    ASSERT_TRUE(f.doc.PositionToXY(&f.canvas, 12, x, y));
    EXPECT_EQ(y, 16);
    EXPECT_EQ(x, 16);
    ASSERT_TRUE(f.doc.PositionToXY(&f.canvas, 15, x, y));
    EXPECT_EQ(y, 32);
    EXPECT_FALSE(f.doc.PositionToXY(&f.canvas, 40, x, y));
}

TEST_F(QueryTest, CopyGivesLineEndsIndentsAndPlainSpaces) {
    f.Add("aaaa bbbb cccc dddd");
    TSection& right = f.Add("ab\xA0" "cd");
    right.Justify = 3; // indent 200 - 40 = 160: four full 35-pixel steps
    TSection& objects = f.Open("x");
    objects.AddObject(std::make_unique<BoxObj>(10, 10, ABottom), 1, false);
    Append(objects, "y", 2);
    f.Layout(100);
    EXPECT_EQ(Copy(0, 19), "aaaa bbbb \r\ncccc dddd\r\n");
    EXPECT_EQ(Copy(2, 12), "aa bbbb \r\ncc");
    f.Layout(200);
    EXPECT_EQ(Copy(19, 30), std::string(3 * 4, ' ') + "ab cd\r\nxy\r\n");
    EXPECT_EQ(Copy(5, 5), "");
}

TEST_F(QueryTest, PositionsFromAnywhereAnswerNothingOrEverything) {
    f.Add("first");
    f.Add("second");
    f.Layout(400);
    char ch = 0;
    TSectionBase* section = nullptr;
    int x = 0;
    int y = 0;
    EXPECT_EQ(f.doc.DocToSourcePos(INT_MAX), -1);
    EXPECT_EQ(f.doc.DocToSourcePos(INT_MIN), -1);
    EXPECT_FALSE(f.doc.CharAt(INT_MIN, ch, section));
    EXPECT_FALSE(f.doc.PositionToXY(&f.canvas, INT_MAX, x, y));
    EXPECT_EQ(f.doc.SearchText(INT_MIN, "sec", false), 5);
    EXPECT_EQ(f.doc.SearchText(INT_MAX, "sec", false), -1);
    EXPECT_EQ(Copy(INT_MIN, INT_MAX), "first\r\nsecond\r\n");
    f.doc.SelStart = INT_MIN;
    f.doc.SelEnd = INT_MAX;
    f.Paint({0, 0, 400, 100});
    ASSERT_EQ(f.canvas.texts.size(), 2u);
    EXPECT_EQ(f.canvas.texts[1].mode, BkMode::Opaque); // all selected
}

TEST_F(QueryTest, CopyTakesTheWholeSelectionInWholeCharacters) {
    std::string text;
    for (int i = 0; i < 5000; ++i) {
        text += "word word ";
    }
    text += "caf\xC3\xA9";
    f.Add(text);
    f.Layout(100000000);
    const int end = int(text.size());
    EXPECT_EQ(Copy(0, end), text + "\r\n");
    EXPECT_EQ(f.doc.DocumentText(), text + "\r\n");
    // A selection that ends or starts inside a character takes all of it.
    EXPECT_EQ(Copy(end - 5, end - 1), "caf\xC3\xA9\r\n");
    EXPECT_EQ(Copy(end - 1, end), "\xC3\xA9\r\n");
}

TEST_F(QueryTest, NothingToCopyLeavesTheClipboardAlone) {
    bool handed = false;
    f.doc.OnClipboardText = [&](std::string_view) { handed = true; };
    EXPECT_FALSE(f.doc.CopyToClipboard()); // an empty document
    f.doc.SelStart = 0;
    f.doc.SelEnd = 10;
    EXPECT_FALSE(f.doc.CopyToClipboard());
    EXPECT_FALSE(handed);
    EXPECT_EQ(f.doc.DocumentText(), "");
}

TEST_F(QueryTest, SelectionCountAndBufferSinks) {
    SelTextCount count;
    count.AddText("a\x04" "b\x08" "c");
    count.AddTextCR("d");
    EXPECT_EQ(count.Count(), 4 + 1 + 2);
    char buffer[6];
    SelTextBuf buf(buffer, sizeof buffer);
    buf.AddText("a\x02\xA0" "b\x08" "cdefg");
    EXPECT_EQ(buf.Terminate(), 5);
    EXPECT_STREQ(buffer, "a bcd");
    // A UTF-8 character whose second byte is 160 stays whole.
    char utf[8];
    SelTextBuf whole(utf, sizeof utf);
    whole.AddText("\xC3\xA0!");
    whole.Terminate();
    EXPECT_STREQ(utf, "\xC3\xA0!");
}

TEST_F(QueryTest, LinksUnderThePointAndImageMaps) {
    TSection& s = f.Open("go ");
    TUrlTarget link;
    link.Assign("target.htm", "");
    s.SetLink(Font(16, fsUnderline), &link, nullptr);
    Append(s, "here", 3);
    struct MapBox : BoxObj {
        using BoxObj::BoxObj;
        bool IsMap() const override { return true; }
    };
    s.AddObject(std::make_unique<MapBox>(40, 30, ATop), 7, false);
    s.SetLink(Font(16), nullptr, nullptr);
    Append(s, " after", 8);
    f.Layout(400);
    f.Paint({0, 0, 400, 100});
    TLinkAnswer answer;
    EXPECT_FALSE(f.doc.LinkAtPoint(f.canvas, 10, 5, answer));
    EXPECT_TRUE(f.doc.LinkAtPoint(f.canvas, 30, 5, answer));
    EXPECT_EQ(answer.Target.Url, "target.htm");
    EXPECT_EQ(&f.doc.HoverLink.Run(), &s.FontRuns[1]);
    TLinkAnswer onMap;
    EXPECT_TRUE(f.doc.LinkAtPoint(f.canvas, 56 + 10, 20, onMap));
    EXPECT_EQ(onMap.Target.Url, "target.htm?10,20");
    EXPECT_EQ(f.doc.HoverImage, s.Images()[0].get());
    TLinkAnswer none;
    EXPECT_FALSE(f.doc.LinkAtPoint(f.canvas, 100 + 40, 5, none));
    EXPECT_FALSE(f.doc.HoverLink);
    EXPECT_EQ(f.doc.HoverImage, nullptr);
}

} // namespace
} // namespace tavlin::test
