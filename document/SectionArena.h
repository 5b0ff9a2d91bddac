#pragma once
#include <array>
#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace tavlin {

// Where a document keeps its sections, blocks and their text: a long document holds a few of
// these per paragraph, and the heap's header and rounding cost up to 24 bytes on each. Pieces
// come from slabs that each hold pieces of one size, so a freed piece needs no header to be
// found again: it waits for the next piece of its size.
class TSectionArena {
public:
    static constexpr size_t kAlign = 8;
    static constexpr size_t kMaxPiece = 512; // larger pieces go to the heap

    TSectionArena();
    ~TSectionArena();
    TSectionArena(const TSectionArena&) = delete;
    TSectionArena& operator=(const TSectionArena&) = delete;

    // A piece of at least `bytes` (1 .. kMaxPiece), aligned to kAlign.
    void* Allocate(size_t bytes);
    // Gives back a piece this arena handed out. The last piece given back returns every slab to
    // the heap: a document that is cleared keeps nothing for a smaller one.
    void Free(void* piece);
    bool Owns(const void* p) const { return SlabOf(p) != nullptr; }
    // Gives a piece back to whichever live arena handed it out, for owners that do not know
    // their arena; false, and nothing done, when none did.
    static bool FreeToItsArena(void* piece);
    // Bytes in the slabs, used or not.
    size_t SlabBytes() const { return slabBytes_; }

private:
    struct Slab {
        std::byte* begin;
        std::byte* end;
        size_t piece;
    };
    struct SizeClass {
        std::byte* next = nullptr; // the untouched rest of the newest slab
        std::byte* end = nullptr;
        void* freed = nullptr; // pieces given back, linked through their first word
        size_t nextSlab = 0;   // bytes of the next slab; grows with use
    };

    static size_t ClassOf(size_t bytes) { return (bytes + kAlign - 1) / kAlign - 1; }
    const Slab* SlabOf(const void* p) const;
    void AddSlab(SizeClass& sizes, size_t piece);
    void ReleaseSlabs();

    std::array<SizeClass, kMaxPiece / kAlign> classes_{};
    std::vector<Slab> slabs_; // by address
    size_t slabBytes_ = 0;
    size_t live_ = 0; // pieces handed out and not given back
};

// A section made in the arena when it is small enough, else on the heap; deleting it finds
// out which (TSectionBase's operator delete).
template <typename T, typename... Args> std::unique_ptr<T> MakeInArena(TSectionArena& arena, Args&&... args) {
    if constexpr (sizeof(T) <= TSectionArena::kMaxPiece) {
        return std::unique_ptr<T>(new (arena) T(std::forward<Args>(args)...));
    } else {
        return std::make_unique<T>(std::forward<Args>(args)...);
    }
}

} // namespace tavlin
