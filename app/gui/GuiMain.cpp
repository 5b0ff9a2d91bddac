#include "app/gui/GuiMain.h"

#include "app/Version.h"
#include "app/gui/MainWindow.h"
#include "app/gui/SelFav.h"
#include "platform/qt/QtImageDecoder.h"
#include "platform/qt/QtSystemInfo.h"

#include <QApplication>
#include <QTimer>
#include <cstdlib>

namespace tavlin {

namespace {

// TAVLIN_SCREENSHOT=file.png: the program fills its window as at a first activation, saves a
// picture of it and ends. Used to make the README's screenshots without a window manager. With
// TAVLIN_SCREENSHOT_CONVERT=1 it runs "Convert Now" first, so the picture shows the listing.
void scheduleScreenshot(TFM_Tavlin& window, const QString& file) {
    QTimer::singleShot(700, &window, [&window, file] {
        window.FormActivate();
        if (const char* convert = std::getenv("TAVLIN_SCREENSHOT_CONVERT"); convert && *convert == '1') {
            window.BT_ConvertClick();
        }
        window.grab().save(file);
        QApplication::quit();
    });
}

} // namespace

int runGui(int argc, char** argv, const std::string& sourceFile) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tavlin");
    QApplication::setApplicationDisplayName("Tavlin");
    QApplication::setApplicationVersion(kProgramVersion);
    // Ties the window to its desktop entry (its icon and name in the task bar).
    QGuiApplication::setDesktopFileName("tavlin");
    QtSystemInfo system;
    setSystemInfo(&system);
    QtImageDecoder::install(); // PNG pictures (and others Qt reads) for the viewer
    int status = 0;
    {
        TFM_Tavlin window;
        // The page-margins dialog is made fresh by "Page Setup" each time it runs. The favorites
        // chooser is made now, as the program has always done, though no command opens it.
        TFM_SelFav selFav(&window);
        window.show();
        if (!sourceFile.empty()) {
            // Once the loop runs, so that messages about the file show over the window.
            QTimer::singleShot(0, &window, [&window, sourceFile] {
                window.runCommand(&TFM_Tavlin::FormActivate);
                window.runCommand([&window, sourceFile] { window.OpenSource(sourceFile); });
            });
        }
        if (const char* shot = std::getenv("TAVLIN_SCREENSHOT"); shot && *shot) {
            scheduleScreenshot(window, QString::fromLocal8Bit(shot));
        }
        status = app.exec();
    }
    setSystemInfo(nullptr);
    return status;
}

} // namespace tavlin
