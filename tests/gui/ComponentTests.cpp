#include "GuiTestSupport.h"

#include "app/gui/BrowseForFolder.h"
#include "app/gui/Settings.h"
#include "platform/Files.h"
#include "viewer/Viewer.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

std::string dialogDirectory(const QFileDialog& dialog) {
    return QFile::encodeName(dialog.directory().absolutePath()).toStdString();
}

TEST(BrowseForFolderTest, OpensAtTheFolderAndReportsThePick) {
    Sandbox sandbox;
    ModalScript script;
    const std::string favorites = sandbox.path("Fav");
    const std::string other = sandbox.path("Other");
    makeDirectory(favorites);
    makeDirectory(other);

    TBrowseForFolder browser(nullptr);
    browser.FolderName = favorites;
    script.responders.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        EXPECT_EQ(dialogDirectory(files), sandbox.root()) << "opens beside the folder, the folder selected";
        EXPECT_EQ(files.labelText(QFileDialog::FileName), "Plase select folder");
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(browser.Execute());
    EXPECT_EQ(browser.FolderName, favorites);
    EXPECT_EQ(browser.DisplayName(), "");

    script.chooseFile(other);
    EXPECT_TRUE(browser.Execute());
    EXPECT_EQ(browser.FolderName, other);
    EXPECT_EQ(browser.DisplayName(), "Other");
}

TEST(BrowseForFolderTest, EmptyFolderNameStartsAtTheRootWithNothingSelected) {
    Sandbox sandbox;
    ModalScript script;
    makeDirectory(joinPath(sandbox.home(), "Favorites"));
    TBrowseForFolder browser(nullptr);
    browser.FolderName.clear();
    browser.Root = TBrowseLocation::bl_FAVORITES;
    script.responders.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        EXPECT_EQ(dialogDirectory(files), joinPath(sandbox.home(), "Favorites"));
        return int(QDialog::Rejected);
    });
    EXPECT_FALSE(browser.Execute());
    EXPECT_EQ(script.dialogs.size(), 1u);
}

TEST(BrowseForFolderTest, RootsMapToPlacesThatExist) {
    Sandbox sandbox;
    EXPECT_EQ(browseLocationPath(TBrowseLocation::bl_STANDART), "");
    EXPECT_EQ(browseLocationPath(TBrowseLocation::bl_CUSTOM, "/srv/x"), "/srv/x");
    EXPECT_EQ(browseLocationPath(TBrowseLocation::bl_DRIVES), "/");
    // Places missing on this machine fall back to the home folder.
    EXPECT_EQ(browseLocationPath(TBrowseLocation::bl_FAVORITES), sandbox.home());
    makeDirectory(joinPath(sandbox.home(), "Favorites"));
    EXPECT_EQ(browseLocationPath(TBrowseLocation::bl_FAVORITES), joinPath(sandbox.home(), "Favorites"));
    for (int root = int(TBrowseLocation::bl_DESKTOP); root <= int(TBrowseLocation::bl_PRINTHOOD); ++root) {
        EXPECT_TRUE(directoryExists(browseLocationPath(TBrowseLocation(root)))) << root;
    }
}

TEST(SettingsTest, PlaceOfTheSettingsFile) {
    {
        Sandbox sandbox;
        EXPECT_EQ(settingsFilePath(), sandbox.iniPath());
    }
    // Without TAVLIN_INI: beside the program, whose folder is writable here.
    const std::string beside = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
    EXPECT_EQ(settingsFilePath(), joinPath(beside, "TAVREG.INI"));
    // Installed, even run by root, the program keeps its settings with the user's.
    EXPECT_FALSE(keepsSettingsBeside("/usr/bin"));
    EXPECT_FALSE(keepsSettingsBeside("/usr/local/bin"));
    EXPECT_FALSE(keepsSettingsBeside("/no/such/folder"));
}

TEST(SettingsTest, WritingCreatesTheFolderAndKeepsOtherKeys) {
    Sandbox sandbox;
    const std::string ini = sandbox.path("config/tavlin/TAVREG.INI");
    ::setenv("TAVLIN_INI", ini.c_str(), 1);
    EXPECT_EQ(readSettings().defaultBookmark, joinPath(sandbox.home(), "bookmarks.html"));
    ASSERT_TRUE(writeDefaultBookmark("/a/b.htm"));
    EXPECT_EQ(readSettings().defaultBookmark, "/a/b.htm");
    EXPECT_EQ(readSettings().defaultOutput, joinPath(sandbox.temp(), "tavl.htm"));
}

TEST(ViewerPlaceholderTest, LoadingRecordsTheFileOrFailsWithItsName) {
    Sandbox sandbox;
    const std::string file = sandbox.path("page.htm");
    writeFile(file, "<p>x");
    TViewer viewer;
    viewer.LoadFile(file + "#anchor");
    EXPECT_EQ(viewer.CurrentFileName(), file);

    const std::string missing = sandbox.path("missing.htm");
    try {
        viewer.LoadFile(missing);
        ADD_FAILURE() << "no error";
    } catch (const EInOutError& error) {
        EXPECT_STREQ(error.what(), ("Can't locate file: " + missing).c_str());
    }
    EXPECT_EQ(viewer.CurrentFileName(), file) << "the shown document stays";

    viewer.ClearDocument();
    EXPECT_EQ(viewer.CurrentFileName(), file);
    viewer.LoadLines({"<p>help"});
    EXPECT_EQ(viewer.CurrentFileName(), "");
}

TEST(ViewerPlaceholderTest, PropertiesKeepTheirRanges) {
    TViewer viewer;
    EXPECT_EQ(viewer.DefFontSize(), 12);
    viewer.SetDefFontSize(3);
    EXPECT_EQ(viewer.DefFontSize(), 6);
    viewer.SetHistoryMaxCount(-4);
    EXPECT_EQ(viewer.HistoryMaxCount(), 0);
    viewer.SetVisitedMaxCount(-1);
    EXPECT_EQ(viewer.VisitedMaxCount(), 0);
    viewer.SetImageCacheCount(99);
    EXPECT_EQ(viewer.ImageCacheCount(), 20);
    viewer.SetServerRoot("/srv/www/");
    EXPECT_EQ(viewer.ServerRoot(), "/srv/www");
    viewer.SetSelectionStart(4);
    viewer.SetSelectionLength(-3);
    EXPECT_EQ(viewer.SelectionLength(), -3) << "the caret at the end reads negative";
}

} // namespace
} // namespace tavlin::test
