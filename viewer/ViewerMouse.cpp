// The mouse over the drawing surface: cursors, link hover, clicks, selection drags, the
// middle-button scroll mode and auto-scrolling.
#include "document/FormControl.h"
#include "document/ImageObj.h"
#include "document/Section.h"
#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerCursors.h"
#include "viewer/ViewerParts.h"

#include <QChar>
#include <QMouseEvent>
#include <QWheelEvent>
#include <algorithm>

namespace tavlin {

namespace {

constexpr int kMiddleScrollDeadZone = 20;

// Auto-scroll steps while a selection is dragged past the top or bottom of the surface.
int dragScrollStep(int y, int height) {
    if (y < -15) {
        return -8 * T32ScrollBar::kSmallChange;
    }
    if (y < 0) {
        return -T32ScrollBar::kSmallChange;
    }
    if (y > height + 15) {
        return 8 * T32ScrollBar::kSmallChange;
    }
    return T32ScrollBar::kSmallChange;
}

// Auto-scroll steps in the middle-button scroll mode, by the distance from where it began.
int middleScrollStep(int d) {
    if (d < -60) {
        return -32;
    }
    if (d < -kMiddleScrollDeadZone) {
        return -8;
    }
    if (d > 60) {
        return 32;
    }
    if (d <= kMiddleScrollDeadZone) {
        return 0;
    }
    return 8;
}

// Whether the character starting at offset i of a section is part of a word: a letter, digit or
// combining mark of any script, decoded by the character set of its font run.
bool isWordCharAt(const TSection& section, int i) {
    const uint8_t charSet = section.FontRuns.GetFontObjAt(i).Font().Desc.charSet;
    thread_local std::vector<DecodedChar> decoded;
    decodeText(section.Text().substr(size_t(i), size_t(section.CharLengthAt(i))), charSet, decoded);
    if (decoded.empty()) {
        return false;
    }
    const char32_t cp = decoded[0].codePoint;
    return QChar::isLetterOrNumber(cp) || QChar::isMark(cp);
}

// The word holding the character at `offset` of a section, as byte offsets [start, end); empty
// when that character belongs to no word. A word never leaves its section.
void wordAround(const TSection& section, int offset, int& start, int& end) {
    start = end = section.CharStartAtOrBefore(offset);
    if (start >= section.Len() || !isWordCharAt(section, start)) {
        return;
    }
    while (end < section.Len() && isWordCharAt(section, end)) {
        end += section.CharLengthAt(end);
    }
    while (start > 0) {
        const int before = section.CharStartAtOrBefore(start - 1);
        if (!isWordCharAt(section, before)) {
            break;
        }
        start = before;
    }
}

} // namespace

QPoint TViewer::DocumentPoint(const QPoint& panelPoint) const {
    return {panelPoint.x() + HScrollPosition(), panelPoint.y() + ScrollPosition()};
}

void TViewer::SetPanelCursor(int number) {
    if (number == cursorNumber_ && number != 0) {
        return;
    }
    cursorNumber_ = number;
    paintPanel_->setCursor(CustomCursor(number));
}

void TViewer::SetPanelCursor(Qt::CursorShape shape) {
    if (cursorNumber_ == 0 && paintPanel_->cursor().shape() == shape) {
        return;
    }
    cursorNumber_ = 0;
    paintPanel_->setCursor(shape);
}

void TViewer::UpdateCovered(const std::string& url, const std::string& target) {
    if (url == coveredURL_ && target == coveredTarget_) {
        return;
    }
    coveredURL_ = url;
    coveredTarget_ = target;
    if (OnHotSpotCovered) {
        OnHotSpotCovered(this, url);
    }
}

void TViewer::PanelMouseDown(QMouseEvent& event) {
    setFocus();
    linkClicked_ = false;
    lastMouse_ = event.pos();
    if (middleScrollMode_) {
        EndMiddleScrollMode();
        return;
    }
    if (event.button() == Qt::MiddleButton) {
        middleScrollMode_ = true;
        middleScrollY_ = event.pos().y();
        SetPanelCursor(crUpDownCursor);
        return;
    }
    if (event.button() != Qt::LeftButton) {
        return;
    }
    leftDragging_ = true;
    const QPoint at = DocumentPoint(event.pos());
    TPositionHit hit;
    dragAnchor_ = document_->PositionAt(MeasureCanvas(), at.x(), at.y(), hit);
    if (dragAnchor_ >= 0) {
        if (document_->SelStart != document_->SelEnd) {
            paintPanel_->update();
        }
        document_->SelStart = document_->SelEnd = dragAnchor_;
        caretPos_ = dragAnchor_;
    }
}

void TViewer::PanelMouseMove(QMouseEvent& event) {
    lastMouse_ = event.pos();
    panelHasMouse_ = paintPanel_->rect().contains(event.pos());
    if (middleScrollMode_) {
        if (std::abs(event.pos().y() - middleScrollY_) > kMiddleScrollDeadZone) {
            StartAutoScroll();
        }
        return;
    }
    const QPoint at = DocumentPoint(event.pos());
    TLinkAnswer answer;
    std::string url;
    std::string target;
    if (document_->LinkAtPoint(MeasureCanvas(), at.x(), at.y(), answer)) {
        SetPanelCursor(crLinkHand);
        if (answer.HasTarget) {
            url = answer.Target.Url;
            target = answer.Target.Target;
        }
    } else {
        TPositionHit hit;
        document_->PositionAt(MeasureCanvas(), at.x(), at.y(), hit);
        if (hit.InText) {
            SetPanelCursor(crTextCursor);
        } else {
            SetPanelCursor(Qt::ArrowCursor);
        }
    }
    if (OnImageOver || OnImageClick) {
        int x = 0;
        int y = 0;
        if (TImageObj* image = ImageAt(event.pos(), x, y)) {
            if (url.empty()) {
                SetPanelCursor(Qt::ArrowCursor);
            }
            if (OnImageOver) {
                OnImageOver(this, *image, x, y);
            }
        }
    }
    if ((cursorNumber_ == crLinkHand || document_->HoverLink) && !hoverTimer_.isActive()) {
        hoverTimer_.start();
    }
    UpdateCovered(url, target);
    if (leftDragging_ && (event.buttons() & Qt::LeftButton)) {
        if (event.pos().y() <= 0 || event.pos().y() >= paintPanel_->height()) {
            StartAutoScroll();
        }
        if (!noSelect_) {
            ExtendSelection(event.pos());
        }
    }
}

void TViewer::PanelMouseUp(QMouseEvent& event) {
    lastMouse_ = event.pos();
    if (middleScrollMode_) {
        if (!(event.button() == Qt::MiddleButton && event.pos().y() == middleScrollY_)) {
            EndMiddleScrollMode();
        }
        return;
    }
    if (OnImageClick) {
        int x = 0;
        int y = 0;
        if (TImageObj* image = ImageAt(event.pos(), x, y)) {
            OnImageClick(this, *image, event.button(), x, y);
        }
    }
    if (event.button() == Qt::RightButton && OnRightClick) {
        hoverTimer_.stop();
        TRightClickParameters parameters;
        parameters.Point = event.pos();
        const QPoint at = DocumentPoint(event.pos());
        TLinkAnswer answer;
        if (document_->LinkAtPoint(MeasureCanvas(), at.x(), at.y(), answer) && answer.HasTarget) {
            parameters.URL = answer.Target.Url;
            parameters.Target = answer.Target.Target;
        }
        int start = 0;
        int end = 0;
        parameters.ClickWord = WordAt(event.pos(), start, end);
        OnRightClick(this, parameters);
        hoverTimer_.start();
        return;
    }
    if (event.button() != Qt::LeftButton) {
        return;
    }
    autoScrollTimer_.stop();
    const bool began = leftDragging_;
    leftDragging_ = false;
    if (!noSelect_) {
        ExtendSelection(event.pos());
    }
    if (!began || document_->SelStart != document_->SelEnd) {
        return;
    }
    const QPoint at = DocumentPoint(event.pos());
    TLinkAnswer answer;
    if (!document_->LinkAtPoint(MeasureCanvas(), at.x(), at.y(), answer)) {
        return;
    }
    if (auto* control = dynamic_cast<TFormControlObj*>(answer.FormControl)) {
        control->Clicked(); // an image input: its point was stored by the hit test
    } else if (answer.HasTarget) {
        coveredURL_ = answer.Target.Url;
        coveredTarget_ = answer.Target.Target;
        linkClicked_ = true;
        HotSpotClick();
    }
}

void TViewer::HotSpotClick() {
    bool handled = false;
    if (OnHotSpotClick) {
        OnHotSpotClick(this, coveredURL_, handled);
    }
    if (handled) {
        return;
    }
    // The click comes from an event handler: a link that fails to load is shown, not thrown.
    try {
        FollowLink(coveredURL_);
    } catch (const std::exception& error) {
        ShowError(error.what());
    }
}

void TViewer::PanelDoubleClick(QMouseEvent& event) {
    if (processing_ || linkClicked_ || event.button() != Qt::LeftButton) {
        return;
    }
    if (!noSelect_) {
        int start = 0;
        int end = 0;
        WordAt(event.pos(), start, end);
        if (end > start) {
            document_->SelStart = start;
            document_->SelEnd = end;
            caretPos_ = start;
            paintPanel_->update();
        }
        // The release that ends the double click must not turn the word back into the caret.
        dragAnchor_ = -1;
    }
    if (OnMouseDouble) {
        OnMouseDouble(this);
    }
}

std::string TViewer::WordAt(const QPoint& panelPoint, int& start, int& end) {
    const QPoint at = DocumentPoint(panelPoint);
    TPositionHit hit;
    const int position = document_->PositionAt(MeasureCanvas(), at.x(), at.y(), hit);
    start = end = std::max(position, 0);
    if (position < 0) {
        return {};
    }
    caretPos_ = position;
    if (!hit.InText) {
        return {};
    }
    // The caret may stand just after a word (a click on the right half of its last character).
    for (const int p : {position, position - 1}) {
        char ch = 0;
        TSectionBase* holder = nullptr;
        if (p < 0 || !document_->CharAt(p, ch, holder) || !holder->IsTextSection()) {
            continue;
        }
        const auto& section = static_cast<const TSection&>(*holder);
        int from = 0;
        int to = 0;
        wordAround(section, p - section.FirstPos, from, to);
        if (to > from) {
            start = section.FirstPos + from;
            end = section.FirstPos + to;
            return std::string(section.Text().substr(size_t(from), size_t(to - from)));
        }
    }
    return {};
}

void TViewer::ExtendSelection(const QPoint& panelPoint) {
    if (dragAnchor_ < 0) {
        return;
    }
    const QPoint at = DocumentPoint(panelPoint);
    TPositionHit hit;
    const int position = document_->PositionAt(MeasureCanvas(), at.x(), at.y(), hit);
    if (position < 0) {
        return;
    }
    const int start = std::min(dragAnchor_, position);
    const int end = std::max(dragAnchor_, position);
    if (start != document_->SelStart || end != document_->SelEnd) {
        document_->SelStart = start;
        document_->SelEnd = end;
        paintPanel_->update();
    }
    caretPos_ = position;
}

void TViewer::PanelMouseLeft() {
    panelHasMouse_ = false;
}

void TViewer::PanelWheel(QWheelEvent& event) {
    // Three lines of the bar's small change for each notch of the wheel.
    const int notches = event.angleDelta().y() / 120;
    if (notches != 0) {
        ScrollTo(ScrollPosition() - notches * 3 * T32ScrollBar::kSmallChange);
    }
}

void TViewer::HoverTimerTick() {
    if (panelHasMouse_) {
        return;
    }
    document_->ClearHover();
    hoverTimer_.stop();
    UpdateCovered({}, {});
}

// --- Auto-scrolling ----------------------------------------------------------------------------------

bool TViewer::AutoScrolling() const {
    return autoScrollTimer_.isActive();
}

void TViewer::StartAutoScroll() {
    if (autoScrollTimer_.isActive()) {
        return;
    }
    autoScrollTimer_.start();
    QMetaObject::invokeMethod(this, &TViewer::AutoScrollStep, Qt::QueuedConnection);
}

void TViewer::AutoScrollStep() {
    const int y = lastMouse_.y();
    const int height = paintPanel_->height();
    int step = 0;
    if (leftDragging_ && (y < 0 || y > height)) {
        step = dragScrollStep(y, height);
    } else if (middleScrollMode_ && std::abs(y - middleScrollY_) > kMiddleScrollDeadZone) {
        step = middleScrollStep(y - middleScrollY_);
        SetPanelCursor(step < 0 ? crUpOnlyCursor : crDownOnlyCursor);
    } else {
        autoScrollTimer_.stop();
        if (middleScrollMode_) {
            SetPanelCursor(crUpDownCursor);
        }
        return;
    }
    SetVScroll(std::clamp(ScrollPosition() + step, 0, MaxVScroll()), false);
    if (leftDragging_ && !noSelect_) {
        ExtendSelection(lastMouse_);
    }
    paintPanel_->repaint();
}

void TViewer::EndMiddleScrollMode() {
    if (!middleScrollMode_) {
        return;
    }
    middleScrollMode_ = false;
    if (!leftDragging_) {
        autoScrollTimer_.stop();
    }
    SetPanelCursor(crTextCursor);
}

} // namespace tavlin
