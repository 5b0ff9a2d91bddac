#include "reader/Properties.h"
#include "platform/System.h"
#include "reader/StyleSheet.h"

#include <gtest/gtest.h>

using namespace tavlin;

namespace {

constexpr Color kRed = rgb(255, 0, 0);

// A document's style sheet with the viewer's defaults, and a property stack over it.
struct Cascade {
    TStyleList styles;
    TPropStack stack;

    explicit Cascade(std::string_view sheet = {}) {
        styles.LoadDefaults(TStyleDefaults{});
        if (!sheet.empty()) {
            ParseStyleSheetText(styles, sheet, {});
        }
        stack.SetStyleList(&styles);
        stack.PushRoot();
    }
    TProperties& push(std::string_view tag, std::string_view cls = {}, std::string_view id = {},
                      const TProperties* inlineStyle = nullptr, std::string_view pseudo = {}) {
        return stack.PushElement(tag, cls, id, inlineStyle, pseudo);
    }
    TProperties& top() { return stack.TopProps(); }
};

int32_t intProp(const TProperties& p, int index) {
    const int32_t* v = std::get_if<int32_t>(&p.Props[size_t(index)]);
    return v ? *v : NotSet - 1;
}

double realProp(const TProperties& p, int index) {
    const double* v = std::get_if<double>(&p.Props[size_t(index)]);
    return v ? *v : -1;
}

Color parsed(std::string_view text, bool strict = false) {
    Color c = 0xDEADBEEF;
    return ColorFromString(text, strict, c) ? c : 0xDEADBEEF;
}

} // namespace

TEST(Properties, PushInheritsInheritedPropertiesOnly) {
    Cascade c("div { margin-left: 7px; background-color: red; color: green; line-height: 2 }");
    c.push("div");
    TProperties& b = c.push("b");
    EXPECT_EQ(stringOf(b.Props[piFontWeight]), "bold");
    EXPECT_EQ(stringOf(b.Props[piFontFamily]), "Times New Roman");
    EXPECT_EQ(intProp(b, piColor), int32_t(rgb(0, 128, 0)));
    EXPECT_EQ(stringOf(b.Props[piLineHeight]), "2");
    EXPECT_EQ(intProp(b, piMarginLeft), NotSet);
    EXPECT_TRUE(isEmptyValue(b.Props[piBackgroundColor]));
    EXPECT_FALSE(b.OwnFlags[piColor]);
    EXPECT_TRUE(b.OwnFlags[piFontWeight]);
    EXPECT_EQ(b.EmSize, 16); // 12 points at 96 pixels per inch
    EXPECT_EQ(b.ExSize, 8);
    const FontChoice font = b.GetFont();
    EXPECT_EQ(font.desc.name, "Times New Roman");
    EXPECT_EQ(font.desc.height, 16);
    EXPECT_EQ(font.desc.style, fsBold);
    EXPECT_EQ(font.color, rgb(0, 128, 0));
    EXPECT_EQ(font.bgColor, clNone);     // div's background is not the text's unless taken
    EXPECT_EQ(b.GetFontColor(), clNone); // not set on b itself
}

TEST(Properties, ClosingAnOuterElementReinheritsTheInnerOnes) {
    // <B>a<I>b</B>c</I>: c is italic and not bold.
    Cascade c("i { margin-left: 3px }");
    c.push("b");
    c.push("i");
    EXPECT_EQ(c.top().GetFont().desc.style, fsBold | fsItalic);
    c.stack.PopElement("b");
    ASSERT_EQ(c.stack.Count(), 2);
    EXPECT_EQ(c.top().ElemTag, "i");
    EXPECT_EQ(c.top().GetFont().desc.style, fsItalic);
    EXPECT_EQ(stringOf(c.top().Props[piMarginLeft]), "3px"); // its own box values stay
    EXPECT_EQ(intProp(c.top(), piMarginTop), NotSet); // and the root's margins are not inherited
    c.stack.PopElement("b");                                 // nothing left to close
    EXPECT_EQ(c.stack.Count(), 2);
    c.stack.PopElement("i");
    EXPECT_EQ(c.stack.Count(), 1);
    c.stack.PopElement("default"); // the root is never removed
    EXPECT_EQ(c.stack.Count(), 1);
}

TEST(Properties, AssignPropDoesNotOverrideTheStyleSheet) {
    Cascade c("p.r { text-align: right }");
    TProperties& styled = c.push("p", "r");
    styled.AssignProp(piTextAlign, std::string("center"));
    EXPECT_EQ(styled.GetTextAlign(), "right");
    c.stack.PopElement("p");
    TProperties& plain = c.push("p");
    plain.AssignProp(piTextAlign, std::string("center"));
    plain.AssignProp(piTextAlign, std::string("left")); // the first assignment wins
    EXPECT_EQ(plain.GetTextAlign(), "center");
    // An inherited value is no obstacle.
    TProperties& inner = c.push("font");
    inner.AssignProp(piColor, int32_t(kRed));
    EXPECT_EQ(inner.GetFontColor(), kRed);
}

TEST(Properties, CascadeOrderTagClassIdContextualInline) {
    const char* sheet = "span { color: red } .c { color: lime } #i { color: blue } div span { color: yellow }"
                        "span.c { font-style: italic } .c { font-style: normal }";
    TProperties inlineStyle;
    ParseInlineStyle("color: #123456", inlineStyle);
    struct Case {
        bool inDiv;
        const char* cls;
        const char* id;
        const TProperties* style;
        Color want;
    } cases[] = {
        {true, "c", "i", &inlineStyle, rgb(0x12, 0x34, 0x56) | PaletteRelative},
        {true, "c", "i", nullptr, rgb(255, 255, 0)},
        {false, "c", "i", nullptr, rgb(0, 0, 255)},
        {false, "c", "", nullptr, rgb(0, 255, 0)},
        {false, "", "", nullptr, kRed},
    };
    for (const Case& k : cases) {
        Cascade c(sheet);
        if (k.inDiv) {
            c.push("div");
        }
        TProperties& span = c.push("span", k.cls, k.id, k.style);
        EXPECT_EQ(Color(intProp(span, piColor)), k.want) << k.inDiv << k.cls << k.id;
        if (*k.cls) {
            EXPECT_EQ(stringOf(span.Props[piFontStyle]), "italic"); // tag.class beats .class
        }
    }
}

TEST(Properties, ContextualSelectorsMatchOpenAncestors) {
    Cascade c("li { color: blue } ul li { color: green } ul.x ol li { color: red }");
    c.push("ul");
    EXPECT_EQ(intProp(c.push("li"), piColor), int32_t(rgb(0, 128, 0)));
    c.stack.PopElement("li");
    c.push("ol");
    // Deeper: still inside the UL.
    EXPECT_EQ(intProp(c.push("li"), piColor), int32_t(rgb(0, 128, 0)));

    Cascade o("li { color: blue } ul li { color: green }");
    o.push("ol");
    EXPECT_EQ(intProp(o.push("li"), piColor), int32_t(rgb(0, 0, 255)));

    Cascade x("ul li { color: green } ul.x ol li { color: red }");
    x.push("ul", "x");
    x.push("div");
    x.push("ol");
    EXPECT_EQ(intProp(x.push("li"), piColor), int32_t(kRed)); // more ancestors: applied later
}

TEST(Properties, DefaultSheetGivesPreInsideParagraphNoTopMargin) {
    Cascade c;
    EXPECT_EQ(intProp(c.push("p"), piMarginTop), AutoValue);
    c.stack.PopElement("p");
    c.push("pre");
    TProperties& p = c.push("p");
    EXPECT_EQ(intProp(p, piMarginTop), 0);
    EXPECT_EQ(intProp(p, piMarginBottom), AutoValue);
}

TEST(Properties, FontSizeUnitsAndKeywords) {
    const std::pair<const char*, double> cases[] = {
        {"150%", 18},   {"2em", 24},     {"1.5em", 18},   {"2ex", 12},      {"smaller", 9},
        {"larger", 15}, {"x-large", 24}, {"xx-small", 8}, {"small", 12},    {"medium", 14.4},
        {"12px", 9},    {"16", 12},      {"1in", 72},     {"2.54cm", 72},   {"25.4mm", 72},
        {"10pt", 10},   {"1pc", 12},     {"bogus", 12},   {"3furlongs", 12}};
    for (const auto& [text, points] : cases) {
        Cascade c;
        TProperties style;
        style.SetPropByName("font-size", text);
        TProperties& span = c.push("span", {}, {}, &style);
        EXPECT_NEAR(realProp(span, piFontSize), points, 1e-9) << text;
    }
    // Relative sizes take the parent's size.
    Cascade c("div { font-size: 20pt } span { font-size: 50% }");
    c.push("div");
    EXPECT_DOUBLE_EQ(realProp(c.push("span"), piFontSize), 10);
    // The HTML SIZE table follows the default size.
    EXPECT_DOUBLE_EQ(FontSizeForHtmlSize(4, 12, false), 14);
    EXPECT_DOUBLE_EQ(FontSizeForHtmlSize(9, 12, false), 36);
    EXPECT_DOUBLE_EQ(FontSizeForHtmlSize(0, 12, false), 8);
    EXPECT_DOUBLE_EQ(FontSizeForHtmlSize(3, 12, true), 10);
    EXPECT_DOUBLE_EQ(FontSizeForHtmlSize(3, 15, false), 15);
}

TEST(Properties, FontSizeTextFromAHugeNumberStaysUsable) {
    Cascade c;
    TProperties style;
    style.SetPropByName("font-size", "1e300em");
    TProperties& span = c.push("span", {}, {}, &style);
    EXPECT_LE(span.GetFont().desc.height, 4000);
    TProperties tiny;
    tiny.SetPropByName("font-size", "-5pt");
    EXPECT_GE(c.push("b", {}, {}, &tiny).GetFont().desc.height, 1);
}

TEST(Properties, FontStyleBitsAndFaces) {
    const std::pair<const char*, int> weights[] = {
        {"700", fsBold}, {"bolder", fsBold}, {"lighter", 0}, {"599", 0}, {"bold", fsBold}};
    for (const auto& [weight, bits] : weights) {
        Cascade c;
        TProperties style;
        style.SetPropByName("font-weight", weight);
        EXPECT_EQ(c.push("span", {}, {}, &style).GetFont().desc.style, bits) << weight;
    }
    Cascade c("span { font-family: \"Foo\", monospace; text-decoration: line-through }"
              "em { font-family: NoSuchFace; text-decoration: underline }");
    TProperties& span = c.push("span");
    EXPECT_EQ(span.GetFont().desc.name, "Courier New");
    EXPECT_EQ(span.GetFont().desc.style, fsStrikeOut);
    // A list without an installed face keeps the face in force.
    TProperties& em = c.push("em");
    EXPECT_EQ(em.GetFont().desc.name, "Courier New");
    EXPECT_EQ(em.GetFont().desc.style, fsItalic | fsUnderline);
    EXPECT_EQ(FirstInstalledFace("'Arial', serif"), "Arial");
    EXPECT_EQ(FirstInstalledFace("cursive, Sans-Serif"), "Arial");
    EXPECT_EQ(FirstInstalledFace("nothing"), "");
}

TEST(Properties, ColourParsing) {
    EXPECT_EQ(parsed("#f00"), kRed | PaletteRelative);
    EXPECT_EQ(parsed("f00"), kRed | PaletteRelative);
    EXPECT_EQ(parsed("#FF0000"), kRed | PaletteRelative);
    EXPECT_EQ(parsed("  RED "), kRed);
    EXPECT_EQ(parsed("rgb(100%,0,0)"), kRed | PaletteRelative);
    EXPECT_EQ(parsed("rgb(300,-5,0)"), kRed | PaletteRelative);
    EXPECT_EQ(parsed("rgb(10, 20, 30)"), rgb(10, 20, 30) | PaletteRelative);
    EXPECT_EQ(parsed("transparent"), clNone);
    EXPECT_EQ(parsed("navy"), rgb(0, 0, 0x80));
    EXPECT_EQ(parsed("darkgray"), rgb(0xA9, 0xA9, 0xA9));
    EXPECT_EQ(parsed("lightgrey"), rgb(0xD3, 0xD3, 0xD3));
    EXPECT_EQ(parsed("yellowgreen"), rgb(0x9A, 0xCD, 0x32));
    EXPECT_EQ(parsed("ffffff"), rgb(255, 255, 255) | PaletteRelative);
    EXPECT_EQ(parsed("12345"), rgb(0x01, 0x23, 0x45) | PaletteRelative);
    EXPECT_EQ(parsed("f00", true), 0xDEADBEEFu); // strict: no bare hexadecimal
    EXPECT_EQ(parsed("#f00", true), kRed | PaletteRelative);
    EXPECT_EQ(parsed("red", true), kRed);
    for (const char* bad : {"bogus", "", "#", "#1234567", "rgb(1,2,3", "rgb 1,2,3)", "#ggg"}) {
        EXPECT_EQ(parsed(bad), 0xDEADBEEFu) << bad;
    }
    // The one-entry cache does not mix strict and lenient answers.
    EXPECT_EQ(parsed("abc"), rgb(0xAA, 0xBB, 0xCC) | PaletteRelative);
    EXPECT_EQ(parsed("abc", true), 0xDEADBEEFu);
}

TEST(Properties, UnparsableColoursInlineAndInSheets) {
    TProperties inlineStyle;
    ParseInlineStyle("color: bogus; background-color: bogus", inlineStyle);
    EXPECT_EQ(intProp(inlineStyle, piColor), 0);
    EXPECT_EQ(Color(intProp(inlineStyle, piBackgroundColor)), clNone);
    Cascade c("span { color: bogus }");
    ASSERT_NE(c.styles.Find("span"), nullptr);
    EXPECT_TRUE(isEmptyValue(c.styles.Find("span")->Props[piColor])); // no colour: nothing stored
    EXPECT_EQ(intProp(c.push("span"), piColor), 0);                   // the inherited black
}

TEST(Properties, BackgroundColourIsTakenOnlyWhenSetOnTheElement) {
    Cascade c("div { background-color: #00f } span { background-color: red }");
    TProperties& div = c.push("div");
    EXPECT_EQ(div.GetBackgroundColor(), rgb(0, 0, 255) | PaletteRelative);
    EXPECT_EQ(div.BackColor, clNone);
    div.TakeBackColor();
    EXPECT_EQ(div.BackColor, rgb(0, 0, 255) | PaletteRelative);
    TProperties& b = c.push("b");
    EXPECT_EQ(b.BackColor, rgb(0, 0, 255) | PaletteRelative); // inherited
    EXPECT_EQ(b.GetBackgroundColor(), clNone);
    EXPECT_EQ(b.GetFont().bgColor, rgb(0, 0, 255) | PaletteRelative);
}

TEST(Properties, LinkFontsForTheFourStates) {
    Cascade c;
    TProperties& a = c.push("a", {}, {}, nullptr, "link");
    ASSERT_TRUE(a.HasLinkFonts);
    const auto& f = a.LinkFontInfo->Ar;
    EXPECT_EQ(f[0].Color, rgb(0, 0, 255) | PaletteRelative);
    EXPECT_EQ(f[0].Style, fsUnderline);
    EXPECT_EQ(f[1].Color, rgb(128, 0, 128) | PaletteRelative);
    EXPECT_EQ(f[2].Color, rgb(0, 0, 255) | PaletteRelative);
    EXPECT_EQ(f[3].Color, rgb(0, 0, 255) | PaletteRelative); // hover wins over visited
    // An element inside the link keeps the link's fonts and adds its own.
    TProperties& b = c.push("b");
    ASSERT_TRUE(b.HasLinkFonts);
    EXPECT_EQ(b.LinkFontInfo->Ar[1].Color, rgb(128, 0, 128) | PaletteRelative);
    EXPECT_EQ(b.LinkFontInfo->Ar[1].Style, fsUnderline | fsBold);
    // Closing the link takes them away again.
    c.stack.PopElement("a");
    EXPECT_FALSE(c.top().HasLinkFonts);
}

TEST(Properties, LinkInsideColouredFontTakesTheLinkColours) {
    Cascade c;
    TProperties& font = c.push("font");
    font.AssignProp(piColor, int32_t(kRed));
    TProperties& a = c.push("a", {}, {}, nullptr, "link");
    EXPECT_EQ(a.LinkFontInfo->Ar[0].Color, rgb(0, 0, 255) | PaletteRelative);
    // A FONT inside the link recolours all four states.
    TProperties& inner = c.push("font");
    inner.AssignProp(piColor, int32_t(kRed));
    for (const ThtFontInfo& f : inner.LinkFontInfo->Ar) {
        EXPECT_EQ(f.Color, kRed);
    }
}

TEST(Properties, RepeatedElementsComputeWhatTheirOwnParentHandsDown) {
    // The second and later of the same element on a like parent are copies of the first: any
    // difference in the parent, however it was made, and any change of the sheet must show.
    Cascade c;
    const auto pushOn = [&c](Color color, bool italicWrittenDirectly) {
        TProperties& font = c.push("font");
        if (italicWrittenDirectly) {
            font.Props[piFontStyle] = std::string("italic");
        }
        font.AssignProp(piColor, int32_t(color));
        TProperties& b = c.push("b");
        TProperties& a = c.push("a", {}, {}, nullptr, "link");
        EXPECT_EQ(a.Parent, &b);
        const std::pair<FontChoice, ThtFontInfo> seen{b.GetFont(), a.LinkFontInfo->Ar[1]};
        c.stack.PopTo(1);
        return seen;
    };
    const auto first = pushOn(kRed, false);
    EXPECT_EQ(first.first.color, kRed);
    EXPECT_EQ(pushOn(kRed, false), first);
    EXPECT_EQ(pushOn(rgb(0, 128, 0), false).first.color, rgb(0, 128, 0));
    const auto italic = pushOn(kRed, true);
    EXPECT_EQ(italic.first.desc.style, fsBold | fsItalic);
    EXPECT_TRUE(italic.second.Style & fsItalic);
    c.styles.AddModifyProp("b", "font-size", "20pt");
    const auto larger = pushOn(kRed, false);
    EXPECT_EQ(larger.first.desc.height, 27);
    EXPECT_EQ(larger.second.Size, 20);
    EXPECT_EQ(pushOn(kRed, false), larger);
}

TEST(Properties, AnEntryWrittenAfterItWasPushedIsNotReusedAsACopy) {
    // Entries are recycled, and one that still holds the values a push would copy is not copied
    // again: a write of any kind must end that, or the next element would see it.
    Cascade c;
    c.push("b").Props[piFontWeight] = std::string("normal");
    c.stack.Pop();
    EXPECT_EQ(stringOf(c.push("b").Props[piFontWeight]), "bold");
    c.top().AssignProp(piColor, int32_t(kRed));
    c.stack.Pop();
    TProperties& again = c.push("b");
    EXPECT_NE(intProp(again, piColor), int32_t(kRed));
    EXPECT_EQ(again.GetFont().desc.style, fsBold);
    // A parent changed in place hands down its change, however many copies came before.
    c.push("i");
    c.stack.Pop();
    again.Props[piColor] = int32_t(kRed);
    EXPECT_EQ(intProp(c.push("i"), piColor), int32_t(kRed));
}

TEST(Properties, LinkPseudoClassRulesPropagate) {
    {
        Cascade c(":link { color: red }");
        const auto& f = c.push("a", {}, {}, nullptr, "link").LinkFontInfo->Ar;
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(f[size_t(i)].Color, kRed) << i;
        }
    }
    {
        Cascade c(":link { color: red } :visited { color: lime }");
        const auto& f = c.push("a", {}, {}, nullptr, "link").LinkFontInfo->Ar;
        EXPECT_EQ(f[0].Color, kRed);
        EXPECT_EQ(f[1].Color, rgb(0, 255, 0));
        EXPECT_EQ(f[2].Color, rgb(0, 255, 0)); // :visited also recolours the hover entry
        EXPECT_EQ(f[3].Color, rgb(0, 255, 0));
    }
    {
        Cascade c(":link { color: red } a:hover { color: blue; text-decoration: none }");
        EXPECT_TRUE(c.styles.UsesHover);
        const auto& f = c.push("a", {}, {}, nullptr, "link").LinkFontInfo->Ar;
        EXPECT_EQ(f[1].Color, kRed);
        EXPECT_EQ(f[2].Color, rgb(0, 0, 255));
        EXPECT_EQ(f[2].Style, 0);
        EXPECT_EQ(f[3].Color, rgb(0, 0, 255));
    }
}

TEST(Properties, BoxMetrics) {
    Cascade c("div { margin: 10px auto 2em 50%; padding: 1in; border-style: solid; border-width: thin 3px;"
              "border-bottom-style: none; width: 25%; left: 1xx; height: 50% }");
    const TMarginArray m = c.push("div").GetBoxMetrics(400, 200);
    EXPECT_EQ(m[piMarginTop], 10);
    EXPECT_EQ(m[piMarginRight], AutoResult);
    EXPECT_EQ(m[piMarginBottom], 32);
    EXPECT_EQ(m[piMarginLeft], 200);
    EXPECT_EQ(m[piPaddingTop], 96);
    EXPECT_EQ(m[piBorderTopWidth], 2);
    EXPECT_EQ(m[piBorderRightWidth], 3);
    EXPECT_EQ(m[piBorderBottomWidth], 0); // its side has no style
    EXPECT_EQ(m[piBorderBottomStyle], 0);
    EXPECT_EQ(m[piBorderLeftStyle], 1);
    EXPECT_EQ(m[piWidth], 100);
    EXPECT_EQ(m[piHeight], 100);
    EXPECT_EQ(m[piLeft], AutoResult);
    EXPECT_EQ(m[piTop], AutoResult);
    EXPECT_EQ(m.autoCount, 1);
    EXPECT_EQ(Color(m[piBackgroundColor]), clNone);

    Cascade plain("span { border-style: dotted }");
    const TMarginArray n = plain.push("span").GetBoxMetrics(400, 200);
    EXPECT_EQ(n[piMarginLeft], 0);
    EXPECT_EQ(n[piBorderTopWidth], 4);
    EXPECT_EQ(n[piWidth], AutoResult);
    EXPECT_EQ(n[piHeight], 0);
    EXPECT_EQ(n.autoCount, 1);
    EXPECT_TRUE(plain.top().HasBorderStyle());
}

TEST(Properties, LengthsLineHeightAndSmallQueries) {
    EXPECT_EQ(LengthToPixels("1.5em", 0, 16, 8, -1), 24);
    EXPECT_EQ(LengthToPixels("2ex", 0, 16, 8, -1), 16);
    EXPECT_EQ(LengthToPixels("12pt", 0, 16, 8, -1), 16);
    EXPECT_EQ(LengthToPixels("1pc", 0, 16, 8, -1), 16);
    EXPECT_EQ(LengthToPixels("10%", 300, 16, 8, -1), 30);
    EXPECT_EQ(LengthToPixels("3", 10, 16, 8, -1), 3);
    EXPECT_EQ(LengthToPixels("3", 10, 16, 8, -1, true), 30);
    EXPECT_EQ(LengthToPixels("3zz", 10, 16, 8, -1), -1);
    EXPECT_EQ(LengthToPixels("auto", 10, 16, 8, -1), -1);

    Cascade c("p { line-height: 1.5 } div { line-height: 20px; vertical-align: text-top; float: right;"
              "clear: both; position: relative; visibility: hidden; z-index: 4; list-style: square }"
              "span { line-height: 150%; background: url('img/a b.gif') no-repeat right top }");
    EXPECT_EQ(c.push("p").GetLineHeight(20), 30);
    c.stack.PopElement("p");
    TProperties& div = c.push("div");
    EXPECT_EQ(div.GetLineHeight(20), 20);
    AlignmentType align = AlignmentType::None;
    EXPECT_TRUE(div.GetVerticalAlign(align));
    EXPECT_EQ(align, AlignmentType::Top);
    EXPECT_TRUE(div.GetFloat(align));
    EXPECT_EQ(align, AlignmentType::Right);
    ClearType clear = ClearType::None;
    EXPECT_TRUE(div.GetClear(clear));
    EXPECT_EQ(clear, ClearType::Both);
    EXPECT_EQ(div.GetPosition(), PositionType::Relative);
    EXPECT_TRUE(div.IsHidden());
    EXPECT_EQ(div.GetZIndex(), 4);
    EXPECT_EQ(div.GetListStyleType(), ListStyleType::Square);
    TProperties& span = c.push("span");
    EXPECT_EQ(span.GetLineHeight(20), 24);
    EXPECT_EQ(span.GetZIndex(), 4); // inherited
    EXPECT_FALSE(span.GetFloat(align));
    std::string image;
    EXPECT_TRUE(span.GetBackgroundImage(image));
    EXPECT_EQ(image, "img/a b.gif");
    const TBackgroundPosition bp = span.GetBackgroundPosition();
    EXPECT_EQ(bp.x.kind, BgPlacement::BottomRight); // "right top": swapped
    EXPECT_EQ(bp.y.kind, BgPlacement::TopLeft);
    EXPECT_FALSE(bp.repeatX);
    EXPECT_FALSE(bp.repeatY);
    EXPECT_EQ(TBackgroundPosition::Offset(bp.x, 100, 30), 70);
}

TEST(Properties, BackgroundPositionWords) {
    const auto position = [](const char* value) {
        TProperties p;
        p.SetPropByName("background-position", value);
        return p.GetBackgroundPosition();
    };
    EXPECT_EQ(position("center").x.kind, BgPlacement::Center);
    EXPECT_EQ(position("center").y.kind, BgPlacement::Center);
    const TBackgroundPosition pct = position("25% 10px");
    EXPECT_EQ(pct.x.kind, BgPlacement::Percent);
    EXPECT_EQ(TBackgroundPosition::Offset(pct.x, 200, 100), 25);
    EXPECT_EQ(pct.y.kind, BgPlacement::Length);
    EXPECT_EQ(pct.y.value, 10);
    const TBackgroundPosition top = position("bottom center");
    EXPECT_EQ(top.y.kind, BgPlacement::BottomRight);
    EXPECT_EQ(top.x.kind, BgPlacement::Center);
    const TBackgroundPosition none = position("");
    EXPECT_EQ(none.x.kind, BgPlacement::TopLeft);
    EXPECT_TRUE(none.repeatX && none.repeatY);
}

TEST(Properties, CharacterSets) {
    TProperties p;
    p.SetCharSetByName("russian_charset");
    EXPECT_EQ(p.CharSet, 204);
    p.SetCharSetByName("nonsense");
    EXPECT_EQ(p.CharSet, 204);
    p.SetCharSetByContentType("text/html; charset=ISO-8859-7");
    EXPECT_EQ(p.CharSet, 161);
    p.SetCharSetByContentType("text/html; charset=UTF-8");
    EXPECT_EQ(p.CharSet, 1);
    p.SetCharSetByContentType("text/html; charset=koi8-r");
    EXPECT_EQ(p.CharSet, 204);
    p.SetCharSetByContentType("text/plain");
    EXPECT_EQ(p.CharSet, 204);
    // A character set set on an element survives re-inheriting.
    Cascade c;
    c.push("b");
    c.push("font").SetCharSetByName("GREEK_CHARSET");
    c.stack.PopElement("b");
    EXPECT_EQ(c.top().CharSet, 161);
    EXPECT_EQ(c.top().GetFont().desc.charSet, 161);
}
