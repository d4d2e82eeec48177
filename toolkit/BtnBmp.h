#pragma once
// TBtnBmp: a button that shows a picture instead of a caption, on a button bar (TBar) or
// directly on a window or dialog. Owned by its window like every control (created with
// `window.add<TBtnBmp>(options)`, or TBar::addButton); a bar button's widget sits inside
// its bar, which places it.
//
// Four image slots, hBitmap(1) … hBitmap(4): the normal picture, the pressed one, the
// disabled one and the one under the mouse. Each holds a bitmap handle (Resources.h);
// handles the button made itself (from a resource or from BMP bytes) are freed when the
// slot is replaced and when the button goes, handles given by the caller stay theirs. A
// missing pressed or disabled picture is drawn from the normal one: pushed one pixel
// down and right while the mouse is held down, greyed while disabled.
//
// Pixels of the top-left pixel's colour are drawn in the button's face colour, so
// pictures drawn on a background show the face through it; 32-bit pictures with an alpha
// channel are blended over the face instead.
//
// Click() runs the action (called with the button) when the button is enabled and its
// when-condition bWhen, if any, allows; a mouse click, and a key press while the button
// has the focus, call Click(). Paint() draws through a canvas; the widget paints with it.
// Both are virtual so that a button class built on this one can add to them.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "Control.h"

class TBar;

struct BtnBmpOptions {
    Rect rect;             // in the window's units; on a bar the bar places the button
    std::string resName1;  // picture resources of slots 1 and 2 (normal, pressed)
    std::string resName2;
    std::string message;  // the status message
    std::function<void(class TBtnBmp&)> action;
    bool group = false;      // on a bar: starts a new group
    TBar* bar = nullptr;     // the bar holding the button, when on one
    bool adjust = false;     // on a bar: as wide as its picture instead of the bar's size
    std::string actionText;  // a text describing the action
    std::string toolTip;
    std::function<bool()> bWhen;
    bool transparent = true;  // the top-left pixel's colour shows the face
    int id = 0;
};

class TBtnBmp : public TControl {
  public:
    TBtnBmp(TWindowBase& parent, BtnBmpOptions options);
    ~TBtnBmp() override;

    // The window the button belongs to; a bar button's window is its bar's window.
    TWindowBase& oWnd() const { return parent(); }
    TBar* bar() const { return bar_; }
    // Pixel rectangle inside the window's client area (a bar button's adds the bar's place).
    Rect windowRect() const;

    virtual void Click();
    virtual void Paint(Canvas& canvas);
    virtual void Enable();
    virtual void Disable();
    // Destroys the button now: it leaves its bar and its window, which frees it.
    virtual void Destroy();

    // Image slots 1 to 4; other numbers answer 0 / false and change nothing.
    int hBitmap(int slot) const;
    // Puts a handle into a slot. `own`: the button frees it when done with it.
    void setBitmap(int slot, int handle, bool own);
    // A new bitmap from complete BMP bytes into a slot (freeing the one it replaces). Bad
    // bytes raise the toolkit's error record and leave the slot as it was: false.
    bool loadBitmap(int slot, std::span<const uint8_t> bmpBytes);
    bool loadResource(int slot, const std::string& name);
    // Whether the slot's picture came with an alpha channel.
    bool HasAlpha(int slot) const;

    const std::string& cToolTip() const { return toolTip_; }
    void setToolTip(const std::string& text);
    const std::string& message() const { return options_.message; }
    const std::string& actionText() const { return options_.actionText; }
    const std::string& resName1() const { return options_.resName1; }
    bool group() const { return options_.group; }
    bool adjust() const { return options_.adjust; }

    std::function<void(TBtnBmp&)> bAction;
    std::function<bool()> bWhen;
    // Mouse moved over the button, and right click; (row, col) in pixels inside the button.
    std::function<void(TBtnBmp&, int row, int col)> bMMoved;
    std::function<void(TBtnBmp&, int row, int col)> bRClicked;
    // Where the focus goes after a click of this button (see prg's _tBtnBmp).
    TControl* oJump = nullptr;

    // Expires when the button is destroyed: code that runs an action (which may destroy
    // the button) checks it before touching the button again.
    std::weak_ptr<int> lifetime() const { return alive_; }

    // Gives the focus to the next control of the window that takes it; false when none.
    bool focusNextControl();

    // The look being drawn: the mouse held down over the button, the mouse over it. A
    // button with a status message shows it in its window's status bar while hovered.
    bool pressed() const { return pressed_; }
    bool hovered() const { return hovered_; }
    void setPressed(bool on);
    void setHovered(bool on);
    // The picture drawn now: the slot the state asks for (or the normal picture, greyed
    // when disabled), with the face colour put in; empty when the button has no picture.
    Picture currentPicture() const;
    Color faceColor() const;
    void repaint();

  private:
    friend class TBar;
    struct Slot {
        int handle = 0;
        bool own = false;
        std::vector<uint8_t> alpha;  // one byte per pixel, empty when opaque
    };
    Slot* slot(int k);
    const Slot* slot(int k) const;
    void freeSlot(Slot& s);

    BtnBmpOptions options_;
    TBar* bar_;
    std::string toolTip_;
    Slot slots_[4];
    bool pressed_ = false;
    bool hovered_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};
