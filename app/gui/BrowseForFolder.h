#pragma once
#include <QFlags>
#include <string>

class QWidget;

namespace tavlin {

// Options of the folder browser. Here the browser is Qt's folder chooser, which always shows an
// edit box and offers only folders of the file system: the flags are kept for the owner, and
// bf_statustext decides nothing (the status text shows whenever it is set).
enum TBrowseFlag : unsigned {
    bf_BrowseForComputer = 1u << 0,
    bf_BrowseForPrinter = 1u << 1,
    bf_DontGoBelowDomain = 1u << 2,
    bf_statustext = 1u << 3,
    bf_ReturnFSanceStors = 1u << 4,
    bf_ReturnOnlyFSDIRS = 1u << 5,
    bf_EditBox = 1u << 6,
};
Q_DECLARE_FLAGS(TBrowseFlags, TBrowseFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TBrowseFlags)

// Where the browser's tree starts. Each special folder maps to the user's standard place here.
enum class TBrowseLocation {
    bl_STANDART,
    bl_CUSTOM,
    bl_DESKTOP,
    bl_PROGRAMS,
    bl_CONTROLS,
    bl_PRINTERS,
    bl_PERSONAL,
    bl_FAVORITES,
    bl_STARTUP,
    bl_RECENT,
    bl_SENDTO,
    bl_BITBUCKET,
    bl_STARTMENU,
    bl_DESKTOPDIRECTORY,
    bl_DRIVES,
    bl_NETWORK,
    bl_NETHOOD,
    bl_FONTS,
    bl_TEMPLATES,
    bl_COMMON_STARTMENU,
    bl_COMMON_PROGRAMS,
    bl_COMMON_STARTUP,
    bl_COMMON_DESKTOPDIRECTORY,
    bl_APPDATA,
    bl_PRINTHOOD,
};

// The folder of a root; empty for bl_STANDART (no root) and for bl_CUSTOM without CustomRoot.
// A standard place that does not exist on this machine falls back to the home folder.
std::string browseLocationPath(TBrowseLocation root, const std::string& customRoot = {});

// The folder chooser component.
class TBrowseForFolder {
public:
    explicit TBrowseForFolder(QWidget* owner) : owner_(owner) {}

    std::string Caption = "Select Folder";
    std::string StatusText = "Plase select folder";
    std::string FolderName = "/";
    TBrowseFlags Flags;
    TBrowseLocation Root = TBrowseLocation::bl_STANDART;
    std::string CustomRoot; // the owner's root for bl_CUSTOM
    const std::string& DisplayName() const { return displayName_; }

    // Shows the browser modally over the owner. True when the user picked a folder: FolderName
    // and DisplayName then name it. False on Cancel; both stay as they were.
    bool Execute();

private:
    QWidget* owner_;
    std::string displayName_;
};

} // namespace tavlin
