// Form controls at scale, side by side with the same page without them: loading (building,
// widgets, layout) a page of 5,000 controls into the window viewer and the headless view, and
// scrolling the window one screen at a time from top to end, each step painted (the widgets in
// view placed, the others hidden). The first pass shows each widget for the first time (the
// toolkit polishes it then); the second is the steady cost.
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
#include <ctime>
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

// The processor time of this process, in milliseconds: on a shared machine the wall-clock step
// includes waiting for a core, this does not.
double cpuMs() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1000.0 + double(t.tv_nsec) / 1e6;
}

struct Spread {
    double median = 0;
    double worst = 0;
};

Spread spreadOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return {values[values.size() / 2], values.back()};
}

struct ScrollFigures {
    int steps = 0;
    Spread wall;
    Spread cpu;
};

ScrollFigures scrollThrough(tavlin::TViewer& viewer) {
    std::vector<double> wall;
    std::vector<double> cpu;
    const int page = viewer.PaintPanel().height();
    for (int y = 0;; y += page) {
        const auto start = Clock::now();
        const double cpuStart = cpuMs();
        viewer.ScrollTo(y);
        viewer.PaintPanel().repaint();
        QApplication::processEvents();
        wall.push_back(msSince(start));
        cpu.push_back(cpuMs() - cpuStart);
        if (y >= viewer.MaxVScroll()) {
            break;
        }
    }
    return {int(wall.size()), spreadOf(wall), spreadOf(cpu)};
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
    std::printf("%-12s %9s %12s %8s %17s %17s %17s\n", "page", "load ms", "headless ms", "screens",
                "1st pass med/max", "2nd pass med/max", "2nd pass CPU");
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
        const ScrollFigures first = scrollThrough(viewer);
        const ScrollFigures second = scrollThrough(viewer);
        std::printf("%-12s %9.1f %12.1f %8d %7.2f / %7.2f %7.2f / %7.2f %7.2f / %7.2f\n",
                    withControls ? "controls" : "words only", load, headlessLoad, first.steps,
                    first.wall.median, first.wall.worst, second.wall.median, second.wall.worst,
                    second.cpu.median, second.cpu.worst);
    }
    return 0;
}
