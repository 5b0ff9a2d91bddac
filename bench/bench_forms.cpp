// Form controls at scale, side by side with the same page without them: loading (building,
// widgets, layout) a page of 5,000 controls into the window viewer and the headless view, and
// scrolling the window one screen at a time from top to end, each step painted (the widgets in
// view placed, the others hidden).
//
//   bench_forms [CONTROLS]      (default: 5000)
#include "bench/BenchSupport.h"
#include "viewer/HeadlessView.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerParts.h"

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

using bench::bestOf;

// Lines of text, each with five controls of the common kinds, or with words in their place.
std::string formPage(int controls, bool withControls) {
    static const char* const kControls[] = {
        "<input name=e%d value=\"text\">", "<input type=checkbox name=c%d>",
        "<input type=radio name=r value=%d>", "<select name=s%d><option>one<option>two</select>",
        "<input type=submit name=b%d>"};
    std::string html = "<html><body><form action=/x>\n";
    char buf[128];
    for (int i = 0; i < controls; ++i) {
        if (withControls) {
            std::snprintf(buf, sizeof buf, kControls[i % 5], i);
        } else {
            std::snprintf(buf, sizeof buf, "word%d", i);
        }
        html += std::string("Field ") + std::to_string(i) + " " + buf + (i % 5 == 4 ? "<br>\n" : " ");
    }
    return html + "</form></body></html>\n";
}

struct ScrollFigures {
    int steps = 0;
    double median = 0;
    double worst = 0;
};

ScrollFigures scrollThrough(tavlin::TViewer& viewer) {
    std::vector<double> steps;
    const int page = viewer.PaintPanel().height();
    for (int y = 0;; y += page) {
        const auto start = Clock::now();
        viewer.ScrollTo(y);
        viewer.PaintPanel().repaint();
        QApplication::processEvents();
        steps.push_back(msSince(start));
        if (y >= viewer.MaxVScroll()) {
            break;
        }
    }
    std::sort(steps.begin(), steps.end());
    return {int(steps.size()), steps[steps.size() / 2], steps.back()};
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const int controls = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5000;
    QTemporaryDir dir;
    tavlin::TViewer viewer;
    viewer.resize(800, 600);
    viewer.show();
    QApplication::processEvents();
    std::printf("%d controls, 800 x 600 view\n", controls);
    std::printf("%-12s %12s %12s %8s %14s %14s\n", "page", "load ms", "headless ms", "screens",
                "median step ms", "worst step ms");
    for (const bool withControls : {false, true}) {
        const std::string file = dir.filePath(withControls ? "form.htm" : "text.htm").toStdString();
        std::ofstream(file, std::ios::binary) << formPage(controls, withControls);
        const double load = bestOf(3, [&] {
            viewer.LoadFile(file);
            QApplication::processEvents();
        });
        tavlin::THeadlessView headless;
        const double headlessLoad = bestOf(3, [&] {
            headless.LoadFile(file);
            headless.Layout(800, 600);
        });
        const ScrollFigures scroll = scrollThrough(viewer);
        std::printf("%-12s %12.1f %12.1f %8d %14.2f %14.2f\n", withControls ? "controls" : "words only", load,
                    headlessLoad, scroll.steps, scroll.median, scroll.worst);
    }
    return 0;
}
