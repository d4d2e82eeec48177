#pragma once
// TRadMenu: a group of radio buttons, one per item, bound to the number of the chosen
// item (1-based; 0 when none is chosen). Owned by its window like every control. The
// group's width is that of its texts; each button adds its round mark to the left.
#include <functional>
#include <string>
#include <vector>

#include "Control.h"

struct RadMenuOptions {
    double top = 0;   // in the window's units
    double left = 0;
    double width = 0;       // of the item texts, in the window's units
    double itemHeight = 13;  // distance between items, in the window's units
    std::vector<std::string> items;
    std::function<int()> get;  // the chosen number where it lives
    std::function<void(int)> set;
    std::function<void(int)> onChange;
    std::optional<TFont> font;
    int id = 0;
};

class TRadMenu : public TControl {
  public:
    TRadMenu(TWindowBase& parent, RadMenuOptions options);

    int selected() const;
    // Chooses item n (1-based); numbers outside the list choose none.
    void select(int n);
    int count() const { return int(items_.size()); }
    const std::vector<std::string>& items() const { return items_; }
    // Pixel rectangle of item n (1-based) inside the window.
    Rect itemRect(int n) const;

  private:
    std::vector<std::string> items_;
    std::function<void(int)> set_;
    std::function<void(int)> onChange_;
};
