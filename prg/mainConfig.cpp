#include "mainConfig.h"

#include <unistd.h>

#include <filesystem>

#include "TableLayer.h"
#include "arrayRdd.h"
#include "bmp_es.h"
#include "dbfCdxDriver.h"
#include "uEntorno.h"

std::unique_ptr<config> oConfig;

const std::vector<Partido>& PARTIDOS() {
    static const std::vector<Partido> list = {
        {"PSOE", "Partido Socialista Obrero Español", "logo_psoe"},
        {"IU", "Izquierda Unida", "logo_iu"},
        {"LV", "Los Verdes", "logo_lv"},
        {"PA", "Partido Andalucista", "logo_pa"},
        {"PSC", "Partit dels Socialistes de Catalunya", "logo_psc"},
        {"PP", "Partido Popular", "logo_pp"},
        {"CC", "Coalición Canaria", "logo_cc"},
        {"FE", "Falange Española", "logo_fe"},
        {"DN", "Democracia Nacional", "logo_dn"},
        {"ERC", "Esquerra", "logo_erc"},
        {"ICV", "Iniciativa per Catalunya Verds", "logo_icv"},
        {"BNG", "Bloque Nacionalista Gallego", "logo_bng"},
        {"PSA", "Partido Socialista de Andalucía", "logo_psa"},
        {"CIU", "Convergència i Unió", "logo_ciu"},
        {"UPN", "Unión del Pueblo Navarro", "logo_upn"},
        {"E2000", "España 2000", "logo_e2000"},
        {"EA", "Eusko Alkartasuna", "logo_ea"},
        {"PNV", "Partido Nacionalista Vasco", "logo_pnv"},
        {"ANV", "Acción Nacionalista Vasca", "logo_anv"},
        {"CDC", "Convergència Democràtica de Catalunya", "logo_cdc"},
        {"CHA", "Chunta Aragonesista", "logo_cha"},
        {"ARALAR", "Aralar", "logo_aralar"},
        {"PAS", "Partiu Asturianista", "logo_pas"},
        {"PAR", "Partido Aragonés", "logo_par"},
        {"EU", "Extremadura Unida", "logo_eu"},
        {"AA", "Andecha Astur", "logo_aa"},
        {"UV", "Unió Valenciana", "logo_uv"},
        {"BLOC", "Bloc Nacionalista Valencià", "logo_bloc"},
        {"CDN", "Convergencia de Democratas de Navarra", "logo_cdn"},
        {"ENV", "Esquerra Nacionalista Valenciana", "logo_env"},
        {"PHC", "Partit Humanista de Catalunya", "logo_phc"},
        {"CNC", "Conceju Nacionallegu Cántabru", "logo_cnc"},
        {"PR", "Partido Riojano", "logo_pr"},
        {"PSM", "PSM Entesa Nacionalista", "logo_psm"},
        {"UM", "Unió Mallorquina", "logo_um"},
    };
    return list;
}

const std::vector<DbfTagDecl>& DBFTAGS() {
    static const std::vector<DbfTagDecl> list = {
        {"casillas", "strZero(casilla,4)+tipo", "casilla", "!deleted()"},
        {"casillas", "left(tipo,1)+strZero(casilla,4)+right(tipo,1)", "tipo", "!deleted()"},
        {"casillas", "strZero(municipio,3)+strZero(casilla,4)+tipo", "del_cas", "!deleted()"},
        {"casillas", "strZero(municipio,3)+left(tipo,1)+strZero(casilla,4)+right(tipo,1)", "del_tipo", "!deleted()"},
        {"colonias", "strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)", "mun_col", "!deleted()"},
        {"colonias", "strZero(estado,2)+strZero(municipio,3)+nombre", "mun_nom", "!deleted()"},
        {"colonias", "strZero(d_local,2)+strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)", "d_l_col",
         "!deleted()"},
        {"colonias", "strZero(d_local,2)+strZero(estado,2)+strZero(municipio,3)+nombre", "d_l_nom", "!deleted()"},
        {"colonias", "strZero(d_federal,2)+strZero(estado,2)+strZero(municipio,3)+strZero(colonia,3)", "d_f_col",
         "!deleted()"},
        {"colonias", "strZero(d_federal,2)+strZero(estado,2)+strZero(municipio,3)+nombre", "d_f_nom", "!deleted()"},
        {"colonias", "nombre", "nombre", "!deleted()"},
        {"padron", "paterno-(\" \"+materno)-(\" \"+nombre)", "paterno", "!deleted()"},
        {"padron", "nombre-(\" \"+paterno)-(\" \"+materno)", "nombre", "!deleted()"},
        {"padron", "clave", "clave", "!deleted()"},
        {"padron", "subStr(clave,9,4)", "cumple", "!deleted()"},
        {"padron", "deleted()", "deleted", "deleted()"},
    };
    return list;
}

Structure votosStructure() {
    Structure s{{"casilla", 'N', 4, 0}, {"tipo", 'C', 2, 0}};
    for (const Partido& p : PARTIDOS()) s.push_back({p.siglas, 'N', 4, 0});
    s.push_back({"total", 'N', 4, 0});
    s.push_back({"puesto", 'C', 1, 0});
    s.push_back({"distrito", 'N', 2, 0});
    return s;
}

Structure conteosStructure() {
    Structure s = votosStructure();
    s.erase(s.begin(), s.begin() + 2);
    // Running totals pass 9,999 votes: the party fields are as wide as the total, so that
    // no count is stored as 0 for want of room.
    for (size_t i = 0; i < PARTIDOS().size(); ++i) s[i].len = 9;
    s[s.size() - 3].len = 9;  // total
    return s;
}

std::string programFolder() {
    std::error_code ec;
    std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    std::string folder = ec ? std::filesystem::current_path(ec).string() : exe.parent_path().string();
    return folder + "/";
}

namespace {

struct TagSpec {
    const char* tag;
    const char* key;
    const char* condition;
};

// Creates memory table `name` with its tags when no table of that name exists yet.
void createWhenMissing(const std::string& name, const Structure& fields, std::initializer_list<TagSpec> tags) {
    if (HB_FILEARRAYRDD(Value(name))) return;
    if (!DBCREATE(name, fields, "ARRAYRDD", true)) return;
    for (const TagSpec& t : tags) {
        ORDCONDSET({.forText = t.condition});
        ORDCREATE("", t.tag, t.key);
    }
    DBCLOSEAREA();
}

}  // namespace

config& config::New(const TWindowBase* aboutBox) {
    cPath = programFolder();
    std::string datos = cPath + "datos";
    tableSettings().path = datos;
    tableSettings().defaultFolder = datos;
    std::error_code ec;
    std::filesystem::current_path(datos, ec);  // a missing folder is reported where it is used
    arrayRddRegister();
    dbfCdxRegister();
    RDDSETDEFAULT("DBFCDX");
    tableSettings().exclusive = false;
    hPuestos = Value::hash();
    hPuestos.hashRef()->set(Value("A"), Value("Alcalde"));
    hPuestos.hashRef()->set(Value("P"), Value("Presidente de la nacion"));
    hIdiomas = Value::hash();
    hIdiomas.hashRef()->set(Value("EL_MUNICIPIO"), Value("el"));
    hIdiomas.hashRef()->set(Value("MUNICIPIO"), Value("Municipio"));

    if (DBCREATE("partidos", {{"siglas", 'C', 6, 0}, {"nombre", 'C', 37, 0}, {"logo", 'N', 3, 0}, {"color", 'N', 3, 0}},
                 "ARRAYRDD", true)) {
        Array rows;
        for (const Partido& p : PARTIDOS()) {
            // A handle needs a window; without one the row gets no logo (0).
            Value logo = aboutBox ? BITMAPSLOGOS(p.logo, aboutBox) : Value(0);
            rows.push_back(Value(Array{Value(p.siglas), Value(p.nombre), logo, Value(0)}));
        }
        HB_SETARRAYRDD(Value(std::move(rows)));
        DBCLOSEAREA();
    }
    createWhenMissing("votos", votosStructure(),
                      {{"casilla", "puesto + strZero(distrito,2) + strZero(casilla,4) + tipo", "!deleted()"},
                       {"deleted", "deleted()", "deleted()"}});
    for (const char* name : {"conteos", "represen"})
        createWhenMissing(name, conteosStructure(),
                          {{"puesto", "puesto + strZero(distrito,2)", "!deleted()"}, {"deleted", "deleted()", "deleted()"}});
    return *this;
}

void REINDEXAR() {
    auto entorno = std::make_shared<uEntorno>();
    O_UR_ENTORNO current(entorno);
    for (const DbfTagDecl& t : DBFTAGS())
        entorno->addIndex(EntornoFile{.file = t.table, .privateArea = Value(false), .readOnly = Value(false)},
                          EntornoIndex{.key = t.key, .tag = t.tag, .forText = t.condition});
    entorno->reindex();
}
