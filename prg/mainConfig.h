#pragma once
// The program-wide configuration (`oConfig`, from start-up to the end of the run): the
// program's folder and the data folder, the table-layer settings, the offices, and the
// election memory tables "partidos", "votos", "conteos" and "represen" with their tags.
// Also the parties and the index tags that "Generar índices" rebuilds.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Rdd.h"
#include "Value.h"
#include "mainMunicipios.h"

class TWindowBase;
class TFont;

struct Partido {
    const char* siglas;
    const char* nombre;
    const char* logo;  // image name
};
// The built-in parties, in the order that fixes the party fields, columns and tie-breaks.
const std::vector<Partido>& PARTIDOS();

// A tag of a DBF table of the data folder, as declared for the index generator.
struct DbfTagDecl {
    const char* table;
    const char* key;
    const char* tag;
    const char* condition;
};
// The 16 tags in table order and in their declared order.
const std::vector<DbfTagDecl>& DBFTAGS();

// "Generar índices": the index generation dialog over the three tables of the data folder,
// which rebuilds the tags of DBFTAGS.
void REINDEXAR();

// Field lists of the election tables.
Structure votosStructure();
Structure conteosStructure();  // also "represen"

class config {
  public:
    std::string cPath;  // the program's folder, with its trailing separator
    municipios oDeleg;
    Value hPuestos;  // office code -> office name
    std::shared_ptr<TFont> oFont;  // none: the toolkit's default font
    Value hIdiomas;

    // Prepares the folders, the table settings and the election tables (the party table
    // anew, the others when missing); logo handles are made for `aboutBox`.
    config& New(const TWindowBase* aboutBox);
};

extern std::unique_ptr<config> oConfig;

// The program file's folder, with its trailing separator.
std::string programFolder();
