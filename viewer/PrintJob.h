#pragma once
#include <climits>
#include <functional>
#include <string>

class QPainter;
class QPrinter;

namespace tavlin {

class TSectionList;
class TvwPrinter;

// The four print margins, in centimetres from the paper's edges.
struct TPrintMargins {
    double Left = 2.0;
    double Right = 2.0;
    double Top = 2.0;
    double Bottom = 2.0;
};

// What a printer tells of its page, in its own pixels: its resolution, the paper, and the
// printable area with its offset from the paper's top-left corner.
struct TPrinterMetrics {
    int PixelsPerInchX = 0;
    int PixelsPerInchY = 0;
    int PhysicalWidth = 0;
    int PhysicalHeight = 0;
    int PageWidth = 0;
    int PageHeight = 0;
    int OffsetX = 0;
    int OffsetY = 0;

    static TPrinterMetrics Of(const QPrinter& printer);
};

// Where a page's body lies: margins and body in printer pixels measured from the printable area,
// and the same in screen pixels, the units layout and the page events work in.
struct TPageGeometry {
    int ML = 0, MR = 0, MT = 0, MB = 0; // printer pixels
    int BW = 0, BH = 0;
    int MLs = 0, MTs = 0, BWs = 0, BHs = 0; // screen pixels
    int PWs = 0, PHs = 0;                   // the printable page
    double ScaleX = 1;                      // printer pixels per screen pixel
    double ScaleY = 1;

    // Raises EPrinterError when the margins leave no body on the page.
    static TPageGeometry Of(const TPrinterMetrics& metrics, const TPrintMargins& margins,
                            int screenPixelsPerInch);
};

// A page event: the canvas has one logical unit per screen pixel and its origin at the top-left
// of the band (the header: the printable area's top; the footer: the body's bottom edge); W and H
// are the band's width and height.
using TPageEvent = std::function<void(QPainter& canvas, int numPage, int w, int h, bool& stopPrinting)>;
using TPageProgressEvent = std::function<void(int page, bool& stop)>;

// "All pages": the range has no end.
inline constexpr int kLastPage = INT_MAX;

// One print job: a copy of the document laid out for the page's body, drawn one band per page
// with the header and footer events. The window's viewer and `tavlin print` both print through it.
class TPrintJob {
public:
    TPrintJob(const TSectionList& document, QPrinter& printer);

    TPrintMargins Margins;
    std::string Title; // UTF-8; the spooler sees at most 31 characters
    TPageEvent OnPrintHeader;
    TPageEvent OnPrintFooter;
    TPageProgressEvent PageProgress;

    // Prints pages fromPage to toPage (from 1, inclusive). `printedPage` follows the page being
    // handled and is left at the last one handled; 0 when nothing was printed. A document that shows
    // nothing (no sections, no height, no character or picture) starts no job; neither does a range
    // beyond its last page. Raises
    // EPrinterError for an empty range, margins that leave no body and printer failures; the
    // previous printer object is current again whatever happens.
    void Print(int fromPage, int toPage, int& printedPage);

private:
    struct PageLoop;
    bool RaiseProgress(int page);
    void RunPages(PageLoop& loop, int fromPage, int toPage, int& printedPage);
    void DrawPage(PageLoop& loop, int page, bool& stop);
    bool RaisePageEvents(TvwPrinter& printer, const TPageGeometry& g, int page);

    const TSectionList& document_;
    QPrinter& printer_;
};

} // namespace tavlin
