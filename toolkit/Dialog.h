#pragma once
// TDialog: a dialog box, modal or not, built in code or from a dialog template.
//
// From a template (DialogOptions::templateName, see dlgTemplate.h and Resources.h): the box
// takes the template's size and, unless the options give one, its title; its labels,
// buttons and entry fields are created with their ids (a button ends the box with its id
// as result until code gives it another action; an entry field holds the template's text,
// reached through templateValue). Browses, tab rows, bitmap buttons and custom controls
// are places that code fills by id (templateItem gives the place). A missing or malformed
// template raises an error record naming it and leaves an empty box of the options' size.
//
// Lifetime: the object owns its window and controls; activate() shows it, end() hides it
// (through the closing check) and the object can be shown again or destroyed. The
// closing check bValid is asked before every end: a button, Escape, the close box and
// end() itself all go through it, so a check that answers false keeps the box open.
#include <functional>
#include <optional>
#include <string>

#include <deque>
#include <memory>

#include "Color.h"
#include "Keyboard.h"
#include "Picture.h"
#include "Value.h"
#include "Window.h"
#include "dlgTemplate.h"

struct DialogOptions {
    std::string title;
    int width = 300;  // client area, pixels
    int height = 200;
    Units units = Units::DialogUnits;  // of the controls placed in it
    bool popup = false;                // borderless pop-up without a caption
    // A pop-up that only shows something (a progress bar) and takes no input: the window
    // manager neither frames nor moves it.
    bool overlay = false;
    bool helpIcon = false;
    TWindowBase* parent = nullptr;  // a dialog shown over another window
    std::string templateName;       // build the box from this dialog template
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
    // Modal and waiting: pause() may end this run while the box stays shown and keeps the
    // keyboard; a later activate() runs it again. Keys typed in between wait for it.
    bool resumable = false;
};

// Pixels of width a box needs so that its title bar shows `title` whole.
int titleBarWidth(const std::string& title);

class TControl;

class TDialog : public TWindowBase {
  public:
    explicit TDialog(DialogOptions options);
    ~TDialog() override;

    // A menu bar along the top of the box, above the docked bars.
    void setMenu(std::unique_ptr<class TMenu> menu);
    class TMenu* menu() const { return menu_.get(); }

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
    // Ends a resumable run with `result`, the box still shown; false when none is running.
    bool pause(int result);

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

    // The template the box was built from; nullptr when built in code or when it failed.
    const DialogTemplate* dialogTemplate() const { return template_.get(); }
    // The template's control with this id (its place in dialog units); nullptr when none.
    const DlgItem* templateItem(int id) const;
    // The value edited by the template's entry field with this id; nullptr when none.
    Value* templateValue(int id);

  private:
    std::unique_ptr<class TMenu> menu_;
    struct Prepared;
    static Prepared prepare(DialogOptions o);
    explicit TDialog(Prepared p);
    void buildFromTemplate();
    int runResumable();

    int result_ = 0;
    bool popup_ = false;
    class QEventLoop* loop_ = nullptr;  // of the resumable run in progress
    std::unique_ptr<class TypeAhead> typeAhead_;  // keys typed while paused
    std::unique_ptr<DialogTemplate> template_;
    std::string templateName_;
    std::deque<std::pair<int, Value>> values_;  // of the template's entry fields, by id
};
