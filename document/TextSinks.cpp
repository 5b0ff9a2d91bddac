#include "document/TextSinks.h"

#include "platform/CodePage.h"

#include <algorithm>

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

// Copying drops the placeholders of objects and line breaks and turns a no-break space into a
// space. Calls keep(run) for each stretch of bytes kept as they are and keep(" ") for each
// no-break space; stops early when keep answers false.
template <typename Keep> void FilterCopiedText(std::string_view text, Keep keep) {
    size_t runStart = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool dropped = IsObjectPlaceholder(c) || c == 8;
        const bool noBreakSpace = static_cast<unsigned char>(c) == 160 && !ContinuesUtf8(text, i);
        if (!dropped && !noBreakSpace) {
            continue;
        }
        if (!keep(text.substr(runStart, i - runStart)) || (noBreakSpace && !keep(" "))) {
            return;
        }
        runStart = i + 1;
    }
    keep(text.substr(runStart));
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
    FilterCopiedText(text, [this](std::string_view run) {
        const size_t room = size_t(std::max(length_ - 1 - count_, 0));
        const size_t n = std::min(run.size(), room);
        std::copy_n(run.data(), n, buffer_ + count_);
        count_ += int(n);
        return !IsFull();
    });
}

int SelTextBuf::Terminate() {
    if (buffer_ && length_ > 0) {
        buffer_[count_] = 0;
    }
    return count_;
}

void ClipBuffer::AddText(std::string_view text) {
    FilterCopiedText(text, [this](std::string_view run) {
        text_ += run;
        return true;
    });
}

} // namespace tavlin
