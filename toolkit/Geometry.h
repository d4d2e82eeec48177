#pragma once
// Positions and sizes of windows, controls and drawings.
//
// Controls are placed in the units of their window. Pixels are screen pixels; one dialog
// unit is two pixels across and two pixels down, so a box measured in pixels places its
// controls at half those numbers (a line 15 pixels high is 7.5 units). Fractions are kept
// until the conversion to pixels.
#include <cmath>

struct Point {
    double x = 0;
    double y = 0;
};

struct Rect {
    double top = 0;
    double left = 0;
    double width = 0;
    double height = 0;
    double bottom() const { return top + height; }
    double right() const { return left + width; }
    bool operator==(const Rect&) const = default;
};

enum class Units { Pixels, DialogUnits };

// Pixels of `v` in the given units, rounded to the nearest pixel.
inline int toPixels(double v, Units u) {
    return int(std::lround(u == Units::DialogUnits ? v * 2 : v));
}
