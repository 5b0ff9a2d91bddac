#include "app/gui/FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace tavlin {

TFindDialog::TFindDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("FindDialog1");
    setWindowTitle("Find");
    setModal(false);

    auto* label = new QLabel("Fi&nd what:", this);
    ED_Find = new QLineEdit(this);
    ED_Find->setObjectName("ED_Find");
    ED_Find->setMaxLength(255);
    label->setBuddy(ED_Find);
    CHK_MatchCase = new QCheckBox("Match &case", this);
    CHK_MatchCase->setObjectName("CHK_MatchCase");
    BT_FindNext = new QPushButton("&Find Next", this);
    BT_FindNext->setObjectName("BT_FindNext");
    BT_FindNext->setDefault(true);
    BT_FindNext->setEnabled(false);
    auto* cancel = new QPushButton("Cancel", this);
    cancel->setObjectName("BT_Cancel");
    cancel->setAutoDefault(false); // Enter finds; it never cancels

    connect(ED_Find, &QLineEdit::textChanged, this,
            [this](const QString& text) { BT_FindNext->setEnabled(!text.isEmpty()); });
    connect(BT_FindNext, &QPushButton::clicked, this, &TFindDialog::Find);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(label, 0, 0);
    layout->addWidget(ED_Find, 0, 1);
    layout->addWidget(BT_FindNext, 0, 2);
    layout->addWidget(CHK_MatchCase, 1, 0, 1, 2);
    layout->addWidget(cancel, 1, 2);
}

void TFindDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ED_Find->setFocus(Qt::OtherFocusReason);
    ED_Find->selectAll();
}

QString TFindDialog::FindText() const {
    return ED_Find->text();
}

bool TFindDialog::MatchCase() const {
    return CHK_MatchCase->isChecked();
}

} // namespace tavlin
