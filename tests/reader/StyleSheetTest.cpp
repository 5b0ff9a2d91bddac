#include "reader/StyleSheet.h"
#include "reader/Attributes.h"
#include "reader/HtmlReader.h"
#include "reader/IDNames.h"

#include <gtest/gtest.h>

#include <map>

using namespace tavlin;

namespace {

// Every stored declaration of a sheet as "key/property=value", for comparing whole sheets.
std::map<std::string, std::string> declarations(const TStyleList& styles) {
    std::map<std::string, std::string> out;
    for (const auto& [sortKey, entry] : styles) {
        const TProperties& p = *entry.props;
        for (int prop = 0; prop < PropCount; ++prop) {
            const PropValue& v = p.Props[size_t(prop)];
            std::string text;
            if (const auto* s = std::get_if<std::string>(&v)) {
                text = *s;
            } else if (const auto* n = std::get_if<int32_t>(&v)) {
                if (*n == NotSet) {
                    continue;
                }
                text = "#" + std::to_string(*n);
            } else if (const auto* d = std::get_if<double>(&v)) {
                text = std::to_string(*d);
            } else {
                continue;
            }
            out[entry.key + "/" + std::string(PropertyName(prop))] = text;
        }
    }
    return out;
}

std::map<std::string, std::string> parse(std::string_view sheet, std::string_view base = {}) {
    TStyleList styles;
    ParseStyleSheetText(styles, sheet, base);
    return declarations(styles);
}

std::string colorOf(Color c) {
    return "#" + std::to_string(int32_t(c));
}

} // namespace

TEST(StyleSheet, SelectorGroupsCaseAndComments) {
    const auto d = parse("/* a */ h1, H2 {COLOR: RED} /* b */ p{font-family:'Times New Roman'}");
    EXPECT_EQ(d.at("h1/color"), colorOf(rgb(255, 0, 0)));
    EXPECT_EQ(d.at("h2/color"), colorOf(rgb(255, 0, 0)));
    EXPECT_EQ(d.at("p/font-family"), "times new roman");
    EXPECT_EQ(d.size(), 3u);
}

TEST(StyleSheet, AtRulesCutSelectorsAndStrayCharacters) {
    const auto d = parse("@import url(x.css); @media print { p { color: red } } a > b { color: blue }"
                         "td { color: lime ; ; bogus-prop: 1; width: 5px !important } } ; th { color: red }"
                         "ol { color: red }");
    EXPECT_EQ(d.count("p/color"), 0u);
    EXPECT_EQ(d.at("a/color"), colorOf(rgb(0, 0, 255)));
    EXPECT_EQ(d.at("td/color"), colorOf(rgb(0, 255, 0)));
    EXPECT_EQ(d.at("td/width"), "5px !important");
    // A stray closing brace costs the rule after it, not the rest of the sheet.
    EXPECT_EQ(d.count("th/color"), 0u);
    EXPECT_EQ(d.at("ol/color"), colorOf(rgb(255, 0, 0)));
    EXPECT_EQ(d.size(), 4u);
}

TEST(StyleSheet, StyleElementReadsFromTheTokenizerAndStopsAtTheClosingTag) {
    THtmlReader r;
    TStyleList styles;
    r.LoadFromBuffer("<STYLE><!--\r\np { color: red }\r\n--></STYLE>after");
    r.Advance();
    r.NextToken();
    ASSERT_EQ(r.CurSym, tagSTYLE);
    const char stop = ParseStyleSheet(
        styles, r.CurCh,
        [&r] {
            r.NextCh();
            return r.CurCh;
        },
        {}, [&r] { return r.PeekRawChar(); });
    EXPECT_EQ(stop, '<');
    ASSERT_NE(styles.Find("p"), nullptr);
    // The builder goes on from the '<' of the closing tag.
    r.CurCh = '<';
    r.NextToken();
    EXPECT_EQ(r.CurSym, endSTYLE);
    r.NextToken();
    EXPECT_EQ(r.Token.AsString(), "after");
}

TEST(StyleSheet, EmptyStyleElementDoesNotSwallowWhatFollows) {
    TStyleList styles;
    std::string text = "</STYLE>text{x:y}";
    size_t i = 0;
    const char stop = ParseStyleSheet(
        styles, '>', [&] { return i < text.size() ? text[i++] : char(26); }, {},
        [&] { return i < text.size() ? text[i] : char(26); });
    EXPECT_EQ(stop, '<');
    EXPECT_EQ(i, 1u); // the '<' was the last character taken
    EXPECT_EQ(styles.Count(), 0);
}

TEST(StyleSheet, EndsAtTheEndMarkerInsideAnythingOpen) {
    for (const char* sheet : {"p { color: red", "p { color", "p {", "p", "/* open", "@media { p {",
                              "p { a: '", "{{{{{{{{{{{{{{{{{{{{", "}}}}}}}}", "@@@@", "p{color:red}/", "/"}) {
        TStyleList styles;
        ParseStyleSheetText(styles, sheet, {});
    }
    const auto d = parse("p { color: red");
    EXPECT_EQ(d.at("p/color"), colorOf(rgb(255, 0, 0)));
    // Deep nesting costs no recursion.
    TStyleList styles;
    ParseStyleSheetText(styles, std::string(200000, '{') + "p{color:red}" + std::string(200000, '}'), {});
    ParseStyleSheetText(styles, "@media " + std::string(200000, '{') + " x", {});
}

TEST(StyleSheet, MarginPaddingAndBorderWidthShorthands) {
    auto d = parse("p { margin: 1em 2em } div { margin: 1px 2px 3px } td { padding: 4px } "
                   "th { border-width: 1px 2px 3px 4px 5px }");
    EXPECT_EQ(d.at("p/margin-top"), "1em");
    EXPECT_EQ(d.at("p/margin-bottom"), "1em");
    EXPECT_EQ(d.at("p/margin-right"), "2em");
    EXPECT_EQ(d.at("p/margin-left"), "2em");
    EXPECT_EQ(d.at("div/margin-top"), "1px");
    EXPECT_EQ(d.at("div/margin-right"), "2px");
    EXPECT_EQ(d.at("div/margin-left"), "2px");
    EXPECT_EQ(d.at("div/margin-bottom"), "3px");
    for (const char* side : {"top", "right", "bottom", "left"}) {
        EXPECT_EQ(d.at(std::string("td/padding-") + side), "4px");
    }
    EXPECT_EQ(d.at("th/border-top-width"), "1px");
    EXPECT_EQ(d.at("th/border-right-width"), "2px");
    EXPECT_EQ(d.at("th/border-bottom-width"), "3px");
    EXPECT_EQ(d.at("th/border-left-width"), "4px");
}

TEST(StyleSheet, BorderShorthands) {
    auto d = parse("td { border: 2px solid #ff0000 } p { border-top: 1px dotted } "
                   "div { border-left: rgb(0, 0, 255) thick; border-right: f00 }");
    for (const char* side : {"top", "right", "bottom", "left"}) {
        EXPECT_EQ(d.at(std::string("td/border-") + side + "-width"), "2px");
        EXPECT_EQ(d.at(std::string("td/border-") + side + "-style"), "solid");
    }
    EXPECT_EQ(d.at("td/border-style"), "solid");
    EXPECT_EQ(d.at("td/border-color"), colorOf(rgb(255, 0, 0) | PaletteRelative));
    EXPECT_EQ(d.at("p/border-top-width"), "1px");
    EXPECT_EQ(d.at("p/border-top-style"), "dotted");
    EXPECT_EQ(d.at("p/border-style"), "dotted");
    EXPECT_EQ(d.count("p/border-bottom-style"), 0u);
    EXPECT_EQ(d.at("div/border-color"), colorOf(rgb(0, 0, 255) | PaletteRelative));
    EXPECT_EQ(d.at("div/border-left-width"), "thick");
    EXPECT_EQ(d.at("div/border-right-width"), "f00"); // strict: bare hex is no colour here
}

TEST(StyleSheet, FontShorthand) {
    auto d = parse(
        "p { font: italic bold 12pt/14pt arial } h1 { font: small-caps larger \"Courier New\", serif }");
    EXPECT_EQ(d.at("p/font-style"), "italic");
    EXPECT_EQ(d.at("p/font-weight"), "bold");
    EXPECT_EQ(d.at("p/font-size"), "12pt");
    EXPECT_EQ(d.at("p/line-height"), "14pt");
    EXPECT_EQ(d.at("p/font-family"), "arial");
    EXPECT_EQ(d.at("h1/font-size"), "larger");
    EXPECT_EQ(d.at("h1/font-family"), "\"courier new\",serif");
    EXPECT_EQ(d.count("h1/font-weight"), 0u); // small-caps names no property
}

TEST(StyleSheet, BackgroundAndListStyleShorthands) {
    auto d = parse("body { background: url(img/bg.gif) no-repeat } "
                   "div { background: #fff url(\"../x.gif\") repeat-x center top } "
                   "td { background: rgb(1,2,3) transparent none } "
                   "ul { list-style: url(dot.gif) square }",
                   "http://host/styles/sub/");
    EXPECT_EQ(d.at("body/background-image"), "url(http://host/styles/sub/img/bg.gif)");
    EXPECT_EQ(d.at("body/background-repeat"), "no-repeat");
    EXPECT_EQ(d.at("div/background-image"), "url(http://host/styles/x.gif)");
    EXPECT_EQ(d.at("div/background-color"), colorOf(rgb(255, 255, 255) | PaletteRelative));
    EXPECT_EQ(d.at("div/background-repeat"), "repeat-x");
    EXPECT_EQ(d.at("div/background-position"), "center top");
    EXPECT_EQ(d.at("td/background-color"), colorOf(clNone)); // the later word wins
    EXPECT_EQ(d.at("td/background-image"), "none");
    EXPECT_EQ(d.at("ul/list-style-image"), "url(http://host/styles/sub/dot.gif)");
    EXPECT_EQ(d.at("ul/list-style-type"), "square");
    // Without a base nothing is resolved.
    EXPECT_EQ(parse("p { background-image: url(a.gif) }").at("p/background-image"), "url(a.gif)");
}

TEST(StyleSheet, InlineStyles) {
    TProperties p;
    ParseInlineStyle("COLOR: Red; font-size: 150%;\r\nmargin: 1px 2px; border-style: solid; "
                     "border-left-style: dashed; font: bold 'x y'; visibility: hidden; nonsense; :; x:",
                     p);
    EXPECT_EQ(std::get<int32_t>(p.Props[piColor]), int32_t(rgb(255, 0, 0)));
    EXPECT_EQ(stringOf(p.Props[piFontSize]), "150%");
    EXPECT_EQ(stringOf(p.Props[piMarginLeft]), "2px");
    EXPECT_EQ(stringOf(p.Props[piBorderTopStyle]), "solid");
    EXPECT_EQ(stringOf(p.Props[piBorderLeftStyle]), "dashed");
    EXPECT_EQ(stringOf(p.Props[piBorderStyle]), "dashed");
    EXPECT_EQ(stringOf(p.Props[piFontWeight]), "bold");
    EXPECT_EQ(stringOf(p.Props[piFontFamily]), "'x y'");
    EXPECT_EQ(std::get<int32_t>(p.Props[piVisibility]), 1);
}

TEST(StyleSheet, StyleAttributeBeatsClassRules) {
    TStyleList styles;
    styles.LoadDefaults(TStyleDefaults{});
    ParseStyleSheetText(styles, ".c { color: blue; font-size: 8pt }", {});
    TPropStack stack;
    stack.SetStyleList(&styles);
    stack.PushRoot();
    TAttributeList attrs;
    attrs.Add({attrCLASS, "C", 0});
    attrs.Add({attrSTYLE, "color: red; font-size: 150%", 0});
    TProperties& span =
        stack.PushElement("span", attrs.ClassValue(), attrs.IdValue(), attrs.StyleProperties(), {});
    EXPECT_EQ(std::get<int32_t>(span.Props[piColor]), int32_t(rgb(255, 0, 0)));
    EXPECT_DOUBLE_EQ(std::get<double>(span.Props[piFontSize]), 18);
    ASSERT_NE(span.InlineStyle, nullptr);
    attrs.Clear();
    EXPECT_EQ(attrs.StyleProperties(), nullptr);
    EXPECT_EQ(span.GetFont().desc.height, 24); // the entry keeps its own copy
}

TEST(StyleSheet, ContextualKeysAndTheirOrder) {
    TStyleList styles;
    EXPECT_EQ(styles.SelectorKey("div ul li"), "li 210ul div ");
    EXPECT_EQ(styles.SelectorKey("  P  "), "p");
    EXPECT_EQ(styles.SelectorKey("a b"), "b 111a ");
    styles.Clear();
    // Fewer ancestors first, then the order written, also past the hundredth rule.
    std::string sheet = "div ul li { color: red } ";
    for (int i = 0; i < 120; ++i) {
        sheet += "x" + std::to_string(i) + " li { color: blue } ";
    }
    sheet += "ol li { color: green }";
    ParseStyleSheetText(styles, sheet, {});
    std::vector<std::string> liKeys;
    for (const auto& [sortKey, entry] : styles) {
        if (entry.key.starts_with("li ")) {
            liKeys.push_back(entry.key);
        }
    }
    ASSERT_EQ(liKeys.size(), 122u);
    EXPECT_EQ(liKeys.front(), "li 111x0 ");
    EXPECT_EQ(liKeys[120], "li 1131ol "); // rule 131 after rule 99
    EXPECT_EQ(liKeys.back(), "li 210ul div ");
}

TEST(StyleSheet, DefaultSheet) {
    TStyleList styles;
    TStyleDefaults d;
    d.DefFontSize = 10;
    d.NoLinkUnderline = true;
    d.DefFontColor = rgb(1, 2, 3);
    styles.LoadDefaults(d);
    ASSERT_NE(styles.DefaultProp(), nullptr);
    EXPECT_EQ(stringOf(styles.DefaultProp()->Props[piFontFamily]), "Times New Roman");
    EXPECT_DOUBLE_EQ(std::get<double>(styles.Find("h1")->Props[piFontSize]), 20);
    EXPECT_DOUBLE_EQ(std::get<double>(styles.Find("pre")->Props[piFontSize]), 10.0 * 10 / 12);
    EXPECT_EQ(stringOf(styles.Find("::link")->Props[piTextDecoration]), "none");
    EXPECT_EQ(std::get<int32_t>(styles.Find("input")->Props[piColor]), int32_t(rgb(1, 2, 3)));
    EXPECT_EQ(stringOf(styles.Find("textarea")->Props[piFontFamily]), "Courier New");
    EXPECT_NE(styles.Find("h6"), styles.Find("h5"));
    styles.SetLinkColor("visited", rgb(9, 9, 9));
    EXPECT_EQ(std::get<int32_t>(styles.Find("::visited")->Props[piColor]), int32_t(rgb(9, 9, 9)));
    TPropStack stack;
    stack.SetStyleList(&styles);
    stack.PushRoot();
    EXPECT_EQ(stack.TopProps().ElemTag, "default");
    EXPECT_EQ(stack.TopProps().GetFont().desc.height, 13); // 10 points
    EXPECT_DOUBLE_EQ(std::get<double>(stack.PushElement("h3", {}, {}, nullptr, {}).Props[piFontSize]),
                     10.0 / 12 * 14);
    EXPECT_DOUBLE_EQ(std::get<double>(stack.PushElement("big", {}, {}, nullptr, {}).Props[piFontSize]),
                     10.0 / 12 * 14 * 1.25);
    // Clearing and reloading starts a fresh sheet.
    ParseStyleSheetText(styles, "a b { color: red }", {});
    styles.LoadDefaults(d);
    EXPECT_EQ(styles.SelectorKey("x y"), "y 110x ");
}

TEST(StyleSheet, UrlResolution) {
    const char* base = "http://host/dir/sub/";
    EXPECT_EQ(ResolveUrlValue("url(a.gif)", base), "url(http://host/dir/sub/a.gif)");
    EXPECT_EQ(ResolveUrlValue("url('../a.gif')", base), "url(http://host/dir/a.gif)");
    EXPECT_EQ(ResolveUrlValue("url(../../../../a.gif)", base), "url(http://host/a.gif)");
    EXPECT_EQ(ResolveUrlValue("url(./x/./a.gif)", base), "url(http://host/dir/sub/x/a.gif)");
    EXPECT_EQ(ResolveUrlValue("url(/top.gif)", base), "url(http://host/top.gif)");
    EXPECT_EQ(ResolveUrlValue("url(ftp://other/a.gif)", base), "url(ftp://other/a.gif)");
    EXPECT_EQ(ResolveUrlValue("url(mailto:x@y)", base), "url(mailto:x@y)");
    EXPECT_EQ(ResolveUrlValue("url(a.gif) no-repeat", "/home/me/css"), "url(/home/me/css/a.gif) no-repeat");
    EXPECT_EQ(ResolveUrlValue("url(/abs/a.gif)", "/home/me/css/"), "url(/abs/a.gif)");
    EXPECT_EQ(ResolveUrlValue("url(a%20b.gif)", "/d/"), "url(/d/a b.gif)");
}

TEST(StyleSheet, UrlToFileName) {
    EXPECT_EQ(HTMLToDos("file:///home/me/a%20b.htm"), "/home/me/a b.htm");
    EXPECT_EQ(HTMLToDos("FILE://home/x.htm"), "home/x.htm");
    EXPECT_EQ(HTMLToDos("a%2541"), "aA"); // a decoded '%' is decoded again
    EXPECT_EQ(HTMLToDos("%41b"), "%41b"); // a '%' in front stops decoding
    EXPECT_EQ(HTMLToDos("a%4"), "a%4");
    EXPECT_EQ(HTMLToDos("a%zz%41"), "a%zz%41");
    EXPECT_EQ(HTMLToDos("plain.htm"), "plain.htm");
    // Long runs of escapes take linear time.
    std::string many = "x";
    for (int i = 0; i < 200000; ++i) {
        many += "%41";
    }
    EXPECT_EQ(HTMLToDos(many).size(), 200001u);
}

TEST(IDNames, LastDefinitionWinsAndMarksAreOwned) {
    struct Locator : TSourcePositionLocator {
        int SourcePosToY(int32_t pos) const override { return pos < 100 ? pos * 2 : -1; }
    } locator;
    struct Anchor : TIDObject {
        int YPosition() const override { return 77; }
    } anchor;
    TIDNameList ids(&locator);
    ids.AddPositionMark("Intro", 10);
    ids.AddPositionMark("far", 500);
    EXPECT_EQ(ids.Find("intro")->YPosition(), 20);
    EXPECT_EQ(ids.Find("FAR")->YPosition(), 0); // not found: 0
    ids.AddObject("INTRO", &anchor);
    EXPECT_EQ(ids.Count(), 2);
    EXPECT_EQ(ids.Find("Intro"), &anchor);
    EXPECT_EQ(ids.Names(), (std::vector<std::string>{"far", "INTRO"})); // the last spelling wins
    ids.RemoveObject(&anchor);
    EXPECT_EQ(ids.Find("intro"), nullptr);
    EXPECT_EQ(ids.Names(), std::vector<std::string>{"far"});
    ids.AddObject("again", &anchor); // the object's earlier name is gone for good
    ids.RemoveObject(&anchor);
    EXPECT_EQ(ids.Count(), 1);
    ids.Clear();
    EXPECT_EQ(ids.Count(), 0);
}

TEST(IDNames, ManyNamesArrivingInReverseOrder) {
    // Each name sorts before all those already kept: adding it must not move them all.
    struct Anchor : TIDObject {
        int YPosition() const override { return 0; }
    } anchor;
    TIDNameList ids;
    for (int i = 200000; i-- > 0;) {
        ids.AddObject("n" + std::to_string(i), &anchor);
    }
    EXPECT_EQ(ids.Count(), 200000);
    EXPECT_EQ(ids.Find("N0"), &anchor);
    ids.RemoveObject(&anchor);
    EXPECT_EQ(ids.Count(), 0);
}

TEST(StyleSheet, ManyRulesArrivingInReverseOrder) {
    // The same for rules; the last of two rules for one class still wins.
    std::string sheet;
    for (int i = 100000; i-- > 0;) {
        sheet += ".c" + std::to_string(i) + " {color: blue}\n";
    }
    sheet += ".c5 {color: red}";
    TStyleList styles;
    ParseStyleSheetText(styles, sheet, {});
    EXPECT_EQ(styles.Count(), 100000);
    EXPECT_EQ(std::get<int32_t>(styles.Find(".c5")->Props[piColor]), int32_t(rgb(255, 0, 0)));
}

TEST(UrlTarget, LinksGetTheirOwnNumbers) {
    TUrlTarget a, b;
    a.Assign("x.htm", "_top");
    b.Assign("y.htm", "");
    EXPECT_EQ(b.LinkId, a.LinkId + 1);
    TUrlTarget c;
    c.Copy(a);
    EXPECT_EQ(c.Url, "x.htm");
    EXPECT_EQ(c.LinkId, a.LinkId);
    c.Clear();
    EXPECT_TRUE(c.Url.empty() && c.Target.empty());
}
