#pragma once
#include "tests/support/QtTestApp.h"
#include "viewer/Viewer.h"
#include "viewer/ViewerParts.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>

namespace tavlin::test {

// A folder of HTML files for one test, and a viewer of a given size to show them in.
class ViewerTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureQtApplication();
        ASSERT_TRUE(dir_.isValid());
        viewer = std::make_unique<TViewer>();
        viewer->resize(400, 300);
        viewer->show(); // a hidden widget hears of no resize
        viewer->SetDefBackground(0xFFFFFF);
        viewer->OnError = [this](TViewer*, const std::string& message) { errors.push_back(message); };
    }
    void TearDown() override { viewer.reset(); }

    std::string path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }

    std::string write(const std::string& name, const std::string& html) const {
        const std::string file = path(name);
        std::ofstream(file, std::ios::binary) << html;
        return file;
    }

    // Numbered paragraphs, each a positioning mark of its own.
    static std::string paras(int count, int first = 0) {
        std::string html;
        for (int i = first; i < first + count; ++i) {
            html += "<p>Paragraph number " + std::to_string(i) + " of the page.</p>\n";
        }
        return html;
    }
    // A page of `count` numbered paragraphs after `extra`.
    static std::string paragraphs(int count, const std::string& extra = {}) {
        return "<html><body>" + extra + paras(count) + "</body></html>";
    }

    QWidget& surface() { return viewer->PaintPanel(); }

    void mouse(QEvent::Type type, Qt::MouseButton button, QPoint at, Qt::MouseButtons held) {
        QMouseEvent event(type, QPointF(at), QPointF(surface().mapToGlobal(at)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&surface(), &event);
    }
    void press(Qt::MouseButton button, QPoint at) { mouse(QEvent::MouseButtonPress, button, at, button); }
    void release(Qt::MouseButton button, QPoint at) {
        mouse(QEvent::MouseButtonRelease, button, at, Qt::NoButton);
    }
    void move(QPoint at, Qt::MouseButtons held = Qt::NoButton) {
        mouse(QEvent::MouseMove, Qt::NoButton, at, held);
    }
    void click(QPoint at) {
        press(Qt::LeftButton, at);
        release(Qt::LeftButton, at);
    }
    void key(Qt::Key k) { QTest::keyClick(viewer.get(), k); }

    std::unique_ptr<TViewer> viewer;
    std::vector<std::string> errors;

private:
    QTemporaryDir dir_;
};

} // namespace tavlin::test
