#include "GuiTestSupport.h"

#include "platform/Files.h"

#include <QDir>
#include <QFile>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace tavlin::test {

ModalScript::ModalScript() {
    previous_ = setModalHook([this](QDialog& dialog) { return answer(dialog); });
}

ModalScript::~ModalScript() {
    setModalHook(previous_);
}

int ModalScript::answer(QDialog& dialog) {
    if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
        messages.push_back({box->icon(), box->text(), box->standardButtons()});
        if (messageAnswers.empty()) {
            return box->escapeButton() ? box->standardButton(box->escapeButton()) : QMessageBox::Cancel;
        }
        const QMessageBox::StandardButton button = messageAnswers.front();
        messageAnswers.pop_front();
        return button;
    }
    dialogs.push_back(dialog.metaObject()->className());
    if (responders.empty()) {
        return QDialog::Rejected;
    }
    auto responder = std::move(responders.front());
    responders.pop_front();
    return responder(dialog);
}

void ModalScript::chooseFile(const std::string& path) {
    responders.push_back([path](QDialog& dialog) {
        auto* files = qobject_cast<QFileDialog*>(&dialog);
        EXPECT_NE(files, nullptr) << "expected a file dialog, got " << dialog.metaObject()->className();
        if (!files || path.empty()) {
            return int(QDialog::Rejected);
        }
        files->selectFile(QFile::decodeName(path.c_str()));
        return int(QDialog::Accepted);
    });
}

Sandbox::Sandbox() {
    EXPECT_TRUE(dir_.isValid());
    makeDirectory(home());
    makeDirectory(temp());
    for (const auto& [name, value] : {std::pair{"TAVLIN_INI", iniPath()},
                                      {"HOME", home()},
                                      {"XDG_CONFIG_HOME", path("home/.config")},
                                      {"TEMP", temp()}}) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? old : "");
        ::setenv(name, value.c_str(), 1);
    }
}

Sandbox::~Sandbox() {
    for (const auto& [name, value] : saved_) {
        if (value.empty()) {
            ::unsetenv(name.c_str());
        } else {
            ::setenv(name.c_str(), value.c_str(), 1);
        }
    }
}

std::string Sandbox::root() const {
    return QFile::encodeName(dir_.path()).toStdString();
}

std::string Sandbox::path(const std::string& relative) const {
    return joinPath(root(), relative);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
    ASSERT_TRUE(out.good()) << path;
}

std::string readFile(const std::string& path) {
    return readWholeFile(path).value_or("<missing>");
}

void makeDirectory(const std::string& path) {
    ASSERT_TRUE(QDir().mkpath(QFile::decodeName(path.c_str()))) << path;
}

std::string sampleBookmarks() {
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\r\n"
           "<TITLE>Bookmarks</TITLE>\r\n"
           "<H1>Bookmarks</H1>\r\n"
           "<DL><p>\r\n"
           "    <DT><A HREF=\"http://zebra.example/\" ADD_DATE=\"100\">Zebra site</A>\r\n"
           "    <DT><A HREF=\"http://apple.example/\" ADD_DATE=\"200\">Apple site</A>\r\n"
           "</DL><p>\r\n";
}

} // namespace tavlin::test
