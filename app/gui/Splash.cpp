#include "app/gui/Splash.h"

#include "app/Version.h"
#include "app/gui/Artwork.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tavlin {

namespace {

constexpr const char* kDescription = "Tavlin lists the entries of your bookmark file\n"
                                     "and of your Favorites folders: each one with its\n"
                                     "description and its actual web address, grouped\n"
                                     "by folder, to print, save or paste as plain text.\n"
                                     "It also serves as a quick viewer for HTML files.";

QFrame* bevelledPanel(QWidget* parent) {
    auto* outer = new QFrame(parent);
    outer->setFrameStyle(QFrame::Panel | QFrame::Raised);
    outer->setLineWidth(3);
    outer->setAutoFillBackground(true);
    QPalette silver = outer->palette();
    silver.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    outer->setPalette(silver);
    return outer;
}

} // namespace

TFM_Splash::TFM_Splash(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowCloseButtonHint) {
    setObjectName("TFM_Splash");
    setWindowTitle("Tavlin");
    setFixedSize(366, 360);
    setFont(designFont());

    QFrame* panel = bevelledPanel(this);
    auto* inner = new QFrame(panel);
    inner->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    inner->setLineWidth(3);

    auto* logo = new QLabel(inner);
    logo->setObjectName("Image1");
    logo->setPixmap(tavlinLogo());
    logo->setAlignment(Qt::AlignCenter);

    auto* product = new QLabel("Tavlin", inner);
    product->setObjectName("LB_Product");
    QFont title = designFont(14);
    title.setBold(true);
    product->setFont(title);
    product->setAlignment(Qt::AlignCenter);

    LB_Version = new QLabel(QString("ver ") + kProgramVersion, inner);
    LB_Version->setObjectName("LB_Version");
    LB_Version->setAlignment(Qt::AlignCenter);
    // The design text is "ver " and the build's version; the running program says which build it is.
    LB_Version->setText("32bit " + LB_Version->text());

    M_Description = new QPlainTextEdit(inner);
    M_Description->setObjectName("M_Description");
    M_Description->setReadOnly(true);
    M_Description->setFrameStyle(QFrame::NoFrame);
    M_Description->setLineWrapMode(QPlainTextEdit::NoWrap);
    M_Description->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    M_Description->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    M_Description->setPlainText(kDescription);
    M_Description->setPalette(panel->palette());
    M_Description->viewport()->setAutoFillBackground(false);

    BT_OK = new QPushButton("OK", panel);
    BT_OK->setObjectName("BT_OK");
    QFont bold = BT_OK->font();
    bold.setBold(true);
    BT_OK->setFont(bold);
    BT_OK->setDefault(true);
    BT_OK->setVisible(true);
    // OK is the default and the cancel button: Enter and Escape both close the box.
    connect(BT_OK, &QPushButton::clicked, this, &QDialog::accept);

    auto* innerLayout = new QVBoxLayout(inner);
    innerLayout->addWidget(logo);
    innerLayout->addWidget(product);
    innerLayout->addWidget(LB_Version);
    innerLayout->addWidget(M_Description, 1);

    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    buttonRow->addWidget(BT_OK);
    buttonRow->addStretch();

    auto* panelLayout = new QVBoxLayout(panel);
    panelLayout->addWidget(inner, 1);
    panelLayout->addLayout(buttonRow);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(panel);
}

} // namespace tavlin
