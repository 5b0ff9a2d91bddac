#include "app/gui/BrowseForFolder.h"

#include "app/gui/Dialogs.h"
#include "app/gui/Settings.h"
#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace tavlin {

namespace {

std::string standardPlace(QStandardPaths::StandardLocation location) {
    return QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString();
}

std::string inHome(const char* relative) {
    return joinPath(homeDirectory(), relative);
}

std::string placeOf(TBrowseLocation root) {
    using L = TBrowseLocation;
    switch (root) {
    case L::bl_STANDART:
    case L::bl_CUSTOM:
        return {};
    case L::bl_DESKTOP:
    case L::bl_DESKTOPDIRECTORY:
    case L::bl_COMMON_DESKTOPDIRECTORY:
        return standardPlace(QStandardPaths::DesktopLocation);
    case L::bl_PROGRAMS:
    case L::bl_STARTMENU:
    case L::bl_COMMON_STARTMENU:
    case L::bl_COMMON_PROGRAMS:
        return standardPlace(QStandardPaths::ApplicationsLocation);
    case L::bl_CONTROLS:
    case L::bl_APPDATA:
        return standardPlace(QStandardPaths::GenericConfigLocation);
    case L::bl_PERSONAL:
        return standardPlace(QStandardPaths::DocumentsLocation);
    case L::bl_FAVORITES:
        return defaultFavoritesFolder();
    case L::bl_STARTUP:
    case L::bl_COMMON_STARTUP:
        return joinPath(standardPlace(QStandardPaths::GenericConfigLocation), "autostart");
    case L::bl_RECENT:
        return joinPath(standardPlace(QStandardPaths::GenericDataLocation), "recently-used");
    case L::bl_BITBUCKET:
        return joinPath(standardPlace(QStandardPaths::GenericDataLocation), "Trash/files");
    case L::bl_FONTS:
        return standardPlace(QStandardPaths::FontsLocation);
    case L::bl_TEMPLATES:
        return inHome("Templates");
    case L::bl_DRIVES:
        return "/";
    case L::bl_NETWORK:
    case L::bl_NETHOOD:
        return "/mnt";
    case L::bl_SENDTO:
    case L::bl_PRINTERS:
    case L::bl_PRINTHOOD:
        break; // no such places here: the home folder stands in
    }
    return homeDirectory();
}

QString decoded(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

} // namespace

std::string browseLocationPath(TBrowseLocation root, const std::string& customRoot) {
    if (root == TBrowseLocation::bl_CUSTOM) {
        return customRoot;
    }
    const std::string place = placeOf(root);
    if (place.empty() || directoryExists(place)) {
        return place;
    }
    return homeDirectory();
}

bool TBrowseForFolder::Execute() {
    QFileDialog dialog(owner_, decoded(Caption));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    if (!StatusText.empty()) {
        dialog.setLabelText(QFileDialog::FileName, decoded(StatusText));
    }
    const std::string root = browseLocationPath(Root, CustomRoot);
    if (!root.empty()) {
        dialog.setSidebarUrls({QUrl::fromLocalFile(decoded(root))});
        dialog.setDirectory(decoded(root));
    }
    if (!FolderName.empty()) {
        // Open in the folder's parent with the folder itself selected.
        const QFileInfo folder(decoded(FolderName));
        dialog.setDirectory(folder.absolutePath());
        dialog.selectFile(folder.fileName());
    }
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return false;
    }
    const QString chosen = QDir::cleanPath(dialog.selectedFiles().constFirst());
    FolderName = QFile::encodeName(chosen).toStdString();
    const QString name = QFileInfo(chosen).fileName();
    displayName_ = (name.isEmpty() ? chosen : name).toStdString();
    return true;
}

} // namespace tavlin
