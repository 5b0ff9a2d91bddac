#include "document/SectionLines.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tavlin::test {
namespace {

constexpr TLineList::Frame kFrame{120, 30};

// An ordinary lone line of a section framed by kFrame.
LineRec LoneLine() {
    LineRec line;
    line.CharCount = kFrame.length;
    line.LineY = kFrame.top;
    line.SpaceBefore = 2;
    line.SpaceAfter = 3;
    line.TextHeight = 16;
    line.Descent = 4;
    line.BoxHeight = line.FullHeight();
    line.IndentX = -7;
    line.AvailWidth = 780;
    return line;
}

std::vector<LineRec> ReadBack(const TLineList& list, TLineList::Frame frame) {
    std::vector<LineRec> lines;
    for (size_t i = 0; i < list.size(); ++i) {
        lines.push_back(list.At(i, frame));
    }
    return lines;
}

TEST(SectionLines, LoneLinesReadBackWhateverTheirSize) {
    // Each value at the edge of what packs and just past it: the list must give back what it took.
    const auto variants = std::vector<void (*)(LineRec&)>{
        [](LineRec&) {},
        [](LineRec& l) { l.TextHeight = 255; },
        [](LineRec& l) { l.TextHeight = 256; },
        [](LineRec& l) { l.SpaceBefore = 255; },
        [](LineRec& l) { l.SpaceAfter = 256; },
        [](LineRec& l) { l.Descent = -1; },
        [](LineRec& l) { l.IndentX = -32768; },
        [](LineRec& l) { l.IndentX = 32768; },
        [](LineRec& l) { l.AvailWidth = 32767; },
        [](LineRec& l) { l.AvailWidth = 32768; },
        [](LineRec& l) { l.AvailWidth = -1; },
        [](LineRec& l) { l.BoxHeight += 40; }, // a float below the line
        [](LineRec& l) { l.LineY += 5; },      // below a cleared band
    };
    for (size_t v = 0; v < variants.size(); ++v) {
        LineRec line = LoneLine();
        variants[v](line);
        line.BoxHeight = std::max(line.BoxHeight, line.FullHeight());
        TLineList list;
        list.Add(line, kFrame);
        ASSERT_EQ(list.size(), 1u) << v;
        EXPECT_EQ(list.At(0, kFrame), line) << v;
    }
}

TEST(SectionLines, LaterLinesFollowTheFirstAndSurviveClearing) {
    TLineList list;
    std::vector<LineRec> lines;
    int y = kFrame.top;
    int start = 0;
    for (const int count : {10, 0, 12, 8}) { // an empty band second; 30 characters in all
        LineRec line = LoneLine();
        line.Start = start;
        line.CharCount = count;
        line.LineY = y;
        line.TextHeight = count == 12 ? 300 : 16; // the first alone would pack
        line.BoxHeight = line.FullHeight();
        start += count;
        y += line.FullHeight();
        list.Add(line, kFrame);
        lines.push_back(line);
    }
    EXPECT_EQ(ReadBack(list, kFrame), lines);

    list.Clear();
    EXPECT_TRUE(list.empty());
    list.Add(LoneLine(), kFrame);
    EXPECT_EQ(ReadBack(list, kFrame), std::vector<LineRec>{LoneLine()});
}

} // namespace
} // namespace tavlin::test
