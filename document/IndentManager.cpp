#include "document/IndentManager.h"

#include "document/FloatingObj.h"

#include <algorithm>
#include <climits>

namespace tavlin {

void IndentBands::Clear() {
    owned_.clear();
    floats_.clear();
    retired_.clear();
    retiredBelow_ = 0;
    retiredMaxBottom_ = 0;
    lowestBottom_ = 0;
    retireAt_ = 16;
    last_.valid = false;
}

void IndentBands::Add(const IndentRec& band) {
    if (band.Owner) {
        owned_.push_back(band);
        return;
    }
    floats_.push_back(band);
    lowestBottom_ = std::max(lowestBottom_, band.YB);
    if (floats_.size() >= retireAt_) {
        RetireFloatsEndingBy(band.YT);
    }
}

void IndentBands::RetireFloatsEndingBy(int y) {
    // A y at or below the lowest retired bottom skips the retired floats, so retiring more of
    // those that end above it costs nothing.
    const int mark = std::max(y, retiredBelow_);
    const auto ended = std::stable_partition(floats_.begin(), floats_.end(),
                                             [mark](const IndentRec& rec) { return rec.YB > mark; });
    for (auto it = ended; it != floats_.end(); ++it) {
        retiredMaxBottom_ = std::max(retiredMaxBottom_, it->YB);
        retired_.push_back(*it);
    }
    floats_.erase(ended, floats_.end());
    last_.valid = false;
    retiredBelow_ = retired_.empty() ? 0 : retiredMaxBottom_;
    // Sweep again when the live floats have doubled, so each float is looked at a few times.
    retireAt_ = std::max<size_t>(16, floats_.size() * 2);
}

void IndentBands::RemoveOwned(BandOwner owner) {
    std::erase_if(owned_, [owner](const IndentRec& rec) { return rec.Owner == owner; });
}

int IndentBands::FloatXAt(int y, bool largest, int none) const {
    const auto better = [largest](int a, int b) { return largest ? std::max(a, b) : std::min(a, b); };
    const auto applies = [y](const IndentRec& rec) { return rec.YT <= y && y < rec.YB; };
    size_t from = 0;
    int x = none;
    if (last_.valid && last_.y == y && last_.largest == largest && last_.seen <= floats_.size()) {
        from = last_.seen;
        x = last_.x;
    } else if (y < retiredBelow_) {
        for (const IndentRec& rec : retired_) {
            x = applies(rec) ? better(x, rec.X) : x;
        }
    }
    for (size_t i = from; i < floats_.size(); ++i) {
        x = applies(floats_[i]) ? better(x, floats_[i].X) : x;
    }
    last_ = Answer{y, largest, x, floats_.size(), true};
    return x;
}

void IndentManagerBasic::Reset(int width) {
    L.Clear();
    R.Clear();
    Width = width;
    LeftEdge = 0;
    RightEdge = width;
}

void IndentManagerBasic::AddLeft(int yt, int yb, int x, BandOwner owner) {
    L.Add({x, yt, yb, owner});
}

void IndentManagerBasic::AddRight(int yt, int yb, int x, BandOwner owner) {
    R.Add({x, yt, yb, owner});
}

void IndentManagerBasic::RemoveOwned(BandOwner owner) {
    L.RemoveOwned(owner);
    R.RemoveOwned(owner);
}

int IndentManagerBasic::LeftIndentAt(int y) const {
    int x = L.FloatXAt(y, true, 0);
    L.ForOwned([&](const IndentRec& rec) {
        if (Applies(rec, y)) {
            x = std::max(x, rec.X);
        }
    });
    return x + LeftEdge;
}

int IndentManagerBasic::RightSideAt(int y) const {
    int x = R.FloatXAt(y, false, INT_MAX);
    R.ForOwned([&](const IndentRec& rec) {
        if (Applies(rec, y)) {
            x = std::min(x, rec.X);
        }
    });
    return x == INT_MAX ? RightEdge : x + LeftEdge;
}

namespace {

// The nearest float bottom below y on one side, or y when none ends below it.
int NextBottomBelow(const IndentBands& side, int y) {
    int next = INT_MAX;
    side.ForFloatsAt(y, [&](const IndentRec& rec) {
        if (rec.YB > y) {
            next = std::min(next, rec.YB);
        }
    });
    return next == INT_MAX ? y : next;
}

} // namespace

int IndentManager::FloatBottom() const {
    return std::max(L.LowestFloatBottom(), R.LowestFloatBottom());
}

void IndentManager::ClearBottoms(int& left, int& right) const {
    left = L.HasFloat() ? L.LowestFloatBottom() + 1 : 0;
    right = R.HasFloat() ? R.LowestFloatBottom() + 1 : 0;
}

int IndentManager::NextWiderY(int y) const {
    const int left = NextBottomBelow(L, y);
    const int right = NextBottomBelow(R, y);
    if (left > y && right > y) {
        return std::min(left, right);
    }
    return left > y ? left : right;
}

void IndentManager::PlaceFloatImage(int y, TFloatingObj& obj) {
    const int bottom = y + obj.FullHeight();
    if (obj.ObjAlign == ALeft) {
        const int left = LeftIndentAt(y) - LeftEdge;
        obj.ObjX = left + obj.LeftSpace;
        AddLeft(y, bottom, left + obj.FullWidth(), nullptr);
    } else if (obj.ObjAlign == ARight) {
        const int x = RightSideAt(y) - LeftEdge - obj.FullWidth();
        obj.ObjX = x + obj.LeftSpace;
        AddRight(y, bottom, x, nullptr);
    } else {
        return;
    }
    obj.PlacedY = y;
}

void IndentManager::PlaceFloatBlock(int y, int x, Side side, int height) {
    if (side == LeftSide) {
        AddLeft(y, y + height, x - LeftEdge, nullptr);
    } else {
        AddRight(y, y + height, RightSideAt(y) - LeftEdge - x, nullptr);
    }
}

} // namespace tavlin
