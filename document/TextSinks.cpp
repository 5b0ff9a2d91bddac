#include "document/TextSinks.h"

#include "platform/CodePage.h"

namespace tavlin {

namespace {

bool IsObjectPlaceholder(char c) { return c == 2 || c == 4 || c == 6 || c == 7; }

// A byte 160 that continues a UTF-8 character is part of that character, not a no-break space.
bool ContinuesUtf8(std::string_view text, size_t i) {
    for (size_t back = 1; back <= 3 && back <= i; ++back) {
        if (utf8SequenceLength(text, i - back) > back) {
            return true;
        }
    }
    return false;
}

} // namespace

void SelTextCount::AddText(std::string_view text) {
    for (char c : text) {
        if (!IsObjectPlaceholder(c)) {
            ++count_;
        }
    }
}

SelTextBuf::SelTextBuf(char* buffer, int length) : buffer_(buffer), length_(length) {
    if (buffer_ && length_ > 0) {
        buffer_[0] = 0;
    }
}

void SelTextBuf::AddText(std::string_view text) {
    if (!buffer_) {
        return;
    }
    for (size_t i = 0; i < text.size(); ++i) {
        if (IsFull()) {
            return;
        }
        const char c = text[i];
        if (IsObjectPlaceholder(c) || c == 8) {
            continue;
        }
        const bool noBreakSpace = static_cast<unsigned char>(c) == 160 && !ContinuesUtf8(text, i);
        buffer_[count_++] = noBreakSpace ? ' ' : c;
    }
}

int SelTextBuf::Terminate() {
    if (buffer_ && length_ > 0) {
        buffer_[count_] = 0;
    }
    return count_;
}

ClipBuffer::ClipBuffer(std::function<void(std::string_view)> clipboard)
    : SelTextBuf(nullptr, kSize), storage_(size_t(kSize)), clipboard_(std::move(clipboard)) {
    buffer_ = storage_.data();
    buffer_[0] = 0;
}

void ClipBuffer::CopyToClipboard() {
    Terminate();
    if (clipboard_) {
        clipboard_(Text());
    }
}

} // namespace tavlin
