#pragma once
// TTimer: runs an action every `interval` milliseconds from the event loop while active.
// The object owns its timer; destroying it stops it.
#include <functional>
#include <memory>

struct TimerImpl;

class TTimer {
  public:
    TTimer(int intervalMs, std::function<void()> action);
    ~TTimer();

    void activate();
    void deactivate();
    bool active() const;
    int interval() const;
    void setInterval(int ms);
    void setAction(std::function<void()> action) { action_ = std::move(action); }

  private:
    std::unique_ptr<TimerImpl> impl_;
    std::function<void()> action_;
};
