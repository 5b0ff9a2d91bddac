#pragma once
#if __has_include(<QApplication>)
#include <QApplication>
using TavlinTestApplication = QApplication;
#else
#include <QGuiApplication>
using TavlinTestApplication = QGuiApplication;
#endif

namespace tavlin::test {

// Tests that draw with Qt need an application object; the first caller makes one for the
// whole test program (a QApplication when the suite links widgets).
inline void ensureQtApplication() {
    if (!QCoreApplication::instance()) {
        static int argc = 1;
        static char name[] = "tavlin-tests";
        static char* argv[] = {name, nullptr};
        static auto* app = new TavlinTestApplication(argc, argv);
        (void)app;
    }
}

} // namespace tavlin::test
