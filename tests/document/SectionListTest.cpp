#include "tests/builder/BuilderTestUtil.h"
#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

// A section of fixed height that counts the calls it gets, and can refuse to be laid out.
class ProbeSection : public TSectionBase {
public:
    ProbeSection(TSectionList* doc, int height, bool fails = false) : TSectionBase(doc), fails_(fails) {
        FlowHeight = height;
    }
    int Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight, IndentManager& floats,
                int& maxWidth, int& counter) override {
        counter += 5; // a failing section must not move the positions of the rest
        if (fails_) {
            floats.AddLeft(y, y + 100, 50, this);
            floats.CurrentOwner = this;
            throw EProcessError("Table has too many Columns");
        }
        counter -= 5;
        return TSectionBase::Arrange(canvas, x, y, xRef, yRef, width, availHeight, floats, maxWidth, counter);
    }
    int Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef, int yRef) override {
        ++paints;
        return TSectionBase::Paint(canvas, clip, floats, x, xRef, yRef);
    }
    int PositionAt(Canvas&, int, int, TPositionHit&) override {
        ++hits;
        return -1;
    }
    static inline int paints = 0;
    static inline int hits = 0;

private:
    bool fails_;
};

class SectionListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ProbeSection::paints = 0;
        ProbeSection::hits = 0;
    }
    FixedDoc f;
};

TEST_F(SectionListTest, EmptyDocumentHasNoHeightAndPaintsNothing) {
    EXPECT_EQ(f.Layout(500), 0);
    f.Paint({0, 0, 500, 500});
    EXPECT_TRUE(f.canvas.texts.empty());
    TPositionHit hit;
    EXPECT_EQ(f.doc.PositionAt(f.canvas, 10, 10, hit), -1);
    EXPECT_EQ(f.doc.SearchText(0, "x", false), -1);
    int anchor = 0;
    int index = 0;
    EXPECT_EQ(f.doc.SectionAtY(100, anchor, index), nullptr);
    f.doc.CopyToClipboard();
}

TEST_F(SectionListTest, SectionThatCannotBeLaidOutIsReportedAndDropped) {
    std::vector<std::string> errors;
    f.doc.OnProcessError = [&](const std::string& message) { errors.push_back(message); };
    f.Add("before");
    f.doc.AppendSection(std::make_unique<ProbeSection>(&f.doc, 50, true));
    TSection& after = f.Add("after");
    EXPECT_EQ(f.Layout(400), 32);
    EXPECT_EQ(errors, std::vector<std::string>{"Table has too many Columns"});
    EXPECT_EQ(f.doc.Count(), 2);
    EXPECT_EQ(after.ArrangeY, 16);
    EXPECT_EQ(after.FirstPos, 6);
    EXPECT_EQ(after.Lines()[0].IndentX, 0); // its float band went with it
    EXPECT_EQ(f.doc.PositionList->size(), 2u);
}

TEST_F(SectionListTest, LaterDefinitionOfANameWins) {
    f.Add("first line", 16, 0);
    f.Add("second line", 16, 100);
    f.doc.IDs->AddPositionMark("Target", 3);
    f.doc.IDs->AddPositionMark("target", 105);
    f.Layout(400);
    ASSERT_EQ(f.doc.IDs->Count(), 1);
    EXPECT_EQ(f.doc.IDs->Find("TARGET")->YPosition(), 16);
    f.doc.IDs->AddPositionMark("gone", 5000); // maps to no line
    EXPECT_EQ(f.doc.IDs->Find("gone")->YPosition(), 0);
}

TEST_F(SectionListTest, PrintingMovesShortLinesToTheNextPageAndDrawsTallOnesAcross) {
    f.Add("a b c d e f g h i j k l m", 16); // one line each at width 8
    TSection& tall = f.Add("tall");
    tall.LineHeight = 150;
    f.Layout(8);
    f.doc.Printing = true;
    // Page 1: 100 high; the line at 96 would cross its bottom.
    f.doc.PaintDocument(f.canvas, {0, 0, 100, 100}, 6000, 0, 0, 0, 0);
    EXPECT_EQ(f.doc.PageBottom, 96);
    EXPECT_EQ(f.canvas.texts.size(), 6u);
    // Page 2 starts there; the 150-pixel line at 208 is taller than a page and is drawn.
    f.canvas.texts.clear();
    f.doc.SetYOffset(96);
    f.doc.PaintDocument(f.canvas, {0, 0, 100, 100}, 6000, 0, 0, 0, 0);
    EXPECT_EQ(f.doc.PageBottom, 96 + 96);
    f.canvas.texts.clear();
    f.doc.SetYOffset(192);
    f.doc.PaintDocument(f.canvas, {0, 0, 100, 100}, 6000, 0, 0, 0, 0);
    ASSERT_FALSE(f.canvas.texts.empty());
    EXPECT_EQ(f.canvas.texts.back().text, "tall");
}

TEST_F(SectionListTest, PaintAndHitTestsTouchOnlyTheBand) {
    for (int i = 0; i < 20000; ++i) {
        f.doc.AppendSection(std::make_unique<ProbeSection>(&f.doc, 10));
    }
    EXPECT_EQ(f.Layout(400), 200000);
    f.Paint({0, 0, 400, 100}, 150000);
    EXPECT_LE(ProbeSection::paints, 12);
    EXPECT_GE(ProbeSection::paints, 10);
    TPositionHit hit;
    f.doc.PositionAt(f.canvas, 5, 123455, hit);
    EXPECT_EQ(ProbeSection::hits, 1);
}

TEST_F(SectionListTest, SectionsAddedAfterLayoutArePaintedUntilTheNextLayout) {
    f.doc.AppendSection(std::make_unique<ProbeSection>(&f.doc, 10));
    f.Layout(400);
    f.Paint({0, 0, 400, 100}, 500);
    EXPECT_EQ(ProbeSection::paints, 0) << "the only section lies above the band";
    f.doc.AppendSection(std::make_unique<ProbeSection>(&f.doc, 10));
    f.Paint({0, 0, 400, 100}, 500);
    EXPECT_EQ(ProbeSection::paints, 2) << "no extent is known for the new one";
    f.doc.ClearSections();
    f.doc.AppendSection(std::make_unique<ProbeSection>(&f.doc, 10));
    f.Paint({0, 0, 400, 100}, 500);
    EXPECT_EQ(ProbeSection::paints, 3);
    f.Layout(400);
    f.Paint({0, 0, 400, 100}, 500);
    EXPECT_EQ(ProbeSection::paints, 3);
}

TEST_F(SectionListTest, ASectionPaintingFarBelowItsPlaceIsFoundInTheBandsItReaches) {
    struct Overhanging : ProbeSection {
        using ProbeSection::ProbeSection;
        int Arrange(Canvas& canvas, int x, int y, int xRef, int yRef, int width, int availHeight,
                    IndentManager& floats, int& maxWidth, int& counter) override {
            const int height = ProbeSection::Arrange(canvas, x, y, xRef, yRef, width, availHeight, floats,
                                                     maxWidth, counter);
            PaintBottom += 500; // as a float beside the sections below does
            return height;
        }
        int Paint(Canvas& canvas, const Rect& clip, IndentManager& floats, int x, int xRef,
                  int yRef) override {
            painted = true;
            return ProbeSection::Paint(canvas, clip, floats, x, xRef, yRef);
        }
        bool painted = false;
    };
    Overhanging* overhanging = nullptr;
    for (int i = 0; i < 100; ++i) {
        f.doc.AppendSection(std::make_unique<ProbeSection>(&f.doc, 10));
        if (i == 20) {
            auto section = std::make_unique<Overhanging>(&f.doc, 10);
            overhanging = section.get();
            f.doc.AppendSection(std::move(section));
        }
    }
    f.Layout(400);
    f.Paint({0, 0, 400, 15}, 600);
    EXPECT_TRUE(overhanging->painted);
    EXPECT_LT(ProbeSection::paints, 60);
    TPositionHit hit;
    f.doc.PositionAt(f.canvas, 5, 605, hit);
    EXPECT_EQ(ProbeSection::hits, 2);
}

TEST_F(SectionListTest, AbsoluteSectionsArePaintedWhereverTheyAre) {
    struct Absolute : ProbeSection {
        using ProbeSection::ProbeSection;
        bool IsAbsolute() const override { return true; }
    };
    f.doc.AppendSection(std::make_unique<Absolute>(&f.doc, 0));
    for (int i = 0; i < 100; ++i) {
        f.doc.AppendSection(std::make_unique<ProbeSection>(&f.doc, 10));
    }
    f.Layout(400);
    f.Paint({0, 0, 400, 20}, 505);
    EXPECT_EQ(ProbeSection::paints, 1 + 3);
}

TEST_F(SectionListTest, SetYOffsetMarksObjectsNotShownOnlyWhenItMoves) {
    BoxObj control(10, 10, ABottom);
    f.doc.FormControls->push_back(&control);
    control.ShowIt = true;
    f.doc.ListShownControl(control); // as drawing it does
    f.doc.SetYOffset(0);
    EXPECT_TRUE(control.ShowIt);
    EXPECT_FALSE(f.doc.YOffsetChanged);
    f.doc.SetYOffset(40);
    EXPECT_FALSE(control.ShowIt);
    EXPECT_TRUE(f.doc.YOffsetChanged);
    f.Paint({0, 0, 10, 10}, 40);
    EXPECT_FALSE(f.doc.YOffsetChanged);
}

// Link fonts that turn bold under the mouse.
TFontInfoArray BoldUnderTheMouse() {
    TFontInfoArray states;
    for (auto& info : states.Ar) {
        info.Name = "Fixed";
        info.Size = 12;
    }
    states.Ar[2].Style = fsBold;
    return states;
}

// The runs in the document whose link's address starts with `url`, in position order.
std::vector<TLinkRun> LinkRunsOf(TSectionList& doc, std::string_view url) {
    std::vector<TLinkRun> runs;
    doc.ForEachTextSection([&](TSection& section) {
        for (int i = 0; i < section.FontRuns.Count(); ++i) {
            if (section.LinkOf(section.FontRuns[i]).Url.starts_with(url)) {
                runs.push_back({&section, i});
            }
        }
    });
    return runs;
}

// The texts of the hovered runs, in position order.
std::vector<std::string> HoveredTexts(TSectionList& doc) {
    std::vector<std::string> texts;
    doc.ForEachTextSection([&](TSection& section) {
        for (int i = 0; i < section.FontRuns.Count(); ++i) {
            if (section.FontRuns[i].Hover) {
                const int end =
                    i + 1 < section.FontRuns.Count() ? section.FontRuns[i + 1].Pos : section.Len();
                const int pos = section.FontRuns[i].Pos;
                texts.emplace_back(section.Text().substr(size_t(pos), size_t(end - pos)));
            }
        }
    });
    return texts;
}

TEST_F(SectionListTest, HoverFollowsALinkThroughParagraphsRulesBlocksAndListItems) {
    Built b("<a href=\"a.htm\">before</a><a href=\"b.htm\">one<p>two<hr>three<div>four</div>"
            "<ul><li>five<li>six</ul></a><a href=\"c.htm\">after</a>");
    b.Layout(400);
    const std::vector<TLinkRun> runs = LinkRunsOf(b.doc, "b.htm");
    ASSERT_EQ(runs.size(), 6u);
    const std::vector<std::string> all{"one", "two", "three", "four", "five", "six"};
    for (const TLinkRun& from : {runs.front(), runs[2], runs.back()}) {
        b.doc.SetLinkHover(from, true);
        EXPECT_EQ(HoveredTexts(b.doc), all);
        b.doc.SetLinkHover(from, false);
        EXPECT_TRUE(HoveredTexts(b.doc).empty());
    }
    // A run that left its link lights only itself.
    const TLinkRun before = LinkRunsOf(b.doc, "a.htm").front();
    before.Run().SetLinkNumber(TLinkTable::kNoLink);
    b.doc.SetLinkHover(before, true);
    EXPECT_EQ(HoveredTexts(b.doc), std::vector<std::string>{"before"});
}

TEST_F(SectionListTest, PrintCopyStartsUnhoveredAndHoversOnItsOwn) {
    Built b("<a href=\"a.htm\">one<p>two</a><p><a href=\"b.htm\">three</a>");
    b.Layout(400);
    b.doc.SetLinkHover(LinkRunsOf(b.doc, "a.htm").back(), true);
    std::unique_ptr<TSectionList> copy = b.doc.CloneFor();
    int counter = 0;
    int width = 0;
    copy->Layout(b.canvas, 0, 400, 1000, width, counter);
    EXPECT_TRUE(HoveredTexts(*copy).empty());
    copy->SetLinkHover(LinkRunsOf(*copy, "a.htm").front(), true);
    EXPECT_EQ(HoveredTexts(*copy), (std::vector<std::string>{"one", "two"}));
    b.doc.SetLinkHover(LinkRunsOf(b.doc, "a.htm").back(), false);
    EXPECT_TRUE(HoveredTexts(b.doc).empty());
    EXPECT_EQ(HoveredTexts(*copy).size(), 2u);
}

TEST_F(SectionListTest, HoverChangesEveryRunOfTheLinkAcrossSections) {
    TUrlTarget link;
    link.Assign("a.htm", "");
    const TFontInfoArray states = BoldUnderTheMouse();
    TSection& first = f.Open("x ");
    first.SetLink(Font(16), &link, &states);
    Append(first, "one", 2);
    f.doc.AppendSection(std::move(f.open));
    auto second = std::make_unique<TSection>(&f.doc, Font(16), &link, &states);
    Append(*second, "two", 10);
    TSection& s2 = f.AddSection(std::move(second));
    int repaints = 0;
    f.doc.OnRepaint = [&] { ++repaints; };
    f.doc.HoverEnabled = true;
    f.Layout(400);
    f.Paint({0, 0, 400, 100});
    TLinkAnswer answer;
    ASSERT_TRUE(f.doc.LinkAtPoint(f.canvas, 20, 5, answer));
    EXPECT_TRUE(first.FontRuns[1].Hover);
    EXPECT_TRUE(s2.FontRuns[0].Hover);
    EXPECT_EQ(s2.FontRuns[0].Font().Desc.style, fsBold);
    EXPECT_EQ(repaints, 1);
    f.doc.ClearHover();
    EXPECT_FALSE(s2.FontRuns[0].Hover);
    EXPECT_EQ(s2.FontRuns[0].Font().Desc.style, 0);
    EXPECT_EQ(repaints, 2);
}

TEST_F(SectionListTest, LinkRunsMadeWhileTheirSectionGrewStillHoverAndVisit) {
    // Runs move each time their section's list of them grows; the document must still find the
    // first ones.
    const TFontInfoArray states = BoldUnderTheMouse();
    TSection& s = f.Open();
    std::vector<TUrlTarget> links(300);
    for (int i = 0; i < 300; ++i) {
        links[size_t(i)].Assign("page" + std::to_string(i) + ".htm", "");
        s.SetLink(Font(16), &links[size_t(i)], &states); // runs 3i and 3i + 1 of the link, 3i + 2 after it
        Append(s, "ab", 5 * i);
        s.ChangeFont(Font(16, fsItalic));
        Append(s, "cd", 5 * i + 2);
        s.SetLink(Font(16), nullptr, nullptr);
        Append(s, " ", 5 * i + 4);
    }
    f.doc.HoverEnabled = true;
    f.Layout(400);
    f.Paint({0, 0, 400, 100});
    ASSERT_EQ(LinkRunsOf(f.doc, "page").size(), 600u);
    TLinkAnswer answer;
    ASSERT_TRUE(f.doc.LinkAtPoint(f.canvas, 4, 5, answer));
    EXPECT_EQ(answer.Target.Url, "page0.htm");
    EXPECT_EQ(&f.doc.HoverLink.Run(), &s.FontRuns[0]);
    EXPECT_TRUE(s.FontRuns[0].Hover && s.FontRuns[1].Hover);
    EXPECT_EQ(s.FontRuns[0].Font().Desc.style, fsBold);
    EXPECT_FALSE(s.FontRuns[3].Hover);
    for (const TLinkRun& link : LinkRunsOf(f.doc, "page7.htm")) {
        link.Run().SetVisited(true);
    }
    EXPECT_TRUE(s.FontRuns[21].Visited && s.FontRuns[22].Visited);
    EXPECT_FALSE(s.FontRuns[20].Visited || s.FontRuns[24].Visited);
    f.doc.ClearHover();
    EXPECT_FALSE(s.FontRuns[1].Hover);
}

TEST_F(SectionListTest, SectionAtYAndPositionList) {
    f.Add("one");
    f.Add("two");
    f.Add("three");
    f.Layout(400);
    int anchor = 0;
    int index = 0;
    EXPECT_EQ(f.doc.SectionAtY(20, anchor, index), &f.doc[1]);
    EXPECT_EQ(anchor, 16);
    EXPECT_EQ(index, 1);
    EXPECT_EQ(f.doc.SectionAtY(-1, anchor, index), nullptr);
}

TEST_F(SectionListTest, PrintCopyHasItsOwnSectionsAndNoViewerLists) {
    TUrlTarget link;
    link.Assign("a.htm", "");
    auto linked = std::make_unique<TSection>(&f.doc, Font(16), &link);
    Append(*linked, "link text", 0);
    f.AddSection(std::move(linked));
    f.Add("more text");
    f.doc.SelStart = 2;
    f.doc.SelEnd = 5;
    f.Layout(400);
    std::unique_ptr<TSectionList> copy = f.doc.CloneFor();
    EXPECT_EQ(copy->Count(), 2);
    EXPECT_EQ(copy->SelEnd, 5);
    EXPECT_FALSE(copy->HoverLink);
    EXPECT_FALSE(copy->IDs);
    copy->Printing = true;
    FixedCanvas canvas;
    int width = 0;
    int counter = 0;
    EXPECT_EQ(copy->Layout(canvas, 0, 400, 1000, width, counter), 32);
    const auto& text = static_cast<TSection&>((*copy)[0]);
    EXPECT_EQ(text.LinkOf(text.FontRuns[0]).Url, "a.htm");
    EXPECT_NE(&text, &f.doc[0]);
    copy->PaintDocument(canvas, {0, 0, 400, 100}, 6000, 0, 0, 0, 0);
    EXPECT_EQ(canvas.texts.size(), 2u); // no selection is shown on paper
    f.doc.Clear();
    EXPECT_EQ(f.doc.Count(), 0);
}

TEST_F(SectionListTest, SelectionIsDrawnInvertedAndTheCaretAsABar) {
    f.Add("abcdef");
    f.Layout(400);
    f.doc.SelStart = 2;
    f.doc.SelEnd = 4;
    f.Paint({0, 0, 400, 100});
    ASSERT_EQ(f.canvas.texts.size(), 3u);
    EXPECT_EQ(f.canvas.texts[1].text, "cd");
    EXPECT_EQ(f.canvas.texts[1].x, 16);
    EXPECT_EQ(f.canvas.texts[1].mode, BkMode::Opaque);
    EXPECT_EQ(f.canvas.texts[1].bkColor, 0u);
    EXPECT_EQ(f.canvas.texts[1].color, 0xFFFFFFu);
    EXPECT_EQ(f.canvas.texts[2].mode, BkMode::Transparent);
    f.canvas.texts.clear();
    f.doc.ShowCaret = true;
    f.doc.SelStart = f.doc.SelEnd = 3;
    f.Paint({0, 0, 400, 100});
    ASSERT_EQ(f.canvas.rects.size(), 1u);
    EXPECT_EQ(f.canvas.rects[0].rect, (Rect{24, 0, 25, 16}));
}

TEST_F(SectionListTest, AnimationTimerRunsOnlyWithAnimatedImages) {
    struct Spinner : TAnimatable {
        void Rewind() override { ++rewinds; }
        void StopAnimation() override {}
        void StartAnimation() override {}
        bool StepAnimation() override { return ++steps > 0; }
        int rewinds = 0;
        int steps = 0;
    } spinner;
    f.Add("text");
    f.Layout(400);
    ASSERT_TRUE(f.doc.AnimationTimer);
    EXPECT_FALSE(f.doc.AnimationTimer->isActive());
    f.doc.AnimatedImages.push_back(&spinner);
    f.Layout(400);
    EXPECT_EQ(spinner.rewinds, 1);
    EXPECT_TRUE(f.doc.AnimationTimer->isActive());
    EXPECT_EQ(f.doc.AnimationTimer->interval(), 50);
    int repaints = 0;
    f.doc.OnRepaint = [&] { ++repaints; };
    auto& timer = static_cast<ManualTimer&>(*f.doc.AnimationTimer);
    timer.fire(); // not shown in the last paint: no step
    EXPECT_EQ(spinner.steps, 0);
    spinner.ShownInPaint = true;
    timer.fire();
    EXPECT_EQ(spinner.steps, 1);
    EXPECT_EQ(repaints, 1);
}

TEST_F(SectionListTest, PrintedTextIsReadableOnPaper) {
    TSection& s = f.Open("white");
    s.ChangeFont(Font(16, 0, rgb(0xF0, 0xF0, 0x20)));
    Append(s, " pale", 5);
    s.ChangeFont(Font(16, 0, rgb(200, 0, 0), rgb(255, 255, 0)));
    Append(s, " red on yellow", 10);
    TMyFont white = s.FontRuns[0].Font();
    white.FontColor = rgb(255, 255, 255);
    s.FontRuns[0].SetFont(SharedFont(&s, white));
    f.Layout(1000);
    f.doc.Printing = true;
    f.Paint({0, 0, 1000, 100});
    ASSERT_EQ(f.canvas.texts.size(), 3u);
    EXPECT_EQ(f.canvas.texts[0].color, 0xA0A0A0u | PaletteRelative);
    EXPECT_EQ(f.canvas.texts[1].color, 0xA0A0A0u | PaletteRelative);
    EXPECT_EQ(f.canvas.texts[2].color, rgb(200, 0, 0));
    EXPECT_EQ(f.canvas.texts[2].mode, BkMode::Opaque);
    EXPECT_EQ(f.canvas.texts[2].bkColor, rgb(255, 255, 0));
    f.canvas.texts.clear();
    f.doc.PrintBackgrounds = true;
    f.canvas.colors = 2; // a black-and-white printer
    f.Paint({0, 0, 1000, 100}, 1);
    ASSERT_EQ(f.canvas.texts.size(), 3u);
    EXPECT_EQ(f.canvas.texts[0].color, 0u);
    EXPECT_EQ(f.canvas.texts[2].color, 0u);
}

TEST_F(SectionListTest, DefaultsAndBackground) {
    int changes = 0;
    f.doc.OnBackgroundChange = [&] { ++changes; };
    f.doc.SetDefaults("Arial", std::string(40, 'C'), 10, 5, 1, false, true, rgb(1, 2, 3), 0xFF, 0xFF00, 0xFF0000,
                      0, 14);
    EXPECT_EQ(f.doc.PreFontName.size(), 32u);
    EXPECT_TRUE(f.doc.HoverEnabled);
    EXPECT_FALSE(f.doc.LinkUnderline);
    EXPECT_EQ(f.doc.Background, rgb(1, 2, 3));
    EXPECT_EQ(f.doc.DefFontSize, 14);
    EXPECT_NE(f.doc.Styles->DefaultProp(), nullptr);
    EXPECT_EQ(changes, 1);
    f.doc.SetBackgroundName("paper.gif");
    EXPECT_EQ(f.doc.BackgroundName, "paper.gif");
    EXPECT_FALSE(f.doc.BackgroundTried);
}

} // namespace
} // namespace tavlin::test
