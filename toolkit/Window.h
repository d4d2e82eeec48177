#pragma once
// Windows that hold controls: the base of TDialog and TWindow.
//
// A window owns its controls: `add<TSay>(...)` creates one inside the window and returns a
// pointer that stays valid as long as the window. Controls are placed in the window's
// units (Geometry.h); the window's own size is always in pixels of its client area.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Geometry.h"

class TControl;
class TMsgBar;
struct WindowImpl;

class TWindowBase {
  public:
    virtual ~TWindowBase();
    TWindowBase(const TWindowBase&) = delete;
    TWindowBase& operator=(const TWindowBase&) = delete;

    template <class C, class... Args>
    C* add(Args&&... args) {
        auto c = std::make_unique<C>(*this, std::forward<Args>(args)...);
        C* p = c.get();
        controls_.push_back(std::move(c));
        return p;
    }
    const std::vector<std::unique_ptr<TControl>>& controls() const { return controls_; }
    // Destroys one control of this window now (the client too, which then is none); false
    // when it is not one of them.
    virtual bool destroyControl(TControl* c);

    // Controls docked along the top edge (button bars): stacked in docking order, each as
    // wide as the client area. The rest of the client area begins at clientTop().
    void dockTop(TControl* c);
    // Controls docked along the bottom edge (status bars): the first docked is the lowest.
    // The rest of the client area ends clientBottom() pixels above the bottom.
    void dockBottom(TControl* c);
    void undock(TControl* c);
    int clientTop() const;
    int clientBottom() const;
    // The window's status bar, where menu items and buttons show their status messages;
    // nullptr when it has none (TMsgBar sets and clears it).
    TMsgBar* msgBar() const { return msgBar_; }
    void setMsgBar(TMsgBar* bar) { msgBar_ = bar; }
    // Shows `message` in the status bar in place of its default message; "" brings the
    // default back. Nothing happens without a status bar.
    void showStatus(const std::string& message);
    // Places the docked controls and the client again (the window calls it when its size
    // changes).
    virtual void layoutDocked();
    // `c` (a control of this window) fills the client area between the docked bars and
    // follows its size; nullptr for none.
    void setClient(TControl* c);
    TControl* client() const { return client_; }
    // The control with this id or caption ("&" and surrounding blanks ignored); nullptr if none.
    TControl* control(int id) const;
    TControl* control(const std::string& caption) const;

    void setTitle(const std::string& title);
    std::string title() const;
    Units units() const { return units_; }

    // Client area in pixels.
    int width() const;
    int height() const;
    // The whole window on the screen: caption bar, menu bar and borders included.
    int outerWidth() const;
    int outerHeight() const;
    void setSize(int width, int height);
    void moveTo(int top, int left);  // window position on the screen, pixels
    int top() const;
    int left() const;
    void center();  // on the screen, or over the parent window when there is one

    void hide();
    bool visible() const;
    void bringToTop();

    WindowImpl& impl() const { return *impl_; }

  protected:
    TWindowBase(Units units, std::unique_ptr<WindowImpl> impl);
    void destroyControls();

    std::unique_ptr<WindowImpl> impl_;
    Units units_;
    std::vector<std::unique_ptr<TControl>> controls_;
    std::vector<TControl*> dockedTop_;
    std::vector<TControl*> dockedBottom_;
    TControl* client_ = nullptr;
    TMsgBar* msgBar_ = nullptr;
};

// Strips "&" and surrounding blanks: " &Aceptar " reads "Aceptar".
std::string plainCaption(const std::string& caption);
