#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

class IndentManagerTest : public ::testing::Test {
protected:
    IndentManagerTest() {
        floats.Reset(400);
        floats.CurrentOwner = &cell;
        floats.AddLeft(0, IndentManager::OpenBottom, 0, &cell);
        floats.AddRight(0, IndentManager::OpenBottom, 400, &cell);
    }
    int cell = 0;
    int block = 0;
    IndentManager floats;
};

TEST_F(IndentManagerTest, BandsApplyOnlyInTheirRangeAndForTheirOwner) {
    floats.AddLeft(10, 50, 100, nullptr);                     // a float
    floats.AddLeft(0, IndentManager::OpenBottom, 30, &block); // a block's edge, not in force
    EXPECT_EQ(floats.LeftIndentAt(9), 0);
    EXPECT_EQ(floats.LeftIndentAt(10), 100);
    EXPECT_EQ(floats.LeftIndentAt(50), 0); // the bottom is excluded
    floats.CurrentOwner = &block;
    EXPECT_EQ(floats.LeftIndentAt(60), 30);
    EXPECT_EQ(floats.RightSideAt(60), 400 + 0); // the cell's own band is not the block's
    floats.CurrentOwner = &cell;
    floats.LeftEdge = 25;
    EXPECT_EQ(floats.LeftIndentAt(20), 125);
    EXPECT_EQ(floats.RightSideAt(20), 425);
    floats.RemoveOwned(&block);
    EXPECT_EQ(floats.L.size(), 2u);
}

TEST_F(IndentManagerTest, FloatBottomsAndTheNextWiderPlace) {
    EXPECT_EQ(floats.FloatBottom(), 0);
    int left = -1;
    int right = -1;
    floats.ClearBottoms(left, right);
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 0);
    floats.AddLeft(0, 40, 50, nullptr);
    floats.AddLeft(0, 70, 80, nullptr);
    floats.AddRight(20, 60, 300, nullptr);
    EXPECT_EQ(floats.FloatBottom(), 70);
    floats.ClearBottoms(left, right);
    EXPECT_EQ(left, 71);
    EXPECT_EQ(right, 61);
    EXPECT_EQ(floats.NextWiderY(10), 40);
    EXPECT_EQ(floats.NextWiderY(45), 60);
    EXPECT_EQ(floats.NextWiderY(65), 70);
    EXPECT_EQ(floats.NextWiderY(70), 70); // nothing ends below
}

TEST_F(IndentManagerTest, ManyFloatsDownThePageAnswerAtAnyHeight) {
    // Floats that ended above the newest are set aside; a question about a y up there still
    // sees them.
    for (int i = 0; i < 1000; ++i) {
        floats.AddLeft(i * 10, i * 10 + 10, 20 + i % 3, nullptr);
    }
    EXPECT_EQ(floats.LeftIndentAt(5), 20);
    EXPECT_EQ(floats.LeftIndentAt(4015), 22);
    EXPECT_EQ(floats.LeftIndentAt(9995), 20);
    EXPECT_EQ(floats.LeftIndentAt(10000), 0);
    EXPECT_EQ(floats.NextWiderY(3), 10);
    EXPECT_EQ(floats.FloatBottom(), 10000);
    floats.AddLeft(0, 20000, 500, nullptr); // a tall float added late reaches back up
    EXPECT_EQ(floats.LeftIndentAt(5), 500);
    EXPECT_EQ(floats.L.size(), 1002u);
}

TEST_F(IndentManagerTest, PlacesFloatingObjectsAndBlocksSideBySide) {
    BoxObj first(50, 30, ALeft);
    first.LeftSpace = first.RightSpace = 5;
    first.TopSpace = 2;
    BoxObj second(40, 20, ALeft);
    BoxObj right(60, 20, ARight);
    right.LeftSpace = 4;
    floats.PlaceFloatImage(10, first);
    floats.PlaceFloatImage(10, second);
    floats.PlaceFloatImage(10, right);
    EXPECT_EQ(first.ObjX, 5);
    EXPECT_EQ(second.ObjX, 60);
    EXPECT_EQ(right.ObjX, 400 - 64 + 4);
    EXPECT_EQ(floats.LeftIndentAt(10), 100);
    EXPECT_EQ(floats.LeftIndentAt(41), 60); // the first: 30 high plus 2 above
    EXPECT_EQ(floats.LeftIndentAt(42), 0);
    EXPECT_EQ(floats.RightSideAt(25), 336);
    BoxObj inline_(10, 10, ABottom);
    floats.PlaceFloatImage(0, inline_);
    EXPECT_EQ(floats.L.size(), 3u);
    floats.PlaceFloatBlock(100, 150, IndentManager::LeftSide, 30);
    floats.PlaceFloatBlock(100, 120, IndentManager::RightSide, 30);
    EXPECT_EQ(floats.LeftIndentAt(110), 150);
    EXPECT_EQ(floats.RightSideAt(110), 280);
    EXPECT_EQ(floats.FloatBottom(), 130);
}

} // namespace
} // namespace tavlin::test
