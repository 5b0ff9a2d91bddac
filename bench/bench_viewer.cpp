// The viewer against Qt's rich-text engine, side by side in one run: loading and laying out
// converter listings of 10,000 and 100,000 entries at 800 pixels, and painting one screen at the
// top, the middle and the end of the document; and copying the whole text to the clipboard.
// Then the peak memory of each as a fresh process: `tavlin render` of the listing, and Qt's
// engine setting the same HTML, laying it out and painting the same screen into a PNG.
//
//   bench_viewer [ENTRIES...]      (default: 10000 100000)
#include "app/convert/Bookmark.h"
#include "bench/BenchApp.h"
#include "bench/BenchSupport.h"
#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "platform/qt/QtCanvas.h"
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
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
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

// Qt's side of the memory figure, run in a process of its own (`bench_viewer --qt-render HTML PNG`):
// what `tavlin render` does, done with QTextDocument.
int qtRender(const char* html, const char* png) {
    QFile file(html);
    if (!file.open(QIODevice::ReadOnly)) {
        return 1;
    }
    QTextDocument qt;
    qt.setHtml(QString::fromUtf8(file.readAll()));
    qt.setTextWidth(kWidth);
    QImage picture(kWidth, kScreenHeight, QImage::Format_RGB32);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        qt.drawContents(&painter, QRectF(0, 0, kWidth, kScreenHeight));
    }
    return picture.save(png, "PNG") ? 0 : 1;
}

// `bench_viewer --peak-of COMMAND...`: runs the command and prints its peak resident memory in kB.
int peakOf(char** command) {
    const pid_t pid = fork();
    if (pid == 0) {
        execv(command[0], command);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid < 0 || wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return 1;
    }
    std::printf("%ld\n", usage.ru_maxrss);
    return 0;
}

// Peak resident memory of a command run as a fresh process, in MB; negative when it failed. A
// child forked from this large process would count this process's pages as its own, so a small
// process of its own (--peak-of) starts the command.
double peakMb(const std::vector<std::string>& command) {
    std::string line = "'" + QCoreApplication::applicationFilePath().toStdString() + "' --peak-of";
    for (const std::string& arg : command) {
        line += " '" + arg + "'";
    }
    std::FILE* pipe = ::popen(line.c_str(), "r");
    long kb = -1;
    if (pipe && std::fscanf(pipe, "%ld", &kb) != 1) {
        kb = -1;
    }
    if (pipe && ::pclose(pipe) != 0) {
        kb = -1;
    }
    return kb < 0 ? -1 : double(kb) / 1024;
}

void reportPeakMemory(const QTemporaryDir& dir, const std::string& listing, double fileMb) {
    const std::string png = dir.filePath("peak.png").toStdString();
    const std::string empty = dir.filePath("empty.htm").toStdString();
    std::ofstream(empty, std::ios::binary) << "<html><body></body></html>\n";
    const double floor = peakMb({TAVLIN_EXE, "render", empty, "-o", png});
    const double ours = peakMb({TAVLIN_EXE, "render", listing, "-o", png});
    const double theirs =
        peakMb({QCoreApplication::applicationFilePath().toStdString(), "--qt-render", listing, png});
    std::printf(
        "  peak memory of one render (800 x 600 PNG): tavlin render %.1f MB (%.1fx the file; an empty page "
        "%.1f MB)   QTextDocument %.1f MB (%.1fx)\n",
        ours, ours / fileMb, floor, theirs, theirs / fileMb);
}

void runSize(const QTemporaryDir& dir, int entries) {
    const std::string listing = makeListing(dir, entries);
    QFile file(QString::fromStdString(listing));
    file.open(QIODevice::ReadOnly);
    const QString html = QString::fromUtf8(file.readAll());
    std::printf("\n%d entries, listing of %lld bytes\n", entries, static_cast<long long>(file.size()));
    reportPeakMemory(dir, listing, double(file.size()) / (1024 * 1024));

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
    if (argc > 2 && std::string(argv[1]) == "--peak-of") {
        return peakOf(argv + 2);
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (argc == 4 && std::string(argv[1]) == "--qt-render") {
        QGuiApplication app(argc, argv);
        return qtRender(argv[2], argv[3]);
    }
    const bench::OffscreenApp app("bench_viewer");
    QTemporaryDir dir;
    const std::vector<int> sizes = bench::sizesFrom(argc, argv, {10000, 100000});
    for (int entries : sizes) {
        runSize(dir, entries);
    }
    return 0;
}
