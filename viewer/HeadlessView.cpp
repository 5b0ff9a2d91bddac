#include "viewer/HeadlessView.h"

#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "images/ImageCache.h"
#include "platform/Files.h"
#include "platform/qt/QtCanvas.h"
#include "viewer/ViewerNames.h"

#include <QPainter>
#include <algorithm>

namespace tavlin {

THeadlessView::THeadlessView(const TViewerSettings& settings)
    : settings_(settings), document_(std::make_unique<TSectionList>()) {
    // No event loop drives a headless document: its animation timer only fires when told.
    document_->MakeTimer = [] { return std::make_unique<ManualTimer>(); };
    document_->Pictures.Cache = imageCache_ = std::make_shared<TStringBitmapList>();
    document_->Pictures.ExpandName = [this](const std::string& link) {
        return ExpandName(link, TNameContext{{}, loaded_.Base, fileName_});
    };
    InitDocument(*document_, settings_);
}

THeadlessView::~THeadlessView() = default;

void THeadlessView::LoadFile(const std::string& name) {
    Load(name, false);
}

void THeadlessView::LoadImageFile(const std::string& name) {
    Load(name, true);
}

void THeadlessView::Load(const std::string& name, bool image) {
    const std::string fileName = name.substr(0, name.find('#'));
    if (!fileExists(fileName)) {
        throw EInOutError("Can't locate file: " + fileName);
    }
    imageCache_->BumpAndCheck();
    InitDocument(*document_, settings_);
    document_->ShowImages = settings_.ViewImages || image;
    fileName_ = FullPath(fileName);
    TLoadHooks hooks;
    hooks.ExpandName = [this](const std::string& link) {
        return ExpandName(link, TNameContext{{}, {}, fileName_});
    };
    hooks.MarginWidth = settings_.MarginWidth;
    hooks.MarginHeight = settings_.MarginHeight;
    loaded_ = image ? ReadHtmlString(*document_, "<img src=\"" + fileName_ + "\">", hooks)
                    : ReadHtmlFile(*document_, fileName_, hooks);
    docHeight_ = docWidth_ = 0;
    if (!loaded_.ReadError.empty()) {
        throw EInOutError(loaded_.ReadError);
    }
}

void THeadlessView::LoadLines(const std::vector<std::string>& lines) {
    InitDocument(*document_, settings_);
    fileName_.clear();
    TLoadHooks hooks;
    hooks.MarginWidth = settings_.MarginWidth;
    hooks.MarginHeight = settings_.MarginHeight;
    loaded_ = ReadHtmlLines(*document_, lines, hooks);
    docHeight_ = docWidth_ = 0;
}

Canvas& THeadlessView::MeasureCanvas() {
    if (!measure_) {
        measure_ = std::make_unique<ImageCanvas>(1, 1);
    }
    return measure_->canvas();
}

int THeadlessView::Layout(int width, int height) {
    int scrollWidth = 0;
    int counter = 0;
    docHeight_ = document_->Layout(MeasureCanvas(), 0, std::max(width, 1), height, scrollWidth, counter);
    docWidth_ = std::min(scrollWidth, kMaxDocWidth);
    return docHeight_;
}

std::string THeadlessView::AllText() {
    // Decoded as the viewer decodes what it puts on the clipboard.
    return toUtf8(document_->DocumentText(), settings_.CharSet);
}

Color THeadlessView::Background() const {
    return document_->Background & 0xFFFFFF;
}

void THeadlessView::PaintBand(Canvas& canvas, int width, int height, int top) {
    document_->SetYOffset(top);
    document_->PaintDocument(canvas, Rect{0, 0, width, height}, kMaxDocWidth, 0, 0, 0, 0);
}

QImage THeadlessView::Render(int width, int height, int top) {
    QImage image(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    if (image.isNull()) {
        return image;
    }
    QPainter painter(&image);
    QtCanvas canvas(painter);
    const Rect all{0, 0, image.width(), image.height()};
    canvas.fillRect(all, Background());
    document_->PaintBackgroundBitmap(canvas, all, 0, top);
    PaintBand(canvas, image.width(), image.height(), top);
    painter.end();
    return image;
}

} // namespace tavlin
