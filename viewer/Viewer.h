#pragma once
#include "platform/CodePage.h"
#include "platform/Geometry.h"

#include <QWidget>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QPainter;
class QPrinter;

namespace tavlin {

// The input/output error of loading ("Can't locate file: ...").
class EInOutError : public std::runtime_error {
public:
    explicit EInOutError(const std::string& message) : std::runtime_error(message) {}
};

enum class TBorderStyle { htFocused, htNone, htSingle };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// The viewer's options, a set of these bits.
enum ThtOption : unsigned {
    htOverLinksActive = 1u << 0,
    htNoLinkUnderline = 1u << 1,
    htPrintTableBackground = 1u << 2,
    htShowDummyCaret = 1u << 3,
    htShowVScroll = 1u << 4,
};
using ThtOptionSet = unsigned;

class TViewer;

// Events a host may set; any may stay empty.
using THotSpotClickEvent = std::function<void(TViewer* sender, const std::string& url, bool& handled)>;
using THotSpotEvent = std::function<void(TViewer* sender, const std::string& url)>;
// Canvas has one logical unit per screen pixel; W and H are the width and height of the band.
using TPagePrinted =
    std::function<void(TViewer* sender, QPainter& canvas, int numPage, int w, int h, bool& stopPrinting)>;
using TProcessingEvent = std::function<void(TViewer* sender, bool processingOn)>;

// The HTML viewer control.
//
// THIS IS A PLACEHOLDER. It carries the control's whole public interface so that the main window
// is written against the real thing, but it reads no HTML, lays nothing out and paints nothing but
// its background: the document is always empty. What it does do for real: LoadFile checks that
// the file exists (raising "Can't locate file: ...") and records CurrentFileName, LoadLines empties
// it, and the properties hold their values with the documented clamping. Operations that need a
// document (selection, find, copy, print) answer as an empty document does and say so below.
class TViewer : public QWidget {
    Q_OBJECT
public:
    explicit TViewer(QWidget* parent = nullptr);
    ~TViewer() override;

    // --- Loading ---------------------------------------------------------------------------------
    // Loads an HTML file; a part from "#" on names an anchor. Raises EInOutError
    // "Can't locate file: <name>" when no such file exists; the shown document then stays.
    void LoadFile(const std::string& name);
    // Shows HTML held in lines; CurrentFileName becomes empty.
    void LoadLines(const std::vector<std::string>& lines);
    // Empties the document; CurrentFileName is kept.
    void ClearDocument();
    const std::string& CurrentFileName() const { return currentFileName_; }
    const std::string& DocumentTitle() const { return documentTitle_; }
    bool Processing() const { return processing_; }

    // --- Scrolling --------------------------------------------------------------------------------
    void ScrollTo(int y);
    int ScrollPosition() const { return scrollPosition_; }
    void SetScrollPosition(int y) { ScrollTo(y); }
    int DocHeight() const { return 0; } // placeholder: nothing is laid out
    bool PositionTo(const std::string& anchor);

    // --- Selection, find and copy ------------------------------------------------------------------
    void SetSelectionStart(int n);
    int SelectionLength() const;
    void SetSelectionLength(int n);
    void SelectAllText();
    void CopySelectedText();
    bool FindText(const std::string& text, bool matchCase);
    int CaretPos() const { return caretPos_; }

    // --- Printing ---------------------------------------------------------------------------------
    // The printer that PrintPages prints on; the print dialog edits it. Made on first use.
    QPrinter& Printer();
    void PrintPages(int fromPage, int toPage);

    // --- Published properties ---------------------------------------------------------------------
    Color DefBackground() const { return defBackground_; }
    void SetDefBackground(Color c);
    const std::string& DefFontName() const { return defFontName_; }
    void SetDefFontName(const std::string& name) { defFontName_ = name; }
    const std::string& DefPreFontName() const { return defPreFontName_; }
    void SetDefPreFontName(const std::string& name);
    int DefFontSize() const { return defFontSize_; }
    void SetDefFontSize(int size);
    Color DefFontColor() const { return defFontColor_; }
    void SetDefFontColor(Color c) { defFontColor_ = c; }
    Color DefHotSpotColor() const { return defHotSpotColor_; }
    void SetDefHotSpotColor(Color c) { defHotSpotColor_ = c; }
    Color DefOverLinkColor() const { return defOverLinkColor_; }
    void SetDefOverLinkColor(Color c) { defOverLinkColor_ = c; }
    Color DefVisitedLinkColor() const { return defVisitedLinkColor_; }
    void SetDefVisitedLinkColor(Color c) { defVisitedLinkColor_ = c; }
    int VisitedMaxCount() const { return visitedMaxCount_; }
    void SetVisitedMaxCount(int n);
    int HistoryMaxCount() const { return historyMaxCount_; }
    void SetHistoryMaxCount(int n);
    int ImageCacheCount() const { return imageCacheCount_; }
    void SetImageCacheCount(int n);
    bool ViewImages() const { return viewImages_; }
    void SetViewImages(bool on) { viewImages_ = on; }
    bool NoSelect() const { return noSelect_; }
    void SetNoSelect(bool on);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s) { scrollBars_ = s; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    uint8_t CharSet() const { return charSet_; }
    void SetCharSet(uint8_t cs) { charSet_ = cs; }
    int MarginWidth() const { return marginWidth_; }
    void SetMarginWidth(int w) { marginWidth_ = w; }
    int MarginHeight() const { return marginHeight_; }
    void SetMarginHeight(int h) { marginHeight_ = h; }
    const std::string& ServerRoot() const { return serverRoot_; }
    void SetServerRoot(const std::string& root);
    double PrintMarginLeft = 2.0; // centimetres
    double PrintMarginRight = 2.0;
    double PrintMarginTop = 2.0;
    double PrintMarginBottom = 2.0;
    ThtOptionSet htOptions() const { return htOptions_; }
    void SethtOptions(ThtOptionSet options) { htOptions_ = options; }

    // --- Published events -------------------------------------------------------------------------
    THotSpotClickEvent OnHotSpotClick;
    THotSpotEvent OnHotSpotCovered;
    TPagePrinted OnPrintHeader;
    TPagePrinted OnPrintFooter;
    TProcessingEvent OnProcessing;

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void setProcessing(bool on);
    bool showsBorder() const;

    std::string currentFileName_;
    std::string documentTitle_;
    bool processing_ = false;
    int scrollPosition_ = 0;
    int caretPos_ = 0;
    int selStart_ = 0;
    int selEnd_ = 0;
    std::unique_ptr<QPrinter> printer_;

    Color defBackground_;
    std::string defFontName_ = "Times New Roman";
    std::string defPreFontName_ = "Courier New";
    int defFontSize_ = 12;
    Color defFontColor_;
    Color defHotSpotColor_ = 0xFF0000;     // blue, as 0x00BBGGRR
    Color defOverLinkColor_ = 0xFF0000;    // blue
    Color defVisitedLinkColor_ = 0x800080; // purple
    int visitedMaxCount_ = 50;
    int historyMaxCount_ = 0;
    int imageCacheCount_ = 5;
    bool viewImages_ = true;
    bool noSelect_ = false;
    TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
    TBorderStyle borderStyle_ = TBorderStyle::htFocused;
    uint8_t charSet_ = DEFAULT_CHARSET;
    int marginWidth_ = 10;
    int marginHeight_ = 5;
    std::string serverRoot_;
    ThtOptionSet htOptions_ = htPrintTableBackground;
};

} // namespace tavlin
