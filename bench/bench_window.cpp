// The window's "Convert Now" on a large export, from the click until the listing is painted,
// beside its parts done alone in the same run: the conversion (as `tavlin convert` does it) and
// the viewer's load and layout of the listing it wrote. The click should cost no more than their
// sum: no second layout, no storm of repaints. Also counts the viewer's paints after the click.
//
//   bench_window [ENTRIES...]      (default: 100000)
#include "app/convert/Bookmark.h"
#include "app/gui/MainWindow.h"
#include "bench/BenchApp.h"
#include "bench/BenchSupport.h"
#include "tests/support/BookmarkSample.h"
#include "viewer/HeadlessView.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerParts.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using bench::bestOf;

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return QObject::eventFilter(watched, event);
    }
};

// Runs the event loop until the widget has painted at least once more (or a second has passed).
void untilPainted(const PaintCounter& counter) {
    const int before = counter.paints;
    QElapsedTimer waited;
    waited.start();
    while (counter.paints == before && waited.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QCoreApplication::processEvents(); // and whatever else the click left queued
}

void runSize(const QTemporaryDir& dir, int entries) {
    const std::string source = dir.filePath(QString("bookmarks-%1.htm").arg(entries)).toStdString();
    const std::string listing = dir.filePath(QString("tavl-%1.htm").arg(entries)).toStdString();
    std::ofstream(source, std::ios::binary) << tavlin::sample::BookmarkFile(entries);

    const double converting = bestOf(3, [&] {
        tavlin::TBookmarkConverter converter;
        converter.Convert(source, listing, 0, "Tavlin Listing", "<B>", "</B>");
    });
    tavlin::TFM_Tavlin window;
    window.resize(1000, 800);
    window.show();
    window.FormActivate();
    QCoreApplication::processEvents();
    // The headless view lays out for the width the window's viewer has.
    tavlin::THeadlessView view;
    const double loading = bestOf(3, [&] {
        view.LoadFile(listing);
        view.Layout(window.Viewer->width(), window.Viewer->height());
    });
    window.ED_HTMLFile->setText(QString::fromStdString(source));
    window.ED_TempFile->setText(QString::fromStdString(listing));
    if (!window.BT_Bold->isChecked()) {
        window.BT_Bold->click();
    }
    PaintCounter counter;
    window.Viewer->PaintPanel().installEventFilter(&counter);
    int paints = 0;
    const double clicking = bestOf(3, [&] {
        const int before = counter.paints;
        window.BT_Convert->click();
        untilPainted(counter);
        paints = counter.paints - before;
    });
    window.Viewer->PaintPanel().removeEventFilter(&counter);

    const double sum = converting + loading;
    std::printf("\n%d entries\n", entries);
    std::printf("  convert %.1f ms + viewer load and layout %.1f ms = %.1f ms\n", converting, loading, sum);
    std::printf("  \"Convert Now\" until painted %.1f ms (%d paints of the viewer)   click / sum = %.2f\n",
                clicking, paints, clicking / sum);
}

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    // The window reads and writes its settings and temporary files in a sandbox.
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("TMPDIR", home.path().toLocal8Bit());
    qputenv("TAVLIN_INI", (home.path() + "/TAVREG.INI").toLocal8Bit());
    const bench::OffscreenApp app("bench_window");
    for (int entries : bench::sizesFrom(argc, argv, {100000})) {
        runSize(home, entries);
    }
    return 0;
}
