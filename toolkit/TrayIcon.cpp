#include "TrayIcon.h"

#include <QCursor>
#include <QPixmap>
#include <QSystemTrayIcon>

#include "App.h"
#include "internal/QtBridge.h"

namespace {
std::optional<bool> availableOverride;
}  // namespace

struct TrayImpl {
    std::unique_ptr<QSystemTrayIcon> icon;  // only where the desktop has a notification area
};

TTrayIcon::TTrayIcon(TrayOptions o) : options_(std::move(o)), impl_(std::make_unique<TrayImpl>()) {
    appEnsure();
    if (!available()) return;
    impl_->icon = std::make_unique<QSystemTrayIcon>(
        QIcon(QPixmap::fromImage(toQImage(options_.icon.picture()))));
    impl_->icon->setToolTip(qs(options_.tooltip));
    QObject::connect(impl_->icon.get(), &QSystemTrayIcon::activated,
                     [this](QSystemTrayIcon::ActivationReason r) {
                         QPoint at = QCursor::pos();
                         if (r == QSystemTrayIcon::Context)
                             rightClick(at.y(), at.x());
                         else if (r == QSystemTrayIcon::DoubleClick)
                             leftDoubleClick();
                     });
    impl_->icon->show();
}

TTrayIcon::~TTrayIcon() = default;

bool TTrayIcon::available() {
    appEnsure();
    return availableOverride.value_or(QSystemTrayIcon::isSystemTrayAvailable());
}

void TTrayIcon::setAvailableForTests(std::optional<bool> available) {
    availableOverride = available;
}

bool TTrayIcon::shown() const {
    return available() && impl_->icon && impl_->icon->isVisible();
}

void TTrayIcon::setTooltip(const std::string& text) {
    options_.tooltip = text;
    if (impl_->icon) impl_->icon->setToolTip(qs(text));
}

void TTrayIcon::rightClick(int row, int col) {
    if (!ended_ && options_.onRightClick) options_.onRightClick(row, col);
}

void TTrayIcon::leftDoubleClick() {
    if (!ended_ && options_.onLeftDoubleClick) options_.onLeftDoubleClick();
}

void TTrayIcon::end() {
    ended_ = true;
    impl_->icon.reset();
}
