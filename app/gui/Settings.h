#pragma once
#include <string>

namespace tavlin {

// The settings file TAVREG.INI, section "APPINFO". Its place: the file TAVLIN_INI names when set;
// else beside the program when keepsSettingsBeside; else $XDG_CONFIG_HOME/tavlin/ (by default
// ~/.config/tavlin/).
std::string settingsFilePath();
// A writable folder outside the system's (/usr/..., /bin, /sbin).
bool keepsSettingsBeside(const std::string& programFolder);

// Local stand-ins for the Windows defaults.
std::string defaultBookmarkFile();  // ~/bookmarks.html
std::string defaultFavoritesFolder(); // ~/Favorites
std::string defaultOutputFile();    // tavl.htm in the temporary directory

struct TavlinSettings {
    std::string defaultBookmark;
    std::string defaultOutput;
    bool lenientReading = false; // "Lenient_Reading": read bookmark files leniently
};

// Reads both keys; a missing file or key gives the default. Nothing is written.
TavlinSettings readSettings();
// Writes "Default_Bookmark", keeping every other line of the file and creating its folder when
// needed. False when the file cannot be written.
bool writeDefaultBookmark(const std::string& path);
// Writes "Lenient_Reading" (1 or 0) the same way.
bool writeLenientReading(bool on);

} // namespace tavlin
