#include "viewer/PrintJob.h"

#include "document/Block.h"
#include "document/SectionList.h"
#include "platform/System.h"
#include "viewer/Printer.h"

#include <QCoreApplication>
#include <QPrinter>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavlin {

namespace {

constexpr Color kWhite = 0xFFFFFF;

// Centimetres to printer pixels, to the nearest pixel (halves to even).
int centimetresToPixels(double cm, int pixelsPerInch) {
    return int(std::nearbyint(cm / 2.54 * pixelsPerInch));
}

// a * b / c to the nearest integer, halves away from zero.
int mulDiv(int a, int b, int c) {
    const int64_t product = int64_t(a) * b;
    const int64_t half = c / 2;
    return int(product >= 0 ? (product + half) / c : (product - half) / c);
}

// The painter's state for a scope, however the scope ends.
class PainterStateSaver {
public:
    explicit PainterStateSaver(QPainter& painter) : painter_(painter) { painter_.save(); }
    ~PainterStateSaver() { painter_.restore(); }
    PainterStateSaver(const PainterStateSaver&) = delete;
    PainterStateSaver& operator=(const PainterStateSaver&) = delete;

private:
    QPainter& painter_;
};

// Every document has a body, so "no sections" hardly ever holds; what matters is whether the
// laid-out document holds anything that prints: a character or a picture (a document position),
// or a section that draws without text (a rule, a table). Empty blocks and page breaks do not.
bool ShowsSomething(const TSectionList& document, int positions) {
    if (positions > 0) {
        return true;
    }
    std::vector<const TCellBasic*> lists{&document};
    while (!lists.empty()) {
        const TCellBasic& list = *lists.back();
        lists.pop_back();
        for (int i = 0; i < list.Count(); ++i) {
            const TSectionBase& section = list[i];
            if (const auto* block = dynamic_cast<const TBlock*>(&section)) {
                lists.push_back(&block->Content);
            } else if (!section.IsTextSection() && !dynamic_cast<const TPage*>(&section)) {
                return true;
            }
        }
    }
    return false;
}

// The job's printer object is the program's current one while the job runs.
class CurrentPrinterScope {
public:
    explicit CurrentPrinterScope(TvwPrinter& printer) : previous_(SetCurrentPrinter(&printer)) {}
    ~CurrentPrinterScope() { SetCurrentPrinter(previous_); }
    CurrentPrinterScope(const CurrentPrinterScope&) = delete;
    CurrentPrinterScope& operator=(const CurrentPrinterScope&) = delete;

private:
    TvwPrinter* previous_;
};

} // namespace

TPrinterMetrics TPrinterMetrics::Of(const QPrinter& printer) {
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    TPrinterMetrics m;
    m.PixelsPerInchX = printer.logicalDpiX();
    m.PixelsPerInchY = printer.logicalDpiY();
    m.PhysicalWidth = paper.width();
    m.PhysicalHeight = paper.height();
    m.PageWidth = printer.width();
    m.PageHeight = printer.height();
    m.OffsetX = page.left() - paper.left();
    m.OffsetY = page.top() - paper.top();
    return m;
}

TPageGeometry TPageGeometry::Of(const TPrinterMetrics& m, const TPrintMargins& margins,
                                int screenPixelsPerInch) {
    const int lx = std::max(m.PixelsPerInchX, 1);
    const int ly = std::max(m.PixelsPerInchY, 1);
    const int s = std::max(screenPixelsPerInch, 1);
    const int unprintableRight = std::max(m.PhysicalWidth - m.PageWidth - m.OffsetX, 0);
    const int unprintableBottom = std::max(m.PhysicalHeight - m.PageHeight - m.OffsetY, 0);
    TPageGeometry g;
    // A margin narrower than the printer's unprintable edge would put the body where nothing can
    // be printed; the body starts at the printable area instead.
    g.ML = std::max(centimetresToPixels(margins.Left, lx) - m.OffsetX, 0);
    g.MR = std::max(centimetresToPixels(margins.Right, lx) - unprintableRight, 0);
    g.MT = std::max(centimetresToPixels(margins.Top, ly) - m.OffsetY, 0);
    g.MB = std::max(centimetresToPixels(margins.Bottom, ly) - unprintableBottom, 0);
    g.BW = m.PageWidth - g.MR - g.ML;
    g.BH = m.PageHeight - g.MT - g.MB;
    g.MLs = mulDiv(g.ML, s, lx);
    g.BWs = mulDiv(g.BW, s, lx);
    g.MTs = mulDiv(g.MT, s, ly);
    g.BHs = mulDiv(g.BH, s, ly);
    g.PHs = mulDiv(m.PageHeight, s, ly);
    g.PWs = mulDiv(m.PageWidth, s, lx);
    g.ScaleX = double(lx) / s;
    g.ScaleY = double(ly) / s;
    if (g.BWs < 1 || g.BHs < 1) {
        throw EPrinterError("The page margins leave no room to print on: the body would be " +
                            std::to_string(g.BWs) + " x " + std::to_string(g.BHs) + " pixels");
    }
    return g;
}

struct TPrintJob::PageLoop {
    TvwPrinter& printer;
    TSectionList& copy;
    const TPageGeometry& g;
    int height;  // the laid-out copy's
    int top = 0; // document y of the page being printed
};

TPrintJob::TPrintJob(const TSectionList& document, QPrinter& printer)
    : document_(document), printer_(printer) {}

bool TPrintJob::RaiseProgress(int page) {
    bool stop = false;
    if (PageProgress) {
        PageProgress(page, stop);
    }
    return stop;
}

void TPrintJob::Print(int fromPage, int toPage, int& printedPage) {
    RaiseProgress(0);
    printedPage = 0;
    if (document_.IsEmpty()) {
        return;
    }
    fromPage = std::max(fromPage, 1);
    if (toPage < fromPage) {
        throw EPrinterError("There is no page from " + std::to_string(fromPage) + " to " +
                            std::to_string(toPage));
    }
    const TPageGeometry g =
        TPageGeometry::Of(TPrinterMetrics::Of(printer_), Margins, systemInfo().pixelsPerInch());

    std::unique_ptr<TSectionList> copy = document_.CloneFor();
    copy->Printing = true;
    copy->SetYOffset(0);
    copy->SetBackground(kWhite);
    TvwPrinter printer(printer_);
    CurrentPrinterScope current(printer);
    printer.SetTitle(Title);

    int scrollWidth = 0;
    int counter = 0;
    PageLoop loop{printer, *copy, g, copy->Layout(printer.Canvas(), 0, g.BWs, g.BHs, scrollWidth, counter)};
    if (loop.height <= 0 || !ShowsSomething(*copy, counter)) {
        return;
    }
    printedPage = 1;
    try {
        RunPages(loop, fromPage, toPage, printedPage);
    } catch (...) {
        if (printer.Printing()) {
            printer.Abort();
        }
        printedPage = std::max(printedPage - 1, 0);
        throw;
    }
    // A range that began beyond the last page never started the job.
    if (printer.Printing()) {
        printer.EndDoc();
    }
    --printedPage;
}

void TPrintJob::RunPages(PageLoop& loop, int fromPage, int toPage, int& printedPage) {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    bool stop = RaiseProgress(printedPage);
    while (printedPage <= toPage && !stop) {
        const bool inRange = printedPage >= fromPage;
        if (inRange && !loop.printer.Printing()) {
            loop.printer.BeginDoc();
        }
        DrawPage(loop, inRange ? printedPage : 0, stop);
        loop.top = loop.copy.PageBottom;
        // Between pages the window repaints and timers run; what the user types waits, so that
        // nothing can reload or close what is being printed.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        stop = RaiseProgress(printedPage) || stop;
        // The page that reaches the document's end is the last: no blank sheet follows it.
        stop = stop || loop.top >= loop.height;
        if (!stop && fromPage <= printedPage && printedPage < toPage) {
            loop.printer.NewPage();
        }
        ++printedPage;
    }
}

// Draws one band of the document: into the information context for a page before the range
// (page 0: it only finds where its page ends), on the sheet for a page in it. Leaves the next
// page's top in the copy's PageBottom.
void TPrintJob::DrawPage(PageLoop& loop, int page, bool& stop) {
    const TPageGeometry& g = loop.g;
    TSectionList& copy = loop.copy;
    QPainter& painter = loop.printer.Painter();
    painter.resetTransform();
    painter.scale(g.ScaleX, g.ScaleY);
    Canvas& canvas = loop.printer.Canvas();
    copy.SetYOffset(loop.top - g.MTs);
    const Rect body{g.MLs, g.MTs, g.MLs + g.BWs, g.MTs + g.BHs};
    copy.PaintDocument(canvas, body, g.BWs, g.MLs, 0, 0, 0);
    // Sections that leave no room below the page's top would print the same band forever: the
    // next page then starts one body height further down.
    if (copy.PageBottom <= loop.top) {
        copy.PageBottom = loop.top + g.BHs;
    }
    if (page == 0) {
        return;
    }
    // What reached past the body's top and what lies below the page break are the neighbours'.
    canvas.fillRect(Rect{g.MLs, 0, g.MLs + g.BWs + 1, g.MTs - 1}, kWhite);
    canvas.fillRect(Rect{g.MLs, copy.PageBottom - loop.top + g.MTs, g.MLs + g.BWs + 1, g.MTs + g.BHs},
                    kWhite);
    stop = RaisePageEvents(loop.printer, g, page);
}

bool TPrintJob::RaisePageEvents(TvwPrinter& printer, const TPageGeometry& g, int page) {
    bool stop = false;
    QPainter& painter = printer.Painter();
    const auto raise = [&](const TPageEvent& event, int originY, int height) {
        if (!event) {
            return;
        }
        // The handlers may change font, pen, brush and alignment; the next page starts afresh.
        PainterStateSaver saver(painter);
        painter.resetTransform();
        painter.scale(g.ScaleX, g.ScaleY);
        painter.translate(0, originY);
        event(painter, page, g.PWs, height, stop);
    };
    raise(OnPrintHeader, 0, g.MTs);
    raise(OnPrintFooter, g.MTs + g.BHs, g.PHs - g.MTs - g.BHs);
    return stop;
}

} // namespace tavlin
