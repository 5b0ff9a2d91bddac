// `tavlin text FILE [--width N] [-o OUT.txt]`: the document's whole text exactly as "Copy to
// Clipboard" gives it after selecting everything, in UTF-8 with this platform's line ends.
#include "app/cli/Commands.h"
#include "app/cli/Headless.h"

#include "platform/Files.h"
#include "viewer/HeadlessView.h"

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace tavlin {

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kViewHeight = 600;
constexpr std::string_view kLineEnd = "\n"; // this platform's

struct TextOptions {
    std::string input;
    std::string output; // empty: standard output
    int width = kDefaultWidth;
};

int printTextUsage(std::FILE* out) {
    std::fprintf(
        out,
        "usage: tavlin text FILE [--width N] [-o OUT.txt]\n\n"
        "Writes FILE's text as \"Copy to Clipboard\" gives it after selecting everything: no tags,\n"
        "no pictures, indented as shown, one line for each line laid out N pixels wide (default %d),\n"
        "in UTF-8. To standard output without -o.\n",
        kDefaultWidth);
    return out == stdout ? 0 : 2;
}

// What is wrong with the arguments; empty when nothing is.
std::string parseArguments(int argc, char** argv, TextOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (arg == "--width" || arg == "-o") {
            if (!value) {
                return std::string(arg) + " needs a value";
            }
            ++i;
            if (arg == "-o") {
                options.output = value;
            } else if (const std::optional<int> width = parsePixels(value)) {
                options.width = *width;
            } else {
                return "--width wants a number from 1 to " + std::to_string(kMaxPixels) + ", not \"" + value +
                       "\"";
            }
        } else if (arg.empty() || arg[0] == '-' || !options.input.empty()) {
            return "unexpected argument \"" + std::string(arg) + "\"";
        } else {
            options.input = arg;
        }
    }
    return options.input.empty() ? "no FILE given" : "";
}

std::string withPlatformLineEnds(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at);
        out.append(text.substr(at, end - at));
        if (end == std::string_view::npos) {
            break;
        }
        out.append(kLineEnd);
        at = end + 2;
    }
    return out;
}

// Writes everything, then closes a file of our own; false when any of it failed.
bool writeText(const std::string& text, const std::string& path) {
    std::FILE* out = path.empty() ? stdout : std::fopen(path.c_str(), "wb");
    if (!out) {
        return false;
    }
    bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size();
    written = std::fflush(out) == 0 && written;
    if (out != stdout) {
        written = std::fclose(out) == 0 && written;
    }
    return written;
}

int exportText(THeadlessView& view, const TextOptions& options) {
    try {
        view.LoadFile(options.input);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tavlin text: %s\n", error.what());
        return 1;
    }
    view.Layout(options.width, kViewHeight);
    if (!writeText(withPlatformLineEnds(view.AllText()), options.output)) {
        std::fprintf(stderr, "tavlin text: cannot write %s\n",
                     options.output.empty() ? "to standard output" : options.output.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int runTextCommand(int argc, char** argv) {
    if (asksForHelp(argc, argv)) {
        return printTextUsage(stdout);
    }
    TextOptions options;
    if (const std::string problem = parseArguments(argc, argv, options); !problem.empty()) {
        std::fprintf(stderr, "tavlin text: %s\n\n", problem.c_str());
        return printTextUsage(stderr);
    }
    // Writing over FILE would lose the page the text comes from.
    if (!options.output.empty() && isSameFile(options.input, options.output)) {
        std::fprintf(stderr, "tavlin text: the output %s is FILE itself: nothing written\n",
                     options.output.c_str());
        return 1;
    }
    return runOnHeadlessView([&options](THeadlessView& view) { return exportText(view, options); });
}

} // namespace tavlin
