#pragma once
// The general message box: shows any value line by line (lists, maps and objects one
// line per element, with drill-down boxes for nested values), sizes itself to its text
// and buttons and answers the number of the button chosen.
#include <string>
#include <vector>

#include "Font.h"
#include "Geometry.h"
#include "Value.h"

struct MensajeArgs {
    Value value;                  // what to show
    Value buttons;                // captions: a list, one text, or NIL for " &Aceptar "
    Value defaultButton;          // 1-based number of the focused button; out of range means 1
    Value title;                  // any value, shown as text; NIL: no title
    Value canClose;               // false: only a button leaves the box (default true)
    const TFont* font = nullptr;  // font of the lines; default an MS Sans Serif made for the call
    std::string path;             // drill-down position ("2,1"); set by the box itself
};

// The chosen button's number, or 0 when the box was closed without choosing. A call with
// a `path` opens a drill-down box that does not wait and answers 0.
int AMENSAJE(const MensajeArgs& args);
int MENSAJE(const MensajeArgs& args);

// A value as a message line shows it.
std::string mensajeText(const Value& v);

// One line of a box: its text and, for lists, maps and objects, the value to drill into.
struct MensajeLine {
    std::string text;
    Value nested;
};
// The lines of a value; `title` becomes the class name when the value is an object.
std::vector<MensajeLine> mensajeLines(const Value& v, std::string* title = nullptr);

// Geometry of a box from measured widths (pixels): lines and buttons in dialog units, the
// box in pixels.
struct MensajeLayout {
    double buttonWidth = 0;  // pixels
    double boxWidth = 0;
    double boxHeight = 0;
    double rowStart = 0;
    std::vector<Rect> lines;
    std::vector<Rect> buttons;
};
MensajeLayout mensajeLayout(int lineCount, double widestLine, int buttonCount, double widestButton,
                            double titleWidth);
