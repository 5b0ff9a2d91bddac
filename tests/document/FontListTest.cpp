#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace tavlin::test {
namespace {

// Sections built side by side, each outgrowing its room several times while the other is
// trimmed and reopened: each keeps its own text, runs and source map throughout.
TEST(FontListTest, InterleavedSectionsKeepTheirOwnTextRunsAndMap) {
    TSectionList doc;
    TSection a(&doc, Font(16));
    TSection b(&doc, Font(16));
    std::string expectA;
    std::string expectB;
    for (int i = 0; i < 300; ++i) {
        const std::string wordA = "a" + std::to_string(i) + " ";
        const std::string wordB = "b" + std::to_string(i) + " ";
        Append(a, wordA, 1000 * i);
        Append(b, wordB, 1000 * i + 500);
        expectA += wordA;
        expectB += wordB;
        if (i % 50 == 0) {
            b.ChangeFont(Font(10 + i / 50));
            a.Finish(); // appended to again afterwards
        }
    }
    b.Finish();
    EXPECT_EQ(a.Text(), expectA);
    EXPECT_EQ(b.Text(), expectB);
    EXPECT_EQ(a.FontRuns.Count(), 1);
    ASSERT_EQ(b.FontRuns.Count(), 7);
    EXPECT_EQ(b.FontRuns[6].Font().Desc.height, 15);
    EXPECT_EQ(b.FontRuns[6].Pos, int(expectB.find("b251 ")));
    // Every word starts a run of the source map: the last one still maps to its source.
    EXPECT_EQ(a.DocToSourcePos(int(expectA.rfind("a299"))), 299000);
    EXPECT_EQ(b.DocToSourcePos(int(expectB.rfind("b299")) + 2), 299502);
    EXPECT_EQ(b.SourceToDocPos(150501, false), int(expectB.find("b150")) + 1);
}

// The pictures of a section live with its runs' block: they must follow it through every move.
TEST(FontListTest, ObjectsStayWithTheSectionAsItsBlockMoves) {
    TSectionList doc;
    TSection section(&doc, Font(16));
    section.AddObject(std::make_unique<BoxObj>(20, 20, ABottom), 0, false);
    Append(section, std::string(5000, 'x'), 1);
    section.Finish();
    section.AddObject(std::make_unique<BoxObj>(30, 20, ABottom), 6000, false);
    Append(section, "tail", 6001);
    section.Finish();
    ASSERT_EQ(section.Images().size(), 2u);
    EXPECT_EQ(section.Images()[1]->Pos, 5001);
    EXPECT_EQ(section.Images()[1]->FullWidth(), 30);
    TSectionList other;
    const TSection copy(&other, section);
    ASSERT_EQ(copy.Images().size(), 2u);
    EXPECT_EQ(copy.Text(), section.Text());
}

TEST(FontListTest, LineBreakAfterFinishReplacesTheTrailingSpace) {
    TSectionList doc;
    TSection section(&doc, Font(16));
    Append(section, "a b", 0);
    Append(section, " ", 10);
    section.Finish();
    section.AppendChar(ph::LineBreak, 20, false);
    section.Finish();
    EXPECT_EQ(section.Text(), "a b\x08");
    EXPECT_EQ(section.DocToSourcePos(2), 2);
    EXPECT_EQ(section.DocToSourcePos(3), 20);
}

TEST(FontListTest, TrimKeepsEverythingAndTextMayFollow) {
    TFontList list;
    list.Add(TFontObj(FontRef(), 0));
    list.AppendText("abc");
    list.AddMapRun({0, 10});
    list.Trim();
    list.Trim();
    EXPECT_EQ(list.Text(), "abc");
    list.TextData()[1] = 'B';
    list.Add(TFontObj(FontRef(), 3));
    list.AppendText(std::string(100000, 'x'));
    list.AddMapRun({3, 50});
    list.Trim();
    ASSERT_EQ(list.Text().size(), 100003u);
    EXPECT_EQ(list.Text().substr(0, 4), "aBcx");
    ASSERT_EQ(list.MapSize(), 2u);
    EXPECT_EQ(list.MapRun(1).Index, 50);
    EXPECT_EQ(list.IndexAt(2), 0);
    EXPECT_EQ(list.IndexAt(3), 1);
    EXPECT_EQ(list.EndOf(0, 100003), 3);
}

// What a section answers about its source, position by position, both ways.
std::vector<int> SourceAnswers(const TSection& section, int lowSource, int highSource) {
    std::vector<int> answers;
    for (int p = -1; p <= section.Len() + 1; ++p) {
        answers.push_back(section.DocToSourcePos(p));
    }
    for (int source = lowSource; source <= highSource; ++source) {
        answers.push_back(section.SourceToDocPos(source, false));
        answers.push_back(section.SourceToDocPos(source, true));
    }
    return answers;
}

// A trimmed section keeps its source map narrow when every run fits (offsets and source offsets
// past the first run's under 64 KB) and wide otherwise; either way it answers as it did while
// still growing.
TEST(FontListTest, SourceMapAnswersTheSameNarrowOrWide) {
    struct Piece {
        int length;
        int source;
    };
    struct Case {
        std::vector<Piece> pieces;
        bool packs;
    };
    const std::vector<Case> cases = {
        {{{2, 100}, {2, 100 + 65535}}, true}, {{{2, 100}, {2, 100 + 65536}}, false},
        {{{65535, 0}, {2, 65530}}, true}, // the second run at offset 65535, from before its end
        {{{65536, 0}, {2, 65530}}, false},    {{{2, 1000}, {2, 10}}, false}, // from before the first run
    };
    for (size_t c = 0; c < cases.size(); ++c) {
        TSectionList doc;
        TSection section(&doc, Font(16));
        int highSource = 0;
        for (const Piece& piece : cases[c].pieces) {
            Append(section, std::string(size_t(piece.length), 'x'), piece.source);
            highSource = std::max(highSource, piece.source + piece.length);
        }
        const std::vector<int> growing = SourceAnswers(section, -1, highSource + 1);
        section.Finish();
        EXPECT_EQ(section.FontRuns.MapIsPacked(), cases[c].packs) << c;
        EXPECT_EQ(SourceAnswers(section, -1, highSource + 1), growing) << c;
        // Growing again unpacks it, and the new run joins the rest.
        Append(section, "y", highSource + 10);
        section.Finish();
        EXPECT_EQ(section.DocToSourcePos(section.Len() - 1), highSource + 10) << c;
        EXPECT_EQ(section.DocToSourcePos(1), growing[2]) << c;
    }
}

} // namespace
} // namespace tavlin::test
