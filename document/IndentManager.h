#pragma once
#include <vector>

namespace tavlin {

class TFloatingObj;

// The block or cell that made a band, compared by identity only; floats make bands without one.
using BandOwner = const void*;

// A vertical band at one side that narrows the lines from its top down to its bottom (excluded).
struct IndentRec {
    int X = 0;
    int YT = 0;
    int YB = 0;
    BandOwner Owner = nullptr;
    bool Float = false;
};

// The float bookkeeping of a content list: left and right bands, queried by document y.
class IndentManagerBasic {
public:
    static constexpr int OpenBottom = 9999999; // a band a list or block makes for its own edge

    int Width = 0;
    int LeftEdge = 0;
    int RightEdge = 0;
    int ClipWidth = 0;
    BandOwner CurrentOwner = nullptr;
    std::vector<IndentRec> L;
    std::vector<IndentRec> R;

    // Empties both sides for a new arrangement of width `width` starting at x 0.
    void Reset(int width);
    void AddLeft(int yt, int yb, int x, BandOwner owner, bool isFloat = false);
    void AddRight(int yt, int yb, int x, BandOwner owner, bool isFloat = false);
    // Removes the bands this owner made at either side.
    void RemoveOwned(BandOwner owner);

    int LeftIndentAt(int y) const;
    int RightSideAt(int y) const;

protected:
    bool Applies(const IndentRec& rec, int y) const {
        return rec.YT <= y && y < rec.YB && (rec.Owner == nullptr || rec.Owner == CurrentOwner);
    }
};

class IndentManager : public IndentManagerBasic {
public:
    enum Side { LeftSide = 1, RightSide = 2 };

    // The lowest bottom of any float band; 0 without floats.
    int FloatBottom() const;
    // One more than the lowest float bottom of each side, 0 for a side without floats.
    void ClearBottoms(int& left, int& right) const;
    // Where the next float above y ends, the nearer of both sides; y when no float ends below it.
    int NextWiderY(int y) const;
    // Places a floating object at y beside the floats already there and adds its band.
    void PlaceFloatImage(int y, TFloatingObj& obj);
    // Adds the band of a floating block from y down `height` pixels; for the left side x is the
    // right edge of the block's margin box, for the right side its full width.
    void PlaceFloatBlock(int y, int x, Side side, int height);
};

} // namespace tavlin
