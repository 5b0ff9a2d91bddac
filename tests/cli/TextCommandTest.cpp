// Runs the real program: `tavlin text FILE [-o OUT.txt]` writes what "Copy to Clipboard" gives
// after selecting everything, whole, in UTF-8 with line feeds.
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace tavlin::test {
namespace {

class TextCommandTest : public ::testing::Test {
protected:
    ProgramRun text(std::vector<std::string> args) {
        args.insert(args.begin(), {TAVLIN_EXE, "text"});
        return runProgram(args, dir.path(), {"TEMP=" + dir.path()});
    }
    std::string write(const std::string& name, const std::string& bytes) {
        std::ofstream(dir.file(name), std::ios::binary) << bytes;
        return dir.file(name);
    }
    TempDir dir;
};

TEST_F(TextCommandTest, ExampleListingGivesItsTextLineForLine) {
    // The centred title is indented three spaces for every 35 pixels; the source's line ends
    // before <BR> stay as spaces; no tags, line feeds only.
    const std::string expected = std::string(27, ' ') + "My Links\n"
                                                        "\n"
                                                        "Bookmarks \n"
                                                        "\n"
                                                        "News \n"
                                                        "Daily- news.htm \n"
                                                        "Morning paper \n"
                                                        "\n"
                                                        "\n";
    const std::string listing = TAVLIN_TEST_DATA "/render/example_listing.htm";
    const ProgramRun run = text({listing});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected);
    ASSERT_EQ(text({"-o", dir.file("out.txt"), listing}).status, 0);
    EXPECT_EQ(readBytes(dir.file("out.txt")), expected);
}

TEST_F(TextCommandTest, HundredThousandEntriesAreAllThere) {
    std::string bookmarks = "<TITLE>Bookmarks</TITLE>\n<DL><p>\n";
    constexpr int kEntries = 100000;
    for (int i = 0; i < kEntries; ++i) {
        bookmarks +=
            "<DT><A HREF=\"http://h" + std::to_string(i) + "/\">Entry " + std::to_string(i) + "</A>\n";
    }
    write("big.html", bookmarks + "</DL><p>\n");
    ASSERT_EQ(runProgram({TAVLIN_EXE, "convert", dir.file("big.html"), "-o", dir.file("big.htm")}, dir.path())
                  .status,
              0);
    const ProgramRun run = text({dir.file("big.htm")});
    ASSERT_EQ(run.status, 0) << run.err;
    size_t at = 0;
    for (int i = 0; i < kEntries && at != std::string::npos; ++i) {
        const std::string line = "\nEntry " + std::to_string(i) + "- http://h" + std::to_string(i) + "/ \n";
        at = run.out.find(line, at);
        EXPECT_NE(at, std::string::npos) << "entry " << i << " missing after " << run.out.size() << " bytes";
    }
}

TEST_F(TextCommandTest, FailuresSayWhyAndWriteNothing) {
    const std::string missing = dir.file("missing.htm");
    ProgramRun run = text({missing, "-o", dir.file("out.txt")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("tavlin text: Can't locate file: " + missing), std::string::npos) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.txt")));

    const std::string page = write("page.htm", "<p>keep me");
    run = text({page, "-o", page});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("is FILE itself: nothing written"), std::string::npos) << run.err;
    EXPECT_EQ(readBytes(page), "<p>keep me");

    run = text({page, "-o", dir.file("no/such/folder/out.txt")});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot write " + dir.file("no/such/folder/out.txt")), std::string::npos);

    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {page, "--width", "0"}, {page, page}}) {
        EXPECT_EQ(text(args).status, 2);
    }
}

} // namespace
} // namespace tavlin::test
