#pragma once
#include <cstddef>
#include <utility>

namespace tavlin {

// A count of owners kept in the object itself. A document holds hundreds of thousands of font
// runs that each point to a shared font, link and link fonts: a pointer of one word per share
// instead of two, and no atomic counting (a document and its print copy live on one thread).
class RefCounted {
public:
    RefCounted() = default;
    RefCounted(const RefCounted&) {}
    RefCounted& operator=(const RefCounted&) { return *this; }

private:
    template <class T>
    friend class SharedRef;
    mutable int refs_ = 0;
};

// An owning pointer to an immutable object that counts its owners; null by default.
template <class T>
class SharedRef {
public:
    SharedRef() = default;
    explicit SharedRef(T* object) : object_(object) { Retain(); }
    SharedRef(const SharedRef& other) : object_(other.object_) { Retain(); }
    SharedRef(SharedRef&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    SharedRef& operator=(SharedRef other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~SharedRef() { Release(); }

    template <class... Args>
    static SharedRef Make(Args&&... args) {
        return SharedRef(new T(std::forward<Args>(args)...));
    }

    // Hands the pointer with its count to a holder that keeps it in a word of its own (with flag
    // bits beside it); Adopt gives the count back to a SharedRef.
    T* Detach() { return std::exchange(object_, nullptr); }
    static SharedRef Adopt(T* object) {
        SharedRef ref;
        ref.object_ = object;
        return ref;
    }

    T* get() const { return object_; }
    T& operator*() const { return *object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    void reset() { *this = SharedRef(); }
    friend bool operator==(const SharedRef& a, const SharedRef& b) { return a.object_ == b.object_; }
    friend bool operator==(const SharedRef& a, std::nullptr_t) { return a.object_ == nullptr; }

private:
    void Retain() const {
        if (object_) {
            ++object_->refs_;
        }
    }
    void Release() const {
        if (object_ && --object_->refs_ == 0) {
            delete object_;
        }
    }
    T* object_ = nullptr;
};

} // namespace tavlin
