#pragma once
#include <cstddef>
#include <cstdint>

namespace tavlin {

// One laid-out line of a section. A line with CharCount 0 is an empty band that skips past floats
// or clears them. Lines follow each other without gaps: a line's LineY + FullHeight() is the next
// one's LineY, and its End() the next one's Start, so lines are found by binary search. Where a
// line is painted follows from the section's x (PaintXOf).
struct LineRec {
    int Start = 0;
    int SpaceBefore = 0;
    int SpaceAfter = 0;
    int TextHeight = 0;
    int BoxHeight = 0;
    int CharCount = 0;
    int Descent = 0;
    int IndentX = 0;
    int AvailWidth = 0;
    int LineY = 0; // document y of the line's top

    int FullHeight() const { return SpaceBefore + TextHeight + SpaceAfter; }
    int PaintY() const { return LineY + SpaceBefore; } // document y of the top of the line's text
    int End() const { return Start + CharCount; }
    bool operator==(const LineRec&) const = default;
};

// The lines of a section, in eight bytes. A long document holds a section per paragraph, and
// most have one line of ordinary size that starts at the section's top and holds all its text:
// such a line is packed into the eight bytes themselves, its start, length and y following from
// the section (the Frame). Any other lines live in a heap block, where each keeps its end and y
// and starts where the one before it ends. Reading a line is a few shifts or one lookup.
class TLineList {
public:
    // What a lone packed line follows from: its section's top and text length.
    struct Frame {
        int top = 0;
        int length = 0;
    };

    TLineList() = default;
    TLineList(const TLineList&) = delete;
    TLineList& operator=(const TLineList&) = delete;
    ~TLineList();

    size_t size() const;
    bool empty() const { return size() == 0; }
    LineRec At(size_t i, Frame frame) const;
    // Appends a line that starts where the last one ends (at 0 for the first).
    void Add(const LineRec& line, Frame frame);
    // Keeps the heap room: a section laid out again fills about as many lines.
    void Clear();

private:
    // A line kept in the heap block: the start comes from the line before.
    struct Stored {
        int End;
        int LineY;
        int SpaceBefore;
        int SpaceAfter;
        int TextHeight;
        int BoxHeight;
        int Descent;
        int IndentX;
        int AvailWidth;
    };
    struct Block {
        uint32_t size;
        uint32_t capacity;
        Stored* Lines() { return reinterpret_cast<Stored*>(this + 1); }
    };
    static_assert(sizeof(Block) % alignof(Stored) == 0);

    // word_ is 0 (no lines), a packed line (bit 0 set) or the block's address (even).
    bool Packed() const { return (word_ & 1) != 0; }
    Block* HeapBlock() const { return Packed() ? nullptr : reinterpret_cast<Block*>(word_); }
    static bool Packs(const LineRec& line, Frame frame);
    static uint64_t Pack(const LineRec& line);
    static LineRec Unpack(uint64_t word, Frame frame);
    static Stored Store(const LineRec& line);
    // Makes sure the block has room for one more line, moving a packed line into it.
    Block& RoomForOneMore(int nextStart, Frame frame);

    uint64_t word_ = 0;
};

} // namespace tavlin
