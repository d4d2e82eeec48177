// The allocation of representatives: the seats of an office and district distributed one at
// a time to the highest quotient (votes over seats held plus one), stored in the seats row of
// "represen" and shown seat by seat in " Tabla de reparto".
#include "mainReparto.h"

#include <cmath>

#include "Error.h"
#include "TableLayer.h"
#include "Text.h"
#include "aRegistr.h"
#include "mainConfig.h"
#include "uDbf.h"

namespace {

// A number without leading blanks: whole when it is one, otherwise with two decimals.
std::string countText(double n) {
    int decimals = std::nearbyint(n) == n ? 0 : 2;
    return text::ltrim(text::formatNumber(n, 20, decimals));
}

std::string quotientText(double q) {
    return text::ltrim(text::formatNumber(q, 20, 2));
}

void reportBadInput(int genCode, const std::string& what, const std::string& operation = "CALCULA_REPARTO") {
    ErrorRecord r = makeError(genCode, 0, "URNALIA", operation);
    r.description = what;
    raiseError(r);
}

}  // namespace

bool readTotals(const std::string& alias, size_t parties, Totales& t, const std::string& operation) {
    if (SELECT(alias) == 0) {
        reportBadInput(EG_NOALIAS, "La tabla " + alias + " no está abierta", operation);
        return false;
    }
    std::string problem;
    evalInAlias(alias, [&] {
        if (EOF_()) {
            problem = "No hay renglón de totales en " + alias;
            return Value();
        }
        Value row = AREGISTRO();
        const Array& fields = *row.array();
        int totalPos = FIELDPOS("total");
        if (fields.size() < parties || totalPos == 0 || !fields[size_t(totalPos - 1)].isNumber()) {
            problem = "La tabla " + alias + " no tiene los campos de los partidos y el total";
            return Value();
        }
        for (size_t i = 0; i < parties; ++i) {
            if (!fields[i].isNumber()) {
                problem = "El campo " + FIELDNAME(int(i + 1)) + " de " + alias + " no es numérico";
                return Value();
            }
            t.votes.push_back(fields[i].num());
            t.captions.push_back(FIELDNAME(int(i + 1)));
        }
        t.total = fields[size_t(totalPos - 1)].num();
        return Value();
    });
    if (!problem.empty()) reportBadInput(EG_DATATYPE, problem, operation);
    return problem.empty();
}

Reparto REPARTO(const std::vector<double>& votes, double total, int seats) {
    const size_t n = votes.size();
    Reparto r;
    r.seats.assign(n, 0);
    std::vector<double> q = votes;
    const std::string totalText = countText(total);
    for (int k = 1; k <= seats; ++k) {
        int w = -1;
        double best = 0;
        for (size_t i = 0; i < n; ++i) {
            if (q[i] > best) {
                best = q[i];
                w = int(i);
            }
        }
        std::vector<std::string> row{std::to_string(k)};
        for (size_t i = 0; i < n; ++i) {
            std::string cell = r.seats[i] == 0 ? countText(q[i]) : quotientText(q[i]);
            if (int(i) == w) cell += " [" + std::to_string(r.seats[i] + 1) + "]";
            row.push_back(std::move(cell));
        }
        row.push_back(totalText);
        r.rows.push_back(std::move(row));
        r.winner.push_back(w);
        if (w >= 0) {
            int held = ++r.seats[size_t(w)];
            q[size_t(w)] = votes[size_t(w)] / (held + 1);
        }
    }
    return r;
}

std::unique_ptr<uDTbrowse> tablaRepartoDialog(const Reparto& reparto,
                                              const std::vector<std::string>& captions,
                                              double seatsTotal) {
    Array rows;
    for (const auto& row : reparto.rows) {
        Array cells;
        for (const std::string& cell : row) cells.push_back(Value(cell));
        rows.push_back(Value(std::move(cells)));
    }
    auto d = uDTbrowse::New({.base = {.nTop = 0,
                                      .nLeft = 0,
                                      .nBottom = 30,
                                      .nRight = 120,
                                      .source = Value(std::move(rows)),
                                      .cTitle = " Tabla de reparto"}});
    if (!d || !d->oBrw) return nullptr;
    d->setHelpIcon(false);
    tCAbreBrow* b = d->oBrw;

    BrowseRow headers{Value("Escaños")};
    for (const std::string& c : captions) headers.push_back(Value(c));
    headers.push_back(Value("TOTAL"));
    b->aHeaders = {headers};

    BrowseRow footer{Value("Total")};
    for (int s : reparto.seats) footer.push_back(Value(std::to_string(s)));
    footer.push_back(Value(countText(seatsTotal)));
    b->aFJustify.assign(footer.size(), Value(true));
    b->aFJustify[0] = Value(false);
    b->setFooters({footer});
    b->lDrawFooters = true;

    // The row being painted is the browse's current element.
    b->nClrPane =
        ColorSpec([b, pane = b->nClrPane, winners = reparto.winner](int col, const BrowseRow& row) {
            long at = b->nAt;
            if (at >= 1 && size_t(at) <= winners.size() && winners[size_t(at - 1)] >= 0 &&
                col == winners[size_t(at - 1)] + 2)
                return std::optional<Color>(kColorGanador);
            return pane.of(col, row);
        });
    return d;
}

void TABLA_REPARTO(const Reparto& reparto, const std::vector<std::string>& captions,
                   double seatsTotal) {
    if (auto d = tablaRepartoDialog(reparto, captions, seatsTotal)) d->activate({.centered = true});
}

void CALCULA_REPARTO(const std::string& conteosAlias, const std::string& represenAlias) {
    const size_t parties = PARTIDOS().size();
    Totales t;
    if (!readTotals(conteosAlias, parties, t, "CALCULA_REPARTO")) return;
    if (SELECT(represenAlias) == 0) {
        reportBadInput(EG_NOALIAS, "La tabla " + represenAlias + " no está abierta");
        return;
    }
    uDBF seatsRow(represenAlias);
    std::string problem;
    if (seatsRow.eof()) problem = "No hay renglón de representantes en " + represenAlias;
    for (const std::string& name : t.captions)
        if (problem.empty() && seatsRow.fieldPos(name) == 0)
            problem = "Falta el campo " + name + " en " + represenAlias;
    if (problem.empty() && seatsRow.fieldPos("total") == 0)
        problem = "Falta el campo TOTAL en " + represenAlias;
    Reparto r = REPARTO(t.votes, t.total);
    double seatsTotal = 0;
    if (problem.empty()) {
        // Every party's field gets its seats (0 without any) and the total field 0; puesto
        // and distrito keep their values.
        for (size_t i = 0; i < parties; ++i) seatsRow.setField(t.captions[i], Value(r.seats[i]));
        seatsRow.setField("total", Value(0));
        seatsRow.save();
        seatsTotal = seatsRow.field("total").num();
    } else {
        reportBadInput(EG_DATATYPE, problem + ": los escaños no se guardan");
    }
    TABLA_REPARTO(r, t.captions, seatsTotal);
}
