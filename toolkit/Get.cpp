#include "Get.h"

#include <QApplication>
#include <QClipboard>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QTimer>

#include "Keyboard.h"
#include "Window.h"
#include "getMask.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {


constexpr int kMargin = 3;  // pixels between the frame and the text

// While a refused field takes the focus back, the field that had it does not judge itself.
bool gRestoringFocus = false;

class GetWidget : public QWidget {
  public:
    // The field goes before its widget; from then on the widget is inert.
    void detach() { owner_ = nullptr; }

    GetWidget(QWidget* parent, TGet* owner) : QWidget(parent), owner_(owner) {
        setFocusPolicy(Qt::StrongFocus);
        setAttribute(Qt::WA_InputMethodEnabled);
        setCursor(Qt::IBeamCursor);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        if (!owner_) return;
        QPainter p(this);
        QColor back = toQColor(owner_->backColor().value_or(colors::white));
        p.fillRect(rect(), back);
        p.setPen(QColor(128, 128, 128));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setPen(toQColor(owner_->textColor()));
        p.setFont(font());
        QString text = qs(owner_->text());
        QRect inner = rect().adjusted(kMargin, 0, -kMargin, 0);
        p.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
        if (owner_->caretShown() && hasFocus()) {
            QFontMetrics fm(font());
            int x = kMargin + fm.horizontalAdvance(text.left(owner_->caretPos()));
            int h = owner_->caretHeight() > 0 ? owner_->caretHeight() : fm.height();
            p.fillRect(QRect(x, (height() - h) / 2, owner_->caretWidth(), h), toQColor(owner_->textColor()));
        }
    }

    void keyPressEvent(QKeyEvent* e) override {
        if (!owner_) return QWidget::keyPressEvent(e);
        int flags = (e->modifiers() & Qt::ShiftModifier ? keyflags::shift : 0) |
                    (e->modifiers() & Qt::ControlModifier ? keyflags::control : 0);
        int vk = vkOf(e->key());
        if (owner_->keyDown(vk, flags)) return;
        if (vk == vkUp || vk == vkDown) {
            focusNextPrevChild(vk == vkDown);
            return;
        }
        QString text = e->text();
        // Alt and a letter is a mnemonic of the window (a button, a menu), never typed.
        bool alt = e->modifiers() & Qt::AltModifier;
        if (!text.isEmpty() && text[0].isPrint() && !(flags & keyflags::control) && !alt) {
            for (char32_t c : text.toUcs4()) owner_->keyChar(c);
            return;
        }
        QWidget::keyPressEvent(e);  // Enter, Escape and Tab belong to the window
    }

    // The window going to the background and back, or a pop-up menu, neither enters nor
    // leaves the field.
    void focusInEvent(QFocusEvent* e) override {
        QWidget::focusInEvent(e);
        if (!owner_ || inside_) return;
        if (owner_->bWhen && !owner_->bWhen()) {
            focusNextPrevChild(e->reason() != Qt::BacktabFocusReason);
            return;
        }
        inside_ = true;
        owner_->gotFocus();
    }

    void focusOutEvent(QFocusEvent* e) override {
        QWidget::focusOutEvent(e);
        bool away = e->reason() == Qt::ActiveWindowFocusReason || e->reason() == Qt::PopupFocusReason;
        if (!owner_ || !inside_ || away) return;
        inside_ = false;
        owner_->lostFocus();
    }

    void mousePressEvent(QMouseEvent* e) override {
        if (!owner_) return;
        if (e->button() == Qt::RightButton) {
            QPoint p = e->position().toPoint();
            owner_->handleEvent(kContextMenuMessage, 0, (intptr_t(p.y()) << 16) | p.x());
            return;
        }
        setFocus(Qt::MouseFocusReason);
        QFontMetrics fm(font());
        QString text = qs(owner_->text());
        int pos = 0;
        while (pos < text.size() && kMargin + fm.horizontalAdvance(text.left(pos + 1)) <= e->position().x()) ++pos;
        owner_->setCaretPos(pos);
    }

    void contextMenuEvent(QContextMenuEvent* e) override {
        if (!owner_) return;
        owner_->handleEvent(kContextMenuMessage, 0, (intptr_t(e->pos().y()) << 16) | e->pos().x());
    }

  private:
    TGet* owner_;
    bool inside_ = false;  // the field was entered and not yet left
};

std::unique_ptr<ControlImpl> getImpl(TWindowBase& parent, TGet* owner) {
    auto impl = std::make_unique<ControlImpl>();
    impl->widget = new GetWidget(parent.impl().client, owner);
    return impl;
}

}  // namespace

GetBinding GetBinding::to(Value& v) {
    return GetBinding{[&v] { return v; }, [&v](const Value& x) { v = x; }};
}

TGet::TGet(TWindowBase& parent, GetOptions o)
    : TControl(parent, o.id, o.rect, getImpl(parent, this)),
      bValid(std::move(o.bValid)),
      bWhen(std::move(o.bWhen)),
      binding_(std::move(o.binding)),
      picture_(o.picture) {
    setFont(o.font.value_or(TFont()));
    setColors(o.textColor.value_or(colors::black), o.backColor.value_or(colors::white));
    load(binding_.get ? binding_.get() : Value(""), true);
}

TGet::~TGet() {
    if (auto* w = static_cast<GetWidget*>(impl_->widget.data())) w->detach();
}

std::string TGet::text() const {
    return buffer_->text();
}
Value TGet::value() const {
    return buffer_->changed() ? buffer_->value() : shown_;
}

void TGet::load(const Value& v, bool fromBinding) {
    bool insert = buffer_ ? buffer_->insertMode : true;
    buffer_ = std::make_unique<EditBuffer>(GetPicture::parse(picture_), v);
    buffer_->insertMode = insert;
    shown_ = v;
    fromBinding_ = fromBinding;
    repaint();
}

bool TGet::edited() const {
    return !fromBinding_ || buffer_->changed();
}

void TGet::setValue(const Value& v) {
    load(v, false);
}

void TGet::refresh() {
    if (binding_.get) load(binding_.get(), true);
}

void TGet::assign() {
    if (binding_.set && edited() && buffer_->valid() && !buffer_->overflow()) binding_.set(value());
}

void TGet::setPicture(const std::string& picture) {
    GetPicture::parse(picture);  // a bad picture leaves the field as it was
    Value v = value();
    bool fromBinding = !edited();
    picture_ = picture;
    load(v, fromBinding);
}

bool TGet::insertMode() const {
    return buffer_->insertMode;
}
void TGet::setInsertMode(bool on) {
    buffer_->insertMode = on;
}
int TGet::caretPos() const {
    return buffer_->caret();
}
void TGet::setCaretPos(int pos) {
    buffer_->setCaret(pos);
    repaint();
}

void TGet::setCaretShape(int width, int height) {
    caretWidth_ = std::max(width, 1);
    caretHeight_ = std::max(height, 0);
    repaint();
}
void TGet::showCaret(bool on) {
    caretShown_ = on;
    repaint();
}
int TGet::charHeight() const {
    return font_.textHeight();
}

std::optional<long> TGet::handleEvent(int message, intptr_t, intptr_t lParam) {
    if (message != kContextMenuMessage) return std::nullopt;
    QWidget* w = impl_->widget;
    QMenu menu(w);
    menu.addAction(QStringLiteral("&Copiar"), [this] { QApplication::clipboard()->setText(qs(text())); });
    menu.addAction(QStringLiteral("&Pegar"), [this] {
        for (char32_t c : QApplication::clipboard()->text().toUcs4()) keyChar(c);
    });
    menu.addAction(QStringLiteral("&Borrar"), [this] {
        buffer_->clear();
        repaint();
    });
    menu.exec(w->mapToGlobal(QPoint(int(lParam & 0xFFFF), int(lParam >> 16))));
    return 0;
}

void TGet::gotFocus() {
    buffer_->restart();
    setCaretShape(1, charHeight());
    showCaret(true);
}

void TGet::lostFocus() {
    showCaret(false);
    bool complete = buffer_->valid();
    if (complete && edited()) {
        if (buffer_->overflow()) {
            refresh();  // what is left of the stars stands for no value
        } else {
            assign();
            load(value(), true);  // numbers take their tidy form again
        }
    }
    if (gRestoringFocus) return;
    if (lValid()) {
        if (!complete) refresh();  // let go anyway: the value kept is shown again
        return;
    }
    gRestoringFocus = true;
    QPointer<QWidget> w = impl_->widget;
    QTimer::singleShot(0, w, [w] {
        if (w) w->setFocus(Qt::OtherFocusReason);
        gRestoringFocus = false;
    });
}

bool TGet::lValid() {
    return buffer_->valid() && (!bValid || bValid(*this));
}

bool TGet::keyDown(int key, int flags) {
    if (bKeyDown && bKeyDown(*this, key, flags)) return true;
    bool shift = (flags & keyflags::shift) || ::keyDown(Key::Shift);
    bool control = (flags & keyflags::control) || ::keyDown(Key::Control);
    std::string before = text();
    switch (key) {
        case vkInsert:
            if (shift)
                for (char32_t c : QApplication::clipboard()->text().toUcs4()) buffer_->type(c);
            else if (control)
                QApplication::clipboard()->setText(qs(text()));
            else
                buffer_->insertMode = !buffer_->insertMode;
            break;
        case vkDelete: buffer_->del(); break;
        case vkBack: buffer_->backspace(); break;
        case vkLeft: buffer_->left(); break;
        case vkRight: buffer_->right(); break;
        case vkHome: buffer_->home(); break;
        case vkEnd: buffer_->end(); break;
        default: return false;
    }
    repaint();
    if (bChanged && text() != before) bChanged(*this);
    return true;
}

bool TGet::keyChar(char32_t c) {
    std::string before = text();
    bool ok = buffer_->type(c);
    repaint();
    if (bChanged && text() != before) bChanged(*this);
    return ok;
}

void TGet::repaint() {
    if (impl_ && impl_->widget) impl_->widget->update();
}
