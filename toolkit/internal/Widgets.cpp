#include "Widgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QTimer>
#include <QMetaObject>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

bool dispatchClick(const ClickHooks& hooks, QMouseEvent* e, bool isDouble) {
    const auto& hook = isDouble                         ? hooks.leftDouble
                       : e->button() == Qt::RightButton ? hooks.right
                                                        : hooks.left;
    if (!hook || (isDouble && e->button() != Qt::LeftButton)) return false;
    QPoint p = e->position().toPoint();
    hook(p.y(), p.x());
    return true;
}

void DialogWidget::closeEvent(QCloseEvent* e) {
    // The owner decides; when it agrees it hides the dialog itself through done().
    e->ignore();
    if (requestEnd) requestEnd(0);
}

void DialogWidget::keyPressEvent(QKeyEvent* e) {
    if (keyHook && keyHook(e->key())) return;
    QDialog::keyPressEvent(e);
}

void DialogWidget::mousePressEvent(QMouseEvent* e) {
    if (!dispatchClick(clicks, e, false)) QDialog::mousePressEvent(e);
}

void DialogWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!dispatchClick(clicks, e, true)) QDialog::mouseDoubleClickEvent(e);
}

void DialogWidget::paintEvent(QPaintEvent* e) {
    if (!background.isNull()) {
        QPainter p(this);
        p.drawImage(0, 0, background);
    }
    QDialog::paintEvent(e);
}

void DialogWidget::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    QWidget* active = QApplication::activeWindow();
    if (active != this) returnTo_ = active;
}

void DialogWidget::hideEvent(QHideEvent* e) {
    QDialog::hideEvent(e);
    if (!returnTo_) return;
    QTimer::singleShot(0, returnTo_.data(), [w = returnTo_] {
        QWidget* modal = QApplication::activeModalWidget();
        if (w && w->isVisible() && (!modal || modal == w)) w->activateWindow();
    });
    returnTo_ = nullptr;
}

void DialogWidget::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    if (resized) resized();
}

void MdiSubWidget::closeEvent(QCloseEvent* e) {
    if (mayClose && !mayClose()) {
        e->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(e);
    if (e->isAccepted() && closed) closed();
}

void MdiSubWidget::changeEvent(QEvent* e) {
    QMdiSubWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && stateChanged)
        stateChanged(isMinimized() ? 1 : isMaximized() ? 2 : 0);
}

void MainWidget::closeEvent(QCloseEvent* e) {
    if (mayClose && !mayClose()) {
        e->ignore();
        return;
    }
    e->accept();
    if (closed) closed();
}

void MainWidget::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (resized)
        resized(isMaximized() ? 2 : 0, centralWidget() ? centralWidget()->width() : width(),
                centralWidget() ? centralWidget()->height() : height());
}

void MainWidget::changeEvent(QEvent* e) {
    QMainWindow::changeEvent(e);
    // Reported once the state change is complete: a window being minimised by
    // showMinimized() is shown again right after this event, which would undo a hide
    // asked for by the handler.
    if (e->type() == QEvent::WindowStateChange && isMinimized())
        QMetaObject::invokeMethod(
            this, [this] {
                if (isMinimized() && resized) resized(1, 0, 0);
            },
            Qt::QueuedConnection);
}

void LabelWidget::mousePressEvent(QMouseEvent* e) {
    if (!dispatchClick(clicks, e, false)) QLabel::mousePressEvent(e);
}

void LabelWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!dispatchClick(clicks, e, true)) QLabel::mouseDoubleClickEvent(e);
}
