// `cmake --install` into a fresh prefix: the program runs from there, its desktop entry passes
// desktop-file-validate, its icon is in the hicolor theme at every size, and its manual page
// reads with `man -l` and describes every command the program lists.
#include "tests/support/RunProgram.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <sstream>
#include <string>

namespace tavlin::test {
namespace {

// The width and height from a PNG's header; 0 x 0 when the bytes are no PNG.
std::pair<uint32_t, uint32_t> pngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(1, 3, "PNG") != 0) {
        return {0, 0};
    }
    auto bigEndian = [&bytes](size_t at) {
        uint32_t value = 0;
        for (size_t i = 0; i < 4; ++i) {
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        }
        return value;
    };
    return {bigEndian(16), bigEndian(20)};
}

// The command names `tavlin --help` lists, one per indented line.
std::vector<std::string> listedCommands(const std::string& help) {
    std::vector<std::string> names;
    std::istringstream lines(help);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.starts_with("  ") && line.size() > 2 && line[2] != ' ') {
            names.push_back(line.substr(2, line.find(' ', 2) - 2));
        }
    }
    return names;
}

class InstallTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        prefix_ = new TempDir;
        const ProgramRun install = runProgram(
            {CMAKE_COMMAND, "--install", TAVLIN_BUILD_DIR, "--prefix", prefix_->path()}, prefix_->path());
        ASSERT_EQ(install.status, 0) << install.out << install.err;
    }
    static void TearDownTestSuite() {
        delete prefix_;
        prefix_ = nullptr;
    }
    static std::string installed(const std::string& relative) { return prefix_->file(relative); }
    static ProgramRun run(const std::vector<std::string>& args) { return runProgram(args, prefix_->path()); }

    static TempDir* prefix_;
};

TempDir* InstallTest::prefix_ = nullptr;

TEST_F(InstallTest, ProgramRunsFromThePrefix) {
    for (const char* option : {"--version", "-V"}) {
        const ProgramRun version = run({installed("bin/tavlin"), option});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, std::string("tavlin ") + TAVLIN_VERSION + "\n");
    }
    EXPECT_EQ(readBytes(installed("share/doc/tavlin/README.md")), readBytes(TAVLIN_SOURCE_DIR "/README.md"));
}

TEST_F(InstallTest, DesktopEntryIsValidAndOpensHtmlFilesWithItsIcon) {
    const std::string entry = installed("share/applications/tavlin.desktop");
    const ProgramRun validate = run({"desktop-file-validate", entry});
    EXPECT_EQ(validate.status, 0) << validate.out << validate.err;
    EXPECT_EQ(validate.out + validate.err, "");
    const std::string text = readBytes(entry);
    for (const char* line : {"\nExec=tavlin %f\n", "\nIcon=tavlin\n", "\nMimeType=text/html;\n"}) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    for (uint32_t size : {16u, 22u, 24u, 32u, 48u, 64u, 128u, 256u}) {
        const std::string side = std::to_string(size);
        const std::string icon = installed("share/icons/hicolor/" + side + "x" + side + "/apps/tavlin.png");
        EXPECT_EQ(pngSize(readBytes(icon)), std::make_pair(size, size)) << icon;
    }
}

TEST_F(InstallTest, ManualPageReadsAndDescribesEveryCommand) {
    const ProgramRun manual = run({"man", "-l", installed("share/man/man1/tavlin.1.gz")});
    ASSERT_EQ(manual.status, 0) << manual.err;
    EXPECT_EQ(manual.err, "");
    EXPECT_NE(manual.out.find(std::string("Tavlin ") + TAVLIN_VERSION), std::string::npos);
    const std::vector<std::string> commands = listedCommands(run({installed("bin/tavlin"), "--help"}).out);
    EXPECT_GE(commands.size(), 3u);
    for (const std::string& name : commands) {
        EXPECT_NE(manual.out.find("\n       " + name + " "), std::string::npos)
            << "docs/tavlin.1 has no entry for the command \"" << name << "\" under COMMANDS";
    }
}

} // namespace
} // namespace tavlin::test
