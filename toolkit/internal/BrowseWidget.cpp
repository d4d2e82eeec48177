#include "BrowseWidget.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QTimer>
#include <QWheelEvent>

#include "QtBridge.h"
#include "WBrowse.h"

namespace {
int flagsOf(Qt::KeyboardModifiers m) {
    return (m & Qt::ShiftModifier ? 1 : 0) | (m & Qt::ControlModifier ? 2 : 0);
}
}  // namespace

BrowseWidget::BrowseWidget(QWidget* parent)
    : QWidget(parent), vBar_(new QScrollBar(Qt::Vertical, this)), hBar_(new QScrollBar(Qt::Horizontal, this)) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    for (QScrollBar* bar : {vBar_, hBar_}) {
        bar->setFocusPolicy(Qt::NoFocus);
        bool vertical = bar == vBar_;
        connect(bar, &QAbstractSlider::actionTriggered, this, [this, vertical](int a) { scrollAction(vertical, a); });
    }
}

QImage& BrowseWidget::backing() {
    QSize size = this->size().expandedTo(QSize(1, 1));
    if (backing_.size() != size) {
        backing_ = QImage(size, QImage::Format_RGB32);
        backing_.fill(Qt::white);
    }
    return backing_;
}

void BrowseWidget::showScroll(const TScrollBar& bar) {
    QScrollBar* q = bar.vertical() ? vBar_ : hBar_;
    QSignalBlocker block(q);
    // A slider holds an int: very long tables are shown in proportion.
    q->setRange(int(std::min<long>(bar.nMin, INT_MAX)), int(std::min<long>(bar.nMax, INT_MAX)));
    q->setValue(int(std::min<long>(bar.GetPos(), INT_MAX)));
}

void BrowseWidget::setResizeLine(int x) {
    resizeLine_ = x;
    update();
}

void BrowseWidget::layoutScrollBars() {
    int s = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    vBar_->setGeometry(width() - s, 0, s, std::max(0, height() - s));
    hBar_->setGeometry(0, height() - s, std::max(0, width() - s), s);
}

void BrowseWidget::scrollAction(bool vertical, int action) {
    if (!owner_) return;
    QScrollBar* bar = vertical ? vBar_ : hBar_;
    switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: vertical ? owner_->goDown() : owner_->goRight(); break;
        case QAbstractSlider::SliderSingleStepSub: vertical ? owner_->goUp() : owner_->goLeft(); break;
        case QAbstractSlider::SliderPageStepAdd: vertical ? owner_->pageDown() : owner_->goRight(); break;
        case QAbstractSlider::SliderPageStepSub: vertical ? owner_->pageUp() : owner_->goLeft(); break;
        case QAbstractSlider::SliderMove:
            vertical ? owner_->vScrollTo(bar->sliderPosition()) : owner_->GoToCol(bar->sliderPosition());
            break;
        default: break;
    }
    // The slider applies the action after this; the grid's own position wins.
    QTimer::singleShot(0, this, [this, vertical] {
        if (owner_) showScroll(vertical ? *owner_->oVScroll : *owner_->oHScroll);
    });
}

void BrowseWidget::paintEvent(QPaintEvent*) {
    if (owner_ && !painting_ && backing_.size() != size()) {
        painting_ = true;
        owner_->Refresh();
        painting_ = false;
    }
    QPainter p(this);
    p.drawImage(0, 0, backing_);
    if (resizeLine_ >= 0) {
        p.setPen(QPen(Qt::black, 1, Qt::DotLine));
        p.drawLine(resizeLine_, 0, resizeLine_, height());
    }
}

void BrowseWidget::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    layoutScrollBars();
    if (owner_ && isVisible()) owner_->Refresh();
}

void BrowseWidget::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    layoutScrollBars();
    if (!owner_) return;
    // A window shown without a focused control gives the focus to its grid.
    if (!window()->focusWidget()) setFocus(Qt::OtherFocusReason);
    owner_->windowCreated();
    owner_->Refresh();
}

void BrowseWidget::keyPressEvent(QKeyEvent* e) {
    if (!owner_) return QWidget::keyPressEvent(e);
    int flags = flagsOf(e->modifiers());
    int vk = vkOf(e->key());
    if (vk == vkTab || (vk == 0 && e->text().isEmpty())) return QWidget::keyPressEvent(e);
    if (owner_->bKeyDown && owner_->bKeyDown(vk, flags)) return;
    if (owner_->keyDown(vk, flags)) return;
    // Characters: Enter, Escape, Backspace (127 with Control) and printable text.
    int code = 0;
    if (vk == vkReturn) code = 13;
    else if (vk == vkEscape) code = 27;
    else if (vk == vkBack) code = (flags & 2) ? 127 : 8;
    else if (!e->text().isEmpty() && e->text()[0].isPrint()) code = int(e->text().toUcs4().value(0));
    if (code == 0) return QWidget::keyPressEvent(e);
    owner_->keyChar(code, flags);
    // Escape and Enter also belong to the window (a dialog closes or accepts).
    if (code == 27) QWidget::keyPressEvent(e);
}

void BrowseWidget::mousePressEvent(QMouseEvent* e) {
    if (!owner_) return;
    QPoint p = e->position().toPoint();
    int flags = flagsOf(e->modifiers());
    if (e->button() == Qt::RightButton) owner_->rButtonDown(p.y(), p.x(), flags);
    else if (e->button() == Qt::LeftButton) owner_->lButtonDown(p.y(), p.x(), flags);
}

void BrowseWidget::mouseReleaseEvent(QMouseEvent* e) {
    if (!owner_ || e->button() != Qt::LeftButton) return;
    QPoint p = e->position().toPoint();
    owner_->lButtonUp(p.y(), p.x(), flagsOf(e->modifiers()));
}

void BrowseWidget::mouseMoveEvent(QMouseEvent* e) {
    if (!owner_) return;
    QPoint p = e->position().toPoint();
    owner_->mouseMove(p.y(), p.x(), flagsOf(e->modifiers()) | (e->buttons() & Qt::LeftButton ? 4 : 0));
}

void BrowseWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    if (!owner_ || e->button() != Qt::LeftButton) return;
    QPoint p = e->position().toPoint();
    owner_->lDblClick(p.y(), p.x(), flagsOf(e->modifiers()));
}

void BrowseWidget::wheelEvent(QWheelEvent* e) {
    if (!owner_) return;
    int steps = e->angleDelta().y() / 40;  // three lines a notch
    for (int i = 0; i < std::abs(steps); ++i) steps > 0 ? owner_->goUp() : owner_->goDown();
}

void BrowseWidget::focusInEvent(QFocusEvent* e) {
    QWidget::focusInEvent(e);
    if (owner_) owner_->gotFocus();
}

void BrowseWidget::focusOutEvent(QFocusEvent* e) {
    QWidget::focusOutEvent(e);
    if (owner_ && e->reason() != Qt::PopupFocusReason) owner_->lostFocus();
}
