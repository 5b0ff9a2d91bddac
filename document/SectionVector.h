#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <utility>

namespace tavlin {

class TSectionBase;

// The owned sections of a content list. Most lists (every list item's) hold a single section, so
// the first one is kept inline and a heap array is made only for a second.
class TSectionVector {
public:
    using Ptr = std::unique_ptr<TSectionBase>;

    TSectionVector() : one_() {}
    ~TSectionVector() { Release(); }
    TSectionVector(const TSectionVector&) = delete;
    TSectionVector& operator=(const TSectionVector&) = delete;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    Ptr* begin() { return data(); }
    Ptr* end() { return data() + size_; }
    const Ptr* begin() const { return data(); }
    const Ptr* end() const { return data() + size_; }
    Ptr& operator[](size_t i) { return data()[i]; }
    const Ptr& operator[](size_t i) const { return data()[i]; }
    const Ptr& back() const { return data()[size_ - 1]; }

    void reserve(size_t n) {
        if (n > capacity_) {
            Grow(n);
        }
    }
    void push_back(Ptr section) {
        if (size_ == capacity_) {
            Grow(size_t(capacity_) * 2);
        }
        data()[size_++] = std::move(section);
    }
    // Removes the section at index i, keeping the order of the others.
    void erase(size_t i) {
        Ptr* d = data();
        Ptr gone = std::move(d[i]);
        std::move(d + i + 1, d + size_, d + i);
        --size_;
    }
    void clear() {
        Release();
        new (&one_) Ptr();
        size_ = 0;
        capacity_ = 1;
    }

private:
    bool Inline() const { return capacity_ == 1; }
    Ptr* data() { return Inline() ? &one_ : many_; }
    const Ptr* data() const { return Inline() ? &one_ : many_; }

    void Grow(size_t n) {
        auto* grown = new Ptr[n];
        std::move(begin(), end(), grown);
        const uint32_t size = size_;
        Release();
        new (&many_) Ptr*(grown);
        size_ = size;
        capacity_ = uint32_t(n);
    }
    // Frees the sections in order, then the storage; leaves the union without a live member.
    void Release() {
        for (Ptr& p : *this) {
            p.reset();
        }
        if (Inline()) {
            one_.~Ptr();
        } else {
            delete[] many_;
        }
    }

    union {
        Ptr one_;
        Ptr* many_;
    };
    uint32_t size_ = 0;
    uint32_t capacity_ = 1;
};

} // namespace tavlin
