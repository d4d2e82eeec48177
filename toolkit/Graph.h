#pragma once
// TGraph: the chart control. It holds series of numbers over one list of categories and
// draws them as bars (flat or 3D), lines, points or a pie, with grids, value and category
// axes, a legend and titles, into its window area, an image, a BMP file, the clipboard or
// a printer page. All of them go through draw(), one drawing on the canvas interface.
//
// Series and values exist twice: as shown (aSeries, aData, aYVals) and in full (aSTemp,
// aDTemp, aYTemp). SelSerie and SelPeriod choose what is shown from the full lists.
//
// Members keep their historical names: a leading letter for the type (l logical, n number,
// c text, a list), "Clr" for colours (Windows RGB values, Color.h).
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Canvas.h"
#include "Control.h"
#include "Font.h"

class TPrinter;

// One series: its name, its colour, its own chart type (0: the chart's; 1 bars, 2 lines,
// 3 points) and its own 3D flag (none: the chart's).
struct GraphSerie {
    std::string name;
    Color color = 0;
    int type = 0;
    std::optional<bool> with3D;
    bool operator==(const GraphSerie&) const = default;
};

struct GraphOptions {
    Rect rect;  // in the window's units
    int id = 0;
};

class TGraph : public TControl {
  public:
    // Chart types.
    static constexpr int kBars = 1, kLines = 2, kPoints = 3, kPie = 4, kMixed = 5;
    // Fonts, 0-based positions in aFont.
    enum FontSlot { fTitle, fXValues, fYLabels, fLegends, fSubTitle, fTitleX, fTitleY, fValues, fBold11 };

    TGraph(TWindowBase& parent, GraphOptions options);
    ~TGraph() override;

    int nType = kBars;
    bool l3D = false, lxGrid = true, lyGrid = true, lxVal = true, lyVal = true;
    bool lTitle = true, lLegends = true, lcTitle = true, lViewVal = false, lBorders = false;
    bool lDotted = true, lBordLeg = true, lPopUp = false;
    std::array<bool, 4> aSTitle{true, true, true, true};  // shadows of the four titles
    int nBarD = 15, nBarSep = 1, nXRanges = 4;
    std::string cPicture = "999,999.99";
    int nPenWidth = 2, nPoint = 1;
    double nPieSt = 0;
    int nPieX = 1;
    int nValues = 1;  // 1 by series, 2 by period
    double nMaxVal = 0, nMinVal = 0;
    Color nClrPane = 15724527, nClrBack = 16777215, nClrGrid = 8421504, nClrLegBack = 16777215;
    Color nClrT = 0, nClrX = 0, nClrY = 0, nClrL = 0, nClrST = 0, nClrXT = 0, nClrYT = 0, nClrV = 0;
    std::string cTitle, cSubTit, cTitX, cTitY;
    std::string cBitmap;  // a picture resource drawn as the pane's background; "" none
    // Fonts 1 to 9: title, axis values, category labels, legends, subtitle, value-axis
    // title (written upward), category-axis title, values, a bold 11.
    std::array<FontSpec, 9> aFont;

    std::vector<GraphSerie> aSeries, aSTemp;
    std::vector<std::vector<double>> aData, aDTemp;
    std::vector<std::string> aYVals, aYTemp;

    void AddSerie(std::vector<double> values, std::string name, Color color, int type = 0,
                  std::optional<bool> with3D = std::nullopt);
    // Sets the shown and the full labels; answers the previous (full) labels.
    std::vector<std::string> SetYVals(std::vector<std::string> labels);
    // 0: every series; n: series n alone (with all its values and all labels). Numbers
    // outside the series show every series.
    void SelSerie(int n);
    static constexpr int kAllSeries = 0;
    // Every series with its single value of category n, and the one label n. A number
    // outside the categories changes nothing.
    void SelPeriod(int n);

    void Refresh();
    // Draws the chart at the control's size into a 24-bit BMP file, written beside the
    // target and renamed over it; false (and error()) when it cannot be written.
    bool Save2Bmp(const std::string& file);
    // Puts the chart as an image on the desktop's clipboard.
    void Copy2Clipboard();
    // Draws the chart into the rectangle (printer page pixels) of the printer's current page,
    // its distances scaled from screen pixels to the printer's.
    void Print(TPrinter& printer, double top, double left, double width, double height);
    // Releases what the control holds: the data; the control stays and draws an empty pane.
    void End();
    const std::string& error() const { return error_; }

    // The whole chart, width x height pixels, onto `canvas`. `sx` and `sy` scale the fixed
    // distances (depth, margins, fonts) for devices of another resolution.
    void draw(Canvas& canvas, double width, double height, double sx = 1, double sy = 1);
    // The chart at the control's size, as the control paints it.
    void Paint(Canvas& canvas);
    // The chart rendered into a picture of the given size.
    Picture render(int width, int height);

    // Where a chart of width x height puts its parts (the geometry of the drawing, for
    // the drawing itself and for tests).
    struct Layout {
        double top = 0, left = 0, bottom = 0, right = 0;  // the chart rectangle
        double depth = 1;        // d, across
        double depthY = 1;       // d, down (differs from depth on a printer)
        double plotHeight = 0;   // h
        double step = 0;         // w, one category
        double legendWidth = 0;  // G
        double valueWidth = 0;   // V
        double scaleTop = 0, scaleBottom = 0;  // rounded largest value, rounded |smallest|
        double pixelsPerUnit = 1;
        double zeroRow = 0;
        double width = 0, height = 0;  // the whole drawing
        double titleH = 0, subTitleH = 0, titleXH = 0, titleYH = 0, labelH = 0;  // T, S, X, Y, L
        int labelRows = 1;  // 2: the category labels take turns on two rows, too many for one
    };
    Layout layout(Canvas& canvas, double width, double height, double sx = 1, double sy = 1) const;
    // The scale's rounding of a positive value: 1234 -> 1250, 1800 -> 2000, 37 -> 37.5.
    static double roundScale(double v);

    // A right click on the control; when lPopUp is set the control's own menu opens first.
    std::function<void(TGraph&, int row, int col)> bRClicked;
    // Opens the control's context menu at (row, col) pixels of the control.
    void popupMenu(int row, int col);

  private:
    std::string error_;
};
