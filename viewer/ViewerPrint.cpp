#include "viewer/Viewer.h"

#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "viewer/WaitCursor.h"

namespace tavlin {

void TViewer::PrintPages(int fromPage, int toPage) {
    PrintPages(Printer(), fromPage, toPage);
}

void TViewer::PrintPages(QPrinter& printer, int fromPage, int toPage) {
    printedPage_ = 0;
    if (processing_) {
        return;
    }
    TPrintJob job(*document_, printer);
    job.Margins = {PrintMarginLeft, PrintMarginRight, PrintMarginTop, PrintMarginBottom};
    job.Title = toUtf8(documentTitle_, document_->CharSet);
    const auto forward = [this](const TPagePrinted& event) -> TPageEvent {
        if (!event) {
            return {};
        }
        return [this, &event](QPainter& canvas, int numPage, int w, int h, bool& stop) {
            event(this, canvas, numPage, w, h, stop);
        };
    };
    job.OnPrintHeader = forward(OnPrintHeader);
    job.OnPrintFooter = forward(OnPrintFooter);
    job.PageProgress = [this](int page, bool& stop) {
        if (PageProgress) {
            PageProgress(this, page, stop);
        }
    };
    WaitCursor wait;
    job.Print(fromPage, toPage, printedPage_);
}

} // namespace tavlin
