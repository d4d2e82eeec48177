#include "App.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWindow>
#include <chrono>
#include <cmath>
#include <ctime>
#include <set>
#include <thread>
#include <vector>

#include "Clock.h"
#include "Keyboard.h"
#include "internal/QtBridge.h"

namespace {

std::function<double()>& clockOverride() {
    static std::function<double()> f;
    return f;
}
std::function<bool(Key)>& keyboardOverride() {
    static std::function<bool(Key)> f;
    return f;
}


// The application object: it sees every event once on its way in, which is where the key
// state is kept. An event from the platform reaches its window first and is then
// forwarded to the focused widget; only the delivery to a widget counts.
class Application : public QApplication {
  public:
    Application(int& argc, char** argv) : QApplication(argc, argv) {}

    bool notify(QObject* receiver, QEvent* e) override {
        if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) &&
            receiver->isWidgetType()) {
            auto* k = static_cast<QKeyEvent*>(e);
            if (!k->isAutoRepeat()) {
                if (e->type() == QEvent::KeyPress) {
                    down.insert(keyFromQt(k->key()));
                    ++presses;
                } else {
                    down.erase(keyFromQt(k->key()));
                }
            }
        }
        return QApplication::notify(receiver, e);
    }

    std::set<Key> down;
    long presses = 0;
};

Application* app = nullptr;

}  // namespace

void appEnsure() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "urnalia";
    static char* argv[] = {name, nullptr};
    app = new Application(argc, argv);  // lives for the whole process
}

void SysRefresh() {
    appEnsure();
    QApplication::sendPostedEvents();
    QApplication::processEvents(QEventLoop::AllEvents);
}

bool waitWithEvents(double seconds, bool untilKey) {
    appEnsure();
    double end = clockSeconds() + seconds;
    long presses = keyPressCount();
    while (clockSeconds() < end) {
        SysRefresh();
        if (untilKey && keyPressCount() != presses) return true;
        if (!clockOverride()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

// Only the program's own loop is asked to end: quitting while no loop runs would make
// every later modal loop return at once.
bool mainLoopRunning = false;

int runEventLoop() {
    appEnsure();
    mainLoopRunning = true;
    int code = QApplication::exec();
    mainLoopRunning = false;
    return code;
}

void quitEventLoop(int code) {
    if (mainLoopRunning) QApplication::exit(code);
}

// ---- clock ------------------------------------------------------------------------------

double clockSeconds() {
    if (clockOverride()) return clockOverride()();
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    double fraction = duration<double>(now.time_since_epoch()).count() - double(t);
    return double(t) + double(local.tm_gmtoff) + fraction;
}

int clockSecond() {
    auto whole = static_cast<long long>(std::floor(clockSeconds()));
    return int(((whole % 60) + 60) % 60);
}

Date clockToday() {
    auto days = static_cast<long long>(std::floor(clockSeconds() / 86400));
    return Date::fromYmd(1970, 1, 1).plusDays(days);
}

int clockYear() {
    return clockToday().year();
}

void setClockForTests(std::function<double()> secondsSinceEpoch) {
    clockOverride() = std::move(secondsSinceEpoch);
}

// ---- keyboard ---------------------------------------------------------------------------

namespace {

// While the keyboard is read, windows do not paint: the requests to paint are held and
// made again afterwards, so nothing is lost and no painting code runs in the middle of
// the caller's work.
class PaintHold : public QObject {
  public:
    PaintHold() { qApp->installEventFilter(this); }
    ~PaintHold() override {
        qApp->removeEventFilter(this);
        for (const QPointer<QWidget>& w : held_)
            if (w) QCoreApplication::postEvent(w, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
        for (const QPointer<QWindow>& window : exposed_)
            if (window)
                for (QWidget* w : QApplication::topLevelWidgets())
                    if (w->windowHandle() == window) w->update();
    }
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::UpdateRequest && o->isWidgetType()) {
            held_.push_back(static_cast<QWidget*>(o));
            return true;
        }
        if (e->type() == QEvent::Expose && o->isWindowType()) {
            exposed_.push_back(static_cast<QWindow*>(o));
            return true;
        }
        return false;
    }

  private:
    std::vector<QPointer<QWidget>> held_;
    std::vector<QPointer<QWindow>> exposed_;
};

// Lets the input that waits arrive, so the key state follows it, and the calls already
// posted run; timers, socket notifiers and painting wait for the event loop.
void processInputEvents() {
    PaintHold hold;
    QApplication::processEvents(QEventLoop::X11ExcludeTimers | QEventLoop::ExcludeSocketNotifiers);
}

}  // namespace

bool keyDown(Key k) {
    appEnsure();
    processInputEvents();
    if (keyboardOverride()) return keyboardOverride()(k);
    if (k == Key::Shift) return QGuiApplication::queryKeyboardModifiers() & Qt::ShiftModifier;
    if (k == Key::Control) return QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier;
    return app && app->down.count(k) > 0;
}

long keyPressCount() {
    return app ? app->presses : 0;
}

void setKeyboardForTests(std::function<bool(Key)> isDown) {
    keyboardOverride() = std::move(isDown);
}
