#pragma once
// archivo: the election application's maintenance controller. Its options are the party
// catalogue ("partidos") and the vote count of an office and district ("votos", with the
// station capture and the allocation of representatives). The menu actions construct one
// and open an option with it; the controller then lives as long as the option's window.
#include <memory>
#include <string>
#include <vector>

#include "Color.h"
#include "Value.h"
#include "abcMaste.h"

class TMenu;
class uDBF;

// The allocation of representatives among the parties by highest averages with the
// divisors 1, 2, 3, ... (one seat at a time, ties to the party listed first).
struct Reparto {
    std::vector<int> seats;                     // per party, in list order
    std::vector<int> winner;                    // per seat: the party's position from 0; -1 none
    std::vector<std::vector<std::string>> rows;  // per seat: "k", one text per party, total
};
inline constexpr int kEscanos = 25;

class archivo : public abcMaster {
  public:
    archivo();
    std::string className() const override { return "ARCHIVO"; }

    bool lSigue = false;  // the capture of "&Agregar" goes on

    void partidos(const std::string& alias);
    void puestos() {}
    void votos(const std::string& alias, const std::string& office, int district);
    void votos_menu(TMenu& menu, const std::string& office, const std::string& countsAlias);
    void votos_captura();
    // The count window's click: the capture dialog on the current row (adding: on the blank
    // row). The filled buffer when accepted, NIL otherwise.
    Value votos_click(bool lModif, bool lNew, const std::string& countsAlias);
    void votos_calculaRep();
    // "&Borrar": the station deleted and its votes taken off the totals, together.
    void votos_borra();

    // The count window's state: the colour of each of its 38 columns (from 1), the highest
    // party vote of the row last fetched and the column that last showed it.
    std::vector<Color> aColores;
    double nMaximo = 0;
    int nGanador = 1;

  private:
    WBrowseCore* enConstruccion_ = nullptr;  // the count window while its bar is built
    bool capturando_ = false;                  // a run of "&Agregar" is going on
    std::shared_ptr<class CapturaDialogo> captura_;  // its dialog, kept from station to station
};

// Opens the party catalogue, and the count of an office ("P", "A") and district.
void ABRIR_PARTIDOS();
void ABRIR_CONTEO(const std::string& office, int district);

// The allocation of `seats` seats for the party votes `votes`, with `total` shown in the
// last column of every row.
Reparto REPARTO(const std::vector<double>& votes, double total, int seats = kEscanos);
// " Tabla de reparto": the rows of an allocation in a modal dialog browse, the winner of
// each seat on bright green, the seats per party as footer. `captions` are the parties'
// field names.
void TABLA_REPARTO(const Reparto& reparto, const std::vector<std::string>& captions, double seatsTotal);
// The allocation of the totals row of `conteosAlias` stored in the seats row of
// `represenAlias` (both positioned on the rows of one office and district) and shown.
void CALCULA_REPARTO(const std::string& conteosAlias, const std::string& represenAlias);

// "&Gráficas": the votes and the seats of the current rows of the count window's "conteos"
// and "represen" as a bar graph over the party captions, in a window of its own. nullptr
// when the count window or its rows are not there (an error was raised).
class verTGraph;
verTGraph* VOTOS_GRAFICA(archivo& archivoObject);
