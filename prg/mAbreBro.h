#pragma once
// The browse window as a child of the multiple-document frame (tMAbreBrow, uMTBrowse): all
// of the browse window (WBrowseCore) in a TMdiChild, whose menu, client and closing are the
// child's. Operations both bases could offer resolve to these overrides.
#include "Mdi.h"
#include "wAbreBro.h"

// new of uMTBrowse: the browse window's 32 positions (7 the frame), then 33.
struct MTbrowseNew {
    WTbrowseNew base;
    int nStyle = 0;  // 33 handed to the child window's creation
};

class tMAbreBrow : public TMdiChild, public WBrowseCore {
  public:
    tMAbreBrow(TMdiFrame& frame, MdiChildOptions options);
    ~tMAbreBrow() override;
    using WBrowseCore::end;
    // Every control without a right-click callback opens the button menu; then the child shows.
    void activate(TWindow::Show how = TWindow::Show::Normal);

  protected:
    TWindowBase& frame() override { return *this; }
    void installMenu(std::unique_ptr<TMenu> menu) override;
    TMenu* currentMenu() override;
    void takeClient(TControl* c) override;
    bool closeFrame() override;
};

class uMTBrowse : public tMAbreBrow {
  public:
    using tMAbreBrow::tMAbreBrow;
    // nullptr when position 7 is not a multiple-document frame.
    static std::unique_ptr<uMTBrowse> New(MTbrowseNew args);
};
