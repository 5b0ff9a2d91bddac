#include "app/cli/CommandLine.h"

#include "app/cli/Commands.h"

#include <cstdio>
#include <cstring>
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
};

int printUsage(std::FILE* out) {
    std::fprintf(out, "usage: tavlin [COMMAND [ARGS...]]\n\n"
                      "Without a command, opens the main window. Commands (each takes --help):\n");
    for (const Command& c : kCommands) {
        std::fprintf(out, "  %-10s %s\n", c.name, c.summary);
    }
    return out == stdout ? 0 : 2;
}

} // namespace

bool isCommandLine(int argc, char** argv) { return argc > 1; }

int runCommandLine(int argc, char** argv) {
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        return printUsage(stdout);
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
