// Runs of one document share their fonts and link fonts; sharing must never let one run's
// change reach another.
#include "document/SectionList.h"
#include "reader/StyleSheet.h"
#include "tests/document/DocTestUtil.h"

#include <cmath>

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
    EXPECT_EQ(&a.FontRuns[0].Font(), &b.FontRuns[0].Font());
    b.ChangeFont(Plain(99999)); // clamped before it is shared
    EXPECT_EQ(b.FontRuns[0].Font().Desc.height, TMyFont::kMaxHeight);
    EXPECT_EQ(a.FontRuns[0].Font().Desc.height, 16);
    EXPECT_EQ(doc.FontPool.FontCount(), 2u);

    TUrlTarget link;
    link.Assign("page.htm", "");
    const TFontInfoArray states = LinkFonts();
    TSection first(&doc, Plain(16), &link, &states);
    TSection second(&doc, Plain(16), &link, &states);
    EXPECT_EQ(first.FontRuns[0].LinkStates(), second.FontRuns[0].LinkStates());
    first.FontRuns[0].SetVisited(true);
    EXPECT_EQ(first.FontRuns[0].Font().FontColor, rgb(128, 0, 128));
    EXPECT_EQ(second.FontRuns[0].Font().FontColor, rgb(0, 0, 255));
}

TEST(FontPoolTest, TheFontOfPropertiesFollowsEveryChangeOfThem) {
    // Fonts of properties are known by their shared font information: more elements than the
    // pool keeps in mind, asked in turn, and an entry changed in place must each get their own.
    TSectionList doc;
    TStyleList styles;
    styles.LoadDefaults(TStyleDefaults{});
    TPropStack stack;
    stack.SetStyleList(&styles);
    stack.PushRoot();
    const auto built = [&doc](const TProperties& p) {
        return doc.FontPool.Font(TMyFont::FromChoice(p.GetFont(), int(std::lround(p.GetFontSize()))));
    };
    for (const char* tag : {"b", "i", "big", "u", "small", "tt", "b"}) {
        stack.PushElement(tag, {}, {}, nullptr, {});
    }
    for (int round = 0; round < 2; ++round) {
        for (int i = stack.Count() - 1; i >= 0; --i) {
            EXPECT_EQ(SharedFont(&doc, stack[i]), built(stack[i])) << "entry " << i;
        }
    }
    stack.TopProps().AssignProp(piColor, int32_t(rgb(255, 0, 0)));
    EXPECT_EQ(SharedFont(&doc, stack.TopProps())->FontColor, rgb(255, 0, 0));
}

// Another device's metrics: a line gap under every font.
class LeadingCanvas : public FixedCanvas {
public:
    FontMetrics fontMetrics() override {
        FontMetrics m = FixedCanvas::fontMetrics();
        m.externalLeading = 5;
        return m;
    }
};

TEST(FontPoolTest, EachCanvasMeasuresTheSharedFontsItself) {
    FixedDoc f;
    f.Add("one two three");
    EXPECT_EQ(f.Layout(400), 16);
    const std::unique_ptr<TSectionList> copy = f.doc.CloneFor(); // its runs share the fonts
    LeadingCanvas printer;
    int width = 0;
    int counter = 0;
    EXPECT_EQ(copy->Layout(printer, 0, 400, 1000, width, counter), 21);
    EXPECT_EQ(f.Layout(300), 16) << "measured on the screen's canvas, not the printer's";
}

TEST(FontPoolTest, RunsKeepTheirFontsWhenThePoolForgetsThem) {
    TSectionList doc;
    auto section = std::make_unique<TSection>(&doc, Plain(20, rgb(1, 2, 3)));
    doc.FontPool.Clear();
    EXPECT_EQ(section->FontRuns[0].Font().FontColor, rgb(1, 2, 3));
    TSectionList other;
    const TSection copy(&other, *section);
    section.reset();
    EXPECT_EQ(copy.FontRuns[0].Font().Desc.height, 20);
}

} // namespace
} // namespace tavlin::test
