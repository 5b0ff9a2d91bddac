#include "platform/qt/QtTimer.h"

namespace tavlin {

QtTimer::QtTimer() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (callback_) {
            callback_();
        }
    });
}

void QtTimer::setCallback(std::function<void()> callback) { callback_ = std::move(callback); }

TimerFactory qtTimerFactory() {
    return [] { return std::unique_ptr<Timer>(std::make_unique<QtTimer>()); };
}

} // namespace tavlin
