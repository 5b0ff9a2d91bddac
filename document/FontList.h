#pragma once
#include "document/FontObj.h"

#include <cstddef>
#include <cstdint>
#include <span>
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
// section and index (TLinkRun).
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
    char* TextData() const { return reinterpret_cast<char*>(MapData() + RoomOf().map); }
    void AppendText(std::string_view chars);

    // The source map, by offset.
    std::span<IndexObj> Map() const { return {MapData(), mapCount_}; }
    void AddMapRun(IndexObj run);
    void DropLastMapRun() { --mapCount_; }

    // Leaves only what the list holds: the room to spare goes back to the next section.
    void Trim();

private:
    // How much a block holds of each part; a draft keeps its room before its runs.
    struct Room {
        uint32_t runs = 0;
        uint32_t map = 0;
        uint32_t text = 0;
    };
    static constexpr size_t kRoomBytes = 16; // keeps the runs aligned
    static_assert(sizeof(Room) <= kRoomBytes && alignof(TFontObj) <= kRoomBytes);

    Room RoomOf() const;
    IndexObj* MapData() const { return reinterpret_cast<IndexObj*>(runs_ + RoomOf().runs); }
    // Makes sure the block holds at least this much, moving everything to a larger draft if not.
    void Grow(Room need);
    // Moves the contents into a block of the given room (a draft or not).
    void MoveTo(Room room, bool draft);
    void FreeBlock();

    TFontObj* runs_ = nullptr; // the start of the runs, inside the block
    uint32_t textSize_ = 0;
    uint32_t runCount_ = 0;
    uint32_t mapCount_ = 0;
    bool draft_ = false;
};

} // namespace tavlin
