// Selection, find, copy and printing as the window uses them. The selection lives in the
// document (SelStart .. SelEnd); the caret says which end the user moved.
#include "document/SectionList.h"
#include "platform/CodePage.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerParts.h"

#include <QClipboard>
#include <QGuiApplication>
#include <algorithm>

namespace tavlin {

void TViewer::SetSelectionStart(int n) {
    if (n >= 0) {
        caretPos_ = n;
    }
    document_->SelStart = document_->SelEnd = n;
    paintPanel_->update();
}

int TViewer::SelectionStart() const {
    return document_->SelStart;
}

int TViewer::SelectionLength() const {
    const int start = document_->SelStart;
    const int end = document_->SelEnd;
    return caretPos_ == start ? end - start : start - end;
}

void TViewer::SetSelectionLength(int n) {
    if (n >= 0) {
        document_->SelStart = caretPos_;
        document_->SelEnd = caretPos_ + n;
    } else {
        document_->SelEnd = caretPos_;
        document_->SelStart = caretPos_ + n;
    }
    paintPanel_->update();
}

void TViewer::SelectAllText() {
    document_->SelStart = 0;
    document_->SelEnd = document_->FirstPos + document_->PosCount;
    caretPos_ = 0;
    paintPanel_->update();
}

bool TViewer::CopySelectedText() {
    const uint8_t charSet = settings_.CharSet;
    document_->OnClipboardText = [charSet](std::string_view text) {
        QGuiApplication::clipboard()->setText(QString::fromStdString(toUtf8(text, charSet)));
    };
    return document_->CopyToClipboard();
}

bool TViewer::FindText(const std::string& text, bool matchCase) {
    if (text.empty()) {
        return false;
    }
    const int found = document_->SearchText(caretPos_, text, matchCase);
    if (found < 0) {
        return false;
    }
    document_->SelStart = found;
    document_->SelEnd = found + int(text.size());
    caretPos_ = document_->SelEnd;
    int x = 0;
    int y = 0;
    if (document_->PositionToXY(&MeasureCanvas(), found, x, y)) {
        // A match outside the view comes to its middle; one in view does not move it.
        const int top = ScrollPosition();
        if (y < top || y >= top + paintPanel_->height() - 20) {
            const int target = std::clamp(y - paintPanel_->height() / 2, 0, MaxVScroll());
            if (target != top) {
                ScrollTo(target);
            }
        }
    }
    paintPanel_->update();
    return true;
}

} // namespace tavlin
