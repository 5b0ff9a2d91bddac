// A document keeps each link once and its runs name it by number.
#include "document/LinkTable.h"
#include "tests/document/DocTestUtil.h"

#include <climits>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

TUrlTarget Link(const std::string& url, const std::string& target = "") {
    TUrlTarget link;
    link.Assign(url, target);
    return link;
}

TEST(LinkTableTest, LinksKeepTheirCharactersAcrossBlocksAndOnlyTheLastIsReused) {
    TLinkTable table;
    const TUrlTarget first = Link("a.htm", "_top");
    EXPECT_EQ(table.Add(first), 1u);
    EXPECT_EQ(table.Add(first), 1u) << "the runs of one link share it";
    EXPECT_EQ(table.Add(Link("")), TLinkTable::kNoLink);
    // Enough links to fill several blocks, with addresses larger than a block among them, and
    // neighbours that start alike, by a little or by a long way.
    std::vector<TUrlTarget> links;
    const std::string large(200000, 'u');
    for (int i = 0; i < 4000; ++i) {
        links.push_back(i % 1000 == 7   ? Link(large, "_blank")
                        : i % 1000 == 8 ? Link(large + "/more")
                                        : Link("page" + std::to_string(i) + ".htm"));
        EXPECT_EQ(table.Add(links.back()), uint32_t(i) + 2);
    }
    EXPECT_EQ(table[1].Url, "a.htm");
    EXPECT_EQ(table[1].Target, "_top");
    EXPECT_EQ(table[1].LinkId, first.LinkId);
    for (size_t i = 0; i < links.size(); ++i) {
        ASSERT_TRUE(table[uint32_t(i) + 2].Is(links[i])) << i;
    }
    EXPECT_EQ(table.Add(first), 4002u) << "a link asked again after others is kept again";
    EXPECT_TRUE(table[TLinkTable::kNoLink].Url.empty());
    EXPECT_TRUE(table[table.Count() + 1].Url.empty());
}

TEST(LinkTableTest, EachLinkKeepsTheReadersNumberHoweverTheNumbersRun) {
    // Mostly one after another, as the reader hands them out; but also repeated, skipping, going
    // back and at the ends of the range.
    std::vector<int32_t> ids{5, 6, 7, 9, 9, 3, 4, INT32_MAX, INT32_MIN, INT32_MIN + 1, 0};
    for (int32_t id = 100; id < 140; ++id) {
        ids.push_back(id);
    }
    TLinkTable table;
    for (size_t i = 0; i < ids.size(); ++i) {
        TUrlTarget link;
        link.Url = "page" + std::to_string(i) + ".htm";
        link.LinkId = ids[i];
        ASSERT_EQ(table.Add(link), uint32_t(i) + 1);
    }
    for (size_t i = 0; i < ids.size(); ++i) {
        const uint32_t number = uint32_t(i) + 1;
        EXPECT_EQ(table.LinkIdOf(number), ids[i]) << i;
        EXPECT_EQ(table[number].LinkId, ids[i]) << i;
        EXPECT_EQ(table[number].Url, "page" + std::to_string(i) + ".htm");
    }
    EXPECT_EQ(table.LinkIdOf(TLinkTable::kNoLink), 0);
    EXPECT_EQ(table.LinkIdOf(table.Count() + 1), 0);
}

TEST(LinkTableTest, ACopyForAnotherDocumentKeepsItsLinksWhenTheSourceGoes) {
    TSectionList copyDoc;
    std::unique_ptr<TSection> copy;
    const TUrlTarget link = Link("there.htm", "_blank");
    {
        TSectionList doc;
        TSection source(&doc, Font(16));
        Append(source, "before ");
        source.SetLink(Font(16), &link, nullptr);
        Append(source, "link");
        copy = std::make_unique<TSection>(&copyDoc, source);
    }
    ASSERT_EQ(copy->FontRuns.Count(), 2);
    EXPECT_FALSE(copy->FontRuns[0].HasLink());
    EXPECT_TRUE(copy->LinkOf(copy->FontRuns[1]).Is(link));
    EXPECT_EQ(copyDoc.Links.Count(), 1u);
}

TEST(LinkTableTest, AFontGivenToALinkRunStaysWhateverItsState) {
    // Whether the run is replaced in place or a new one starts, the font given is the font
    // drawn, hovered or not: the link's state fonts belong to the font the run had before.
    TSectionList doc;
    const TUrlTarget link = Link("x.htm");
    TFontInfoArray states;
    for (ThtFontInfo& info : states.Ar) {
        info.Size = 30;
    }
    TSection inPlace(&doc, Font(16), &link, &states);
    inPlace.ChangeFont(Font(20));
    TSection after(&doc, Font(16), &link, &states);
    Append(after, "a");
    after.ChangeFont(Font(20));
    for (TFontObj* run : {&inPlace.FontRuns.Last(), &after.FontRuns.Last()}) {
        EXPECT_TRUE(run->HasLink());
        run->SetHover(true);
        run->SetVisited(true);
        EXPECT_EQ(run->Font().Desc.height, 20);
        EXPECT_EQ(run->LinkStates(), nullptr);
    }
}

} // namespace
} // namespace tavlin::test
