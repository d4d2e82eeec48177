#pragma once
// The rows of the sample "datos" tables "casillas", "colonias" and "padron", made from a
// seed: the same seed gives the same rows on every machine. The catalogue (sections,
// colonies, polling stations) has a fixed size; the roll of voters is a stream whose first
// rows do not depend on how many are asked for.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "Date.h"
#include "Rdd.h"
#include "Value.h"

namespace datos {

constexpr int kSecciones = 1600;
constexpr int kColonias = 1800;
constexpr int kEstado = 9;  // the city's state number
constexpr int kDistritosLocales = 33;
constexpr int kDistritosFederales = 24;
constexpr int kBorradosPorMil = 15;  // share of deleted rows in every table

// The day the roll is cut: ages are counted to it and it dates the files' headers, so the
// same seed and size give byte-identical files.
Date fechaDeCorte();

Structure casillasStructure();
Structure coloniasStructure();
Structure padronStructure();

// A deterministic random stream (splitmix64); `stream` separates the tables of one seed.
class Rng {
  public:
    Rng(uint64_t seed, uint64_t stream);
    uint64_t next();
    int below(int n);  // 0 .. n-1, n > 0
    bool perMil(int n) { return below(1000) < n; }
    std::string_view pick(std::span<const std::string_view> words) {
        return words[size_t(below(int(words.size())))];
    }
    // Favours the first words, as real surnames favour the most frequent ones.
    std::string_view pickFrequent(std::span<const std::string_view> words);

  private:
    uint64_t state_;
};

// One row of a table: its values in field order and its deletion mark.
struct Row {
    std::vector<Value> values;
    bool deleted = false;
};

// Where a delegation's sections and colonies sit in the catalogue.
struct Zona {
    int municipio;
    int primeraSeccion;
    int secciones;
    int colonias;  // numbered 1 .. colonias within the delegation
};

// The sections, colonies and polling stations of the city for one seed. Owned by the
// caller; the padron generator reads it while it runs.
class Catalogo {
  public:
    explicit Catalogo(uint64_t seed);
    const std::vector<Row>& casillas() const { return casillas_; }
    const std::vector<Row>& colonias() const { return colonias_; }
    const std::vector<Zona>& zonas() const { return zonas_; }
    // A delegation chosen by population.
    const Zona& zonaAlAzar(Rng& rng) const;
    // The section colony `colonia` (1-based) of `zona` lies in; `rng` spreads large ones.
    int seccionDeColonia(const Zona& zona, int colonia, Rng* rng) const;

  private:
    void buildColonias(uint64_t seed);
    void buildCasillas(uint64_t seed);

    std::vector<Zona> zonas_;
    std::vector<int> pesoAcumulado_;  // population up to and including each zona
    std::vector<Row> colonias_;
    std::vector<Row> casillas_;
};

// A street address: street kind and name, number and sometimes an inner number or a block
// and lot.
std::string domicilioAlAzar(Rng& rng);

// The roll of voters, one row at a time.
class Padron {
  public:
    Padron(const Catalogo& catalogo, uint64_t seed) : catalogo_(catalogo), rng_(seed, 3) {}
    Row next();

  private:
    const Catalogo& catalogo_;
    Rng rng_;
};

// The voter key: two letters of each surname and of the given name, the birth date as
// YYMMDD (characters 9 to 12 are month and day), the state of birth, the sex and three
// digits; 18 characters.
std::string claveDeElector(std::string_view paterno, std::string_view materno,
                           std::string_view nombre, Date nacimiento, int estado, char sexo,
                           int homoclave);

}  // namespace datos
