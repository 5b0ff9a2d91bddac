// The animation timer through the Qt event loop, as the viewer hands it to the document.
#include "platform/qt/QtTimer.h"
#include "tests/document/DocTestUtil.h"
#include "tests/support/QtTestApp.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace tavlin::test {
namespace {

TEST(QtTimerTest, DocumentTimerTicksThroughTheEventLoopOnlyWhileRunning) {
    ensureQtApplication();
    struct Spinner : TAnimatable {
        void Rewind() override {}
        void StopAnimation() override {}
        void StartAnimation() override {}
        bool StepAnimation() override {
            ++steps;
            return false;
        }
        int steps = 0;
    } spinner;
    spinner.ShownInPaint = true;
    FixedDoc f;
    f.doc.MakeTimer = qtTimerFactory();
    f.doc.AnimatedImages.push_back(&spinner);
    f.Add("text");
    f.Layout(100);
    ASSERT_TRUE(f.doc.AnimationTimer);
    EXPECT_TRUE(f.doc.AnimationTimer->isActive());
    f.doc.AnimationTimer->setInterval(1);
    QElapsedTimer clock;
    clock.start();
    while (spinner.steps < 2 && clock.elapsed() < 3000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_GE(spinner.steps, 2);
    EXPECT_EQ(f.doc.AnimationTimer->interval(), 50); // each step sets the interval back
    f.doc.AnimationTimer->stop();
    const int steps = spinner.steps;
    clock.restart();
    while (clock.elapsed() < 120) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    EXPECT_EQ(spinner.steps, steps);
    f.doc.Clear();
    EXPECT_FALSE(f.doc.AnimationTimer);
}

} // namespace
} // namespace tavlin::test
