#pragma once
// tCAbreBrow: the cell browse control of every browse window. Over the toolkit's grid it
// adds header and footer blocks of several rows, cells merged across columns, bitmap cells
// (a number in a row is a bitmap handle), text and background colours per cell from
// callbacks, cell-by-cell selection with frozen columns, a record counter, incremental
// search by typing, in-place editing of cells and a progress meter over a cell.
//
// Rows come from a table (the current order and scope of an alias) or, in array mode, from
// an array of rows, a hash (key and value per row) or a record-set object.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "Report.h"
#include "WBrowse.h"

class tCAbreBrow;
class TGet;

// A record set the browse can walk in array mode.
class BrowseRecordSet : public Object {
  public:
    virtual long LastRec() = 0;
    virtual BrowseRow aBuffer() = 0;
    virtual long RecNo() = 0;
    virtual void GoTop() = 0;
    virtual void GoBottom() = 0;
    virtual long Skip(long n) = 0;  // answers the rows actually skipped
};

// Where the rows come from: a row callback (table mode), or an array of rows, a hash or a
// record-set object held in a value (array mode).
struct BrowseSource {
    std::function<BrowseRow()> line;
    Value data;
    BrowseSource() = default;
    BrowseSource(std::function<BrowseRow()> f) : line(std::move(f)) {}
    BrowseSource(Value v) : data(std::move(v)) {}
    bool isArrayMode() const { return data.isArray() || data.isHash() || data.isObject(); }
};

// The double-click argument: a callback, or the name of a function registered with
// registerDblClickFunction, bound once at construction.
struct DblClickSpec {
    std::function<void(const BrowseDblClick&)> callback;
    std::string functionName;
    DblClickSpec() = default;
    DblClickSpec(std::function<void(const BrowseDblClick&)> f) : callback(std::move(f)) {}
    DblClickSpec(std::string name) : functionName(std::move(name)) {}
    DblClickSpec(const char* name) : functionName(name) {}
};
void registerDblClickFunction(const std::string& name, std::function<void(const BrowseDblClick&)> f);

// The seek callback: (search value, index number) → key (table mode) or position (array mode).
using SeekCallback = std::function<Value(const Value& search, int nIndex)>;

// Footer content: each row is a list of values or a callback giving them.
using FooterRow = std::variant<BrowseRow, std::function<BrowseRow(tCAbreBrow&)>>;

// Merged cells of a block: one flat list used for every row of the block, or one list per row.
struct MergeSpec {
    std::vector<std::vector<int>> rows;  // one row: flat
    bool perRow = false;
};

// New: positions 1 to 29.
struct CAbreBrowNew {
    double nTop = 0, nLeft = 0, nWidth = 0, nHeight = 0;  // 1-4
    BrowseSource source;                                  // 5
    std::vector<BrowseRow> aHeaders;                      // 6
    ColSizes aColSizes;                                   // 7
    TWindowBase* oWnd = nullptr;                          // 8
    std::string cField;                                   // 9
    Value uValue1, uValue2;                               // 10, 11
    std::function<void(TWBrowse&)> bChange;               // 12
    DblClickSpec bLDblClick;                              // 13
    std::function<void(int row, int col, int flags)> bRClicked;  // 14
    std::optional<TFont> oFont;                           // 15
    std::string oCursor;                                  // 16
    ColorSpec nClrFore, nClrBack;                         // 17, 18
    std::string cMsg;                                     // 19
    bool lUpdate = false;                                 // 20
    std::string cAlias;                                   // 21
    bool lPixel = true;                                   // 22
    std::function<bool()> bWhen;                          // 23
    bool lDesign = false;                                 // 24
    std::function<bool()> bValid;                         // 25
    std::function<void(int row, int col, int flags)> bLClicked;  // 26
    std::vector<std::function<void(TWBrowse&, int row, int col)>> aActions;  // 27
    SeekCallback bSeek;                                   // 28
    bool lSeekEOF = false;                                // 29
};

// ReDefine: positions 1 to 24, over the control with that id in a dialog.
struct CAbreBrowReDefine {
    int nId = 0;                                          // 1
    BrowseSource source;                                  // 2
    TWindowBase* oDlg = nullptr;                          // 3
    std::vector<BrowseRow> aHeaders;                      // 4
    ColSizes aColSizes;                                   // 5
    std::string cField;                                   // 6
    Value uValue1, uValue2;                               // 7, 8
    std::function<void(TWBrowse&)> bChange;               // 9
    DblClickSpec bLDblClick;                              // 10
    std::function<void(int row, int col, int flags)> bRClicked;  // 11
    std::optional<TFont> oFont;                           // 12
    std::string oCursor;                                  // 13
    ColorSpec nClrFore, nClrBack;                         // 14, 15
    std::string cMsg;                                     // 16
    bool lUpdate = false;                                 // 17
    std::string cAlias;                                   // 18
    std::function<bool()> bWhen;                          // 19
    std::function<bool()> bValid;                         // 20
    std::function<void(int row, int col, int flags)> bLClicked;  // 21
    std::vector<std::function<void(TWBrowse&, int row, int col)>> aActions;  // 22
    SeekCallback bSeek;                                   // 23
    bool lSeekEOF = false;                                // 24
};

// A display object that shows the search text or the record counter: a label (its text
// cleared, then set), an entry field (its value set and written to its variable), or any callback (a
// status bar's default message, for one).
class TSay;
struct BrowseDisplay {
    std::function<void(const std::string&)> show;
    static BrowseDisplay label(TSay& say);
    static BrowseDisplay field(TGet& get);
};

// lEditCol: positions after the value.
struct EditColOptions {
    std::string cPicture;
    std::function<bool(TGet&)> bValid;
    ColorSpec nClrFore, nClrBack;  // empty: nClrText, nClrPane
    Value aItems;                  // array, or hash whose values are used
    std::function<Value(const Value& value, TGet& field)> bAction;
    Value cBmp;                    // the button's picture: bytes or handle
    Value cKeys;                   // text of characters, or one key code
};

class tCAbreBrow : public TWBrowse {
  public:
    static tCAbreBrow* New(CAbreBrowNew args);
    static tCAbreBrow* ReDefine(CAbreBrowReDefine args);
    tCAbreBrow(TWindowBase& parent, TWBrowseOptions options);

    // ---- members ----
    SeekCallback bSeek;
    const std::string& cSeek = cSeek_;  // written only through setSeeked
    bool lMatriz = false;
    bool lOk = false;
    bool lSeekEOF = false;
    std::optional<BrowseDisplay> oMsgRecNo;
    std::optional<BrowseDisplay> oSeek;
    void* oClase = nullptr;
    int nLineHeight = 0;
    int nIndex = 0;
    ColorSpec bTextColor, bBkColor;
    int nFreeze = 0;
    bool lAdjLastCol = false;
    int nLineas = 1;
    bool lTransparent = false;
    bool lDrawHeaders = true;
    std::vector<Value> aHJustify;
    int nHeaderHeight = 0;
    int nHLineas = 1;
    std::vector<FooterRow> aFooters;
    bool lFootersSet = false;  // aFooters was given (setFooters) before default
    bool lDrawFooters = false;
    std::vector<Value> aFJustify;
    ColorSpec nClrFBack, nClrFFore;
    int nFooterHeight = 0;
    int nFLineas = 1;
    std::function<Value(int col, const Value& value, bool firstCall)> bEdit;
    static inline bool lRegistered = false;

    void setFooters(std::vector<FooterRow> rows);

    // ---- construction ----
    void inicio(SeekCallback seek, bool seekEOF, const BrowseSource& source);
    void Default() override;
    void setArray(const Value& source, bool replaceLine);
    void setCols(std::vector<std::function<Value()>> columns, BrowseRow headers, std::vector<int> sizes);
    void setLine(std::function<BrowseRow()> line, std::optional<std::vector<BrowseRow>> headers = std::nullopt,
                 std::optional<ColSizes> sizes = std::nullopt);

    // ---- search ----
    bool seek(const std::string& ch);
    const std::string& setSeeked(const std::string& text);

    // ---- page, counter, keys, movement ----
    void upStable();
    void record();
    void keyChar(int key, int flags) override;
    void goTop() override;
    void goBottom() override;
    void pageUp() override;
    void pageDown() override;
    void goUp() override;
    void goDown() override;
    void goLeft() override;
    void goRight() override;

    // ---- drawing ----
    int paint() override;
    int nRowCount() override;
    int nHHeight();
    int nFHeight();
    int nFooterRows() const;
    int nWRow(int pixelRow);
    void drawLine(int line = 0);
    void drawSelect();
    void drawHead();
    void drawFoot();
    // One line: the kind is 1 header, 2 body, 3 footer; `line` is the header row from 0,
    // the body line from 1, or the footer row from the bottom from 1.
    struct LineArgs {
        int line = 0;
        BrowseRow values;
        ColorSpec textColor, backColor;
        bool callbackSizes = false;
        std::vector<Value> justify;
        int selectedCol = 0;  // 0: none
        int lines = 1;
        bool transparent = false;
        std::vector<int> merge;
        int kind = 2;
        // On a printed page: the line's top and height and the last pixel column to fill,
        // instead of the screen's, and every column from the first whatever the scrolled
        // position and frozen columns.
        std::optional<int> top, height, width;
        bool allColumns = false;
    };
    void wBrwLine(Canvas* dc, const LineArgs& args);
    // The arguments of the screen's lines: body line `line` of the current row (its values
    // read now), header row `row` from 0, footer `i` from 1 (the first drawn lowest).
    LineArgs bodyLineArgs(int line);
    LineArgs headLineArgs(int row);
    LineArgs footLineArgs(int i);

    // ---- the default report ----
    // Every row of the browse's order and scope (not only the page) under a title, with
    // the header rows on every page, the footer rows after the last row, the date and page
    // numbers, columns scaled to the page width, each line drawn as the screen draws it.
    // The report walks the rows each time it is drawn and puts the position back; it must
    // not outlive the browse.
    TReport reportOf(const std::string& title);
    // Opens the report in the print preview window (print or save as PDF from there).
    void report(const std::string& title = "");
    // Vertical extent (top, bottom) of a line of a kind.
    std::pair<int, int> lineExtent(int kind, int line);
    // The usable width: the window less the vertical scroll bar.
    int usableWidth();
    // Left and right pixel edges of each column as laid out on a line (0: not shown).
    struct ColumnSpan {
        int col, left, right;
    };
    std::vector<ColumnSpan> columnLayout();
    // Column `col` on the selected line, as this browse lays it out (empty when not shown).
    Rect cellRect(int col) override;

    // ---- mouse ----
    void lDblClick(int row, int col, int flags) override;
    void lDblClick(std::optional<int> row, std::optional<int> col, int flags, bool lModif, bool lNew);
    int lButtonDown(int row, int col, int flags) override;
    int lButtonUp(int row, int col, int flags) override;
    int mouseMove(int row, int col, int flags) override;
    int nAtCol(int x);
    bool isColVisible(int col);

    // ---- editing and meter ----
    void edit(int col = 1, bool flag = false);
    bool lEditCol(int col, Value& value, const EditColOptions& options = {});
    Value meter(int col, std::function<Value(const std::vector<Value>&)> job, std::vector<Value> args);
    // Where lEditCol and meter place their popup over column `col` on the selected line,
    // in pixels of the control.
    Rect editRect(int col);

    // ---- merges ----
    void unirCeldas(int col, int span);
    void unirHead(int col, int span, std::optional<int> row = std::nullopt);
    void unirFoot(int col, int span, std::optional<int> row = std::nullopt);
    const std::vector<int>& getUnidas();
    std::vector<int> getHUnidas(int row = 1);
    std::vector<int> getFUnidas(int row = 1);
    const MergeSpec& hUnidas() const { return aHUnidas_; }
    const MergeSpec& fUnidas() const { return aFUnidas_; }

    // Table mode: whether the table has no rows left in that direction.
    bool atBof();
    bool atEof();

    // Runs `f` with the browsed alias selected, and selects the caller's area again.
    template <class F>
    auto inAlias(F&& f) {
        AliasScope scope(cAlias);
        return f();
    }
    struct AliasScope {
        explicit AliasScope(const std::string& alias);
        ~AliasScope();
        AliasScope(const AliasScope&) = delete;
        AliasScope& operator=(const AliasScope&) = delete;
        int previous;
    };

  private:
    void installTableNavigation();
    std::vector<int> fieldWidths();
    void resizeMerges(size_t n);
    void setFocusColumn(int col);
    long currentRowId();
    long orderPosition();
  public:
    bool isTable() const { return !lMatriz && cAlias != "ARRAY" && !cAlias.empty(); }

  private:

    std::string cSeek_;
    std::vector<int> aUnidas_;
    MergeSpec aHUnidas_, aFUnidas_;
    int resizeCol_ = 0;  // column being resized with the mouse, 0 when none
    int resizeStartX_ = 0;
    Value source_;       // array-mode source
};

// The default row source of a table browse: one text per field of the current record, of
// the columns that fit in the window (the others ""); memo fields as "<Memo>" or "<memo>".
BrowseRow _AFIELDS(tCAbreBrow& browse);

// Drawing flags of a cell: justification (false/0 left, true/1 right, 2 centre) and
// single-line cells.
int DEFINESTYLE(const Value& justify, bool singleLine);
constexpr int DT_RIGHT = 0x2, DT_CENTER = 0x1, DT_VCENTER = 0x4, DT_SINGLELINE = 0x20,
              DT_WORDBREAK = 0x10, DT_NOPREFIX = 0x800, DT_EDITCONTROL = 0x2000,
              DT_MODIFYSTRING = 0x10000;
