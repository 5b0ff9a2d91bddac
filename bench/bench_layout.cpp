// Lays out a bookmark listing of 100,000 sections at 800 pixels on the real Qt canvas, then
// paints a 1000 x 800 band at its top, middle and end, next to the same band of a 100-section
// listing: a band must cost the same however long the document is.
#include "document/Section.h"
#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "platform/qt/QtCanvas.h"
#include "reader/TokenObj.h"

#include <QGuiApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <vector>

using namespace tavlin;

namespace {

using Clock = std::chrono::steady_clock;

double Millis(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

TMyFont Face(const char* name, int height, int style = 0, Color color = 0) {
    TMyFont font;
    font.Desc = FontDesc{name, height, style, DEFAULT_CHARSET};
    font.FontColor = color;
    font.PointSize = height * 3 / 4;
    return font;
}

void AppendText(TSection& section, const std::string& text, int& source) {
    TokenObj token;
    for (char c : text) {
        token.AddChar(c, source++);
    }
    section.AppendText(token, false);
}

// One listing entry: a bold linked title, then its address; every 40th section is a folder line.
std::unique_ptr<TSection> Entry(TSectionList& doc, int i, int& source) {
    if (i % 40 == 0) {
        auto folder = std::make_unique<TSection>(&doc, Face("Arial", 21, fsBold));
        AppendText(*folder, "Folder " + std::to_string(i / 40) + ": Reading, tools and reference", source);
        return folder;
    }
    const std::string url = "http://www.example" + std::to_string(i % 977) + ".com/articles/" +
                            std::to_string(i) + "/an-interesting-page-about-bookmarks.html";
    TUrlTarget link;
    link.Assign(url, "");
    auto entry = std::make_unique<TSection>(&doc, Face("Times New Roman", 16));
    entry->SetLink(Face("Times New Roman", 16, fsBold | fsUnderline, rgb(0, 0, 255)), &link, nullptr);
    AppendText(*entry, "Bookmark number " + std::to_string(i) + " with a descriptive title", source);
    entry->SetLink(Face("Times New Roman", 16), nullptr, nullptr);
    AppendText(*entry, " - " + url, source);
    return entry;
}

void Fill(TSectionList& doc, int count) {
    int source = 0;
    for (int i = 0; i < count; ++i) {
        doc.AppendSection(Entry(doc, i, source));
    }
}

// The median time of painting the band that starts at y.
double PaintBand(TSectionList& doc, ImageCanvas& surface, int y) {
    std::vector<double> times;
    for (int run = 0; run < 41; ++run) {
        doc.SetYOffset(y);
        const auto start = Clock::now();
        doc.PaintDocument(surface.canvas(), {0, 0, 1000, 800}, 6000, 0, 0, 0, 0);
        times.push_back(Millis(Clock::now() - start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

long PeakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ImageCanvas surface(1000, 800);

    TSectionList small;
    Fill(small, 100);
    int scroll = 0;
    int counter = 0;
    small.Layout(surface.canvas(), 0, 800, 800, scroll, counter);
    const double smallBand = PaintBand(small, surface, 0);

    const long before = PeakKilobytes();
    TSectionList doc;
    auto start = Clock::now();
    Fill(doc, 100000);
    const double build = Millis(Clock::now() - start);
    std::vector<double> layouts;
    int height = 0;
    for (int run = 0; run < 5; ++run) {
        scroll = 0;
        counter = 0;
        start = Clock::now();
        height = doc.Layout(surface.canvas(), 0, 800, 800, scroll, counter);
        layouts.push_back(Millis(Clock::now() - start));
    }
    std::sort(layouts.begin(), layouts.end());
    const double top = PaintBand(doc, surface, 0);
    const double middle = PaintBand(doc, surface, height / 2);
    const double end = PaintBand(doc, surface, std::max(height - 800, 0));
    const long peak = PeakKilobytes();

    std::printf("sections 100000, height %d px, positions %d\n", height, counter);
    std::printf("build (append text): %.1f ms\n", build);
    std::printf("layout at 800 px: median %.1f ms (first %.1f ms)\n", layouts[2], layouts.front());
    std::printf("band 1000x800 paint: top %.3f ms, middle %.3f ms, end %.3f ms\n", top, middle, end);
    std::printf("same band of a 100-section listing: %.3f ms; ratio end/small %.2f\n", smallBand,
                end / smallBand);
    std::printf("peak memory %.1f MB (%.1f MB before the big document)\n", peak / 1024.0, before / 1024.0);
    return 0;
}
