#include "viewer/ViewerParts.h"

#include "viewer/Viewer.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace tavlin {

TBorderPanel::TBorderPanel(QWidget* parent) : QWidget(parent) {
    setAutoFillBackground(true); // the parent's colour
    setFocusPolicy(Qt::NoFocus);
}

void TBorderPanel::SetBorderShown(bool shown) {
    if (shown != borderShown_) {
        borderShown_ = shown;
        update();
    }
}

void TBorderPanel::paintEvent(QPaintEvent*) {
    if (!borderShown_) {
        return;
    }
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TPaintPanel::TPaintPanel(QWidget* parent, TViewer& viewer) : QWidget(parent), viewer_(viewer) {
    setAttribute(Qt::WA_OpaquePaintEvent); // the viewer paints every pixel; no erase
    setFocusPolicy(Qt::NoFocus);
    setMouseTracking(true);
}

void TPaintPanel::paintEvent(QPaintEvent* event) {
    viewer_.PaintPanelPaint(*this, event->rect());
}
void TPaintPanel::mousePressEvent(QMouseEvent* event) {
    viewer_.PanelMouseDown(*event);
}
void TPaintPanel::mouseMoveEvent(QMouseEvent* event) {
    viewer_.PanelMouseMove(*event);
}
void TPaintPanel::mouseReleaseEvent(QMouseEvent* event) {
    viewer_.PanelMouseUp(*event);
}
void TPaintPanel::mouseDoubleClickEvent(QMouseEvent* event) {
    viewer_.PanelDoubleClick(*event);
}
void TPaintPanel::leaveEvent(QEvent*) {
    viewer_.PanelMouseLeft();
}
void TPaintPanel::wheelEvent(QWheelEvent* event) {
    viewer_.PanelWheel(*event);
}

T32ScrollBar::T32ScrollBar(QWidget* parent, TViewer& viewer)
    : QScrollBar(Qt::Vertical, parent), viewer_(viewer) {
    setFocusPolicy(Qt::NoFocus);
    setSingleStep(kSmallChange);
    setRange(0, 0);
    connect(this, &QAbstractSlider::actionTriggered, this, &T32ScrollBar::onAction);
    connect(this, &QAbstractSlider::valueChanged, this, [this](int value) {
        if (!sending_) {
            viewer_.VScrollBarMoved(value);
        }
    });
}

void T32ScrollBar::SetParams(int min, int max, int page, int position) {
    if (min == min_ && max == max_ && page == page_ && position == position_) {
        return;
    }
    min_ = min;
    max_ = max;
    page_ = page;
    position_ = position;
    ++sendCount_;
    sending_ = true;
    setRange(min_, std::max(min_, max_ - std::max(page_, 1) + 1));
    setPageStep(std::max(page_, 1));
    setValue(position_);
    sending_ = false;
}

void T32ScrollBar::onAction(int action) {
    viewer_.setFocus();
    int target = position_;
    switch (action) {
    case SliderSingleStepAdd:
        target = position_ + kSmallChange;
        break;
    case SliderSingleStepSub:
        target = position_ - kSmallChange;
        break;
    case SliderPageStepAdd:
        target = position_ + LargeChange;
        break;
    case SliderPageStepSub:
        target = position_ - LargeChange;
        break;
    case SliderToMinimum:
        target = 0;
        break;
    case SliderToMaximum:
        target = viewer_.MaxVScroll();
        break;
    case SliderMove:
        target = sliderPosition();
        break;
    default:
        break;
    }
    setSliderPosition(std::clamp(target, 0, viewer_.MaxVScroll()));
}

} // namespace tavlin
