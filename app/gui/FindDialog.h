#pragma once
#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace tavlin {

// A modeless find dialog that searches downwards; match case is its only choice.
class TFindDialog : public QDialog {
    Q_OBJECT
public:
    explicit TFindDialog(QWidget* parent = nullptr);

    QString FindText() const;
    bool MatchCase() const;

    QLineEdit* ED_Find = nullptr;
    QCheckBox* CHK_MatchCase = nullptr;
    QPushButton* BT_FindNext = nullptr;

signals:
    void Find();

protected:
    // Every opening starts in the text field with its text selected, whatever had the focus
    // when the dialog was last closed.
    void showEvent(QShowEvent* event) override;
};

} // namespace tavlin
