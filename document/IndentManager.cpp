#include "document/IndentManager.h"

#include "document/FloatingObj.h"

#include <algorithm>
#include <climits>

namespace tavlin {

void IndentManagerBasic::Reset(int width) {
    L.clear();
    R.clear();
    Width = width;
    LeftEdge = 0;
    RightEdge = width;
}

void IndentManagerBasic::AddLeft(int yt, int yb, int x, BandOwner owner, bool isFloat) {
    L.push_back({x, yt, yb, owner, isFloat});
}

void IndentManagerBasic::AddRight(int yt, int yb, int x, BandOwner owner, bool isFloat) {
    R.push_back({x, yt, yb, owner, isFloat});
}

void IndentManagerBasic::RemoveOwned(BandOwner owner) {
    const auto owned = [owner](const IndentRec& rec) { return rec.Owner == owner; };
    std::erase_if(L, owned);
    std::erase_if(R, owned);
}

int IndentManagerBasic::LeftIndentAt(int y) const {
    int x = 0;
    for (const IndentRec& rec : L) {
        if (Applies(rec, y)) {
            x = std::max(x, rec.X);
        }
    }
    return x + LeftEdge;
}

int IndentManagerBasic::RightSideAt(int y) const {
    int x = INT_MAX;
    for (const IndentRec& rec : R) {
        if (Applies(rec, y)) {
            x = std::min(x, rec.X);
        }
    }
    return x == INT_MAX ? RightEdge : x + LeftEdge;
}

namespace {

int LowestFloatBottom(const std::vector<IndentRec>& side) {
    int bottom = 0;
    for (const IndentRec& rec : side) {
        if (rec.Owner == nullptr) {
            bottom = std::max(bottom, rec.YB);
        }
    }
    return bottom;
}

bool HasFloat(const std::vector<IndentRec>& side) {
    return std::any_of(side.begin(), side.end(), [](const IndentRec& rec) { return rec.Owner == nullptr; });
}

// The nearest float bottom below y on one side, or y when none ends below it.
int NextBottomBelow(const std::vector<IndentRec>& side, int y) {
    int next = INT_MAX;
    for (const IndentRec& rec : side) {
        if (rec.Owner == nullptr && rec.YB > y) {
            next = std::min(next, rec.YB);
        }
    }
    return next == INT_MAX ? y : next;
}

} // namespace

int IndentManager::FloatBottom() const { return std::max(LowestFloatBottom(L), LowestFloatBottom(R)); }

void IndentManager::ClearBottoms(int& left, int& right) const {
    left = HasFloat(L) ? LowestFloatBottom(L) + 1 : 0;
    right = HasFloat(R) ? LowestFloatBottom(R) + 1 : 0;
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
        AddLeft(y, bottom, left + obj.FullWidth(), nullptr, true);
    } else if (obj.ObjAlign == ARight) {
        const int x = RightSideAt(y) - LeftEdge - obj.FullWidth();
        obj.ObjX = x + obj.LeftSpace;
        AddRight(y, bottom, x, nullptr, true);
    } else {
        return;
    }
    obj.PlacedY = y;
}

void IndentManager::PlaceFloatBlock(int y, int x, Side side, int height) {
    if (side == LeftSide) {
        AddLeft(y, y + height, x - LeftEdge, nullptr, true);
    } else {
        AddRight(y, y + height, RightSideAt(y) - LeftEdge - x, nullptr, true);
    }
}

} // namespace tavlin
