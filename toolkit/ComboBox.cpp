#include "ComboBox.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QFocusEvent>
#include <QIcon>
#include <QPixmap>
#include <QSignalBlocker>

#include "Window.h"
#include "internal/QtBridge.h"
#include "internal/Widgets.h"

namespace {

class ComboWidget : public QComboBox {
  public:
    ComboWidget(QWidget* parent, TComboBox* owner) : QComboBox(parent), owner_(owner) {}
    void detach() { owner_ = nullptr; }
    bool listOpen = false;

    void showPopup() override {
        listOpen = true;  // the box loses the focus to its list while it opens
        QComboBox::showPopup();
        if (!owner_ || owner_->listHeight() <= 0) return;
        // The list's frame is a window of its own, placed under (or over) the box.
        QWidget* frame = view()->window();
        frame->setFixedHeight(owner_->listHeight());
    }
    void hidePopup() override {
        listOpen = false;
        QComboBox::hidePopup();
    }

  protected:
    void focusOutEvent(QFocusEvent* e) override {
        QComboBox::focusOutEvent(e);
        // Opening the list, or another application's window coming up, is not leaving.
        bool away = e->reason() == Qt::PopupFocusReason ||
                    e->reason() == Qt::ActiveWindowFocusReason || listOpen;
        if (owner_ && !away && owner_->onLostFocus) owner_->onLostFocus(*owner_);
    }

  private:
    TComboBox* owner_;
};

ComboWidget* comboOf(const TControl& c) {
    return static_cast<ComboWidget*>(c.impl().widget.data());
}

std::unique_ptr<ControlImpl> comboImpl(TWindowBase& parent, TComboBox* owner) {
    auto impl = std::make_unique<ControlImpl>();
    impl->widget = new ComboWidget(parent.impl().client, owner);
    return impl;
}

}  // namespace

TComboBox::TComboBox(TWindowBase& parent, ComboBoxOptions o)
    : TControl(parent, o.id, o.rect, comboImpl(parent, this)),
      onChange(std::move(o.onChange)),
      onPick(std::move(o.onPick)),
      listHeight_(o.listHeight) {
    ComboWidget* w = comboOf(*this);
    if (o.font) setFont(*o.font);
    for (const auto& item : o.items) w->addItem(qs(item));
    for (size_t i = 0; i < o.images.size() && i < o.items.size(); ++i) setItemImage(int(i) + 1, o.images[i]);
    select(o.selected);
    QObject::connect(w, &QComboBox::currentIndexChanged, w, [this](int index) {
        if (onChange) onChange(*this, index + 1);
    });
    QObject::connect(w, &QComboBox::activated, w, [this](int index) {
        if (onPick) onPick(*this, index + 1);
    });
}

TComboBox::~TComboBox() {
    if (ComboWidget* w = comboOf(*this)) w->detach();
}

int TComboBox::selected() const {
    return comboOf(*this)->currentIndex() + 1;
}

void TComboBox::select(int n) {
    comboOf(*this)->setCurrentIndex(n >= 1 && n <= count() ? n - 1 : -1);
}

int TComboBox::count() const {
    return comboOf(*this)->count();
}

std::vector<std::string> TComboBox::items() const {
    std::vector<std::string> out;
    for (int i = 0; i < count(); ++i) out.push_back(utf8(comboOf(*this)->itemText(i)));
    return out;
}

std::string TComboBox::text() const {
    return utf8(comboOf(*this)->currentText());
}

void TComboBox::setItems(const std::vector<std::string>& items, const std::vector<Picture>& images) {
    ComboWidget* w = comboOf(*this);
    {
        QSignalBlocker quiet(w);
        w->clear();
        for (const auto& item : items) w->addItem(qs(item));
        for (size_t i = 0; i < images.size() && i < items.size(); ++i) setItemImage(int(i) + 1, images[i]);
        w->setCurrentIndex(-1);
    }
    select(1);
}

Picture TComboBox::itemImage(int n) const {
    if (n < 1 || n > count()) return Picture();
    QIcon icon = comboOf(*this)->itemIcon(n - 1);
    if (icon.isNull()) return Picture();
    QList<QSize> sizes = icon.availableSizes();
    QSize size = sizes.isEmpty() ? comboOf(*this)->iconSize() : sizes.front();
    return fromQImage(icon.pixmap(size).toImage());
}

void TComboBox::setItemImage(int n, const Picture& image) {
    if (n < 1 || n > count()) return;
    ComboWidget* w = comboOf(*this);
    w->setItemIcon(n - 1, image.empty() ? QIcon() : QIcon(QPixmap::fromImage(toQImage(image))));
    if (!image.empty()) w->setIconSize(QSize(image.width, image.height).expandedTo(w->iconSize()));
}

void TComboBox::pick(int n) {
    if (n < 1 || n > count()) return;
    closeList();
    select(n);
    emit comboOf(*this)->activated(n - 1);
}

void TComboBox::open() {
    comboOf(*this)->showPopup();
}
void TComboBox::closeList() {
    if (isOpen()) comboOf(*this)->hidePopup();
}
bool TComboBox::isOpen() const {
    return comboOf(*this)->listOpen;
}
void TComboBox::setListHeight(int pixels) {
    listHeight_ = std::max(pixels, 0);
}
