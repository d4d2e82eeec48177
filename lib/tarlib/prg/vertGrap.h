#pragma once
// verTGraph: a window that charts several series of numbers over one list of categories
// (periods) with the chart control TGraph. Its button bar switches the chart type, 3D and
// the grids, chooses fonts, prints, copies, saves a bitmap and opens the settings dialog;
// two combo boxes choose the view (by series or by period) and the series or period shown.
//
// The window and its controls belong to the object; the object belongs to the list of
// open graphs (abiertos) from New until its window closes.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Graph.h"
#include "Value.h"

class TBar;
class TBtnBmp;
class TButton;
class TControl;
class tCAbreBrow;
class TComboBox;
class TMdiChild;
class TWindow;
class TWindowBase;

// The positions of New: the data series (one number per category each), their names, the
// category labels, the four titles, the window caption ("" gives the default) and whether
// the window is a top-level one (otherwise a child of the main frame).
struct VerTGraphArgs {
    std::vector<std::vector<double>> data;
    std::vector<std::string> names;
    std::vector<std::string> labels;
    std::string title, subtitle, titleX, titleY;
    std::string caption;
    bool ownWindow = false;
};

inline constexpr const char* kTodasLasSeries = "<Todas las series>";
inline constexpr const char* kGraphCaption = " Análisis gráfico de datos";

// One row of the settings dialog's value list: the category label, the value, and whether
// the row was just added and has no stored value yet.
struct GraphValueRow {
    std::string label;
    double value = 0;
    bool isNew = false;
};

// The settings dialog's working copies of the chart's data, taken when it opens: series
// records, values (per series, one per category), labels and the series names.
struct GraphWork {
    std::vector<GraphSerie> series;
    std::vector<std::vector<double>> values;
    std::vector<std::string> labels;
    std::vector<std::string> names;
};

class verTGraph {
  public:
    verTGraph();
    ~verTGraph();
    verTGraph(const verTGraph&) = delete;
    verTGraph& operator=(const verTGraph&) = delete;

    double nTotal = 0;
    std::vector<GraphValueRow> aValues;
    std::map<std::string, TBtnBmp*> oBtnWnd;  // the bar's buttons by name
    std::vector<std::string> aSeries;         // "<Todas las series>" and the series names
    std::vector<std::string> aTxtosX;         // the category labels
    int nGraph = 0;                           // 1 view by series, 2 view by period
    TWindowBase* oWnd = nullptr;

    // Builds and shows the window; the object stays in abiertos() until the window closes.
    static verTGraph* New(VerTGraphArgs args);

    void viewGraph(TComboBox& box, TGraph& graph);
    void selGraph(const std::vector<std::string>& items, TGraph& graph, TComboBox& box, std::string& text);
    void verifySet(TGraph& graph, TComboBox* box = nullptr, const std::vector<std::string>* items = nullptr,
                   std::string* text = nullptr);

    // ---- settings, saving and printing (vertGrapSettings.cpp, vertGrapValues.cpp, vertGrapPrint.cpp)
    void chgSettings(TGraph& graph, TComboBox& box, std::vector<std::string>& items, std::string& text);
    // Saves the chart as a BMP file; without a name the "Guardar como" dialog asks for one.
    // True when a file was written.
    bool saveBitmap(TGraph& graph, const std::string& file = "");

    // The settings dialog's series and value editing, all on the working copies `work`.
    // `list` is the value list, `seriesBox` the series box (its selected position is the
    // series edited), `serie` that position, `buttons` the three period buttons.
    //
    // Adds a series (`isNew`) or changes the name and colour of the selected one through
    // the "G_Serie" dialog; `name` is the name edited. True when accepted.
    bool getName(tCAbreBrow& list, TComboBox& seriesBox, std::string& name, bool isNew, GraphWork& work);
    // The value rows of the series selected in `seriesBox`, and their total, into `list`.
    void getValues(tCAbreBrow& list, TComboBox& seriesBox, GraphWork& work);
    // Insert adds a period, Delete deletes one, Enter edits the row; true when used.
    bool valnKey(int key, tCAbreBrow& list, int serie, const std::vector<TControl*>& buttons, GraphWork& work);
    void editValue(tCAbreBrow& list, int serie, GraphWork& work);
    void newPeriod(tCAbreBrow& list, int serie, const std::vector<TControl*>& buttons, GraphWork& work);
    void delPeriod(tCAbreBrow& list, int serie, GraphWork& work);
    void chgPeriod(tCAbreBrow& list, int serie, const std::vector<TControl*>& buttons, GraphWork& work);
    void sumValues(tCAbreBrow& list);

    // ---- the window's parts
    TGraph* graph() const { return graph_; }
    TComboBox* modeBox() const { return modeBox_; }
    TComboBox* itemBox() const { return itemBox_; }
    std::string& itemText() { return itemText_; }
    TBar* bar() const { return bar_; }
    TWindow* window() const { return window_.get(); }
    TMdiChild* child() const { return child_.get(); }
    // Closes the window (the graph is ended and the object leaves abiertos()).
    bool close();

    static const std::vector<verTGraph*>& abiertos();
    // Closes every graph window and frees the objects (at program end; never from inside a
    // graph window's own events).
    static void cierraTodo();

  private:
    void build(VerTGraphArgs& args);
    void buildBar();
    void fitItemBox(TComboBox& box) const;
    void closed();

    std::unique_ptr<TWindow> window_;
    std::unique_ptr<TMdiChild> child_;
    TBar* bar_ = nullptr;
    TGraph* graph_ = nullptr;
    TComboBox* modeBox_ = nullptr;
    TComboBox* itemBox_ = nullptr;
    std::string itemText_;
};

// The font menu of the "Tipo de letra" button, at (row, col) pixels of the window.
void CHG_FONTS(TWindowBase& window, int row, int col, TGraph& graph);
// The "Imprimir" dialog: the chart's place on the page in centimetres, then PRINT. False
// when cancelled.
bool GETPRTCOORS(TGraph& graph);
// Prints the chart into the rectangle (centimetres from the paper's top-left corner) through
// the print preview; false when it could not.
bool PRINT(TGraph& graph, double top, double left, double width, double height);

// The settings record of the dialog, 25 slots from 1 (position 0 unused), as the dialog
// loads it from the graph: flags, depth, ranges, the mask right-aligned in 10, the four
// titles padded to 50, the title shadows, colours and the bar separation.
std::vector<Value> graphSlots(const TGraph& graph);
// The slots written back to the graph, the mask and titles without surrounding blanks.
void setGraphSlots(TGraph& graph, const std::vector<Value>& slots);
// The working copies of the graph's full data.
GraphWork graphWork(const TGraph& graph);
// A rectangle given in centimetres from the paper's top-left corner, in printer pixels of
// `dpi` pixels per inch.
Rect printerRect(double top, double left, double width, double height, double dpi);

// The colour chooser opened on `colour`; the colour chosen (or `colour` when cancelled)
// becomes the button's background and is answered.
Color SELCOLORS(TButton& button, Color colour);
// The names of the graph's series, in series order.
std::vector<std::string> AGETSERIES(const TGraph& graph);
// Deletes the series selected in `seriesBox` from the names, records and values of `work`
// (never the only one: an alert instead); `name` becomes the series then selected. True
// when a series was deleted.
bool DELSERIE(TComboBox& seriesBox, std::string& name, GraphWork& work);

// The graph window's own bar images as complete BMP files: "grbarr3d" (a 3D bar, 16 x 16,
// 256 colours), "grxgrid" and "grygrid" (horizontal and vertical grids, 18 x 18, true
// colour); names compared in lower case. Any other name gives "".
std::string BITMAPS(const std::string& name);
