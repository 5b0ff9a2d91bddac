#include "viewer/Printer.h"

#include "platform/CodePage.h"

#include <QFile>
#include <QPrinter>

namespace tavlin {

namespace {

constexpr size_t kMaxTitleChars = 31;

TvwPrinter*& currentPrinter() {
    static TvwPrinter* printer = nullptr;
    return printer;
}

// The first `count` characters of UTF-8 text, never splitting one.
std::string firstCharacters(const std::string& utf8, size_t count) {
    size_t end = 0;
    for (size_t n = 0; n < count && end < utf8.size(); ++n) {
        end += characterLength(utf8, end, DEFAULT_CHARSET);
    }
    return utf8.substr(0, std::min(end, utf8.size()));
}

} // namespace

TvwPrinter* CurrentPrinter() {
    return currentPrinter();
}

TvwPrinter* SetCurrentPrinter(TvwPrinter* printer) {
    return std::exchange(currentPrinter(), printer);
}

TvwPrinter::TvwPrinter(QPrinter& printer)
    : printer_(printer), information_(1, 1, QImage::Format_RGB32), canvas_(painter_) {}

TvwPrinter::~TvwPrinter() {
    if (printing_) {
        try {
            EndDoc();
        } catch (const EPrinterError&) {
            // Nothing more can be done for a job that will not end.
        }
    }
    SetState(0);
}

void TvwPrinter::SetState(int state) {
    if (state == state_) {
        return;
    }
    if (state == 0) {
        if (painter_.isActive()) {
            painter_.end();
        }
        state_ = 0;
        return;
    }
    if (state == 1) {
        // A device context already open serves for measuring too.
        if (state_ == 0 && !painter_.begin(&information_)) {
            throw EPrinterError("Printer selected is not valid");
        }
        state_ = std::max(state_, 1);
        return;
    }
    if (painter_.isActive()) {
        painter_.end();
    }
    state_ = 0;
    if (!painter_.begin(&printer_)) {
        throw EPrinterError("Printer selected is not valid");
    }
    state_ = 2;
}

void TvwPrinter::BeginDoc() {
    if (printing_) {
        throw EPrinterError("Printing in progress");
    }
    printer_.setDocName(QString::fromStdString(title_));
    SetState(2);
    printing_ = true;
    aborted_ = false;
    pageNumber_ = 1;
}

void TvwPrinter::RequirePrinting() const {
    if (!printing_) {
        throw EPrinterError("Printer is not currently printing");
    }
}

void TvwPrinter::EndDoc() {
    RequirePrinting();
    printing_ = false;
    SetState(0);
}

void TvwPrinter::NewPage() {
    RequirePrinting();
    if (!printer_.newPage()) {
        throw EPrinterError("Printer selected is not valid");
    }
    ++pageNumber_;
}

void TvwPrinter::Abort() {
    RequirePrinting();
    printer_.abort();
    printing_ = false;
    aborted_ = true;
    SetState(0);
    // A PDF printer has written what it had so far; an aborted job leaves no file behind.
    if (printer_.outputFormat() == QPrinter::PdfFormat && !printer_.outputFileName().isEmpty()) {
        QFile::remove(printer_.outputFileName());
    }
}

TPrinterCanvas& TvwPrinter::Canvas() {
    SetState(std::max(state_, 1));
    return canvas_;
}

int TvwPrinter::PageWidth() const {
    return printer_.width();
}

int TvwPrinter::PageHeight() const {
    return printer_.height();
}

int TvwPrinter::PixelsPerInchX() const {
    return printer_.logicalDpiX();
}

int TvwPrinter::PixelsPerInchY() const {
    return printer_.logicalDpiY();
}

void TvwPrinter::SetTitle(const std::string& title) {
    title_ = firstCharacters(title, kMaxTitleChars);
}

} // namespace tavlin
