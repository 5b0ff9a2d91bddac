// "Copy to Clipboard": the whole text, no cap, whole characters, and nothing when nothing is shown.
#include "WindowTestFixture.h"

#include "viewer/Viewer.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>

namespace tavlin::test {
namespace {

using CopyToClipboardTest = WindowTest;

std::string bookmarksWith(int entries, const std::string& titlePrefix) {
    std::string file = "<TITLE>Bookmarks</TITLE>\r\n<DL><p>\r\n";
    for (int i = 0; i < entries; ++i) {
        file += "<DT><A HREF=\"http://e.example/" + std::to_string(i) + "\">" + titlePrefix +
                std::to_string(i) + "</A>\r\n";
    }
    return file + "</DL><p>\r\n";
}

size_t count(const QString& text, const QString& what) {
    return size_t(text.count(what));
}

TEST_F(CopyToClipboardTest, NothingShownLeavesTheClipboardAndSaysNothing) {
    start();
    ASSERT_EQ(window->Viewer->CurrentFileName(), "");
    QGuiApplication::clipboard()->setText("kept");
    window->BitBtn1->click();
    EXPECT_TRUE(script.messages.empty());
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "kept");
}

TEST_F(CopyToClipboardTest, AHundredThousandEntriesCopyWhole) {
    const std::string source = sandbox.path("many.html");
    writeFile(source, bookmarksWith(100000, "Entry "));
    start();
    window->ED_HTMLFile->setText(QString::fromStdString(source));
    window->BT_Convert->click();
    window->BitBtn1->click();
    ASSERT_EQ(script.messages.size(), 1u);
    EXPECT_EQ(script.messages[0].text, "Done! You may now paste the bookmark content to your text editor");
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(count(copied, "http://e.example/"), 100000u);
    EXPECT_TRUE(copied.contains("Entry 99999"));
    EXPECT_EQ(window->Viewer->SelectionLength(), 0);
}

TEST_F(CopyToClipboardTest, CjkTitlesCopyAsValidUnicode) {
    const std::string source = sandbox.path("cjk.html");
    writeFile(source, bookmarksWith(3000, "\xE4\xB8\xAD\xE6\x96\x87\xE6\xA0\x87\xE9\xA2\x98 ")); // 中文标题
    start();
    window->ED_HTMLFile->setText(QString::fromStdString(source));
    window->BT_Convert->click();
    window->BitBtn1->click();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(count(copied, QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87\xE6\xA0\x87\xE9\xA2\x98 ")), 3000u);
    EXPECT_FALSE(copied.contains(QChar::ReplacementCharacter));
    EXPECT_FALSE(copied.contains(QChar(0xC3))) << "no byte read as a Windows-1252 character";
}

} // namespace
} // namespace tavlin::test
