#include "Timer.h"

#include <QTimer>

#include "App.h"

struct TimerImpl {
    QTimer timer;
};

TTimer::TTimer(int intervalMs, std::function<void()> action) : action_(std::move(action)) {
    appEnsure();
    impl_ = std::make_unique<TimerImpl>();
    impl_->timer.setInterval(std::max(intervalMs, 0));
    QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
        if (action_) action_();
    });
}
TTimer::~TTimer() = default;

void TTimer::activate() {
    impl_->timer.start();
}
void TTimer::deactivate() {
    impl_->timer.stop();
}
bool TTimer::active() const {
    return impl_->timer.isActive();
}
int TTimer::interval() const {
    return impl_->timer.interval();
}
void TTimer::setInterval(int ms) {
    impl_->timer.setInterval(std::max(ms, 0));
}
