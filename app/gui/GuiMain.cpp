#include "app/gui/GuiMain.h"

#include "platform/qt/QtSystemInfo.h"

#include <QApplication>
#include <QMainWindow>

namespace tavlin {

// The main window arrives with its own change; until then the program opens an empty window.
int runGui(int argc, char** argv) {
    QApplication app(argc, argv);
    QtSystemInfo system;
    setSystemInfo(&system);
    QMainWindow window;
    window.setWindowTitle("Tavlin");
    window.show();
    const int status = app.exec();
    setSystemInfo(nullptr);
    return status;
}

} // namespace tavlin
