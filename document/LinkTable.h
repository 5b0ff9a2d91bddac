#pragma once
#include "reader/Attributes.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

namespace tavlin {

// A link as the runs inside it see it: its number, address and frame name.
struct TRunLink {
    int32_t LinkId = 0;
    std::string_view Url;
    std::string_view Target;

    // The same link: number, address and frame name.
    bool Is(const TUrlTarget& link) const;
    // As the viewer takes the link under the mouse.
    TUrlTarget AsUrlTarget() const;
};

// The links of one document, each kept once and known by its number (from 1; 0 is no link), so
// that a run names its link in four bytes. A listing holds a link per entry: the characters of
// all links lie in a few large blocks, not in a heap block each.
class TLinkTable {
public:
    static constexpr uint32_t kNoLink = 0;
    // Numbers fit the bits a run keeps for them.
    static constexpr uint32_t kMaxLinks = (1u << 27) - 1;

    // The number of the link: the last one added again when it is the same (the runs of a link
    // are made one after another), else a new one. kNoLink for an empty address or a full table.
    uint32_t Add(const TRunLink& link);
    uint32_t Add(const TUrlTarget& link);
    // The link of a number; an empty link for kNoLink or a number the table does not hold.
    TRunLink operator[](uint32_t number) const;
    uint32_t Count() const { return uint32_t(links_.size()); }
    // Forgets every link; only for a document whose runs are gone.
    void Clear();

private:
    // A link's record in a block: the frame name's size, the address, the frame name. Most links
    // have no frame name, so its size is kept with the characters rather than in every entry.
    struct Entry {
        const char* record;
        uint32_t urlSize;
        int32_t linkId;
    };
    // A listing holds a link per entry.
    static_assert(sizeof(Entry) <= 16);
    static constexpr size_t kBlockBytes = 64 * 1024;
    // Records larger than this take a block of their own, so that a block is never left mostly empty.
    static constexpr size_t kLargeRecord = kBlockBytes / 8;
    // Space for a record of this many bytes.
    char* Allocate(size_t bytes);

    std::vector<Entry> links_;
    std::vector<std::unique_ptr<char[]>> blocks_; // the last one is filled next
    std::vector<std::unique_ptr<char[]>> large_;
    size_t blockFree_ = 0; // bytes left at the end of the last block
};

} // namespace tavlin
