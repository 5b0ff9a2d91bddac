// `tavlin render FILE [--width N] [--height N|--full] [--images] -o OUT.png`: lays a file out as
// the main window's viewer does (white, "Times New Roman" 10 point, pictures as placeholders, or
// drawn with --images) and paints it into a PNG, without a display.
#include "app/cli/Commands.h"
#include "app/cli/Headless.h"

#include "viewer/HeadlessView.h"

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace tavlin {

namespace {

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;

struct RenderOptions {
    std::string input;
    std::string output;
    int width = kDefaultWidth;
    int height = kDefaultHeight;
    bool full = false;
    bool images = false;
};

int printRenderUsage(std::FILE* out) {
    std::fprintf(out,
                 "usage: tavlin render FILE [--width N] [--height N|--full] [--images] -o OUT.png\n\n"
                 "Lays FILE out N pixels wide (default %d) as the main window's viewer shows it and\n"
                 "paints the top of it, N pixels high (default %d), or the whole document with --full.\n"
                 "Pictures show as placeholders, as in the main window, unless --images is given.\n",
                 kDefaultWidth, kDefaultHeight);
    return out == stdout ? 0 : 2;
}

// Reads the arguments; a message and false when they are wrong.
bool parseArguments(int argc, char** argv, RenderOptions& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if ((arg == "--width" || arg == "--height") && hasValue) {
            const std::optional<int> size = parsePixels(argv[++i]);
            if (!size) {
                std::fprintf(stderr, "tavlin render: %s wants a number from 1 to %d, not \"%s\"\n",
                             argv[i - 1], kMaxPixels, argv[i]);
                return false;
            }
            (arg == "--width" ? options.width : options.height) = *size;
        } else if (arg == "--full") {
            options.full = true;
        } else if (arg == "--images") {
            options.images = true;
        } else if (arg == "-o" && hasValue) {
            options.output = argv[++i];
        } else if (!arg.empty() && arg[0] != '-' && options.input.empty()) {
            options.input = arg;
        } else {
            std::fprintf(stderr, "tavlin render: unexpected argument \"%s\"\n", argv[i]);
            return false;
        }
    }
    if (options.input.empty() || options.output.empty()) {
        std::fprintf(stderr, "tavlin render: %s\n",
                     options.input.empty() ? "no file to render" : "no output picture given (-o OUT.png)");
        return false;
    }
    return true;
}

int render(THeadlessView& view, const RenderOptions& options) {
    try {
        view.LoadFile(options.input);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tavlin render: %s\n", error.what());
        return 1;
    }
    const int docHeight = view.Layout(options.width, options.height);
    const int height = options.full ? std::min(std::max(docHeight, 1), kMaxPixels) : options.height;
    const QImage image = view.Render(options.width, height, 0);
    if (image.isNull()) {
        std::fprintf(stderr, "tavlin render: Out of Resources (a picture of %d x %d pixels)\n", options.width,
                     height);
        return 1;
    }
    if (!image.save(QString::fromLocal8Bit(options.output.c_str()), "PNG")) {
        std::fprintf(stderr, "tavlin render: cannot write %s\n", options.output.c_str());
        return 1;
    }
    return 0;
}

} // namespace

int runRenderCommand(int argc, char** argv) {
    if (asksForHelp(argc, argv)) {
        return printRenderUsage(stdout);
    }
    RenderOptions options;
    if (!parseArguments(argc, argv, options)) {
        printRenderUsage(stderr);
        return 2;
    }
    TViewerSettings settings = TViewerSettings::Listing();
    settings.ViewImages = options.images;
    return runOnHeadlessView([&options](THeadlessView& view) { return render(view, options); }, settings);
}

} // namespace tavlin
