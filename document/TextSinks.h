#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

// Where copied text goes: plain text and text followed by a line end (CR LF).
class TTextSink {
public:
    virtual ~TTextSink() = default;
    virtual void AddText(std::string_view text) = 0;
    void AddTextCR(std::string_view text) {
        AddText(text);
        AddText("\r\n");
    }
};

// Counts what a copy would give: every character except the object placeholders.
class SelTextCount : public TTextSink {
public:
    void AddText(std::string_view text) override;
    int Terminate() const { return count_; }
    int Count() const { return count_; }

private:
    int count_ = 0;
};

// Copies into a buffer of a fixed length, always leaving room for a terminating zero: object
// placeholders and line-break codes are skipped, a no-break space becomes a space, and what does
// not fit is dropped.
class SelTextBuf : public TTextSink {
public:
    // `buffer` holds `length` bytes; the text written is zero-terminated.
    SelTextBuf(char* buffer, int length);
    void AddText(std::string_view text) override;
    // Writes the terminating zero; returns the number of characters written.
    int Terminate();
    int Count() const { return count_; }
    bool IsFull() const { return count_ >= length_ - 1; }

protected:
    char* buffer_;
    int length_;
    int count_ = 0;
};

// Collects copied text without limit, for the clipboard and for text export: the same filtering
// as SelTextBuf, and since nothing is cut, no character is ever split.
class ClipBuffer : public TTextSink {
public:
    void AddText(std::string_view text) override;
    const std::string& Text() const { return text_; }
    std::string TakeText() { return std::move(text_); }

private:
    std::string text_;
};

} // namespace tavlin
