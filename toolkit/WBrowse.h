#pragma once
// TWBrowse: the toolkit's scrolling, owner-drawn grid. It shows rows one line each, reads
// only the rows on its page, and moves through them with four callables (row count, top,
// bottom, skip n rows) so that the same control browses a table, an array or anything that
// can answer those four. Derived grids (the cell browse) override the drawing, the keys,
// the mouse and the movements; this class gives working base versions of each.
//
// Drawing goes through a device context (GetDC/ReleaseDC, DispBegin/DispEnd): normally a
// canvas over the control's backing image, shown on the screen when the outermost context
// is released; paintTo() sends a whole paint to any canvas instead (an image, a printer
// page, the recording canvas of a test).
//
// Keys arrive as virtual-key codes (keyDown: arrows 37-40, Home 36, End 35, Page Up 33,
// Page Down 34) and characters (keyChar: Enter 13, Backspace 8, Escape 27, Control+Backspace
// 127, printable characters by their code).
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Control.h"
#include "Value.h"

class TWBrowse;
using BrowseRow = std::vector<Value>;

// A colour given as a number, as a callback of (column, values of the line), or not at all.
struct ColorSpec {
    using Callback = std::function<std::optional<Color>(int col, const BrowseRow& row)>;
    std::optional<Color> value;
    Callback callback;

    ColorSpec() = default;
    ColorSpec(Color c) : value(c) {}
    ColorSpec(Callback f) : callback(std::move(f)) {}
    bool empty() const { return !value && !callback; }
    bool isCallback() const { return bool(callback); }
    std::optional<Color> of(int col, const BrowseRow& row) const { return callback ? callback(col, row) : value; }
};

// Column widths in pixels, given as a list or computed by a callback at every use.
struct ColSizes {
    std::vector<int> widths;
    std::function<std::vector<int>()> callback;

    ColSizes() = default;
    ColSizes(std::vector<int> w) : widths(std::move(w)) {}
    ColSizes(std::initializer_list<int> w) : widths(w) {}
    ColSizes(std::function<std::vector<int>()> f) : callback(std::move(f)) {}
    bool isCallback() const { return bool(callback); }
    bool empty() const { return !callback && widths.empty(); }
};

// What a double click hands to its callback.
struct BrowseDblClick {
    int nRow = 0, nCol = 0, nStKey = 0;  // pixel row and column, key flags
    bool lModif = false, lNew = false;
    TWBrowse* oBrow = nullptr;  // the control
    void* oClase = nullptr;     // its owner object, when the owner set one
    // Where the handler writes its answer, when the caller wants one (a record buffer, a
    // record number, a logical or nothing).
    Value* result = nullptr;
};

// A scroll bar of the grid: a range and a position that the grid moves as it moves, and
// that the user moves with the mouse (the grid then follows).
class TScrollBar {
  public:
    explicit TScrollBar(bool vertical) : vertical_(vertical) {}
    bool vertical() const { return vertical_; }
    long nMin = 1, nMax = 1;
    long GetPos() const { return pos_; }
    void SetPos(long pos);
    void SetRange(long min, long max);
    void GoUp() { SetPos(pos_ - 1); }
    void GoDown() { SetPos(pos_ + 1); }
    void GoTop() { SetPos(nMin); }
    void GoBottom() { SetPos(nMax); }
    std::function<void()> changed;  // the toolkit's hook: shows the new state

  private:
    bool vertical_;
    long pos_ = 1;
};

struct TWBrowseOptions {
    Rect rect;  // top, left, width, height in the window's units
    std::function<BrowseRow()> bLine;
    std::vector<BrowseRow> aHeaders;  // one row of captions, or several rows
    ColSizes aColSizes;
    std::function<void(TWBrowse&)> bChange;
    // Sees each navigation key first (virtual-key code, flags); true keeps it from the grid.
    std::function<bool(int key, int flags)> bKeyDown;
    std::function<void(const BrowseDblClick&)> bLDblClick;
    std::function<void(int row, int col, int flags)> bRClicked;
    std::optional<TFont> oFont;
    ColorSpec nClrFore;  // text colour; empty: black
    ColorSpec nClrBack;  // pane colour; empty: white
    std::string cMsg;
    bool lUpdate = false;
    std::string cAlias;
    std::function<bool()> bWhen;
    std::function<bool()> bValid;
    std::function<void(int row, int col, int flags)> bLClicked;
    std::vector<std::function<void(TWBrowse&, int row, int col)>> aActions;
    int id = 0;
};

class TWBrowse : public TControl {
  public:
    TWBrowse(TWindowBase& parent, TWBrowseOptions options);
    ~TWBrowse() override;

    // ---- data members the grid and its derived controls read and write ----
    std::function<BrowseRow()> bLine;
    std::vector<BrowseRow> aHeaders;
    ColSizes aColSizes;
    std::vector<Value> aJustify;  // per column: false/0 left, true/1 right, 2 centre
    ColorSpec nClrText, nClrPane;
    ColorSpec nClrForeHead, nClrBackHead;
    ColorSpec nClrForeFocus, nClrBackFocus;
    TFont oFont;
    int nRowPos = 1;  // line of the selection on the page, from 1
    int nColPos = 1;  // first scrolled column shown
    int nColAct = 1;  // current column
    long nAt = 1;     // current element in array mode
    long nLen = 0;    // row count last computed
    std::string cAlias;
    std::function<long()> bLogicLen;
    std::function<void()> bGoTop, bGoBottom;
    std::function<long(long n)> bSkip;  // answers the rows actually skipped
    std::function<void(TWBrowse&)> bChange;
    // Sees each navigation key first (virtual-key code, flags); true keeps it from the grid.
    std::function<bool(int key, int flags)> bKeyDown;
    std::function<void(const BrowseDblClick&)> bLDblClick;
    std::function<void(int row, int col, int flags)> bLClicked, bRClicked;
    bool lHitTop = false, lHitBottom = false;
    TScrollBar* oVScroll = nullptr;
    TScrollBar* oHScroll = nullptr;
    bool lCellStyle = false, lDrawSelect = true, lAutoEdit = false, lAutoSkip = false;
    bool lMChange = true, lDrag = false, lCaptured = false, lIconView = false;
    std::vector<std::function<void(TWBrowse&, int row, int col)>> aActions;
    int nLineStyle = 1;
    Value uValue1;
    bool lFocused = false;
    Color oBrush = colors::white;
    std::string cMsg;
    bool lUpdate = false;

    // ---- array mode of the toolkit itself: rows are the elements, `nAt` the current one ----
    // `replaceLine` false keeps the row callback as it is.
    void SetArray(ArrayRef rows, bool replaceLine = true);
    const ArrayRef& aArray() const { return array_; }

    // ---- movement ----
    long Skip(long n);  // through bSkip; answers the rows skipped
    virtual void goUp();
    virtual void goDown();
    virtual void goLeft();
    virtual void goRight();
    virtual void goTop();
    virtual void goBottom();
    virtual void pageUp();
    virtual void pageDown();
    void GoToCol(int col);
    // The vertical scroll bar's thumb taken to `pos`: that row of the order becomes current.
    virtual void vScrollTo(long pos);

    // The vertical scroll bar's position (1 .. row count), moved with the selection.
    void vSetPos(long pos);
    long vGetPos() const;
    void vGoUp();
    void vGoDown();

    // ---- drawing ----
    // Paints now (synchronously) and shows the result.
    void Refresh(bool erase = true);
    virtual int paint();
    // The current device context: nested calls share one; the outermost ReleaseDC shows it.
    Canvas& GetDC();
    void ReleaseDC();
    void DispBegin() { GetDC(); }
    void DispEnd() { ReleaseDC(); }
    // Runs a whole paint into `canvas`, as large as the control.
    void paintTo(Canvas& canvas);
    void DrawIcons();
    // The column-resize line at pixel column x (negative hides it).
    void VertLine(int x);
    void Capture();
    void ReleaseCapture();

    // ---- layout ----
    std::vector<int> GetColSizes() const;
    // Columns from one callable each, with their captions and widths.
    void SetCols(std::vector<std::function<Value()>> columns, BrowseRow headers, std::vector<int> sizes);
    virtual int nRowCount();
    // Pixel rectangle of column `col` on the selected line, as the base grid lays it out.
    virtual Rect cellRect(int col);
    int headerHeight() const;  // the base grid's one header line

    // ---- events: the windowing side calls these; derived grids override them ----
    virtual void Default();                    // once, when the control's window exists
    virtual bool keyDown(int key, int flags);  // true when used
    virtual void keyChar(int key, int flags);
    virtual int lButtonDown(int row, int col, int flags);
    virtual int lButtonUp(int row, int col, int flags);
    virtual int mouseMove(int row, int col, int flags);
    virtual void lDblClick(int row, int col, int flags);
    virtual void rButtonDown(int row, int col, int flags);
    virtual void gotFocus();
    virtual void lostFocus();
    void SetFocus() { setFocus(); }
    // The mouse pointer over the control: the west-east resize arrow or the normal one.
    void setResizeCursor(bool on);
    // The control's size in pixels, scroll bars included.
    int width() const { return int(pixelRect().width); }
    int height() const { return int(pixelRect().height); }
    bool hasVScroll() const { return oVScroll != nullptr; }
    bool hasHScroll() const { return oHScroll != nullptr; }

    // Draws the page: from the row on line 1 down, `drawLine(line)` with each row current,
    // then back to the selected row. Recomputes nLen; answers the lines drawn.
    int walkPage(const std::function<void(int line)>& drawLine);
    // The base grid's line drawing: values of the current row at line `line`.
    void drawPlainLine(Canvas& dc, int line, bool selected);

    // The window system's hooks.
    void attachWidgetHooks();
    void windowCreated();

  protected:
    int lineHeight() const;
    // Colour of a spec for (col, row), or `fallback` when it is empty.
    static Color colorOf(const ColorSpec& spec, int col, const BrowseRow& row, Color fallback);

  private:
    struct Dc;
    std::unique_ptr<Dc> dc_;
    ArrayRef array_;
    std::unique_ptr<TScrollBar> vScroll_, hScroll_;
    bool created_ = false;
};

// The system colours a grid falls back on.
Color sysColorBtnText();
Color sysColorBtnFace();
Color sysColorWindow();
// The system's warning beep.
void MessageBeep();
