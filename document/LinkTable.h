#pragma once
#include "reader/Attributes.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tavlin {

// A link as the runs inside it see it: its number, address and frame name.
struct TRunLink {
    int32_t LinkId = 0;
    std::string Url;
    std::string Target;

    // The same link: number, address and frame name.
    bool Is(const TUrlTarget& link) const;
    // As the viewer takes the link under the mouse.
    TUrlTarget AsUrlTarget() const;
};

// The links of one document, each kept once and known by its number (from 1; 0 is no link), so
// that a run names its link in four bytes. A listing holds a link per entry, and the addresses
// of neighbouring entries mostly start alike: each address keeps only what differs from the one
// before it, and the characters of all links lie in a few large blocks, not in a heap block each.
class TLinkTable {
public:
    static constexpr uint32_t kNoLink = 0;
    // Numbers fit the bits a run keeps for them.
    static constexpr uint32_t kMaxLinks = (1u << 27) - 1;

    // The number of the link: the last one added again when it is the same (the runs of a link
    // are made one after another), else a new one. kNoLink for an empty address or a full table.
    uint32_t Add(const TUrlTarget& link);
    uint32_t Add(const TRunLink& link);
    // The link of a number; an empty link for kNoLink or a number the table does not hold.
    TRunLink operator[](uint32_t number) const;
    // Only the link's number as the reader gave it (0 for none): what hovering compares.
    int32_t LinkIdOf(uint32_t number) const;
    uint32_t Count() const { return count_; }
    // Forgets every link; only for a document whose runs are gone.
    void Clear();

private:
    // A link's record in a block: the frame name's size, the length of the start its address
    // shares with the address before it and the length of the rest (as variable-length numbers),
    // the rest of the address, the frame name. The records of links that follow one another lie
    // one after another, so only where a run of them starts is kept (a restart: its address
    // whole), every so many links and wherever a record could not follow the one before. The
    // reader numbers links one after another, so a run of records also keeps only the number of
    // its first link; a link numbered otherwise starts a run of its own.
    struct Restart {
        uint32_t first;  // the index of its link
        int32_t firstId; // that link's number as the reader gave it
        const char* record;
    };
    // Reading a link decodes at most this many records.
    static constexpr uint32_t kRestart = 16;
    static constexpr size_t kBlockBytes = 64 * 1024;
    // Records larger than this take a block of their own, so that a block is never left mostly empty.
    static constexpr size_t kLargeRecord = kBlockBytes / 8;

    uint32_t Add(int32_t linkId, std::string_view url, std::string_view target);
    bool Holds(uint32_t number) const { return number != kNoLink && number <= Count(); }
    // The run of records that holds the link at this index.
    const Restart& RestartOf(uint32_t index) const;
    // Space for a record of this many bytes: right after the last record when it fits there.
    char* Allocate(size_t bytes);

    uint32_t count_ = 0;
    int32_t lastId_ = 0; // the reader's number of the last link added
    std::vector<Restart> restarts_;
    std::vector<std::unique_ptr<char[]>> blocks_; // the last one is filled next
    std::vector<std::unique_ptr<char[]>> large_;
    size_t blockFree_ = 0;   // bytes left at the end of the last block
    char* end_ = nullptr; // where the last record ended, when the next one may follow it
    // The last link added, whole: what the next one is compared with and shares its start with.
    std::string lastUrl_;
    std::string lastTarget_;
};

} // namespace tavlin
