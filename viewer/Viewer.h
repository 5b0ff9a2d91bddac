#pragma once
#include "images/Display.h"
#include "platform/Bitmap.h"
#include "platform/CodePage.h"
#include "platform/Geometry.h"
#include "viewer/DocumentLoad.h"
#include "viewer/PrintJob.h"
#include "viewer/ViewerNames.h"
#include "viewer/ViewerSettings.h"

#include <QPoint>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

class QPainter;
class QPrinter;
class QScrollBar;
class QMouseEvent;
class QWheelEvent;

namespace tavlin {

class TSectionList;
class TStringBitmapList;
class TImageObj;
class ImageCanvas;
class Bitmap;
class Canvas;
class TBorderPanel;
class TPaintPanel;
class T32ScrollBar;
class TFormControlObj;
class TFloatingObj;
class QtFormControlFactory;
struct TFormHost;
struct TFormSubmission;

enum class TBorderStyle { htFocused, htNone, htSingle };
enum class TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

// What kind of file the viewer shows.
enum TFileKind : int { HTMLType = 0, TextType = 1, ImgType = 2 };

class TViewer;

// Events a host may set; any may stay empty.
using THotSpotClickEvent = std::function<void(TViewer* sender, const std::string& url, bool& handled)>;
using THotSpotEvent = std::function<void(TViewer* sender, const std::string& url)>;
// Canvas has one logical unit per screen pixel; W and H are the width and height of the band.
using TPagePrinted =
    std::function<void(TViewer* sender, QPainter& canvas, int numPage, int w, int h, bool& stopPrinting)>;
using TProcessingEvent = std::function<void(TViewer* sender, bool processingOn)>;
using TNotifyEvent = std::function<void(TViewer* sender)>;
using TMetaRefreshEvent = std::function<void(TViewer* sender, int delay, const std::string& url)>;
using TMetaEvent = std::function<void(TViewer* sender, const std::string& httpEquiv, const std::string& name,
                                      const std::string& content)>;
using TSoundRequestEvent = std::function<void(TViewer* sender, const std::string& source, int loop)>;
// An error the viewer cannot pass to a caller (a section that could not be laid out, a followed
// link that failed to load); the host shows the message in an error box.
using TErrorEvent = std::function<void(TViewer* sender, const std::string& message)>;

// What a right click found.
struct TRightClickParameters {
    QPoint Point;    // in the drawing surface
    std::string URL; // the link under the point, if any
    std::string Target;
    std::string ClickWord;
};
using TRightClickEvent = std::function<void(TViewer* sender, const TRightClickParameters& parameters)>;
// A form was submitted: its action, target, encoding type, method and name=value pairs, which
// the handler takes over.
using TFormSubmitEvent =
    std::function<void(TViewer* sender, const std::string& action, const std::string& target,
                       const std::string& encType, const std::string& method, std::vector<std::string> results)>;
// A form control was clicked; onClick is the text of its ONCLICK attribute.
using TObjectClickEvent = std::function<void(TViewer* sender, TFormControlObj* obj, const std::string& onClick)>;

// A picture the host supplies by name: a bitmap, and its transparent colour (left clNone for none).
using TGetBitmapEvent =
    std::function<std::optional<Bitmap>(TViewer* sender, const std::string& src, Color& transparentColor)>;
// The bytes of a picture the host supplies by name; WaitStream() says the picture comes later,
// through TViewer::InsertImage.
struct TImageStream {
    bool Wait = false;
    std::string Bytes;
    static TImageStream WaitStream() { return TImageStream{true, {}}; }
};
using TGetImageEvent = std::function<TImageStream(TViewer* sender, const std::string& src)>;
// A picture clicked or pointed at; x and y are relative to the picture's top-left corner.
using TImageClickEvent =
    std::function<void(TViewer* sender, TImageObj& image, Qt::MouseButton button, int x, int y)>;
using TImageOverEvent = std::function<void(TViewer* sender, TImageObj& image, int x, int y)>;

// Where the view stood in an earlier document.
struct PositionObj {
    TPackedPosition Pos = 0;
    int FileType = HTMLType;
};

struct THistoryEntry {
    std::string Name;
    std::string Title;
    PositionObj Position;
};

// The HTML viewer control: one document laid out for the control's width, painted band by band
// on its drawing surface, scrolled by keys, bars and mouse; it follows local links itself and
// keeps the visited links and a history.
class TViewer : public QWidget {
    Q_OBJECT
public:
    explicit TViewer(QWidget* parent = nullptr);
    ~TViewer() override;

    // --- Loading ---------------------------------------------------------------------------------
    // Loads an HTML file; a part from "#" on names an anchor. Raises EInOutError
    // "Can't locate file: <name>" when no such file exists; the shown document then stays.
    void LoadFile(const std::string& name);
    // Shows one picture file as a document made of one image.
    void LoadImageFile(const std::string& name);
    // Shows HTML held in lines; CurrentFileName becomes empty.
    void LoadLines(const std::vector<std::string>& lines);
    // Empties the document; CurrentFileName is kept.
    void ClearDocument();
    const std::string& CurrentFileName() const { return currentFileName_; }
    const std::string& DocumentTitle() const { return documentTitle_; }
    const std::string& Base() const { return base_; }
    const std::string& BaseTarget() const { return baseTarget_; }
    int FileKind() const { return fileKind_; }
    bool Processing() const { return processing_; }
    bool InLayout() const { return inLayout_; }
    int DocWidth() const { return docWidth_; }
    int DocHeight() const { return docHeight_; }
    int MetaRefreshDelay() const { return refreshDelay_; }
    const std::string& MetaRefreshURL() const { return refreshURL_; }

    // --- Layout and scrolling ----------------------------------------------------------------------
    // Lays the document out for the control's width and arranges the bars.
    void LayoutView();
    void ArrangeBars();
    void ScrollTo(int y);
    int ScrollPosition() const;
    void SetScrollPosition(int y) { ScrollTo(y); }
    int HScrollPosition() const;
    void SetHScrollPosition(int x);
    // The largest vertical position: DocHeight less the surface's height, at least 0.
    int MaxVScroll() const;
    int MaxHScroll() const;
    // Scrolls to a named anchor; true when it exists.
    bool PositionTo(const std::string& anchor);
    // The packed position (see TPackedPosition).
    TPackedPosition Position() const;
    void SetPosition(TPackedPosition position);

    // --- Links, visited list and history -----------------------------------------------------------
    std::string ExpandName(const std::string& name) const;
    // Follows a link as a click does when the host leaves it unhandled.
    void FollowLink(const std::string& url);
    void MarkVisited(const std::string& address);
    const std::vector<std::string>& VisitedList() const { return visited_; }
    const std::vector<THistoryEntry>& HistoryList() const { return history_; }
    int HistoryIndex() const { return historyIndex_; }
    // Shows the history entry of that index (0 the most recent) at the position it was left at.
    void SetHistoryIndex(int index);
    void GoBack() { SetHistoryIndex(historyIndex_ + 1); }
    void GoFwd() { SetHistoryIndex(historyIndex_ - 1); }
    // A picture announced by OnImageRequest's wait stream has come (empty bytes: it will not):
    // the images waiting for it show it, and the document is laid out again.
    void InsertImage(const std::string& src, std::string_view bytes);
    const std::string& CoveredURL() const { return coveredURL_; }
    const std::string& CoveredTarget() const { return coveredTarget_; }

    // --- Selection, find and copy ------------------------------------------------------------------
    void SetSelectionStart(int n);
    int SelectionStart() const;
    int SelectionLength() const;
    void SetSelectionLength(int n);
    void SelectAllText();
    // Puts the selected text on the clipboard as Unicode; false, and the clipboard untouched,
    // when the selection holds no text.
    bool CopySelectedText();
    bool FindText(const std::string& text, bool matchCase);
    int CaretPos() const { return caretPos_; }
    int DragAnchor() const { return dragAnchor_; }

    // --- Printing ---------------------------------------------------------------------------------
    // The printer that PrintPages prints on; the print dialog edits it. Made on first use.
    QPrinter& Printer();
    // Prints pages fromPage to toPage (from 1, inclusive; kLastPage for all) of a copy of the
    // document with the print margins, raising the page events. Raises EPrinterError for printer
    // failures, an empty range and margins that leave no room.
    void PrintPages(int fromPage, int toPage);
    // The same on another printer (a print preview's).
    void PrintPages(QPrinter& printer, int fromPage, int toPage);
    // 0 when not printing; else the page being printed, and afterwards the last page handled.
    int PrintedPage() const { return printedPage_; }

    // --- Mouse state ------------------------------------------------------------------------------
    bool MiddleScrollMode() const { return middleScrollMode_; }
    bool AutoScrolling() const;
    // The custom cursor shown on the surface (1-5), or 0 for a system cursor.
    int CursorNumber() const { return cursorNumber_; }

    // --- Published properties ---------------------------------------------------------------------
    Color DefBackground() const { return settings_.DefBackground; }
    void SetDefBackground(Color c);
    const std::string& DefFontName() const { return settings_.DefFontName; }
    void SetDefFontName(const std::string& name) { settings_.DefFontName = name; }
    const std::string& DefPreFontName() const { return settings_.DefPreFontName; }
    void SetDefPreFontName(const std::string& name);
    int DefFontSize() const { return settings_.DefFontSize; }
    void SetDefFontSize(int size);
    Color DefFontColor() const { return settings_.DefFontColor; }
    void SetDefFontColor(Color c) { settings_.DefFontColor = c; }
    Color DefHotSpotColor() const { return settings_.DefHotSpotColor; }
    void SetDefHotSpotColor(Color c) { settings_.DefHotSpotColor = c; }
    Color DefOverLinkColor() const { return settings_.DefOverLinkColor; }
    void SetDefOverLinkColor(Color c) { settings_.DefOverLinkColor = c; }
    Color DefVisitedLinkColor() const { return settings_.DefVisitedLinkColor; }
    void SetDefVisitedLinkColor(Color c) { settings_.DefVisitedLinkColor = c; }
    int VisitedMaxCount() const { return visitedMaxCount_; }
    void SetVisitedMaxCount(int n);
    int HistoryMaxCount() const { return historyMaxCount_; }
    void SetHistoryMaxCount(int n);
    int ImageCacheCount() const { return imageCacheCount_; }
    void SetImageCacheCount(int n);
    bool ViewImages() const { return settings_.ViewImages; }
    void SetViewImages(bool on);
    bool NoSelect() const { return noSelect_; }
    void SetNoSelect(bool on);
    TScrollStyle ScrollBars() const { return scrollBars_; }
    void SetScrollBars(TScrollStyle s);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle s);
    uint8_t CharSet() const { return settings_.CharSet; }
    void SetCharSet(uint8_t cs) { settings_.CharSet = cs; }
    int MarginWidth() const { return settings_.MarginWidth; }
    void SetMarginWidth(int w) { settings_.MarginWidth = w; }
    int MarginHeight() const { return settings_.MarginHeight; }
    void SetMarginHeight(int h) { settings_.MarginHeight = h; }
    const std::string& ServerRoot() const { return serverRoot_; }
    void SetServerRoot(const std::string& root);
    double PrintMarginLeft = 2.0; // centimetres
    double PrintMarginRight = 2.0;
    double PrintMarginTop = 2.0;
    double PrintMarginBottom = 2.0;
    ThtOptionSet htOptions() const { return settings_.htOptions; }
    void SethtOptions(ThtOptionSet options);
    const TViewerSettings& Settings() const { return settings_; }
    // Emulates an old palette screen (256 or 16 colours): pictures are reduced and dithered for it
    // from the next document on, and painting draws for that many colours. Program-wide, as the
    // screen is.
    tavlin::DisplayDepth DisplayDepth() const { return displayDepth(); }
    void SetDisplayDepth(tavlin::DisplayDepth depth);

    // --- Published events -------------------------------------------------------------------------
    THotSpotClickEvent OnHotSpotClick;
    THotSpotEvent OnHotSpotCovered;
    TPagePrinted OnPrintHeader;
    TPagePrinted OnPrintFooter;
    TProcessingEvent OnProcessing;
    TNotifyEvent OnHistoryChange;
    TMetaRefreshEvent OnMetaRefresh;
    TMetaEvent OnMeta;
    TSoundRequestEvent OnSoundRequest;
    TNotifyEvent OnMouseDouble;
    TRightClickEvent OnRightClick;
    TErrorEvent OnError; // without a handler the viewer shows its own error box
    TFormSubmitEvent OnFormSubmit; // runs from the event loop, after the click that submitted
    TObjectClickEvent OnObjectClick;
    // Raised before printing (page 0) and after each printed page; setting stop ends the job.
    std::function<void(TViewer* sender, int page, bool& stop)> PageProgress;
    TGetBitmapEvent OnBitmapRequest;
    TGetImageEvent OnImageRequest;
    TImageClickEvent OnImageClick;
    TImageOverEvent OnImageOver;
    std::function<std::string(std::string_view command, std::vector<std::string> params)> OnInclude;

    // --- Parts ------------------------------------------------------------------------------------
    TSectionList& Document() { return *document_; }
    TBorderPanel& BorderPanel() { return *border_; }
    TPaintPanel& PaintPanel() { return *paintPanel_; }
    T32ScrollBar& VScrollBar() { return *vBar_; }
    QScrollBar& HScrollBar() { return *hBar_; }
    int BarSize() const { return barSize_; }
    QTimer& HoverTimer() { return hoverTimer_; }

    // --- Notifications from the parts ---------------------------------------------------------------
    void PaintPanelPaint(QWidget& panel, const QRect& rect);
    void PanelMouseDown(QMouseEvent& event);
    void PanelMouseMove(QMouseEvent& event);
    void PanelMouseUp(QMouseEvent& event);
    void PanelDoubleClick(QMouseEvent& event);
    void PanelMouseLeft();
    void PanelWheel(QWheelEvent& event);
    void VScrollBarMoved(int position);
    // One step of the auto-scroll loop (the 100 ms timer runs it).
    void AutoScrollStep();
    // One tick of the 200 ms hover timer.
    void HoverTimerTick();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct OldDocument {
        std::string Name;
        std::string Title;
        TPackedPosition Position = 0;
        int Kind = HTMLType;
    };
    class ProcessingScope;

    void LoadDocument(const std::string& name, int kind);
    void InitLoad();
    void FinishLoad(const TLoadResult& result);
    TLoadHooks LoadHooks();
    void HandleMeta(const std::string& httpEquiv, const std::string& name, const std::string& content);
    void FireSoundRequest(const std::string& source, int loop);
    void SetProcessing(bool on);
    void ResetScroll();
    void RelayoutKeepingPosition();
    void SetVScroll(int y, bool scrollPixels);
    void UpdateBorder();
    Canvas& MeasureCanvas();
    QPoint DocumentPoint(const QPoint& panelPoint) const;
    void SetPanelCursor(int number);
    void SetPanelCursor(Qt::CursorShape shape);
    void UpdateCovered(const std::string& url, const std::string& target);
    void HotSpotClick();
    void PositionToLink(const std::string& path, const std::string& anchor);
    void ExtendSelection(const QPoint& panelPoint);
    void StartAutoScroll();
    void EndMiddleScrollMode();
    std::string WordAt(const QPoint& panelPoint, int& start, int& end);
    void AddToHistory(const OldDocument& old);
    std::string LinkAddress(const std::string& url) const;
    void MarkLinksVisited(const std::vector<std::string>& addresses);
    void BackgroundChanged();
    void ShowError(const std::string& message);
    void PaintBackground(Canvas& canvas, const Rect& clip);
    // Form controls (ViewerForms.cpp).
    void SetUpForms();
    void PostFormSubmit(TFormSubmission submission);
    void ControlEntered(const TFloatingObj& control);
    bool HasFormControls() const;
    // Before the whole surface is painted: every control counts as not placed, so that those
    // the paint does not place are hidden after it.
    void UnplaceControls();
    // Places the controls for the view as it now stands, before the surface is painted.
    void PlaceControls();
    const Bitmap* BackgroundPicture();
    void InstallImageRequests();
    // The picture under a surface point, with the point relative to it; null when none.
    TImageObj* ImageAt(const QPoint& panelPoint, int& x, int& y);

    TViewerSettings settings_;
    TBorderPanel* border_ = nullptr;
    TPaintPanel* paintPanel_ = nullptr;
    T32ScrollBar* vBar_ = nullptr;
    QScrollBar* hBar_ = nullptr;
    int barSize_ = 16;
    std::unique_ptr<QtFormControlFactory> controlFactory_;
    std::unique_ptr<TFormHost> formHost_;
    std::unique_ptr<TSectionList> document_;
    std::shared_ptr<TStringBitmapList> imageCache_;
    bool cacheStale_ = false; // made for another display depth
    std::unique_ptr<ImageCanvas> measure_;
    std::unique_ptr<QPrinter> printer_;
    QTimer hoverTimer_;
    QTimer autoScrollTimer_;

    std::string currentFileName_;
    std::string documentTitle_;
    std::string base_;
    std::string baseTarget_;
    int fileKind_ = HTMLType;
    bool processing_ = false;
    bool inLayout_ = false;
    int docWidth_ = 0;
    int docHeight_ = 0;
    int caretPos_ = 0;
    int printedPage_ = 0;
    int dragAnchor_ = -1;
    Color surfaceColor_ = 0;
    int refreshDelay_ = 0;
    std::string refreshURL_;

    std::vector<std::string> visited_;
    std::vector<THistoryEntry> history_;
    int historyIndex_ = 0;
    bool walkingHistory_ = false; // a load made by GoBack/GoFwd records nothing

    // Mouse.
    std::string coveredURL_;
    std::string coveredTarget_;
    bool middleScrollMode_ = false;
    int middleScrollY_ = 0;
    bool leftDragging_ = false; // the left button went down in the document and is held
    bool linkClicked_ = false;
    QPoint lastMouse_; // in the drawing surface
    bool panelHasMouse_ = false;
    int cursorNumber_ = 0;

    std::string serverRoot_;
    int visitedMaxCount_ = 50;
    int historyMaxCount_ = 0;
    int imageCacheCount_ = 5;
    bool noSelect_ = false;
    TScrollStyle scrollBars_ = TScrollStyle::ssBoth;
    TBorderStyle borderStyle_ = TBorderStyle::htFocused;
};

} // namespace tavlin
