#include "app/cli/Headless.h"

#include "platform/qt/QtSystemInfo.h"

#include <QGuiApplication>

namespace tavlin {

int runHeadless(const std::function<int()>& work) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int appArgc = 1;
    char appName[] = "tavlin";
    char* appArgv[] = {appName, nullptr};
    QGuiApplication app(appArgc, appArgv);
    QtSystemInfo system;
    setSystemInfo(&system);
    const int status = work();
    setSystemInfo(nullptr);
    return status;
}

} // namespace tavlin
