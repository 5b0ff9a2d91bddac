// Form controls in the viewer on the offscreen platform: real widgets typed into and clicked,
// submissions, reset, focus and the widgets' lifetime.
#include "document/FormControl.h"
#include "document/FormImage.h"
#include "document/SectionList.h"
#include "platform/qt/QtFormControl.h"
#include "tests/viewer/ViewerTestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace tavlin::test {
namespace {

const char* const kFormPage = R"html(<form action="/go" method="postal" target="out" enctype="text/plain">
<input name=who value="Ann"> <input type=password name=pw maxlength=4>
<input type=checkbox name=c1 onclick="tick()"> <input type=checkbox name=c2 value=yes checked>
<input type=radio name=col value=red checked> <input type=radio name=COL value=blue>
<input type=hidden name=h value=hid>
<select name=one><option>First<option value=2 selected>Second</select>
<select name=many multiple size=3><option>x<option value=Y selected>y<option>z</select>
<textarea name=t wrap=hard cols=8 rows=3>start</textarea>
<input type=submit name=go value="Go"> <input type=reset>
<input type=image name=map alt=Map width=40 height=30>
</form>)html";

class ViewerForms : public ViewerTest {
protected:
    void load(const std::string& html) {
        viewer->LoadFile(write("form.htm", html));
        surface().repaint(); // painting places the widgets
    }

    TFormControlObj& control(const std::string& name, int nth = 0) {
        for (TFloatingObj* object : *viewer->Document().FormControls) {
            auto* c = dynamic_cast<TFormControlObj*>(object);
            if (c && c->Name == name && nth-- == 0) {
                return *c;
            }
        }
        throw std::runtime_error("no control " + name);
    }
    template <typename W> W* widget(const std::string& name, int nth = 0) {
        auto* qt = dynamic_cast<QtFormControl*>(control(name, nth).Control.get());
        return qt ? qobject_cast<W*>(qt->widget()) : nullptr;
    }
    // Runs the event loop until the posted submission has arrived.
    std::vector<std::string> submitted() {
        for (int i = 0; i < 50 && submissions.empty(); ++i) {
            QTest::qWait(10);
        }
        EXPECT_EQ(submissions.size(), 1u);
        if (submissions.empty()) {
            return {};
        }
        std::vector<std::string> results = submissions.front();
        submissions.clear();
        return results;
    }
    int controlWidgets() {
        return int(
            surface().findChildren<QLineEdit*>().size() + surface().findChildren<QAbstractButton*>().size() +
            surface().findChildren<QListWidget*>().size() + surface().findChildren<QComboBox*>().size() +
            surface().findChildren<QPlainTextEdit*>().size());
    }

    void SetUp() override {
        ViewerTest::SetUp();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(viewer.get()));
        viewer->OnFormSubmit = [this](TViewer*, const std::string& action, const std::string& target,
                                      const std::string& encType, const std::string& method,
                                      std::vector<std::string> results) {
            EXPECT_EQ(action + "|" + target + "|" + encType + "|" + method, "/go|out|text/plain|post");
            submissions.push_back(std::move(results));
        };
    }

    std::vector<std::vector<std::string>> submissions;
};

TEST_F(ViewerForms, UserInputIsSubmittedInControlOrderWithTheButtonLast) {
    load(kFormPage);
    std::vector<std::string> clicks;
    viewer->OnObjectClick = [&](TViewer*, TFormControlObj* obj, const std::string& onClick) {
        clicks.push_back(obj->Name + ":" + onClick);
    };
    auto* who = widget<QLineEdit>("who");
    ASSERT_NE(who, nullptr);
    EXPECT_TRUE(who->isVisible());
    QTest::keyClicks(who, "ie");
    auto* pw = widget<QLineEdit>("pw");
    QTest::keyClicks(pw, "secret");
    EXPECT_EQ(pw->echoMode(), QLineEdit::Password);
    QTest::mouseClick(widget<QCheckBox>("c1"), Qt::LeftButton);
    QTest::mouseClick(widget<QRadioButton>("COL"), Qt::LeftButton);
    EXPECT_FALSE(widget<QRadioButton>("col")->isChecked()); // one group, whatever the case
    QTest::mouseClick(widget<QRadioButton>("COL"), Qt::LeftButton);
    EXPECT_TRUE(widget<QRadioButton>("COL")->isChecked()); // a second click keeps it
    QTest::keyClick(widget<QComboBox>("one"), Qt::Key_Up);
    auto* many = widget<QListWidget>("many");
    QTest::mouseClick(many->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      many->visualItemRect(many->item(2)).center());
    auto* notes = widget<QPlainTextEdit>("t");
    notes->moveCursor(QTextCursor::End);
    QTest::keyClicks(notes, " more words to wrap");
    EXPECT_TRUE(submissions.empty());
    QTest::mouseClick(widget<QPushButton>("go"), Qt::LeftButton);
    EXPECT_TRUE(submissions.empty()); // delivered from the event loop, not inside the click
    const std::vector<std::string> results = submitted();

    ASSERT_EQ(results.size(), 11u);
    const std::vector<std::string> head(results.begin(), results.begin() + 9);
    EXPECT_EQ(head, (std::vector<std::string>{"who=Annie", "pw=secr", "c1=on", "c2=yes", "COL=blue", "h=hid",
                                              "one=First", "many=Y", "many=z"}));
    // Hard wrapping: the lines as shown, joined by line ends.
    std::string text = results[9];
    EXPECT_NE(text.find("\r\n"), std::string::npos) << text;
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;) {
        text.erase(at, 2);
    }
    EXPECT_EQ(text, "t=start more words to wrap");
    EXPECT_EQ(results[10], "go=Go");
    EXPECT_EQ(clicks, (std::vector<std::string>{"c1:tick()", "COL:", "COL:", "one:", "many:", "go:"}));

    // Enter in an edit box submits without any button's pair.
    QTest::keyClick(who, Qt::Key_Return);
    const std::vector<std::string> entered = submitted();
    EXPECT_EQ(entered.front(), "who=Annie");
    EXPECT_EQ(std::count(entered.begin(), entered.end(), "go=Go"), 0);
}

TEST_F(ViewerForms, ResetRestoresEveryInitialValue) {
    load(kFormPage);
    QTest::keyClicks(widget<QLineEdit>("who"), "xx");
    QTest::keyClicks(widget<QLineEdit>("pw"), "ab");
    QTest::mouseClick(widget<QCheckBox>("c1"), Qt::LeftButton);
    QTest::mouseClick(widget<QCheckBox>("c2"), Qt::LeftButton);
    QTest::mouseClick(widget<QRadioButton>("COL"), Qt::LeftButton);
    widget<QComboBox>("one")->setCurrentIndex(0);
    widget<QListWidget>("many")->item(0)->setSelected(true);
    widget<QPlainTextEdit>("t")->setPlainText("changed");
    QTest::mouseClick(widget<QPushButton>(""), Qt::LeftButton); // the reset button has no name
    EXPECT_EQ(widget<QLineEdit>("who")->text(), "Ann");
    EXPECT_EQ(widget<QLineEdit>("pw")->text(), "");
    EXPECT_FALSE(widget<QCheckBox>("c1")->isChecked());
    EXPECT_TRUE(widget<QCheckBox>("c2")->isChecked());
    EXPECT_TRUE(widget<QRadioButton>("col")->isChecked());
    EXPECT_FALSE(widget<QRadioButton>("COL")->isChecked());
    EXPECT_EQ(widget<QComboBox>("one")->currentText(), "Second");
    auto* many = widget<QListWidget>("many");
    EXPECT_FALSE(many->item(0)->isSelected());
    EXPECT_TRUE(many->item(1)->isSelected());
    EXPECT_EQ(widget<QPlainTextEdit>("t")->toPlainText(), "start");
    EXPECT_TRUE(submissions.empty());
}

TEST_F(ViewerForms, AnImageInputClickedAddsItsPointAfterTheOtherPairs) {
    load(kFormPage);
    const auto& input = dynamic_cast<TImageFormControlObj&>(control("map"));
    ASSERT_NE(input.Image, nullptr);
    const QPoint at(input.Image->DrawX + 10, input.Image->DrawYY - viewer->ScrollPosition() + 20);
    click(at);
    const std::vector<std::string> results = submitted();
    ASSERT_GE(results.size(), 2u);
    EXPECT_EQ(results[results.size() - 2], "map.x=10");
    EXPECT_EQ(results.back(), "map.y=20");
    EXPECT_EQ(std::count(results.begin(), results.end(), "go=Go"), 0);
    EXPECT_EQ(dynamic_cast<TImageFormControlObj&>(control("map")).ClickX, -1);
}

TEST_F(ViewerForms, WithoutAHandlerNothingIsSubmitted) {
    viewer->OnFormSubmit = nullptr;
    load(kFormPage);
    QTest::mouseClick(widget<QPushButton>("go"), Qt::LeftButton);
    QTest::qWait(20);
    EXPECT_TRUE(submissions.empty());
}

TEST_F(ViewerForms, TabReachesControlsOutOfViewAndScrollsThemIn) {
    load(paragraphs(40, "<input name=top>") + "<input name=bottom>" + paras(40, 40) + "<input name=last>");
    QApplication::setActiveWindow(viewer.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer.get()));
    auto* top = widget<QLineEdit>("top");
    auto* bottom = widget<QLineEdit>("bottom");
    EXPECT_FALSE(bottom->isVisible());
    top->setFocus();
    ASSERT_TRUE(top->hasFocus());
    // While a control has the focus, those out of view wait far left, shown.
    EXPECT_TRUE(bottom->isVisible());
    EXPECT_EQ(bottom->x(), -4000);
    QTest::keyClick(top, Qt::Key_Tab);
    ASSERT_TRUE(bottom->hasFocus());
    const int y = control("bottom").YPosition();
    EXPECT_GT(viewer->ScrollPosition(), 0);
    EXPECT_LE(viewer->ScrollPosition(), y);
    EXPECT_GE(viewer->ScrollPosition() + surface().height() - 20, y);
    surface().repaint();
    EXPECT_GE(bottom->x(), 0);
    EXPECT_EQ(widget<QLineEdit>("last")->x(), -4000);
    // Focus back on the view: the controls out of view are hidden again.
    viewer->setFocus();
    EXPECT_FALSE(top->isVisible());
    EXPECT_FALSE(widget<QLineEdit>("last")->isVisible());
    EXPECT_TRUE(bottom->isVisible());
}

TEST_F(ViewerForms, ControlsMoveWithScrollAndResize) {
    load(paragraphs(30, "<p>Words before the field, enough of them to wrap <input name=a>"));
    auto* a = widget<QLineEdit>("a");
    const QPoint at = a->pos();
    viewer->ScrollTo(7);
    surface().repaint();
    EXPECT_EQ(a->pos(), at - QPoint(0, 7));
    viewer->ScrollTo(400);
    surface().repaint();
    EXPECT_FALSE(a->isVisible());
    viewer->ScrollTo(0);
    viewer->resize(200, 300);
    surface().repaint();
    EXPECT_TRUE(a->isVisible());
    EXPECT_GT(a->y(), at.y());
}

// A page of many lines, each with an edit box between words.
std::string linesOfEdits(int count) {
    std::string html;
    for (int i = 0; i < count; ++i) {
        html += "Line " + std::to_string(i) + " <input name=e" + std::to_string(i) + "><br>\n";
    }
    return html;
}

TEST_F(ViewerForms, OnlyControlsInViewOrReachedByTabAreOnTheSurface) {
    load(linesOfEdits(300));
    const auto onSurface = [this] {
        return int(surface().findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly).size());
    };
    const int inView = onSurface();
    EXPECT_GT(inView, 5);
    EXPECT_LT(inView, 30);
    EXPECT_EQ(controlWidgets(), 300);
    viewer->ScrollTo(viewer->MaxVScroll() / 2);
    surface().repaint();
    EXPECT_LE(std::abs(onSurface() - inView), 1);
    // While one has the focus, the two that Tab and Shift+Tab reach wait far left as well.
    QApplication::setActiveWindow(viewer.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(viewer.get()));
    viewer->ScrollTo(0);
    surface().repaint();
    auto* first = widget<QLineEdit>("e0");
    first->setFocus();
    EXPECT_LE(onSurface(), inView + 1);
    QTest::keyClick(first, Qt::Key_Tab);
    EXPECT_TRUE(widget<QLineEdit>("e1")->hasFocus());
}

TEST_F(ViewerForms, ControlsKeepWhatTheUserDidWhileOutOfView) {
    load(
        "<select name=s><option>a<option>b</select><select name=l size=2><option>x<option>y<option>z</select>"
        "<input type=checkbox name=c><input name=e><textarea name=t>one</textarea>" +
        paras(60) + "<input name=end>");
    widget<QComboBox>("s")->setCurrentIndex(1);
    auto* list = widget<QListWidget>("l");
    list->setCurrentRow(2);
    list->scrollToBottom();
    const int listTop = control("l").Control->topItem();
    QTest::mouseClick(widget<QCheckBox>("c"), Qt::LeftButton);
    QTest::keyClicks(widget<QLineEdit>("e"), "typed");
    widget<QPlainTextEdit>("t")->appendPlainText("two");
    viewer->setFocus(); // no control keeps its neighbours parked
    viewer->ScrollTo(viewer->MaxVScroll());
    surface().repaint();
    EXPECT_FALSE(list->isVisible());
    EXPECT_NE(list->parentWidget(), &surface());
    viewer->ScrollTo(0);
    surface().repaint();
    EXPECT_TRUE(list->isVisible());
    EXPECT_EQ(widget<QComboBox>("s")->currentText(), "b");
    EXPECT_EQ(list->currentRow(), 2);
    EXPECT_EQ(control("l").Control->topItem(), listTop);
    EXPECT_TRUE(widget<QCheckBox>("c")->isChecked());
    EXPECT_EQ(widget<QLineEdit>("e")->text(), "typed");
    EXPECT_EQ(widget<QPlainTextEdit>("t")->toPlainText(), "one\ntwo");
}

TEST_F(ViewerForms, ASmallScrollMovesControlsWithThePixels) {
    load(linesOfEdits(100));
    auto* edit = widget<QLineEdit>("e3");
    const QPoint at = edit->pos();
    QApplication::processEvents();
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_Down);
        QApplication::processEvents();
        ASSERT_TRUE(edit->isVisible()) << "after step " << i; // not only those the new strip shows
    }
    EXPECT_EQ(edit->pos(), at - QPoint(0, 3 * T32ScrollBar::kSmallChange));
    // What reached the screen is what a full paint of the view shows.
    const QPoint origin = surface().mapTo(viewer->window(), QPoint(0, 0));
    const QImage screen = viewer->screen()
                              ->grabWindow(viewer->window()->winId(), origin.x(), origin.y(),
                                           surface().width(), surface().height())
                              .toImage()
                              .convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(screen, surface().grab().toImage().convertToFormat(QImage::Format_RGB32));
}

TEST_F(ViewerForms, AnotherDocumentRemovesEveryWidget) {
    std::string page;
    for (int i = 0; i < 100; ++i) {
        page += "<input name=e" + std::to_string(i) +
                "><input type=checkbox><input type=radio>"
                "<input type=submit><select><option>a</select>\n";
    }
    load(page + "<textarea></textarea><select size=3><option>b</select>");
    EXPECT_EQ(controlWidgets(), 502);
    const std::string file = write("many.htm", page);
    for (int round = 0; round < 200; ++round) {
        viewer->LoadFile(file);
        ASSERT_EQ(controlWidgets(), 500);
    }
    load("<p>No form here");
    EXPECT_EQ(controlWidgets(), 0);
    EXPECT_TRUE(viewer->Document().Forms.empty());
}

} // namespace
} // namespace tavlin::test
