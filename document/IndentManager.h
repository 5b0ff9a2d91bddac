#pragma once
#include <cstddef>
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
    BandOwner Owner = nullptr; // null for a float
};

// The bands of one side. Blocks' own bands are few at a time; floats can be many, and layout asks
// about the floats near the y it has reached, so floats that ended above the newest one are set
// aside and looked at only for a y above where they end.
class IndentBands {
public:
    void Clear();
    void Add(const IndentRec& band);
    void RemoveOwned(BandOwner owner);
    // Calls fn with the blocks' own bands.
    template <typename Fn> void ForOwned(Fn fn) const {
        for (const IndentRec& rec : owned_) {
            fn(rec);
        }
    }
    // Calls fn with every float that may contain y.
    template <typename Fn> void ForFloatsAt(int y, Fn fn) const {
        for (const IndentRec& rec : floats_) {
            fn(rec);
        }
        if (y < retiredBelow_) {
            for (const IndentRec& rec : retired_) {
                fn(rec);
            }
        }
    }
    // The largest (or, for the right side, the smallest) x of the floats that contain y, or
    // `none`. Floats beside each other at one y are asked about once per float placed, so the
    // last answer is kept and brought up to date with the floats added since.
    int FloatXAt(int y, bool largest, int none) const;
    bool HasFloat() const { return !floats_.empty() || !retired_.empty(); }
    int LowestFloatBottom() const { return lowestBottom_; }
    size_t size() const { return owned_.size() + floats_.size() + retired_.size(); }

private:
    void RetireFloatsEndingBy(int y);

    std::vector<IndentRec> owned_;
    std::vector<IndentRec> floats_;
    std::vector<IndentRec> retired_;
    int retiredBelow_ = 0;     // every retired float ends at or above this y
    int retiredMaxBottom_ = 0; // the lowest bottom among them
    int lowestBottom_ = 0;     // the lowest bottom of all floats
    size_t retireAt_ = 16;     // live floats that make the next sweep worth it
    // The last FloatXAt answer and how many live floats it had seen; dropped by a sweep.
    struct Answer {
        int y = 0;
        bool largest = false;
        int x = 0;
        size_t seen = 0;
        bool valid = false;
    };
    mutable Answer last_;
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
    IndentBands L;
    IndentBands R;

    // Empties both sides for a new arrangement of width `width` starting at x 0.
    void Reset(int width);
    void AddLeft(int yt, int yb, int x, BandOwner owner);
    void AddRight(int yt, int yb, int x, BandOwner owner);
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
