#include "document/SectionArena.h"

#include <algorithm>
#include <cassert>
#include <mutex>
#include <new>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define TAVLIN_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define TAVLIN_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define TAVLIN_POISON(p, n) ((void)(p), (void)(n))
#define TAVLIN_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace tavlin {

namespace {

// A slab holds at least this many pieces, and at most kLargestSlab bytes once a size is in
// steady use; small documents stay small.
constexpr size_t kFirstPieces = 16;
constexpr size_t kLargestSlab = size_t(256) << 10;

// The live arenas: a document or two, and its print copy.
std::mutex arenasLock;
std::vector<TSectionArena*>& LiveArenas() {
    static auto* arenas = new std::vector<TSectionArena*>; // outlives every static document
    return *arenas;
}

} // namespace

TSectionArena::TSectionArena() {
    const std::lock_guard guard(arenasLock);
    LiveArenas().push_back(this);
}

TSectionArena::~TSectionArena() {
    ReleaseSlabs();
    const std::lock_guard guard(arenasLock);
    std::erase(LiveArenas(), this);
}

bool TSectionArena::FreeToItsArena(void* piece) {
    const std::lock_guard guard(arenasLock);
    for (TSectionArena* arena : LiveArenas()) {
        if (arena->Owns(piece)) {
            arena->Free(piece);
            return true;
        }
    }
    return false;
}

void TSectionArena::ReleaseSlabs() {
    for (const Slab& slab : slabs_) {
        TAVLIN_UNPOISON(slab.begin, size_t(slab.end - slab.begin));
        ::operator delete(slab.begin);
    }
    slabs_.clear();
    classes_ = {};
    slabBytes_ = 0;
    live_ = 0;
}

void* TSectionArena::Allocate(size_t bytes) {
    assert(bytes > 0 && bytes <= kMaxPiece);
    const size_t piece = (ClassOf(bytes) + 1) * kAlign;
    SizeClass& sizes = classes_[ClassOf(bytes)];
    ++live_;
    void* result = sizes.freed;
    if (result) {
        TAVLIN_UNPOISON(result, piece);
        sizes.freed = *static_cast<void**>(result);
        return result;
    }
    if (sizes.next == sizes.end) {
        AddSlab(sizes, piece);
    }
    result = sizes.next;
    sizes.next += piece;
    TAVLIN_UNPOISON(result, piece);
    return result;
}

void TSectionArena::Free(void* piece) {
    const Slab* slab = SlabOf(piece);
    assert(slab);
    SizeClass& sizes = classes_[ClassOf(slab->piece)];
    *static_cast<void**>(piece) = sizes.freed;
    sizes.freed = piece;
    TAVLIN_POISON(static_cast<std::byte*>(piece) + sizeof(void*), slab->piece - sizeof(void*));
    if (--live_ == 0) {
        ReleaseSlabs();
    }
}

const TSectionArena::Slab* TSectionArena::SlabOf(const void* p) const {
    const auto* byte = static_cast<const std::byte*>(p);
    auto after = std::upper_bound(slabs_.begin(), slabs_.end(), byte,
                                  [](const std::byte* q, const Slab& slab) { return q < slab.begin; });
    if (after == slabs_.begin()) {
        return nullptr;
    }
    const Slab& slab = *(after - 1);
    return byte < slab.end ? &slab : nullptr;
}

void TSectionArena::AddSlab(SizeClass& sizes, size_t piece) {
    const size_t bytes = std::max(sizes.nextSlab, piece * kFirstPieces);
    auto* begin = static_cast<std::byte*>(::operator new(bytes));
    const Slab slab{begin, begin + bytes / piece * piece, piece};
    slabs_.insert(std::upper_bound(slabs_.begin(), slabs_.end(), slab,
                                   [](const Slab& a, const Slab& b) { return a.begin < b.begin; }),
                  slab);
    slabBytes_ += bytes;
    sizes.next = slab.begin;
    sizes.end = slab.end;
    sizes.nextSlab = std::min(bytes * 2, std::max(kLargestSlab, piece * kFirstPieces));
    TAVLIN_POISON(begin, bytes);
}

} // namespace tavlin
