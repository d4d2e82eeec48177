#pragma once
// TCheckBox: a box the user ticks and clears, with its text to the right. Owned by its
// window like every control. A click (by mouse, by the space bar while it has the focus,
// by its mnemonic or by click()) turns it over and calls onChange; setChecked changes it
// without calling onChange.
#include <functional>
#include <optional>
#include <string>

#include "Control.h"

class TCheckBox;

struct CheckBoxOptions {
    Rect rect;  // in the window's units
    std::string caption;
    bool checked = false;
    std::function<void(TCheckBox&, bool checked)> onChange;
    std::optional<TFont> font;
    int id = 0;
};

class TCheckBox : public TControl {
  public:
    TCheckBox(TWindowBase& parent, CheckBoxOptions options);

    bool checked() const;
    void setChecked(bool on);
    // Turns the box over as a click of the user does.
    void click();

    std::function<void(TCheckBox&, bool checked)> onChange;
};
