#pragma once
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <type_traits>

namespace tavlin {

// A vector of plain values that keeps up to N of them in itself and moves them to the heap only
// beyond that. A long document holds a text section per paragraph, most with one line and a
// source map of a few runs: a heap block for each of those cost more than the values.
template <typename T, uint32_t N> class InlineVector {
    static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T> && N > 0);

public:
    InlineVector() : heap_(nullptr) {}
    InlineVector(const InlineVector&) = delete;
    InlineVector& operator=(const InlineVector&) = delete;
    ~InlineVector() { Release(); }

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T* data() { return OnHeap() ? heap_ : std::launder(reinterpret_cast<T*>(inline_)); }
    const T* data() const { return OnHeap() ? heap_ : std::launder(reinterpret_cast<const T*>(inline_)); }
    T* begin() { return data(); }
    T* end() { return data() + size_; }
    const T* begin() const { return data(); }
    const T* end() const { return data() + size_; }
    T& operator[](size_t i) { return data()[i]; }
    const T& operator[](size_t i) const { return data()[i]; }
    T& front() { return data()[0]; }
    const T& front() const { return data()[0]; }
    T& back() { return data()[size_ - 1]; }
    const T& back() const { return data()[size_ - 1]; }

    void push_back(const T& value) {
        if (size_ == capacity_) {
            MoveTo(capacity_ * 2);
        }
        new (data() + size_) T(value);
        ++size_;
    }
    void pop_back() { --size_; }
    // Keeps the room: a section laid out again fills about as many lines.
    void clear() { size_ = 0; }
    void shrink_to_fit() {
        if (OnHeap() && size_ < capacity_) {
            MoveTo(std::max(size_, N));
        }
    }

private:
    bool OnHeap() const { return capacity_ > N; }
    void MoveTo(uint32_t capacity) {
        T* const heap = OnHeap() ? heap_ : nullptr;
        const T* const from = data();
        // memcpy: the values are plain bytes, and copying them makes them live where they land.
        if (capacity > N) {
            T* const target = static_cast<T*>(std::malloc(sizeof(T) * capacity));
            if (!target) {
                throw std::bad_alloc();
            }
            std::memcpy(static_cast<void*>(target), from, sizeof(T) * size_);
            heap_ = target;
        } else {
            // Back in place (only from the heap): the copy overwrites heap_, kept above.
            std::memcpy(inline_, from, sizeof(T) * size_);
        }
        std::free(heap);
        capacity_ = capacity;
    }
    void Release() {
        if (OnHeap()) {
            std::free(heap_);
        }
    }

    union {
        alignas(T) unsigned char inline_[sizeof(T) * N];
        T* heap_;
    };
    uint32_t size_ = 0;
    uint32_t capacity_ = N;
};

} // namespace tavlin
