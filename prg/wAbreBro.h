#pragma once
// The browse window: a cell browse (tCAbreBrow) as the client of a window, with a button
// bar, a status bar carrying the search text and the record counter, a row of index tabs,
// a menu and a right-click pop-up menu of the bar's buttons.
//
// The same window lives in three frames: a top-level window (tWAbreBrow, uWTbrowse), a modal
// dialog (dAbreBrow, uDTbrowse) and a child window of the multiple-document frame
// (tMAbreBrow, uMTBrowse). What they share is WBrowseCore: the lists of indexes and reports,
// the default bar and menu, the button registry, setIndex, barraScope and closing. Each
// frame class derives from its toolkit window and from WBrowseCore, and says in three
// overrides how its frame installs a menu, takes the browse as client and closes; nothing
// is left to the order of the base classes.
//
// Callers reach the hosted browse through `oBrw` (window->oBrw->aHeaders, ->unirHead,
// ->drawFoot, ->upStable, ->nAt, ->lOk ...). The browse's event callbacks (bLClicked,
// bLDblClick, bRClicked, bKeyChar ...) live on the browse alone: the window has none of its
// own, so nothing assigned to the window can reach them.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "btnBmp.h"
#include "Menu.h"
#include "TopWindow.h"
#include "cAbreBro.h"

class TWindow;

// What builds the button bar: the default bar, none (false), or a callable called with the
// window that may answer a menu for it.
struct BarraArg {
    enum class Kind { Default, None, Build } kind = Kind::Default;
    std::function<std::unique_ptr<TMenu>(class WBrowseCore&)> build;
    BarraArg() = default;
    BarraArg(std::function<std::unique_ptr<TMenu>(class WBrowseCore&)> f) : kind(Kind::Build), build(std::move(f)) {}
    static BarraArg none() {
        BarraArg a;
        a.kind = Kind::None;
        return a;
    }
};

// The menu argument: empty means the default menu; a menu is the window's menu; none
// (false) means no menu.
struct MenuArg {
    enum class Kind { Default, None, Given } kind = Kind::Default;
    std::unique_ptr<TMenu> menu;
    MenuArg() = default;
    MenuArg(std::unique_ptr<TMenu> m) : kind(Kind::Given), menu(std::move(m)) {}
    static MenuArg none() {
        MenuArg a;
        a.kind = Kind::None;
        return a;
    }
};

// new of uWTbrowse: positions 1 to 32.
struct WTbrowseNew {
    double nTop = 0, nLeft = 0, nBottom = 0, nRight = 0;  // 1-4
    BrowseSource source;                                  // 5
    std::vector<BrowseRow> aHeaders;                      // 6
    TWindowBase* oWnd = nullptr;                          // 7  parent window
    DblClickSpec bLDblClick;                              // 8
    std::string cTitle;                                   // 9
    BarraArg uBarra;                                      // 10
    MenuArg oMenu;                                        // 11
    bool lPixel = false;                                  // 12
    bool lEdit = false;                                   // 13
    Value lYesNo;                                         // 14 picker when non-empty
    Value lDel;                                           // 15 delete/recover shown when non-empty
    Value aIndexMsg;                                      // 16 text or list
    Value aIndexNum;                                      // 17 tag name, order number or list
    Value aIndexTxt;                                      // 18 text or list
    Value uIndex;                                         // 19 one of the orders
    Value aPrintBlk;                                      // 20 callable or list of them
    Value aPrintMsg;                                      // 21
    Value aPrintTxt;                                      // 22
    SeekCallback bSeek;                                   // 23
    bool lSeekEOF = false;                                // 24
    Value bBtnDel;                                        // 25 callable or expression text
    std::string oIcon;                                    // 26 icon resource
    ColSizes aColSizes;                                   // 27
    std::string cAlias;                                   // 28
    std::function<void(TWBrowse&)> bChange;               // 29
    std::function<void(int row, int col, int flags)> bRClicked;  // 30
    std::function<void(int row, int col, int flags)> bLClicked;  // 31
    std::optional<Color> oBrush;                          // 32
};

class WBrowseCore : public BtnMenuHost {
  public:
    ~WBrowseCore() override;

    tCAbreBrow* oBrw = nullptr;
    class TTabs* oTabs = nullptr;
    class TMsgBar* oMsgBar = nullptr;
    std::vector<std::string> aIndexTxt;
    std::vector<Value> aIndexNum;
    std::vector<std::string> aIndexMsg;
    std::vector<TMenuItem*> aIndexObj;
    std::vector<std::string> aPrintTxt;
    std::vector<Value> aPrintBlk;
    std::vector<std::string> aPrintMsg;
    std::function<void()> bBtnDel;
    bool lAction = false, lEdit = false, lBtnAction = false, lBtnYesNo = false, lBtnDel = false;
    Value oCursorBar;
    BarraArg uBarra;
    TBar* oBar = nullptr;
    std::vector<_tBtnBmp*> aMnuBtns;
    std::vector<std::string> cMnuLetras;  // one accelerator per registered button ("\0" for none)
    static inline bool lRegistered = false;
    // The menu-info position of the window's menu (kept here: the toolkit's menus have none).
    int nMenuInfo = 0;

    void newPrev(const Value& indexTxt, const Value& indexNum, const Value& indexMsg, const Value& printTxt,
                 const Value& printBlk, const Value& printMsg, Value& initialIndex, const DblClickSpec& dblClick,
                 bool edit, const Value& yesNo, const Value& del, const Value& delAction);
    void newPost(const Value& initialIndex, MenuArg menu, const BarraArg& bar);
    // The position of an order among the index orders, 0 when it is not one of them.
    int indexPosition(const Value& index) const;
    // The browse's owner becomes this window, and reports without a callback print the browse.
    void ownBrowse();
    // Creates the browse with the window as parent and the positions of the window's new.
    tCAbreBrow* browse(const BrowseSource& source, std::vector<BrowseRow> headers, ColSizes sizes,
                       std::function<void(TWBrowse&)> change, DblClickSpec dblClick,
                       std::function<void(int, int, int)> rClicked, const std::string& alias,
                       std::function<void(int, int, int)> lClicked, SeekCallback seek, bool seekEOF);
    // The browse of the constructors' positions (5, 6, 27, 29, 8, 30, 28, 31, 23, 24; brush 32).
    tCAbreBrow* browseOf(WTbrowseNew& args);
    void barras();
    std::unique_ptr<TMenu> menuDefault();
    void addMenu(_tBtnBmp& button) override;
    void showMenu(int row, int col) override;
    void showMenu(int row, int col, int flags, TWindowBase* reference);
    int setIndex(std::optional<int> n = std::nullopt);
    void barraScope(const std::string& label1 = "&Filtro", const std::string& label2 = "",
                    const std::string& picture = "");
    void refresODBC();
    std::function<void()> bloqueIndice(int n);
    // The client shortened by the tabs, which sit right above the status bar.
    void reSize(int sizeType, int width, int height);
    // Empties the browse's alias, closes the frame, and puts the alias back when the close
    // was refused; true when the frame closed.
    bool end();
    // Control+letter of the registered buttons: true when a button was clicked.
    bool acceleratorKey(char32_t key);
    // Where positions 1-4 put a frame, in pixels: text rows and columns unless in pixels;
    // 640 x 400 when no size is given.
    struct FramePlace {
        int top = 0, left = 0, width = 640, height = 400;
    };
    static FramePlace framePlace(const WTbrowseNew& args);
    // Gives the browse a right click that opens the button menu, when it has none.
    void browseMenuOnRightClick();
    // Runs report n (1-based) of the report list.
    void runReport(int n);


    // The window's right-click callback (showMenu once buttons registered).
    std::function<void(int row, int col)> bRClickedWindow;
    // What a pick on the index tab row does: setIndex, or, with a scope filter on the bar,
    // clear the filter first.
    std::function<void(int option)> tabAction = [this](int n) { setIndex(n); };
    // The filter fields of barraScope, when there are any.
    std::vector<class tGetFer*> aScopeGets;

    // The caller's resize callback, called after reSize with the frame's size type and size.
    std::function<void(int sizeType, int width, int height)> bResizedBy;

  protected:
    virtual TWindowBase& frame() = 0;
    virtual void installMenu(std::unique_ptr<TMenu> menu) = 0;
    virtual TMenu* currentMenu() = 0;
    virtual void takeClient(TControl* c) = 0;
    virtual bool closeFrame() = 0;
    // Closes the frame after an accept or a close button: sets the browse's lOk first when asked.
    void closeWith(bool ok);

  private:
    void defaultDelete();
    void indexChecks(int n);
};

// The top-level browse window.
class tWAbreBrow : public TWindow, public WBrowseCore {
  public:
    explicit tWAbreBrow(WindowOptions options);
    ~tWAbreBrow() override;
    using WBrowseCore::end;
    // Every control without a right-click callback opens the button menu; then the window shows.
    void activate(TWindow::Show how = TWindow::Show::Normal);

  protected:
    TWindowBase& frame() override { return *this; }
    void installMenu(std::unique_ptr<TMenu> menu) override;
    TMenu* currentMenu() override;
    void takeClient(TControl* c) override;
    bool closeFrame() override;
};

class uWTbrowse : public tWAbreBrow {
  public:
    using tWAbreBrow::tWAbreBrow;
    static std::unique_ptr<uWTbrowse> New(WTbrowseNew args);
};
