#include "app/gui/MainWindow.h"
#include "viewer/WaitCursor.h"

#include "app/convert/Bookmark.h"
#include "app/convert/BrowserStores.h"
#include "app/gui/Artwork.h"
#include "app/gui/Dialogs.h"
#include "app/gui/FindDialog.h"
#include "app/gui/FontDialog.h"
#include "app/gui/HelpPage.h"
#include "app/gui/PageMargins.h"
#include "app/gui/Settings.h"
#include "app/gui/Splash.h"
#include "app/print/HeaderFooter.h"
#include "platform/Files.h"
#include "viewer/Viewer.h"

#include <QAbstractPrintDialog>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

namespace tavlin {

namespace {

QString fromPath(const std::string& path) {
    return QFile::decodeName(path.c_str());
}

std::string toPath(const QString& text) {
    return QFile::encodeName(text).toStdString();
}

bool containsHtm(const std::string& path) {
    return QFile::decodeName(path.c_str()).toLower().contains(".htm");
}

QFont boldened(QFont font) {
    font.setBold(true);
    return font;
}

// The first file a file dialog accepted, or empty when it was cancelled.
std::string acceptedFile(QFileDialog& dialog) {
    if (runModal(dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return toPath(dialog.selectedFiles().constFirst());
}

constexpr const char* kBookmarkNotFound =
    "Bookmark file can not be found - please select your bookmark file again.";
constexpr const char* kOutputIsSource =
    "The output file is the bookmark file itself - please choose another output file.";
constexpr const char* kOverwrite = "File already exists, overwrite?";
constexpr const char* kCopied = "Done! You may now paste the bookmark content to your text editor";
constexpr QSize kViewerMinimum(200, 120);
constexpr const char* kSaveDefault = "Save current file as the default bookmark file?";
constexpr const char* kNothingToPrint = "There is nothing to print.";
constexpr const char* kRangeBeyondEnd =
    "Nothing was printed: page %1 is beyond the end of the document, which has %2 %3.";

} // namespace

TFM_Tavlin::TFM_Tavlin(QWidget* parent) : QMainWindow(parent), OpenFolder(this) {
    setObjectName("FM_Tavlin");
    setWindowTitle("Tavlin");
    setWindowIcon(tavlinIcon());
    setFont(designFont());

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(buildTopPanel());
    Viewer = new TViewer(central);
    Viewer->setObjectName("Viewer");
    // However small the window is made, a few lines of the document stay in view.
    Viewer->setMinimumSize(kViewerMinimum);
    layout->addWidget(Viewer, 1);
    layout->addWidget(buildBottomPanel());
    setCentralWidget(central);
    buildMenu();
    setUpViewer();

    M_HELP = new QPlainTextEdit(this);
    M_HELP->setObjectName("M_HELP");
    M_HELP->setVisible(false);
    for (const std::string& line : helpPageLines()) {
        M_HELP->appendPlainText(QString::fromStdString(line));
    }

    FindDialog1 = new TFindDialog(this);
    connect(FindDialog1, &TFindDialog::Find, this, [this] { runCommand(&TFM_Tavlin::FindDialog1Find); });

    OpenFolder.Caption = "Select Folder";
    OpenFolder.StatusText = "Plase select folder";
    OpenFolder.FolderName = "/";
    OpenFolder.Root = TBrowseLocation::bl_STANDART;

    resize(600, 459);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    FormCreate();
}

TFM_Tavlin::~TFM_Tavlin() = default;

// --- Building the window ---------------------------------------------------------------------------

QPushButton* TFM_Tavlin::commandButton(const char* name, const QString& caption,
                                       void (TFM_Tavlin::*handler)()) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    connect(button, &QPushButton::clicked, this, [this, handler] { runCommand(handler); });
    return button;
}

QAction* TFM_Tavlin::commandAction(QMenu* menu, const QString& caption, void (TFM_Tavlin::*handler)()) {
    QAction* action = menu->addAction(caption);
    if (handler) {
        connect(action, &QAction::triggered, this, [this, handler] { runCommand(handler); });
    }
    return action;
}

QWidget* TFM_Tavlin::buildTopPanel() {
    auto* panel = new QWidget;
    panel->setObjectName("Panel1");

    RD_NS = new QRadioButton("Netscape Bookmark File");
    RD_NS->setObjectName("RD_NS");
    RD_NS->setChecked(true);
    RD_MSIE = new QRadioButton("MSIE Favorites");
    RD_MSIE->setObjectName("RD_MSIE");
    // Checking a radio button runs its handler, also when the program checks it.
    connect(RD_NS, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            runCommand(&TFM_Tavlin::RD_NSClick);
        }
    });
    connect(RD_MSIE, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            runCommand(&TFM_Tavlin::RD_MSIEClick);
        }
    });

    ED_HTMLFile = new QLineEdit;
    ED_HTMLFile->setObjectName("ED_HTMLFile");
    BT_SetApp = new QPushButton("&Browse");
    BT_SetApp->setObjectName("BT_SetApp");
    connect(BT_SetApp, &QPushButton::clicked, this, [this] { runCommand(sourceBrowse_); });
    SpeedButton1 = new QToolButton;
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setText("?");
    SpeedButton1->setFont(boldened(font()));
    SpeedButton1->setStyleSheet("color: #0000FF;");
    SpeedButton1->setToolTip("Where are my bookmark files?");
    connect(SpeedButton1, &QToolButton::clicked, this,
            [this] { runCommand(&TFM_Tavlin::BookmarkFile1Click); });

    auto* outputLabel = new QLabel("Output converted bookmark to:");
    ED_TempFile = new QLineEdit;
    ED_TempFile->setObjectName("ED_TempFile");
    BT_TmpBrowse = commandButton("BT_TmpBrowse", "&Browse", &TFM_Tavlin::BT_TmpBrowseClick);

    Image1 = new QLabel;
    Image1->setObjectName("Image1");
    Image1->setPixmap(tavlinLogo());
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setCursor(Qt::PointingHandCursor);
    Image1->installEventFilter(this);

    BT_Convert = commandButton("BT_Convert", "&Convert Now", &TFM_Tavlin::BT_ConvertClick);
    BT_Convert->setFont(boldened(font()));
    BT_Convert->setStyleSheet("color: #0000FF;");
    BT_Convert->setToolTip("Convert Bookmark");
    BT_Restore = commandButton("BT_Restore", "&Restore Original", &TFM_Tavlin::BT_RestoreClick);
    LB_Progress = new QLabel;
    LB_Progress->setObjectName("LB_Progress");
    LB_Progress->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto* modes = new QHBoxLayout;
    modes->addWidget(RD_NS);
    modes->addWidget(RD_MSIE);
    modes->addStretch();
    modes->addWidget(LB_Progress);

    auto* fields = new QGridLayout;
    fields->setVerticalSpacing(3);
    fields->addLayout(modes, 0, 0, 1, 3);
    fields->addWidget(ED_HTMLFile, 1, 0);
    fields->addWidget(BT_SetApp, 1, 1);
    fields->addWidget(SpeedButton1, 1, 2);
    fields->addWidget(outputLabel, 2, 0, 1, 3);
    fields->addWidget(ED_TempFile, 3, 0);
    fields->addWidget(BT_TmpBrowse, 3, 1);
    fields->addWidget(buildFormatGroup(), 4, 0, 1, 3);
    fields->setColumnStretch(0, 1);

    auto* side = new QVBoxLayout;
    side->addWidget(Image1);
    side->addStretch();
    side->addWidget(BT_Convert);
    side->addWidget(BT_Restore);

    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 4, 8, 4);
    row->addLayout(fields, 1);
    row->addLayout(side);
    return panel;
}

QWidget* TFM_Tavlin::buildFormatGroup() {
    auto* group = new QGroupBox("Format Listing");
    group->setObjectName("GroupBox1");
    ED_Title = new QLineEdit("Tavlin Listing");
    ED_Title->setObjectName("ED_Title");
    CB_Sort = new QComboBox;
    CB_Sort->setObjectName("CB_Sort");
    CB_Sort->addItems({"No Sorting", "Title", "Date"});
    BT_ViewFont = commandButton("BT_ViewFont", "Set Font", &TFM_Tavlin::BT_ViewFontClick);

    BT_Bold = new QToolButton;
    BT_Bold->setObjectName("BT_Bold");
    BT_Bold->setText("B");
    BT_Bold->setFont(boldened(font()));
    BT_Bold->setCheckable(true);
    BT_Bold->setToolTip("Show web addresses in Bold");
    connect(BT_Bold, &QToolButton::clicked, this, [this] { runCommand(&TFM_Tavlin::URLinBOLD1Click); });

    BT_Italic = new QToolButton;
    BT_Italic->setObjectName("BT_Italic");
    BT_Italic->setText("I");
    QFont italic = font();
    italic.setItalic(true);
    BT_Italic->setFont(italic);
    BT_Italic->setCheckable(true);
    BT_Italic->setToolTip("Show web addresses  in Italic");
    connect(BT_Italic, &QToolButton::clicked, this, [this] { runCommand(&TFM_Tavlin::BT_ItalicClick); });

    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(8, 4, 8, 4);
    grid->addWidget(new QLabel("Title"), 0, 0);
    grid->addWidget(ED_Title, 0, 1, 1, 4);
    grid->addWidget(new QLabel("Sort Listing by"), 1, 0);
    grid->addWidget(CB_Sort, 1, 1);
    grid->addWidget(BT_ViewFont, 1, 2);
    grid->addWidget(BT_Bold, 1, 3);
    grid->addWidget(BT_Italic, 1, 4);
    grid->setColumnStretch(1, 1);
    return group;
}

QWidget* TFM_Tavlin::buildBottomPanel() {
    auto* panel = new QWidget;
    panel->setObjectName("Panel2");
    panel->setFixedHeight(41);
    BT_Print = commandButton("BT_Print", "&Print", &TFM_Tavlin::BT_PrintClick);
    BT_Print->setToolTip("Print what's on screen. Use \"CONVERT NOW\" button to expand / clean up bookmark.");
    BT_Save = commandButton("BT_Save", "&Save As", &TFM_Tavlin::BT_SaveClick);
    BT_Save->setToolTip("Save bookmark to a new file in HTML format");
    BitBtn2 = commandButton("BitBtn2", "&Find Text", &TFM_Tavlin::BitBtn2Click);
    BitBtn1 = commandButton("BitBtn1", "&Copy to Clipboard", &TFM_Tavlin::BitBtn1Click);
    BitBtn1->setToolTip("Copy bookmark content to clipborad (export withot tags)");
    BT_About = commandButton("BT_About", "&About", &TFM_Tavlin::BT_AboutClick);
    BT_Close = commandButton("BT_Close", "&Exit", &TFM_Tavlin::BT_CloseClick);

    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 4, 8, 4);
    for (QPushButton* button : {BT_Print, BT_Save, BitBtn2, BitBtn1, BT_About}) {
        row->addWidget(button);
    }
    row->addStretch();
    row->addWidget(BT_Close);
    return panel;
}

void TFM_Tavlin::buildMenu() {
    QMenu* file = menuBar()->addMenu("&File");
    commandAction(file, "&Open Bookmark File", &TFM_Tavlin::BT_FileNameClick);
    BrowserBookmarks1 = file->addMenu("Open &Browser Bookmarks");
    BrowserBookmarks1->setObjectName("BrowserBookmarks1");
    connect(BrowserBookmarks1, &QMenu::aboutToShow, this, [this] { fillBrowserMenu(); });
    commandAction(file, "&Convert now", &TFM_Tavlin::BT_ConvertClick);
    commandAction(file, "&Save File", nullptr); // an entry without a command
    commandAction(file, "&Restore", &TFM_Tavlin::BT_RestoreClick);
    file->addSeparator();
    commandAction(file, "Print", &TFM_Tavlin::BT_PrintClick);
    commandAction(file, "Print Pre&view", &TFM_Tavlin::PrintPreview1Click);
    commandAction(file, "Page Setup", &TFM_Tavlin::PageSetup1Click);
    file->addSeparator();
    commandAction(file, "E&xit", &TFM_Tavlin::BT_CloseClick);

    QMenu* options = menuBar()->addMenu("&Options");
    commandAction(options, "&Viewer Font", &TFM_Tavlin::BT_ViewFontClick);
    URLinBOLD1 = commandAction(options, "URL in &BOLD", &TFM_Tavlin::URLinBOLD1Click);
    URLinBOLD1->setObjectName("URLinBOLD1");
    URLinBOLD1->setCheckable(true);
    URLinBOLD1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    URLinITALIC1 = commandAction(options, "URL in &ITALIC", &TFM_Tavlin::BT_ItalicClick);
    URLinITALIC1->setObjectName("URLinITALIC1");
    URLinITALIC1->setCheckable(true);
    URLinITALIC1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_I));
    LenientReading1 = commandAction(options, "&Lenient Reading", &TFM_Tavlin::LenientReading1Click);
    LenientReading1->setObjectName("LenientReading1");
    LenientReading1->setCheckable(true);
    LenientReading1->setToolTip("Read bookmark files with lower-case tags and indented descriptions");

    QMenu* help = menuBar()->addMenu("&Help");
    commandAction(help, "&About", &TFM_Tavlin::BT_AboutClick);
    commandAction(help, "&Where are my bookmark files?", &TFM_Tavlin::BookmarkFile1Click);
}

void TFM_Tavlin::setUpViewer() {
    Viewer->SetViewImages(false);
    Viewer->SetDefBackground(0xFFFFFF);
    Viewer->SetBorderStyle(TBorderStyle::htFocused);
    Viewer->SetHistoryMaxCount(0);
    Viewer->SetDefFontName("Times New Roman");
    Viewer->SetDefPreFontName("Courier New");
    Viewer->SetDefFontSize(10);
    Viewer->SetNoSelect(false);
    Viewer->SetCharSet(DEFAULT_CHARSET);
    Viewer->PrintMarginLeft = Viewer->PrintMarginRight = 2.0;
    Viewer->PrintMarginTop = Viewer->PrintMarginBottom = 2.0;
    Viewer->SethtOptions(0);
    // A click on a link is left to the viewer, which follows it itself; no browser is started.
    Viewer->OnHotSpotClick = [](TViewer*, const std::string&, bool& handled) { handled = false; };
    // What the viewer cannot throw to a command (a section it could not lay out, a link that
    // failed to load) comes here and is shown like any command's error.
    Viewer->OnError = [this](TViewer*, const std::string& message) {
        showMessage(this, MessageKind::Error, QString::fromLocal8Bit(message.c_str()));
    };
    Viewer->OnPrintHeader = [this](TViewer* sender, QPainter& canvas, int numPage, int w, int h, bool& stop) {
        ViewerPrintHeader(sender, canvas, numPage, w, h, stop);
    };
    Viewer->OnPrintFooter = [this](TViewer* sender, QPainter& canvas, int numPage, int w, int h, bool& stop) {
        ViewerPrintFooter(sender, canvas, numPage, w, h, stop);
    };
}

// --- Events ------------------------------------------------------------------------------------------

void TFM_Tavlin::runCommand(void (TFM_Tavlin::*handler)()) {
    runCommand([this, handler] { (this->*handler)(); });
}

void TFM_Tavlin::runCommand(const std::function<void()>& command) {
    try {
        command();
    } catch (const std::exception& error) {
        showMessage(this, MessageKind::Error, QString::fromLocal8Bit(error.what()));
    }
}

bool TFM_Tavlin::event(QEvent* event) {
    const bool result = QMainWindow::event(event);
    if (event->type() == QEvent::WindowActivate && !activated_) {
        runCommand(&TFM_Tavlin::FormActivate);
    }
    return result;
}

bool TFM_Tavlin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        runCommand(&TFM_Tavlin::BT_AboutClick);
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFM_Tavlin::closeEvent(QCloseEvent* event) {
    try {
        FormClose();
    } catch (const std::exception& error) {
        showMessage(this, MessageKind::Error, QString::fromLocal8Bit(error.what()));
    }
    event->accept();
}

// --- Start and close -------------------------------------------------------------------------------

void TFM_Tavlin::FormCreate() {
    CB_Sort->setCurrentIndex(0);
}

void TFM_Tavlin::FormActivate() {
    if (activated_) {
        return;
    }
    activated_ = true;
    const TavlinSettings settings = readSettings();
    storedBookmark_ = settings.defaultBookmark;
    ED_HTMLFile->setText(fromPath(settings.defaultBookmark));
    ED_TempFile->setText(fromPath(settings.defaultOutput));
    LenientReading1->setChecked(settings.lenientReading);
    // A browser's own store is a file source too, though its name has no "htm", and not one to show.
    const bool browserStore = isBrowserStore(detectSourceKind(settings.defaultBookmark));
    if (!containsHtm(settings.defaultBookmark) && !browserStore) {
        RD_MSIE->setChecked(true); // runs RD_MSIEClick, which puts the Favorites folder in the field
    }
    if (fileExists(SourceFileName()) && !browserStore) {
        Viewer->LoadFile(SourceFileName());
    }
    Viewer->PrintMarginLeft = Viewer->PrintMarginRight = 2.0;
    Viewer->PrintMarginTop = Viewer->PrintMarginBottom = 2.0;
}

void TFM_Tavlin::FormClose() {
    if (!sourcePicked_) {
        return;
    }
    // No and Cancel both let the window close without writing.
    const auto answer = showMessage(this, MessageKind::Confirmation, kSaveDefault,
                                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    if (answer == QMessageBox::Yes && !writeDefaultBookmark(SourceFileName())) {
        showMessage(this, MessageKind::Error, "Cannot create file " + fromPath(settingsFilePath()));
    }
}

// --- State -------------------------------------------------------------------------------------------

bool TFM_Tavlin::FavoritesMode() const {
    return RD_MSIE->isChecked();
}

std::string TFM_Tavlin::SourceFileName() const {
    return toPath(ED_HTMLFile->text());
}

std::string TFM_Tavlin::OutputFileName() const {
    return toPath(ED_TempFile->text());
}

// --- Commands ----------------------------------------------------------------------------------------

std::string TFM_Tavlin::chooseFileToOpen(const std::string& proposed) {
    QFileDialog openDialog(this, "Open");
    openDialog.setObjectName("OpenDialog");
    openDialog.setOption(QFileDialog::DontUseNativeDialog, true);
    openDialog.setAcceptMode(QFileDialog::AcceptOpen);
    openDialog.setFileMode(QFileDialog::AnyFile);
    openDialog.setNameFilters({"HTML Files (*.htm *.html)", "All Files (*)"});
    if (!proposed.empty()) {
        const QFileInfo info(fromPath(proposed));
        openDialog.setDirectory(info.absolutePath());
        openDialog.selectFile(info.fileName());
    }
    return acceptedFile(openDialog);
}

void TFM_Tavlin::BT_FileNameClick() {
    const std::string chosen = chooseFileToOpen(SourceFileName());
    if (!chosen.empty()) {
        pickBookmarkFile(chosen);
    }
    Viewer->setFocus();
}

void TFM_Tavlin::pickBookmarkFile(const std::string& path) {
    ED_HTMLFile->setText(fromPath(path));
    Viewer->LoadFile(path);
    LB_Progress->clear();
    sourcePicked_ = true;
    storedBookmark_ = path;
}

void TFM_Tavlin::fillBrowserMenu() {
    BrowserBookmarks1->clear();
    const std::vector<BrowserStore> stores = findBrowserStores();
    for (const BrowserStore& store : stores) {
        QAction* entry =
            BrowserBookmarks1->addAction(QString::fromStdString(store.browser + " - " + store.profile));
        entry->setToolTip(fromPath(store.path));
        connect(entry, &QAction::triggered, this,
                [this, path = store.path] { runCommand([this, &path] { pickBrowserStore(path); }); });
    }
    if (stores.empty()) {
        BrowserBookmarks1->addAction("No browser bookmarks found")->setEnabled(false);
    }
}

// A browser's own store is a file source like a bookmark file, but not one to show as it is.
void TFM_Tavlin::pickBrowserStore(const std::string& path) {
    storedBookmark_ = path;
    RD_NS->setChecked(true);
    sourceBrowse_ = &TFM_Tavlin::BT_FileNameClick;
    ED_HTMLFile->setText(fromPath(path));
    LB_Progress->clear();
    sourcePicked_ = true;
}

void TFM_Tavlin::BT_FolderBrzClick() {
    if (OpenFolder.Execute()) {
        pickFavoritesFolder(OpenFolder.FolderName);
    }
}

void TFM_Tavlin::pickFavoritesFolder(const std::string& folder) {
    sourcePicked_ = true;
    ED_HTMLFile->setText(fromPath(folder));
}

void TFM_Tavlin::OpenSource(const std::string& path) {
    if (directoryExists(path)) {
        RD_MSIE->setChecked(true);
        OpenFolder.FolderName = path;
        pickFavoritesFolder(path);
        return;
    }
    RD_NS->setChecked(true);
    if (!fileExists(path)) {
        ED_HTMLFile->setText(fromPath(path));
        showMessage(this, MessageKind::Information, kBookmarkNotFound);
        return;
    }
    pickBookmarkFile(path);
    Viewer->setFocus();
}

void TFM_Tavlin::BT_TmpBrowseClick() {
    const std::string chosen = chooseFileToOpen(OutputFileName());
    if (!chosen.empty()) {
        ED_TempFile->setText(fromPath(chosen));
    }
}

void TFM_Tavlin::BT_ConvertClick() {
    const std::string source = SourceFileName();
    if (!FavoritesMode() && !fileExists(source)) {
        showMessage(this, MessageKind::Information, kBookmarkNotFound);
        return;
    }
    // The output path is used whole: cutting it would write the listing where the user never said.
    const std::string output = OutputFileName();
    std::string openTags;
    std::string closeTags;
    if (BT_Bold->isChecked()) {
        openTags += "<B>";
        closeTags += "</B>";
    }
    if (BT_Italic->isChecked()) {
        openTags += "<I>";
        closeTags += "</I>";
    }
    const auto sortMode = static_cast<uint8_t>(std::max(CB_Sort->currentIndex(), 0));
    WaitCursor wait;
    TBookmarkConverter converter;
    converter.Lenient = LenientReading1->isChecked();
    const ConvertStatus status =
        converter.Convert(source, output, sortMode, ED_Title->text().toStdString(), openTags, closeTags);
    if (status == ConvertStatus::OutputIsSource) {
        showMessage(this, MessageKind::Information, kOutputIsSource);
        return;
    }
    // No listing was written: say why, and leave the viewer as it was rather than show an old one.
    if (status != ConvertStatus::Written) {
        QString why =
            fromPath(failureMessage(status, source, output, converter.failedPath(), converter.sourceKind()));
        why[0] = why[0].toUpper();
        showMessage(this, MessageKind::Error, why);
        return;
    }
    Viewer->ClearDocument();
    Viewer->LoadFile(output);
    Viewer->setFocus();
}

void TFM_Tavlin::BT_RestoreClick() {
    Viewer->LoadFile(SourceFileName());
    Viewer->setFocus();
}

void TFM_Tavlin::BT_SaveClick() {
    QFileDialog saveDialog(this, "Save As");
    saveDialog.setObjectName("SaveDialog1");
    saveDialog.setOption(QFileDialog::DontUseNativeDialog, true);
    // The window asks about overwriting itself, in its own words.
    saveDialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    saveDialog.setAcceptMode(QFileDialog::AcceptSave);
    saveDialog.setNameFilters(
        {"HTM File (*.HTM)", "HTML File (*.HTML)", "TXT File (*.TXT)", "All files (*)"});
    saveDialog.setDefaultSuffix("HTM");
    const std::string target = acceptedFile(saveDialog);
    if (target.empty()) {
        return;
    }
    const std::string& shown = Viewer->CurrentFileName();
    // Saving the shown file onto itself: it already is that file, and copying would empty it.
    if (!shown.empty() && isSameFile(shown, target)) {
        return;
    }
    if (fileExists(target) && showMessage(this, MessageKind::Warning, kOverwrite,
                                          QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    if (!fileExists(shown)) {
        throw EInOutError("Cannot open file " + shown);
    }
    if (!copyFileKeepingTime(shown, target)) {
        throw EInOutError("Cannot create file " + target);
    }
}

void TFM_Tavlin::BitBtn1Click() {
    if (Viewer->SelectionLength() == 0) {
        Viewer->SelectAllText();
    }
    const bool copied = Viewer->CopySelectedText();
    Viewer->SetSelectionLength(0);
    if (copied) { // nothing shown, nothing copied: the clipboard keeps what it had
        showMessage(this, MessageKind::Confirmation, kCopied, QMessageBox::Ok);
    }
}

void TFM_Tavlin::BitBtn2Click() {
    Viewer->SetScrollPosition(0);
    Viewer->SetSelectionStart(0);
    FindDialog1->show();
    FindDialog1->raise();
    FindDialog1->activateWindow();
}

void TFM_Tavlin::FindDialog1Find() {
    // What is found is selected and scrolled to by the viewer; nothing is reported.
    Viewer->FindText(FindDialog1->FindText().toStdString(), FindDialog1->MatchCase());
}

void TFM_Tavlin::BT_PrintClick() {
    QPrintDialog printDialog(&Viewer->Printer(), this);
    printDialog.setObjectName("PrnDlg");
    printDialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    printDialog.setMinMax(1, 9999);
    if (runModal(printDialog) != QDialog::Accepted) {
        return;
    }
    printOn(Viewer->Printer());
}

void TFM_Tavlin::printOn(QPrinter& printer) {
    // All pages have no end: a listing longer than the dialog's 9999 pages still prints whole.
    const bool range = printer.printRange() == QPrinter::PageRange;
    const int from = range ? printer.fromPage() : 1;
    Viewer->PrintPages(printer, from, range ? printer.toPage() : kLastPage);
    const int last = Viewer->PrintedPage();
    if (last == 0) {
        showMessage(this, MessageKind::Information, kNothingToPrint);
    } else if (last < from) {
        showMessage(this, MessageKind::Information,
                    QString(kRangeBeyondEnd).arg(from).arg(last).arg(last == 1 ? "page" : "pages"));
    }
}

void TFM_Tavlin::PrintPreview1Click() {
    QPrintPreviewDialog preview(&Viewer->Printer(), this);
    preview.setObjectName("PrintPreview");
    // The preview asks for its pages from inside its own event handling, where no error may pass.
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* printer) {
        try {
            printOn(*printer);
        } catch (const std::exception& error) {
            showMessage(this, MessageKind::Error, QString::fromLocal8Bit(error.what()));
        }
    });
    runModal(preview);
}

void TFM_Tavlin::ViewerPrintHeader(TViewer*, QPainter& canvas, int numPage, int, int, bool&) {
    DrawPageHeader(canvas, PageMarkText(HeaderText, numPage, ED_HTMLFile->text().toStdString()));
}

void TFM_Tavlin::ViewerPrintFooter(TViewer*, QPainter& canvas, int numPage, int, int, bool&) {
    DrawPageFooter(canvas, PageMarkText(FooterText, numPage, ED_HTMLFile->text().toStdString()));
}

void TFM_Tavlin::PageSetup1Click() {
    RunPageMarginsDialog(*this);
}

void TFM_Tavlin::BT_ViewFontClick() {
    TFontDialog fontDialog(this);
    fontDialog.Preset(Viewer->DefFontName(), Viewer->DefFontSize(), Viewer->DefFontColor());
    if (runModal(fontDialog) != QDialog::Accepted) {
        return;
    }
    // The new defaults apply from the next document loaded; the shown one keeps its fonts.
    if (!fontDialog.Face().empty()) {
        Viewer->SetDefFontName(fontDialog.Face());
    }
    Viewer->SetDefFontSize(fontDialog.Size());
    Viewer->SetDefFontColor(fontDialog.TextColor());
    Viewer->update();
}

void TFM_Tavlin::setAddressStyle(bool& on, QAction* entry, QToolButton* button) {
    // The entry and the button may have toggled themselves already; both are set from our state.
    on = !on;
    entry->setChecked(on);
    button->setChecked(on);
}

void TFM_Tavlin::URLinBOLD1Click() {
    setAddressStyle(boldAddresses_, URLinBOLD1, BT_Bold);
}

void TFM_Tavlin::BT_ItalicClick() {
    setAddressStyle(italicAddresses_, URLinITALIC1, BT_Italic);
}

void TFM_Tavlin::LenientReading1Click() {
    if (!writeLenientReading(LenientReading1->isChecked())) {
        showMessage(this, MessageKind::Error, "Cannot create file " + fromPath(settingsFilePath()));
    }
}

void TFM_Tavlin::BT_AboutClick() {
    TFM_Splash splash(this);
    runModal(splash);
}

void TFM_Tavlin::BookmarkFile1Click() {
    std::vector<std::string> lines;
    const QStringList text = M_HELP->toPlainText().split('\n');
    lines.reserve(size_t(text.size()));
    for (const QString& line : text) {
        lines.push_back(line.toStdString());
    }
    Viewer->LoadLines(lines);
}

void TFM_Tavlin::RD_NSClick() {
    ED_HTMLFile->setText(fromPath(storedBookmark_));
    sourceBrowse_ = &TFM_Tavlin::BT_FileNameClick;
}

void TFM_Tavlin::RD_MSIEClick() {
    const std::string favorites = defaultFavoritesFolder();
    ED_HTMLFile->setText(fromPath(favorites));
    sourceBrowse_ = &TFM_Tavlin::BT_FolderBrzClick;
    OpenFolder.FolderName = favorites;
}

void TFM_Tavlin::BT_CloseClick() {
    close();
}

} // namespace tavlin
