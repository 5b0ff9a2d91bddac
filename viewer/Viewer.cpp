#include "viewer/Viewer.h"
#include "viewer/WaitCursor.h"

#include "document/FloatingObj.h"
#include "document/HtmlForm.h"
#include "document/SectionList.h"
#include "images/ImageCache.h"
#include "images/ImageLoader.h"
#include "platform/Files.h"
#include "platform/qt/QtCanvas.h"
#include "platform/qt/QtFormControl.h"
#include "platform/qt/QtTimer.h"
#include "reader/TextUtil.h"
#include "viewer/ViewerCursors.h"
#include "viewer/ViewerParts.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QPrinter>
#include <algorithm>
#include <optional>

namespace tavlin {

namespace {

constexpr int kHScrollSmallChange = 15;
constexpr int kMaxAnchorLength = 255;

} // namespace

// Processing on for a scope; off again however the scope ends.
class TViewer::ProcessingScope {
public:
    explicit ProcessingScope(TViewer& viewer) : viewer_(viewer) { viewer_.SetProcessing(true); }
    ~ProcessingScope() { viewer_.SetProcessing(false); }
    ProcessingScope(const ProcessingScope&) = delete;
    ProcessingScope& operator=(const ProcessingScope&) = delete;

private:
    TViewer& viewer_;
};

TViewer::TViewer(QWidget* parent) : QWidget(parent) {
    settings_.DefBackground = QtCanvas::fromQColor(palette().color(QPalette::Button));
    settings_.DefFontColor = QtCanvas::fromQColor(palette().color(QPalette::ButtonText));
    surfaceColor_ = settings_.DefBackground;
    resize(150, 150);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);

    border_ = new TBorderPanel(this);
    border_->setGeometry(rect());
    paintPanel_ = new TPaintPanel(border_, *this);
    paintPanel_->setGeometry(1, 1, width() - 2, height() - 2);
    vBar_ = new T32ScrollBar(border_, *this);
    vBar_->hide();
    barSize_ = vBar_->sizeHint().width();
    hBar_ = new QScrollBar(Qt::Horizontal, border_);
    hBar_->setFocusPolicy(Qt::NoFocus);
    hBar_->setSingleStep(kHScrollSmallChange);
    hBar_->hide();
    connect(hBar_, &QScrollBar::actionTriggered, this, [this] { setFocus(); });
    connect(hBar_, &QScrollBar::valueChanged, this, [this](int) {
        PlaceControls();
        paintPanel_->update();
    });

    document_ = std::make_unique<TSectionList>(this, paintPanel_);
    document_->ShowImages = true;
    document_->MakeTimer = qtTimerFactory();
    document_->OnBackgroundChange = [this] { BackgroundChanged(); };
    document_->OnRepaint = [this] { paintPanel_->update(); };
    document_->OnProcessError = [this](const std::string& message) { ShowError(message); };
    SetUpForms();
    document_->Pictures.ExpandName = [this](const std::string& name) { return ExpandName(name); };
    InitDocument(*document_, settings_);

    hoverTimer_.setInterval(200);
    connect(&hoverTimer_, &QTimer::timeout, this, &TViewer::HoverTimerTick);
    autoScrollTimer_.setInterval(100);
    connect(&autoScrollTimer_, &QTimer::timeout, this, &TViewer::AutoScrollStep);
    SetPanelCursor(crTextCursor);
    ArrangeBars();
}

TViewer::~TViewer() {
    hoverTimer_.stop();
    autoScrollTimer_.stop();
    document_.reset();
}

// --- Processing, loading --------------------------------------------------------------------------

void TViewer::SetProcessing(bool on) {
    if (processing_ == on) {
        return;
    }
    processing_ = on;
    if (OnProcessing) {
        OnProcessing(this, on);
    }
}

void TViewer::FireSoundRequest(const std::string& source, int loop) {
    if (OnSoundRequest) {
        OnSoundRequest(this, source, loop);
    }
}

void TViewer::HandleMeta(const std::string& httpEquiv, const std::string& name, const std::string& content) {
    if (OnMeta) {
        OnMeta(this, httpEquiv, name, content);
    }
    if (!OnMetaRefresh) {
        return;
    }
    int delay = 0;
    std::string url;
    if (ParseMetaRefresh(httpEquiv, content, delay, url)) {
        refreshDelay_ = delay;
        refreshURL_ = url;
    }
}

TLoadHooks TViewer::LoadHooks() {
    TLoadHooks hooks;
    hooks.OnMeta = [this](const std::string& httpEquiv, const std::string& name, const std::string& content) {
        HandleMeta(httpEquiv, name, content);
    };
    hooks.OnSoundRequest = [this](const std::string& source, int loop) { FireSoundRequest(source, loop); };
    if (OnInclude) {
        hooks.OnInclude = OnInclude;
    }
    // The base address is not known until the parse ends; names go by the file being read.
    hooks.ExpandName = [this](const std::string& name) {
        return tavlin::ExpandName(name, TNameContext{serverRoot_, {}, currentFileName_});
    };
    hooks.MarginWidth = settings_.MarginWidth;
    hooks.MarginHeight = settings_.MarginHeight;
    return hooks;
}

// Clears the document and sets it up from the properties, as every load begins.
void TViewer::InitLoad() {
    hoverTimer_.stop();
    if (!imageCache_) {
        imageCache_ = std::make_shared<TStringBitmapList>();
        imageCache_->SetCacheCount(imageCacheCount_);
        document_->Pictures.Cache = imageCache_;
    }
    imageCache_->BumpAndCheck();
    coveredURL_.clear();
    coveredTarget_.clear();
    InitDocument(*document_, settings_);
    InstallImageRequests();
    if (cacheStale_) {
        imageCache_->Clear();
        cacheStale_ = false;
    }
    caretPos_ = 0;
    dragAnchor_ = -1;
}

void TViewer::FinishLoad(const TLoadResult& result) {
    documentTitle_ = result.Title;
    base_ = result.Base;
    baseTarget_ = result.BaseTarget;
    LayoutView();
}

void TViewer::LoadFile(const std::string& name) {
    LoadDocument(name, HTMLType);
}

void TViewer::LoadImageFile(const std::string& name) {
    LoadDocument(name, ImgType);
}

void TViewer::LoadDocument(const std::string& name, int kind) {
    if (processing_ || name.empty()) {
        return;
    }
    const OldDocument old{currentFileName_, documentTitle_, Position(), fileKind_};
    bool positioned = false;
    std::string readError;
    {
        WaitCursor wait;
        const size_t hash = name.find('#');
        const std::string fileName = name.substr(0, hash);
        const std::string anchor =
            hash == std::string::npos ? std::string() : name.substr(hash + 1, kMaxAnchorLength);
        refreshDelay_ = 0;
        refreshURL_.clear();
        ProcessingScope scope(*this);
        if (!fileExists(fileName)) {
            throw EInOutError("Can't locate file: " + fileName);
        }
        InitLoad();
        currentFileName_ = FullPath(fileName);
        fileKind_ = kind;
        // A picture opened as a document is shown even where pages show placeholders.
        document_->ShowImages = settings_.ViewImages || kind == ImgType;
        FireSoundRequest("", 0);
        const TLoadHooks hooks = LoadHooks();
        const TLoadResult result =
            kind == ImgType ? ReadHtmlString(*document_, "<img src=\"" + currentFileName_ + "\">", hooks)
                            : ReadHtmlFile(*document_, currentFileName_, hooks);
        readError = result.ReadError;
        FinishLoad(result);
        MarkLinksVisited(visited_);
        positioned = !anchor.empty() && PositionTo(anchor);
        if (!positioned && currentFileName_ != old.Name) {
            ResetScroll();
        }
        paintPanel_->update();
    }
    if (refreshDelay_ > 0 && OnMetaRefresh) {
        OnMetaRefresh(this, refreshDelay_, refreshURL_);
    }
    if ((currentFileName_ != old.Name || fileKind_ != old.Kind) && !walkingHistory_) {
        AddToHistory(old);
    }
    // The part that was read stays on screen; the user is told the rest is missing.
    if (!readError.empty()) {
        throw EInOutError(readError);
    }
}

void TViewer::LoadLines(const std::vector<std::string>& lines) {
    if (processing_) {
        return;
    }
    {
        ProcessingScope scope(*this);
        InitLoad();
        refreshDelay_ = 0;
        refreshURL_.clear();
        FireSoundRequest("", 0);
        FinishLoad(ReadHtmlLines(*document_, lines, LoadHooks()));
        ResetScroll();
        paintPanel_->update();
        currentFileName_.clear();
        fileKind_ = HTMLType;
    }
    if (refreshDelay_ > 0 && OnMetaRefresh) {
        OnMetaRefresh(this, refreshDelay_, refreshURL_);
    }
}

void TViewer::ClearDocument() {
    if (processing_) {
        return;
    }
    hoverTimer_.stop();
    if (imageCache_) {
        imageCache_->Clear();
    }
    InitDocument(*document_, settings_);
    documentTitle_.clear();
    base_.clear();
    baseTarget_.clear();
    docHeight_ = 0;
    docWidth_ = 0;
    ResetScroll();
    ArrangeBars();
    caretPos_ = 0;
    dragAnchor_ = -1;
    FireSoundRequest("", 0);
    paintPanel_->update();
}

// --- Layout and bars -------------------------------------------------------------------------------

Canvas& TViewer::MeasureCanvas() {
    if (!measure_) {
        measure_ = std::make_unique<ImageCanvas>(1, 1);
    }
    return measure_->canvas();
}

void TViewer::LayoutView() {
    docWidth_ = 0;
    inLayout_ = true;
    struct LayoutEnd {
        bool& flag;
        ~LayoutEnd() { flag = false; }
    } end{inLayout_};
    const int allowance = borderStyle_ == TBorderStyle::htNone ? 1 : 3;
    int width = this->width() - allowance;
    if (scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth) {
        width -= barSize_;
    }
    int scrollWidth = 0;
    int counter = 0;
    docHeight_ = document_->Layout(MeasureCanvas(), 0, std::max(width, 1), height(), scrollWidth, counter);
    docWidth_ = scrollWidth;
    ArrangeBars();
    // The re-laid document keeps the position the bar holds, clamped to its new height.
    SetVScroll(std::min(vBar_->Position(), MaxVScroll()), false);
    SetHScrollPosition(HScrollPosition());
}

void TViewer::ArrangeBars() {
    docWidth_ = std::min(docWidth_, kMaxDocWidth);
    const int b = borderStyle_ == TBorderStyle::htNone ? 0 : 1;
    border_->setGeometry(rect());
    UpdateBorder();
    const int W = width();
    const int H = height();
    const bool showVScroll = (settings_.htOptions & htShowVScroll) != 0;
    const bool vertical = scrollBars_ == TScrollStyle::ssVertical || scrollBars_ == TScrollStyle::ssBoth;
    bool vNeeded = false;
    bool vShows = false;
    bool hShows = false;
    if (!vertical) {
        hShows = scrollBars_ == TScrollStyle::ssHorizontal && W < docWidth_;
    } else {
        vNeeded = docHeight_ >= H - 2 || (scrollBars_ == TScrollStyle::ssBoth &&
                                          docHeight_ >= H - barSize_ - 2 && W - barSize_ < docWidth_);
        vShows = vNeeded || showVScroll;
        hShows =
            scrollBars_ == TScrollStyle::ssBoth && (W < docWidth_ || (vShows && W - barSize_ < docWidth_));
    }
    const int w = vShows ? W - barSize_ : W;
    const int surfaceW = std::max(w - 2 * b, 0);
    const int surfaceH = std::max(H - 2 * b - (hShows ? barSize_ : 0), 0);
    paintPanel_->setGeometry(b, b, surfaceW, surfaceH);

    hBar_->setGeometry(b, H - barSize_ - b, std::max(w - b, 0), barSize_);
    hBar_->setPageStep(std::max(surfaceW, 1));
    hBar_->setRange(0, MaxHScroll());
    hBar_->setVisible(hShows);

    vBar_->setGeometry(W - barSize_ - b, b, barSize_, std::max(H - 2 * b, 0));
    vBar_->LargeChange = surfaceH - T32ScrollBar::kSmallChange;
    vBar_->setVisible(vShows);
    vBar_->setEnabled(!showVScroll || vNeeded);
    vBar_->SetParams(0, docHeight_, surfaceH + 1, vBar_->Position());
}

int TViewer::MaxVScroll() const {
    return std::max(docHeight_ - paintPanel_->height(), 0);
}

int TViewer::MaxHScroll() const {
    return std::max(docWidth_ - paintPanel_->width(), 0);
}

int TViewer::ScrollPosition() const {
    return vBar_->Position();
}

int TViewer::HScrollPosition() const {
    return hBar_->value();
}

void TViewer::SetHScrollPosition(int x) {
    const int clamped = std::clamp(x, 0, MaxHScroll());
    if (clamped != hBar_->value()) {
        hBar_->setValue(clamped);
    }
    paintPanel_->update();
}

// Moves the view to y (already clamped); with scrollPixels the surface's pixels move and only the
// uncovered strip is painted.
void TViewer::SetVScroll(int y, bool scrollPixels) {
    const int old = document_->YOffset;
    vBar_->SetPosition(y);
    document_->SetYOffset(y);
    // Control widgets move with the surface's pixels; placing them afterwards only shows those
    // the uncovered strip brings in and hides those scrolled out.
    if (scrollPixels && old != y) {
        paintPanel_->scroll(0, old - y);
    } else {
        paintPanel_->update();
    }
    PlaceControls();
}

void TViewer::VScrollBarMoved(int position) {
    SetVScroll(std::clamp(position, 0, MaxVScroll()), true);
}

void TViewer::ScrollTo(int y) {
    SetVScroll(std::clamp(y, 0, MaxVScroll()), false);
}

void TViewer::ResetScroll() {
    SetVScroll(0, false);
    SetHScrollPosition(0);
}

void TViewer::resizeEvent(QResizeEvent*) {
    if (processing_) {
        ArrangeBars();
        return;
    }
    RelayoutKeepingPosition();
    SetVScroll(docHeight_ < paintPanel_->height() ? 0 : std::min(ScrollPosition(), MaxVScroll()), false);
    SetHScrollPosition(HScrollPosition());
}

// --- Keys -------------------------------------------------------------------------------------------

void TViewer::keyPressEvent(QKeyEvent* event) {
    EndMiddleScrollMode();
    const int y = ScrollPosition();
    int target = y;
    switch (event->key()) {
    case Qt::Key_PageUp:
        target = y - vBar_->LargeChange;
        break;
    case Qt::Key_PageDown:
        target = y + vBar_->LargeChange;
        break;
    case Qt::Key_Up:
        target = y - T32ScrollBar::kSmallChange;
        break;
    case Qt::Key_Down:
        target = y + T32ScrollBar::kSmallChange;
        break;
    case Qt::Key_Home:
        target = 0;
        break;
    case Qt::Key_End:
        target = docHeight_;
        break;
    case Qt::Key_Left:
        SetHScrollPosition(HScrollPosition() - kHScrollSmallChange);
        return;
    case Qt::Key_Right:
        SetHScrollPosition(HScrollPosition() + kHScrollSmallChange);
        return;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    target = std::clamp(target, 0, MaxVScroll());
    SetVScroll(target, std::abs(target - y) == T32ScrollBar::kSmallChange);
}

// --- Painting ---------------------------------------------------------------------------------------

void TViewer::UpdateBorder() {
    const bool shown =
        (borderStyle_ == TBorderStyle::htFocused && hasFocus()) || borderStyle_ == TBorderStyle::htSingle;
    border_->SetBorderShown(shown && borderStyle_ != TBorderStyle::htNone);
}

void TViewer::paintEvent(QPaintEvent*) {
    // Every pixel belongs to the border panel and its children.
}

void TViewer::PaintBackground(Canvas& canvas, const Rect& clip) {
    canvas.fillRect(clip, surfaceColor_ & 0xFFFFFF);
    document_->PaintBackgroundBitmap(canvas, clip, HScrollPosition(), ScrollPosition());
}

void TViewer::PaintPanelPaint(QWidget& panel, const QRect& rect) {
    if (inLayout_ || rect.isEmpty()) {
        return;
    }
    UpdateBorder();
    QImage buffer(rect.size(), QImage::Format_RGB32);
    if (buffer.isNull()) {
        // Nothing may be thrown through the toolkit's paint; the message is shown after it.
        QTimer::singleShot(0, this, [this] { ShowError("Out of Resources"); });
        return;
    }
    {
        QPainter painter(&buffer);
        painter.translate(-rect.x(), -rect.y());
        QtCanvas canvas(painter);
        canvas.setDeviceColors(screenColorClass() >= 24 ? 1 << 24 : 1 << screenColorClass());
        const Rect clip{rect.x(), rect.y(), rect.right() + 1, rect.bottom() + 1};
        canvas.intersectClip(clip);
        PaintBackground(canvas, clip);
        if (rect == panel.rect()) {
            UnplaceControls();
        }
        document_->PaintDocument(canvas, clip, kMaxDocWidth, -HScrollPosition(), 0, 0, 0);
    }
    QPainter screen(&panel);
    screen.drawImage(rect.topLeft(), buffer);
}

void TViewer::ShowError(const std::string& message) {
    if (OnError) {
        OnError(this, message);
    } else {
        QMessageBox::critical(this, QApplication::applicationDisplayName(),
                              QString::fromLocal8Bit(message.c_str()));
    }
}

void TViewer::BackgroundChanged() {
    surfaceColor_ = document_->Background | PaletteRelative;
    paintPanel_->update();
}

void TViewer::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    UpdateBorder();
}

void TViewer::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    UpdateBorder();
}

// --- Properties -------------------------------------------------------------------------------------

void TViewer::SetDefBackground(Color c) {
    if (processing_) {
        return;
    }
    settings_.DefBackground = c;
    document_->SetBackground(c);
}

void TViewer::SetDefPreFontName(const std::string& name) {
    if (!equalsNoCase(name, settings_.DefPreFontName)) {
        settings_.DefPreFontName = name.substr(0, 33);
    }
}

void TViewer::SetDefFontSize(int size) {
    settings_.DefFontSize = std::max(size, 6);
}

void TViewer::SetVisitedMaxCount(int n) {
    visitedMaxCount_ = std::max(n, 0);
    if (visited_.size() > size_t(visitedMaxCount_)) {
        visited_.resize(size_t(visitedMaxCount_));
    }
}

void TViewer::SetHistoryMaxCount(int n) {
    if (n < 0) {
        return;
    }
    if (n < historyMaxCount_) {
        history_.clear();
        historyIndex_ = 0;
    }
    historyMaxCount_ = n;
}

void TViewer::SetImageCacheCount(int n) {
    imageCacheCount_ = std::clamp(n, 0, 20);
    if (imageCache_) {
        imageCache_->SetCacheCount(imageCacheCount_);
    }
}

void TViewer::SetViewImages(bool on) {
    if (on == settings_.ViewImages) {
        return;
    }
    settings_.ViewImages = on;
    document_->ShowImages = on || fileKind_ == ImgType;
    if (processing_) {
        return;
    }
    RelayoutKeepingPosition();
}

void TViewer::SetScrollBars(TScrollStyle s) {
    if (s == scrollBars_) {
        return;
    }
    scrollBars_ = s;
    if (processing_) {
        ArrangeBars();
        return;
    }
    RelayoutKeepingPosition();
}

// Lays the document out again for a new width or setting; the packed position keeps the
// reader at the same place in the text.
void TViewer::RelayoutKeepingPosition() {
    ProcessingScope scope(*this);
    const TPackedPosition position = Position();
    LayoutView();
    SetPosition(position);
}

void TViewer::SetNoSelect(bool on) {
    noSelect_ = on;
    if (on) {
        document_->SelStart = document_->SelEnd = 0;
        paintPanel_->update();
    }
}

void TViewer::SetBorderStyle(TBorderStyle s) {
    borderStyle_ = s;
    ArrangeBars();
}

void TViewer::SethtOptions(ThtOptionSet options) {
    settings_.htOptions = options;
    document_->HoverEnabled = (options & htOverLinksActive) != 0;
    document_->ShowCaret = (options & htShowDummyCaret) != 0;
    document_->PrintBackgrounds = (options & htPrintTableBackground) != 0;
    ArrangeBars();
}

void TViewer::SetDisplayDepth(tavlin::DisplayDepth depth) {
    if (depth == displayDepth()) {
        return;
    }
    setDisplayDepth(depth);
    // The cached pictures were prepared for the other screen; they go when the document that may
    // use them goes.
    cacheStale_ = true;
    paintPanel_->update();
}

void TViewer::SetServerRoot(const std::string& root) {
    serverRoot_ = root;
    if (!serverRoot_.empty() && (serverRoot_.back() == '\\' || serverRoot_.back() == kPathSeparator)) {
        serverRoot_.pop_back();
    }
}

QPrinter& TViewer::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

} // namespace tavlin
