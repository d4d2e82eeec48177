// The station capture of the count window: the dialog of one polling station (station
// number, type, the votes of each party beside its logo, and the total it keeps up to
// date), "&Agregar" station after station, and "&Borrar".
//
// The totals row of the count and the station change together or not at all: the dialog
// takes the totals row's lock when it is accepted, and the votes reach the totals only once
// the controller has stored the station; a station that could not be stored gives the lock
// back and leaves the totals as they were.
#include <algorithm>
#include <cstdio>

#include "Bitmap.h"
#include "Control.h"
#include "Dialog.h"
#include "Font.h"
#include "MsgBox.h"
#include "TableLayer.h"
#include "Text.h"
#include "bmp_es.h"
#include "cAbreBro.h"
#include "mainArchivo.h"
#include "mainConfig.h"
#include "rBloquea.h"
#include "tGetFer.h"
#include "uDbf.h"
#include "wAbreBro.h"

namespace {

constexpr int kEntrada = 20;      // entry width, dialog units
constexpr double kMaxTotal = 9999;  // what a station's `total` field holds
constexpr int kVkReturn = 13;

// The change a station brings to the totals row of its count, held under that row's lock
// from the dialog's acceptance until the station is stored (or not).
class CambioTotales {
  public:
    CambioTotales(std::string alias, long record, std::vector<double> delta)
        : alias_(std::move(alias)), record_(record), delta_(std::move(delta)) {}
    ~CambioTotales() { suelta(); }
    CambioTotales(const CambioTotales&) = delete;
    CambioTotales& operator=(const CambioTotales&) = delete;

    // Adds the change to the totals row and gives the lock back.
    void aplica() {
        if (!held_ || SELECT(alias_) == 0) return;
        evalInAlias(alias_, [&] {
            long current = RECNO();
            DBGOTO(record_);
            std::vector<Value> row;
            for (size_t i = 0; i < delta_.size(); ++i) {
                Value v = FIELDGET(int(i) + 1);
                row.push_back(Value((v.isNumber() ? v.num() : 0) + delta_[i]));
            }
            DBPUTREC(row);
            DBCOMMIT();
            DBGOTO(current);
            return Value();
        });
        suelta();
    }
    void suelta() {
        if (!held_) return;
        held_ = false;
        if (SELECT(alias_) != 0) evalInAlias(alias_, [&] {
                DBRUNLOCK(record_);
                return Value();
            });
    }

  private:
    std::string alias_;
    long record_;
    std::vector<double> delta_;
    bool held_ = true;
};

std::string dosDigitos(double n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", int(n));
    return buf;
}
std::string cuatroDigitos(double n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", int(n));
    return buf;
}
double numero(const Value& v) {
    return v.isNumber() ? v.num() : 0;
}

// One line of the dialog: what DIALOGO needs to lay it out.
struct Linea {
    std::string campo;
    int i = 0;               // 1 ... n
    double anchoEtiqueta = 0;  // w, pixels of the widest name + 1
    std::string picture;
    std::function<bool()> bWhen;
    std::function<bool(TGet&)> bValid;
    GetBinding binding;
    int n = 0;
};

// Label, entry and logo of line `l`; the entry.
tGetFer* DIALOGO(TDialog& dlg, const Linea& l, int rowOffset) {
    const int mitad = l.n / 2;
    int r = l.i;
    double c = 0;
    const double w = l.anchoEtiqueta;
    if (l.n > 20 && l.i > mitad) {
        r = l.i - mitad;
        c = 3 + w / 2 + 2 + kEntrada + 10;
    }
    const double top = 12.0 * (r - 1);
    dlg.add<TSay>(SayOptions{.rect = {top + 1 + rowOffset, c + 3, w / 2, 10},
                             .text = l.campo,
                             .align = TextAlign::Right,
                             .font = oConfig && oConfig->oFont ? std::optional<TFont>(*oConfig->oFont) : std::nullopt});
    auto* get = dlg.add<tGetFer>(GetOptions{.rect = {top + rowOffset, c + 3 + w / 2 + 2, double(kEntrada), 11},
                                            .binding = l.binding,
                                            .picture = l.picture,
                                            .bValid = l.bValid,
                                            .bWhen = l.bWhen});
    Value logo = BITMAPSLOGOS("logo_" + text::lower(l.campo));
    if (logo.isText() && logo.text().size() > 2 && logo.text().compare(0, 2, "BM") == 0)
        dlg.add<TBitmap>(BitmapOptions{.rect = {top + rowOffset, c + 3 + w / 2 + 2 + kEntrada, 10, 10},
                                       .bytes = logo.text(),
                                       .stretch = true});
    return get;
}

// Runs the validation of every line in order; false at the first that fails.
bool VALIDACION(const std::vector<tGetFer*>& gets) {
    for (tGetFer* g : gets)
        if (g->bValid && !g->bValid(*g)) {
            g->setFocus();
            return false;
        }
    return true;
}

}  // namespace

Value archivo::votos_click(bool lModif, bool lNew, const std::string& countsAlias) {
    (void)lModif;
    const std::string alias = oWnd && oWnd->oBrw && !oWnd->oBrw->cAlias.empty() ? oWnd->oBrw->cAlias : cAlias();
    auto buffer = std::make_shared<uDBF>(alias);
    const int n = buffer->fCount() - 2;
    const std::vector<Value> viejos(buffer->aDatos().begin(), buffer->aDatos().end());
    bool accepted = false;

    TFont font = oConfig && oConfig->oFont ? *oConfig->oFont : TFont();
    double w = 0;
    for (int i = 1; i <= n; ++i) w = std::max(w, double(font.textWidth(buffer->fieldName(i))));
    w += 1;
    const int mitad = n / 2;
    const double bottom = n > 20 ? 24 * (mitad + 1.4) + 2 : 24 * (n + 1.4) + 2;
    const double right = n > 20 ? (w + 2 * kEntrada) * 2 + 72 : (w + 2 * kEntrada) + 72;
    TDialog dlg(DialogOptions{.title = " Conteo de elección presidencial",
                              .width = int(right),
                              .height = int(bottom)});

    std::vector<tGetFer*> gets;
    tGetFer* totalGet = nullptr;
    auto recalcula = [buffer, n, &totalGet](TGet& get) {
        get.assign();
        double total = 0;
        for (int i = 3; i <= n - 1; ++i) total += numero(buffer->aDatos()[size_t(i - 1)]);
        buffer->aDatos()[size_t(n - 1)] = Value(total);
        if (totalGet) totalGet->refresh();
        return true;
    };
    for (int i = 1; i <= n; ++i) {
        Linea l{.campo = buffer->fieldName(i), .i = i, .anchoEtiqueta = w, .picture = "9999", .n = n};
        l.binding = GetBinding{[buffer, i] { return buffer->aDatos()[size_t(i - 1)]; },
                               [buffer, i](const Value& v) { buffer->aDatos()[size_t(i - 1)] = v; }};
        if (i == 1) {
            l.bWhen = [lNew] { return lNew; };
            l.bValid = [](TGet& get) {
                get.assign();
                if (numero(get.value()) != 0) return true;
                MsgAlert("No se ha indicado la casilla", " Atención");
                return false;
            };
        } else if (i == 2) {
            l.picture = "!9";
            l.bWhen = [lNew] { return lNew; };
            l.bValid = [this, buffer, countsAlias, lNew, alias](TGet& get) {
                get.assign();
                Value puesto, distrito;
                evalInAlias(countsAlias, [&] {
                    puesto = FIELDGET(FIELDPOS("PUESTO"));
                    distrito = FIELDGET(FIELDPOS("DISTRITO"));
                    return Value();
                });
                std::string tipo = buffer->aDatos()[1].isText() ? buffer->aDatos()[1].text() : "";
                std::string key = (puesto.isText() ? puesto.text() : "") + dosDigitos(numero(distrito)) +
                                  cuatroDigitos(numero(buffer->aDatos()[0])) + tipo;
                return validaClave(Value(key), "casilla", lNew, "Esa casilla ya está capturada", alias);
            };
        } else if (i < n) {
            l.bValid = recalcula;
        } else {
            l.bWhen = [] { return false; };
        }
        tGetFer* get = DIALOGO(dlg, l, 2);
        gets.push_back(get);
        if (i == n) totalGet = get;
    }
    // Enter goes on to the next field, as Tab does.
    for (size_t k = 0; k < gets.size(); ++k)
        gets[k]->bKeyDown = [&gets, k](TGet&, int key, int) {
            if (key != kVkReturn) return false;
            for (size_t next = k + 1; next < gets.size(); ++next)
                if (!gets[next]->bWhen || gets[next]->bWhen()) {
                    gets[next]->setFocus();
                    return true;
                }
            return false;
        };

    const double top = n > 20 ? 12.0 * mitad + 4 : 12.0 * n + 4;
    const double left = (right - 188) / 4;
    dlg.add<TButton>(ButtonOptions{.rect = {top, left, 42, 12}, .caption = "&Aceptar", .action = [&] {
                                       for (tGetFer* g : gets) g->assign();
                                       if (!VALIDACION(gets)) return;
                                       double total = numero(buffer->aDatos()[size_t(n - 1)]);
                                       if (total > kMaxTotal) {
                                           MsgAlert("La casilla suma " + std::to_string(long(total)) +
                                                        " votos: su total no puede pasar de 9999",
                                                    " Atención");
                                           return;
                                       }
                                       accepted = true;
                                       dlg.end(1);
                                   }});
    dlg.add<TButton>(ButtonOptions{.rect = {top, left + 52, 42, 12}, .caption = "&Cancelar", .action = [&] {
                                       dlg.end(0);
                                   }});
    dlg.activate(ActivateOptions{.centered = true, .modal = true, .onShown = [&gets](TDialog&) {
                                     for (tGetFer* g : gets)
                                         if (!g->bWhen || g->bWhen()) {
                                             g->setFocus();
                                             break;
                                         }
                                 }});
    if (!accepted) {
        lSigue = false;
        return Value();
    }

    // The totals row, locked now, takes the station's votes once the station is stored.
    long totalsRecord = 0;
    bool locked = evalInAlias(countsAlias, [&] {
                      totalsRecord = RECNO();
                      return Value(RBLOQUEAR());
                  }).logical();
    if (!locked) return Value();
    std::vector<double> delta;
    for (int i = 3; i <= n; ++i) delta.push_back(numero(buffer->aDatos()[size_t(i - 1)]) - numero(viejos[size_t(i - 1)]));
    auto cambio = std::make_shared<CambioTotales>(countsAlias, totalsRecord, std::move(delta));
    evalInAlias(countsAlias, [&] {
        buffer->setField("PUESTO", FIELDGET(FIELDPOS("PUESTO")));
        buffer->setField("DISTRITO", FIELDGET(FIELDPOS("DISTRITO")));
        return Value();
    });
    buffer->bSaved = [cambio](uDBF& b) {
        if (b.lGuardado) cambio->aplica();
        cambio->suelta();
    };
    return Value(std::static_pointer_cast<Object>(buffer));
}

void archivo::votos_captura() {
    lSigue = true;
    while (lSigue && oWnd) {
        mant_add();
        if (oWnd) oWnd->oBrw->upStable();
    }
}

void archivo::votos_borra() {
    if (!oWnd) return;
    const std::string alias = cAlias();
    const std::string conteos = oEntorno()->alias("conteos");
    long record = 0;
    std::vector<double> votes;
    evalInAlias(alias, [&] {
        if (EOF_()) return Value();
        record = RECNO();
        for (int i = 3; i <= FCOUNT() - 2; ++i) votes.push_back(-numero(FIELDGET(i)));
        return Value();
    });
    if (record == 0) return;
    long totalsRecord = 0;
    if (!evalInAlias(conteos, [&] {
             totalsRecord = RECNO();
             return Value(RBLOQUEAR());
         }).logical())
        return;
    CambioTotales cambio(conteos, totalsRecord, std::move(votes));
    mant_delete();
    bool deleted = evalInAlias(alias, [&] {
                       long current = RECNO();
                       DBGOTO(record);
                       bool d = DELETED();
                       DBGOTO(current);
                       return Value(d);
                   }).logical();
    if (deleted) cambio.aplica();
}
