#pragma once
#include <QDialog>
#include <string>

class QComboBox;
class QFileSystemModel;
class QListView;

namespace tavlin {

// The favorites-directory chooser: a list of drives (here the mounted file systems) above the
// folders of the chosen one. The program makes it at start; no command opens it yet.
class TFM_SelFav : public QDialog {
    Q_OBJECT
public:
    explicit TFM_SelFav(QWidget* parent = nullptr);

    // The folder chosen in the list; the drive's root when none is.
    std::string Directory() const;

    QComboBox* DriveComboBox1 = nullptr;
    QListView* DirectoryListBox1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void fillDrives();
    void openDrive(int index);

    QFileSystemModel* folders_ = nullptr;
};

} // namespace tavlin
