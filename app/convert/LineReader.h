#pragma once
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

// Splits a stream into lines: CR LF, CR and LF each end a line, the end is not part of the line,
// and a last line without an end still counts. Lines have no length limit; memory stays one
// chunk plus the longest line that spans chunks.
class LineReader {
public:
    // Reads from an open file, or from bytes in memory, chunkSize bytes at a time. When
    // ctrlZEnds is set, a byte 26 counts as the end of the text.
    LineReader(std::FILE* file, bool ctrlZEnds, size_t chunkSize = 1 << 20);
    LineReader(std::string_view text, bool ctrlZEnds, size_t chunkSize = 1 << 20);

    // The next line, valid until the next call; false at the end or on a read error.
    bool next(std::string_view& line);
    bool failed() const { return failed_; }

private:
    // The first position at or after `from` that holds one byte, remembered between lines so
    // that every byte of a chunk is searched once.
    struct NextByte {
        char byte;
        size_t at = 0;
        bool known = false;
        size_t find(const char* data, size_t from, size_t end);
    };

    bool refill();
    void appendStraddling(std::string_view piece);

    std::FILE* file_ = nullptr;
    std::string_view text_; // what is left of the text in memory
    bool ctrlZEnds_;
    size_t chunkSize_;
    std::vector<char> chunk_;
    const char* data_ = nullptr; // the current chunk
    size_t pos_ = 0;
    size_t end_ = 0;
    bool lastChunk_ = false; // a Ctrl-Z stopped the current chunk
    bool ended_ = false;
    bool failed_ = false;
    bool skipLF_ = false; // the last line ended with a CR, so an LF next belongs to it
    NextByte cr_{'\r'};
    NextByte lf_{'\n'};
    std::string long_;      // a line that straddles chunks
    size_t unreadHint_ = 0; // how much input may still come, to size a long line in one go
};

} // namespace tavlin
