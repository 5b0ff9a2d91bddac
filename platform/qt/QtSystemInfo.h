#pragma once
#include "platform/System.h"

namespace tavlin {

// The machine's answers through Qt: the primary screen's logical resolution and the font
// database. Needs a QGuiApplication; install it with setSystemInfo.
class QtSystemInfo final : public SystemInfo {
public:
    int pixelsPerInch() const override;
    bool isFontInstalled(std::string_view face) const override;
};

} // namespace tavlin
