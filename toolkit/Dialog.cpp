#include "Dialog.h"

#include "Menu.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QPointer>
#include <deque>
#include <QEventLoop>
#include <QTimer>
#include <cmath>

#include "App.h"
#include "Control.h"
#include "Error.h"
#include "Get.h"
#include "Resources.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

std::unique_ptr<WindowImpl> makeDialog(const DialogOptions& o) {
    appEnsure();
    QWidget* parent = o.parent ? o.parent->impl().top.data() : nullptr;
    auto* w = new DialogWidget(parent);
    Qt::WindowFlags flags = kDialogFlags;
    if (o.popup) flags = Qt::Dialog | Qt::FramelessWindowHint;
    // Window managers that ignore the "no frame" hint would put a title bar on it.
    if (o.popup && o.overlay) flags |= Qt::BypassWindowManagerHint;
    if (o.helpIcon) flags |= Qt::WindowContextHelpButtonHint;
    w->setWindowFlags(flags);
    setTitleOf(w, o.title);
    w->setFixedSize(std::max(o.width, 1), std::max(o.height, 1));
    auto impl = std::make_unique<WindowImpl>();
    impl->top = w;
    impl->client = w;
    return impl;
}

DialogWidget* widgetOf(const TDialog& d) {
    return static_cast<DialogWidget*>(d.impl().top.data());
}

}  // namespace

struct TDialog::Prepared {
    DialogOptions options;
    std::unique_ptr<DialogTemplate> dialogTemplate;
};

// The options with the template's size and title, and the template when it loaded.
TDialog::Prepared TDialog::prepare(DialogOptions o) {
    std::unique_ptr<DialogTemplate> t;
    if (!o.templateName.empty()) {
        t = std::make_unique<DialogTemplate>();
        if (::dialogTemplate(o.templateName, *t)) {
            o.width = toPixels(t->width, Units::DialogUnits);
            o.height = toPixels(t->height, Units::DialogUnits);
            if (o.title.empty()) o.title = t->title;
            o.units = Units::DialogUnits;
        } else {
            t.reset();
        }
    }
    return {std::move(o), std::move(t)};
}

TDialog::TDialog(DialogOptions o) : TDialog(prepare(std::move(o))) {}

TDialog::TDialog(Prepared p)
    : TWindowBase(p.options.units, makeDialog(p.options)),
      popup_(p.options.popup),
      template_(std::move(p.dialogTemplate)),
      templateName_(p.options.templateName) {
    DialogWidget* w = widgetOf(*this);
    w->requestEnd = [this](int result) { end(result); };
    w->keyHook = [this](int key) { return bKeyDown && bKeyDown(*this, keyFromQt(key)); };
    w->resized = [this] { layoutDocked(); };
    w->clicks.left = [this](int row, int col) {
        if (bLClicked) bLClicked(*this, row, col);
    };
    if (template_) buildFromTemplate();
}

void TDialog::buildFromTemplate() {
    for (const DlgItem& item : template_->items) {
        switch (item.kind) {
            case DlgKind::Label:
                add<TSay>(SayOptions{.rect = item.rect, .text = item.text, .align = item.align, .id = item.id});
                break;
            case DlgKind::Button:
                add<TButton>(ButtonOptions{.rect = item.rect,
                                           .caption = item.text,
                                           .action = [this, id = item.id] { end(id); },
                                           .isDefault = item.isDefault,
                                           .id = item.id});
                break;
            case DlgKind::Get: {
                Value& v = values_.emplace_back(item.id, Value(item.text)).second;
                try {
                    add<TGet>(GetOptions{.rect = item.rect, .binding = GetBinding::to(v), .picture = item.picture, .id = item.id});
                } catch (const std::invalid_argument& e) {
                    ErrorRecord r = makeError(EG_ARG, 0, "TOOLKIT", "");
                    r.description = std::string("Bad dialog template: field ") + std::to_string(item.id) + ": " + e.what();
                    r.fileName = templateName_;
                    r.canDefault = true;
                    raiseError(r);
                }
                break;
            }
            default:
                break;  // places that code fills
        }
    }
}

const DlgItem* TDialog::templateItem(int id) const {
    return template_ ? template_->item(id) : nullptr;
}

Value* TDialog::templateValue(int id) {
    for (auto& [fieldId, v] : values_)
        if (fieldId == id) return &v;
    return nullptr;
}

// Keys typed at a resumable box between two runs: held while the caller works, and given to
// the box, in order, when it runs again. A letter with Alt presses the button it marks.
class TypeAhead : public QObject {
  public:
    explicit TypeAhead(QWidget* box) : box_(box) { qApp->installEventFilter(this); }
    ~TypeAhead() override { qApp->removeEventFilter(this); }

    bool eventFilter(QObject* o, QEvent* e) override {
        bool key = e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease ||
                   e->type() == QEvent::ShortcutOverride;
        if (!key || !o->isWidgetType() || !box_) return false;
        auto* w = static_cast<QWidget*>(o);
        if (w->window() != box_) return false;  // another box (a question) has its own keys
        if (e->type() != QEvent::ShortcutOverride) {
            auto* k = static_cast<QKeyEvent*>(e);
            held_.push_back(std::make_unique<QKeyEvent>(k->type(), k->key(), k->modifiers(), k->text(),
                                                        k->isAutoRepeat(), k->count()));
        }
        return true;
    }

    // Gives the held keys to the box until `stop` says the box paused again; the rest stays.
    void replay(const std::function<bool()>& stop) {
        qApp->removeEventFilter(this);
        while (!held_.empty() && box_ && !stop()) {
            std::unique_ptr<QKeyEvent> k = std::move(held_.front());
            held_.pop_front();
            if (k->type() == QEvent::KeyPress && (k->modifiers() & Qt::AltModifier)) {
                pressMnemonic(k->key());
                continue;
            }
            QWidget* target = box_->focusWidget() ? box_->focusWidget() : box_.data();
            QCoreApplication::sendEvent(target, k.get());
        }
        // Paused again halfway: what is left, and what comes, waits for the next run.
        if (box_ && stop()) qApp->installEventFilter(this);
    }

  private:
    void pressMnemonic(int key) {
        for (QAbstractButton* b : box_->findChildren<QAbstractButton*>()) {
            QString text = b->text();
            int amp = text.indexOf('&');
            if (amp >= 0 && amp + 1 < text.size() && b->isEnabled() && b->isVisible() &&
                text[amp + 1].toUpper().unicode() == key) {
                b->click();
                return;
            }
        }
    }

    QPointer<QWidget> box_;
    std::deque<std::unique_ptr<QKeyEvent>> held_;
};

TDialog::~TDialog() {
    // A dialog still waiting in its own loop must leave it before the window goes away.
    if (DialogWidget* w = widgetOf(*this)) {
        w->requestEnd = nullptr;
        w->resized = nullptr;
        if (w->isVisible()) w->done(0);
    }
    destroyControls();
}

void TDialog::setMenu(std::unique_ptr<TMenu> menu) {
    menu_ = std::move(menu);
    if (menu_) menu_->attachTo(*this);
}

int TDialog::activate(const ActivateOptions& o) {
    DialogWidget* w = widgetOf(*this);
    result_ = 0;
    if (o.onInit) o.onInit(*this);
    if (o.centered && !(o.resumable && w->isVisible())) center();
    if (o.onShown)
        QTimer::singleShot(0, w, [this, shown = o.onShown] {
            if (active()) shown(*this);
        });
    if (o.modal && o.wait && o.resumable) return runResumable();
    if (o.modal && o.wait) {
        // Takes the keyboard once shown, also where no window manager gives it.
        QTimer::singleShot(0, w, [w] {
            if (w->isVisible()) w->activateWindow();
        });
        return w->exec();
    }
    w->setModal(o.modal);
    w->show();
    w->raise();
    return 0;
}

bool TDialog::end(int result) {
    if (bValid && !bValid(*this)) return false;
    result_ = result;
    widgetOf(*this)->done(result);
    if (loop_) loop_->exit(result);
    return true;
}

bool TDialog::pause(int result) {
    if (!loop_) return false;
    result_ = result;
    loop_->exit(result);
    if (!typeAhead_) typeAhead_ = std::make_unique<TypeAhead>(widgetOf(*this));
    return true;
}

// A modal run in an event loop of its own, so that it can end with the box still shown (and
// the keyboard still its). A box already shown is told that it runs again, as a new one is
// by showing.
int TDialog::runResumable() {
    DialogWidget* w = widgetOf(*this);
    w->setWindowModality(Qt::ApplicationModal);
    if (w->isVisible()) {
        QEvent resumed(kDialogResumedEvent);
        QCoreApplication::sendEvent(w, &resumed);
    } else {
        w->show();
        w->raise();
        w->activateWindow();
    }
    QEventLoop loop;
    loop_ = &loop;
    if (typeAhead_)  // after the caller's start-up work, in the order it was typed
        QTimer::singleShot(0, w, [this, &loop] {
            if (!typeAhead_) return;
            typeAhead_->replay([this, &loop] { return loop_ != &loop; });
            if (loop_ == &loop) typeAhead_.reset();  // running: keys go straight to the box
        });
    // However the box is closed (a button, Escape, the close box), the run ends with it.
    auto closed = QObject::connect(w, &QDialog::finished, &loop, [&loop](int r) { loop.exit(r); });
    int r = loop.exec(QEventLoop::DialogExec);
    QObject::disconnect(closed);
    loop_ = nullptr;
    if (!w->isVisible()) typeAhead_.reset();  // closed: nothing more is typed to it
    return r;
}

bool TDialog::active() const {
    return widgetOf(*this)->isVisible();
}
bool TDialog::modal() const {
    return widgetOf(*this)->isModal();
}

void TDialog::placeOver(const TControl& control, const Rect& r) {
    Point at = control.toScreen(Point{r.left, r.top});
    setSize(std::max(int(std::lround(r.width)), 1), std::max(int(std::lround(r.height)), 1));
    moveTo(int(at.y), int(at.x));
}

void TDialog::setBackgroundPicture(const Picture& p) {
    widgetOf(*this)->background = toQImage(p);
    widgetOf(*this)->update();
}
bool TDialog::hasBackgroundPicture() const {
    return !widgetOf(*this)->background.isNull();
}

void TDialog::setHelpIcon(bool on) {
    DialogWidget* w = widgetOf(*this);
    bool wasVisible = w->isVisible();
    w->setWindowFlag(Qt::WindowContextHelpButtonHint, on);
    if (wasVisible) w->show();  // changing window flags hides the window
}
int titleBarWidth(const std::string& title) {
    appEnsure();
    return titleBarWidth(qs(title));
}

bool TDialog::helpIcon() const {
    return widgetOf(*this)->windowFlags() & Qt::WindowContextHelpButtonHint;
}
