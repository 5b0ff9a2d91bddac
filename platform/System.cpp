#include "platform/System.h"

#include <array>
#include <chrono>
#include <cmath>
#include <strings.h>

namespace tavlin {

namespace {

class DefaultSystemInfo final : public SystemInfo {
public:
    int pixelsPerInch() const override { return 96; }
    bool isFontInstalled(std::string_view face) const override {
        static constexpr std::array<std::string_view, 9> kFaces = {
            "Times New Roman", "Arial", "Courier New", "Liberation Serif", "Liberation Sans",
            "Liberation Mono", "serif", "sans-serif", "monospace"};
        for (std::string_view known : kFaces) {
            if (known.size() == face.size() && strncasecmp(known.data(), face.data(), face.size()) == 0) {
                return true;
            }
        }
        return false;
    }
};

DefaultSystemInfo defaultInfo;
SystemInfo* current = &defaultInfo;

} // namespace

SystemInfo& systemInfo() { return *current; }

void setSystemInfo(SystemInfo* info) { current = info ? info : &defaultInfo; }

uint32_t tickCountMs() {
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

int pointsToPixels(double points) {
    return int(std::lround(points * systemInfo().pixelsPerInch() / 72.0));
}

} // namespace tavlin
