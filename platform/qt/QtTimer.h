#pragma once
#include "platform/Timer.h"

#include <QTimer>

namespace tavlin {

// The engine's Timer over a QTimer: it fires through the Qt event loop of the thread that made it.
class QtTimer : public Timer {
public:
    QtTimer();
    void setCallback(std::function<void()> callback) override;
    void setInterval(int milliseconds) override { timer_.setInterval(milliseconds); }
    int interval() const override { return timer_.interval(); }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
    std::function<void()> callback_;
};

// A TimerFactory that makes QtTimers.
TimerFactory qtTimerFactory();

} // namespace tavlin
