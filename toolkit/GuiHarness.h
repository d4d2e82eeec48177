#pragma once
// The GUI test harness: drives real windows (offscreen in tests) without ever leaving a
// modal window waiting.
//
//  - onNextModal(action): the next modal window to appear (dialog, message box, busy box,
//    pop-up menu) is bound to `action` when it shows, in order of appearance; the action
//    runs from that window's own event loop (or, for a busy box, at the next event
//    processing) with a WindowView of it. A modal window that appears with no action
//    queued is recorded in unexpected() and closed at once, so a test fails instead of hanging.
//  - WindowView: finds controls by caption or id, presses buttons, sends keys and text,
//    clicks and double-clicks labels, reads labels, geometry and focus, chooses pop-up menu
//    items, and grabs the window into a picture or a PNG file.
//  - TestClock and setKeyboardForTests (Keyboard.h) make time and the key state
//    the test's own.
// Create one GuiHarness per test; it stops watching when destroyed.
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Geometry.h"
#include "Keyboard.h"
#include "Picture.h"

struct ViewImpl;

class WindowView {
  public:
    explicit WindowView(std::shared_ptr<ViewImpl> impl);

    bool valid() const;  // the window still exists
    // The toolkit window shown (a TDialog, a TWindow...); nullptr for the windowing
    // system's own boxes (message boxes, menus, choosers).
    class TWindowBase* window() const;
    bool visible() const;
    bool modal() const;
    std::string title() const;
    // The title bar as the windowing system is asked to show it: its text (where an empty
    // one would make it show the program's name) and its buttons.
    struct TitleBar {
        std::string text;
        bool close = false, minimize = false, maximize = false;
    };
    TitleBar titleBar() const;
    int width() const;  // client area, pixels
    int height() const;

    // Texts of the labels and captions of the buttons, in creation order.
    std::vector<std::string> labels() const;
    std::vector<std::string> buttons() const;
    // Caption of the control that has (or will get) the focus; "" when none.
    std::string focusedCaption() const;
    // Pixel rectangle of the button or label with this caption or text; nullopt when none.
    std::optional<Rect> controlRect(const std::string& caption) const;

    // Presses the button with this caption ("&" and blanks ignored when no exact match),
    // or with this control id; false when there is none.
    bool press(const std::string& caption);
    bool press(int id);
    // A key pressed and released in the focused control (or the window).
    void key(Key k);
    void type(const std::string& text);
    // Mouse clicks on a label found by its text, or on the window at (row, col) pixels.
    bool clickLabel(const std::string& text, bool right = false);
    bool doubleClickLabel(const std::string& text);
    void click(int row, int col);
    // The window's close box.
    void close();

    // Chooses the item with this text in a drop-down list of the window, as a click in
    // its opened list does; false when no list has it.
    bool pickItem(const std::string& text);

    // Items of a pop-up menu ("-" for separators) and choosing one.
    std::vector<std::string> menuItems() const;
    bool choose(const std::string& caption);

    Picture grab() const;
    bool grab(const std::string& pngPath) const;
    // The window as the screen shows it: the other visible top-level windows that lie over
    // it (pop-ups placed over a control, opened lists) drawn at their places.
    Picture grabWithPopups() const;
    bool grabWithPopups(const std::string& pngPath) const;

  private:
    friend class GuiHarness;
    std::shared_ptr<ViewImpl> impl_;
};

class GuiHarness {
  public:
    GuiHarness();
    ~GuiHarness();
    GuiHarness(const GuiHarness&) = delete;
    GuiHarness& operator=(const GuiHarness&) = delete;

    void onNextModal(std::function<void(WindowView&)> action);
    size_t pending() const { return actions_.size(); }
    // Titles of modal windows that appeared with no action queued.
    const std::vector<std::string>& unexpected() const { return unexpected_; }

    // Visible top-level windows, and the first with this title.
    static std::vector<WindowView> windows();
    static std::optional<WindowView> window(const std::string& title);
    // Child windows shown inside the frames of visible windows (TMdiChild), and the first
    // with this title.
    static std::vector<WindowView> childWindows();
    static std::optional<WindowView> childWindow(const std::string& title);

    struct Watcher;

  private:
    friend struct Watcher;
    std::deque<std::function<void(WindowView&)>> actions_;
    std::vector<std::string> unexpected_;
    std::unique_ptr<Watcher> watcher_;
};

// A clock for tests: starts at `start` (seconds since 1970, local time) and moves
// `step` seconds forward at every read. onRead, when set, sees each new time.
class TestClock {
  public:
    explicit TestClock(double start = 1321574400.0, double step = 0.25);
    ~TestClock();
    double now = 0;
    double step = 0;
    std::function<void(double)> onRead;
};
