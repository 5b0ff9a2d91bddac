#include "document/SectionBase.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace tavlin::test {
namespace {

TEST(TagName, EqualNamesShareOneStoredNameAndNoNameIsEmpty) {
    const TTagName a("blockquote");
    const TTagName b(std::string("block") + "quote");
    const TTagName c("dd");
    EXPECT_EQ(std::string_view(a).data(), std::string_view(b).data());
    EXPECT_EQ(a, "blockquote");
    EXPECT_EQ(c, "dd");
    EXPECT_EQ(std::string_view(TTagName()), "");
    EXPECT_EQ(std::string_view(TTagName("")), "");
}

TEST(TagName, NamesMadeOnSeveralThreadsReadBackEverywhere) {
    std::vector<TTagName> made(400);
    std::vector<std::thread> threads;
    for (size_t t = 0; t < 4; ++t) {
        threads.emplace_back([&made, t] {
            for (size_t i = t; i < made.size(); i += 4) {
                made[i] = TTagName("x-" + std::to_string(i % 150)); // names repeat across threads
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (size_t i = 0; i < made.size(); ++i) {
        EXPECT_EQ(made[i], "x-" + std::to_string(i % 150));
    }
}

} // namespace
} // namespace tavlin::test
