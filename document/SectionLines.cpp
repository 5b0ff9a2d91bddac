#include "document/SectionLines.h"

#include <cstdlib>
#include <initializer_list>
#include <limits>
#include <new>

namespace tavlin {

namespace {

// The packed line's fields, after the tag bit: four heights of a byte each, the indent as a
// signed 16-bit value, the available width in the 15 bits left.
constexpr int kHeightBits = 8;
constexpr int kIndentShift = 1 + 4 * kHeightBits;
constexpr int kWidthShift = kIndentShift + 16;
constexpr int kMaxPackedWidth = (1 << (64 - kWidthShift)) - 1;

bool FitsHeight(int value) {
    return value >= 0 && value < (1 << kHeightBits);
}

int HeightAt(uint64_t word, int field) {
    return int((word >> (1 + field * kHeightBits)) & 0xFF);
}

} // namespace

TLineList::~TLineList() {
    std::free(HeapBlock());
}

size_t TLineList::size() const {
    if (word_ == 0) {
        return 0;
    }
    return Packed() ? 1 : HeapBlock()->size;
}

bool TLineList::Packs(const LineRec& line, Frame frame) {
    return line.Start == 0 && line.LineY == frame.top && line.BoxHeight == line.FullHeight() &&
           FitsHeight(line.SpaceBefore) && FitsHeight(line.SpaceAfter) && FitsHeight(line.TextHeight) &&
           FitsHeight(line.Descent) && line.IndentX >= std::numeric_limits<int16_t>::min() &&
           line.IndentX <= std::numeric_limits<int16_t>::max() && line.AvailWidth >= 0 &&
           line.AvailWidth <= kMaxPackedWidth;
}

uint64_t TLineList::Pack(const LineRec& line) {
    uint64_t word = 1;
    int field = 0;
    for (const int height : {line.SpaceBefore, line.SpaceAfter, line.TextHeight, line.Descent}) {
        word |= uint64_t(height) << (1 + field++ * kHeightBits);
    }
    word |= uint64_t(uint16_t(int16_t(line.IndentX))) << kIndentShift;
    word |= uint64_t(line.AvailWidth) << kWidthShift;
    return word;
}

LineRec TLineList::Unpack(uint64_t word, Frame frame) {
    LineRec line;
    line.CharCount = frame.length;
    line.LineY = frame.top;
    line.SpaceBefore = HeightAt(word, 0);
    line.SpaceAfter = HeightAt(word, 1);
    line.TextHeight = HeightAt(word, 2);
    line.Descent = HeightAt(word, 3);
    line.BoxHeight = line.FullHeight();
    line.IndentX = int16_t(uint16_t(word >> kIndentShift));
    line.AvailWidth = int(word >> kWidthShift);
    return line;
}

LineRec TLineList::At(size_t i, Frame frame) const {
    if (Packed()) {
        return Unpack(word_, frame);
    }
    const Stored* lines = HeapBlock()->Lines();
    const Stored& s = lines[i];
    LineRec line;
    line.Start = i > 0 ? lines[i - 1].End : 0;
    line.CharCount = s.End - line.Start;
    line.LineY = s.LineY;
    line.SpaceBefore = s.SpaceBefore;
    line.SpaceAfter = s.SpaceAfter;
    line.TextHeight = s.TextHeight;
    line.BoxHeight = s.BoxHeight;
    line.Descent = s.Descent;
    line.IndentX = s.IndentX;
    line.AvailWidth = s.AvailWidth;
    return line;
}

TLineList::Stored TLineList::Store(const LineRec& line) {
    return {line.End(),     line.LineY,   line.SpaceBefore, line.SpaceAfter, line.TextHeight,
            line.BoxHeight, line.Descent, line.IndentX,     line.AvailWidth};
}

TLineList::Block& TLineList::RoomForOneMore(int nextStart, Frame frame) {
    Block* block = HeapBlock();
    const uint32_t size = block ? block->size : 0;
    if (block && size < block->capacity) {
        return *block;
    }
    if (size >= std::numeric_limits<uint32_t>::max() / 2 / sizeof(Stored)) {
        throw std::bad_alloc();
    }
    const uint32_t capacity = size < 2 ? 2 : size * 2;
    auto* grown = static_cast<Block*>(std::realloc(block, sizeof(Block) + capacity * sizeof(Stored)));
    if (!grown) {
        throw std::bad_alloc();
    }
    grown->capacity = capacity;
    if (Packed()) {
        // The packed line was the first; it ends where the new one starts.
        LineRec first = Unpack(word_, frame);
        first.CharCount = nextStart;
        grown->size = 1;
        grown->Lines()[0] = Store(first);
    } else if (!block) {
        grown->size = 0;
    }
    word_ = reinterpret_cast<uintptr_t>(grown);
    return *grown;
}

void TLineList::Add(const LineRec& line, Frame frame) {
    if (word_ == 0 && Packs(line, frame)) {
        word_ = Pack(line);
        return;
    }
    Block& block = RoomForOneMore(line.Start, frame);
    block.Lines()[block.size++] = Store(line);
}

void TLineList::Clear() {
    if (Packed()) {
        word_ = 0;
    } else if (Block* block = HeapBlock()) {
        block->size = 0;
    }
}

} // namespace tavlin
