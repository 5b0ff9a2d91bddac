#include "app/gui/Settings.h"

#include "platform/Files.h"
#include "platform/IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>
#include <unistd.h>

namespace tavlin {

namespace {

constexpr const char* kSection = "APPINFO";
constexpr const char* kFileName = "TAVREG.INI";

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value && *value ? value : std::string();
}

std::string programDirectory() {
    if (!QCoreApplication::instance()) {
        return {};
    }
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

std::string configDirectory() {
    std::string base = environment("XDG_CONFIG_HOME");
    if (base.empty()) {
        base = joinPath(homeDirectory(), ".config");
    }
    return joinPath(base, "tavlin");
}

// Writes one key, keeping every other line of the file and creating its folder when needed.
bool writeSetting(const std::string& key, const std::string& value) {
    IniFile ini(settingsFilePath());
    const QString folder = QFileInfo(QFile::decodeName(ini.path().c_str())).absolutePath();
    QDir().mkpath(folder);
    return ini.writeString(kSection, key, value);
}

} // namespace

std::string settingsFilePath() {
    if (std::string named = environment("TAVLIN_INI"); !named.empty()) {
        return named;
    }
    const std::string beside = programDirectory();
    if (keepsSettingsBeside(beside)) {
        return joinPath(beside, kFileName);
    }
    return joinPath(configDirectory(), kFileName);
}

bool keepsSettingsBeside(const std::string& programFolder) {
    // An installed program's folder belongs to the package manager, even where root may write.
    const bool systemFolder =
        programFolder == "/bin" || programFolder == "/sbin" || programFolder.starts_with("/usr/");
    return !programFolder.empty() && !systemFolder && ::access(programFolder.c_str(), W_OK) == 0;
}

std::string defaultBookmarkFile() {
    return joinPath(homeDirectory(), "bookmarks.html");
}

std::string defaultFavoritesFolder() {
    return joinPath(homeDirectory(), "Favorites");
}

std::string defaultOutputFile() {
    return joinPath(tempDirectory(), "tavl.htm");
}

TavlinSettings readSettings() {
    const IniFile ini(settingsFilePath());
    // The key is read as "Default_BookMark" and written as "Default_Bookmark": one key, since
    // profile keys match without regard to case.
    return {ini.readString(kSection, "Default_BookMark", defaultBookmarkFile()),
            ini.readString(kSection, "Default_Output", defaultOutputFile()),
            ini.readInteger(kSection, "Lenient_Reading", 0) != 0};
}

bool writeDefaultBookmark(const std::string& path) {
    return writeSetting("Default_Bookmark", path);
}

bool writeLenientReading(bool on) {
    return writeSetting("Lenient_Reading", on ? "1" : "0");
}

} // namespace tavlin
