// The documents Tavlin mostly shows: a listing written by the converter, the main window's help
// page and a bookmark file as browsers export it today. Their structure, and their layout on the
// real canvas (Liberation faces) at 600 pixels.
#include "platform/System.h"
#include "platform/qt/QtCanvas.h"
#include "tests/builder/BuilderTestUtil.h"
#include "tests/support/QtTestApp.h"

#include "app/gui/HelpPage.cpp" // the help page's lines, as the main window hands them to the viewer

#include <gtest/gtest.h>

#include <functional>

namespace tavlin::test {
namespace {

constexpr int kWidth = 600;

class BuilderDocuments : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApplication();
        ViewerDefaults(doc);
        surface = std::make_unique<ImageCanvas>(1, 1);
    }
    void LoadFile(const std::string& name, const TParseOptions& options = {}) {
        result = ParseHtmlFromFile(doc, std::string(TAVLIN_TEST_DATA) + "/" + name, options);
        LayOut();
    }
    void LayOut() {
        int counter = 0;
        height = doc.Layout(surface->canvas(), 0, kWidth, 600, scrollWidth, counter);
    }
    int WidthOf(const TSection& s) { return s.TextWidth(surface->canvas(), 0, s.Len(), true); }
    TCellBasic& Body() { return dynamic_cast<TBlock&>(doc[0]).Content; }

    // Every section of a kind in document order.
    template <typename T> std::vector<T*> All() {
        std::vector<T*> found;
        std::function<void(const TCellBasic&)> walk = [&](const TCellBasic& cell) {
            for (int i = 0; i < cell.Count(); ++i) {
                if (auto* s = dynamic_cast<T*>(&cell[i])) {
                    found.push_back(s);
                }
                if (auto* block = dynamic_cast<TBlock*>(&cell[i])) {
                    walk(block->Content);
                }
            }
        };
        walk(doc);
        return found;
    }
    // The text section whose text starts with `prefix`.
    TSection& TextStarting(std::string_view prefix) {
        for (TSection* s : All<TSection>()) {
            if (std::string_view(s->Text()).substr(0, prefix.size()) == prefix) {
                return *s;
            }
        }
        ADD_FAILURE() << "no section starts with " << prefix;
        throw std::runtime_error("missing section");
    }
    // The text of a section's runs that carry links, with their addresses.
    static std::vector<std::string> Links(const TSection& s) {
        std::vector<std::string> links;
        for (int i = 0; i < s.FontRuns.Count(); ++i) {
            const TFontObj& run = s.FontRuns[i];
            const int end = s.FontRuns.EndOf(i, s.Len());
            if (run.HasLink() && end > run.Pos) {
                links.push_back(std::string(s.Text().substr(size_t(run.Pos), size_t(end - run.Pos))) +
                                " -> " + std::string(s.LinkOf(run).Url));
            }
        }
        return links;
    }

    std::unique_ptr<ImageCanvas> surface;
    TSectionList doc;
    TParseResult result;
    int height = 0;
    int scrollWidth = 0;
};

TEST_F(BuilderDocuments, ConverterListing) {
    LoadFile("documents/chrome_listing.htm");
    EXPECT_EQ(Shape(doc),
              "body(h2('My Links') '\\8Bookmarks ' dl('\\8Bookmarks bar ' dl(dt('Example Domain- "
              "https://example.org/ "
              "Read later ' h3('Recipes') '\\8' dl(h3('Soups') '\\8' dl(dt('Tomato & basil- "
              "https://cooking.example.com/soup?id=42&lang=en ')) '\\8') '\\8')) '\\8' '\\8Other bookmarks ' "
              "dl(dt('Blank address- ')) '\\8') '\\8')");

    // The title stands as plain text, the address twice: as the link and, bold, as its text.
    const TSection& entry = TextStarting("Example Domain");
    EXPECT_EQ(Links(entry), (std::vector<std::string>{" https://example.org/ -> https://example.org/"}));
    const TFontObj& address = entry.FontRuns.GetFontObjAt(16);
    EXPECT_TRUE(address.Font().Desc.bold());
    EXPECT_TRUE(address.Font().Desc.underline());
    EXPECT_EQ(address.Font().FontColor & 0xFFFFFF, rgb(0, 0, 255));
    EXPECT_FALSE(entry.FontRuns.GetFontObjAt(0).HasLink());
    EXPECT_EQ(
        Links(TextStarting("Tomato")).back(),
        " https://cooking.example.com/soup?id=42&lang=en -> https://cooking.example.com/soup?id=42&lang=en");
    // Folder names one size up, bold.
    const TSection& folder = TextStarting("\x08"
                                          "Bookmarks bar");
    EXPECT_EQ(folder.FontRuns.GetFontObjAt(1).Font().Desc.height, pointsToPixels(14));
    EXPECT_TRUE(folder.FontRuns.GetFontObjAt(1).Font().Desc.bold());

    // At 600 pixels: the title centred, every entry on one line, nothing wider than the view.
    const TSection& title = TextStarting("My Links");
    ASSERT_EQ(title.Lines().size(), 1u);
    EXPECT_NEAR(title.Lines()[0].IndentX * 2 + WidthOf(title), kWidth - 20, 1);
    EXPECT_EQ(entry.Lines().size(), 1u);
    EXPECT_EQ(scrollWidth, kWidth);
    for (TBlockLI* item : All<TBlockLI>()) {
        EXPECT_EQ(item->ContentX, item->Content.OwnerTag == "dd" ? 50 : 10);
        EXPECT_EQ(item->ListType(), lkDefinition);
    }
    EXPECT_GT(height, 300);
}

TEST_F(BuilderDocuments, HelpPage) {
    result = ParseHtmlFromStrings(doc, helpPageLines());
    LayOut();
    EXPECT_EQ(doc.Background & 0xFFFFFF, 0xFFFFFFu) << "BODY BGCOLOR";
    const TSection& heading = TextStarting("Tavlin - Find out");
    EXPECT_EQ(heading.FontRuns[0].Font().Desc.height, pointsToPixels(18)) << "FONT SIZE=+2";
    EXPECT_TRUE(heading.FontRuns[0].Font().Desc.bold());
    // Each browser's paragraph starts with its name, blue, bold and underlined.
    for (const char* browser : {"Netscape Users", "Firefox and Chrome Users", "MS Internet Explorer Users"}) {
        const TFontObj& name = TextStarting(browser).FontRuns[0];
        EXPECT_EQ(name.Font().FontColor & 0xFFFFFF, rgb(0, 0, 255)) << browser;
        EXPECT_EQ(name.Font().Desc.style & (fsBold | fsUnderline), fsBold | fsUnderline) << browser;
    }
    // Three numbered lists, each counting from 1, their items 35 pixels in with a marker each.
    std::vector<std::vector<std::string>> labels;
    for (TBlock* block : All<TBlock>()) {
        if (block->Content.OwnerTag != "ol") {
            continue;
        }
        EXPECT_EQ(block->ContentX, 45);
        labels.emplace_back();
        for (int i = 0; i < block->Content.Count(); ++i) {
            const auto& item = At<TBlockLI>(block->Content, i);
            labels.back().push_back(item.MarkerLabel());
            EXPECT_GT(item.FirstBaseline, item.ContentY());
            EXPECT_LE(item.FirstBaseline, item.ContentY() + 20);
        }
    }
    EXPECT_EQ(labels,
              (std::vector<std::vector<std::string>>{
                  {"1.", "2.", "3.", "4."}, {"1.", "2.", "3."}, {"1.", "2.", "3.", "4.", "5.", "6."}}));
    // The rule is 70% of the column, centred.
    const std::vector<THRBlock*> rules = All<THRBlock>();
    ASSERT_EQ(rules.size(), 1u);
    EXPECT_EQ(rules[0]->Rule->RuleWidth, 406);
    EXPECT_EQ(rules[0]->Rule->RuleX, 10 + (580 - 406) / 2);
    const TSection& version = TextStarting("Tavlin ver 5.00");
    EXPECT_EQ(version.Justify, 2);
    EXPECT_NEAR(version.Lines()[0].IndentX * 2 + WidthOf(version), 580, 1);
    EXPECT_EQ(scrollWidth, kWidth);
}

TEST_F(BuilderDocuments, BookmarkFileAsBrowsersExportIt) {
    std::vector<std::string> metas;
    TParseOptions options;
    options.OnMeta = [&](const std::string& e, const std::string&, const std::string& c) {
        metas.push_back(e + ": " + c);
    };
    LoadFile("bookmarks/chrome_crlf.html", options);
    EXPECT_EQ(result.DocTitle, "Bookmarks");
    EXPECT_EQ(metas, (std::vector<std::string>{"Content-Type: text/html; charset=UTF-8"}));
    // Folders are headings inside their DT, their entries a list inside the same item; the <p>
    // after each <DL> is an empty paragraph.
    EXPECT_EQ(Shape(doc),
              "default(h1('Bookmarks') dl(p() dt(h3('Bookmarks bar') dl(p() dt('Example Domain ') "
              "dt(h3('Read later') dl(p()) p()) dt(h3('Recipes') dl(p() dt(h3('Soups') dl(p() "
              "dt('Tomato & basil ')) p())) p())) p()) dt(h3('Other bookmarks') dl(p() "
              "dt('Blank address ') dt()) p())) p())");
    EXPECT_EQ(Links(TextStarting("Example Domain")),
              (std::vector<std::string>{"Example Domain -> https://example.org/"}));
    EXPECT_EQ(Links(TextStarting("Tomato")),
              (std::vector<std::string>{"Tomato & basil -> https://cooking.example.com/soup?id=42&lang=en"}));
    EXPECT_TRUE(Links(TextStarting("Blank address")).empty()) << "an empty HREF links nowhere";
    const TSection& h1 = TextStarting("Bookmarks");
    EXPECT_EQ(h1.FontRuns[0].Font().Desc.height, pointsToPixels(24));
    // Nested lists are not indented (a DL keeps no left margin); the empty paragraph after <DL>
    // gives the space before the first entry.
    for (TBlockLI* item : All<TBlockLI>()) {
        EXPECT_EQ(item->ContentX, 10);
    }
    const auto& list = At<TBlock>(Body(), 1);
    const auto& toolbar = At<TBlockLI>(list.Content, 1);
    EXPECT_EQ(toolbar.ContentY(), list.ContentY() + 14);
    EXPECT_EQ(At<TBlock>(toolbar.Content, 0).MarginTop(), 0) << "the heading is the first block of its item";
    EXPECT_EQ(scrollWidth, kWidth);
}

} // namespace
} // namespace tavlin::test
