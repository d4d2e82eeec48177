#pragma once
// TWindow: a top-level window with a caption, a menu bar, an icon and a client area that
// holds controls (or one control filling it). The program's main window is one.
//
// Resize handler: called with the size type (0 restored, 1 minimised, 2 maximised) and
// the client size in pixels. Close query bValid: asked before the window closes, by the
// close box or by end(); false keeps it open.
#include <functional>
#include <memory>

#include "Bitmap.h"
#include "Window.h"

class TMenu;

struct WindowOptions {
    std::string title;
    int width = 640;  // client area, pixels
    int height = 480;
    Units units = Units::Pixels;
};

class TWindow : public TWindowBase {
  public:
    enum class Show { Normal, Maximized, Minimized };

    explicit TWindow(WindowOptions options);
    ~TWindow() override;

    std::function<void(TWindow&, int sizeType, int width, int height)> bResized;
    std::function<bool(TWindow&)> bValid;

    void setMenu(std::unique_ptr<TMenu> menu);
    TMenu* menu() const { return menu_.get(); }
    void setIcon(const TIcon& icon);
    const TIcon& icon() const { return icon_; }

    void activate(Show how = Show::Normal);
    // Closes through the close query; true when closed.
    bool end();
    void minimize();
    void restore();  // shows it again, not minimised, on top
    bool minimized() const;
    bool maximized() const;
    // Runs the event loop until the window has closed.
    void waitClosed();

  protected:
    // A frame for child windows (TMdiFrame) instead of a plain client area.
    TWindow(WindowOptions options, bool mdiFrame);

  private:
    std::unique_ptr<TMenu> menu_;
    TIcon icon_;
};
