#include "document/InlineVector.h"

#include <gtest/gtest.h>

#include <vector>

namespace tavlin::test {
namespace {

struct Pair {
    int a = 0;
    int b = 0;
};

std::vector<int> Firsts(const InlineVector<Pair, 2>& v) {
    std::vector<int> out;
    for (const Pair& p : v) {
        out.push_back(p.a);
    }
    return out;
}

TEST(InlineVector, ValuesSurviveMovesToTheHeapAndBack) {
    InlineVector<Pair, 2> v;
    for (int i = 0; i < 5; ++i) {
        v.push_back({i, -i});
    }
    EXPECT_EQ(Firsts(v), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(v.back().b, -4);
    v.pop_back();
    v.shrink_to_fit(); // from room for 8 to 4, still on the heap
    EXPECT_EQ(Firsts(v), (std::vector<int>{0, 1, 2, 3}));
    v.pop_back();
    v.pop_back();
    v.shrink_to_fit(); // back in place
    EXPECT_EQ(Firsts(v), (std::vector<int>{0, 1}));
    v.push_back({7, 0});
    EXPECT_EQ(Firsts(v), (std::vector<int>{0, 1, 7}));
    v.clear();
    EXPECT_TRUE(v.empty());
    v.push_back({9, 9});
    EXPECT_EQ(v.front().a, 9);
}

} // namespace
} // namespace tavlin::test
