#include "app/cli/CommandLine.h"

#include "app/Version.h"
#include "app/cli/Commands.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace tavlin {

namespace {

struct Command {
    const char* name;
    const char* summary;
    int (*run)(int argc, char** argv);
};

// Every subcommand, in the order `tavlin --help` lists them.
constexpr Command kCommands[] = {
    {"convert", "convert a bookmark file or Favorites folder into a listing", runConvertCommand},
    {"dump", "print what the reader makes of a file", runDumpCommand},
    {"render", "lay a file out as the viewer does and paint it into a PNG", runRenderCommand},
    {"text", "write a file's text as \"Copy to Clipboard\" gives it", runTextCommand},
    {"print", "print a file as the main window does, into a PDF", runPrintCommand},
};

int printUsage(std::FILE* out) {
    std::fprintf(out, "usage: tavlin [FILE]\n"
                      "       tavlin COMMAND [ARGS...]\n"
                      "       tavlin --version\n\n"
                      "Without a command, opens the main window, with FILE (a bookmark file or a Favorites\n"
                      "folder) as the source when one is given. Commands (each takes --help):\n");
    for (const Command& c : kCommands) {
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    }
    return out == stdout ? 0 : 2;
}

bool isCommandName(std::string_view arg) {
    for (const Command& c : kCommands) {
        if (arg == c.name) {
            return true;
        }
    }
    return arg == "help";
}

// A lone argument that is neither an option nor a command is a file for the window; a file
// named like a command is given as ./NAME.
bool namesWindowFile(int argc, char** argv) {
    return argc == 2 && argv[1][0] != '\0' && argv[1][0] != '-' && !isCommandName(argv[1]);
}

} // namespace

bool asksForHelp(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            return true;
        }
    }
    return false;
}

bool isCommandLine(int argc, char** argv) {
    return argc > 1 && !namesWindowFile(argc, argv);
}

std::string fileToOpen(int argc, char** argv) {
    if (!namesWindowFile(argc, argv)) {
        return {};
    }
    std::error_code ignored;
    std::filesystem::path whole = std::filesystem::absolute(argv[1], ignored).lexically_normal();
    if (!whole.has_filename() && whole != whole.root_path()) {
        whole = whole.parent_path(); // a folder's trailing separator
    }
    return whole.empty() ? argv[1] : whole.string();
}

int runCommandLine(int argc, char** argv) {
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        return printUsage(stdout);
    }
    if (name == "--version" || name == "-V") {
        std::printf("%s %s\n", kProgramName, kProgramVersion);
        return 0;
    }
    for (const Command& c : kCommands) {
        if (name == c.name) {
            return c.run(argc - 1, argv + 1);
        }
    }
    std::fprintf(stderr, "tavlin: unknown command \"%s\"\n", argv[1]);
    return printUsage(stderr);
}

} // namespace tavlin
