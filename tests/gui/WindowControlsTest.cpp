// The find dialog's focus, "Set Font" and the smallest window.
#include "WindowTestFixture.h"

#include "app/gui/FindDialog.h"
#include "app/gui/FontDialog.h"
#include "viewer/Viewer.h"

#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace tavlin::test {
namespace {

using WindowControlsTest = WindowTest;

TEST_F(WindowControlsTest, FindDialogOpensInItsTextFieldEveryTime) {
    start();
    window->show();
    TFindDialog& find = *window->FindDialog1;
    window->BitBtn2->click();
    EXPECT_EQ(find.focusWidget(), find.ED_Find);
    QTest::keyClicks(find.ED_Find, "site");
    auto* cancel = find.findChild<QPushButton*>("BT_Cancel");
    ASSERT_NE(cancel, nullptr);
    cancel->setFocus();
    cancel->click();
    EXPECT_FALSE(find.isVisible());

    window->BitBtn2->click();
    EXPECT_EQ(find.focusWidget(), find.ED_Find);
    EXPECT_EQ(find.ED_Find->selectedText(), "site") << "typing replaces the last search";
}

TEST_F(WindowControlsTest, SetFontOffersTheViewersFontAndColour) {
    start();
    window->Viewer->SetDefFontColor(rgb(0x10, 0x20, 0x30));
    script.responders.push_back([](QDialog& dialog) {
        auto& fonts = dynamic_cast<TFontDialog&>(dialog);
        EXPECT_EQ(fonts.Face(), "Times New Roman");
        EXPECT_EQ(fonts.Size(), 10);
        EXPECT_EQ(fonts.TextColor(), rgb(0x10, 0x20, 0x30));
        fonts.CB_Face->setCurrentText("Liberation Mono");
        fonts.ED_Size->setValue(14);
        fonts.BT_Color->click(); // the colour chooser, answered below
        return int(QDialog::Accepted);
    });
    script.responders.push_back([](QDialog& dialog) {
        auto& colours = dynamic_cast<QColorDialog&>(dialog);
        EXPECT_EQ(colours.currentColor(), QColor(0x10, 0x20, 0x30));
        colours.setCurrentColor(QColor(0x80, 0, 0));
        return int(QDialog::Accepted);
    });
    window->BT_ViewFont->click();
    EXPECT_EQ(window->Viewer->DefFontName(), "Liberation Mono");
    EXPECT_EQ(window->Viewer->DefFontSize(), 14);
    EXPECT_EQ(window->Viewer->DefFontColor(), rgb(0x80, 0, 0));

    // Cancel changes nothing.
    script.responders.push_back([](QDialog& dialog) {
        dynamic_cast<TFontDialog&>(dialog).ED_Size->setValue(30);
        return int(QDialog::Rejected);
    });
    window->BT_ViewFont->click();
    EXPECT_EQ(window->Viewer->DefFontSize(), 14);
}

TEST_F(WindowControlsTest, TheSmallestWindowStillShowsTheViewer) {
    start();
    window->show();
    window->resize(1, 1);
    QCoreApplication::processEvents();
    EXPECT_GE(window->Viewer->height(), 100);
    EXPECT_GE(window->Viewer->width(), 200);
}

} // namespace
} // namespace tavlin::test
