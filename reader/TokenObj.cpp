#include "reader/TokenObj.h"

#include <algorithm>
#include <cstring>

namespace tavlin {

TokenObj::TokenObj()
    : chars_(std::make_unique<char[]>(kInitialCapacity)),
      positions_(std::make_unique<int32_t[]>(kInitialCapacity)), capacity_(kInitialCapacity) {}

TokenObj::TokenObj(const TokenObj& other) : TokenObj() {
    AppendToken(other);
}

TokenObj& TokenObj::operator=(const TokenObj& other) {
    if (this != &other) {
        Clear();
        AppendToken(other);
    }
    return *this;
}

// Grows by at least 50 and by half of the capacity, so that a long run of appends (a section of
// a big preformatted file) stays linear.
void TokenObj::EnsureCapacity(int32_t needed) {
    if (needed <= capacity_) {
        return;
    }
    const int64_t grown = int64_t(capacity_) + std::max<int64_t>(kGrowBy, capacity_ / 2);
    const int64_t target = std::min<int64_t>(INT32_MAX, std::max<int64_t>(grown, int64_t(needed) + kGrowBy));
    auto chars = std::make_unique<char[]>(size_t(target));
    auto positions = std::make_unique<int32_t[]>(size_t(target));
    if (count_ > 0) {
        std::memcpy(chars.get(), chars_.get(), size_t(count_));
        std::memcpy(positions.get(), positions_.get(), size_t(count_) * sizeof(int32_t));
    }
    chars_ = std::move(chars);
    positions_ = std::move(positions);
    capacity_ = int32_t(target);
}

void TokenObj::AddString(std::string_view s, int32_t pos) {
    for (char c : s) {
        AddChar(c, pos);
    }
}

void TokenObj::AddRun(std::string_view s, int32_t firstPos) {
    if (s.empty()) {
        return;
    }
    EnsureCapacity(count_ + int32_t(s.size()));
    std::memcpy(chars_.get() + count_, s.data(), s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        positions_[size_t(count_) + i] = firstPos + int32_t(i);
    }
    count_ += int32_t(s.size());
    cacheValid_ = false;
}

void TokenObj::Clear() {
    count_ = 0;
    cachedText_.clear();
    cacheValid_ = true;
}

void TokenObj::AppendToken(const TokenObj& other) {
    if (other.count_ == 0) {
        return;
    }
    EnsureCapacity(count_ + other.count_);
    std::memcpy(chars_.get() + count_, other.chars_.get(), size_t(other.count_));
    std::memcpy(positions_.get() + count_, other.positions_.get(), size_t(other.count_) * sizeof(int32_t));
    count_ += other.count_;
    cacheValid_ = false;
}

void TokenObj::DeleteChar(int32_t i) {
    if (i < 1 || i > count_) {
        return;
    }
    const size_t at = size_t(i - 1);
    const size_t tail = size_t(count_) - at - 1;
    std::memmove(chars_.get() + at, chars_.get() + at + 1, tail);
    std::memmove(positions_.get() + at, positions_.get() + at + 1, tail * sizeof(int32_t));
    --count_;
    if (cacheValid_) {
        cachedText_.erase(at, 1);
    }
}

void TokenObj::ReplaceChar(int32_t i, char ch) {
    if (i < 1 || i > count_) {
        return;
    }
    chars_[size_t(i - 1)] = ch;
    if (cacheValid_) {
        cachedText_[size_t(i - 1)] = ch;
    }
}

const std::string& TokenObj::AsString() const {
    if (!cacheValid_) {
        cachedText_.assign(chars_.get(), size_t(count_));
        cacheValid_ = true;
    }
    return cachedText_;
}

} // namespace tavlin
