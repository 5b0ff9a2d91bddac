// The viewer against Qt's rich-text engine, side by side in one run: loading and laying out
// converter listings of 10,000 and 100,000 entries at 800 pixels, and painting one screen at the
// top, the middle and the end of the document; and copying the whole text to the clipboard.
//
//   bench_viewer [ENTRIES...]      (default: 10000 100000)
#include "app/convert/Bookmark.h"
#include "bench/BenchSupport.h"
#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtSystemInfo.h"
#include "tests/support/BookmarkSample.h"
#include "viewer/HeadlessView.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerParts.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextDocument>
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
constexpr int kWidth = 800;
constexpr int kScreenHeight = 600;

using bench::bestOf;

std::string makeListing(const QTemporaryDir& dir, int entries) {
    const std::string source = dir.filePath(QString("bookmarks-%1.htm").arg(entries)).toStdString();
    const std::string listing = dir.filePath(QString("listing-%1.htm").arg(entries)).toStdString();
    std::ofstream(source, std::ios::binary) << tavlin::sample::BookmarkFile(entries);
    if (tavlin::Convert(source, listing, 0, "Tavlin Listing", "<B>", "</B>") !=
        tavlin::ConvertStatus::Written) {
        std::fprintf(stderr, "bench_viewer: the converter wrote no listing\n");
        std::exit(1);
    }
    return listing;
}

// One screen of the headless view as the viewer paints it: an off-screen picture, the
// background, the band.
double paintScreen(tavlin::THeadlessView& view, int top) {
    return bestOf(20, [&] {
        QImage buffer(kWidth, kScreenHeight, QImage::Format_RGB32);
        QPainter painter(&buffer);
        tavlin::QtCanvas canvas(painter);
        canvas.fillRect({0, 0, kWidth, kScreenHeight}, view.Background());
        view.PaintBand(canvas, kWidth, kScreenHeight, top);
    });
}

double paintQtScreen(QTextDocument& document, int top) {
    return bestOf(20, [&] {
        QImage buffer(kWidth, kScreenHeight, QImage::Format_RGB32);
        buffer.fill(Qt::white);
        QPainter painter(&buffer);
        painter.translate(0, -top);
        document.drawContents(&painter, QRectF(0, top, kWidth, kScreenHeight));
    });
}

// The window control: the whole surface repainted through its own paint event.
double paintControlScreen(tavlin::TViewer& viewer, int top) {
    viewer.ScrollTo(top);
    QImage target(viewer.PaintPanel().size(), QImage::Format_RGB32);
    return bestOf(20, [&] { viewer.PaintPanel().render(&target); });
}

void runSize(const QTemporaryDir& dir, int entries) {
    const std::string listing = makeListing(dir, entries);
    QFile file(QString::fromStdString(listing));
    file.open(QIODevice::ReadOnly);
    const QString html = QString::fromUtf8(file.readAll());
    std::printf("\n%d entries, listing of %lld bytes\n", entries, static_cast<long long>(file.size()));

    tavlin::THeadlessView view;
    int ourHeight = 0;
    double reading = 1e300;
    double laying = 1e300;
    const double ours = bestOf(3, [&] {
        const auto start = Clock::now();
        view.LoadFile(listing);
        const auto read = Clock::now();
        ourHeight = view.Layout(kWidth, kScreenHeight);
        reading = std::min(reading, std::chrono::duration<double, std::milli>(read - start).count());
        laying = std::min(laying, std::chrono::duration<double, std::milli>(Clock::now() - read).count());
    });
    QTextDocument qt;
    double qtHeight = 0;
    const double theirs = bestOf(entries > 50000 ? 1 : 3, [&] {
        qt.setHtml(html);
        qt.setTextWidth(kWidth);
        qtHeight = qt.documentLayout()->documentSize().height();
    });
    std::printf("  load + layout at %d px: viewer %9.1f ms (height %d)   QTextDocument %9.1f ms (height %.0f)"
                "   QTextDocument / viewer = %.1fx\n",
                kWidth, ours, ourHeight, theirs, qtHeight, theirs / ours);
    std::printf("  the viewer's parts: reading %.1f ms, layout %.1f ms\n", reading, laying);

    // "Copy to Clipboard" with nothing selected: the whole text, made Unicode, on the clipboard.
    size_t copiedChars = 0;
    const double copying = bestOf(3, [&] {
        const QString text =
            QString::fromStdString(tavlin::toUtf8(view.Document().DocumentText(), tavlin::DEFAULT_CHARSET));
        QGuiApplication::clipboard()->setText(text);
        copiedChars = size_t(text.size());
    });
    const double qtCopying = bestOf(3, [&] { QGuiApplication::clipboard()->setText(qt.toPlainText()); });
    std::printf("  whole text to the clipboard (%zu characters): viewer %.1f ms   QTextDocument %.1f ms"
                "   QTextDocument / viewer = %.1fx\n",
                copiedChars, copying, qtCopying, qtCopying / copying);

    tavlin::TViewer control;
    control.resize(kWidth, kScreenHeight);
    const double controlLoad = bestOf(3, [&] { control.LoadFile(listing); });
    std::printf("  the window control's LoadFile (read, lay out, arrange bars): %.1f ms\n", controlLoad);

    const int tops[] = {0, std::max(ourHeight / 2 - kScreenHeight / 2, 0),
                        std::max(ourHeight - kScreenHeight, 0)};
    const int qtTops[] = {0, std::max(int(qtHeight) / 2 - kScreenHeight / 2, 0),
                          std::max(int(qtHeight) - kScreenHeight, 0)};
    const char* names[] = {"top", "middle", "end"};
    for (int i = 0; i < 3; ++i) {
        std::printf("  one %dx%d screen at the %-6s: viewer band %6.3f ms   control repaint %6.3f ms"
                    "   QTextDocument %7.3f ms\n",
                    kWidth, kScreenHeight, names[i], paintScreen(view, tops[i]),
                    paintControlScreen(control, tops[i]), paintQtScreen(qt, qtTops[i]));
    }
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    char name[] = "bench_viewer";
    char* appArgv[] = {name, nullptr};
    QApplication app(appArgc, appArgv);
    tavlin::QtSystemInfo system;
    tavlin::setSystemInfo(&system);
    QTemporaryDir dir;
    const std::vector<int> sizes = bench::sizesFrom(argc, argv, {10000, 100000});
    for (int entries : sizes) {
        runSize(dir, entries);
    }
    tavlin::setSystemInfo(nullptr);
    return 0;
}
