// Runs the real program: `tavlin dump --layout FILE [--width N]` prints exactly the reference
// layouts of tests/data/layout, and refuses what it cannot do.
#include "tests/support/Shell.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>

namespace {

namespace fs = std::filesystem;

using DumpRun = tavlin::test::ShellRun;

// Standard output only, or with the messages on standard error too.
DumpRun dump(const std::string& args, bool withMessages = false) {
    return tavlin::test::runShell(std::string(TAVLIN_EXE) + " dump --layout " + args +
                                  (withMessages ? " 2>&1" : " 2>/dev/null"));
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(DumpLayout, PrintsTheReferenceLayouts) {
    const fs::path dir = fs::path(TAVLIN_TEST_DATA) / "layout";
    int checked = 0;
    for (const auto& entry : fs::directory_iterator(dir)) {
        if (entry.path().extension() != ".html") {
            continue;
        }
        const std::string html = slurp(entry.path());
        std::smatch m;
        const std::string firstLine = html.substr(0, html.find('\n'));
        const std::string width =
            std::regex_search(firstLine, m, std::regex("width=([0-9]+)")) ? m[1].str() : "400";
        const std::string images = firstLine.find("images=off") != std::string::npos ? " --no-images" : "";
        const DumpRun run = dump(entry.path().string() + " --width " + width + images);
        EXPECT_EQ(run.status, 0) << entry.path();
        fs::path expected = entry.path();
        expected.replace_extension(".layout.txt");
        EXPECT_EQ(run.out, slurp(expected)) << entry.path();
        ++checked;
    }
    EXPECT_GE(checked, 5);
}

TEST(DumpLayout, RefusesBadWidthsAndMissingFiles) {
    const std::string page = (fs::path(TAVLIN_TEST_DATA) / "layout" / "rules.html").string();
    const DumpRun zero = dump(page + " --width 0", true);
    EXPECT_EQ(zero.status, 2);
    EXPECT_NE(zero.out.find("--width needs a number from 1 to 32000"), std::string::npos) << zero.out;
    EXPECT_EQ(dump(page + " --colour red").status, 2);
    const DumpRun missing = dump("/nonexistent/page.html", true);
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("Can't locate file: /nonexistent/page.html"), std::string::npos)
        << missing.out;
    // The width changes the layout.
    EXPECT_NE(dump(page + " --width 300").out, dump(page + " --width 500").out);
}

} // namespace
