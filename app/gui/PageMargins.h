#pragma once
#include "viewer/PrintJob.h"

#include <QDialog>
#include <QLabel>
#include <string>

class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tavlin {

class TFM_Tavlin;

// A small panel with a placeholder as its caption; a click inserts the caption.
class TPlaceholderPanel : public QLabel {
    Q_OBJECT
public:
    TPlaceholderPanel(const QString& caption, QWidget* parent);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The page-margins dialog: the four print margins in whole millimetres and the header and footer
// texts, with panels that insert the placeholders.
class TFM_PageMar : public QDialog {
    Q_OBJECT
public:
    explicit TFM_PageMar(QWidget* parent = nullptr);

    // The fields show and give margins in centimetres, as the viewer holds them.
    void SetMargins(const TPrintMargins& margins);
    TPrintMargins Margins() const;

    // Inserts a placeholder at the caret of the header or footer box, whichever was used last;
    // anywhere else it asks the user to go there first.
    void InsertPlaceholder(const QString& placeholder);

    QSpinBox* PT = nullptr;
    QSpinBox* PB = nullptr;
    QSpinBox* PL = nullptr;
    QSpinBox* PR = nullptr;
    QLineEdit* ED_Header = nullptr;
    QLineEdit* ED_Footer = nullptr;
    TPlaceholderPanel* PN_PageNum = nullptr;
    TPlaceholderPanel* PN_FileName = nullptr;
    TPlaceholderPanel* PN_TimeStamp = nullptr;
    QPushButton* BT_OK = nullptr;
    QPushButton* BT_Cancel = nullptr;

private:
    QSpinBox* marginField(const char* name);
    TPlaceholderPanel* placeholderPanel(const char* name, const QString& caption);
};

// "Page Setup": runs the page-margins dialog on the viewer's margins and the window's texts.
void RunPageMarginsDialog(TFM_Tavlin& window);

} // namespace tavlin
