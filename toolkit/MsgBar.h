#pragma once
// TMsgBar: a status bar docked along the bottom of a window or dialog
// (TWindowBase::dockBottom), as wide as its client area. Its left part shows a message:
// the default message (SetMsg, cMsgDef) unless a status message of a menu item or a button
// under the mouse stands in for it (showStatus). Its items (TMsgItem) sit at the right
// edge, in the order added from left to right, each with its own width, text and colours.
// The bar becomes its window's status bar (TWindowBase::msgBar) and stops being it when
// destroyed. It paints through a canvas, like the button bar.
#include <memory>
#include <string>
#include <vector>

#include "Control.h"

class TMsgBar;

struct MsgItemOptions {
    int width = 40;  // pixels
    std::string text;
    Color textColor = colors::black;
    Color backColor = colors::buttonFace;
};

class TMsgItem {
  public:
    TMsgItem(TMsgBar& bar, MsgItemOptions options);

    // The width asked, or more when the text needs it (a counter is never cut).
    int width() const;
    const std::string& text() const { return options_.text; }
    void SetText(const std::string& text);
    Color textColor() const { return options_.textColor; }
    Color backColor() const { return options_.backColor; }
    void setColors(Color text, Color back);
    // Pixels inside the bar.
    Rect rect() const;

  private:
    TMsgBar& bar_;
    MsgItemOptions options_;
};

struct MsgBarOptions {
    std::string msgDef;  // the default message
    int id = 0;
};

class TMsgBar : public TControl {
  public:
    static constexpr int kItemGap = 2;  // pixels between two items, and after the last

    TMsgBar(TWindowBase& parent, MsgBarOptions options = {});
    ~TMsgBar() override;

    // The default message: shown whenever no status message stands in for it.
    void SetMsg(const std::string& message);
    const std::string& cMsgDef() const { return msgDef_; }
    // A status message shown in place of the default one; "" brings the default back.
    void showStatus(const std::string& message);
    // The message shown now.
    const std::string& cMsg() const { return status_.empty() ? msgDef_ : status_; }
    void Refresh();

    TMsgItem* AddItem(MsgItemOptions options);
    const std::vector<std::unique_ptr<TMsgItem>>& items() const { return items_; }
    // Pixels inside the bar of item i (0-based).
    Rect itemRect(size_t i) const;

    int barHeight() const;
    void Paint(Canvas& canvas);

  private:
    std::string msgDef_;
    std::string status_;
    std::vector<std::unique_ptr<TMsgItem>> items_;
};
