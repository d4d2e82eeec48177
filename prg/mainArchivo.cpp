// The election controller's windows: the party catalogue and the vote-count window of an
// office and district, with its menu and button bar.
#include "mainArchivo.h"

#include <cmath>
#include <cstdio>

#include "Bar.h"
#include "Menu.h"
#include "MsgBox.h"
#include "Resources.h"
#include "TableLayer.h"
#include "Text.h"
#include "bmp_es.h"
#include "btnBmp.h"
#include "btnBmp_abc.h"
#include "btnBmp_mapa.h"
#include "cAbreBro.h"
#include "main.h"
#include "mainConfig.h"
#include "uDbf.h"
#include "wAbreBro.h"

namespace {

constexpr int kColumnas = 38;      // casilla, tipo, 35 parties, total
constexpr int kPrimerPartido = 3;  // the first party column
constexpr int kUltimoPartido = 37;

std::string dosDigitos(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

// Empty for 0, the number as text otherwise.
Value cifra(const Value& v) {
    double n = v.isNumber() ? v.num() : 0;
    if (n == 0) return Value("");
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.0f", n);
    return Value(std::string(buf));
}

// The row of `alias` with the count key, made when missing; the table stays on it.
void filaDeCuenta(const std::string& alias, const std::string& office, int district) {
    evalInAlias(alias, [&] {
        ORDSETFOCUS(Value("puesto"));
        if (!DBSEEK(Value(office + dosDigitos(district)))) {
            DBAPPEND();
            FIELDPUT(FIELDPOS("PUESTO"), Value(office));
            FIELDPUT(FIELDPOS("DISTRITO"), Value(double(district)));
            DBCOMMIT();
            DBRUNLOCK();
        }
        return Value();
    });
}

// One text of a footer: the field of the same name in the row `alias` stands on.
BrowseRow pie(const std::string& caption, const std::string& alias, const std::vector<std::string>& fields) {
    BrowseRow row{Value(caption), Value("")};
    evalInAlias(alias, [&] {
        for (const std::string& f : fields) row.push_back(cifra(FIELDGET(FIELDPOS(f))));
        return Value();
    });
    return row;
}

// The office's name in the configuration ("Presidente de la nacion", "Alcalde").
std::string nombrePuesto(const std::string& office) {
    if (!oConfig || !oConfig->hPuestos.isHash()) return office;
    const Value* name = oConfig->hPuestos.hashRef()->find(Value(office));
    return name && name->isText() ? name->text() : office;
}

TWindowBase& frameOf(WBrowseCore& window) {
    return dynamic_cast<TWindowBase&>(window);
}

}  // namespace

archivo::archivo() {
    registraMetodo("partidos", [this](const std::string& alias, const std::vector<Value>&) { partidos(alias); });
    registraMetodo("puestos", [this](const std::string&, const std::vector<Value>&) { puestos(); });
    registraMetodo("votos", [this](const std::string& alias, const std::vector<Value>& extra) {
        std::string office = !extra.empty() && extra[0].isText() ? extra[0].text() : "P";
        int district = extra.size() > 1 && extra[1].isNumber() ? int(extra[1].num()) : 0;
        votos(alias, office, district);
    });
}

// ---- the menu actions -----------------------------------------------------------------------

void ABRIR_PARTIDOS() {
    std::make_shared<archivo>()->New(Tablas{TablaSpec("partidos", Value(), "ARRAYRDD")});
}

void ABRIR_CONTEO(const std::string& office, int district) {
    std::make_shared<archivo>()->New(Tablas{TablaSpec("votos", Value(), "ARRAYRDD"),
                                            TablaSpec("conteos", Value(true), "ARRAYRDD"),
                                            TablaSpec("partidos", Value(), "ARRAYRDD"),
                                            TablaSpec("represen", Value(), "ARRAYRDD")},
                                     {Value(office), Value(double(district))});
}

// ---- the party catalogue --------------------------------------------------------------------

void archivo::partidos(const std::string& alias) {
    WTbrowseNew a;
    a.source = BrowseSource(std::function<BrowseRow()>([alias] {
        if (SELECT(alias) == 0) return BrowseRow{Value(""), Value(""), Value("")};
        tCAbreBrow::AliasScope in(alias);
        return BrowseRow{FIELDGET(FIELDPOS("LOGO")), FIELDGET(FIELDPOS("SIGLAS")), FIELDGET(FIELDPOS("NOMBRE"))};
    }));
    a.aHeaders = {{Value("Logo"), Value("Siglas"), Value("Nombre")}};
    a.cTitle = " Partidos";
    a.oMenu = MenuArg(OMENU());
    a.aColSizes = ColSizes{100, 60, 300};
    a.cAlias = alias;
    oWnd = uWTbrowse::New(std::move(a));
    if (!oWnd) return;
    // Rows as tall as the tallest logo.
    int tallest = 0;
    for (const Partido& p : PARTIDOS())
        if (const Picture* pic = memBitmap(int(BITMAPSLOGOS(p.logo, &frameOf(*oWnd)).num())))
            tallest = std::max(tallest, pic->height);
    oWnd->oBrw->nLineHeight = std::max(oWnd->oBrw->nLineHeight, tallest + 2);
}

// ---- the count window -----------------------------------------------------------------------

void archivo::votos(const std::string& alias, const std::string& office, int district) {
    const std::string partidosAlias = oEntorno()->alias("partidos");
    const std::string conteos = oEntorno()->alias("conteos");
    const std::string represen = oEntorno()->alias("represen");
    filaDeCuenta(represen, office, district);
    filaDeCuenta(conteos, office, district);
    const std::string countKey = office + dosDigitos(district);
    evalInAlias(alias, [&] {
        ORDSETFOCUS(Value("casilla"));
        ORDSCOPE(0, Value(countKey));
        ORDSCOPE(1, Value(countKey));
        DBGOTOP();
        return Value();
    });

    // The columns: the field names, the logos and the party colours.
    std::vector<std::string> campos;
    evalInAlias(alias, [&] {
        for (int i = 1; i <= kColumnas; ++i) campos.push_back(text::upper(FIELDNAME(i)));
        return Value();
    });
    std::vector<Value> logos(kColumnas, Value(""));
    aColores.assign(kColumnas + 1, 0);
    evalInAlias(partidosAlias, [&] {
        DBGOTOP();
        for (int j = kPrimerPartido; j <= kColumnas && !EOF_(); ++j, DBSKIP()) {
            logos[size_t(j - 1)] = FIELDGET(FIELDPOS("LOGO"));
            Value color = FIELDGET(FIELDPOS("COLOR"));
            aColores[size_t(j)] = color.isNumber() ? Color(color.num()) : 0;
        }
        return Value();
    });
    const std::vector<std::string> partyFields(campos.begin() + 2, campos.end());

    auto fila = [this, alias] {
        BrowseRow row;
        row.reserve(kColumnas);
        nMaximo = 0;
        evalInAlias(alias, [&] {
            row.push_back(cifra(FIELDGET(1)));
            row.push_back(FIELDGET(2));
            for (int j = kPrimerPartido; j <= kColumnas; ++j) {
                Value v = FIELDGET(j);
                if (j <= kUltimoPartido && v.isNumber()) nMaximo = std::max(nMaximo, v.num());
                row.push_back(cifra(v));
            }
            return Value();
        });
        nGanador = 1;
        return row;
    };
    WTbrowseNew a;
    a.source = BrowseSource(std::function<BrowseRow()>(fila));
    a.bLDblClick = DblClickSpec([this, conteos](const BrowseDblClick& e) {
        // A double click or Enter edits the station as "&Editar" does.
        if (!e.lModif) return mant_edit();
        Value r = votos_click(e.lModif, e.lNew, conteos);
        if (e.result) *e.result = r;
    });
    a.cTitle = " Conteo de votos para " + nombrePuesto(office);
    a.aIndexTxt = Value("Casilla");
    a.aIndexNum = Value("casilla");
    a.uIndex = Value("casilla");
    a.bSeek = [office, district](const Value& search, int) {
        std::string t = search.isText() ? search.text() : search.toText();
        size_t k = 0;
        while (k < t.size() && std::isdigit((unsigned char)t[k])) ++k;
        long n = k ? std::stol(t.substr(0, std::min<size_t>(k, 9))) : 0;
        char num[16];
        std::snprintf(num, sizeof num, "%04ld", n);
        size_t digits = std::to_string(n).size();
        return Value(text::upper(office + dosDigitos(district) + num + (t.size() > digits ? t.substr(digits) : "")));
    };
    a.cAlias = alias;
    a.uBarra = BarraArg([this, office, conteos](WBrowseCore& window) {
        enConstruccion_ = &window;
        auto menu = OMENU([&](TMenu& m) { votos_menu(m, office, conteos); });
        enConstruccion_ = nullptr;
        return menu;
    });
    a.oMenu = MenuArg::none();
    oWnd = uWTbrowse::New(std::move(a));
    if (!oWnd) return;
    tCAbreBrow& b = *oWnd->oBrw;

    BrowseRow captions(campos.begin(), campos.end());
    b.aHeaders = {BrowseRow(logos.begin(), logos.end()), captions};
    b.unirHead(1, 2, 1);
    b.lDrawFooters = true;
    b.setFooters({[conteos, partyFields](tCAbreBrow&) { return pie("Total", conteos, partyFields); },
                  [represen, partyFields](tCAbreBrow&) { return pie("Representantes", represen, partyFields); }});
    b.unirFoot(1, 2);
    b.aJustify = std::vector<Value>(kColumnas, Value(true));
    b.aJustify[1] = Value(false);
    // The footers' captions read from the left, across the station and type columns.
    b.aFJustify = b.aJustify;
    b.aFJustify[0] = Value(false);
    std::vector<int> widths{64, 44};
    for (int j = kPrimerPartido; j <= kColumnas; ++j) widths.push_back(j == kColumnas ? 52 : 44);
    b.aColSizes = ColSizes(widths);
    int tallest = 0;
    for (const Value& h : logos)
        if (const Picture* pic = h.isNumber() ? memBitmap(int(h.num())) : nullptr) tallest = std::max(tallest, pic->height);
    b.nHeaderHeight = std::max(b.nHeaderHeight, std::min(tallest, 48) + 2);

    const Color pane = b.nClrPane.value.value_or(colors::white);
    for (size_t j = 1; j < aColores.size(); ++j)
        if (aColores[j] == 0) aColores[j] = pane;
    b.nClrPane = ColorSpec([this, pane](int col, const BrowseRow& row) -> std::optional<Color> {
        if (col == kColumnas) return aColores[size_t(nGanador)];
        if (col >= kPrimerPartido && col <= kUltimoPartido && nMaximo > 0) {
            const Value& cell = row[size_t(col - 1)];
            double v = cell.isText() && !cell.text().empty() ? std::atof(cell.text().c_str()) : 0;
            if (v == nMaximo) {
                nGanador = col;
                return aColores[size_t(col)];
            }
        }
        return pane;
    });
    lDlg = true;
}

void archivo::votos_menu(TMenu& menu, const std::string& office, const std::string& countsAlias) {
    (void)countsAlias;
    WBrowseCore& window = enConstruccion_ ? *enConstruccion_ : *oWnd;
    TBar* bar = frameOf(window).add<TBar>(BarOptions{.is3D = true});
    window.oBar = bar;
    bar->bMMoved = [](TBar& b, int, int) { b.setCursor(MouseCursor::Hand); };
    bar->bRClicked = [&window](TBar& b, int row, int col) {
        Rect r = b.pixelRect();
        window.showMenu(int(r.top) + row, int(r.left) + col, 0, &frameOf(window));
    };
    struct Item {
        const char* caption;
        std::string image;  // BMP bytes; empty: a separator
        std::function<void()> action;
    };
    const std::vector<Item> items = {
        {"&Agregar", BTNBMP_ABC("nuevo").text(), [this] { votos_captura(); }},
        {"&Editar", BTNBMP_ABC("editar").text(), [this] { mant_edit(); }},
        {"", "", {}},
        {"&Borrar", BTNBMP_ABC("borrar").text(), [this] { votos_borra(); }},
        {"&Imprimir", BTNBMP_ABC("impresora").text(),
         [this] { oWnd->oBrw->report(frameOf(*oWnd).title()); }},
        {"", "", {}},
        {"&Calcular representantes", BTNBMP_MAPA().text(),
         [this] {
             votos_calculaRep();
             if (oWnd) oWnd->oBrw->drawFoot();
         }},
        {"&Gráficas", BTNBMP_ABC("estadisticas").text(),
         [this] { VOTOS_GRAFICA(*this); }},
    };
    menu.addMenu("&Conteo " + nombrePuesto(office), [&](TMenu& popup) {
        for (const Item& it : items) {
            if (!*it.caption) {
                popup.separator();
                continue;
            }
            MenuItemOptions o;
            o.action = it.action;
            o.image = pictureFromBmp(std::span(reinterpret_cast<const uint8_t*>(it.image.data()), it.image.size()),
                                     it.caption);
            popup.add(it.caption, o);
            _tBtnBmp::newBar({.action = [run = it.action](TBtnBmp&) { run(); },
                              .bar = bar,
                              .mnuTxt = it.caption,
                              .image1 = it.image});
        }
    });
}

void archivo::votos_calculaRep() {
    CALCULA_REPARTO(oEntorno()->alias("conteos"), oEntorno()->alias("represen"));
}
