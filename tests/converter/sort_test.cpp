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

struct NodePlan {
    std::string title;
    int32_t date;
    bool hasChild;
};

// A folder of the given nodes, each numbered in its Description.
std::unique_ptr<TBookmark> numberedFolderOf(const std::vector<NodePlan>& plans) {
    auto root = std::make_unique<TBookmark>(nullptr, "&&&", "root", "", 0);
    for (size_t k = 0; k < plans.size(); ++k) {
        auto* node = new TBookmark(root.get(), "u", plans[k].title, std::to_string(k), plans[k].date);
        if (plans[k].hasChild) {
            new TBookmark(node, "u", "c", "", 0);
        }
    }
    return root;
}

std::vector<std::string> numbers(const std::vector<TBookmark*>& nodes) {
    std::vector<std::string> out;
    for (const TBookmark* node : nodes) {
        out.push_back(node->Description);
    }
    return out;
}

std::vector<TBookmark*> childrenOf(const TBookmark& folder) {
    std::vector<TBookmark*> out;
    for (const auto& child : folder.Children) {
        out.push_back(child.get());
    }
    return out;
}

TEST(Sorting, ManyEqualKeysGiveTheRecursiveOrder) {
    // Few distinct keys, so that the order of equal nodes matters; titles that agree in their
    // first sixteen bytes, and titles with zero bytes, so that the longer comparison is needed.
    const std::vector<std::string> titles = {"a",
                                             "A",
                                             "b",
                                             "B",
                                             "abcdefghijklmnop1",
                                             "ABCDEFGHIJKLMNOP2",
                                             "abcdefghijklmnop",
                                             "AbCdEfGhIjKlMnOp",
                                             std::string("abcdefghijklmnop\0", 17),
                                             "abcdefgh",
                                             std::string("abcdefgh\0", 9),
                                             "ab",
                                             std::string("ab\0", 3)};
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<NodePlan> plans(1 + random() % 60);
        for (NodePlan& plan : plans) {
            plan = {titles[random() % titles.size()], int32_t(random() % 3), random() % 4 == 0};
        }
        for (const TBookmarkCompare compare : {&CompareByTitle, &CompareByDate}) {
            auto reference = numberedFolderOf(plans);
            std::vector<TBookmark*> expected = childrenOf(*reference);
            recursiveQuickSort(expected, 0, ptrdiff_t(expected.size()) - 1, compare);

            auto plain = numberedFolderOf(plans);
            QuickSort(plain->Children, compare);
            ASSERT_EQ(numbers(childrenOf(*plain)), numbers(expected)) << "round " << round;

            auto tree = numberedFolderOf(plans);
            SortTree(tree.get(), compare);
            ASSERT_EQ(numbers(childrenOf(*tree)), numbers(expected)) << "round " << round;
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
