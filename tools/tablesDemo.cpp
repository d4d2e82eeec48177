// Command-line demonstration of the table layer: creates the "votos" memory table with its
// two orders, stores a few polling stations, deletes one, and walks the stations of one
// count key through a scope.
#include <cstdio>
#include <string>
#include <vector>

#include "TableLayer.h"
#include "arrayRdd.h"

namespace {

const char* const kParties[] = {"PSOE", "IU",  "LV",  "PA",  "PSC",    "PP",  "CC",  "FE",  "DN",
                                "ERC",  "ICV", "BNG", "PSA", "CIU",    "UPN", "E2000", "EA", "PNV",
                                "ANV",  "CDC", "CHA", "ARALAR", "PAS", "PAR", "EU",  "AA",  "UV",
                                "BLOC", "CDN", "ENV", "PHC", "CNC",    "PR",  "PSM", "UM"};

struct Station {
    const char* office;
    int district;
    int number;
    const char* type;
    int firstVotes;
};

}  // namespace

int main() {
    arrayRddRegister();
    Structure votos{{"casilla", 'N', 4, 0}, {"tipo", 'C', 2, 0}};
    for (const char* p : kParties) votos.push_back({p, 'N', 4, 0});
    votos.push_back({"total", 'N', 4, 0});
    votos.push_back({"puesto", 'C', 1, 0});
    votos.push_back({"distrito", 'N', 2, 0});

    if (!DBCREATE("votos", votos, "ARRAYRDD", true)) return 1;
    ORDCONDSET({.forText = "!deleted()"});
    ORDCREATE("", "casilla", "puesto + strZero(distrito,2) + strZero(casilla,4) + tipo");
    ORDCONDSET({.forText = "deleted()"});
    ORDCREATE("", "deleted", "deleted()");
    DBCLOSEAREA();

    if (!DBUSEAREA(true, "ARRAYRDD", "votos", "", true)) return 1;
    ORDLISTADD("");
    std::printf("Tabla %s (%s): %d campos, orden %s: %s\n", ALIAS().c_str(), RDDNAME().c_str(),
                FCOUNT(), ORDSETFOCUS().c_str(), INDEXKEY().c_str());

    const Station stations[] = {{"P", 0, 12, "B1", 120}, {"A", 2, 7, "C1", 80},
                                {"P", 0, 3, "B1", 95},   {"P", 0, 12, "C1", 60},
                                {"P", 1, 1, "B1", 40},   {"P", 0, 44, "E1", 10}};
    for (const Station& s : stations) {
        DBAPPEND();
        FIELDPUT(1, Value(s.number));
        FIELDPUT(2, Value(s.type));
        int total = 0;
        for (int p = 0; p < 35; ++p) {
            int v = (s.firstVotes * (35 - p)) / 35;
            FIELDPUT(3 + p, Value(v));
            total += v;
        }
        FIELDPUT(38, Value(total));
        FIELDPUT(39, Value(s.office));
        FIELDPUT(40, Value(s.district));
        DBCOMMIT();
        DBUNLOCK();
    }
    // The last station was typed by mistake.
    if (DBSEEK(Value("P000044E1")) && RLOCK()) {
        DBDELETE();
        DBUNLOCK();
    }

    ORDSCOPE(0, Value("P00"));
    ORDSCOPE(1, Value("P00"));
    std::printf("Casillas de P00 (%ld de %ld registros):\n", ORDKEYCOUNT(), LASTREC());
    Block key = compileBlock(INDEXKEY());
    for (DBGOTOP(); !EOF_(); DBSKIP(1)) {
        std::printf("  %ld/%ld  clave %s  registro %ld  total %ld\n", ORDKEYNO(), ORDKEYCOUNT(),
                    key().text().c_str(), RECNO(), long(FIELDGET(38).num()));
    }
    ORDSETFOCUS(Value("deleted"));
    std::printf("Registros borrados para reutilizar: %ld\n", ORDKEYCOUNT());
    DBCLOSEALL();
    return 0;
}
