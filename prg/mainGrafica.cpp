// The results graph: the votes and the seats of the count window's office and district as
// a bar graph in a window of its own.
#include "mainConfig.h"
#include "mainReparto.h"
#include "vertGrap.h"
#include "wAbreBro.h"

verTGraph* VOTOS_GRAFICA(archivo& archivoObject) {
    WBrowseCore* window = archivoObject.oWnd.get();
    if (!window || !window->oBrw || !archivoObject.oEntorno()) return nullptr;
    const size_t parties = PARTIDOS().size();
    Totales seats, votes;
    if (!readTotals(archivoObject.oEntorno()->alias("represen"), parties, seats, "VOTOS_GRAFICA") ||
        !readTotals(archivoObject.oEntorno()->alias("conteos"), parties, votes, "VOTOS_GRAFICA"))
        return nullptr;

    // The second header row: "CASILLA", "TIPO", the party captions, "TOTAL".
    std::vector<std::string> labels;
    const auto& headers = window->oBrw->aHeaders;
    if (headers.size() > 1)
        for (size_t i = 2; i < headers[1].size() && labels.size() < parties; ++i) labels.push_back(headers[1][i].toText());

    return verTGraph::New(VerTGraphArgs{.data = {votes.votes, seats.votes},
                                        .names = {"Votos", "Representantes"},
                                        .labels = labels,
                                        .title = "Total de votos",
                                        .subtitle = "Elecciones",
                                        .titleX = "Votos",
                                        .titleY = "Partidos",
                                        .caption = "",
                                        .ownWindow = true});
}
