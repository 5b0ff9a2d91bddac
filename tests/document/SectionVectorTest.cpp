#include "document/SectionBase.h"

#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

// A section that records its number when it is freed.
class Numbered : public TSectionBase {
public:
    Numbered(int n, std::vector<int>& freed) : TSectionBase(nullptr), n_(n), freed_(freed) {}
    ~Numbered() override { freed_.push_back(n_); }
    int n_;
    std::vector<int>& freed_;
};

std::vector<int> Numbers(const TSectionVector& v) {
    std::vector<int> out;
    for (TSectionBase* s : v) {
        out.push_back(static_cast<Numbered*>(s)->n_);
    }
    return out;
}

TEST(SectionVector, GrowsFromOneInlineSectionKeepingOrderAndFreesInOrder) {
    std::vector<int> freed;
    TSectionVector v;
    v.push_back(std::make_unique<Numbered>(1, freed));
    EXPECT_EQ(Numbers(v), std::vector<int>{1});
    EXPECT_EQ(v.Band(), nullptr);
    v.erase(0);
    EXPECT_TRUE(v.empty());
    EXPECT_EQ(freed, std::vector<int>{1});
    for (int n = 2; n <= 5; ++n) {
        v.push_back(std::make_unique<Numbered>(n, freed));
    }
    v.erase(1);
    EXPECT_EQ(Numbers(v), (std::vector<int>{2, 4, 5}));
    EXPECT_EQ(v.back(), v[2]);
    v.MakeBand().topSuffixMin = {1, 2, 3};
    ASSERT_NE(v.Band(), nullptr);
    v.clear();
    EXPECT_TRUE(v.empty());
    EXPECT_EQ(v.Band(), nullptr) << "the band goes with the sections";
    EXPECT_EQ(freed, (std::vector<int>{1, 3, 2, 4, 5}));
    v.push_back(std::make_unique<Numbered>(6, freed));
    EXPECT_EQ(Numbers(v), std::vector<int>{6}) << "inline again after clearing";
}

} // namespace
} // namespace tavlin::test
