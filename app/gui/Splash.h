#pragma once
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace tavlin {

// The about box: logo, product name, version and a short description, closed by OK.
class TFM_Splash : public QDialog {
    Q_OBJECT
public:
    explicit TFM_Splash(QWidget* parent = nullptr);

    QLabel* LB_Version = nullptr;
    QPlainTextEdit* M_Description = nullptr;
    QPushButton* BT_OK = nullptr;
};

} // namespace tavlin
