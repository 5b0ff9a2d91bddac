// The converter's listing of 10,000 bookmarks lays out exactly as it did when its expected dump
// was made: work on the speed of the builder and the layout must not change a pixel of it.
#include "tests/support/BookmarkSample.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

// Standard output of a shell command, and whether it exited with 0.
bool outputOf(const std::string& command, std::string& out) {
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        return false;
    }
    char buffer[1 << 16];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        out.append(buffer, n);
    }
    return ::pclose(pipe) == 0;
}

TEST(ListingLayout, TenThousandEntriesLayOutAsExpected) {
    tavlin::test::TempDir dir;
    const std::string source = dir.file("bookmarks.htm");
    const std::string listing = dir.file("listing.htm");
    std::ofstream(source, std::ios::binary) << tavlin::sample::BookmarkFile(10000);
    std::string ignored;
    ASSERT_TRUE(
        outputOf(std::string(TAVLIN_EXE) + " convert " + source + " -o " + listing + " --bold", ignored));

    std::string dump;
    ASSERT_TRUE(
        outputOf(std::string(TAVLIN_EXE) + " dump --layout " + listing + " --width 800 2>/dev/null", dump));
    std::string expected;
    ASSERT_TRUE(outputOf("gzip -dc " + std::string(TAVLIN_TEST_DATA) + "/listing/listing10000.layout.txt.gz",
                         expected));
    if (dump != expected) {
        // The first differing line, rather than megabytes of both.
        size_t at = 0;
        while (at < dump.size() && at < expected.size() && dump[at] == expected[at]) {
            ++at;
        }
        const size_t line = at == 0 ? 0 : dump.rfind('\n', at - 1) + 1;
        FAIL() << "first difference:\n  got:      " << dump.substr(line, dump.find('\n', at) - line)
               << "\n  expected: " << expected.substr(line, expected.find('\n', at) - line);
    }
}

} // namespace
