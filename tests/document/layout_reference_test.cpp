// Reference layouts: every tests/data/layout/NAME.html is built and laid out on the real Qt
// canvas (Liberation faces, 96 pixels per inch) and its layout tree must equal NAME.layout.txt,
// exactly as `tavlin dump --layout` prints it. A first-line comment "width=N" sets the width
// (400 otherwise), "images=off" shows pictures as placeholders. An intended change of layout updates the
// expected dumps in the same commit: run with TAVLIN_UPDATE_LAYOUT=1 to rewrite them, and read the difference
// before committing.
#include "builder/HtmlParser.h"
#include "document/LayoutDump.h"
#include "document/SectionList.h"
#include "platform/Files.h"
#include "platform/qt/QtCanvas.h"
#include "tests/support/QtTestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

namespace tavlin::test {
namespace {

const std::string kDir = std::string(TAVLIN_TEST_DATA) + "/layout";

int WidthOf(const std::string& html) {
    std::smatch m;
    const std::string firstLine = html.substr(0, html.find('\n'));
    if (std::regex_search(firstLine, m, std::regex("width=([0-9]+)"))) {
        return std::stoi(m[1]);
    }
    return 400;
}

// The dump `tavlin dump --layout` prints for a file.
std::string LayoutOf(const std::string& path, int width) {
    TSectionList document;
    document.SetDefaults("Times New Roman", "Courier New", 10, 5, 1, true, false, rgb(0xC0, 0xC0, 0xC0),
                         rgb(0, 0, 255), rgb(128, 0, 128), rgb(0, 0, 255), 0, 12);
    // A first-line comment "images=off" lays the page out as the main window shows it.
    const std::string html = readWholeFile(path).value_or("");
    document.ShowImages = html.substr(0, html.find('\n')).find("images=off") == std::string::npos;
    const TParseResult parsed = ParseHtmlFromFile(document, path);
    ImageCanvas surface(1, 1);
    int scrollWidth = 0;
    int counter = 0;
    const int height = document.Layout(surface.canvas(), 0, width, 600, scrollWidth, counter);
    PlaceObjects(document, surface.canvas(), width, height);
    std::string out;
    if (!parsed.DocTitle.empty()) {
        out += "title \"" + parsed.DocTitle + "\"\n";
    }
    if (!parsed.Error.empty()) {
        out += "stopped \"" + parsed.Error + "\"\n";
    }
    return out + DumpLayoutTree(document, height, scrollWidth);
}

std::vector<std::string> ReferenceFiles() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(kDir)) {
        if (entry.path().extension() == ".html") {
            names.push_back(entry.path().stem().string());
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(LayoutReference, EveryPageLaysOutAsItsExpectedDump) {
    ensureQtApplication();
    const bool update = std::getenv("TAVLIN_UPDATE_LAYOUT") != nullptr;
    const std::vector<std::string> names = ReferenceFiles();
    ASSERT_GE(names.size(), 5u);
    for (const std::string& name : names) {
        const std::string html = kDir + "/" + name + ".html";
        const std::string expectedPath = kDir + "/" + name + ".layout.txt";
        const std::string actual = LayoutOf(html, WidthOf(readWholeFile(html).value_or("")));
        if (update) {
            std::ofstream(expectedPath, std::ios::binary) << actual;
            continue;
        }
        const std::optional<std::string> expected = readWholeFile(expectedPath);
        ASSERT_TRUE(expected) << "no expected dump for " << name << " (run with TAVLIN_UPDATE_LAYOUT=1)";
        EXPECT_EQ(actual, *expected) << name;
    }
}

TEST(LayoutReference, LayingOutTwiceGivesTheSameTree) {
    ensureQtApplication();
    const std::string html = kDir + "/boxes.html";
    EXPECT_EQ(LayoutOf(html, 400), LayoutOf(html, 400));
    EXPECT_NE(LayoutOf(html, 400), LayoutOf(html, 300));
}

} // namespace
} // namespace tavlin::test
