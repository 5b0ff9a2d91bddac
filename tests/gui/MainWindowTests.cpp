#include "WindowTestFixture.h"

#include "app/gui/FindDialog.h"
#include "app/gui/FontDialog.h"
#include "app/gui/MainWindow.h"
#include "app/gui/Splash.h"
#include "platform/Files.h"
#include "viewer/Viewer.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <utime.h>

namespace tavlin::test {
namespace {

constexpr const char* kBookmarkNotFound =
    "Bookmark file can not be found - please select your bookmark file again.";
constexpr const char* kOutputIsSource =
    "The output file is the bookmark file itself - please choose another output file.";

std::string text(const QLineEdit* edit) {
    return QFile::encodeName(edit->text()).toStdString();
}

void setText(QLineEdit* edit, const std::string& path) {
    edit->setText(QFile::decodeName(path.c_str()));
}

time_t modificationTime(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
}

using MainWindowTest = WindowTest;

TEST_F(MainWindowTest, FirstStartWithoutSettingsProposesDefaultsInNetscapeMode) {
    window = std::make_unique<TFM_Tavlin>();
    EXPECT_EQ(window->windowTitle(), "Tavlin");
    EXPECT_EQ(window->CB_Sort->currentText(), "No Sorting");
    EXPECT_EQ(window->ED_Title->text(), "Tavlin Listing");
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get())); // the first activation fills the fields

    EXPECT_EQ(text(window->ED_HTMLFile), joinPath(sandbox.home(), "bookmarks.html"));
    EXPECT_EQ(text(window->ED_TempFile), joinPath(sandbox.temp(), "tavl.htm"));
    EXPECT_TRUE(window->RD_NS->isChecked());
    EXPECT_FALSE(window->FavoritesMode());
    EXPECT_EQ(window->Viewer->CurrentFileName(), "");
    EXPECT_DOUBLE_EQ(window->Viewer->PrintMarginTop, 2.0);
    EXPECT_FALSE(fileExists(sandbox.iniPath())) << "nothing is written at start";
    EXPECT_TRUE(script.messages.empty());

    // A later activation reads nothing again.
    window->ED_HTMLFile->setText("edited");
    window->FormActivate();
    EXPECT_EQ(window->ED_HTMLFile->text(), "edited");
}

TEST_F(MainWindowTest, FirstStartShowsTheBookmarkFileWhenItExists) {
    const std::string source = bookmarkFile();
    start();
    EXPECT_EQ(window->Viewer->CurrentFileName(), source);
}

TEST_F(MainWindowTest, StoredSourceWithoutHtmSelectsFavoritesMode) {
    // Keys and section match without regard to case.
    writeFile(sandbox.iniPath(), "[appinfo]\r\ndefault_bookmark=/data/MyFavs\r\nDEFAULT_OUTPUT=/x/out.htm\r\n");
    start();
    EXPECT_TRUE(window->RD_MSIE->isChecked());
    EXPECT_EQ(text(window->ED_HTMLFile), joinPath(sandbox.home(), "Favorites"));
    EXPECT_EQ(window->StoredBookmark(), "/data/MyFavs");
    EXPECT_EQ(text(window->ED_TempFile), "/x/out.htm");

    // "Browse" beside the source now runs the folder browser, starting at the Favorites folder.
    script.responders.push_back([&](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        EXPECT_EQ(files.fileMode(), QFileDialog::Directory);
        EXPECT_EQ(files.windowTitle(), "Select Folder");
        EXPECT_EQ(QFile::encodeName(files.directory().absolutePath()).toStdString(), sandbox.home());
        return int(QDialog::Rejected);
    });
    window->BT_SetApp->click();
    EXPECT_EQ(script.dialogs.size(), 1u);
    EXPECT_EQ(text(window->ED_HTMLFile), joinPath(sandbox.home(), "Favorites")) << "cancel changes nothing";
    EXPECT_FALSE(window->SourcePicked());
}

TEST_F(MainWindowTest, SwitchingModesBringsBackTheStoredBookmark) {
    const std::string source = bookmarkFile();
    start();
    const std::string folder = sandbox.path("MyFavorites");
    makeDirectory(folder);

    window->RD_MSIE->click();
    EXPECT_EQ(text(window->ED_HTMLFile), joinPath(sandbox.home(), "Favorites"));
    script.chooseFile(folder);
    window->BT_SetApp->click();
    EXPECT_EQ(text(window->ED_HTMLFile), folder);
    EXPECT_TRUE(window->SourcePicked());

    window->RD_NS->click();
    EXPECT_EQ(text(window->ED_HTMLFile), source);
    // Back in Netscape mode "Browse" opens the file chooser again.
    script.responders.push_back([](QDialog& dialog) {
        EXPECT_EQ(dialog.objectName(), "OpenDialog");
        EXPECT_EQ(dynamic_cast<QFileDialog&>(dialog).acceptMode(), QFileDialog::AcceptOpen);
        return int(QDialog::Rejected);
    });
    window->BT_SetApp->click();
    EXPECT_EQ(script.dialogs.size(), 2u);
    EXPECT_EQ(text(window->ED_HTMLFile), source);
}

TEST_F(MainWindowTest, BrowsingForASourceShowsItAndRemembersIt) {
    start();
    const std::string other = sandbox.path("other.htm");
    writeFile(other, sampleBookmarks());
    window->LB_Progress->setText("old");
    script.chooseFile(other);
    window->BT_SetApp->click();
    EXPECT_EQ(text(window->ED_HTMLFile), other);
    EXPECT_EQ(window->Viewer->CurrentFileName(), other);
    EXPECT_EQ(window->StoredBookmark(), other);
    EXPECT_TRUE(window->SourcePicked());
    EXPECT_TRUE(window->LB_Progress->text().isEmpty());
}

TEST_F(MainWindowTest, FileFromTheCommandLineBecomesTheSourceAndIsShown) {
    start();
    window->RD_MSIE->setChecked(true);
    const std::string other = sandbox.path("other.htm");
    writeFile(other, sampleBookmarks());
    window->OpenSource(other);
    EXPECT_FALSE(window->FavoritesMode());
    EXPECT_EQ(text(window->ED_HTMLFile), other);
    EXPECT_EQ(window->Viewer->CurrentFileName(), other);
    EXPECT_TRUE(window->SourcePicked());

    window->OpenSource(sandbox.root()); // a Favorites folder
    EXPECT_TRUE(window->FavoritesMode());
    EXPECT_EQ(text(window->ED_HTMLFile), sandbox.root());
    EXPECT_TRUE(script.messages.empty());

    window->OpenSource(sandbox.path("missing.htm"));
    EXPECT_EQ(text(window->ED_HTMLFile), sandbox.path("missing.htm"));
    EXPECT_EQ(window->Viewer->CurrentFileName(), other);
    expectOneMessage(QMessageBox::Information, kBookmarkNotFound, QMessageBox::Ok);
}

TEST_F(MainWindowTest, ConvertWithMissingSourceSaysSoAndWritesNothing) {
    start();
    window->BT_Convert->click();
    expectOneMessage(QMessageBox::Information, kBookmarkNotFound, QMessageBox::Ok);
    EXPECT_FALSE(fileExists(text(window->ED_TempFile)));
}

TEST_F(MainWindowTest, ConvertWritesTheListingAsChosenInTheWindowToTheWholeOutputPath) {
    const std::string source = bookmarkFile();
    start();
    // An output path well over 200 characters is used whole.
    std::string folder = sandbox.path("");
    while (folder.size() < 230) {
        folder = joinPath(folder, "a-rather-long-folder-name");
    }
    makeDirectory(folder);
    const std::string output = joinPath(folder, "listing.htm");
    setText(window->ED_TempFile, output);
    window->ED_Title->setText("My Links");
    window->CB_Sort->setCurrentIndex(1);
    window->BT_Bold->click();
    window->BT_Italic->click();

    window->BT_Convert->click();
    EXPECT_TRUE(script.messages.empty());
    const std::string listing = readFile(output);
    EXPECT_NE(listing.find("<center><h2>My Links</h2></center>"), std::string::npos) << listing;
    const size_t apple = listing.find("<B><I> http://apple.example/</B></I>");
    const size_t zebra = listing.find("<B><I> http://zebra.example/</B></I>");
    ASSERT_NE(apple, std::string::npos) << listing;
    ASSERT_NE(zebra, std::string::npos) << listing;
    EXPECT_LT(apple, zebra) << "sorted by title";
    EXPECT_EQ(window->Viewer->CurrentFileName(), output);
    EXPECT_EQ(readFile(source), sampleBookmarks());
}

TEST_F(MainWindowTest, ConvertOntoTheSourceIsRefusedAndLoadsNothing) {
    const std::string source = bookmarkFile();
    start();
    window->BookmarkFile1Click(); // the viewer shows the help page, no file
    setText(window->ED_TempFile, source);
    window->BT_Convert->click();
    expectOneMessage(QMessageBox::Information, kOutputIsSource, QMessageBox::Ok);
    EXPECT_EQ(readFile(source), sampleBookmarks());
    EXPECT_EQ(window->Viewer->CurrentFileName(), "");
}

TEST_F(MainWindowTest, ErrorsOfCommandsAreShownAndTheWindowStaysUsable) {
    start();
    // Favorites mode checks no source; a folder that does not exist yields no listing, and says so.
    window->RD_MSIE->click();
    window->BT_Convert->click();
    expectOneMessage(QMessageBox::Critical, "No such folder: " + text(window->ED_HTMLFile), QMessageBox::Ok);

    // "Restore Original" of a folder: a folder is not a file.
    script.messages.clear();
    window->BT_Restore->click();
    expectOneMessage(QMessageBox::Critical, "Can't locate file: " + text(window->ED_HTMLFile), QMessageBox::Ok);

    const std::string source = bookmarkFile();
    window->RD_NS->click();
    setText(window->ED_HTMLFile, source);
    window->BT_Restore->click();
    EXPECT_EQ(window->Viewer->CurrentFileName(), source);
}

TEST_F(MainWindowTest, SaveAsCopiesBytesAndTimeAndAsksBeforeOverwriting) {
    const std::string source = bookmarkFile();
    const utimbuf old{1000000000, 1000000000};
    ASSERT_EQ(::utime(source.c_str(), &old), 0);
    start();
    const std::string copy = sandbox.path("copy.htm");

    script.chooseFile(copy);
    window->BT_Save->click();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(readFile(copy), sampleBookmarks());
    EXPECT_EQ(modificationTime(copy), 1000000000);

    writeFile(copy, "changed");
    script.chooseFile(copy);
    script.messageAnswers.push_back(QMessageBox::No);
    window->BT_Save->click();
    expectOneMessage(QMessageBox::Warning, "File already exists, overwrite?", QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(readFile(copy), "changed");

    script.messages.clear();
    script.chooseFile(copy);
    script.messageAnswers.push_back(QMessageBox::Yes);
    window->BT_Save->click();
    EXPECT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(readFile(copy), sampleBookmarks());
}

TEST_F(MainWindowTest, SaveAsOntoTheShownFileLeavesItIntact) {
    const std::string source = bookmarkFile();
    start();
    script.chooseFile(source);
    window->BT_Save->click();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(readFile(source), sampleBookmarks());
    const auto& dialog = script.dialogs;
    ASSERT_EQ(dialog.size(), 1u);
}

TEST_F(MainWindowTest, SaveAsWithNoFileShownFails) {
    bookmarkFile();
    start();
    window->SpeedButton1->click(); // the help page: no file behind it
    const std::string copy = sandbox.path("copy.htm");
    script.chooseFile(copy);
    window->BT_Save->click();
    expectOneMessage(QMessageBox::Critical, "Cannot open file ", QMessageBox::Ok);
    EXPECT_FALSE(fileExists(copy));
}

TEST_F(MainWindowTest, CloseWithoutBrowsingAsksAndWritesNothing) {
    const std::string settings = "; mine\r\n[APPINFO]\r\nDefault_Output=/o.htm\r\n";
    writeFile(sandbox.iniPath(), settings);
    start();
    window->close();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(readFile(sandbox.iniPath()), settings);
}

TEST_F(MainWindowTest, CloseAfterBrowsingStoresTheSourceOnlyOnYes) {
    const std::string settings = "[Other]\r\nkey=1\r\n[APPINFO]\r\nDefault_Output=/o.htm\r\n";
    writeFile(sandbox.iniPath(), settings);
    const std::string picked = sandbox.path("picked.html");
    writeFile(picked, sampleBookmarks());
    const char* question = "Save current file as the default bookmark file?";
    const auto yesNoCancel = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;

    for (const auto answer : {QMessageBox::No, QMessageBox::Cancel}) {
        start();
        script.chooseFile(picked);
        window->BT_SetApp->click();
        script.messages.clear();
        script.messageAnswers.push_back(answer);
        window->close();
        expectOneMessage(QMessageBox::Question, question, yesNoCancel);
        EXPECT_EQ(readFile(sandbox.iniPath()), settings);
    }

    start();
    script.chooseFile(picked);
    window->BT_SetApp->click();
    script.messages.clear();
    script.messageAnswers.push_back(QMessageBox::Yes);
    window->close();
    expectOneMessage(QMessageBox::Question, question, yesNoCancel);
    const std::string written = readFile(sandbox.iniPath());
    EXPECT_NE(written.find("[Other]\r\nkey=1\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("Default_Output=/o.htm"), std::string::npos) << written;
    EXPECT_NE(written.find("Default_Bookmark=" + picked), std::string::npos) << written;

    // The next start proposes it.
    start();
    EXPECT_EQ(text(window->ED_HTMLFile), picked);
    EXPECT_EQ(window->Viewer->CurrentFileName(), picked);
}

TEST_F(MainWindowTest, AboutBoxFromButtonMenuAndLogo) {
    start();
    int shown = 0;
    const auto inspect = [&](QDialog& dialog) {
        ++shown;
        auto* splash = qobject_cast<TFM_Splash*>(&dialog);
        EXPECT_NE(splash, nullptr);
        if (!splash) {
            return int(QDialog::Rejected);
        }
        EXPECT_EQ(splash->windowTitle(), "Tavlin");
        EXPECT_EQ(splash->size(), QSize(366, 360));
        EXPECT_EQ(splash->LB_Version->text(), "32bit ver 5.00");
        EXPECT_EQ(splash->M_Description->toPlainText().split('\n').size(), 5);
        EXPECT_TRUE(splash->M_Description->isReadOnly());
        EXPECT_TRUE(splash->BT_OK->isDefault());
        EXPECT_TRUE(splash->BT_OK->font().bold());
        const auto* logo = splash->findChild<QLabel*>("Image1");
        EXPECT_TRUE(logo && !logo->pixmap().isNull());
        splash->BT_OK->click();
        return splash->result();
    };
    for (int i = 0; i < 2; ++i) {
        script.responders.push_back(inspect);
    }
    window->BT_About->click();
    QTest::mouseClick(window->Image1, Qt::LeftButton);
    EXPECT_EQ(shown, 2);
    EXPECT_FALSE(window->Image1->pixmap().isNull());
}

TEST_F(MainWindowTest, HelpPageReplacesTheShownFile) {
    bookmarkFile();
    start();
    ASSERT_FALSE(window->Viewer->CurrentFileName().empty());
    window->SpeedButton1->click();
    EXPECT_EQ(window->Viewer->CurrentFileName(), "");

    const std::string page = window->M_HELP->toPlainText().toStdString();
    size_t at = 0;
    for (const char* part : {"<BODY BGCOLOR=\"#FFFFFF\">", "<B>", "Tavlin - Find out where your\n"
                                                                  "favorites / bookmark file is stored.",
                             "<U><B><FONT COLOR=\"#0000FF\">Netscape Users", "BOOKMARK.HTM", "<OL>", "CTRL-B",
                             "File -&gt; Save as", "C:\\Program Files\\Netscape\\Users\\YourID\\Bookmark.htm",
                             "Export Bookmarks to HTML", "<U><B><FONT COLOR=\"#0000FF\">MS Internet Explorer Users",
                             "<I>\"C:\\windows\\favorites\"</I>", "Organize Favorites", "PROPERTY", "\"General\"",
                             "\"Location\"", "Convert Now", "<BR><HR width=70%><BR>"}) {
        const size_t found = page.find(part, at);
        ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part;
        at = found;
    }
}

TEST_F(MainWindowTest, BoldAndItalicButtonsAndMenuEntriesStayInStep) {
    start();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(window->BT_Bold->isChecked()) << "Ctrl+B";
    QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
    EXPECT_FALSE(window->BT_Bold->isChecked());
    EXPECT_EQ(window->URLinBOLD1->shortcut(), QKeySequence("Ctrl+B"));
    EXPECT_EQ(window->URLinITALIC1->shortcut(), QKeySequence("Ctrl+I"));
    const auto inStep = [](QAction* entry, QToolButton* button, bool on) {
        EXPECT_EQ(entry->isChecked(), on);
        EXPECT_EQ(button->isChecked(), on);
    };
    window->BT_Bold->click();
    inStep(window->URLinBOLD1, window->BT_Bold, true);
    inStep(window->URLinITALIC1, window->BT_Italic, false);
    window->BT_Bold->click();
    inStep(window->URLinBOLD1, window->BT_Bold, false);
    window->URLinBOLD1->trigger();
    inStep(window->URLinBOLD1, window->BT_Bold, true);
    window->URLinBOLD1Click();
    inStep(window->URLinBOLD1, window->BT_Bold, false);

    window->URLinITALIC1->trigger();
    inStep(window->URLinITALIC1, window->BT_Italic, true);
    window->BT_Italic->click();
    inStep(window->URLinITALIC1, window->BT_Italic, false);
    inStep(window->URLinBOLD1, window->BT_Bold, false);
}

TEST_F(MainWindowTest, CopyAndFindCommands) {
    bookmarkFile();
    start();
    window->BitBtn1->click();
    expectOneMessage(QMessageBox::Question, "Done! You may now paste the bookmark content to your text editor",
                     QMessageBox::Ok);
    EXPECT_EQ(window->Viewer->SelectionLength(), 0);

    window->BitBtn2->click();
    EXPECT_TRUE(window->FindDialog1->isVisible());
    EXPECT_FALSE(window->FindDialog1->isModal());
    EXPECT_EQ(window->FindDialog1->ED_Find->maxLength(), 255);
    EXPECT_EQ(window->Viewer->ScrollPosition(), 0);
    window->FindDialog1->ED_Find->setText("example");
    window->FindDialog1->BT_FindNext->click(); // the viewer selects what it finds; nothing is reported
    EXPECT_EQ(script.messages.size(), 1u);
    window->FindDialog1->close();
}

TEST_F(MainWindowTest, PrintOffersPageNumbersFromOne) {
    start();
    script.responders.push_back([](QDialog& dialog) {
        auto& print = dynamic_cast<QPrintDialog&>(dialog);
        EXPECT_TRUE(print.testOption(QAbstractPrintDialog::PrintPageRange));
        EXPECT_EQ(print.minPage(), 1);
        return int(QDialog::Rejected);
    });
    window->BT_Print->click();
    EXPECT_EQ(script.dialogs.size(), 1u);
    EXPECT_TRUE(script.messages.empty());
}

TEST_F(MainWindowTest, BrowserBookmarksMenuPutsTheChosenStoreInTheSourceField) {
    const std::string store = joinPath(sandbox.home(), ".config/chromium/Default/Bookmarks");
    makeDirectory(joinPath(sandbox.home(), ".config/chromium/Default"));
    writeFile(store, R"({"roots": {"other": {"name": "Other", "children": [
        {"name": "Alpha", "type": "url", "url": "http://alpha.example/"}]}}})");
    start();
    window->RD_MSIE->click();
    emit window->BrowserBookmarks1->aboutToShow();
    const QList<QAction*> entries = window->BrowserBookmarks1->actions();
    ASSERT_EQ(entries.size(), 1);
    EXPECT_EQ(entries[0]->text().toStdString(), "Chromium - Default");
    entries[0]->trigger();
    EXPECT_EQ(text(window->ED_HTMLFile), store);
    EXPECT_TRUE(window->RD_NS->isChecked());
    window->BT_Convert->click();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_NE(readFile(text(window->ED_TempFile)).find("<DT>Alpha-<a href=\"http://alpha.example/\">"),
              std::string::npos);
    // Kept as the default, it comes back as the source at the next start.
    script.messageAnswers.push_back(QMessageBox::Yes);
    window->close();
    start();
    EXPECT_EQ(text(window->ED_HTMLFile), store);
    EXPECT_TRUE(window->RD_NS->isChecked());
}

TEST_F(MainWindowTest, LenientReadingIsAStoredOptionOffByDefault) {
    const std::string source = joinPath(sandbox.home(), "lower.html");
    writeFile(source, "<title>B</title>\n<dl><p>\n<dt><a href=\"http://lower.example/\">Lower</a>\n</dl>\n");
    start();
    EXPECT_FALSE(window->LenientReading1->isChecked());
    setText(window->ED_HTMLFile, source);
    window->BT_Convert->click();
    EXPECT_FALSE(fileExists(text(window->ED_TempFile)));
    window->LenientReading1->trigger();
    EXPECT_NE(readFile(sandbox.iniPath()).find("Lenient_Reading=1"), std::string::npos);
    window->BT_Convert->click();
    EXPECT_NE(readFile(text(window->ED_TempFile)).find("<DT>Lower-"), std::string::npos);
    start();
    EXPECT_TRUE(window->LenientReading1->isChecked());
}

TEST_F(MainWindowTest, ViewerIsSetUpForListings) {
    start();
    const TViewer& viewer = *window->Viewer;
    EXPECT_FALSE(viewer.ViewImages());
    EXPECT_EQ(viewer.DefBackground(), 0xFFFFFFu);
    EXPECT_EQ(viewer.HistoryMaxCount(), 0);
    EXPECT_EQ(viewer.DefFontName(), "Times New Roman");
    EXPECT_EQ(viewer.DefPreFontName(), "Courier New");
    EXPECT_EQ(viewer.DefFontSize(), 10);
    EXPECT_EQ(viewer.htOptions(), 0u);
    bool handled = true;
    viewer.OnHotSpotClick(window->Viewer, "http://example.com/", handled);
    EXPECT_FALSE(handled) << "links are left to the viewer";

    // "Set Font": the chosen face and size become the viewer's defaults, no smaller than 6.
    script.responders.push_back([](QDialog& dialog) {
        auto& fonts = dynamic_cast<TFontDialog&>(dialog);
        fonts.CB_Face->setCurrentText("Liberation Sans");
        fonts.ED_Size->setValue(4);
        return int(QDialog::Accepted);
    });
    window->BT_ViewFont->click();
    EXPECT_EQ(window->Viewer->DefFontName(), "Liberation Sans");
    EXPECT_EQ(window->Viewer->DefFontSize(), 6);
}

} // namespace
} // namespace tavlin::test
