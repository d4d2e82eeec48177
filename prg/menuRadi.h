#pragma once
// MENURADIOBUTTON: a small modal box that asks for one entry of a list with radio
// buttons, and the arithmetic of its layout.
#include <functional>
#include <string>
#include <vector>

#include "Value.h"

struct MenuRadioArgs {
    Value options;        // a list of texts; anything else is a list of one
    Value defaultOption;  // number chosen at first; not a number: 0 when the first option is empty, else 1
    std::string title;
    Value helpTopic;  // a number adds the " A&yuda " button
};

// The number of the chosen option, or -1 when the box was cancelled or closed.
int MENURADIOBUTTON(const MenuRadioArgs& args);

// Where everything goes, from widths measured in pixels. The box is in pixels; the radio
// group and the buttons in dialog units; the group's row and column in text cells of 13
// by 11 units (so its column puts the texts halfway across the spare width).
struct MenuRadioLayout {
    double buttonWidth = 0;  // pixels: widest caption + 8
    double rowWidth = 0;     // pixels: the row of buttons with their gaps
    double boxWidth = 0;
    double boxHeight = 0;
    double start = 0;  // pixels from the left to the row of buttons
    double radioRow = 0.4;
    double radioCol = 0;
    double buttonRow = 0;  // dialog units
    std::vector<double> buttonCols;  // dialog units, one per button
};
MenuRadioLayout menuRadioLayout(int optionWidth, const std::vector<int>& captionWidths, int optionCount);

constexpr double kMenuRadioRowUnits = 13;
constexpr double kMenuRadioColUnits = 11;

// Opens a help topic; the program installs its help viewer here. Empty: the button does nothing.
void setMenuRadioHelp(std::function<void(int topic)> opener);
