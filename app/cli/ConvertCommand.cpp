#include "app/cli/Commands.h"
#include "app/convert/Bookmark.h"
#include "platform/Files.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace tavlin {

namespace {

constexpr const char* kConvertUsage =
    "usage: tavlin convert SOURCE [-o OUTPUT] [--sort none|title|date] [--bold] [--italic] [--title TEXT]\n"
    "\n"
    "Turns a Netscape bookmark file (a SOURCE ending in .htm or .html) or an MSIE Favorites\n"
    "folder (any other SOURCE) into a listing of titles and web addresses.\n"
    "\n"
    "  -o OUTPUT        the listing file (default: tavl.htm in the temporary directory)\n"
    "  --sort MODE      none (the default), title or date\n"
    "  --bold           show the web addresses in bold\n"
    "  --italic         show the web addresses in italic\n"
    "  --title TEXT     the heading of the listing (default: \"Tavlin Listing\")\n"
    "  -h, --help       show this help\n";

struct ConvertOptions {
    std::string source;
    std::string output;
    std::string title = "Tavlin Listing";
    uint8_t sortMode = 0;
    bool bold = false;
    bool italic = false;
    bool help = false;
};

bool parseSortMode(std::string_view text, uint8_t& mode) {
    constexpr std::string_view kModes[] = {"none", "title", "date"};
    for (uint8_t i = 0; i < 3; ++i) {
        if (text == kModes[i]) {
            mode = i;
            return true;
        }
    }
    return false;
}

// Reads the arguments into options; returns what is wrong with them, empty when nothing is.
std::string parseArguments(int argc, char** argv, ConvertOptions& options) {
    bool sourceSeen = false;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        std::string_view arg = argv[i];
        if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            if (arg == "--") {
                optionsEnded = true;
                continue;
            }
            if (arg == "-h" || arg == "--help") {
                options.help = true;
                continue;
            }
            if (arg == "--bold" || arg == "--italic") {
                (arg == "--bold" ? options.bold : options.italic) = true;
                continue;
            }
            // Options with a value, as "--sort title" or "--sort=title".
            std::string_view name = arg;
            std::string_view value;
            const size_t equals = arg.find('=');
            const bool inlineValue = arg.starts_with("--") && equals != std::string_view::npos;
            if (inlineValue) {
                name = arg.substr(0, equals);
                value = arg.substr(equals + 1);
            }
            if (name != "-o" && name != "--output" && name != "--sort" && name != "--title") {
                return "unknown option " + std::string(arg);
            }
            if (!inlineValue) {
                if (i + 1 >= argc) {
                    return std::string(name) + " needs a value";
                }
                value = argv[++i];
            }
            if (name == "--sort") {
                if (!parseSortMode(value, options.sortMode)) {
                    return "--sort takes none, title or date, not \"" + std::string(value) + "\"";
                }
            } else if (name == "--title") {
                options.title = value;
            } else if (value.empty()) {
                return std::string(name) + " needs a file name";
            } else {
                options.output = value;
            }
            continue;
        }
        if (sourceSeen) {
            return "only one SOURCE may be given";
        }
        options.source = arg;
        sourceSeen = true;
    }
    if (!sourceSeen && !options.help) {
        return "no SOURCE given";
    }
    return {};
}

} // namespace

int runConvertCommand(int argc, char** argv) {
    ConvertOptions options;
    const std::string problem = parseArguments(argc, argv, options);
    if (options.help) {
        std::fputs(kConvertUsage, stdout);
        return 0;
    }
    if (!problem.empty()) {
        std::fprintf(stderr, "tavlin convert: %s\n\n%s", problem.c_str(), kConvertUsage);
        return 2;
    }
    if (options.output.empty()) {
        options.output = joinPath(tempDirectory(), "tavl.htm");
    }
    // Bold first, then italic, each appended: "<B><I>" ... "</B></I>", as the window builds them.
    const std::string openTags = std::string(options.bold ? "<B>" : "") + (options.italic ? "<I>" : "");
    const std::string closeTags = std::string(options.bold ? "</B>" : "") + (options.italic ? "</I>" : "");

    TBookmarkConverter converter;
    const ConvertStatus status = converter.Convert(options.source, options.output, options.sortMode,
                                                   options.title, openTags, closeTags);
    if (status != ConvertStatus::Written) {
        std::fprintf(stderr, "tavlin convert: %s\n",
                     failureMessage(status, options.source, options.output, converter.failedPath()).c_str());
        return 1;
    }
    std::printf("wrote %s\n", options.output.c_str());
    return 0;
}

} // namespace tavlin
