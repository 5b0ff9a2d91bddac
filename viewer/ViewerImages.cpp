// Pictures in the viewer: the host's request events, pictures delivered late, the picture under
// the mouse, and walking the history.
#include "document/ImageObj.h"
#include "document/SectionList.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerParts.h"

namespace tavlin {

void TViewer::InstallImageRequests() {
    ImageRequestHandlers& requests = document_->Pictures.Requests;
    requests = {};
    if (OnBitmapRequest) {
        requests.OnBitmapRequest = [this](const std::string& name, Color& transparent) {
            return OnBitmapRequest ? OnBitmapRequest(this, name, transparent) : std::nullopt;
        };
    }
    if (OnImageRequest) {
        requests.OnImageRequest = [this](const std::string& name) {
            const TImageStream stream = OnImageRequest ? OnImageRequest(this, name) : TImageStream{};
            return ImageRequestHandlers::Stream{stream.Wait, stream.Bytes};
        };
    }
}

void TViewer::InsertImage(const std::string& src, std::string_view bytes) {
    if (processing_ || !document_->DeliverImage(src, bytes)) {
        return;
    }
    RelayoutKeepingPosition();
    paintPanel_->update();
}

TImageObj* TViewer::ImageAt(const QPoint& panelPoint, int& x, int& y) {
    const QPoint at = DocumentPoint(panelPoint);
    TFloatingObj* object = nullptr;
    if (!document_->ObjectAt(at.x(), at.y(), object, x, y)) {
        return nullptr;
    }
    return dynamic_cast<TImageObj*>(object);
}

void TViewer::SetHistoryIndex(int index) {
    if (processing_ || index == historyIndex_ || index < 0 || index >= int(history_.size())) {
        return;
    }
    // The entry being left remembers where the view stood.
    const int previous = historyIndex_;
    THistoryEntry& current = history_[size_t(previous)];
    current.Position = PositionObj{Position(), fileKind_};
    current.Title = documentTitle_;
    const THistoryEntry target = history_[size_t(index)];
    historyIndex_ = index;
    if (target.Name != currentFileName_ || target.Position.FileType != fileKind_) {
        struct Walking {
            bool& flag;
            ~Walking() { flag = false; }
        } walking{walkingHistory_ = true};
        try {
            if (target.Position.FileType == ImgType) {
                LoadImageFile(target.Name);
            } else {
                LoadFile(target.Name);
            }
        } catch (...) {
            historyIndex_ = previous; // the shown document stays current
            throw;
        }
    }
    SetPosition(target.Position.Pos);
    if (OnHistoryChange) {
        OnHistoryChange(this);
    }
}

} // namespace tavlin
