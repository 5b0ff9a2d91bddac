// The print job on a real PDF printer: page geometry, ranges, the page events, stopping, and the
// guards against documents that print nothing or make no progress.
#include "viewer/PrintJob.h"
#include "document/SectionList.h"
#include "tests/support/QtTestApp.h"
#include "tests/support/TempDir.h"
#include "viewer/HeadlessView.h"
#include "viewer/Printer.h"

#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tavlin::test {
namespace {

// A section that claims no room on any page: it puts the page's break above the page's top.
class StuckSection : public TSectionBase {
public:
    explicit StuckSection(TSectionList* document, int height) : TSectionBase(document) {
        FlowHeight = height;
    }
    int Paint(Canvas&, const Rect&, IndentManager&, int, int, int) override {
        Document->PageBottom = Document->YOffset;
        return ArrangeY + FlowHeight;
    }
};

int pdfPages(const std::string& pdf) {
    QProcess info;
    info.start("pdfinfo", {QString::fromStdString(pdf)});
    info.waitForFinished();
    const QString out = QString::fromLocal8Bit(info.readAllStandardOutput());
    const qsizetype at = out.indexOf("Pages:");
    return at < 0 ? -1 : out.mid(at + 6).section('\n', 0, 0).trimmed().toInt();
}

class PrintJobTest : public ::testing::Test {
protected:
    void SetUp() override {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(pdf()));
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setFullPage(true);
    }
    std::string pdf() const { return dir.file("out.pdf"); }

    // Numbered paragraphs, a little over four A4 pages.
    void loadParagraphs(int count = 200) {
        std::vector<std::string> lines{"<html><body>"};
        for (int i = 0; i < count; ++i) {
            lines.push_back("<p>Paragraph " + std::to_string(i));
        }
        view.LoadLines(lines);
    }
    // Prints with the page events recorded.
    int print(int from, int to, const TSectionList& document) {
        TPrintJob job(document, printer);
        job.OnPrintHeader = [this](QPainter&, int page, int w, int h, bool& stop) {
            headers.push_back({page, w, h});
            stop = page == stopAfter;
        };
        job.OnPrintFooter = [this](QPainter&, int page, int w, int h, bool&) {
            footers.push_back({page, w, h});
        };
        int printed = -1;
        job.Print(from, to, printed);
        return printed;
    }
    int print(int from, int to) { return print(from, to, view.Document()); }

    struct Event {
        int page, w, h;
    };
    bool app = (ensureQtApplication(), true); // before the printer
    TempDir dir;
    QPrinter printer{QPrinter::HighResolution};
    THeadlessView view;
    std::vector<Event> headers;
    std::vector<Event> footers;
    int stopAfter = 0;
};

TEST(PageGeometry, MarginsCountFromThePrintableAreaInBothUnits) {
    // 600 dots per inch, Letter, printable area 50 and 60 dots in from the top-left corner and
    // 50 and 60 short of the others.
    const TPrinterMetrics printer{600, 600, 5100, 6600, 5000, 6480, 50, 60};
    const TPageGeometry g = TPageGeometry::Of(printer, TPrintMargins{}, 96);
    EXPECT_EQ(g.ML, 472 - 50);
    EXPECT_EQ(g.MR, 472 - 50);
    EXPECT_EQ(g.MT, 472 - 60);
    EXPECT_EQ(g.BW, 5000 - 2 * 422);
    EXPECT_EQ(g.BH, 6480 - 2 * 412);
    EXPECT_EQ(g.MLs, 68) << "422 * 96 / 600 = 67.52";
    EXPECT_EQ(g.BHs, 905) << "5656 * 96 / 600 = 904.96";
    EXPECT_EQ(g.PWs, 800);
    // A margin inside the unprintable edge starts the body at the printable area.
    EXPECT_EQ(TPageGeometry::Of(printer, TPrintMargins{0.1, 2, 2, 2}, 96).ML, 0);
    EXPECT_THROW(TPageGeometry::Of(printer, TPrintMargins{11, 11, 2, 2}, 96), EPrinterError);
    EXPECT_THROW(TPageGeometry::Of(printer, TPrintMargins{2, 2, 14, 14}, 96), EPrinterError);
}

TEST(PrinterObject, JobCallsNeedTheRightStateAndTheTitleIsCut) {
    ensureQtApplication();
    TempDir dir;
    QPrinter device(QPrinter::HighResolution);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(QString::fromStdString(dir.file("p.pdf")));
    TvwPrinter printer(device);
    EXPECT_EQ(printer.State(), 0);
    EXPECT_THROW(printer.NewPage(), EPrinterError);
    printer.SetTitle(std::string(40, 'x') + "\xC3\xA9");
    EXPECT_EQ(printer.Title(), std::string(31, 'x'));
    printer.Canvas();
    EXPECT_EQ(printer.State(), 1) << "measuring needs no job";
    printer.BeginDoc();
    EXPECT_EQ(printer.State(), 2);
    EXPECT_THROW(printer.BeginDoc(), EPrinterError);
    printer.NewPage();
    EXPECT_EQ(printer.PageNumber(), 2);
    printer.EndDoc();
    EXPECT_THROW(printer.EndDoc(), EPrinterError);
    EXPECT_EQ(pdfPages(dir.file("p.pdf")), 2);
}

TEST_F(PrintJobTest, ARangeMeasuresTheEarlierPagesAndPrintsOnlyItsOwn) {
    loadParagraphs();
    EXPECT_EQ(print(2, 3), 3);
    ASSERT_EQ(headers.size(), 2u);
    EXPECT_EQ(headers[0].page, 2);
    EXPECT_EQ(headers[1].page, 3);
    ASSERT_EQ(footers.size(), 2u);
    EXPECT_EQ(footers[1].page, 3);
    // Qt's A4 (595 x 842 points) at 96 pixels per inch: 793 x 1123; 2 cm is 76 pixels.
    EXPECT_EQ(headers[0].w, 793);
    EXPECT_EQ(headers[0].h, 76);
    EXPECT_EQ(footers[0].h, 1123 - 76 - 971);
    EXPECT_EQ(pdfPages(pdf()), 2);
}

TEST_F(PrintJobTest, AllPagesEndWithTheDocumentAndStopPrintingEndsAfterThePage) {
    loadParagraphs();
    const int pages = print(1, kLastPage);
    EXPECT_GE(pages, 4);
    EXPECT_EQ(int(headers.size()), pages);
    EXPECT_EQ(pdfPages(pdf()), pages);

    headers.clear();
    stopAfter = 1;
    EXPECT_EQ(print(1, kLastPage), 1);
    EXPECT_EQ(headers.size(), 1u);
    EXPECT_EQ(pdfPages(pdf()), 1);
}

TEST_F(PrintJobTest, ThePreviousPrinterObjectComesBackWhateverHappens) {
    loadParagraphs();
    QPrinter other;
    TvwPrinter previous(other);
    SetCurrentPrinter(&previous);
    TPrintJob job(view.Document(), printer);
    job.OnPrintHeader = [&](QPainter&, int page, int, int, bool&) {
        EXPECT_NE(CurrentPrinter(), &previous);
        EXPECT_NE(CurrentPrinter(), nullptr);
        if (page == 2) {
            throw std::runtime_error("paper jam");
        }
    };
    int printed = 0;
    EXPECT_THROW(job.Print(1, kLastPage, printed), std::runtime_error);
    EXPECT_EQ(printed, 1);
    EXPECT_EQ(CurrentPrinter(), &previous);
    SetCurrentPrinter(nullptr);
}

TEST_F(PrintJobTest, PagesThatMakeNoProgressStillEnd) {
    TSectionList document;
    document.AppendSection(std::make_unique<StuckSection>(&document, 3000));
    // Each page moves on by one body height (971 pixels): 3000 pixels take four pages.
    EXPECT_EQ(print(1, kLastPage, document), 4);
}

TEST_F(PrintJobTest, ALineTallerThanAPageIsCutAcrossPages) {
    // The 1726-pixel line cannot fit the 971-pixel body: it starts on page 1 and goes on on page
    // 2, where the text after it follows.
    view.LoadLines({"<html><body><p>before<p style=\"font-size:1500px\">X<p>end</body></html>"});
    EXPECT_EQ(print(1, kLastPage), 2);
    QProcess text;
    text.start("pdftotext", {"-f", "2", "-l", "2", QString::fromStdString(pdf()), "-"});
    text.waitForFinished();
    EXPECT_TRUE(text.readAllStandardOutput().contains("end"));
}

} // namespace
} // namespace tavlin::test
