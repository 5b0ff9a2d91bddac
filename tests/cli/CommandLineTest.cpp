// What `tavlin ARGS...` asks for: the window, the window with a file, or a command.
#include "app/cli/CommandLine.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace tavlin {
namespace {

struct Args {
    explicit Args(std::vector<std::string> words) : words_(std::move(words)) {
        for (std::string& w : words_) {
            argv_.push_back(w.data());
        }
        argv_.push_back(nullptr);
    }
    int argc() const { return int(words_.size()); }
    char** argv() { return argv_.data(); }

private:
    std::vector<std::string> words_;
    std::vector<char*> argv_;
};

bool isCommand(std::vector<std::string> words) {
    Args args(std::move(words));
    return isCommandLine(args.argc(), args.argv());
}

std::string opened(std::vector<std::string> words) {
    Args args(std::move(words));
    return isCommandLine(args.argc(), args.argv()) ? "(command)" : fileToOpen(args.argc(), args.argv());
}

TEST(CommandLineTest, ALoneFileOpensTheWindowAndEverythingElseIsACommand) {
    EXPECT_EQ(opened({"tavlin"}), "");
    const std::string here = std::filesystem::current_path().string();
    EXPECT_EQ(opened({"tavlin", "list.htm"}), here + "/list.htm");
    EXPECT_EQ(opened({"tavlin", "./render"}), here + "/render");
    EXPECT_EQ(opened({"tavlin", "/home/u/Favorites/"}), "/home/u/Favorites");
    EXPECT_EQ(opened({"tavlin", "/a/../b.html"}), "/b.html");
    const std::vector<std::string> commandWords = {"convert", "render", "help", "--version", "-V", "--bogus"};
    for (const std::string& word : commandWords) {
        EXPECT_TRUE(isCommand({"tavlin", word})) << word;
    }
    EXPECT_TRUE(isCommand({"tavlin", "a.htm", "b.htm"}));
}

} // namespace
} // namespace tavlin
