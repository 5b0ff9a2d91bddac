#include "app/gui/PageMargins.h"

#include "app/gui/Artwork.h"
#include "app/gui/Dialogs.h"
#include "app/gui/MainWindow.h"
#include "viewer/Viewer.h"

#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <climits>
#include <cmath>

namespace tavlin {

namespace {

constexpr const char* kPlaceCaretFirst = "Please place your cusor in Header / Footer box first";

// Millimetres as the field shows them, and back: a field without an integer counts as 0.
int toTenths(double centimetres) {
    return int(std::lround(centimetres * 10));
}

double fieldCentimetres(const QSpinBox* field) {
    bool ok = false;
    const int value = field->cleanText().toInt(&ok);
    return ok ? value / 10.0 : 0.0;
}

} // namespace

TPlaceholderPanel::TPlaceholderPanel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setAlignment(Qt::AlignCenter);
    setCursor(Qt::PointingHandCursor);
    // A click must leave the keyboard focus in the box the text goes to.
    setFocusPolicy(Qt::NoFocus);
}

void TPlaceholderPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QLabel::mouseReleaseEvent(event);
}

TFM_PageMar::TFM_PageMar(QWidget* parent) : QDialog(parent) {
    setObjectName("TFM_PageMar");
    setWindowTitle("Page Margins");
    setFont(designFont());
    PT = marginField("PT");
    PB = marginField("PB");
    PL = marginField("PL");
    PR = marginField("PR");
    ED_Header = new QLineEdit(this);
    ED_Header->setObjectName("ED_Header");
    ED_Footer = new QLineEdit(this);
    ED_Footer->setObjectName("ED_Footer");
    PN_PageNum = placeholderPanel("PN_PageNum", "#PAGENUM");
    PN_FileName = placeholderPanel("PN_FileName", "#FILENAME");
    PN_TimeStamp = placeholderPanel("PN_TimeStamp", "#TIMESTAMP");
    PN_TimeStamp->setToolTip("Insert timestamp to text");
    BT_OK = new QPushButton("OK", this);
    BT_OK->setObjectName("BT_OK");
    BT_OK->setDefault(true);
    BT_Cancel = new QPushButton("Cancel", this);
    BT_Cancel->setObjectName("BT_Cancel");
    connect(BT_OK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BT_Cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* grid = new QGridLayout(this);
    const auto addMargin = [&](int row, int column, const QString& caption, QSpinBox* field) {
        grid->addWidget(new QLabel(caption, this), row, column * 3);
        grid->addWidget(field, row, column * 3 + 1);
        grid->addWidget(new QLabel("mm", this), row, column * 3 + 2);
    };
    addMargin(0, 0, "Top", PT);
    addMargin(0, 1, "Bottom", PB);
    addMargin(1, 0, "Left", PL);
    addMargin(1, 1, "Right", PR);
    grid->addWidget(new QLabel("Header", this), 2, 0);
    grid->addWidget(ED_Header, 2, 1, 1, 5);
    grid->addWidget(new QLabel("Footer", this), 3, 0);
    grid->addWidget(ED_Footer, 3, 1, 1, 5);
    auto* row = new QHBoxLayout;
    for (QWidget* widget : {static_cast<QWidget*>(PN_PageNum), static_cast<QWidget*>(PN_FileName),
                            static_cast<QWidget*>(PN_TimeStamp)}) {
        row->addWidget(widget);
    }
    row->addStretch();
    row->addWidget(BT_OK);
    row->addWidget(BT_Cancel);
    grid->addLayout(row, 4, 0, 1, 6);

    setFixedSize(400, 178);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    PT->setFocus();
}

QSpinBox* TFM_PageMar::marginField(const char* name) {
    auto* field = new QSpinBox(this);
    field->setObjectName(name);
    field->setRange(INT_MIN, INT_MAX); // no limits: what a margin may be is the printer's question
    return field;
}

TPlaceholderPanel* TFM_PageMar::placeholderPanel(const char* name, const QString& caption) {
    auto* panel = new TPlaceholderPanel(caption, this);
    panel->setObjectName(name);
    connect(panel, &TPlaceholderPanel::clicked, this, [this, caption] { InsertPlaceholder(caption); });
    return panel;
}

void TFM_PageMar::SetMargins(const TPrintMargins& margins) {
    PT->setValue(toTenths(margins.Top));
    PB->setValue(toTenths(margins.Bottom));
    PL->setValue(toTenths(margins.Left));
    PR->setValue(toTenths(margins.Right));
}

TPrintMargins TFM_PageMar::Margins() const {
    return {fieldCentimetres(PL), fieldCentimetres(PR), fieldCentimetres(PT), fieldCentimetres(PB)};
}

void TFM_PageMar::InsertPlaceholder(const QString& placeholder) {
    auto* box = qobject_cast<QLineEdit*>(focusWidget());
    if (box != ED_Header && box != ED_Footer) {
        showMessage(this, MessageKind::Information, kPlaceCaretFirst);
        return;
    }
    box->insert(placeholder);
}

void RunPageMarginsDialog(TFM_Tavlin& window) {
    TViewer& viewer = *window.Viewer;
    TFM_PageMar dialog(&window);
    dialog.SetMargins(
        {viewer.PrintMarginLeft, viewer.PrintMarginRight, viewer.PrintMarginTop, viewer.PrintMarginBottom});
    dialog.ED_Header->setText(QString::fromStdString(window.HeaderText));
    dialog.ED_Footer->setText(QString::fromStdString(window.FooterText));
    if (runModal(dialog) != QDialog::Accepted) {
        return;
    }
    const TPrintMargins margins = dialog.Margins();
    viewer.PrintMarginLeft = margins.Left;
    viewer.PrintMarginRight = margins.Right;
    viewer.PrintMarginTop = margins.Top;
    viewer.PrintMarginBottom = margins.Bottom;
    window.HeaderText = dialog.ED_Header->text().toStdString();
    window.FooterText = dialog.ED_Footer->text().toStdString();
}

} // namespace tavlin
