#pragma once
#include <array>
#include <cstdint>
#include <vector>

namespace tavlin {

// A palette: up to 256 colours as 0xFFRRGGBB pixel values.
using Palette = std::vector<uint32_t>;

// The colour depth of the screen pictures are prepared for. Real screens here are always true
// colour; the other two emulate the old palette screens, so that pictures are reduced and
// dithered exactly as they would be there. The viewer offers this as a setting.
enum class DisplayDepth { TrueColor, Colors256, Colors16 };

DisplayDepth displayDepth();
void setDisplayDepth(DisplayDepth depth);

// The screen's colour class: 4, 8 or 24 bits.
int screenColorClass();

// The system's 20 static colours (the first ten and the last ten of a palette screen).
const std::array<uint32_t, 20>& systemPalette20();
// systemPalette20 as a palette, the one 4-bit screens reduce to.
const Palette& defaultPalette();
// The 256-entry display palette of an 8-bit screen: the static colours at 0-9 and 246-255, a
// 6x6x6 colour cube without its white corner from entry 10, then 21 greys.
const Palette& displayPalette();

// The palette pictures are reduced to on the current screen; empty on a true-colour screen.
const Palette& screenPalette();

} // namespace tavlin
