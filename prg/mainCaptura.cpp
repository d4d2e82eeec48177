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

// The capture dialog: built for one station, or once for a whole run of "&Agregar", shown
// for each station over that station's buffer. Between two stations of a run the box stays
// shown and keeps the keyboard, so nothing the operator types while a station is stored
// goes astray.
class CapturaDialogo {
  public:
    // Built over the first station's buffer.
    CapturaDialogo(archivo& owner, const std::string& alias, const std::string& countsAlias, bool lNew,
                   std::shared_ptr<uDBF> buffer);
    // The dialog over `buffer` until it is accepted (true) or cancelled.
    bool run(std::shared_ptr<uDBF> buffer, bool resumable);

  private:
    void build(const uDBF& layout);
    bool acepta();

    archivo& owner_;
    std::string alias_, countsAlias_;
    bool lNew_;
    int n_ = 0;
    std::shared_ptr<uDBF> buffer_;
    std::unique_ptr<TDialog> dlg_;
    std::vector<tGetFer*> gets_;
    tGetFer* totalGet_ = nullptr;
    bool accepted_ = false, resumable_ = false;
};

CapturaDialogo::CapturaDialogo(archivo& owner, const std::string& alias, const std::string& countsAlias,
                               bool lNew, std::shared_ptr<uDBF> buffer)
    : owner_(owner), alias_(alias), countsAlias_(countsAlias), lNew_(lNew), buffer_(std::move(buffer)) {
    build(*buffer_);
}

void CapturaDialogo::build(const uDBF& layout) {
    n_ = layout.fCount() - 2;
    const int n = n_;
    TFont font = oConfig && oConfig->oFont ? *oConfig->oFont : TFont();
    double w = 0;
    for (int i = 1; i <= n; ++i) w = std::max(w, double(font.textWidth(layout.fieldName(i))));
    w += 1;
    const int mitad = n / 2;
    const double bottom = n > 20 ? 24 * (mitad + 1.4) + 2 : 24 * (n + 1.4) + 2;
    const double right = n > 20 ? (w + 2 * kEntrada) * 2 + 72 : (w + 2 * kEntrada) + 72;
    dlg_ = std::make_unique<TDialog>(
        DialogOptions{.title = " Conteo de elección presidencial", .width = int(right), .height = int(bottom)});
    TDialog& dlg = *dlg_;

    auto value = [this](int i) -> Value& { return buffer_->aDatos()[size_t(i - 1)]; };
    auto recalcula = [this, n, value](TGet& get) {
        get.assign();
        double total = 0;
        for (int i = 3; i <= n - 1; ++i) total += numero(value(i));
        value(n) = Value(total);
        if (totalGet_) totalGet_->refresh();
        return true;
    };
    const bool lNew = lNew_;
    for (int i = 1; i <= n; ++i) {
        Linea l{.campo = layout.fieldName(i), .i = i, .anchoEtiqueta = w, .picture = "9999", .n = n};
        l.binding = GetBinding{[value, i] { return value(i); }, [value, i](const Value& v) { value(i) = v; }};
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
            l.bValid = [this, value](TGet& get) {
                get.assign();
                Value puesto, distrito;
                evalInAlias(countsAlias_, [&] {
                    puesto = FIELDGET(FIELDPOS("PUESTO"));
                    distrito = FIELDGET(FIELDPOS("DISTRITO"));
                    return Value();
                });
                std::string tipo = value(2).isText() ? value(2).text() : "";
                std::string key = (puesto.isText() ? puesto.text() : "") + dosDigitos(numero(distrito)) +
                                  cuatroDigitos(numero(value(1))) + tipo;
                return owner_.validaClave(Value(key), "casilla", lNew_, "Esa casilla ya está capturada", alias_);
            };
        } else if (i < n) {
            l.bValid = recalcula;
        } else {
            l.bWhen = [] { return false; };
        }
        tGetFer* get = DIALOGO(dlg, l, 2);
        gets_.push_back(get);
        if (i == n) totalGet_ = get;
    }
    // Enter goes on to the next field, as Tab does.
    for (size_t k = 0; k < gets_.size(); ++k)
        gets_[k]->bKeyDown = [this, k](TGet&, int key, int) {
            if (key != kVkReturn) return false;
            for (size_t next = k + 1; next < gets_.size(); ++next)
                if (!gets_[next]->bWhen || gets_[next]->bWhen()) {
                    gets_[next]->setFocus();
                    return true;
                }
            return false;
        };
    const double top = n > 20 ? 12.0 * mitad + 4 : 12.0 * n + 4;
    const double left = (right - 188) / 4;
    dlg.add<TButton>(ButtonOptions{.rect = {top, left, 42, 12}, .caption = "&Aceptar", .action = [this] {
                                       if (!acepta()) return;
                                       accepted_ = true;
                                       if (resumable_)
                                           dlg_->pause(1);
                                       else
                                           dlg_->end(1);
                                   }});
    dlg.add<TButton>(ButtonOptions{.rect = {top, left + 52, 42, 12}, .caption = "&Cancelar", .action = [this] {
                                       dlg_->end(0);
                                   }});
}

// The validation of every line, then the station's total against what its field holds.
bool CapturaDialogo::acepta() {
    for (tGetFer* g : gets_) g->assign();
    if (!VALIDACION(gets_)) return false;
    double total = numero(buffer_->aDatos()[size_t(n_ - 1)]);
    if (total > kMaxTotal) {
        MsgAlert("La casilla suma " + std::to_string(long(total)) + " votos: su total no puede pasar de 9999",
                 " Atención");
        return false;
    }
    return true;
}

bool CapturaDialogo::run(std::shared_ptr<uDBF> buffer, bool resumable) {
    buffer_ = std::move(buffer);
    accepted_ = false;
    resumable_ = resumable;
    for (tGetFer* g : gets_) g->refresh();
    // The focus on the first field the user may type in, before any key is read.
    auto first = [this] {
        for (tGetFer* g : gets_)
            if (!g->bWhen || g->bWhen()) {
                g->setFocus();
                break;
            }
    };
    if (dlg_->active()) first();
    dlg_->activate(ActivateOptions{.centered = true, .modal = true, .onShown = [first](TDialog&) { first(); },
                                   .resumable = resumable});
    return accepted_;
}

Value archivo::votos_click(bool lModif, bool lNew, const std::string& countsAlias) {
    (void)lModif;
    const std::string alias = oWnd && oWnd->oBrw && !oWnd->oBrw->cAlias.empty() ? oWnd->oBrw->cAlias : cAlias();
    auto buffer = std::make_shared<uDBF>(alias);
    const int n = buffer->fCount() - 2;
    const std::vector<Value> viejos(buffer->aDatos().begin(), buffer->aDatos().end());

    // A run of "&Agregar" keeps one dialog from station to station.
    std::shared_ptr<CapturaDialogo> dialogo = lNew && capturando_ ? captura_ : nullptr;
    if (!dialogo) dialogo = std::make_shared<CapturaDialogo>(*this, alias, countsAlias, lNew, buffer);
    if (lNew && capturando_) captura_ = dialogo;
    if (!dialogo->run(buffer, lNew && capturando_)) {
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
    capturando_ = true;
    while (lSigue && oWnd) {
        mant_add();
        if (oWnd) oWnd->oBrw->upStable();
    }
    capturando_ = false;
    captura_.reset();
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
