#pragma once
#include "platform/qt/QtCanvas.h"

#include <QImage>
#include <QPainter>
#include <stdexcept>
#include <string>

class QPrinter;

namespace tavlin {

// A printer that cannot be used as asked ("Printer selected is not valid", "Printing in
// progress", "Printer is not currently printing").
class EPrinterError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The engine's canvas on a printer's painter. Fonts are measured on the screen as everywhere
// else; the job scales the painter so that one logical unit is one screen pixel.
class TPrinterCanvas : public QtCanvas {
public:
    using QtCanvas::QtCanvas;
};

// The printer object of one print job: it owns the painter on a QPrinter (the system's current
// printer, or a PDF file) and the job's state.
//
// States: 0 nothing open; 1 an information context (measuring only: the canvas paints into a
// one-pixel picture, so nothing reaches the printer); 2 the device context, which on Qt opens
// the job itself, so BeginDoc is what moves there.
class TvwPrinter {
public:
    explicit TvwPrinter(QPrinter& printer);
    ~TvwPrinter(); // ends a running job
    TvwPrinter(const TvwPrinter&) = delete;
    TvwPrinter& operator=(const TvwPrinter&) = delete;

    int State() const { return state_; }
    void SetState(int state);

    void BeginDoc();
    void EndDoc();
    void NewPage();
    // Ends the job without finishing it; a PDF file it had begun is removed.
    void Abort();

    bool Printing() const { return printing_; }
    bool Aborted() const { return aborted_; }
    int PageNumber() const { return pageNumber_; }

    // The canvas; asking for it opens at least the information context.
    TPrinterCanvas& Canvas();
    QPainter& Painter() { return painter_; }
    QPrinter& Device() { return printer_; }

    // The printable area in device pixels, and the device's pixels per inch.
    int PageWidth() const;
    int PageHeight() const;
    int PixelsPerInchX() const;
    int PixelsPerInchY() const;

    const std::string& Title() const { return title_; }
    // The spooler's document name, cut to 31 characters.
    void SetTitle(const std::string& title);

private:
    void RequirePrinting() const;

    QPrinter& printer_;
    QImage information_;
    QPainter painter_;
    TPrinterCanvas canvas_;
    int state_ = 0;
    bool printing_ = false;
    bool aborted_ = false;
    int pageNumber_ = 0;
    std::string title_;
};

// The program's current printer object; null when none is set.
TvwPrinter* CurrentPrinter();
// Makes another printer object current; returns the previous one.
TvwPrinter* SetCurrentPrinter(TvwPrinter* printer);

} // namespace tavlin
