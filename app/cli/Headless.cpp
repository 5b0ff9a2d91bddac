#include "app/cli/Headless.h"

#include "app/cli/LeaveForExit.h"
#include "platform/qt/QtImageDecoder.h"
#include "platform/qt/QtSystemInfo.h"
#include "viewer/HeadlessView.h"

#include <QGuiApplication>
#include <cstdlib>
#include <memory>

namespace tavlin {

std::optional<int> parsePixels(const char* text) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > kMaxPixels) {
        return std::nullopt;
    }
    return int(value);
}

int runHeadless(const std::function<int()>& work) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    char appName[] = "tavlin";
    char* appArgv[] = {appName, nullptr};
    QGuiApplication app(appArgc, appArgv);
    QtSystemInfo system;
    setSystemInfo(&system);
    QtImageDecoder::install();
    const int status = work();
    setSystemInfo(nullptr);
    return status;
}

int runOnHeadlessView(const std::function<int(THeadlessView&)>& work, const TViewerSettings& settings) {
    return runHeadless([&work, &settings] {
        auto view = std::make_unique<THeadlessView>(settings);
        const int status = work(*view);
        LeaveForExit(std::move(view));
        return status;
    });
}

} // namespace tavlin
