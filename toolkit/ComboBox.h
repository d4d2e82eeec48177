#pragma once
// TComboBox: a drop-down list of texts with one selected item (1-based; 0 when none).
// Owned by its window like every control. A pick by the user (a click or Enter in the
// opened list, or pick()) calls onPick even when the item was already selected; every
// change of the selection, by the user or by select(), calls onChange. The list can be
// opened from code (open) and given a height in pixels. Items may show a small picture
// before their text.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Control.h"
#include "Picture.h"

class TComboBox;

struct ComboBoxOptions {
    Rect rect;  // in the window's units; the height is that of the closed box
    std::vector<std::string> items;
    std::vector<Picture> images;  // one per item from the first; fewer leave the rest plain
    int selected = 1;
    std::function<void(TComboBox&, int item)> onChange;
    std::function<void(TComboBox&, int item)> onPick;
    int listHeight = 0;  // pixels of the opened list; 0: as many items as fit on the screen
    std::optional<TFont> font;
    int id = 0;
};

class TComboBox : public TControl {
  public:
    TComboBox(TWindowBase& parent, ComboBoxOptions options);
    ~TComboBox() override;

    int selected() const;
    // Selects item n (1-based); numbers outside the list select none.
    void select(int n);
    int count() const;
    std::vector<std::string> items() const;
    std::string text() const;  // of the selected item, "" when none
    // Replaces the items (the first selected, onChange called); `images` as in the options.
    void setItems(const std::vector<std::string>& items, const std::vector<Picture>& images = {});
    // The picture shown before item n; empty when it has none.
    Picture itemImage(int n) const;
    void setItemImage(int n, const Picture& image);

    // The user chose item n: selects it and calls onPick.
    void pick(int n);

    void open();
    void closeList();
    bool isOpen() const;
    void setListHeight(int pixels);
    int listHeight() const { return listHeight_; }

    std::function<void(TComboBox&, int item)> onChange;
    std::function<void(TComboBox&, int item)> onPick;
    // The focus went to another control or window (not to the box's own list).
    std::function<void(TComboBox&)> onLostFocus;

  private:
    int listHeight_ = 0;
};
