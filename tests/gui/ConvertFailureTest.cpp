// "Convert Now" that writes no listing says why and leaves the viewer as it was.
#include "WindowTestFixture.h"

#include "document/SectionList.h"
#include "viewer/Viewer.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace tavlin::test {
namespace {

using ConvertFailureTest = WindowTest;

TEST_F(ConvertFailureTest, EachReasonIsShownAndNoStaleListingIsLoaded) {
    const std::string shown = bookmarkFile();
    start();
    const std::string shownText = window->Viewer->Document().DocumentText();
    // A listing of an earlier conversion lies where the output goes.
    const std::string output = joinPath(sandbox.temp(), "tavl.htm");
    writeFile(output, "<title>Old</title>an earlier listing");
    const std::string empty = sandbox.path("empty.htm");
    writeFile(empty, "");
    const std::string binary = sandbox.path("binary.html");
    writeFile(binary, std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16));
    const std::string noFolder = sandbox.path("NoFavorites");
    const std::string missing = sandbox.path("missing.html");
    const std::string unwritable = sandbox.path("no/such/dir/tavl.htm");

    struct Case {
        bool favorites;
        std::string source;
        std::string output;
        std::string message;
    };
    const Case cases[] = {
        {false, empty, output, "No title line (<TITLE>...</TITLE>) in " + empty + ": no listing written"},
        {false, binary, output, "No title line (<TITLE>...</TITLE>) in " + binary + ": no listing written"},
        {true, noFolder, output, "No such folder: " + noFolder},
        {true, missing, output, "Source not found: " + missing}, // Favorites mode checks nothing first
        {false, shown, unwritable, "Cannot write the listing to " + unwritable},
    };
    for (const Case& c : cases) {
        (c.favorites ? window->RD_MSIE : window->RD_NS)->click();
        window->ED_HTMLFile->setText(QString::fromStdString(c.source));
        window->ED_TempFile->setText(QString::fromStdString(c.output));
        script.messages.clear();
        window->BT_Convert->click();
        expectOneMessage(QMessageBox::Critical, c.message, QMessageBox::Ok);
        EXPECT_EQ(window->Viewer->CurrentFileName(), shown) << c.source;
        EXPECT_EQ(window->Viewer->Document().DocumentText(), shownText) << c.source;
    }
    EXPECT_EQ(readFile(output), "<title>Old</title>an earlier listing");
}

} // namespace
} // namespace tavlin::test
