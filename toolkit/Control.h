#pragma once
// Controls placed in a window: the common base TControl, the label TSay and the push
// button TButton. Each is owned by its window (TWindowBase::add) and lives as long as it.
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Canvas.h"
#include "Color.h"
#include "Font.h"
#include "Geometry.h"
#include "Picture.h"

class TWindowBase;
struct ControlImpl;

enum class MouseCursor { Arrow, Hand };

class TControl {
  public:
    virtual ~TControl();
    TControl(const TControl&) = delete;
    TControl& operator=(const TControl&) = delete;

    int id() const { return id_; }
    TWindowBase& parent() const { return parent_; }

    std::string caption() const;
    void setCaption(const std::string& caption);

    // Position and size in the parent's units.
    Rect rect() const;
    void move(const Rect& r);
    // Position and size in pixels, as shown.
    Rect pixelRect() const;
    // A point given in pixels of the control (0,0 its top-left corner) on the screen.
    Point toScreen(Point p) const;

    void show();
    void hide();
    bool visible() const;
    void enable(bool on);
    bool enabled() const;
    void setFocus();
    bool hasFocus() const;
    // Tab from this control goes to `next` (and Shift+Tab from `next` comes back here).
    void setTabNext(TControl& next);
    // The mouse pointer's shape while over the control.
    void setCursor(MouseCursor cursor);
    MouseCursor cursor() const;

    void setFont(const TFont& font);
    const TFont& font() const { return font_; }
    // Text colour and, when given, an opaque background; without one the control is transparent.
    void setColors(Color text, std::optional<Color> back = std::nullopt);
    Color textColor() const { return textColor_; }
    std::optional<Color> backColor() const { return backColor_; }

    ControlImpl& impl() const { return *impl_; }

  protected:
    TControl(TWindowBase& parent, int id, const Rect& r, std::unique_ptr<ControlImpl> impl);

    TWindowBase& parent_;
    int id_;
    std::unique_ptr<ControlImpl> impl_;
    TFont font_;
    Color textColor_ = colors::black;
    std::optional<Color> backColor_;
};

struct SayOptions {
    Rect rect;
    std::string text;
    int align = TextAlign::Left;  // TextAlign flags
    std::optional<TFont> font;
    std::optional<Color> textColor;
    std::optional<Color> backColor;
    int id = 0;
};

// A text label. Click handlers receive the click position in pixels inside the label;
// a label without a handler lets the click through to its window.
class TSay : public TControl {
  public:
    // The control that Alt and the letter after "&" in the text give the focus to; the
    // letter is shown underlined.
    void setBuddy(TControl& control);
    TSay(TWindowBase& parent, SayOptions options);

    std::string text() const { return caption(); }
    int align() const { return align_; }
    void setAlign(int align);
    // Blank pixels kept between the text and the edge it is aligned to.
    void setIndent(int pixels);
    int indent() const { return indent_; }

    void setOnLeftClick(std::function<void(int row, int col)> f);
    void setOnRightClick(std::function<void(int row, int col)> f);
    void setOnLeftDoubleClick(std::function<void(int row, int col)> f);

  private:
    int align_;
    int indent_ = 0;
};

struct ButtonOptions {
    Rect rect;
    std::string caption;
    std::function<void()> action;
    bool isDefault = false;
    std::optional<TFont> font;
    int id = 0;
};

// A push button running its action when pressed (by mouse, keyboard or click()).
class TButton : public TControl {
  public:
    TButton(TWindowBase& parent, ButtonOptions options);

    void setAction(std::function<void()> action) { action_ = std::move(action); }
    // A picture shown on the button, fitted inside it; an empty picture removes it.
    void setPicture(const Picture& picture);
    void click();
    bool isDefault() const;
    void setDefault(bool on);

  private:
    std::function<void()> action_;
};
