#include "images/Display.h"

namespace tavlin {

namespace {

DisplayDepth currentDepth = DisplayDepth::TrueColor;

constexpr uint32_t px(uint32_t r, uint32_t g, uint32_t b) {
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

constexpr std::array<uint32_t, 20> kSystemColours = {
    px(0, 0, 0),       px(128, 0, 0),     px(0, 128, 0),     px(128, 128, 0),   px(0, 0, 128),
    px(128, 0, 128),   px(0, 128, 128),   px(192, 192, 192), px(192, 220, 192), px(166, 202, 240),
    px(255, 251, 240), px(160, 160, 164), px(128, 128, 128), px(255, 0, 0),     px(0, 255, 0),
    px(255, 255, 0),   px(0, 0, 255),     px(255, 0, 255),   px(0, 255, 255),   px(255, 255, 255)};

Palette makeDisplayPalette() {
    static constexpr uint32_t kLevels[6] = {55, 115, 165, 205, 235, 255};
    Palette p(kSystemColours.begin(), kSystemColours.begin() + 10);
    for (uint32_t b : kLevels) {
        for (uint32_t g : kLevels) {
            for (uint32_t r : kLevels) {
                if (r != 255 || g != 255 || b != 255) {
                    p.push_back(px(r, g, b));
                }
            }
        }
    }
    for (uint32_t i = 1; i <= 24; ++i) {
        if (i != 7 && i != 15 && i != 21) { // these greys are already in the cube
            const uint32_t v = 5 * i + 130;
            p.push_back(px(v, v, v));
        }
    }
    p.insert(p.end(), kSystemColours.begin() + 10, kSystemColours.end());
    return p;
}

} // namespace

DisplayDepth displayDepth() {
    return currentDepth;
}

void setDisplayDepth(DisplayDepth depth) {
    currentDepth = depth;
}

int screenColorClass() {
    switch (currentDepth) {
    case DisplayDepth::Colors16:
        return 4;
    case DisplayDepth::Colors256:
        return 8;
    case DisplayDepth::TrueColor:
        break;
    }
    return 24;
}

const std::array<uint32_t, 20>& systemPalette20() {
    return kSystemColours;
}

const Palette& defaultPalette() {
    static const Palette p(kSystemColours.begin(), kSystemColours.end());
    return p;
}

const Palette& displayPalette() {
    static const Palette p = makeDisplayPalette();
    return p;
}

const Palette& screenPalette() {
    static const Palette none;
    switch (screenColorClass()) {
    case 4:
        return defaultPalette();
    case 8:
        return displayPalette();
    default:
        return none;
    }
}

} // namespace tavlin
