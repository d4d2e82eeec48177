#pragma once
// Multiple-document windows.
//
// TMdiFrame: a top-level window (TWindow) whose client area is a frame for child windows.
// Controls placed in it (the program's logo) stay under every child; the frame shows the
// same background as a plain window's client area.
//
// TMdiChild: a child window inside a frame, with a caption, an icon, its own menu bar, a
// client control, docked bars (a button bar at the top, a status bar at the bottom) and
// controls placed like in any window. Its menu bar is kept at the top of the child itself
// (the frame's menu bar stays the frame's). Closing (the close box or end()) asks the close
// query bValid; a child that closes is hidden, leaves the frame's list of open children and
// calls bClosed; the object stays its owner's, who may show it again or destroy it (not
// from inside bClosed). Resize handler: the size type (0 restored, 1 minimised,
// 2 maximised) and the client size in pixels.
#include <functional>
#include <memory>
#include <vector>

#include "TopWindow.h"

class TMdiChild;

class TMdiFrame : public TWindow {
  public:
    explicit TMdiFrame(WindowOptions options);
    ~TMdiFrame() override;

    // Children shown now, in creation order, and the active one (nullptr when none).
    std::vector<TMdiChild*> openChildren() const;
    TMdiChild* activeChild() const;
    // The application's frame: the first frame made that still exists; nullptr when none.
    static TMdiFrame* appFrame();
    void cascade();
    void tile();

  private:
    friend class TMdiChild;
    std::vector<TMdiChild*> children_;
};

struct MdiChildOptions {
    std::string title;
    int width = 400;  // client area, pixels
    int height = 300;
    Units units = Units::Pixels;
};

class TMdiChild : public TWindowBase {
  public:
    TMdiChild(TMdiFrame& frame, MdiChildOptions options);
    ~TMdiChild() override;

    std::function<void(TMdiChild&, int sizeType, int width, int height)> bResized;
    std::function<bool(TMdiChild&)> bValid;
    std::function<void(TMdiChild&)> bClosed;

    // The frame holding the child; nullptr once the frame is gone (a child should go first).
    TMdiFrame* frame() const { return frame_; }
    void setMenu(std::unique_ptr<TMenu> menu);
    TMenu* menu() const { return menu_.get(); }
    void setIcon(const TIcon& icon);
    const TIcon& icon() const { return icon_; }

    // Open: shown in its frame (even minimised), not closed.
    bool open() const;
    // Shows the child in its frame and makes it the active one.
    void activate(TWindow::Show how = TWindow::Show::Normal);
    bool active() const;
    // Closes through the close query; true when closed.
    bool end();
    bool minimized() const;
    bool maximized() const;

  private:
    friend class TMdiFrame;
    TMdiFrame* frame_;
    std::unique_ptr<TMenu> menu_;
    TIcon icon_;
};
