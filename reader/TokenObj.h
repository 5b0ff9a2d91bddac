#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tavlin {

// A run of 8-bit characters with the source position of each: the unit in which text travels
// from the reader to the sections. Reused for every token, so it never shrinks.
class TokenObj {
public:
    static constexpr int32_t kInitialCapacity = 300;
    static constexpr int32_t kGrowBy = 50;

    TokenObj();
    TokenObj(const TokenObj& other);
    TokenObj& operator=(const TokenObj& other);

    void AddChar(char ch, int32_t pos) {
        if (count_ >= capacity_) {
            EnsureCapacity(count_ + 1);
        }
        chars_[size_t(count_)] = ch;
        positions_[size_t(count_)] = pos;
        ++count_;
        cacheValid_ = false;
    }
    // Appends a run of characters that all carry the same position.
    void AddString(std::string_view s, int32_t pos);
    // Appends a run of characters at consecutive positions from firstPos.
    void AddRun(std::string_view s, int32_t firstPos);
    void Clear();
    void AppendToken(const TokenObj& other);
    // 1-based; indexes outside 1..Count are ignored.
    void DeleteChar(int32_t i);
    void ReplaceChar(int32_t i, char ch);
    const std::string& AsString() const;

    int32_t Count() const { return count_; }
    int32_t Capacity() const { return capacity_; }
    bool IsEmpty() const { return count_ == 0; }
    const char* Chars() const { return chars_.get(); }
    const int32_t* Positions() const { return positions_.get(); }
    std::string_view View() const { return {chars_.get(), size_t(count_)}; }
    // 0-based access for the callers that walk the arrays.
    char CharAt(int32_t i) const { return chars_[size_t(i)]; }
    int32_t PositionAt(int32_t i) const { return positions_[size_t(i)]; }

private:
    void EnsureCapacity(int32_t needed);

    std::unique_ptr<char[]> chars_;
    std::unique_ptr<int32_t[]> positions_;
    int32_t count_ = 0;
    int32_t capacity_ = 0;
    mutable std::string cachedText_;
    mutable bool cacheValid_ = true;
};

} // namespace tavlin
