// Sections made from the reader's style properties and attributes.
#include "platform/System.h"
#include "reader/Attributes.h"
#include "reader/Properties.h"
#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

class SectionPropsTest : public ::testing::Test {
protected:
    SectionPropsTest() { stack.PushRoot(); }
    TProperties& Push(std::string_view tag) { return stack.PushElement(tag, "", "", nullptr, ""); }
    TSectionList doc;
    TPropStack stack;
};

TEST_F(SectionPropsTest, AlignmentClearingLineHeightAndIdComeFromTheElement) {
    TProperties& p = Push("p");
    p.SetPropByName("text-align", "center");
    p.SetPropByName("line-height", "1.5");
    p.SetPropByName("clear", "left");
    TAttributeList attributes;
    attributes.Add({attrID, "Intro", 0});
    attributes.Add({attrCLEAR, "RIGHT", 0});
    TSection section(&doc, nullptr, p, &attributes);
    EXPECT_EQ(section.Justify, 2);
    EXPECT_EQ(section.ClearSide, 1); // the style's clear wins over the attribute
    const int height = section.FontRuns[0].Font().Desc.height;
    EXPECT_EQ(section.LineHeight, int(height * 1.5 + 0.5));
    EXPECT_EQ(doc.IDs->Find("intro"), &section);
    TProperties& q = Push("span");
    q.SetPropByName("text-align", "right");
    TAttributeList clearAll;
    clearAll.Add({attrCLEAR, "all", 0});
    TSection other(&doc, nullptr, q, &clearAll);
    EXPECT_EQ(other.Justify, 3);
    EXPECT_EQ(other.ClearSide, 3);
    EXPECT_EQ(other.LineHeight, section.LineHeight); // line-height is inherited
}

TEST_F(SectionPropsTest, FreedSectionLeavesTheIdList) {
    TProperties& p = Push("p");
    TAttributeList attributes;
    attributes.Add({attrID, "gone", 0});
    {
        TSection section(&doc, nullptr, p, &attributes);
        EXPECT_NE(doc.IDs->Find("gone"), nullptr);
    }
    EXPECT_EQ(doc.IDs->Find("gone"), nullptr);
}

TEST_F(SectionPropsTest, LinkRunsTakeTheLinkFontsOfTheElement) {
    TProperties& a = Push("a");
    a.HasLinkFonts = true;
    a.LinkFontInfo = std::make_unique<TFontInfoArray>();
    for (ThtFontInfo& info : a.LinkFontInfo->Ar) {
        info.Name = "Arial";
        info.Size = 12;
        info.Color = rgb(0, 0, 255);
        info.Style = fsUnderline;
    }
    a.LinkFontInfo->Ar[1].Color = rgb(128, 0, 128); // visited
    TUrlTarget link;
    link.Assign("page.htm", "");
    TSection section(&doc, &link, a, nullptr);
    TFontObj& run = section.FontRuns[0];
    EXPECT_EQ(run.Font().FontColor, rgb(0, 0, 255));
    EXPECT_EQ(run.Font().Desc.style, fsUnderline);
    EXPECT_EQ(run.Font().Desc.height, pointsToPixels(12));
    run.SetVisited(true);
    EXPECT_EQ(run.Font().FontColor, rgb(128, 0, 128));
    Append(section, "text", 0);
    TProperties& b = Push("b");
    b.SetPropByName("font-weight", "bold");
    section.ChangeFont(b, 0);
    ASSERT_EQ(section.FontRuns.Count(), 2);
    EXPECT_EQ(section.LinkOf(section.FontRuns[1]).Url, "page.htm");
    section.SetLink(false, b, nullptr);
    EXPECT_FALSE(section.FontRuns[1].HasLink()); // the run at the end leaves the link
    EXPECT_TRUE(section.FontRuns[0].HasLink());
}

} // namespace
} // namespace tavlin::test
