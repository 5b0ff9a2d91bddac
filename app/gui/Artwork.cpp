#include "app/gui/Artwork.h"

#include <QDir>

// The resources are compiled into this library; a static library must register them itself.
static void initGuiResources() {
    Q_INIT_RESOURCE(tavlin_gui);
}

namespace tavlin {

namespace {

void ensureResources() {
    static const bool done = (initGuiResources(), true);
    (void)done;
}

} // namespace

QPixmap tavlinLogo() {
    ensureResources();
    return QPixmap(":/tavlin/logo.png");
}

QIcon tavlinIcon() {
    ensureResources();
    QIcon icon;
    for (const char* size : {"16", "32", "48", "64", "128"}) {
        icon.addFile(QString(":/tavlin/icon-%1.png").arg(size));
    }
    return icon;
}

QFont designFont(int pointSize) {
    static const bool substituted = (QFont::insertSubstitution("MS Sans Serif", "Liberation Sans"), true);
    (void)substituted;
    return QFont("MS Sans Serif", pointSize);
}

} // namespace tavlin
