// Runs of one document share their fonts and link fonts; sharing must never let one run's
// change reach another.
#include "document/SectionList.h"
#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

TMyFont Plain(int height, Color color = 0) {
    TMyFont font;
    font.Desc.height = height;
    font.FontColor = color;
    return font;
}

TFontInfoArray LinkFonts() {
    TFontInfoArray states;
    for (ThtFontInfo& info : states.Ar) {
        info.Name = "Arial";
        info.Color = rgb(0, 0, 255);
    }
    states.Ar[1].Color = rgb(128, 0, 128); // visited
    return states;
}

TEST(FontPoolTest, EqualFontsAreSharedAndAChangeStaysWithItsRun) {
    TSectionList doc;
    TSection a(&doc, Plain(16));
    TSection b(&doc, Plain(16));
    EXPECT_EQ(a.FontRuns[0].TheFont, b.FontRuns[0].TheFont);
    b.ChangeFont(Plain(99999)); // clamped before it is shared
    EXPECT_EQ(b.FontRuns[0].TheFont->Desc.height, TMyFont::kMaxHeight);
    EXPECT_EQ(a.FontRuns[0].TheFont->Desc.height, 16);
    EXPECT_EQ(doc.FontPool.FontCount(), 2u);

    TUrlTarget link;
    link.Assign("page.htm", "");
    const TFontInfoArray states = LinkFonts();
    TSection first(&doc, Plain(16), &link, &states);
    TSection second(&doc, Plain(16), &link, &states);
    EXPECT_EQ(first.FontRuns[0].LinkStates, second.FontRuns[0].LinkStates);
    first.FontRuns[0].SetVisited(true);
    EXPECT_EQ(first.FontRuns[0].TheFont->FontColor, rgb(128, 0, 128));
    EXPECT_EQ(second.FontRuns[0].TheFont->FontColor, rgb(0, 0, 255));
}

TEST(FontPoolTest, RunsKeepTheirFontsWhenThePoolForgetsThem) {
    TSectionList doc;
    auto section = std::make_unique<TSection>(&doc, Plain(20, rgb(1, 2, 3)));
    doc.FontPool.Clear();
    EXPECT_EQ(section->FontRuns[0].TheFont->FontColor, rgb(1, 2, 3));
    TSectionList other;
    const TSection copy(&other, *section);
    section.reset();
    EXPECT_EQ(copy.FontRuns[0].TheFont->Desc.height, 20);
}

} // namespace
} // namespace tavlin::test
