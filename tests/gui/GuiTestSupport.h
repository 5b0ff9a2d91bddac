#pragma once
#include "app/gui/Dialogs.h"

#include <QDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace tavlin::test {

// A message box as the user would have seen it.
struct ShownMessage {
    QMessageBox::Icon icon;
    QString text;
    QMessageBox::StandardButtons buttons;
};

// Answers every modal dialog while it lives, so no test waits for a user. Message boxes are
// recorded and answered from messageAnswers (the box's escape button when that runs dry); other
// dialogs are handed to the responders in order (rejected when none is left) and their class
// names recorded.
class ModalScript {
public:
    ModalScript();
    ~ModalScript();
    ModalScript(const ModalScript&) = delete;
    ModalScript& operator=(const ModalScript&) = delete;

    std::vector<ShownMessage> messages;
    std::vector<std::string> dialogs;
    std::deque<QMessageBox::StandardButton> messageAnswers;
    std::deque<std::function<int(QDialog&)>> responders;

    // Queues a file dialog answered with this path, or cancelled when the path is empty.
    void chooseFile(const std::string& path);

private:
    int answer(QDialog& dialog);
    ModalHook previous_;
};

// A sandbox for one test: TAVLIN_INI, HOME and TEMP point into a fresh temporary folder, so the
// settings file and the defaults derived from them are the test's own.
class Sandbox {
public:
    Sandbox();
    ~Sandbox();

    std::string root() const; // the sandbox folder itself
    std::string path(const std::string& relative) const;
    std::string iniPath() const { return path("TAVREG.INI"); }
    std::string home() const { return path("home"); }
    std::string temp() const { return path("tmp"); }

private:
    QTemporaryDir dir_;
    std::vector<std::pair<std::string, std::string>> saved_; // variables to put back
};

// Small file helpers.
void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
void makeDirectory(const std::string& path);
// A Netscape bookmark file with a title line and two entries, the later one first in title order.
std::string sampleBookmarks();

} // namespace tavlin::test
