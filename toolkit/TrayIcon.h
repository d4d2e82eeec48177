#pragma once
// TTrayIcon: an icon in the desktop's notification area with a tooltip, a right-click
// handler (given the click position on the screen) and a left double-click handler.
// Where the desktop has no notification area the object still exists with its state and
// handlers, shows nothing and reports available() false: the program stays usable
// through its windows.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Bitmap.h"

class TWindow;
struct TrayImpl;

struct TrayOptions {
    TWindow* owner = nullptr;
    TIcon icon;
    std::string tooltip;
    std::function<void(int row, int col)> onRightClick;
    std::function<void()> onLeftDoubleClick;
};

class TTrayIcon {
  public:
    explicit TTrayIcon(TrayOptions options);
    ~TTrayIcon();

    static bool available();  // the desktop has a notification area
    // The icon is in the notification area: only then can a hidden window be found again.
    bool shown() const;
    // Tests decide whether the desktop has a notification area; nullopt asks the desktop.
    static void setAvailableForTests(std::optional<bool> available);
    bool ended() const { return ended_; }
    const std::string& tooltip() const { return options_.tooltip; }
    void setTooltip(const std::string& text);
    TWindow* owner() const { return options_.owner; }

    // What the desktop's clicks do; callable directly (tests, keyboard equivalents).
    void rightClick(int row, int col);
    void leftDoubleClick();

    // Removes the icon; the object stays and ignores clicks afterwards.
    void end();

  private:
    TrayOptions options_;
    std::unique_ptr<TrayImpl> impl_;
    bool ended_ = false;
};
