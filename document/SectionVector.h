#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace tavlin {

class TSectionBase;

// The band index of a content list of several sections: the largest PaintBottom of sections
// 0..i and the smallest PaintTop of i..end, so the sections that can touch a band are found by
// binary search. A list in flow order (no section's painted extent starts or ends above the one
// before, as in every listing) keeps no bounds: each section's own extent is its bound.
struct TBandIndex {
    bool inFlowOrder = false;
    std::vector<int> bottomPrefixMax; // empty in flow order
    std::vector<int> topSuffixMin;    // empty in flow order
    std::vector<int> alwaysPainted;   // indexes of sections painted outside their extent
};

// The owned sections of a content list, in one word. Most lists (every list item's) hold a single
// section, kept inline; a list that grows past one moves to a heap record, which also holds the
// band index that only such a list needs.
class TSectionVector {
public:
    using Ptr = std::unique_ptr<TSectionBase>;

    TSectionVector() = default;
    ~TSectionVector() { clear(); }
    TSectionVector(const TSectionVector&) = delete;
    TSectionVector& operator=(const TSectionVector&) = delete;

    size_t size() const { return end() - begin(); }
    bool empty() const { return size() == 0; }
    TSectionBase* const* begin() const { return IsHeap() ? Many().items.data() : &one_; }
    TSectionBase* const* end() const {
        return IsHeap() ? Many().items.data() + Many().items.size() : &one_ + (one_ ? 1 : 0);
    }
    TSectionBase* operator[](size_t i) const { return begin()[i]; }
    TSectionBase* back() const { return end()[-1]; }

    void reserve(size_t n) {
        if (n > 1) {
            ToHeap().items.reserve(n);
        }
    }
    void push_back(Ptr section);
    // Removes the section at index i, keeping the order of the others.
    void erase(size_t i);
    void clear();

    // The band index; null for a list that never held two sections.
    TBandIndex* Band() const { return IsHeap() ? Many().band.get() : nullptr; }
    // Makes the band index (the list holds two sections or more) or drops it.
    TBandIndex& MakeBand();
    void DropBand() {
        if (IsHeap()) {
            Many().band.reset();
        }
    }

private:
    struct Heap {
        std::vector<TSectionBase*> items; // owned
        std::unique_ptr<TBandIndex> band;
    };
    static constexpr uintptr_t kHeapTag = 1;

    bool IsHeap() const { return reinterpret_cast<uintptr_t>(one_) & kHeapTag; }
    Heap& Many() const { return *reinterpret_cast<Heap*>(reinterpret_cast<uintptr_t>(one_) & ~kHeapTag); }
    Heap& ToHeap();

    // The single section, or the heap record's address with the low bit set.
    TSectionBase* one_ = nullptr;
};

} // namespace tavlin
