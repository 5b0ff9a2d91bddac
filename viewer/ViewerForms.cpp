// The viewer's side of form controls: real widgets on the drawing surface, the focused control
// scrolled into view, and submissions handed to the host from the event loop.
#include "document/HtmlForm.h"
#include "document/SectionList.h"
#include "platform/qt/QtFormControl.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerParts.h"

#include <QTimer>
#include <algorithm>

namespace tavlin {

void TViewer::SetUpForms() {
    controlFactory_ = std::make_unique<QtFormControlFactory>(paintPanel_);
    formHost_ = std::make_unique<TFormHost>();
    formHost_->Controls = controlFactory_.get();
    formHost_->OnFormSubmit = [this](TFormSubmission submission) { PostFormSubmit(std::move(submission)); };
    formHost_->OnObjectClick = [this](TFormControlObj& control, const std::string& onClick) {
        if (OnObjectClick) {
            OnObjectClick(this, &control, onClick);
        }
    };
    document_->FormHost = formHost_.get();
    document_->OnControlEnter = [this](TFloatingObj* control) { ControlEntered(*control); };
}

void TViewer::PostFormSubmit(TFormSubmission submission) {
    if (!OnFormSubmit) {
        return;
    }
    // Each submission is delivered once, after the click that made it has been handled; one
    // that waits when the viewer goes is dropped with it.
    QTimer::singleShot(0, this, [this, submission = std::move(submission)]() mutable {
        if (OnFormSubmit) {
            OnFormSubmit(this, submission.Action, submission.Target, submission.EncType, submission.Method,
                         std::move(submission.Results));
        }
    });
}

void TViewer::ControlEntered(const TFloatingObj& control) {
    // A focused form control comes to the middle of the view unless it is already in it.
    const int top = control.YPosition();
    const int y = ScrollPosition();
    if (top < y || top > y + paintPanel_->height() - 20) {
        const int target = std::clamp(top - paintPanel_->height() / 2, 0, MaxVScroll());
        if (target != y) {
            ScrollTo(target);
        }
    }
}

bool TViewer::HasFormControls() const {
    return document_->FormControls && !document_->FormControls->empty();
}

void TViewer::UnplaceControls() {
    if (!HasFormControls()) {
        return;
    }
    for (TFloatingObj* control : *document_->FormControls) {
        control->ShowIt = false;
    }
    document_->YOffsetChanged = true;
}

// Controls are placed by painting the document. Placing them before the surface is painted,
// rather than while it is, lets the toolkit paint each widget once, with the page; a widget
// shown in the middle of its parent's paint would be painted again after it.
void TViewer::PlaceControls() {
    if (!HasFormControls() || inLayout_) {
        return;
    }
    UnplaceControls();
    Canvas& canvas = MeasureCanvas();
    CanvasStateSaver saver(canvas);
    const Rect view{0, 0, paintPanel_->width(), paintPanel_->height()};
    document_->PaintDocument(canvas, view, kMaxDocWidth, -HScrollPosition(), 0, 0, 0);
}

} // namespace tavlin
