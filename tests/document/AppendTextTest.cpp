#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

class AppendTextTest : public ::testing::Test {
protected:
    TSectionList doc;
    TSection section{&doc, Font(16)};
};

TEST_F(AppendTextTest, SpacesCollapseAtStartBetweenTokensAndAfterLineBreaks) {
    Append(section, " one ", 0);
    Append(section, " two", 5);
    section.AppendChar(ph::LineBreak, 9, false);
    Append(section, " three", 10);
    EXPECT_EQ(section.Text(), "one two\x08three");
    // The source offsets follow the characters that stayed.
    section.Finish();
    EXPECT_EQ(section.DocToSourcePos(0), 1);
    EXPECT_EQ(section.DocToSourcePos(4), 6);
    EXPECT_EQ(section.DocToSourcePos(8), 11);
}

TEST_F(AppendTextTest, LineBreakReplacesTrailingSpace) {
    Append(section, "word ", 0);
    section.AppendChar(ph::LineBreak, 7, false);
    EXPECT_EQ(section.Text(), "word\x08");
    section.Finish();
    EXPECT_EQ(section.DocToSourcePos(4), 7);
}

TEST_F(AppendTextTest, NoBreakSpacesBecomeHardSpacesAndCollapse) {
    // What the reader gives inside NOBR: code 5 for collapsed white space.
    Append(section, "\x05" "a\x05" "b\x05\x05" "c \x05" "d", 0, true);
    EXPECT_EQ(section.Text(), "a\xA0" "b\xA0" "c d");
    EXPECT_TRUE(section.IsNoBreakSpaceAt(1));
    // A token starting with code 5 after a hard space loses it.
    Append(section, "\x05" "e", 20, true);
    EXPECT_EQ(section.Text(), "a\xA0" "b\xA0" "c d" "\xA0" "e");
}

TEST_F(AppendTextTest, SpacesAfterFloatingImagesAtStartAreDropped) {
    section.AddObject(std::make_unique<BoxObj>(20, 20, ALeft), 0, false);
    Append(section, " text", 1);
    EXPECT_EQ(section.Text(), "\x04text");
    TSection inline_(&doc, Font(16));
    inline_.AddObject(std::make_unique<BoxObj>(20, 20, ABottom), 0, true);
    Append(inline_, " text", 1);
    EXPECT_EQ(inline_.Text(), "\x07 text");
}

TEST_F(AppendTextTest, PreformattedKeepsEverythingUpToItsLimit) {
    TPreFormated pre(&doc, Font(16));
    Append(pre, "  two  spaces ", 0);
    EXPECT_EQ(pre.Text(), "  two  spaces ");
    const std::string chunk(15000, 'x');
    Append(pre, chunk, 100);
    Append(pre, chunk, 20000); // crosses the limit: still taken whole
    Append(pre, "more", 40000);
    EXPECT_EQ(pre.Len(), 14 + 30000);
}

TEST_F(AppendTextTest, EmptySectionsAreDroppedUnlessTheyMeanSomething) {
    FixedDoc fixed;
    fixed.Add("");
    auto anchored = std::make_unique<TSection>(&fixed.doc, Font(16));
    anchored->AnchorTarget = true;
    fixed.AddSection(std::move(anchored));
    auto clearing = std::make_unique<TSection>(&fixed.doc, Font(16));
    clearing->ClearSide = 3;
    fixed.AddSection(std::move(clearing));
    fixed.Add<TPreFormated>("");
    EXPECT_EQ(fixed.doc.Count(), 3);
}

TEST_F(AppendTextTest, DroppedLinkSectionLeavesNoHoveredRunBehind) {
    TUrlTarget link;
    link.Assign("a.htm", "");
    auto empty = std::make_unique<TSection>(&doc, Font(16), &link);
    doc.HoverLink = {empty.get(), 0};
    doc.AppendSection(std::move(empty));
    EXPECT_EQ(doc.Count(), 0);
    EXPECT_FALSE(doc.HoverLink);
    doc.ClearHover();
}

TEST_F(AppendTextTest, FontAndLinkRunsStartAtTheEnd) {
    Append(section, "plain ", 0);
    TUrlTarget link;
    link.Assign("x.htm", "_top");
    section.SetLink(Font(16, fsUnderline), &link, nullptr);
    Append(section, "linked", 6);
    section.ChangeFont(Font(20, fsBold | fsUnderline)); // still inside the link
    Append(section, " bold", 12);
    section.SetLink(Font(16), nullptr, nullptr);
    section.ChangeFont(Font(12)); // replaces the font of the run that starts at the end
    Append(section, " after", 17);
    ASSERT_EQ(section.FontRuns.Count(), 4);
    EXPECT_EQ(section.FontRuns[1].Pos, 6);
    EXPECT_EQ(section.LinkOf(section.FontRuns[2]).Url, "x.htm");
    EXPECT_EQ(section.FontRuns[2].LinkNumber(), section.FontRuns[1].LinkNumber());
    EXPECT_FALSE(section.FontRuns[3].HasLink());
    EXPECT_EQ(section.FontRuns[3].Font().Desc.height, 12);
    EXPECT_EQ(section.FontRuns.GetFontCountAt(8, section.Len()), 4);
    EXPECT_TRUE(section.FontRuns[1].HasLink() && !section.FontRuns[0].HasLink());
}

} // namespace
} // namespace tavlin::test
