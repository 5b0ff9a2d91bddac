// "Page Setup", "Print" and "Print Preview" of the main window, on the offscreen platform.
#include "WindowTestFixture.h"

#include "app/gui/MainWindow.h"
#include "app/gui/PageMargins.h"
#include "platform/Files.h"
#include "viewer/Viewer.h"

#include <QLineEdit>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace tavlin::test {
namespace {

constexpr const char* kPlaceCaretFirst = "Please place your cusor in Header / Footer box first";

void typeInto(QSpinBox* field, const QString& text) {
    field->selectAll();
    QTest::keyClicks(field, text);
}

class PageSetupTest : public WindowTest {
protected:
    // Answers the next dialog, which must be the page-margins dialog.
    void onPageMargins(std::function<int(TFM_PageMar&)> respond) {
        script.responders.push_back([respond](QDialog& dialog) {
            auto* margins = qobject_cast<TFM_PageMar*>(&dialog);
            EXPECT_NE(margins, nullptr) << dialog.metaObject()->className();
            return margins ? respond(*margins) : int(QDialog::Rejected);
        });
    }
    std::string pdfText() const {
        QProcess text;
        text.start("pdftotext", {QFile::decodeName(pdf.c_str()), "-"});
        text.waitForFinished();
        return text.readAllStandardOutput().toStdString();
    }
    // The print dialog, accepted as it stands, onto a PDF file.
    void printToPdf() {
        QPrinter& printer = window->Viewer->Printer();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QFile::decodeName(pdf.c_str()));
        script.responders.push_back([](QDialog& dialog) {
            EXPECT_NE(qobject_cast<QPrintDialog*>(&dialog), nullptr);
            return int(QDialog::Accepted);
        });
        window->BT_Print->click();
    }

    std::string pdf = sandbox.path("out.pdf");
};

TEST_F(PageSetupTest, MillimetresGoInAndComeBackAndCancelChangesNothing) {
    start();
    onPageMargins([](TFM_PageMar& dialog) {
        EXPECT_EQ(dialog.windowTitle(), "Page Margins");
        EXPECT_EQ(dialog.PT->text(), "20");
        typeInto(dialog.PL, "25");
        dialog.ED_Header->setText("Page #PAGENUM");
        return int(QDialog::Accepted);
    });
    window->PageSetup1Click();
    EXPECT_DOUBLE_EQ(window->Viewer->PrintMarginLeft, 2.5);
    EXPECT_DOUBLE_EQ(window->Viewer->PrintMarginTop, 2.0);
    EXPECT_EQ(window->HeaderText, "Page #PAGENUM");

    onPageMargins([](TFM_PageMar& dialog) {
        EXPECT_EQ(dialog.PL->text(), "25");
        EXPECT_EQ(dialog.ED_Header->text(), "Page #PAGENUM");
        typeInto(dialog.PT, "90");
        dialog.ED_Footer->setText("changed");
        return int(QDialog::Rejected);
    });
    window->PageSetup1Click();
    EXPECT_DOUBLE_EQ(window->Viewer->PrintMarginTop, 2.0);
    EXPECT_DOUBLE_EQ(window->Viewer->PrintMarginLeft, 2.5);
    EXPECT_EQ(window->FooterText, "");
    EXPECT_EQ(script.dialogs.size(), 2u);
}

TEST_F(PageSetupTest, PlaceholderPanelsInsertAtTheCaretOfHeaderOrFooterOnly) {
    TFM_PageMar dialog;
    EXPECT_EQ(dialog.PN_TimeStamp->toolTip(), "Insert timestamp to text");
    QTest::mouseClick(dialog.PN_PageNum, Qt::LeftButton);
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, kPlaceCaretFirst);

    dialog.ED_Header->setText("Page  of");
    dialog.ED_Header->setFocus();
    dialog.ED_Header->setCursorPosition(5);
    QTest::mouseClick(dialog.PN_PageNum, Qt::LeftButton);
    EXPECT_EQ(dialog.ED_Header->text(), "Page #PAGENUM of");

    dialog.ED_Footer->setText("printed now");
    dialog.ED_Footer->setFocus();
    dialog.ED_Footer->setSelection(8, 3);
    QTest::mouseClick(dialog.PN_TimeStamp, Qt::LeftButton);
    EXPECT_EQ(dialog.ED_Footer->text(), "printed #TIMESTAMP");
    EXPECT_EQ(script.messages.size(), 1u);
}

TEST_F(PageSetupTest, PrintAndPreviewShowTheSamePagesWithHeaderAndFooter) {
    start();
    std::string listing;
    for (int i = 0; i < 150; ++i) {
        listing += "<p>Entry " + std::to_string(i) + "\n";
    }
    const std::string shown = sandbox.path("listing.htm");
    writeFile(shown, listing);
    window->ED_HTMLFile->setText(QFile::decodeName(shown.c_str()));
    window->BT_RestoreClick();
    window->HeaderText = "Page #PAGENUM of the list";
    window->FooterText = "From #FILENAME";
    printToPdf();
    EXPECT_TRUE(script.messages.empty());
    const int pages = window->Viewer->PrintedPage();
    EXPECT_GE(pages, 3);
    const std::string text = pdfText();
    EXPECT_NE(text.find("Page 3 of the list"), std::string::npos);
    EXPECT_NE(text.find("From " + shown), std::string::npos);

    script.responders.push_back([pages](QDialog& dialog) {
        auto* preview = dialog.findChild<QPrintPreviewWidget*>();
        EXPECT_NE(preview, nullptr);
        if (preview) {
            preview->updatePreview();
            EXPECT_EQ(preview->pageCount(), pages);
        }
        return int(QDialog::Rejected);
    });
    window->PrintPreview1Click();
    EXPECT_EQ(script.dialogs.back(), "QPrintPreviewDialog");
}

TEST_F(PageSetupTest, PrintingNothingSaysSoAndWritesNothing) {
    start();
    window->Viewer->ClearDocument();
    printToPdf();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "There is nothing to print.");
    EXPECT_FALSE(fileExists(pdf));
}

} // namespace
} // namespace tavlin::test
