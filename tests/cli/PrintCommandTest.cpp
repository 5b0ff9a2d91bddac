// Runs the real program: `tavlin print FILE -o OUT.pdf ...`, and reads the PDF back with
// poppler's pdfinfo, pdftotext and pdftoppm.
#include "tests/support/Shell.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using tavlin::test::runShell;
using tavlin::test::ShellRun;
using tavlin::test::TempDir;

constexpr double kPointsPerCm = 72 / 2.54;

bool exists(const std::string& path) {
    return std::filesystem::exists(path);
}

void spit(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// `tavlin ARGS`, with its messages in the output.
ShellRun tavlin(const std::string& args) {
    return runShell(std::string(TAVLIN_EXE) + " " + args + " 2>&1");
}

// A listing of `count` entries made by `tavlin convert`, titled "Title 000000 of the entry" on.
std::string makeListing(const TempDir& dir, int count) {
    std::ostringstream source;
    source << "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n";
    for (int i = 0; i < count; ++i) {
        if (i % 1000 == 0) {
            source << "<DT><H3>Folder " << i / 1000 << "</H3>\n<DL><p>\n";
        }
        char entry[160];
        std::snprintf(entry, sizeof entry,
                      "<DT><A HREF=\"https://site%d.example.com/p/%d\">Title %06d of the entry</A>\n",
                      i % 977, i, i);
        source << entry;
        if (i % 1000 == 999 || i + 1 == count) {
            source << "</DL><p>\n";
        }
    }
    source << "</DL>\n";
    spit(dir.file("bookmarks.html"), source.str());
    const ShellRun run = tavlin("convert " + dir.file("bookmarks.html") + " -o " + dir.file("listing.htm"));
    EXPECT_EQ(run.status, 0) << run.out;
    return dir.file("listing.htm");
}

int pdfPages(const std::string& pdf) {
    const ShellRun run = runShell("pdfinfo " + pdf + " 2>/dev/null | sed -n 's/^Pages: *//p'");
    return run.status == 0 && !run.out.empty() ? std::atoi(run.out.c_str()) : -1;
}

std::string pdfText(const std::string& pdf, int first, int last) {
    return runShell("pdftotext -layout -f " + std::to_string(first) + " -l " + std::to_string(last) + " " +
                    pdf + " -")
        .out;
}

// The lines of one page's text that hold something.
std::vector<std::string> textLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const size_t start = line.find_first_not_of(" \f");
        if (start != std::string::npos) {
            lines.push_back(line.substr(start));
        }
    }
    return lines;
}

double attribute(const std::string& tag, const char* name) {
    const size_t at = tag.find(std::string(name) + "=\"");
    return at == std::string::npos ? NAN : std::atof(tag.c_str() + at + std::strlen(name) + 2);
}

struct Word {
    int page;
    double top, bottom; // points from the page's top
    std::string text;
};

// Every word of the PDF with its box, in reading order (pdftotext -bbox).
std::vector<Word> pdfWords(const std::string& pdf, double& pageHeight) {
    const std::string html = runShell("pdftotext -bbox " + pdf + " -").out;
    std::vector<Word> words;
    int page = 0;
    for (size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at + 1)) {
        const size_t end = html.find('>', at);
        const std::string tag = html.substr(at, end - at);
        if (tag.rfind("<page ", 0) == 0) {
            ++page;
            pageHeight = attribute(tag, "height");
        } else if (tag.rfind("<word ", 0) == 0) {
            const size_t close = html.find('<', end);
            words.push_back({page, attribute(tag, "yMin"), attribute(tag, "yMax"),
                             html.substr(end + 1, close - end - 1)});
        }
    }
    return words;
}

// The black box of a page rendered by pdftoppm in grey at `dpi`: left, top, right, bottom pixel
// edges (right and bottom exclusive), and the picture's width and height.
struct Box {
    int left = -1, top = -1, right = -1, bottom = -1, width = 0, height = 0;
};

Box blackBox(const std::string& pdf, int dpi, const std::string& stem) {
    runShell("pdftoppm -gray -r " + std::to_string(dpi) + " -f 1 -l 1 -singlefile " + pdf + " " + stem);
    std::ifstream in(stem + ".pgm", std::ios::binary);
    std::string magic;
    int maxValue = 0;
    Box box;
    in >> magic >> box.width >> box.height >> maxValue;
    in.get();
    std::vector<unsigned char> pixels(size_t(box.width) * size_t(box.height));
    in.read(reinterpret_cast<char*>(pixels.data()), std::streamsize(pixels.size()));
    box.left = box.width;
    box.top = box.height;
    for (int y = 0; y < box.height; ++y) {
        for (int x = 0; x < box.width; ++x) {
            if (pixels[size_t(y) * size_t(box.width) + size_t(x)] < 128) {
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x + 1);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
    }
    return box;
}

TEST(PrintCommand, HundredThousandEntriesPrintEachTitleOnceInOrderAndNoLineCrossesAPageEdge) {
    TempDir dir;
    constexpr int kEntries = 100000;
    const std::string listing = makeListing(dir, kEntries);
    const ShellRun run = tavlin("print " + listing + " -o " + dir.file("all.pdf"));
    ASSERT_EQ(run.status, 0) << run.out;
    double pageHeight = 0;
    const std::vector<Word> words = pdfWords(dir.file("all.pdf"), pageHeight);
    ASSERT_GT(pageHeight, 0);
    const double bodyTop = 2.0 * kPointsPerCm;
    const double bodyBottom = pageHeight - 2.0 * kPointsPerCm;
    int next = 0;
    int misplaced = 0;
    for (size_t i = 0; i < words.size(); ++i) {
        const Word& w = words[i];
        // The glyphs' boxes may reach a little beyond the line's own box; a cut line would cross
        // the edge by half its height.
        if (w.top < bodyTop - 1 || w.bottom > bodyBottom + 1) {
            ADD_FAILURE_AT(__FILE__, __LINE__) << "\"" << w.text << "\" on page " << w.page << " from "
                                               << w.top << " to " << w.bottom << " pt";
            ASSERT_LT(++misplaced, 5);
        }
        if (w.text == "Title" && i + 1 < words.size()) {
            ASSERT_EQ(std::atoi(words[i + 1].text.c_str()), next) << "on page " << w.page;
            ++next;
        }
    }
    EXPECT_EQ(next, kEntries);
}

TEST(PrintCommand, RangeHeaderAndFooterMatchTheWholePrint) {
    TempDir dir;
    const std::string listing = makeListing(dir, 300);
    const std::string marks =
        " --header 'Page #PAGENUM of the list' --footer '#pagenum and #PAGENUM from #FILENAME'";
    ASSERT_EQ(tavlin("print " + listing + " -o " + dir.file("all.pdf") + marks).status, 0);
    const ShellRun run = tavlin("print " + listing + " --pages 2-3 -o " + dir.file("range.pdf") + marks);
    ASSERT_EQ(run.status, 0) << run.out;
    ASSERT_GE(pdfPages(dir.file("all.pdf")), 4);
    ASSERT_EQ(pdfPages(dir.file("range.pdf")), 2);
    EXPECT_EQ(pdfText(dir.file("range.pdf"), 1, 2), pdfText(dir.file("all.pdf"), 2, 3));
    for (int page : {1, 2}) {
        const std::vector<std::string> lines = textLines(pdfText(dir.file("range.pdf"), page, page));
        ASSERT_GE(lines.size(), 3u);
        EXPECT_EQ(lines.front(), "Page " + std::to_string(page + 1) + " of the list");
        EXPECT_EQ(lines.back(), std::to_string(page + 1) + " and #PAGENUM from " + listing);
    }
}

TEST(PrintCommand, MarginsAreMeasuredFromThePapersEdges) {
    TempDir dir;
    // Rules without gaps, black, from the body's top to beyond its bottom: the first page's black
    // box is its body.
    std::string html = "<html><body style=\"margin:0\">";
    for (int i = 0; i < 80; ++i) {
        html += "<hr noshade size=20 style=\"margin:0\">";
    }
    spit(dir.file("box.htm"), html + "</body></html>");
    constexpr int kDpi = 100;
    const auto pixels = [](double cm) { return cm / 2.54 * kDpi; };
    struct Case {
        std::string option;
        double left, right, top, bottom;
    };
    for (const Case& c : {Case{"", 2.0, 2.0, 2.0, 2.0}, Case{"--margins 1,3,2.5,4", 1, 3, 2.5, 4}}) {
        const std::string pdf = dir.file("box" + std::to_string(c.option.size()) + ".pdf");
        ASSERT_EQ(tavlin("print " + dir.file("box.htm") + " " + c.option + " -o " + pdf).status, 0);
        const Box box = blackBox(pdf, kDpi, dir.file("page"));
        SCOPED_TRACE(c.option);
        EXPECT_NEAR(box.left, pixels(c.left), 1.0);
        EXPECT_NEAR(box.top, pixels(c.top), 1.0);
        EXPECT_NEAR(box.width - box.right, pixels(c.right), 1.0);
        EXPECT_NEAR(box.height - box.bottom, pixels(c.bottom), 1.0);
    }
}

TEST(PrintCommand, RefusesWhatItCannotPrintAndWritesNoFile) {
    TempDir dir;
    spit(dir.file("empty.htm"), "<html><body><div></div><page></body></html>");
    spit(dir.file("short.htm"), "<p>One short page");
    spit(dir.file("kept.pdf"), "earlier");
    struct Case {
        std::string args;
        int status;
        std::string message;
    };
    for (const Case& c : {
             Case{dir.file("empty.htm"), 1, "nothing to print"},
             Case{dir.file("short.htm") + " --pages 2-5", 1, "page 2 is beyond the end"},
             Case{dir.file("short.htm") + " --pages 3-2", 2, "FROM is after TO"},
             Case{dir.file("short.htm") + " --margins 11,11,2,2", 1, "leave no room"},
             Case{dir.file("missing.htm"), 1, "Can't locate file"},
         }) {
        SCOPED_TRACE(c.args);
        const ShellRun run = tavlin("print " + c.args + " -o " + dir.file("out.pdf"));
        EXPECT_EQ(run.status, c.status);
        EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
        EXPECT_FALSE(exists(dir.file("out.pdf")));
        EXPECT_FALSE(exists(dir.file("out.pdf.partial")));
    }
    // A failed print leaves an earlier file of the name alone.
    EXPECT_EQ(tavlin("print " + dir.file("empty.htm") + " -o " + dir.file("kept.pdf")).status, 1);
    std::ifstream kept(dir.file("kept.pdf"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "earlier");
}

} // namespace
