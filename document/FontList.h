#pragma once
#include "document/FontObj.h"
#include "document/SectionArena.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace tavlin {

// A run of the source map: from offset Pos on, characters come from consecutive source offsets
// starting at Index.
struct IndexObj {
    int Pos = 0;
    int Index = 0;
};

// A section's font runs, ordered by Pos and never empty once the section is made, with the text
// and the source map they cover, all in one heap block: a long document holds a section per
// paragraph, and a block for each part cost more than the parts. While the section grows, the
// block has room to spare (a draft, handed on from one section to the next); Trim leaves only
// what it holds. Runs move when the block is remade: whatever must find a run again keeps its
// section and index (TLinkRun). The owner may keep one pointer of its own in the block too
// (Attachment): few sections need one, and only those pay for it.
class TFontList {
public:
    TFontList() = default;
    ~TFontList();
    TFontList(const TFontList&) = delete;
    TFontList& operator=(const TFontList&) = delete;

    // The runs. The list is const to whoever must not add runs; the runs stay changeable.
    int Count() const { return int(runCount_); }
    TFontObj& operator[](int i) const { return runs_[size_t(i)]; }
    TFontObj& Last() const { return runs_[runCount_ - 1]; }
    TFontObj* begin() const { return runs_; }
    TFontObj* end() const { return runs_ + runCount_; }
    void Add(TFontObj run);
    // Index of the run at offset p: the last run whose Pos <= p.
    int IndexAt(int p) const;
    TFontObj& GetFontObjAt(int p) const { return runs_[size_t(IndexAt(p))]; }
    // Characters from p to the next run (or to `length`, the end of the section, after the last).
    int GetFontCountAt(int p, int length) const { return EndOf(IndexAt(p), length) - p; }
    // Where the run at index i ends.
    int EndOf(int i, int length) const {
        return size_t(i) + 1 < runCount_ ? runs_[size_t(i) + 1].Pos : length;
    }

    // The text, and its bytes to change in place.
    std::string_view Text() const { return {TextData(), textSize_}; }
    char* TextData() const { return MapData() + MapBytes(RoomOf().map, packedMap_); }
    void AppendText(std::string_view chars);

    // The source map, by offset. Runs are read by value: a trimmed list keeps them narrow when
    // they fit (see PackedRun).
    size_t MapSize() const { return MapCount(); }
    IndexObj MapRun(size_t i) const {
        if (!packedMap_) {
            IndexObj run;
            std::memcpy(&run, MapData() + i * sizeof(IndexObj), sizeof(run));
            return run;
        }
        return PackedMapRun(i);
    }
    // Index of the map run holding offset p: the last whose Pos <= p; -1 before the first.
    int MapRunAt(int p) const;
    bool MapIsPacked() const { return packedMap_; }
    void AddMapRun(IndexObj run);
    void DropLastMapRun();

    // Leaves only what the list holds: the room to spare goes back to the next section. The
    // block left is taken from the arena when one is given and it fits there.
    void Trim(TSectionArena* arena = nullptr);

    // The owner's pointer kept in the block (null until set); the owner frees what it points to.
    void* Attachment() const;
    void SetAttachment(void* attachment);

private:
    // How much a block holds of each part; a draft keeps its room before its runs.
    struct Room {
        uint32_t runs = 0;
        uint32_t map = 0;
        uint32_t text = 0;
    };
    static constexpr size_t kRoomBytes = 16; // keeps the runs aligned
    static_assert(sizeof(Room) <= kRoomBytes && alignof(TFontObj) <= kRoomBytes);
    // A block: the attachment (when there is one), the room (in a draft), runs, map and text.
    static size_t PrefixBytes(bool draft, bool attached) {
        return (draft ? kRoomBytes : 0) + (attached ? sizeof(void*) : 0);
    }
    static size_t BlockBytes(Room room, bool draft, bool attached, bool packedMap);
    static constexpr uint32_t kMaxMapRuns = (1u << 28) - 1;

    // A packed map: the first run starts at offset 0 and keeps its source offset in 32 bits; each
    // later run keeps its offset and its source offset past the first run's in 16 bits each. Most
    // paragraphs come from a stretch of source under 64 KB, and this halves their map.
    struct PackedRun {
        uint16_t pos;
        uint16_t index; // past the first run's
    };
    static_assert(sizeof(PackedRun) == sizeof(int32_t) && sizeof(IndexObj) == 2 * sizeof(PackedRun));
    static size_t MapBytes(uint32_t runs, bool packed) {
        return runs * (packed ? sizeof(PackedRun) : sizeof(IndexObj));
    }
    IndexObj PackedMapRun(size_t i) const;
    bool MapPacks() const;
    void WriteMap(char* to, bool packed) const;

    // Inline: every read of the text or the map asks it, down to the character in measuring loops.
    Room RoomOf() const {
        if (!draft_) {
            return {runCount_, MapCount(), textSize_};
        }
        Room room;
        std::memcpy(&room, reinterpret_cast<const char*>(runs_) - kRoomBytes, sizeof(room));
        return room;
    }
    uint32_t MapCount() const { return mapCount_; }
    char* MapData() const { return reinterpret_cast<char*>(runs_ + RoomOf().runs); }
    // Makes sure the block holds at least this much, moving everything to a larger draft if not.
    void Grow(Room need);
    // Moves the contents into a block of the given room (a draft or not, with an attachment or
    // not), from the arena when one is given.
    void MoveTo(Room room, bool draft, bool attached, TSectionArena* arena = nullptr);
    void FreeBlock();

    TFontObj* runs_ = nullptr; // the start of the runs, inside the block
    uint32_t textSize_ = 0;
    uint32_t runCount_ = 0;
    // Bits, so that the list takes 20 bytes and its owner's next field fills the rest of its word.
    uint32_t mapCount_ : 28 = 0;
    uint32_t draft_ : 1 = 0;
    uint32_t attached_ : 1 = 0;
    uint32_t packedMap_ : 1 = 0; // only in a trimmed block
    uint32_t inArena_ : 1 = 0;
};

} // namespace tavlin
