#pragma once
#include "viewer/ViewerSettings.h"

#include <functional>
#include <optional>

namespace tavlin {

class THeadlessView;

// Widths and heights the commands accept: beyond any screen or page.
constexpr int kMaxPixels = 100000;

// A number of pixels from 1 to kMaxPixels; nothing when the text is anything else.
std::optional<int> parsePixels(const char* text);

// Runs `work` in a windowless application (fonts and pictures through Qt, the engine's system
// information installed) whatever the environment says: no display is needed or used.
int runHeadless(const std::function<int()>& work);

// runHeadless with a fresh view (the window's viewer settings unless others are given), left for
// the end of the process.
int runOnHeadlessView(const std::function<int(THeadlessView&)>& work,
                      const TViewerSettings& settings = TViewerSettings::Listing());

} // namespace tavlin
