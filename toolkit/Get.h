#pragma once
// TGet: a single-line entry bound to a value and edited through a picture (getMask.h).
// Owned by its window like every control. The field reads its value from the binding when
// created and on refresh(), and writes it back when it loses the focus or on assign(),
// only when the user edited it (or the program gave it a value with setValue): a field
// left untouched keeps its variable exactly as it was, even when the picture shows it
// rounded or, for a number it cannot hold, as stars.
//
// Leaving the field asks lValid(); when it answers false the focus comes back. A date
// typed only in part, or not a real date (31/02/2011), is never written to the binding:
// lValid() answers false for it. A field
// whose bWhen answers false does not take the focus. Keys arrive at keyDown(key, flags)
// as virtual-key codes (Insert 45, Delete 46, arrows 37 to 40, Home 36, End 35,
// Backspace 8, F1 to F12 112 to 123); flags carry the held Shift and Control. Derived fields override the
// virtual steps and call the base class.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Control.h"
#include "Value.h"

class EditBuffer;

// Where the field's value lives.
struct GetBinding {
    std::function<Value()> get;
    std::function<void(const Value&)> set;
    // A variable that outlives the field.
    static GetBinding to(Value& v);
};

namespace keyflags {
constexpr int shift = 1;
constexpr int control = 2;
}  // namespace keyflags

// The context-menu message a field receives on a right click or the menu key.
constexpr int kContextMenuMessage = 123;

struct GetOptions {
    Rect rect;
    GetBinding binding;
    std::string picture;
    std::function<bool(class TGet&)> bValid;  // empty: always valid
    std::function<bool()> bWhen;              // empty: always enabled
    std::optional<TFont> font;
    std::optional<Color> textColor;  // default: window text (black)
    std::optional<Color> backColor;  // default: window background (white)
    int id = 0;
};

class TGet : public TControl {
  public:
    // Throws std::invalid_argument for a bad picture or a value that is not text, a number,
    // a date or a logical.
    TGet(TWindowBase& parent, GetOptions options);
    ~TGet() override;

    std::string text() const;  // as shown
    Value value() const;       // as typed so far; the value given, as it was, while untouched
    void setValue(const Value& v);
    void refresh();            // reads the binding again
    // Writes the typed value to the binding: a valid one, edited since it was read.
    void assign();
    void setPicture(const std::string& picture);
    const std::string& picture() const { return picture_; }

    bool insertMode() const;
    void setInsertMode(bool on);
    int caretPos() const;  // characters from the left
    void setCaretPos(int pos);

    // The caret: a bar `width` pixels wide and `height` high, drawn while the field has the focus.
    void setCaretShape(int width, int height);
    void showCaret(bool on = true);
    int caretWidth() const { return caretWidth_; }
    int caretHeight() const { return caretHeight_; }
    bool caretShown() const { return caretShown_; }
    int charHeight() const;  // of the field's font, pixels

    std::function<bool(TGet&)> bValid;
    std::function<bool()> bWhen;
    // Told after each key that changed the text.
    std::function<void(TGet&)> bChanged;
    // Sees each key first; answering true keeps it from the field.
    std::function<bool(TGet&, int key, int flags)> bKeyDown;

    // The steps a derived field refines.
    virtual std::optional<long> handleEvent(int message, intptr_t wParam, intptr_t lParam);
    virtual void gotFocus();
    virtual void lostFocus();
    virtual bool keyDown(int key, int flags);  // true when the key was used
    virtual std::string className() const { return "TGET"; }
    virtual bool lValid();

    // One typed character through the picture; false when refused.
    bool keyChar(char32_t c);

  protected:
    void repaint();

  private:
    void load(const Value& v, bool fromBinding);
    bool edited() const;

    std::unique_ptr<EditBuffer> buffer_;
    Value shown_;               // what the buffer was made from
    bool fromBinding_ = false;  // ... and it is the binding's own value
    GetBinding binding_;
    std::string picture_;
    int caretWidth_ = 1;
    int caretHeight_ = 0;
    bool caretShown_ = false;
};
