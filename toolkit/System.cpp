#include "System.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>
#include <QUrl>

#include "App.h"
#include "internal/QtBridge.h"

namespace {
std::function<bool(const std::string&)>& opener() {
    static std::function<bool(const std::string&)> f;
    return f;
}
}  // namespace

int captionHeight() {
    appEnsure();
    return QApplication::style()->pixelMetric(QStyle::PM_TitleBarHeight);
}

int menuBarHeight() {
    appEnsure();
    QMenuBar bar;
    bar.addMenu(QStringLiteral("&Archivo"));
    return bar.sizeHint().height();
}

int scrollBarWidth() {
    appEnsure();
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

namespace {
QRect screenArea() {
    appEnsure();
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}
}  // namespace

int screenWidth() {
    return screenArea().width();
}
int screenHeight() {
    return screenArea().height();
}

bool OpenUrl(const std::string& address) {
    if (opener()) return opener()(address);
    appEnsure();
    return QDesktopServices::openUrl(QUrl(qs(address), QUrl::TolerantMode));
}

void setUrlOpenerForTests(std::function<bool(const std::string&)> f) {
    opener() = std::move(f);
}

Color systemColor(SystemColor which) {
    appEnsure();
    QPalette pal = QApplication::palette();
    switch (which) {
        case SystemColor::ButtonText: return fromQColor(pal.color(QPalette::ButtonText));
        case SystemColor::ButtonFace: return fromQColor(pal.color(QPalette::Button));
        case SystemColor::Window: return fromQColor(pal.color(QPalette::Base));
        case SystemColor::WindowText: return fromQColor(pal.color(QPalette::Text));
    }
    return colors::black;
}

void systemBeep() {
    appEnsure();
    QApplication::beep();
}
