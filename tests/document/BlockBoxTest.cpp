// Blocks of one style share their box; what layout settles or changes for one block must stay
// with that block.
#include "document/Block.h"

#include <gtest/gtest.h>

namespace tavlin {
namespace {

TVMarginArray Variants(int prop, PropValue value) {
    TVMarginArray v;
    v.fill(int32_t(NotSet));
    v[size_t(prop - kFirstBoxProp)] = std::move(value);
    return v;
}

SharedRef<const TBoxStyle> StyleWith(int prop, PropValue value) {
    return TBoxStyle::Shared(Variants(prop, std::move(value)), 16, 8, false, 0);
}

TEST(BlockBox, WritesToOneBlockLeaveTheOthersOfItsStyle) {
    const auto style = StyleWith(piMarginLeft, std::string("10px"));
    ASSERT_TRUE(style->Fixed);
    EXPECT_EQ(StyleWith(piMarginLeft, std::string("10px")), style) << "equal styles share one";
    TBlockBox written(style);
    TBlockBox other(style);
    EXPECT_EQ(written[piMarginLeft], 0) << "nothing is read from the style before layout takes it";
    written.Take(400, 300);
    other.Take(400, 300);
    written.SetMargin(piMarginLeft, 50);
    written.Set(piBackgroundColor, 0xFF);
    written.Set(piHeight, 7);
    EXPECT_EQ(written[piMarginLeft], 50);
    EXPECT_EQ(written[piHeight], 7);
    EXPECT_EQ(other[piMarginLeft], 10);
    EXPECT_NE(other[piBackgroundColor], 0xFF);
    EXPECT_EQ(other[piHeight], 0);
    EXPECT_EQ(style->FixedBox[piHeight], 0);

    const TBlockBox copy = written;
    const TBlockBox sharing = other;
    written.Set(piHeight, 9);
    EXPECT_EQ(copy[piHeight], 7) << "a copy keeps a box of its own";
    EXPECT_EQ(sharing[piMarginLeft], 10);
    EXPECT_EQ(&written.Style(), style.get()) << "a box of its own keeps the style";
    EXPECT_EQ(&copy.Style(), style.get());
    EXPECT_EQ(&sharing.Style(), style.get());
    written.Take(400, 300);
    EXPECT_EQ(written[piHeight], 0) << "the next layout starts from the style";
    EXPECT_EQ(written[piMarginLeft], 10);
    EXPECT_EQ(&written.Style(), style.get());
}

TEST(BlockBox, MarginsOfAnyValueReadBackAsSet) {
    const auto style = StyleWith(piMarginLeft, std::string("40000px"));
    ASSERT_TRUE(style->Fixed);
    TBlockBox box(style);
    box.SetMargin(piMarginTop, 2000000);
    box.SetMargin(piMarginBottom, -5);
    box.Take(400, 300);
    EXPECT_EQ(box[piMarginTop], 2000000) << "settled at creation, kept when a fixed box is taken";
    EXPECT_EQ(box[piMarginBottom], -5);
    EXPECT_EQ(box[piMarginLeft], 40000);
    box.SetMargin(piMarginRight, AutoResult);
    const TBlockBox copy = box;
    box.SetMargin(piMarginTop, 5);
    box.Take(400, 300);
    EXPECT_EQ(copy[piMarginTop], 2000000);
    EXPECT_EQ(copy[piMarginRight], AutoResult);
    EXPECT_EQ(box[piMarginTop], 5);
    EXPECT_EQ(box[piMarginRight], 0);
    for (const int32_t v : {INT32_MIN, NotSet, AutoValue, -32768, -32767, -32766, 32767, 32768, INT32_MAX}) {
        box.SetMargin(piMarginBottom, v);
        EXPECT_EQ(box[piMarginBottom], v);
    }
}

TEST(BlockBox, ExtrasOutliveTakingAFixedBoxAndAreNotCopied) {
    TBlockBox box(StyleWith(piMarginLeft, std::string("10px")));
    box.MakeExtras().Layer = 3;
    box.Take(400, 300);
    box.Take(400, 300);
    ASSERT_NE(box.Extras(), nullptr);
    EXPECT_EQ(box.Extras()->Layer, 3);
    EXPECT_EQ(&box.MakeExtras(), box.Extras());
    EXPECT_EQ(box[piMarginLeft], 10);
    const TBlockBox copy = box;
    EXPECT_EQ(copy.Extras(), nullptr) << "the copy's block makes its own";
    EXPECT_EQ(copy[piMarginLeft], 10);
}

TEST(BlockBox, BoxesThatDependOnTheRoomOrScreenResolvePerBlock) {
    const auto percent = StyleWith(piMarginLeft, std::string("10%"));
    EXPECT_FALSE(percent->Fixed);
    TBlockBox narrow(percent);
    TBlockBox wide(percent);
    narrow.Take(400, 0);
    wide.Take(800, 0);
    EXPECT_EQ(narrow[piMarginLeft], 40);
    EXPECT_EQ(wide[piMarginLeft], 80);
    EXPECT_EQ(StyleWith(piPaddingTop, std::string("50%"))->Compute(0, 0)[piPaddingTop], 0);

    EXPECT_FALSE(StyleWith(piPaddingTop, std::string(" 1IN "))->Fixed) << "follows the screen";
    EXPECT_FALSE(StyleWith(piHeight, std::string("2pt"))->Fixed);
    const auto em = StyleWith(piPaddingTop, std::string("2em"));
    ASSERT_TRUE(em->Fixed);
    EXPECT_EQ(em->FixedBox[piPaddingTop], 32);
    EXPECT_TRUE(StyleWith(piBorderTopWidth, std::string("thin"))->Fixed);
}

} // namespace
} // namespace tavlin
