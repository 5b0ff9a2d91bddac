// `tavlin dump --MODE FILE`: prints what the reader makes of a file. Each mode is one row of
// the table below; a mode gets the file's bytes and the arguments after the file name.
#include "app/cli/Commands.h"
#include "app/cli/DumpImage.h"

#include "platform/Files.h"
#include "reader/HtmlReader.h"
#include "reader/TokenDump.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace tavlin {

// In DumpLayout.cpp.
int runDumpLayout(const std::string& path, const std::string& bytes, int argc, char** argv);

namespace {

struct DumpMode {
    const char* option;
    const char* summary;
    int (*run)(const std::string& path, const std::string& bytes, int argc, char** argv);
};

int dumpTokens(const std::string&, const std::string& bytes, int, char**) {
    THtmlReader reader;
    reader.UseSource(bytes);
    std::string out;
    DumpTokens(reader, out);
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

constexpr DumpMode kModes[] = {
    {"--tokens", "the token stream: position, symbol, heading level, attributes, text", dumpTokens},
    {"--layout",
     "the laid-out document (--width N, --height N, --no-images): blocks, sections, lines, fonts, images",
     runDumpLayout},
    {"--image", "a picture: type, size, frames; [--frame N] [-o OUT.png] writes the composite", dumpImage},
};

int printDumpUsage(std::FILE* out) {
    std::fprintf(out, "usage: tavlin dump MODE FILE\n\nModes:\n");
    for (const DumpMode& m : kModes) {
        std::fprintf(out, "  %-10s %s\n", m.option, m.summary);
    }
    return out == stdout ? 0 : 2;
}

} // namespace

int runDumpCommand(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        return printDumpUsage(argc < 2 ? stderr : stdout);
    }
    const std::string_view option = argv[1];
    for (const DumpMode& m : kModes) {
        if (option != m.option) {
            continue;
        }
        if (argc < 3) {
            std::fprintf(stderr, "tavlin dump: %s needs a file name\n", m.option);
            return 2;
        }
        const std::string path = argv[2];
        const std::optional<std::string> bytes = readWholeFile(path);
        if (!bytes) {
            std::fprintf(stderr, "tavlin dump: Can't locate file: %s\n", path.c_str());
            return 1;
        }
        return m.run(path, *bytes, argc - 3, argv + 3);
    }
    std::fprintf(stderr, "tavlin dump: unknown mode \"%s\"\n", argv[1]);
    return printDumpUsage(stderr);
}

} // namespace tavlin
