// Links, anchors, the visited list, the history and packed positions of the viewer.
#include "document/FontObj.h"
#include "document/Section.h"
#include "document/SectionList.h"
#include "reader/TextUtil.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerParts.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace tavlin {

std::string TViewer::ExpandName(const std::string& name) const {
    return tavlin::ExpandName(name, TNameContext{serverRoot_, base_, currentFileName_});
}

TPackedPosition TViewer::Position() const {
    const int y = ScrollPosition();
    int anchorY = 0;
    int index = -1;
    if (document_->SectionAtY(y, anchorY, index)) {
        return PackPosition(index, y - anchorY);
    }
    return y;
}

void TViewer::SetPosition(TPackedPosition position) {
    const int index = PackedMarkIndex(position);
    if (index < 0) {
        ScrollTo(PackedOffset(position));
        return;
    }
    const auto* marks = document_->PositionList.get();
    if (marks && index < int(marks->size())) {
        ScrollTo((*marks)[size_t(index)]->AnchorY() + PackedOffset(position));
    }
}

bool TViewer::PositionTo(const std::string& anchor) {
    const std::string name = !anchor.empty() && anchor[0] == '#' ? anchor.substr(1) : anchor;
    if (name.empty() || !document_->IDs) {
        return false;
    }
    const TIDObject* target = document_->IDs->Find(toUpperAscii(name));
    if (!target) {
        return false;
    }
    ScrollTo(target->YPosition());
    SetHScrollPosition(0);
    MarkVisited(currentFileName_ + "#" + name);
    return true;
}

void TViewer::FollowLink(const std::string& url) {
    const OldDocument old{currentFileName_, documentTitle_, Position(), fileKind_};
    if (!url.empty() && url[0] == '#') {
        if (PositionTo(url)) {
            AddToHistory(old);
            MarkVisited(currentFileName_ + url);
        }
        return;
    }
    // A web address names nothing on this machine, and no other program is started for it.
    if (IsWebAddress(url)) {
        return;
    }
    const size_t hash = url.find('#');
    const std::string anchor = hash == std::string::npos ? std::string() : url.substr(hash);
    const std::string path = ExpandName(url.substr(0, hash));
    switch (LinkKindOf(path)) {
    case TLinkKind::Html:
        if (path != currentFileName_) {
            LoadFile(path + anchor);
            MarkVisited(path + anchor);
        } else if (PositionTo(anchor)) {
            AddToHistory(old);
            MarkVisited(path + anchor);
        }
        break;
    case TLinkKind::Image:
        LoadImageFile(path);
        break;
    case TLinkKind::Other:
        break;
    }
}

// The full address a link of the document stands for.
std::string TViewer::LinkAddress(const std::string& url) const {
    if (!url.empty() && url[0] == '#') {
        return currentFileName_ + url;
    }
    if (IsWebAddress(url)) {
        return url;
    }
    return ExpandName(url);
}

// Marks every link of the document whose full address is one of these (any case) visited.
void TViewer::MarkLinksVisited(const std::vector<std::string>& addresses) {
    if (addresses.empty()) {
        return;
    }
    std::unordered_set<std::string> wanted;
    for (const std::string& address : addresses) {
        wanted.insert(toLowerAscii(address));
    }
    // The runs of one link share its number; its address is made full once.
    std::unordered_map<uint32_t, bool> matched;
    bool changed = false;
    document_->ForEachTextSection([&](TSection& section) {
        for (int i = 0; i < section.FontRuns.Count(); ++i) {
            TFontObj& run = section.FontRuns[i];
            if (!run.HasLink()) {
                continue;
            }
            auto [it, isNew] = matched.try_emplace(run.LinkNumber(), false);
            if (isNew) {
                it->second = wanted.count(toLowerAscii(LinkAddress(section.LinkOf(run).Url))) > 0;
            }
            if (it->second && !run.Visited) {
                run.SetVisited(true);
                changed = true;
            }
        }
    });
    if (changed) {
        paintPanel_->update();
    }
}

void TViewer::MarkVisited(const std::string& address) {
    if (visitedMaxCount_ <= 0) {
        return;
    }
    const auto same = [&address](const std::string& entry) { return equalsNoCase(entry, address); };
    const auto it = std::find_if(visited_.begin(), visited_.end(), same);
    if (it == visited_.begin() && it != visited_.end()) {
        return;
    }
    if (it != visited_.end()) {
        std::rotate(visited_.begin(), it, it + 1);
    } else {
        MarkLinksVisited({address});
        visited_.insert(visited_.begin(), address);
    }
    if (visited_.size() > size_t(visitedMaxCount_)) {
        visited_.resize(size_t(visitedMaxCount_));
    }
}

void TViewer::AddToHistory(const OldDocument& old) {
    if (historyMaxCount_ < 1 || currentFileName_.empty()) {
        return;
    }
    const TPackedPosition now = Position();
    if (old.Name == currentFileName_ && old.Kind == fileKind_ && old.Position == now) {
        return;
    }
    if (!history_.empty() && !old.Name.empty()) {
        THistoryEntry& entry = history_[size_t(historyIndex_)];
        entry.Name = old.Name;
        entry.Title = old.Title;
        entry.Position = PositionObj{old.Position, old.Kind};
        history_.erase(history_.begin(), history_.begin() + historyIndex_);
    }
    historyIndex_ = 0;
    history_.insert(history_.begin(),
                    THistoryEntry{currentFileName_, documentTitle_, PositionObj{now, fileKind_}});
    if (history_.size() > size_t(historyMaxCount_)) {
        history_.resize(size_t(historyMaxCount_));
    }
    if (OnHistoryChange) {
        OnHistoryChange(this);
    }
}

} // namespace tavlin
