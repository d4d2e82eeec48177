#pragma once
// _tBtnBmp: the bitmap button of every button bar and of the graph settings dialog. To the
// toolkit's TBtnBmp it adds a menu text (its tooltip, its entry in the window's right-click
// pop-up menu and its Control+letter accelerator), a control to jump to after a click,
// pictures given as BMP bytes held in memory, and, for a button placed directly on a
// window or dialog, an invisible push button (_button_hide) carrying the menu text so the
// window's keyboard handling reaches the bitmap button.
//
// Buttons are controls owned by their window; the three constructors (New, newBar,
// reDefine) create them there and return a pointer valid as long as the window. A window
// that registers buttons implements BtnMenuHost; any other window is passed over quietly.
#include <functional>
#include <optional>
#include <string>

#include "Bar.h"
#include "BtnBmp.h"
#include "Control.h"

class _tBtnBmp;

// What a window offers to the buttons that register with it: a pop-up menu entry and an
// accelerator per button (addMenu, in registration order), and the pop-up menu itself
// opened at a pixel position of the window (showMenu).
class BtnMenuHost {
  public:
    virtual ~BtnMenuHost() = default;
    virtual void addMenu(_tBtnBmp& button) = 0;
    virtual void showMenu(int row, int col) = 0;
};

// The menu text read as a tooltip: without its first "&" ("Consult(&a)r" reads
// "Consult(a)r" - the parentheses stay, only the marker goes).
std::string mnuTxtToolTip(const std::string& text);
// The accelerator of a menu text: the character after its first "&", upper-cased; the
// character with code 0 (which no key gives) when there is no "&" or it ends the text.
std::string mnuTxtAccelerator(const std::string& text);

// The invisible push button of a bitmap button that is not on a bar. It is never drawn
// (no size) yet stays in the window's keyboard handling: its "&" letter and the focus
// reach it. Its action runs only while its when-condition, if any, allows.
struct ButtonHideArgs {
    Rect rect;  // where it stands; only the corner counts
    std::string caption;
    std::function<void()> action;
    std::function<bool()> bWhen;
    bool isDefault = false;  // the default push button's variant
};
class _button_hide : public TButton {
  public:
    _button_hide(TWindowBase& parent, ButtonHideArgs args);
    std::function<bool()> bWhen;
};

// newBar: the toolkit's bar-button positions the program fills (numbers are positions),
// then the positions _tBtnBmp adds after the toolkit's 25.
struct BtnBmpBarArgs {
    std::string resName1;                        // 1  picture resource
    std::string resName2;                        // 2  pressed picture resource
    std::string message;                         // 5  status message
    std::function<void(TBtnBmp&)> action;        // 6  called with the button
    bool group = false;                          // 7  starts a new group
    TBar* bar = nullptr;                         // 8
    bool adjust = false;                         // 9
    std::string actionText;                      // 14 a text describing the action
    std::function<bool()> bWhen;                 // the toolkit's when-condition
    std::string toolTip;                         // 23 the toolkit's tooltip
    std::string mnuTxt;                          // 26 menu text
    TControl* jump = nullptr;                    // 27 jump control
    std::string image1, image2, image3, image4;  // 28-31 in-memory images (BMP bytes)
};

// New: a button placed on a window or dialog at a rectangle of its units.
struct BtnBmpNewArgs {
    Rect rect;             // 1-4 top, left, width, height
    std::string resName1;  // picture resources
    std::string resName2;
    std::function<void(TBtnBmp&)> action;
    TWindowBase* window = nullptr;  // required
    std::string message;
    std::function<bool()> bWhen;
    bool adjust = false;
    std::string toolTip;
    int id = 0;
    std::string mnuTxt;                          // 27 menu text
    TControl* jump = nullptr;                    // 28 jump control
    std::string image1, image2, image3, image4;  // 29-32 in-memory images
};

// reDefine: a button standing for the control `id` of a dialog. Our dialogs are built in
// code: the button takes the place of the dialog's control with that id (which is hidden)
// when there is one, otherwise the rectangle given.
struct BtnBmpReDefineArgs {
    int id = 0;  // 1  control identifier in the dialog
    std::string resName1;
    std::string resName2;
    std::string message;
    std::function<void(TBtnBmp&)> action;  // 7
    TWindowBase* dialog = nullptr;         // 8  required
    std::function<bool()> bWhen;
    bool adjust = false;
    std::string toolTip;
    Rect rect;                                   // where to go without a control `id`
    std::string mnuTxt;                          // 24 menu text
    TControl* jump = nullptr;                    // 25 jump control
    std::string image1, image2, image3, image4;  // 26-29 in-memory images
};

class _tBtnBmp : public TBtnBmp {
  public:
    // nullptr, after an error record, when the bar, window or dialog is missing.
    static _tBtnBmp* New(BtnBmpNewArgs args);
    static _tBtnBmp* newBar(BtnBmpBarArgs args);
    static _tBtnBmp* reDefine(BtnBmpReDefineArgs args);

    // Used by the constructors above through the window's add<>.
    _tBtnBmp(TWindowBase& parent, BtnBmpOptions options);

    const std::string& cMnuTxt() const { return cMnuTxt_; }
    // The invisible companion: nullptr before the first paint of a button not on a bar,
    // and always for a bar button (which never gets one: hasCompanionSlot() is false).
    _button_hide* hiddenButton() const { return oBtn_.value_or(nullptr); }
    bool hasCompanionSlot() const { return !oBtn_.has_value() || *oBtn_ != nullptr; }

    // The toolkit click, then the focus, when the button holds it, goes to oJump or else
    // to the window's next control.
    void click();
    // Makes the invisible companion on the first paint of a button not on a bar, then
    // draws as the toolkit does.
    void paint(Canvas& canvas);
    // Also enable or disable the companion, and repaint.
    void enable();
    void disable();
    using TControl::enable;
    // Ends the companion and destroys the button.
    void end();
    // Images 1-4 from BMP bytes; an empty argument leaves its slot alone. Each new picture
    // frees the one it replaces and records whether it has an alpha channel. Bad bytes
    // raise the toolkit's error record and keep the slot's picture.
    void loadFromString(const std::string& image1 = "", const std::string& image2 = "",
                        const std::string& image3 = "", const std::string& image4 = "");

    void Click() override { click(); }
    void Paint(Canvas& canvas) override { paint(canvas); }
    void Enable() override { enable(); }
    void Disable() override { disable(); }
    void Destroy() override { end(); }

    // Set once the first button has been made (the class-wide registration flag).
    static bool lRegistered;

  private:
    void addMenu(const std::string& text);
    void companionClicked();
    void finish(const std::string& mnuTxt, TControl* jump, const std::string& i1,
                const std::string& i2, const std::string& i3, const std::string& i4);

    std::string cMnuTxt_;
    // nullopt: not made yet; nullptr: never (a bar button); else the companion.
    std::optional<_button_hide*> oBtn_;
};
