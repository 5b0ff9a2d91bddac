#pragma once
#include "GuiTestSupport.h"

#include "app/gui/MainWindow.h"
#include "platform/Files.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace tavlin::test {

// A main window in a sandbox of its own, every dialog answered by the script.
class WindowTest : public ::testing::Test {
protected:
    // Makes the window and runs its first activation, as the program's start does.
    TFM_Tavlin& start() {
        window = std::make_unique<TFM_Tavlin>();
        window->FormActivate();
        return *window;
    }
    // The bookmark file the window shows at start.
    std::string bookmarkFile() {
        const std::string path = joinPath(sandbox.home(), "bookmarks.html");
        writeFile(path, sampleBookmarks());
        return path;
    }
    void expectOneMessage(QMessageBox::Icon icon, const std::string& message,
                          QMessageBox::StandardButtons buttons) {
        ASSERT_EQ(script.messages.size(), 1u);
        EXPECT_EQ(script.messages[0].icon, icon);
        EXPECT_EQ(script.messages[0].text.toStdString(), message);
        EXPECT_EQ(script.messages[0].buttons, buttons);
    }

    Sandbox sandbox;
    ModalScript script;
    std::unique_ptr<TFM_Tavlin> window;
};

} // namespace tavlin::test
