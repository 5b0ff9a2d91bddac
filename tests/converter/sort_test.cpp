#include "app/convert/Bookmark.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace tavlin {
namespace {

// A folder of nodes with the given titles and dates; a "+" before a title gives the node a child.
std::unique_ptr<TBookmark> folderOf(const std::vector<std::pair<std::string, int32_t>>& items) {
    auto root = std::make_unique<TBookmark>(nullptr, "&&&", "root", "", 0);
    for (const auto& [title, date] : items) {
        const bool hasChild = !title.empty() && title[0] == '+';
        auto* node = new TBookmark(root.get(), "u", hasChild ? title.substr(1) : title, "", date);
        if (hasChild) {
            new TBookmark(node, "u", "child", "", 0);
        }
    }
    return root;
}

std::vector<std::string> titles(const TBookmark& folder) {
    std::vector<std::string> out;
    for (const auto& child : folder.Children) {
        out.push_back(child->Title);
    }
    return out;
}

TEST(Sorting, TitlesIgnoreAsciiCaseAndFoldersComeFirst) {
    auto root = folderOf({{"beta", 0},
                          {"+Zoo folder", 0},
                          {"Alpha", 0},
                          {"+apple folder", 0},
                          {"\xC3\xA9t\xC3\xA9", 0},
                          {"Be", 0},
                          {"empty folder", 0},
                          {"_under", 0}});
    SortTree(root.get(), CompareByTitle);
    // Folders with entries first; empty folders and entries after, by upper-cased bytes:
    // "_" (0x5F) sorts after the letters, a prefix before the longer title, bytes above 0x7F last.
    EXPECT_EQ(titles(*root), (std::vector<std::string>{"apple folder", "Zoo folder", "Alpha", "Be", "beta",
                                                       "empty folder", "_under", "\xC3\xA9t\xC3\xA9"}));
}

TEST(Sorting, DatesOldestFirstThenTitles) {
    auto root = folderOf({{"new", 300},
                          {"+folder late", 900},
                          {"old", -5},
                          {"Mid b", 100},
                          {"mid A", 100},
                          {"+folder early", 1}});
    SortTree(root.get(), CompareByDate);
    EXPECT_EQ(titles(*root),
              (std::vector<std::string>{"folder early", "folder late", "old", "mid A", "Mid b", "new"}));
}

TEST(Sorting, EqualKeysEndWhereTheQuicksortLeavesThem) {
    // Three equal keys: the first pass swaps the outer two, so they come out reversed.
    auto three = folderOf({{"ab", 0}, {"AB", 0}, {"Ab", 0}});
    SortTree(three.get(), CompareByTitle);
    EXPECT_EQ(titles(*three), (std::vector<std::string>{"Ab", "AB", "ab"}));
    // Four: swapped outside in, then the two halves sorted again.
    auto apples = folderOf({{"apple", 7}, {"Apple", 7}, {"APPLE", 7}, {"aPPle", 7}});
    SortTree(apples.get(), CompareByDate);
    EXPECT_EQ(titles(*apples), (std::vector<std::string>{"APPLE", "aPPle", "apple", "Apple"}));
}

// The quicksort as a recursive procedure, for comparison with the one that keeps its own stack.
void recursiveQuickSort(std::vector<TBookmark*>& list, ptrdiff_t l, ptrdiff_t r, TBookmarkCompare compare) {
    ptrdiff_t i = 0;
    do {
        i = l;
        ptrdiff_t j = r;
        TBookmark* p = list[size_t((l + r) / 2)];
        do {
            while (compare(*list[size_t(i)], *p) < 0) {
                ++i;
            }
            while (compare(*list[size_t(j)], *p) > 0) {
                --j;
            }
            if (i <= j) {
                std::swap(list[size_t(i)], list[size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (l < j) {
            recursiveQuickSort(list, l, j, compare);
        }
        l = i;
    } while (i < r);
}

TEST(Sorting, ManyEqualKeysGiveTheRecursiveOrder) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        auto root = std::make_unique<TBookmark>(nullptr, "&&&", "root", "", 0);
        const int n = 1 + int(random() % 60);
        for (int k = 0; k < n; ++k) {
            // Few distinct keys, so that the order of equal nodes matters.
            const char letter = "aAbB"[random() % 4];
            auto* node = new TBookmark(root.get(), "u", std::string(1, letter), "", int32_t(random() % 3));
            if (random() % 4 == 0) {
                new TBookmark(node, "u", "c", "", 0);
            }
        }
        for (const TBookmarkCompare compare : {&CompareByTitle, &CompareByDate}) {
            std::vector<TBookmark*> expected;
            for (const auto& child : root->Children) {
                expected.push_back(child.get());
            }
            recursiveQuickSort(expected, 0, ptrdiff_t(expected.size()) - 1, compare);
            QuickSort(root->Children, compare);
            std::vector<TBookmark*> actual;
            for (const auto& child : root->Children) {
                actual.push_back(child.get());
            }
            ASSERT_EQ(actual, expected) << "round " << round;
        }
    }
}

TEST(Sorting, SubfoldersAreSortedToo) {
    auto root = folderOf({{"z", 0}, {"+m", 0}});
    TBookmark* folder = root->Children[1].get();
    new TBookmark(folder, "u", "y", "", 0);
    new TBookmark(folder, "u", "d", "", 0);
    SortTree(root.get(), CompareByTitle);
    EXPECT_EQ(titles(*root), (std::vector<std::string>{"m", "z"}));
    EXPECT_EQ(titles(*root->Children[0]), (std::vector<std::string>{"child", "d", "y"}));
}

} // namespace
} // namespace tavlin
