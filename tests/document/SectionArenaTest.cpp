#include "document/SectionArena.h"
#include "document/Section.h"
#include "document/SectionList.h"
#include "tests/document/DocTestUtil.h"

#include <gtest/gtest.h>

#include <set>

namespace tavlin::test {
namespace {

TEST(SectionArena, ReusesFreedPiecesBySizeAndGivesEverythingBackWithTheLast) {
    TSectionArena arena;
    std::set<void*> pieces;
    for (int i = 0; i < 1000; ++i) { // several slabs of one size
        void* p = arena.Allocate(100);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % TSectionArena::kAlign, 0u);
        EXPECT_TRUE(pieces.insert(p).second);
    }
    void* small = arena.Allocate(24);
    EXPECT_EQ(pieces.count(small), 0u);
    void* freed = *pieces.begin();
    arena.Free(freed);
    void* smallToo = arena.Allocate(24); // another size never takes it
    EXPECT_NE(smallToo, freed);
    EXPECT_EQ(arena.Allocate(97), freed); // the same size class does
    int onHeap = 0;
    EXPECT_FALSE(arena.Owns(&onHeap));
    EXPECT_TRUE(arena.Owns(small));

    arena.Free(small);
    arena.Free(smallToo);
    for (void* p : pieces) {
        EXPECT_NE(arena.SlabBytes(), 0u);
        arena.Free(p);
    }
    EXPECT_EQ(arena.SlabBytes(), 0u);
    EXPECT_FALSE(arena.Owns(small));
}

TEST(SectionArena, SectionsOfTheArenaAndOfTheHeapBothGoBackWhereTheyCameFrom) {
    TSectionList document;
    const TMyFont font;
    auto first = MakeInArena<TSection>(document.Arena(), &document, font);
    auto second = MakeInArena<TSection>(document.Arena(), &document, font);
    auto onHeap = std::make_unique<TSection>(&document, font);
    EXPECT_TRUE(document.Arena().Owns(first.get()));
    EXPECT_FALSE(document.Arena().Owns(onHeap.get()));
    const void* where = first.get();
    std::unique_ptr<TSectionBase> asBase = std::move(first);
    asBase.reset(); // through the base: the whole section goes, and its piece with it
    EXPECT_EQ(MakeInArena<TSection>(document.Arena(), &document, font).get(), where);
    onHeap.reset(); // ASan tells if this went to the arena
    second.reset();
    EXPECT_EQ(document.Arena().SlabBytes(), 0u);
}

// A finished section's text moves into the arena; growing again takes it out, and the arena
// holds nothing once the section is gone.
TEST(SectionArena, AFinishedSectionKeepsItsTextThereUntilItGrowsOrGoes) {
    TSectionList document;
    {
        TSection section(&document, Font(16));
        Append(section, "some words", 0);
        section.Finish();
        EXPECT_NE(document.Arena().SlabBytes(), 0u);
        Append(section, " and more", 10);
        EXPECT_EQ(document.Arena().SlabBytes(), 0u);
        section.Finish();
        EXPECT_NE(document.Arena().SlabBytes(), 0u);
        EXPECT_EQ(section.Text(), "some words and more");
    }
    EXPECT_EQ(document.Arena().SlabBytes(), 0u);
}

} // namespace
} // namespace tavlin::test
