#include "app/convert/LineReader.h"

#include <algorithm>
#include <cstring>
#include <sys/stat.h>

namespace tavlin {

namespace {
constexpr char kCtrlZ = 26;
}

LineReader::LineReader(std::FILE* file, bool ctrlZEnds, size_t chunkSize)
    : file_(file), ctrlZEnds_(ctrlZEnds), chunkSize_(std::max<size_t>(chunkSize, 1)) {
    chunk_.resize(chunkSize_);
    struct stat st {};
    const long at = std::ftell(file);
    if (::fstat(::fileno(file), &st) == 0 && S_ISREG(st.st_mode) && at >= 0 && st.st_size > at) {
        unreadHint_ = size_t(st.st_size - at);
    }
}

LineReader::LineReader(std::string_view text, bool ctrlZEnds, size_t chunkSize)
    : text_(text), ctrlZEnds_(ctrlZEnds), chunkSize_(std::max<size_t>(chunkSize, 1)),
      unreadHint_(text.size()) {}

void LineReader::appendStraddling(std::string_view piece) {
    // A line longer than a chunk may be huge, but it can be no longer than what is left of the
    // input: take that much at once (up to a bound) rather than doubling and copying its way up.
    constexpr size_t kMostAtOnce = size_t(1) << 30;
    if (long_.size() >= chunkSize_ && long_.size() + piece.size() > long_.capacity()) {
        long_.reserve(long_.size() + piece.size() + std::min(unreadHint_, kMostAtOnce));
    }
    long_.append(piece);
}

size_t LineReader::NextByte::find(const char* data, size_t from, size_t end) {
    if (!known || at < from) {
        const void* hit = std::memchr(data + from, byte, end - from);
        at = hit ? size_t(static_cast<const char*>(hit) - data) : end;
        known = true;
    }
    return at;
}

bool LineReader::refill() {
    if (ended_ || lastChunk_) {
        ended_ = true;
        return false;
    }
    size_t n = 0;
    if (file_) {
        n = std::fread(chunk_.data(), 1, chunkSize_, file_);
        failed_ = n == 0 && std::ferror(file_) != 0;
        data_ = chunk_.data();
    } else {
        n = std::min(chunkSize_, text_.size());
        data_ = text_.data();
        text_.remove_prefix(n);
    }
    if (n == 0) {
        ended_ = true;
        return false;
    }
    unreadHint_ -= std::min(unreadHint_, n);
    pos_ = 0;
    end_ = n;
    if (ctrlZEnds_) {
        if (const void* z = std::memchr(data_, kCtrlZ, n)) {
            end_ = size_t(static_cast<const char*>(z) - data_);
            lastChunk_ = true;
            if (end_ == 0) {
                ended_ = true;
                return false;
            }
        }
    }
    cr_.known = false;
    lf_.known = false;
    return true;
}

bool LineReader::next(std::string_view& line) {
    long_.clear();
    bool straddles = false;
    for (;;) {
        if (pos_ == end_ && !refill()) {
            if (failed_ || !straddles) {
                return false;
            }
            line = long_;
            return true;
        }
        if (skipLF_) {
            skipLF_ = false;
            if (data_[pos_] == '\n') {
                ++pos_;
                continue;
            }
        }
        const size_t stop = std::min(cr_.find(data_, pos_, end_), lf_.find(data_, pos_, end_));
        if (stop == end_) {
            appendStraddling({data_ + pos_, end_ - pos_});
            straddles = true;
            pos_ = end_;
            continue;
        }
        const std::string_view piece(data_ + pos_, stop - pos_);
        skipLF_ = data_[stop] == '\r';
        pos_ = stop + 1;
        if (straddles) {
            appendStraddling(piece);
            line = long_;
        } else {
            line = piece;
        }
        return true;
    }
}

} // namespace tavlin
