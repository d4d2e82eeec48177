#pragma once
// TMenu: a menu bar or a pop-up menu, and its items (TMenuItem).
//
// A menu is defined by a build function that adds its items; while it runs, the menu is
// also reachable as TMenu::building(), so code called from inside the definition (a
// caller's "put my items first" callback) can add items to the menu being defined.
// Captions mark their mnemonic with "&". A menu owns its items and submenus; a window
// owns its menu bar (TWindow::setMenu).
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Picture.h"

class TMenu;
class TWindow;
class TWindowBase;
struct MenuImpl;
struct MenuItemImpl;

struct MenuItemOptions {
    std::function<void()> action;
    bool checkable = false;
    bool checked = false;
    bool enabled = true;
    Picture image;
};

class TMenuItem {
  public:
    TMenuItem(MenuItemImpl* impl, std::unique_ptr<TMenu> submenu, std::function<void()> action);
    ~TMenuItem();

    std::string caption() const;
    void setCaption(const std::string& caption);
    bool enabled() const;
    void setEnabled(bool on);
    bool checked() const;
    void setChecked(bool on);  // makes the item checkable
    bool hasImage() const;
    void setImage(const Picture& p);
    void setAction(std::function<void()> action) { action_ = std::move(action); }
    bool isSeparator() const;
    TMenu* submenu() const { return submenu_.get(); }

    // Chooses the item as the user would: runs its action when it is enabled.
    void trigger();
    void runAction() {
        if (action_) action_();
    }

  private:
    std::unique_ptr<MenuItemImpl> impl_;
    std::unique_ptr<TMenu> submenu_;
    std::function<void()> action_;
};

class TMenu {
  public:
    static std::unique_ptr<TMenu> bar(const std::function<void(TMenu&)>& build = {});
    static std::unique_ptr<TMenu> popup(const std::function<void(TMenu&)>& build = {});
    // The innermost menu whose definition is running, nullptr outside definitions.
    static TMenu* building();
    ~TMenu();

    TMenuItem* add(const std::string& caption, MenuItemOptions options = {});
    TMenuItem* add(const std::string& caption, std::function<void()> action);
    // An item opening a submenu defined by `build`.
    TMenuItem* addMenu(const std::string& caption, const std::function<void(TMenu&)>& build);
    void separator();

    const std::vector<std::unique_ptr<TMenuItem>>& items() const { return items_; }
    // The first item with this caption ("&" and blanks ignored), searching submenus too.
    TMenuItem* find(const std::string& caption) const;
    bool isPopup() const;

    // Pop-up menus: shows the menu at (row, col) pixels of `over` (of the screen when
    // null), runs the chosen item's action and returns when the menu has closed.
    void activate(int row, int col, TWindowBase* over = nullptr);

    MenuImpl& impl() const { return *impl_; }
    void attachTo(TWindow& window);

  private:
    explicit TMenu(std::unique_ptr<MenuImpl> impl);
    void define(const std::function<void(TMenu&)>& build);

    std::unique_ptr<MenuImpl> impl_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
};
