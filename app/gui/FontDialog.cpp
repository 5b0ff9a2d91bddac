#include "app/gui/FontDialog.h"

#include "app/gui/Dialogs.h"
#include "platform/qt/QtCanvas.h"

#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QSpinBox>
#include <algorithm>

namespace tavlin {

TFontDialog::TFontDialog(QWidget* parent) : QDialog(parent) {
    setObjectName("FontDialog1");
    setWindowTitle("Font");

    CB_Face = new QComboBox(this);
    CB_Face->setObjectName("CB_Face");
    CB_Face->setEditable(true); // a face fontconfig maps to another (Times New Roman) may be typed
    CB_Face->setInsertPolicy(QComboBox::NoInsert);
    CB_Face->addItems(QFontDatabase::families());
    ED_Size = new QSpinBox(this);
    ED_Size->setObjectName("ED_Size");
    ED_Size->setRange(kMinSize, kMaxSize);
    BT_Color = new QPushButton("C&olour...", this);
    BT_Color->setObjectName("BT_Color");
    BT_Color->setAutoDefault(false);
    LB_Sample = new QLabel("AaBbYyZz", this);
    LB_Sample->setObjectName("LB_Sample");
    LB_Sample->setAlignment(Qt::AlignCenter);
    LB_Sample->setMinimumSize(220, 60);
    LB_Sample->setAutoFillBackground(true);
    QPalette white = LB_Sample->palette();
    white.setColor(QPalette::Window, Qt::white);
    LB_Sample->setPalette(white);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    connect(CB_Face, &QComboBox::currentTextChanged, this, [this] { ShowSample(); });
    connect(ED_Size, &QSpinBox::valueChanged, this, [this] { ShowSample(); });
    connect(BT_Color, &QPushButton::clicked, this, [this] { ChooseColor(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    auto* faceLabel = new QLabel("&Font:", this);
    faceLabel->setBuddy(CB_Face);
    auto* sizeLabel = new QLabel("&Size:", this);
    sizeLabel->setBuddy(ED_Size);
    layout->addWidget(faceLabel, 0, 0);
    layout->addWidget(CB_Face, 0, 1);
    layout->addWidget(sizeLabel, 1, 0);
    layout->addWidget(ED_Size, 1, 1);
    layout->addWidget(BT_Color, 2, 1, Qt::AlignLeft);
    layout->addWidget(LB_Sample, 3, 0, 1, 2);
    layout->addWidget(buttons, 4, 0, 1, 2);
}

void TFontDialog::Preset(const std::string& face, int size, Color color) {
    CB_Face->setCurrentText(QString::fromStdString(face));
    ED_Size->setValue(std::clamp(size, kMinSize, kMaxSize));
    SetColor(color);
}

std::string TFontDialog::Face() const {
    return CB_Face->currentText().trimmed().toStdString();
}

int TFontDialog::Size() const {
    return ED_Size->value();
}

void TFontDialog::ChooseColor() {
    QColorDialog chooser(QtCanvas::toQColor(color_), this);
    chooser.setObjectName("ColorDialog1");
    chooser.setOption(QColorDialog::DontUseNativeDialog, true);
    if (runModal(chooser) == QDialog::Accepted) {
        SetColor(QtCanvas::fromQColor(chooser.currentColor()));
    }
}

void TFontDialog::SetColor(Color color) {
    color_ = color;
    QPixmap swatch(16, 16);
    swatch.fill(QtCanvas::toQColor(color));
    BT_Color->setIcon(QIcon(swatch));
    ShowSample();
}

void TFontDialog::ShowSample() {
    QFont font(CB_Face->currentText());
    font.setPointSize(ED_Size->value());
    LB_Sample->setFont(font);
    QPalette palette = LB_Sample->palette();
    palette.setColor(QPalette::WindowText, QtCanvas::toQColor(color_));
    LB_Sample->setPalette(palette);
}

} // namespace tavlin
