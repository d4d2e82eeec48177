#include "Meter.h"

#include <QProgressBar>
#include <algorithm>
#include <cmath>

#include "App.h"
#include "Clock.h"
#include "Window.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

constexpr int kSteps = 1000;  // the bar's own range; the percentage is computed here

QProgressBar* barOf(const TControl& c) {
    return static_cast<QProgressBar*>(c.impl().widget.data());
}

std::unique_ptr<ControlImpl> meterImpl(TWindowBase& parent) {
    auto impl = std::make_unique<ControlImpl>();
    auto* bar = new QProgressBar(parent.impl().client);
    bar->setRange(0, kSteps);
    bar->setAlignment(Qt::AlignCenter);
    bar->setTextVisible(true);
    impl->widget = bar;
    return impl;
}

}  // namespace

class MeterObject : public Object {
  public:
    explicit MeterObject(TMeter* m) : bar(m) {}
    std::string className() const override { return "TMETER"; }
    TMeter* bar;
};

TMeter::~TMeter() {
    if (self_) self_->bar = nullptr;
}

Value TMeter::asValue() {
    if (!self_) self_ = std::make_shared<MeterObject>(this);
    return Value(ObjectRef(self_));
}

TMeter* meterOf(const Value& v) {
    if (!v.isObject()) return nullptr;
    auto* m = dynamic_cast<MeterObject*>(v.object().get());
    return m ? m->bar : nullptr;
}

TMeter::TMeter(TWindowBase& parent, MeterOptions o)
    : TControl(parent, o.id, o.rect, meterImpl(parent)), total_(o.total) {
    if (o.font) setFont(*o.font);
    QProgressBar* bar = barOf(*this);
    QPalette pal = bar->palette();
    if (o.barColor) pal.setColor(QPalette::Highlight, toQColor(*o.barColor));
    pal.setColor(QPalette::Text, toQColor(o.textColor.value_or(colors::black)));
    pal.setColor(QPalette::HighlightedText, toQColor(o.textColor.value_or(colors::black)));
    bar->setPalette(pal);
    position_ = o.position;
    display();
}

void TMeter::setTotal(double total) {
    total_ = total;
    set(position_);
}

int TMeter::percent() const {
    if (total_ <= 0) return 0;
    return int(std::floor(std::clamp(position_ / total_, 0.0, 1.0) * 100 + 1e-9));
}

std::string TMeter::shownText() const {
    return std::to_string(percent()) + "%";
}

void TMeter::set(double position) {
    position_ = std::isnan(position) ? 0 : std::max(position, 0.0);
    if (total_ > 0) position_ = std::min(position_, total_);
    // Jobs call this for every few records: the bar is touched only when what it shows
    // changes, and the clock read only when there is something new to paint.
    if (stepsOf() != shownSteps_ || percent() != shownPercent_) display();
    if (shownPercent_ == paintedPercent_) return;
    double now = clockSeconds();
    bool due = now - lastRefresh_ >= kRefreshMs / 1000.0;
    bool finished = total_ > 0 && position_ >= total_;
    if (shownPercent_ != paintedPercent_ && (due || finished)) {
        lastRefresh_ = now;
        paintedPercent_ = shownPercent_;
        SysRefresh();
    }
}

// The bar moves in thousandths; the text is the whole percentage, never rounded up to
// 100% before the job is done.
int TMeter::stepsOf() const {
    return total_ > 0 ? int(std::lround(std::clamp(position_ / total_, 0.0, 1.0) * kSteps)) : 0;
}

void TMeter::display() {
    QProgressBar* bar = barOf(*this);
    int steps = stepsOf();
    shownSteps_ = steps;
    bar->setValue(steps);
    shownPercent_ = percent();
    bar->setFormat(qs(shownText()));
}
