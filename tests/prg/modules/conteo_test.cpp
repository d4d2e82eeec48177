// The count window at work, driven as the operator drives it: stations typed into the
// capture dialog with the keyboard, edited, deleted, refused and cancelled, with the totals
// row of every office and district equal to the sum of its live stations after each step;
// and the window itself (title, headers, footers, the winner's colour, the typed search).
#include <gtest/gtest.h>

#include <map>
#include <random>

#include "GuiHarness.h"
#include "MsgBox.h"
#include "TableLayer.h"
#include "Text.h"
#include "cAbreBro.h"
#include "mainArchivo.h"
#include "mainConfig.h"
#include "electionSetUp.h"
#include "memoryTables.h"
#include "wAbreBro.h"

namespace {

constexpr int kPartidos = 35;

// A station as the operator types it.
struct Casilla {
    int numero = 0;
    std::string tipo;
    std::vector<int> votos;  // the first parties; the rest stay 0
};

class Conteo : public ::testing::Test {
  protected:
    void SetUp() override {
        freshElection();
    }
    void TearDown() override {
        abcMasterCierraTodo();
        DBCLOSEALL();
        oConfig.reset();
    }

    archivo* abre(const std::string& office, int district) {
        abcMasterCierraTodo();
        ABRIR_CONTEO(office, district);
        OpcionAbierta& o = abcMaster::hWnd()["votos"];
        return static_cast<archivo*>(o.controlador);
    }

    // Types a station into the capture dialog shown in `v` and accepts it; a dialog that
    // stays open (a refusal) is cancelled.
    static void teclea(WindowView& v, const Casilla& c, bool adding) {
        if (adding) {
            v.type(std::to_string(c.numero));
            v.key(Key::Enter);
            v.type(c.tipo);
            v.key(Key::Enter);
        }
        for (int votes : c.votos) {
            v.type(std::to_string(votes));
            v.key(Key::Enter);
        }
        if (const char* dir = std::getenv("URNALIA_SHOTS")) v.grab(std::string(dir) + "/captura.png");
        v.press("&Aceptar");
        if (v.visible()) v.press("&Cancelar");
    }

    // What the modal windows of the next step get: the capture dialog the next station of
    // the script (or a cancel when none is left), the delete question `borrar`, any other
    // window its default answer (its text kept in `messages`). The harness's queue is kept
    // full of the same dispatcher, so any number of windows may come.
    void atiende(std::vector<Casilla> script, bool borrar = true, bool adding = true) {
        script_ = std::move(script);
        borrar_ = borrar;
        adding_ = adding;
        while (harness.pending() < 6) harness.onNextModal([this](WindowView& v) { despacha(v); });
    }
    void despacha(WindowView& v) {
        std::string title = v.title();
        std::vector<std::string> labels = v.labels(), buttons = v.buttons();
        if (title == " Conteo de elección presidencial") {
            if (script_.empty()) return v.key(Key::Escape), void();  // Escape cancels
            Casilla c = script_.front();
            script_.erase(script_.begin());
            teclea(v, c, adding_);
        } else if (!labels.empty() && labels.back().find("Seguro de querer borrar") != std::string::npos) {
            v.press(borrar_ ? "&Sí" : "&No");
        } else if (title == "Intentado bloquear registro") {
            // the busy box of a lock: its question follows
        } else if (std::find(buttons.begin(), buttons.end(), "Cancelar") != buttons.end()) {
            v.press("Cancelar");
        } else {
            messages.push_back(labels.empty() ? title : labels.back());
            v.key(Key::Escape);
        }
        while (harness.pending() < 6) harness.onNextModal([this](WindowView& w) { despacha(w); });
    }

    // The sum of the live stations of a count against its totals row: empty when equal.
    static std::string cuadra(const std::string& office, int district) {
        std::vector<double> sum(kPartidos + 1, 0), totals(kPartidos + 1, 0);
        DBUSEAREA(true, "ARRAYRDD", "votos", "CHKV", true);
        for (long r = 1; r <= LASTREC(); ++r) {
            DBGOTO(r);
            if (DELETED() || FIELDGET(FIELDPOS("PUESTO")).text() != office ||
                int(FIELDGET(FIELDPOS("DISTRITO")).num()) != district)
                continue;
            for (int p = 0; p <= kPartidos; ++p) sum[size_t(p)] += FIELDGET(3 + p).num();
        }
        DBCLOSEAREA();
        DBUSEAREA(true, "ARRAYRDD", "conteos", "CHKC", true);
        bool found = false;
        for (long r = 1; r <= LASTREC(); ++r) {
            DBGOTO(r);
            if (DELETED() || FIELDGET(FIELDPOS("PUESTO")).text() != office ||
                int(FIELDGET(FIELDPOS("DISTRITO")).num()) != district)
                continue;
            found = true;
            for (int p = 0; p <= kPartidos; ++p) totals[size_t(p)] = FIELDGET(1 + p).num();
        }
        DBCLOSEAREA();
        if (!found) return "";
        for (int p = 0; p <= kPartidos; ++p)
            if (sum[size_t(p)] != totals[size_t(p)])
                return office + std::to_string(district) + " field " + std::to_string(p + 1) + ": stations " +
                       std::to_string(sum[size_t(p)]) + ", totals " + std::to_string(totals[size_t(p)]);
        return "";
    }

    std::vector<std::string> messages;
    std::vector<Casilla> script_;
    bool borrar_ = true, adding_ = true;
    GuiHarness harness;
    TestClock clock{1321615800.0, 0.5};
};

TEST_F(Conteo, StationsAreAddedEditedRefusedAndDeletedWithTheirTotals) {
    archivo* a = abre("P", 0);
    ASSERT_NE(a, nullptr);
    tCAbreBrow& b = *a->oWnd->oBrw;
    // The refused duplicate's dialog is cancelled, which ends the run of "&Agregar".
    atiende({{12, "b1", {10, 5}}, {12, "B1", {1}}, {12, "C1", {0, 0, 3}}});
    a->votos_captura();
    EXPECT_EQ(evalInAlias(a->cAlias(), [] { return Value(double(LASTREC())); }).num(), 1);
    ASSERT_FALSE(messages.empty());
    for (const std::string& m : messages) EXPECT_EQ(m, "Esa casilla ya está capturada");
    EXPECT_EQ(cuadra("P", 0), "");
    b.goTop();
    BrowseRow row = b.bLine();
    EXPECT_EQ(row[0].text(), "12");
    EXPECT_EQ(row[1].text(), "B1");
    EXPECT_EQ(row[2].text(), "10");
    EXPECT_EQ(row[37].text(), "15");
    EXPECT_EQ(row[4].text(), "");  // 0 shows as nothing

    // Editing keeps the station's number and type and moves the totals by the difference.
    messages.clear();
    atiende({{0, "", {7, 5}}}, true, false);
    a->mant_edit();
    EXPECT_EQ(cuadra("P", 0), "");
    EXPECT_EQ(evalInAlias(a->oEntorno()->alias("conteos"), [] { return FIELDGET(1); }).num(), 7);

    // More than 9,999 votes in one station is refused in the dialog; nothing changes.
    atiende({{40, "B1", std::vector<int>(3, 9000)}});
    a->votos_captura();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("27000"), std::string::npos) << messages[0];
    EXPECT_EQ(cuadra("P", 0), "");

    // A double click edits and stores as "&Editar" does.
    b.goTop();
    atiende({{0, "", {2}}}, true, false);
    b.lDblClick(std::nullopt, std::nullopt, 0, false, false);
    EXPECT_EQ(cuadra("P", 0), "");
    EXPECT_EQ(b.bLine()[2].text(), "2");

    // "&Borrar" takes the votes off; the deleted row, reused blank, counts only its new votes.
    atiende({}, true);
    a->votos_borra();
    EXPECT_EQ(cuadra("P", 0), "");
    atiende({{50, "B1", {4}}});
    a->votos_captura();
    EXPECT_EQ(cuadra("P", 0), "");
    EXPECT_EQ(evalInAlias(a->cAlias(), [] { return Value(double(LASTREC())); }).num(), 1);  // reused
}

TEST_F(Conteo, TheWindowShowsLogosFootersTheWinnerAndFindsTypedStations) {
    DBUSEAREA(true, "ARRAYRDD", "partidos", "PART", true);
    DBGOTO(2);
    FIELDPUT(FIELDPOS("COLOR"), Value(double(RGB(200, 0, 0))));
    DBCLOSEAREA();
    archivo* a = abre("A", 2);
    ASSERT_NE(a, nullptr);
    auto* w = dynamic_cast<tWAbreBrow*>(a->oWnd.get());
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->title(), " Conteo de votos para Alcalde");
    atiende({{3, "B1", {5, 9, 9}}, {12, "B1", {1, 2}}});
    a->votos_captura();
    tCAbreBrow& b = *a->oWnd->oBrw;
    ASSERT_EQ(b.aHeaders.size(), 2u);
    EXPECT_EQ(b.aHeaders[1][2].text(), "PSOE");
    EXPECT_EQ(b.aHeaders[1][37].text(), "TOTAL");
    EXPECT_TRUE(b.lDrawFooters);
    b.goTop();
    BrowseRow row = b.bLine();
    // IU (column 4) holds the highest vote with its colour; PA ties it and has none: the
    // total takes the colour of the rightmost party cell with the maximum.
    Color pane = b.nClrPane.of(1, row).value_or(0);
    EXPECT_EQ(b.nClrPane.of(4, row), std::optional<Color>(RGB(200, 0, 0)));
    EXPECT_EQ(b.nClrPane.of(3, row), std::optional<Color>(pane));
    EXPECT_EQ(b.nClrPane.of(5, row), std::optional<Color>(pane));
    EXPECT_EQ(b.nClrPane.of(38, row), std::optional<Color>(pane));
    EXPECT_EQ(b.bSeek(Value("12b1"), 1).text(), "A020012B1");
    if (const char* dir = std::getenv("URNALIA_SHOTS")) {
        w->activate();
        b.Refresh();
        GuiHarness::window(w->title())->grab(std::string(dir) + "/conteo.png");
    }
    EXPECT_EQ(cuadra("A", 2), "");
}

TEST_F(Conteo, ThePartyCatalogueListsTheThirtyFiveParties) {
    ABRIR_PARTIDOS();
    OpcionAbierta& o = abcMaster::hWnd()["partidos"];
    ASSERT_NE(o.ventana, nullptr);
    EXPECT_EQ(dynamic_cast<tWAbreBrow*>(o.ventana)->title(), " Partidos");
    tCAbreBrow& b = *o.ventana->oBrw;
    EXPECT_EQ(b.aHeaders[0], (BrowseRow{Value("Logo"), Value("Siglas"), Value("Nombre")}));
    EXPECT_EQ(b.bLogicLen(), 35);
    b.goTop();
    EXPECT_EQ(b.bLine()[1].text(), "PSOE");
    b.goBottom();
    EXPECT_EQ(b.bLine()[1].text(), "UM");
    ABRIR_PARTIDOS();  // chosen again: the same window
    EXPECT_EQ(abcMaster::hWnd()["partidos"].ventana, o.ventana);
}

// Random operations on two counts, each step checked: the totals row of every count equals
// the sum of its live stations, and after "&Calcular representantes" the seats row holds
// the allocation of the totals.
TEST_F(Conteo, RandomOperationsKeepEveryCountSquare) {
    const char* env = std::getenv("URNALIA_MODEL_STEPS");
    const int steps = env ? std::atoi(env) : 1500;
    unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rnd(seed);
    auto pick = [&](int n) { return int(rnd() % unsigned(n)); };
    const std::pair<const char*, int> counts[] = {{"P", 0}, {"A", 2}};
    int current = 0;
    archivo* a = abre("P", 0);
    auto estacion = [&] {
        Casilla c{1 + pick(15), pick(2) ? "B1" : "C1", {}};
        if (pick(20) == 0) c.numero = 0;  // refused: no station number
        int parties = 1 + pick(5);
        for (int p = 0; p < parties; ++p) c.votos.push_back(pick(12) == 0 ? 4000 : pick(300));
        return c;
    };
    for (int step = 0; step < steps; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        messages.clear();
        std::vector<Casilla> script;
        int op = pick(9);
        if (op == 0) {  // another count
            current = pick(2);
            a = abre(counts[current].first, counts[current].second);
        } else if (op <= 3) {  // "&Agregar" of one to three stations, or a cancel
            for (int k = pick(4); k > 0; --k) script.push_back(estacion());
            atiende(script);
            a->votos_captura();
        } else if (op <= 5 && !a->oWnd->oBrw->atEof()) {  // "&Editar", by menu or double click
            a->oWnd->oBrw->goDown();
            if (pick(4)) script.push_back(estacion());
            atiende(script, true, false);
            if (op == 4)
                a->mant_edit();
            else
                a->oWnd->oBrw->lDblClick(std::nullopt, std::nullopt, 0, false, false);
        } else if (op == 6) {  // "&Borrar", confirmed or not
            atiende(script, pick(3) != 0);
            a->votos_borra();
        } else if (op == 7) {  // a station held by another copy while it is edited
            std::string alias = a->cAlias();
            long rec = evalInAlias(alias, [] { return Value(double(RECNO())); }).num();
            DBUSEAREA(true, "ARRAYRDD", "votos", "OTRO", true);
            DBGOTO(rec);
            bool held = !EOF_() && RLOCK();
            script.push_back(estacion());
            atiende(script, true, false);
            a->mant_edit();
            if (held) DBRUNLOCK();
            DBCLOSEAREA();
        } else {  // "&Calcular representantes"
            atiende({});
            a->votos_calculaRep();
            std::vector<double> votes;
            Value seats;
            evalInAlias(a->oEntorno()->alias("conteos"), [&] {
                for (int p = 1; p <= kPartidos; ++p) votes.push_back(FIELDGET(p).num());
                return Value();
            });
            Reparto r = REPARTO(votes, 0);
            BrowseRow footer = std::get<1>(a->oWnd->oBrw->aFooters[1])(*a->oWnd->oBrw);
            for (int p = 0; p < kPartidos; ++p)
                ASSERT_EQ(footer[size_t(p + 2)].text(), r.seats[size_t(p)] ? std::to_string(r.seats[size_t(p)]) : "")
                    << "party " << p + 1;
        }
        for (const auto& [office, district] : counts) ASSERT_EQ(cuadra(office, district), "");
    }
}

}  // namespace
