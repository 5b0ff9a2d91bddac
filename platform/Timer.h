#pragma once
#include <functional>
#include <memory>

namespace tavlin {

// A repeating timer that runs its callback on the user-interface thread, as a window timer does.
// The engine only starts, stops and re-times it; the toolkit decides how it fires.
class Timer {
public:
    virtual ~Timer() = default;
    virtual void setCallback(std::function<void()> callback) = 0;
    virtual void setInterval(int milliseconds) = 0;
    virtual int interval() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
};

// Makes timers for the engine; the viewer hands one to the document it owns.
using TimerFactory = std::function<std::unique_ptr<Timer>()>;

// A timer without an event loop: it fires only when told to. Headless runs use it, so nothing
// happens behind the program's back, and tests step it by hand.
class ManualTimer : public Timer {
public:
    void setCallback(std::function<void()> callback) override { callback_ = std::move(callback); }
    void setInterval(int milliseconds) override { interval_ = milliseconds; }
    int interval() const override { return interval_; }
    void start() override { active_ = true; }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }
    // Runs the callback as a tick would, when the timer is running.
    void fire() {
        if (active_ && callback_) {
            callback_();
        }
    }

private:
    std::function<void()> callback_;
    int interval_ = 0;
    bool active_ = false;
};

} // namespace tavlin
