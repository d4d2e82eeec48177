#pragma once
// TDialog: a dialog box, modal or not, built in code.
//
// Lifetime: the object owns its window and controls; activate() shows it, end() hides it
// (through the closing check) and the object can be shown again or destroyed. The
// closing check bValid is asked before every end: a button, Escape, the close box and
// end() itself all go through it, so a check that answers false keeps the box open.
#include <functional>
#include <optional>
#include <string>

#include "Color.h"
#include "Keyboard.h"
#include "Picture.h"
#include "Window.h"

struct DialogOptions {
    std::string title;
    int width = 300;  // client area, pixels
    int height = 200;
    Units units = Units::DialogUnits;  // of the controls placed in it
    bool popup = false;                // borderless pop-up without a caption
    bool helpIcon = false;
    TWindowBase* parent = nullptr;  // a dialog shown over another window
};

struct ActivateOptions {
    bool centered = true;
    bool modal = true;
    // Modal without waiting: the box blocks the other windows while the caller goes on
    // (busy boxes); the caller ends it.
    bool wait = true;
    // Runs after the controls exist and before the box shows; may resize and restyle.
    std::function<void(class TDialog&)> onInit;
    // Runs once the box shows, from its own event loop (or, when not waiting, from the
    // next event processing): the start-up work of boxes that show while something runs.
    std::function<void(class TDialog&)> onShown;
};

// Pixels of width a box needs so that its title bar shows `title` whole.
int titleBarWidth(const std::string& title);

class TControl;

class TDialog : public TWindowBase {
  public:
    explicit TDialog(DialogOptions options);
    ~TDialog() override;

    // Closing check; empty allows closing.
    std::function<bool(TDialog&)> bValid;
    // A click on the box itself (not on a control that handles it), in pixels.
    std::function<void(TDialog&, int row, int col)> bLClicked;
    // A key pressed in the box; answer true when handled (Escape then does not close).
    std::function<bool(TDialog&, Key)> bKeyDown;

    // Modal and waiting: returns the result given to end(); otherwise returns 0 at once.
    int activate(const ActivateOptions& options = {});
    // Ends the box with `result` unless the closing check refuses; true when it ended.
    bool end(int result = 0);

    int result() const { return result_; }
    bool active() const;  // shown and not ended
    bool modal() const;
    bool popup() const { return popup_; }

    // Places the box's client area over `r`, given in pixels of `control` (0,0 its top-left
    // corner), and sizes it to r; show it with centered = false to keep it there.
    void placeOver(const TControl& control, const Rect& r);

    // A picture drawn at 0,0 under the controls (labels over it stay transparent).
    void setBackgroundPicture(const Picture& p);
    bool hasBackgroundPicture() const;
    void setHelpIcon(bool on);
    bool helpIcon() const;

  private:
    int result_ = 0;
    bool popup_ = false;
};
