#pragma once
#include "app/gui/BrowseForFolder.h"

#include <QMainWindow>
#include <functional>
#include <string>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPainter;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace tavlin {

class TFindDialog;
class TViewer;

// The main window: source and output fields, the listing's format, the viewer, and the commands.
// Every command is a public handler under its designed name, so tests can run it directly;
// buttons and menu entries run them through runCommand, which shows any error they raise.
class TFM_Tavlin : public QMainWindow {
    Q_OBJECT
public:
    explicit TFM_Tavlin(QWidget* parent = nullptr);
    ~TFM_Tavlin() override;

    // --- Start and close --------------------------------------------------------------------------
    void FormCreate();
    // Reads the settings, fills the fields, picks the mode and shows the stored bookmark file. Runs
    // once, on the first activation of the window; later calls do nothing.
    void FormActivate();

    // --- Commands ---------------------------------------------------------------------------------
    void BT_FileNameClick();
    void BT_FolderBrzClick();
    void BT_TmpBrowseClick();
    void BT_ConvertClick();
    void BT_RestoreClick();
    void BT_SaveClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void FindDialog1Find();
    void BT_PrintClick();
    void PrintPreview1Click();
    void PageSetup1Click();
    void BT_ViewFontClick();
    void URLinBOLD1Click();
    void BT_ItalicClick();
    void LenientReading1Click();
    void BT_AboutClick();
    void BookmarkFile1Click();
    void RD_NSClick();
    void RD_MSIEClick();
    void BT_CloseClick();
    // `tavlin FILE`: FILE becomes the source as if chosen with the browse button (a folder in
    // Favorites mode) and a file is shown; a missing one is reported as "Convert Now" does.
    void OpenSource(const std::string& path);

    // The viewer's page events: the header and footer texts on every printed page.
    void ViewerPrintHeader(TViewer* sender, QPainter& canvas, int numPage, int w, int h, bool& stopPrinting);
    void ViewerPrintFooter(TViewer* sender, QPainter& canvas, int numPage, int w, int h, bool& stopPrinting);

    // Runs a command as a button does: an error it raises is shown with its text, and the window
    // stays usable.
    void runCommand(void (TFM_Tavlin::*handler)());
    void runCommand(const std::function<void()>& command);

    // --- State ------------------------------------------------------------------------------------
    const std::string& StoredBookmark() const { return storedBookmark_; }
    bool SourcePicked() const { return sourcePicked_; }
    bool FavoritesMode() const;
    std::string SourceFileName() const; // the source field's text as a path
    std::string OutputFileName() const; // the output field's text as a path

    // Printed header and footer texts, edited by the page-margins dialog; not stored.
    std::string HeaderText;
    std::string FooterText;

    // --- Controls, named as designed -------------------------------------------------------------
    QRadioButton* RD_NS = nullptr;
    QRadioButton* RD_MSIE = nullptr;
    QLineEdit* ED_HTMLFile = nullptr;
    QPushButton* BT_SetApp = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QLineEdit* ED_TempFile = nullptr;
    QPushButton* BT_TmpBrowse = nullptr;
    QLabel* Image1 = nullptr;
    QLineEdit* ED_Title = nullptr;
    QComboBox* CB_Sort = nullptr;
    QPushButton* BT_ViewFont = nullptr;
    QToolButton* BT_Bold = nullptr;
    QToolButton* BT_Italic = nullptr;
    QPushButton* BT_Convert = nullptr;
    QPushButton* BT_Restore = nullptr;
    QLabel* LB_Progress = nullptr;
    TViewer* Viewer = nullptr;
    QPushButton* BT_Print = nullptr;
    QPushButton* BT_Save = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BT_About = nullptr;
    QPushButton* BT_Close = nullptr;
    QPlainTextEdit* M_HELP = nullptr;
    QAction* URLinBOLD1 = nullptr;
    QAction* URLinITALIC1 = nullptr;
    QAction* LenientReading1 = nullptr;
    QMenu* BrowserBookmarks1 = nullptr; // the browsers' own stores on this machine, found when opened
    TFindDialog* FindDialog1 = nullptr;
    TBrowseForFolder OpenFolder;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormClose();
    QWidget* buildTopPanel();
    QWidget* buildFormatGroup();
    QWidget* buildBottomPanel();
    void buildMenu();
    void setUpViewer();
    QPushButton* commandButton(const char* name, const QString& caption, void (TFM_Tavlin::*handler)());
    QAction* commandAction(QMenu* menu, const QString& caption, void (TFM_Tavlin::*handler)());
    void setAddressStyle(bool& on, QAction* entry, QToolButton* button);
    std::string chooseFileToOpen(const std::string& proposed);
    void pickBookmarkFile(const std::string& path);
    void pickFavoritesFolder(const std::string& folder);
    void fillBrowserMenu();
    void pickBrowserStore(const std::string& path);
    // Prints what the printer's page range asks for and says so when that was nothing.
    void printOn(QPrinter& printer);

    std::string storedBookmark_;
    bool sourcePicked_ = false;
    bool activated_ = false;
    bool boldAddresses_ = false;
    bool italicAddresses_ = false;
    // What "&Browse" beside the source field runs: the file chooser or the folder browser.
    void (TFM_Tavlin::*sourceBrowse_)() = &TFM_Tavlin::BT_FileNameClick;
};

} // namespace tavlin
