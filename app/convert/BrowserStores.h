#pragma once
#include <string>
#include <vector>

namespace tavlin {

// A browser's own bookmark store found on this machine.
struct BrowserStore {
    std::string browser; // "Chromium", "Firefox (Snap)", ...
    std::string profile; // the profile's folder name, or Firefox's profile name
    std::string path;    // the Chromium "Bookmarks" file or Firefox's places.sqlite
    bool operator==(const BrowserStore&) const = default;
};

// The stores in the usual places of native, Snap and Flatpak installs under a home folder;
// configHome is where native installs keep their settings (normally home/.config). Browsers in
// a fixed order, profiles in name order.
std::vector<BrowserStore> findBrowserStores(const std::string& home, const std::string& configHome);
// The same for the user running the program ($HOME, $XDG_CONFIG_HOME).
std::vector<BrowserStore> findBrowserStores();

} // namespace tavlin
