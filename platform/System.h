#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace tavlin {

// What the engine asks of the machine outside files: the screen's resolution and the
// installed font faces. The GUI installs the real answers at start; without it the engine
// answers as the offscreen platform does (96 pixels per inch, the faces set-up installs), so
// that headless runs and tests are deterministic.
class SystemInfo {
public:
    virtual ~SystemInfo() = default;
    virtual int pixelsPerInch() const = 0;
    // True when a face of this name, or one fontconfig maps to it as a metric-compatible
    // alias, is installed. Names compare without regard to case.
    virtual bool isFontInstalled(std::string_view face) const = 0;
};

SystemInfo& systemInfo();
// Installs another answerer (not owned); null restores the default.
void setSystemInfo(SystemInfo* info);

// Milliseconds from a steady clock, for hover timers and animation (a tick count).
uint32_t tickCountMs();

// Points to pixels at the screen's resolution, rounded as MulDiv rounds.
int pointsToPixels(double points);

} // namespace tavlin
