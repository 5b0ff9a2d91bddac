// Runs the real program: `tavlin convert ...`.
#include "tests/support/RunProgram.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Outcome = tavlin::test::ProgramRun;
using tavlin::test::readBytes;

void spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

class ConvertCommand : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tavlin-cli-XXXXXX";
        dir_ = ::mkdtemp(pattern);
        spit(file("bookmarks.html"), kSource);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string file(const std::string& name) const { return dir_ + "/" + name; }

    // Runs `tavlin convert ARGS...` with TEMP pointing at the test's folder.
    Outcome convert(const std::vector<std::string>& args) const {
        std::vector<std::string> all = {TAVLIN_EXE, "convert"};
        all.insert(all.end(), args.begin(), args.end());
        return tavlin::test::runProgram(all, dir_, {"TEMP=" + dir_});
    }

    // A failure: non-zero status, the cause on standard error, no listing anywhere.
    void expectFailure(const Outcome& run, const std::string& cause) const {
        EXPECT_NE(run.status, 0);
        EXPECT_NE(run.err.find(cause), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(file("tavl.htm")));
        EXPECT_EQ(readBytes(file("bookmarks.html")), kSource);
    }

    static constexpr const char* kSource = "<TITLE>Bookmarks</TITLE>\n<DL><p>\n"
                                           "<DT><A HREF=\"http://b/\" ADD_DATE=\"1\">beta</A>\n"
                                           "<DT><A HREF=\"http://a/\" ADD_DATE=\"2\">Alpha</A>\n</DL><p>\n";
    std::string dir_;
};

std::string listing(const std::string& title, const std::vector<std::string>& entries) {
    std::string text = "<html><body>\r\n<center><h2>" + title +
                       "</h2></center>\r\n<BR><B><font size=+1>Bookmarks</font></b>\r\n<BR>\r\n<DL>\r\n";
    for (const std::string& e : entries) {
        text += e + "\r\n";
    }
    return text + "</DL>\r\n<BR><BR>\r\n</body></html>\r\n";
}

TEST_F(ConvertCommand, HelpDescribesTheOptions) {
    const Outcome run = convert({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("usage: tavlin convert SOURCE [-o OUTPUT] [--sort none|title|date]"),
              std::string::npos);
    EXPECT_NE(run.out.find("--italic"), std::string::npos);
    EXPECT_EQ(run.err, "");
}

TEST_F(ConvertCommand, DefaultsToTheTemporaryListingAndTitle) {
    const Outcome run = convert({file("bookmarks.html")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(file("tavl.htm")),
              listing("Tavlin Listing", {"<DT>beta-<a href=\"http://b/\"> http://b/</a>",
                                         "<DT>Alpha-<a href=\"http://a/\"> http://a/</a>"}));
    EXPECT_EQ(readBytes(file("bookmarks.html")), kSource);
}

TEST_F(ConvertCommand, OptionsChooseOutputOrderTagsAndTitle) {
    Outcome run = convert({file("bookmarks.html"), "-o", file("out.htm"), "--sort", "title", "--italic",
                           "--bold", "--title", "Mine & yours"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(file("out.htm")),
              listing("Mine & yours", {"<DT>Alpha-<a href=\"http://a/\"><B><I> http://a/</B></I></a>",
                                       "<DT>beta-<a href=\"http://b/\"><B><I> http://b/</B></I></a>"}));
    run = convert({"--sort=date", "--italic", file("bookmarks.html"), "-o", file("out.htm")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(file("out.htm")),
              listing("Tavlin Listing", {"<DT>beta-<a href=\"http://b/\"><I> http://b/</I></a>",
                                         "<DT>Alpha-<a href=\"http://a/\"><I> http://a/</I></a>"}));
    EXPECT_FALSE(fs::exists(file("tavl.htm")));
}

TEST_F(ConvertCommand, FailuresSayWhyAndExitNonZero) {
    expectFailure(convert({file("missing.html")}), "source not found: " + file("missing.html"));
    spit(file("untitled.htm"), "<DL><p>\n<DT><A HREF=\"u\">E</A>\n");
    expectFailure(convert({file("untitled.htm")}), "no title line");
    expectFailure(convert({file("NoFavorites")}), "no such folder: " + file("NoFavorites"));
    expectFailure(convert({file("bookmarks.html"), "-o", file("no/such/dir/tavl.htm")}),
                  "cannot write the listing to " + file("no/such/dir/tavl.htm"));
    expectFailure(convert({file("bookmarks.html"), "-o", file("bookmarks.html")}),
                  "is the source file itself");
    fs::create_directory(file("Favorites"));
    expectFailure(convert({file("Favorites"), "-o", file("Favorites/tavl.htm")}),
                  "lies in the source folder");
    fs::create_directory(file("My.Favorites"));
    expectFailure(convert({file("My.Favorites")}), "neither a bookmark file");
}

TEST_F(ConvertCommand, ListsAndReadsTheBrowsersOwnStores) {
    const std::string profile = file("home/.config/chromium/Default");
    fs::create_directories(profile);
    spit(profile + "/Bookmarks", R"({"roots": {"other": {"name": "Other", "children": [
        {"name": "Alpha", "type": "url", "url": "http://a/"}]}}})");
    Outcome run =
        tavlin::test::runProgram({TAVLIN_EXE, "convert", "--list-browsers"}, dir_,
                                 {"HOME=" + file("home"), "XDG_CONFIG_HOME=" + file("home/.config")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Chromium\tDefault\t" + profile + "/Bookmarks\n");
    run = convert({profile + "/Bookmarks"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(readBytes(file("tavl.htm")).find("<DT>Alpha-<a href=\"http://a/\">  http://a/</a>"),
              std::string::npos);
    fs::remove(file("tavl.htm"));
    spit(profile + "/Bookmarks", R"({"roots": [)");
    expectFailure(convert({profile + "/Bookmarks"}), "cannot read " + profile + "/Bookmarks");
}

TEST_F(ConvertCommand, LenientReadsLowerCaseTags) {
    spit(file("lower.html"),
         "<title>Bookmarks</title>\n<dl><p>\n<dt><a href=\"http://a/\">Alpha</a>\n</dl>\n");
    expectFailure(convert({file("lower.html")}), "no title line");
    const Outcome run = convert({"--lenient", file("lower.html")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(readBytes(file("tavl.htm")),
              listing("Tavlin Listing", {"<DT>Alpha-<a href=\"http://a/\"> http://a/</a>"}));
}

TEST_F(ConvertCommand, WrongArgumentsShowTheUsage) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {file("bookmarks.html"), "--sort", "size"},
                                                 {file("bookmarks.html"), "--bolder"},
                                                 {file("bookmarks.html"), file("bookmarks.html")},
                                                 {file("bookmarks.html"), "-o"},
                                                 {"--list-browsers", file("bookmarks.html")}}) {
        const Outcome run = convert(args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find("usage: tavlin convert"), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(file("tavl.htm")));
    }
}

} // namespace
