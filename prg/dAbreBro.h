#pragma once
// The browse window as a modal dialog (dAbreBrow, uDTbrowse). It keeps everything of the
// browse window (WBrowseCore: lists, default bar and menu, status bar, counter, tabs, button
// menu, setIndex, end) and differs in how the frame is made, shown and closed: the dialog
// is the frame (its menu, client and closing are the dialog's), the bar, status bar and
// tabs of a dialog built in code are made by its start-up action, and activate() answers
// whether the user accepted. Operations both bases could offer resolve to these overrides.
#include "Dialog.h"
#include "wAbreBro.h"

// new of uDTbrowse: the browse window's 32 positions, then 33 to 46.
struct DTbrowseNew {
    WTbrowseNew base;                        // 1-32 (1-4 the dialog's coordinates, 7 the owner)
    std::string cResName;                    // 33 dialog template
    std::string cResModule;                  // 34
    int nBrwId = 0;                          // 35 the browse's control in the template
    bool lBrwUpdate = false;                 // 36
    std::function<bool()> bBrwWhen;          // 37
    int nTabsId = 0;                         // 38 the tab row's control in the template
    Value u39;                               // 39 passed on, not used
    std::function<bool()> bBrwValid;         // 40
    std::vector<Value> u41to46;              // 41-46 passed on, not used
};

class dAbreBrow : public TDialog, public WBrowseCore {
  public:
    explicit dAbreBrow(DialogOptions options);
    ~dAbreBrow() override;
    using WBrowseCore::end;

    // Shows the dialog modally: the start-up action (menu, bar, status bar, tabs, index) runs
    // first, then the caller's; true when the user accepted (or closed with "Cerrar").
    bool activate(ActivateOptions options = {});

  protected:
    TWindowBase& frame() override { return *this; }
    void installMenu(std::unique_ptr<TMenu> menu) override;
    TMenu* currentMenu() override;
    void takeClient(TControl* c) override;
    bool closeFrame() override;

    std::function<void(TDialog&)> bInicio;
    std::unique_ptr<TMenu> pendingMenu_;  // installed by the start-up action
    friend class uDTbrowse;
};

class uDTbrowse : public dAbreBrow {
  public:
    using dAbreBrow::dAbreBrow;
    static std::unique_ptr<uDTbrowse> New(DTbrowseNew args);
};
