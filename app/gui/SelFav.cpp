#include "app/gui/SelFav.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileSystemModel>
#include <QListView>
#include <QStorageInfo>
#include <QVBoxLayout>

namespace tavlin {

TFM_SelFav::TFM_SelFav(QWidget* parent) : QDialog(parent) {
    setObjectName("TFM_SelFav");
    setWindowTitle("Select Favorites Directory");
    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName("DriveComboBox1");
    DirectoryListBox1 = new QListView(this);
    DirectoryListBox1->setObjectName("DirectoryListBox1");
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(DriveComboBox1, &QComboBox::currentIndexChanged, this, &TFM_SelFav::openDrive);
    // Into a folder by double click, as the directory list does.
    connect(DirectoryListBox1, &QListView::doubleClicked, this, [this](const QModelIndex& index) {
        if (folders_) {
            DirectoryListBox1->setRootIndex(index);
        }
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(DriveComboBox1);
    layout->addWidget(DirectoryListBox1, 1);
    layout->addWidget(buttons);
    resize(320, 360);
}

void TFM_SelFav::showEvent(QShowEvent* event) {
    // The file-system model watches folders from a thread of its own: made only when shown.
    if (!folders_) {
        folders_ = new QFileSystemModel(this);
        folders_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
        folders_->setRootPath("/");
        DirectoryListBox1->setModel(folders_);
        fillDrives();
    }
    QDialog::showEvent(event);
}

void TFM_SelFav::fillDrives() {
    DriveComboBox1->clear();
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady()) {
            DriveComboBox1->addItem(volume.rootPath(), volume.rootPath());
        }
    }
}

void TFM_SelFav::openDrive(int index) {
    if (folders_ && index >= 0) {
        DirectoryListBox1->setRootIndex(folders_->index(DriveComboBox1->itemData(index).toString()));
    }
}

std::string TFM_SelFav::Directory() const {
    QString path;
    if (folders_) {
        const QModelIndex current = DirectoryListBox1->currentIndex();
        path = current.isValid() ? folders_->filePath(current) : folders_->filePath(DirectoryListBox1->rootIndex());
    }
    return QFile::encodeName(path).toStdString();
}

} // namespace tavlin
