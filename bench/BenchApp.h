#pragma once
// The offscreen Qt application, with the engine's system information installed, that the
// benchmarks which lay out or show pages start with.
#include "platform/System.h"
#include "platform/qt/QtSystemInfo.h"

#include <QApplication>
#include <string>

namespace bench {

class OffscreenApp {
public:
    explicit OffscreenApp(const char* name)
        : name_(offscreen(name)), argv_{name_.data(), nullptr}, app_(argc_, argv_) {
        tavlin::setSystemInfo(&system_);
    }
    ~OffscreenApp() { tavlin::setSystemInfo(nullptr); }
    OffscreenApp(const OffscreenApp&) = delete;
    OffscreenApp& operator=(const OffscreenApp&) = delete;

private:
    // The platform must be chosen before the application exists.
    static std::string offscreen(const char* name) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return name;
    }

    std::string name_;
    int argc_ = 1;
    char* argv_[2];
    QApplication app_;
    tavlin::QtSystemInfo system_;
};

} // namespace bench
