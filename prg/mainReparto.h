#pragma once
// The dialog of " Tabla de reparto" before it is shown, for TABLA_REPARTO and its tests.
#include <memory>
#include <string>
#include <vector>

#include "dAbreBro.h"
#include "mainArchivo.h"

// The pane colour of the cell of each seat's winner: red 76, green 255, blue 0.
inline constexpr Color kColorGanador = 65356;

// The modal dialog browse over the rows of `reparto`, with its headers, footer row and
// colours in place; nullptr when the dialog could not be made (an error was raised).
std::unique_ptr<uDTbrowse> tablaRepartoDialog(const Reparto& reparto,
                                              const std::vector<std::string>& captions,
                                              double seatsTotal);

// A totals row: the party votes (or seats), their field names and the total.
struct Totales {
    std::vector<double> votes;
    std::vector<std::string> captions;
    double total = 0;
};
// Reads the first `parties` fields and the total of the current row of `alias`; false
// (an error raised for `operation`) when it cannot be read as a totals row.
bool readTotals(const std::string& alias, size_t parties, Totales& t, const std::string& operation);
