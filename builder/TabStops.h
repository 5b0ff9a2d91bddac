#pragma once
#include <cstdint>

namespace tavlin {

// Follows the column within one line of preformatted text, so that a tab advances to the next
// multiple of eight columns. Under UTF-8 the continuation bytes of a character take no column.
class TabStops {
public:
    static constexpr int kTabWidth = 8;

    void NewLine(bool utf8) {
        column_ = 0;
        continuation_ = 0;
        utf8_ = utf8;
    }
    void Count(char c) {
        const auto b = uint8_t(c);
        if (continuation_ > 0 && (b & 0xC0) == 0x80) {
            --continuation_;
            return;
        }
        continuation_ = utf8_ ? SequenceTail(b) : 0;
        column_ = (column_ + 1) % kTabWidth;
    }
    // The spaces a tab stands for here; they are counted.
    int Tab() {
        const int spaces = kTabWidth - column_;
        column_ = 0;
        continuation_ = 0;
        return spaces;
    }

private:
    static int SequenceTail(uint8_t lead) {
        if (lead >= 0xC2 && lead <= 0xDF) {
            return 1;
        }
        if (lead >= 0xE0 && lead <= 0xEF) {
            return 2;
        }
        return lead >= 0xF0 && lead <= 0xF4 ? 3 : 0;
    }

    int column_ = 0; // modulo the tab width: lines may be any length
    int continuation_ = 0;
    bool utf8_ = true;
};

} // namespace tavlin
