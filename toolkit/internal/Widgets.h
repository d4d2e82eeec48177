#pragma once
// The windowing-system side of windows and controls, private to the toolkit.
#include <QDialog>
#include <QEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>

#include "Geometry.h"
#include "Picture.h"

struct WindowImpl {
    QPointer<QWidget> top;  // the top-level widget: a dialog or a main window
    QPointer<QWidget>
        client;  // where controls are placed (the dialog itself, or the main window's centre)
    QPointer<QMainWindow> menuHost;  // where a menu bar goes, when the window takes one
};

struct ControlImpl {
    QPointer<QWidget> widget;
    Rect rect;  // as given, in the parent's units
};

// Mouse and key hooks shared by dialogs and labels: a click at (row, column) in pixels.
struct ClickHooks {
    std::function<void(int row, int col)> left, right, leftDouble;
};

// Sent to a modal box that runs again while still shown (TDialog::pause): for those who
// watch boxes appear, it is shown anew.
inline constexpr QEvent::Type kDialogResumedEvent = QEvent::Type(QEvent::User + 71);

class DialogWidget : public QDialog {
  public:
    explicit DialogWidget(QWidget* parent) : QDialog(parent) {}

    std::function<void(int result)> requestEnd;  // Escape and the close box ask the owner
    std::function<bool(int key)> keyHook;        // true: the key was handled
    std::function<void()> resized;
    ClickHooks clicks;
    QImage background;  // drawn at 0,0 under the controls

    void reject() override {
        if (requestEnd) requestEnd(0);
    }

  protected:
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    // The window that had the keyboard when the box was shown gets it back when the box
    // hides, also where no window manager hands it back.
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    QPointer<QWidget> returnTo_;
};

class MainWidget : public QMainWindow {
  public:
    std::function<bool()> mayClose;
    std::function<void()> closed;  // after a close was accepted
    std::function<void(int sizeType, int width, int height)> resized;

  protected:
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
};

// A child window inside a frame's area. Its state changes are told as size types
// (0 restored, 1 minimised, 2 maximised).
class MdiSubWidget : public QMdiSubWindow {
  public:
    std::function<bool()> mayClose;
    std::function<void()> closed;
    std::function<void(int sizeType)> stateChanged;

  protected:
    void closeEvent(QCloseEvent* e) override;
    void changeEvent(QEvent* e) override;
};

class LabelWidget : public QLabel {
  public:
    explicit LabelWidget(QWidget* parent) : QLabel(parent) {}
    ClickHooks clicks;

  protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
};

// Calls the hook that matches the mouse event; false when there was none.
bool dispatchClick(const ClickHooks& hooks, QMouseEvent* e, bool isDouble);

// The toolkit window whose top-level widget this is; nullptr for other widgets.
class TWindowBase;
TWindowBase* windowOfWidget(const QWidget* top);
