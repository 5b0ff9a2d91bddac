// Block layout to the pixel on the fixed-metric canvas: a 12-point font is 16 pixels high, every
// character 8 pixels wide, ascent 12 and descent 4. Pages are laid out without body margins
// unless a test says otherwise.
#include "tests/builder/BuilderTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

constexpr const char* kNoMargins = "<BODY MARGINWIDTH=0 MARGINHEIGHT=0>";

struct Page : Built {
    explicit Page(const std::string& html, int width = 600) : Built(kNoMargins + html) { Layout(width); }
    TBlock& BlockAt(int i) { return At<TBlock>(Cell(), i); }
    TSection& TextAt(int i) { return At<TSection>(Cell(), i); }
    // The text calls of a paint of the whole page, as "x,baseline:text".
    std::vector<std::string> Drawn() {
        Paint(Rect{0, 0, 2000, 2000});
        std::vector<std::string> out;
        for (const auto& call : canvas.texts) {
            out.push_back(std::to_string(call.x) + "," + std::to_string(call.baseline) + ":" + call.text);
        }
        return out;
    }
};

TEST(BlockLayout, DefaultParagraphMarginsCollapse) {
    Page page("<P>a<P>b");
    EXPECT_EQ(page.BlockAt(0).ContentY(), 14) << "the first paragraph of the body keeps its top margin";
    EXPECT_EQ(page.BlockAt(1).ContentY(), 14 + 16 + 14) << "14 pixels apart, not 28";
    EXPECT_EQ(page.BlockAt(0).MarginBottom(), 0);
    EXPECT_EQ(page.height, 14 + 16 + 14 + 16 + 14);
}

TEST(BlockLayout, PositiveAndNegativeMarginsCollapse) {
    Page mixed("<P STYLE=\"margin-bottom:10px\">a</P><P STYLE=\"margin-top:-4px\">b");
    EXPECT_EQ(mixed.BlockAt(1).MarginTop(), 6);
    EXPECT_EQ(mixed.BlockAt(1).ContentY(), 14 + 16 + 6);
    Page negative("<P STYLE=\"margin-bottom:-10px\">a</P><P STYLE=\"margin-top:-4px\">b");
    EXPECT_EQ(negative.BlockAt(1).MarginTop(), -10);
    EXPECT_EQ(negative.BlockAt(1).ContentY(), 14 + 16 - 10);
    EXPECT_EQ(negative.BlockAt(1).PaintTop, 14 + 16 - 10)
        << "painted from where the negative margin moved it";
}

TEST(BlockLayout, FirstBlockOfAnItemOrDivisionHasNoTopSpaceAndTheLastNoBottom) {
    Page item("<UL><LI><P>x</UL>");
    const TBlock& list = item.BlockAt(0);
    const auto& li = At<TBlockLI>(list.Content, 0);
    const TBlock& p = At<TBlock>(li.Content, 0);
    EXPECT_EQ(p.MarginTop(), 0);
    EXPECT_EQ(p.MarginBottom(), 0) << "trimmed when the item closed";
    EXPECT_EQ(p.ContentY(), li.ContentY());
    EXPECT_EQ(li.FlowHeight, 16);

    Page div("<DIV><P>a</P></DIV>b");
    EXPECT_EQ(div.BlockAt(0).FlowHeight, 16);
    EXPECT_EQ(div.TextAt(1).ArrangeY, 16);
}

TEST(BlockLayout, GivenWidthWithAutoMarginsIsCentred) {
    Page page("<DIV STYLE=\"width:200px; margin-left:auto; margin-right:auto\">x</DIV>");
    EXPECT_EQ(page.BlockAt(0).ContentX, 200);
    EXPECT_EQ(page.BlockAt(0).ContentWidth, 200);
    Page padded("<DIV STYLE=\"width:200px; margin:0 auto; padding:10px\">x</DIV>");
    EXPECT_EQ(padded.BlockAt(0).Box[piMarginLeft], 190) << "padding comes out of the margins";
    EXPECT_EQ(padded.BlockAt(0).ContentX, 200);
    Page right("<DIV STYLE=\"width:100px; margin-left:auto; margin-right:20px\">x</DIV>");
    EXPECT_EQ(right.BlockAt(0).ContentX, 480) << "an explicit right margin pushes it right";
    Page narrow("<DIV STYLE=\"width:10px\">wordwider</DIV>");
    EXPECT_EQ(narrow.BlockAt(0).ContentWidth, 72) << "never narrower than its widest word";
}

TEST(BlockLayout, HugeAndNegativeMarginsKeepTheirExactValues) {
    Page page(
        "<DIV STYLE=\"margin-left:100000px; width:50px\">a</DIV>"
        "<DIV STYLE=\"margin-left:-40000px\">b</DIV>"
        "<P STYLE=\"margin-top:50000px; margin-bottom:-70000px\">c</P><P STYLE=\"margin-top:30000px\">d");
    const TBlock& wide = page.BlockAt(0);
    EXPECT_EQ(wide.Box[piMarginLeft], 100000);
    EXPECT_EQ(wide.Box[piMarginRight], 0);
    EXPECT_EQ(wide.ContentX, 100000);
    EXPECT_EQ(wide.ContentWidth, 50);
    const TBlock& negative = page.BlockAt(1);
    EXPECT_EQ(negative.Box[piMarginLeft], -40000);
    EXPECT_EQ(negative.ContentX, -40000);
    EXPECT_EQ(negative.ContentWidth, 40600);
    EXPECT_EQ(page.BlockAt(2).MarginTop(), 50000);
    EXPECT_EQ(page.BlockAt(2).ContentY(), 50032);
    EXPECT_EQ(page.BlockAt(3).MarginTop(), -40000) << "collapsed with the previous bottom margin";
    EXPECT_EQ(page.BlockAt(3).ContentY(), 10048);
    EXPECT_EQ(page.BlockAt(3).PaintTop, 10048);
    EXPECT_EQ(page.height, 50048);

    // Margins that layout works out, on a very wide page.
    Page vast(
        "<DIV STYLE=\"width:100px; margin:0 auto\">x</DIV><TABLE ALIGN=CENTER WIDTH=100><TR><TD>t</TABLE>"
        "<HR WIDTH=100 ALIGN=RIGHT>",
        100000);
    EXPECT_EQ(vast.BlockAt(0).Box[piMarginLeft], 49950);
    EXPECT_EQ(vast.BlockAt(0).Box[piMarginRight], 49950);
    EXPECT_EQ(vast.BlockAt(0).ContentX, 49950);
    EXPECT_EQ(vast.BlockAt(1).Box[piMarginLeft], 49950);
    EXPECT_EQ(vast.BlockAt(1).ContentX, 49950);
    EXPECT_EQ(vast.BlockAt(2).Box[piMarginLeft], 99900);
    EXPECT_EQ(vast.BlockAt(2).ContentX, 99900);
}

TEST(BlockLayout, FloatsNarrowTheLinesBesideThemAndClearGoesBelow) {
    Page left("<DIV STYLE=\"float:left; width:100px; height:50px\"></DIV>beside"
              "<DIV STYLE=\"clear:both\">below</DIV>");
    const TBlock& f = left.BlockAt(0);
    EXPECT_EQ(f.FlowHeight, 0) << "a float takes no room in the flow";
    const TSection& beside = left.TextAt(1);
    EXPECT_EQ(beside.ArrangeY, 0);
    EXPECT_EQ(beside.Lines()[0].IndentX, 100);
    const TBlock& below = left.BlockAt(2);
    EXPECT_GE(below.ContentY(), 50);
    EXPECT_EQ(At<TSection>(below.Content, 0).Lines()[0].IndentX, 0);

    Page right("<DIV STYLE=\"float:right; width:100px\">r</DIV>text");
    EXPECT_EQ(right.BlockAt(0).ContentX, 500);
    EXPECT_EQ(right.TextAt(1).Lines()[0].AvailWidth, 500);
}

TEST(BlockLayout, AbsoluteBlocksTakeNoRoomAndPaintByLayer) {
    Page above("<DIV STYLE=\"position:absolute; top:100px; left:50px\">abs</DIV><P>static");
    EXPECT_EQ(above.BlockAt(0).FlowHeight, 0);
    EXPECT_EQ(above.BlockAt(1).ContentY(), 14);
    EXPECT_EQ(above.Drawn(), (std::vector<std::string>{"0,26:static", "50,112:abs"}));

    Page below("<DIV STYLE=\"position:absolute; top:100px; left:50px; z-index:-1\">abs</DIV><P>static");
    EXPECT_EQ(below.Drawn(), (std::vector<std::string>{"50,112:abs", "0,26:static"}));
}

TEST(BlockLayout, AbsoluteInsideAbsoluteIsPlacedFromItsContainer) {
    Page page("<DIV STYLE=\"position:absolute; top:50px; left:40px; padding:5px\">a"
              "<DIV STYLE=\"position:absolute; top:10px; left:20px\">c</DIV>"
              "<DIV STYLE=\"position:absolute\">b</DIV></DIV>");
    // Given offsets count from the container's padding box; without offsets a block stays where
    // the flow put it.
    EXPECT_EQ(page.Drawn(), (std::vector<std::string>{"45,67:a", "60,72:c", "45,83:b"}));
}

TEST(BlockLayout, RelativeBlocksMoveWithoutMovingTheFlow) {
    Page page("<DIV STYLE=\"position:relative; top:10px; left:20px\">r</DIV>next");
    EXPECT_EQ(page.TextAt(1).ArrangeY, 16);
    EXPECT_EQ(page.Drawn(), (std::vector<std::string>{"20,22:r", "0,28:next"}));
}

TEST(BlockLayout, HiddenBlocksKeepTheirRoomButPaintNothing) {
    Page page("<DIV STYLE=\"visibility:hidden\">h</DIV>v");
    EXPECT_EQ(page.TextAt(1).ArrangeY, 16);
    EXPECT_EQ(page.Drawn(), (std::vector<std::string>{"0,28:v"}));
}

TEST(BlockLayout, BackgroundFillsThePaddingBoxAndBordersAreSolidBands) {
    Page page("<DIV STYLE=\"background-color:red; border:2px solid blue; padding:3px\">x</DIV>");
    const TBlock& div = page.BlockAt(0);
    EXPECT_EQ(div.ContentX, 5);
    EXPECT_EQ(div.ContentY(), 5);
    EXPECT_EQ(div.ContentWidth, 590);
    page.Paint(Rect{0, 0, 800, 800});
    ASSERT_EQ(page.canvas.rects.size(), 5u);
    EXPECT_EQ(page.canvas.rects[0].rect, (Rect{2, 2, 598, 24}));
    EXPECT_EQ(page.canvas.rects[0].color, 0x0000FFu);
    for (size_t i = 1; i < 5; ++i) {
        EXPECT_EQ(page.canvas.rects[i].color, 0xFF0000u);
    }
    EXPECT_EQ(page.canvas.rects[1].rect, (Rect{0, 0, 600, 2}));
    EXPECT_EQ(page.canvas.rects[2].rect, (Rect{0, 24, 600, 26}));
}

TEST(BlockLayout, RuleWidthsAndAlignment) {
    struct Rule {
        int RuleX, RuleWidth, Thickness;
    };
    auto rule = [](const std::string& html, int width) {
        Page page(html, width);
        const THorzLine& r = *At<THRBlock>(page.Cell(), 0).Rule;
        return Rule{r.RuleX, r.RuleWidth, r.Thickness};
    };
    const Rule plain = rule("<HR>", 500);
    EXPECT_EQ(plain.RuleX, 0);
    EXPECT_EQ(plain.RuleWidth, 500);
    EXPECT_EQ(plain.Thickness, 2);
    EXPECT_EQ(rule("<HR SIZE=30>", 500).Thickness, 2);
    EXPECT_EQ(rule("<HR SIZE=6>", 500).Thickness, 6);
    const Rule half = rule("<HR WIDTH=50%>", 500);
    EXPECT_EQ(half.RuleX, 125);
    EXPECT_EQ(half.RuleWidth, 250);
    const Rule right = rule("<HR WIDTH=100 ALIGN=right>", 500);
    EXPECT_EQ(right.RuleX, 400);
    EXPECT_EQ(right.RuleWidth, 100);
    EXPECT_EQ(rule("<HR WIDTH=100 ALIGN=left>", 500).RuleX, 0);
    EXPECT_EQ(rule("<HR WIDTH=900>", 500).RuleWidth, 500) << "never wider than the column";
    Page page("<HR>", 500);
    EXPECT_EQ(page.height, 10 + 2 + 10);
}

TEST(BlockLayout, RulePaintsAFrameOrASolidBar) {
    Page shaded("<HR WIDTH=100 ALIGN=left SIZE=4>", 500);
    shaded.Paint(Rect{0, 0, 500, 500});
    ASSERT_EQ(shaded.canvas.rects.size(), 4u);
    EXPECT_EQ(shaded.canvas.rects[0].rect, (Rect{0, 10, 99, 11})) << "top edge, dark";
    EXPECT_EQ(shaded.canvas.rects[0].color, 0x808080u);
    EXPECT_EQ(shaded.canvas.rects[2].rect, (Rect{99, 10, 100, 14})) << "right edge, light";
    EXPECT_EQ(shaded.canvas.rects[2].color, 0xC0C0C0u) << "silver on a white page";
    Page solid("<HR WIDTH=100 ALIGN=left COLOR=#00FF00>", 500);
    solid.Paint(Rect{0, 0, 500, 500});
    ASSERT_EQ(solid.canvas.rects.size(), 1u);
    EXPECT_EQ(solid.canvas.rects[0].rect, (Rect{0, 10, 100, 12}));
    Page noshade("<HR NOSHADE>", 500);
    noshade.Paint(Rect{0, 0, 500, 500});
    for (const auto& r : noshade.canvas.rects) {
        EXPECT_EQ(r.color, 0u);
    }
}

TEST(BlockLayout, NumberedMarkersEndTenPixelsLeftOfTheText) {
    Page page("<OL START=27 TYPE=a><LI>x</OL><OL START=25 TYPE=I><LI>y</OL><OL><LI>z</OL>");
    const auto& z = At<TBlockLI>(page.BlockAt(0).Content, 0);
    EXPECT_EQ(z.MarkerLabel(), "z.");
    EXPECT_EQ(At<TBlockLI>(page.BlockAt(1).Content, 0).MarkerLabel(), "XX.");
    EXPECT_EQ(z.ContentX, 35);
    EXPECT_EQ(z.FirstBaseline, 12);
    EXPECT_EQ(page.Drawn(),
              (std::vector<std::string>{"35,12:x", "9,12:z.", "35,28:y", "1,28:XX.", "35,44:z", "9,44:1."}));
}

TEST(BlockLayout, ItemOutsideAListKeepsRoomForItsDisc) {
    Page page("<LI>alone");
    const auto& li = At<TBlockLI>(page.Cell(), 0);
    EXPECT_EQ(li.ContentX, 16);
    EXPECT_EQ(li.FirstBaseline, 12);
}

TEST(BlockLayout, ListIndentKeepsMarkersClearOfFloats) {
    Page page("<DIV STYLE=\"float:left; width:100px; height:100px\"></DIV><UL><LI>x</UL>");
    const TBlock& list = page.BlockAt(1);
    EXPECT_EQ(list.ContentX, 135) << "35 pixels right of the float";
    EXPECT_EQ(list.ContentWidth, 600 - 135);
}

TEST(BlockLayout, MeasuredWidthsCountListRoomAndGivenWidths) {
    Page page("<UL><LI>abc</UL><DIV STYLE=\"width:300px; padding:5px\">a</DIV>");
    int minWidth = 0;
    int maxWidth = 0;
    page.BlockAt(0).MeasureWidths(page.canvas, minWidth, maxWidth);
    EXPECT_EQ(minWidth, 35 + 35 + 24);
    EXPECT_EQ(maxWidth, 35 + 35 + 24);
    page.BlockAt(1).MeasureWidths(page.canvas, minWidth, maxWidth);
    EXPECT_EQ(minWidth, 310);
    EXPECT_EQ(maxWidth, 310) << "a given width is the maximum too";
}

TEST(BlockLayout, DeeplyNestedBlocksMeasureTheirTextAFewTimesPerLayoutNotOncePerLevel) {
    // Text beside a picture keeps no measured widths of its own: every measuring reads it again.
    const std::string text = "<IMG WIDTH=8 HEIGHT=8>" + std::string(50, 'w');
    std::string html;
    for (int i = 0; i < 150; ++i) {
        html += "<DIV>";
    }
    Page page(html + text);
    EXPECT_LT(page.canvas.measuredBytes, 10 * 50);
}

TEST(BlockLayout, PageBreakEndsAPrintedPageUnlessAtItsTop) {
    Page near("<PAGE>top<P>more", 400);
    near.doc.Printing = true;
    near.Paint(Rect{0, 0, 400, 300});
    EXPECT_EQ(near.doc.PageBottom, 300) << "a break at the page top forces nothing";

    Page lower("<P>a<PAGE>b", 400);
    lower.doc.Printing = true;
    lower.Paint(Rect{0, 0, 400, 300});
    EXPECT_EQ(lower.doc.PageBottom, 14 + 16) << "the break stands inside the paragraph, below a";
}

TEST(BlockLayout, PrintCopyKeepsTheBlocksAndCopyingARuleGivesALineEnd) {
    Page page("<UL><LI>a</UL><HR>b");
    std::unique_ptr<TSectionList> copy = page.doc.CloneFor();
    FixedCanvas canvas;
    int scroll = 0;
    int counter = 0;
    EXPECT_EQ(copy->Layout(canvas, 0, 600, 600, scroll, counter), page.height);
    EXPECT_EQ(Shape(dynamic_cast<TBlock&>((*copy)[0]).Content), Shape(page.Cell()));

    std::string copied;
    page.doc.OnClipboardText = [&copied](std::string_view text) { copied = text; };
    page.doc.SelStart = 0;
    page.doc.SelEnd = 2;
    page.doc.CopyToClipboard();
    EXPECT_EQ(copied, "a\r\n\r\nb\r\n");
}

TEST(BlockLayout, FloatsReachDownTheirBlockAndKeepTheirLayersInThePrintCopy) {
    Page page("<DIV><DIV STYLE=\"float:left; width:50px; height:100px\"></DIV>a</DIV>"
              "<DIV STYLE=\"position:absolute; z-index:3\">b</DIV>");
    const TBlock& outer = page.BlockAt(0);
    EXPECT_EQ(outer.ContentBottomY(), 100) << "the float's bottom, though it takes no flow height";
    EXPECT_EQ(At<TBlock>(outer.Content, 0).Layer(), 1);
    std::unique_ptr<TSectionList> copy = page.doc.CloneFor();
    const TBlockCell& body = dynamic_cast<const TBlock&>((*copy)[0]).Content;
    EXPECT_EQ(At<TBlock>(At<TBlock>(body, 0).Content, 0).Layer(), 1);
    EXPECT_EQ(At<TBlock>(body, 1).Layer(), 30);
}

TEST(BlockLayout, QueriesReachTheTextInsideBlocks) {
    Page page("<UL><LI>one<LI><A HREF=\"t.htm\">two</A></UL>");
    EXPECT_EQ(page.doc.SearchText(0, "two", true), 3);
    char ch = 0;
    TSectionBase* section = nullptr;
    ASSERT_TRUE(page.doc.CharAt(4, ch, section));
    EXPECT_EQ(ch, 'w');
    TLinkAnswer answer;
    ASSERT_TRUE(page.doc.LinkAtPoint(page.canvas, 40, 20, answer));
    EXPECT_EQ(answer.Target.Url, "t.htm");
    TPositionHit hit;
    EXPECT_EQ(page.doc.PositionAt(page.canvas, 36, 20, hit), 3);
    EXPECT_GE(page.doc.SourceToDocPos(int32_t(std::string(kNoMargins).size()) + 12, false), 0);
}

} // namespace
} // namespace tavlin::test
