#include "app/convert/BrowserStores.h"
#include "platform/Files.h"
#include "platform/IniFile.h"

#include <cstdlib>
#include <string_view>

namespace tavlin {

namespace {

enum class Base { Config, Home };

// Where one install keeps its profiles, relative to the settings folder or to the home folder.
struct StoreFolder {
    std::string_view browser;
    Base base;
    std::string_view folder;
};

// The Chromium family: each folder holds profile folders ("Default", "Profile 1", ...) with a
// "Bookmarks" file; Opera keeps its one profile in the folder itself.
constexpr StoreFolder kChromiumFolders[] = {
    {"Google Chrome", Base::Config, "google-chrome"},
    {"Google Chrome Beta", Base::Config, "google-chrome-beta"},
    {"Google Chrome Dev", Base::Config, "google-chrome-unstable"},
    {"Google Chrome (Flatpak)", Base::Home, ".var/app/com.google.Chrome/config/google-chrome"},
    {"Chromium", Base::Config, "chromium"},
    {"Chromium (Snap)", Base::Home, "snap/chromium/common/chromium"},
    {"Chromium (Flatpak)", Base::Home, ".var/app/org.chromium.Chromium/config/chromium"},
    {"Brave", Base::Config, "BraveSoftware/Brave-Browser"},
    {"Brave (Snap)", Base::Home, "snap/brave/current/.config/BraveSoftware/Brave-Browser"},
    {"Brave (Flatpak)", Base::Home, ".var/app/com.brave.Browser/config/BraveSoftware/Brave-Browser"},
    {"Microsoft Edge", Base::Config, "microsoft-edge"},
    {"Microsoft Edge Beta", Base::Config, "microsoft-edge-beta"},
    {"Microsoft Edge Dev", Base::Config, "microsoft-edge-dev"},
    {"Microsoft Edge (Flatpak)", Base::Home, ".var/app/com.microsoft.Edge/config/microsoft-edge"},
    {"Vivaldi", Base::Config, "vivaldi"},
    {"Vivaldi Snapshot", Base::Config, "vivaldi-snapshot"},
    {"Vivaldi (Snap)", Base::Home, "snap/vivaldi/current/.config/vivaldi"},
    {"Vivaldi (Flatpak)", Base::Home, ".var/app/com.vivaldi.Vivaldi/config/vivaldi"},
    {"Opera", Base::Config, "opera"},
    {"Opera Beta", Base::Config, "opera-beta"},
    {"Opera Developer", Base::Config, "opera-developer"},
    {"Opera (Snap)", Base::Home, "snap/opera/current/.config/opera"},
    {"Opera (Flatpak)", Base::Home, ".var/app/com.opera.Opera/config/opera"},
};

// Firefox: each folder holds profiles.ini naming the profiles.
constexpr StoreFolder kFirefoxFolders[] = {
    {"Firefox", Base::Home, ".mozilla/firefox"},
    {"Firefox (Snap)", Base::Home, "snap/firefox/common/.mozilla/firefox"},
    {"Firefox (Flatpak)", Base::Home, ".var/app/org.mozilla.firefox/.mozilla/firefox"},
};

std::string folderOf(const StoreFolder& store, const std::string& home, const std::string& configHome) {
    return joinPath(store.base == Base::Config ? configHome : home, std::string(store.folder));
}

void addChromiumProfiles(std::string_view browser, const std::string& folder,
                         std::vector<BrowserStore>& found) {
    const std::string own = joinPath(folder, "Bookmarks");
    if (fileExists(own)) {
        found.push_back({std::string(browser), "Default", own});
    }
    for (const DirEntry& entry : listDirectory(folder).value_or(std::vector<DirEntry>())) {
        const std::string bookmarks = joinPath(joinPath(folder, entry.name), "Bookmarks");
        if (entry.isDirectory && fileExists(bookmarks)) {
            found.push_back({std::string(browser), entry.name, bookmarks});
        }
    }
}

// The names of the [Profile...] sections of profiles.ini, in file order.
std::vector<std::string> profileSections(std::string_view ini) {
    std::vector<std::string> sections;
    size_t start = 0;
    while (start < ini.size()) {
        size_t end = ini.find('\n', start);
        end = end == std::string_view::npos ? ini.size() : end;
        std::string_view line = ini.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) {
            line.remove_suffix(1);
        }
        if (line.size() > 9 && line.front() == '[' && line.back() == ']' && line.substr(1, 7) == "Profile") {
            sections.emplace_back(line.substr(1, line.size() - 2));
        }
    }
    return sections;
}

void addFirefoxProfiles(std::string_view browser, const std::string& folder,
                        std::vector<BrowserStore>& found) {
    const std::string ini = readWholeFile(joinPath(folder, "profiles.ini")).value_or("");
    for (const std::string& section : profileSections(ini)) {
        const std::string path = IniFile::readFrom(ini, section, "Path", "");
        if (path.empty()) {
            continue;
        }
        const bool relative = IniFile::readFrom(ini, section, "IsRelative", "1") != "0";
        const std::string places = joinPath(relative ? joinPath(folder, path) : path, "places.sqlite");
        if (fileExists(places)) {
            found.push_back({std::string(browser), IniFile::readFrom(ini, section, "Name", path), places});
        }
    }
}

} // namespace

std::vector<BrowserStore> findBrowserStores(const std::string& home, const std::string& configHome) {
    std::vector<BrowserStore> found;
    for (const StoreFolder& store : kChromiumFolders) {
        addChromiumProfiles(store.browser, folderOf(store, home, configHome), found);
    }
    for (const StoreFolder& store : kFirefoxFolders) {
        addFirefoxProfiles(store.browser, folderOf(store, home, configHome), found);
    }
    return found;
}

std::vector<BrowserStore> findBrowserStores() {
    const std::string home = homeDirectory();
    const char* config = std::getenv("XDG_CONFIG_HOME");
    return findBrowserStores(home,
                             config && *config == '/' ? std::string(config) : joinPath(home, ".config"));
}

} // namespace tavlin
