#include "viewer/Viewer.h"

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPalette>
#include <QPrinter>
#include <algorithm>

namespace tavlin {

namespace {

Color toColor(const QColor& c) {
    return Color(c.red()) | (Color(c.green()) << 8) | (Color(c.blue()) << 16);
}

QColor toQColor(Color c) {
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

// The full name a file is recorded under: absolute, with "." and ".." resolved, links kept.
std::string expandName(const std::string& name) {
    const QString path = QFileInfo(QFile::decodeName(name.c_str())).absoluteFilePath();
    return QFile::encodeName(QDir::cleanPath(path)).toStdString();
}

} // namespace

TViewer::TViewer(QWidget* parent)
    : QWidget(parent), defBackground_(toColor(palette().color(QPalette::Button))),
      defFontColor_(toColor(palette().color(QPalette::ButtonText))) {
    resize(150, 150);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

TViewer::~TViewer() = default;

void TViewer::setProcessing(bool on) {
    processing_ = on;
    if (OnProcessing) {
        OnProcessing(this, on);
    }
}

void TViewer::LoadFile(const std::string& name) {
    if (processing_ || name.empty()) {
        return;
    }
    const size_t hash = name.find('#');
    const std::string fileName = name.substr(0, hash);
    if (!fileExists(fileName)) {
        throw EInOutError("Can't locate file: " + fileName);
    }
    setProcessing(true);
    // Placeholder: the reader is not wired in yet, so the document stays empty; only the name
    // is recorded. The anchor part is ignored for the same reason.
    currentFileName_ = expandName(fileName);
    documentTitle_.clear();
    caretPos_ = selStart_ = selEnd_ = 0;
    scrollPosition_ = 0;
    setProcessing(false);
    update();
}

void TViewer::LoadLines(const std::vector<std::string>& lines) {
    if (processing_) {
        return;
    }
    // Placeholder: the lines are not parsed yet; the document stays empty.
    (void)lines;
    documentTitle_.clear();
    caretPos_ = selStart_ = selEnd_ = 0;
    scrollPosition_ = 0;
    currentFileName_.clear();
    update();
}

void TViewer::ClearDocument() {
    if (processing_) {
        return;
    }
    documentTitle_.clear();
    caretPos_ = selStart_ = selEnd_ = 0;
    scrollPosition_ = 0;
    update();
}

void TViewer::ScrollTo(int y) {
    // An empty document has height 0, so every position clamps to the top.
    scrollPosition_ = std::clamp(y, 0, std::max(0, DocHeight() - height()));
    update();
}

bool TViewer::PositionTo(const std::string& anchor) {
    // Placeholder: an empty document has no anchors.
    (void)anchor;
    return false;
}

void TViewer::SetSelectionStart(int n) {
    if (n >= 0) {
        caretPos_ = n;
    }
    selStart_ = selEnd_ = n;
    update();
}

int TViewer::SelectionLength() const {
    return caretPos_ == selStart_ ? selEnd_ - selStart_ : selStart_ - selEnd_;
}

void TViewer::SetSelectionLength(int n) {
    if (n >= 0) {
        selStart_ = caretPos_;
        selEnd_ = caretPos_ + n;
    } else {
        selEnd_ = caretPos_;
        selStart_ = caretPos_ + n;
    }
    update();
}

void TViewer::SelectAllText() {
    // Placeholder: the document has no sections, so there is nothing to select.
}

void TViewer::CopySelectedText() {
    // Placeholder: the document holds no text, so nothing reaches the clipboard.
}

bool TViewer::FindText(const std::string& text, bool matchCase) {
    // Placeholder: the document holds no text, so nothing is found.
    (void)text;
    (void)matchCase;
    return false;
}

QPrinter& TViewer::Printer() {
    if (!printer_) {
        printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    }
    return *printer_;
}

void TViewer::PrintPages(int fromPage, int toPage) {
    // Placeholder: a document without sections prints nothing and starts no job.
    (void)fromPage;
    (void)toPage;
}

void TViewer::SetDefBackground(Color c) {
    if (!processing_) {
        defBackground_ = c;
        update();
    }
}

void TViewer::SetDefPreFontName(const std::string& name) {
    defPreFontName_ = name.substr(0, 33);
}

void TViewer::SetDefFontSize(int size) {
    defFontSize_ = std::max(size, 6);
}

void TViewer::SetVisitedMaxCount(int n) {
    visitedMaxCount_ = std::max(n, 0);
}

void TViewer::SetHistoryMaxCount(int n) {
    if (n >= 0) {
        historyMaxCount_ = n;
    }
}

void TViewer::SetImageCacheCount(int n) {
    imageCacheCount_ = std::clamp(n, 0, 20);
}

void TViewer::SetNoSelect(bool on) {
    noSelect_ = on;
    if (on) {
        selStart_ = selEnd_ = -1;
    }
}

void TViewer::SetBorderStyle(TBorderStyle s) {
    borderStyle_ = s;
    update();
}

void TViewer::SetServerRoot(const std::string& root) {
    serverRoot_ = root;
    if (!serverRoot_.empty() && (serverRoot_.back() == '\\' || serverRoot_.back() == kPathSeparator)) {
        serverRoot_.pop_back();
    }
}

bool TViewer::showsBorder() const {
    return (borderStyle_ == TBorderStyle::htFocused && hasFocus()) || borderStyle_ == TBorderStyle::htSingle;
}

void TViewer::paintEvent(QPaintEvent*) {
    // Placeholder: no document is drawn yet, only the background and the focus border.
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(defBackground_));
    if (showsBorder()) {
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void TViewer::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    update();
}

void TViewer::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    update();
}

} // namespace tavlin
