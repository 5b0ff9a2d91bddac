#include "app/cli/Commands.h"
#include "app/convert/Bookmark.h"
#include "app/convert/BrowserStores.h"
#include "platform/Files.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

namespace {

constexpr const char* kConvertUsage =
    "usage: tavlin convert SOURCE [-o OUTPUT] [--sort none|title|date] [--bold] [--italic] [--title TEXT]\n"
    "                      [--lenient]\n"
    "       tavlin convert --list-browsers\n"
    "\n"
    "Turns a Netscape bookmark file (a SOURCE ending in .htm or .html), a browser's own bookmark\n"
    "store (Chromium's \"Bookmarks\" file, Firefox's places.sqlite) or an MSIE Favorites folder\n"
    "(any other SOURCE) into a listing of titles and web addresses.\n"
    "\n"
    "  -o OUTPUT        the listing file (default: tavl.htm in the temporary directory)\n"
    "  --sort MODE      none (the default), title or date\n"
    "  --bold           show the web addresses in bold\n"
    "  --italic         show the web addresses in italic\n"
    "  --title TEXT     the heading of the listing (default: \"Tavlin Listing\")\n"
    "  --lenient        read bookmark files with tags in any letter case and indented <DD> lines\n"
    "  --list-browsers  list the bookmark stores of the browsers on this machine\n"
    "  -h, --help       show this help\n";

struct ConvertOptions {
    std::string source;
    std::string output;
    std::string title = "Tavlin Listing";
    uint8_t sortMode = 0;
    bool bold = false;
    bool italic = false;
    bool lenient = false;
    bool listBrowsers = false;
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

// The option's switch when arg is an option without a value; null otherwise.
bool* flagOption(std::string_view arg, ConvertOptions& options) {
    if (arg == "--bold") {
        return &options.bold;
    }
    if (arg == "--italic") {
        return &options.italic;
    }
    if (arg == "--lenient") {
        return &options.lenient;
    }
    if (arg == "--list-browsers") {
        return &options.listBrowsers;
    }
    return nullptr;
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
            if (bool* flag = flagOption(arg, options)) {
                *flag = true;
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
    if (options.listBrowsers && sourceSeen) {
        return "--list-browsers takes no SOURCE";
    }
    if (!sourceSeen && !options.help && !options.listBrowsers) {
        return "no SOURCE given";
    }
    return {};
}

// One store a line: browser, profile and path, separated by tabs.
int listBrowserStores() {
    const std::vector<BrowserStore> stores = findBrowserStores();
    for (const BrowserStore& store : stores) {
        std::printf("%s\t%s\t%s\n", store.browser.c_str(), store.profile.c_str(), store.path.c_str());
    }
    if (stores.empty()) {
        std::fputs("tavlin convert: no browser bookmarks found in the usual places\n", stderr);
    }
    return 0;
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
    if (options.listBrowsers) {
        return listBrowserStores();
    }
    if (options.output.empty()) {
        options.output = joinPath(tempDirectory(), "tavl.htm");
    }
    // Bold first, then italic, each appended: "<B><I>" ... "</B></I>", as the window builds them.
    const std::string openTags = std::string(options.bold ? "<B>" : "") + (options.italic ? "<I>" : "");
    const std::string closeTags = std::string(options.bold ? "</B>" : "") + (options.italic ? "</I>" : "");

    TBookmarkConverter converter;
    converter.Lenient = options.lenient;
    const ConvertStatus status = converter.Convert(options.source, options.output, options.sortMode,
                                                   options.title, openTags, closeTags);
    if (status != ConvertStatus::Written) {
        std::fprintf(stderr, "tavlin convert: %s\n",
                     failureMessage(status, options.source, options.output, converter.failedPath(),
                                    converter.sourceKind())
                         .c_str());
        return 1;
    }
    std::printf("wrote %s\n", options.output.c_str());
    return 0;
}

} // namespace tavlin
