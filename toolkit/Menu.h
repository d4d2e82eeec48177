#pragma once
// TMenu: a menu bar or a pop-up menu, and its items (TMenuItem).
//
// A menu is defined by a build function that adds its items; while it runs, the menu is
// also reachable as TMenu::building(), so code called from inside the definition (a
// caller's "put my items first" callback) can add items to the menu being defined.
// Captions mark their mnemonic with "&". A menu owns its items and submenus; a window
// owns its menu bar (TWindow::setMenu).
//
// Status messages: an item with a message shows it in the status bar (TMsgBar) of the
// menu's window while the mouse is over it; an item without one, and the menu closing,
// bring the bar's default message back. The menu's window is the one it is attached to,
// or, for a pop-up menu, the window given to activate().
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
    std::string message;  // the status message
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
    const std::string& message() const { return message_; }
    void setMessage(const std::string& message) { message_ = message; }
    bool isSeparator() const;
    // The mouse comes over the item, as when the user points at it.
    void hover();
    TMenu* submenu() const { return submenu_.get(); }

    // Chooses the item as the user would: runs its action when it is enabled.
    void trigger();
    void runAction() {
        if (action_) action_();
    }

  private:
    friend class TMenu;
    std::unique_ptr<MenuItemImpl> impl_;
    std::unique_ptr<TMenu> submenu_;
    std::function<void()> action_;
    std::string message_;
    TMenu* menu_ = nullptr;  // the menu holding the item
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
    TMenuItem* addMenu(const std::string& caption, const std::function<void(TMenu&)>& build,
                       const std::string& message = "");
    void separator();

    const std::vector<std::unique_ptr<TMenuItem>>& items() const { return items_; }
    // The first item with this caption ("&" and blanks ignored), searching submenus too.
    TMenuItem* find(const std::string& caption) const;
    bool isPopup() const;

    // Pop-up menus: shows the menu at (row, col) pixels of `over` (of the screen when
    // null), runs the chosen item's action and returns when the menu has closed.
    void activate(int row, int col, TWindowBase* over = nullptr);

    MenuImpl& impl() const { return *impl_; }
    // Shows a menu bar in the window (a TWindow or a TMdiChild) and makes it the menu's window.
    void attachTo(TWindowBase& window);
    // The window whose status bar shows the items' messages; nullptr when none.
    TWindowBase* statusWindow() const;

  private:
    friend class TMenuItem;
    explicit TMenu(std::unique_ptr<MenuImpl> impl);
    void define(const std::function<void(TMenu&)>& build);
    TMenuItem* keep(std::unique_ptr<TMenuItem> item);

    std::unique_ptr<MenuImpl> impl_;
    std::vector<std::unique_ptr<TMenuItem>> items_;
    TWindowBase* owner_ = nullptr;
    TMenu* parentMenu_ = nullptr;
};
