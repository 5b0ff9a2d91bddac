// `tavlin dump --layout FILE [--width N] [--height N]`: lays the file out as the viewer would, on
// the real Qt canvas (offscreen, 96 pixels per inch), and prints the layout tree.
#include "app/cli/LeaveForExit.h"
#include "builder/HtmlParser.h"
#include "document/LayoutDump.h"
#include "document/SectionList.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtImageDecoder.h"

#include <QGuiApplication>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace tavlin {

namespace {

// Fonts need an application object; a command line run has none, and no display either.
void ensureGuiApplication() {
    if (QCoreApplication::instance()) {
        return;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    static int argc = 1;
    static char name[] = "tavlin";
    static char* argv[] = {name, nullptr};
    static auto* app = new QGuiApplication(argc, argv);
    (void)app;
}

bool readSize(const char* option, const char* text, int& value) {
    char* end = nullptr;
    const long n = std::strtol(text, &end, 10);
    if (!end || *end != '\0' || n < 1 || n > 32000) {
        std::fprintf(stderr, "tavlin dump: %s needs a number from 1 to 32000, not \"%s\"\n", option, text);
        return false;
    }
    value = int(n);
    return true;
}

// The viewer's defaults: Times New Roman 12 pt, Courier New for preformatted text, margins of
// 10 and 5 pixels, the classic button-face background.
void applyViewerDefaults(TSectionList& document) {
    document.SetDefaults("Times New Roman", "Courier New", 10, 5, 1, true, false, rgb(0xC0, 0xC0, 0xC0),
                         rgb(0, 0, 255), rgb(128, 0, 128), rgb(0, 0, 255), 0, 12);
}

} // namespace

int runDumpLayout(const std::string& path, const std::string&, int argc, char** argv) {
    int width = 800;
    int height = 600;
    bool images = true;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-images") == 0) {
            images = false; // pictures as placeholders, as the main window shows them
            continue;
        }
        const bool isWidth = std::strcmp(argv[i], "--width") == 0;
        const bool isHeight = std::strcmp(argv[i], "--height") == 0;
        if ((isWidth || isHeight) && i + 1 < argc) {
            if (!readSize(argv[i], argv[i + 1], isWidth ? width : height)) {
                return 2;
            }
            ++i;
        } else {
            std::fprintf(
                stderr,
                "tavlin dump: unknown option \"%s\" (--layout takes --width N, --height N and --no-images)\n",
                argv[i]);
            return 2;
        }
    }
    ensureGuiApplication();
    QtImageDecoder::install();
    auto owned = std::make_unique<TSectionList>();
    TSectionList& document = *owned;
    applyViewerDefaults(document);
    document.ShowImages = images;
    const TParseResult parsed = ParseHtmlFromFile(document, path);
    ImageCanvas surface(1, 1);
    int scrollWidth = 0;
    int counter = 0;
    const int docHeight = document.Layout(surface.canvas(), 0, width, height, scrollWidth, counter);
    PlaceObjects(document, surface.canvas(), width, docHeight);
    std::string out;
    if (!parsed.DocTitle.empty()) {
        out += "title \"" + parsed.DocTitle + "\"\n";
    }
    if (!parsed.Error.empty()) {
        out += "stopped \"" + parsed.Error + "\"\n";
    }
    out += DumpLayoutTree(document, docHeight, scrollWidth);
    std::fwrite(out.data(), 1, out.size(), stdout);
    LeaveForExit(std::move(owned));
    return 0;
}

} // namespace tavlin
