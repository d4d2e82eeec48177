#pragma once
// TTabs: a row of tabs, one per prompt, placed in pixels of its window's client area. The
// option is 1-based. When the user picks a tab (mouse or keyboard), the option changes and
// the action is called with the new option; SetOption changes it without calling the action.
#include <functional>
#include <string>
#include <vector>

#include "Control.h"

struct TabsOptions {
    Rect rect;  // pixels; a height of 0 takes the row's own height (tabsHeight)
    std::vector<std::string> prompts;
    int option = 1;
    std::function<void(int option)> action;
    int id = 0;
};

class TTabs : public TControl {
  public:
    TTabs(TWindowBase& parent, TabsOptions options);
    ~TTabs() override;

    int option() const;
    // Selects tab n (1-based) without calling the action; out of range changes nothing.
    void SetOption(int n);
    std::vector<std::string> prompts() const;
    void setPrompts(const std::vector<std::string>& prompts);
    void setAction(std::function<void(int option)> action) { action_ = std::move(action); }

    // Places the row in pixels of the window's client area.
    void movePixels(const Rect& r);
    // The height the row needs to show its tabs, in pixels.
    int tabsHeight() const;
    // Pixels of tab n (1-based) inside the row; an empty rectangle when there is no such tab.
    Rect tabRect(int n) const;

  private:
    std::function<void(int)> action_;
    bool quiet_ = false;  // set while SetOption changes the tab
};
