#pragma once
// TBar: a button bar docked along the top of a window (TWindowBase::dockTop), as wide as
// the window's client area, holding bitmap buttons (TBtnBmp) left to right. A button that
// starts a group is kept apart from the one before it by a gap with an etched line. The
// bar belongs to its window like every control; its buttons are controls of the same
// window whose widgets sit inside the bar.
#include <functional>
#include <vector>

#include "BtnBmp.h"

struct BarOptions {
    int buttonWidth = 28;  // default button size, pixels
    int buttonHeight = 28;
    bool is3D = true;  // a raised bar with a line under it; otherwise flat
    int id = 0;
};

class TBar : public TControl {
  public:
    // Pixels around the buttons, and between two groups.
    static constexpr int kMargin = 3;
    static constexpr int kGroupGap = 8;

    TBar(TWindowBase& parent, BarOptions options = {});
    ~TBar() override;

    // A new button on this bar (options.bar is set to this bar).
    TBtnBmp* addButton(BtnBmpOptions options);
    const std::vector<TBtnBmp*>& buttons() const { return buttons_; }

    int barHeight() const { return options_.buttonHeight + 2 * kMargin + (options_.is3D ? 2 : 0); }
    int buttonWidth() const { return options_.buttonWidth; }
    int buttonHeight() const { return options_.buttonHeight; }
    bool is3D() const { return options_.is3D; }
    // Left pixel of the next free place after the last button (where other controls can go).
    int nextLeft() const { return nextLeft_; }
    // Places the buttons again (after one was added, resized or removed).
    void layout();
    // The pixel columns of the group separators, as drawn.
    const std::vector<int>& separators() const { return separators_; }
    void Paint(Canvas& canvas);

    // Mouse moved over the bar (not over a button) and right click; pixels inside the bar.
    std::function<void(TBar&, int row, int col)> bMMoved;
    std::function<void(TBar&, int row, int col)> bRClicked;

  private:
    friend class TBtnBmp;
    void attach(TBtnBmp* b);
    void detach(TBtnBmp* b);

    BarOptions options_;
    std::vector<TBtnBmp*> buttons_;
    std::vector<int> separators_;
    int nextLeft_ = kMargin;
};
