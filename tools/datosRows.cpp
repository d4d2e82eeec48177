#include "datosRows.h"

#include <algorithm>
#include <cstdio>
#include <set>

#include "Text.h"
#include "datosNames.h"

namespace datos {
namespace {

constexpr int kAnchoDomicilio = 80;
constexpr int kAnchoNombreColonia = 40;
constexpr int kAnchoCalle = 40;

// Sections and colonies per delegation by population; the shares add up exactly.
std::vector<int> shares(int total) {
    auto del = delegaciones();
    long sum = 0;
    for (const Delegacion& d : del) sum += d.population;
    std::vector<int> out;
    long upTo = 0;
    for (const Delegacion& d : del) {
        long before = (total * upTo + sum / 2) / sum;
        upTo += d.population;
        out.push_back(int((total * upTo + sum / 2) / sum - before));
    }
    return out;
}

// The first word of `s` as upper-case ASCII letters: accents dropped, "Ñ" as "X".
std::string asciiWord(std::string_view s) {
    static constexpr std::string_view kAccented[] = {"Á", "É", "Í", "Ó", "Ú", "Ü", "Ñ",
                                                     "á", "é", "í", "ó", "ú", "ü", "ñ"};
    static constexpr char kPlain[] = "AEIOUUXAEIOUUX";
    std::string out;
    for (size_t i = 0; i < s.size() && s[i] != ' ';) {
        bool matched = false;
        for (size_t k = 0; k < std::size(kAccented) && !matched; ++k) {
            if (s.substr(i, kAccented[k].size()) == kAccented[k]) {
                out.push_back(kPlain[k]);
                i += kAccented[k].size();
                matched = true;
            }
        }
        if (matched) continue;
        char c = s[i++];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        if (c >= 'A' && c <= 'Z') out.push_back(c);
    }
    return out;
}

// The word's first letter and its first consonant after that ("X" when missing).
std::string twoLetters(std::string_view word) {
    std::string w = asciiWord(word);
    std::string out(1, w.empty() ? 'X' : w[0]);
    size_t c = w.find_first_not_of("AEIOU", 1);
    out.push_back(c == std::string::npos ? 'X' : w[c]);
    return out;
}

// Draws with `make` until the text fits `width` characters, so no name is cut short.
template <class Make>
std::string fitting(size_t width, Make make) {
    std::string s;
    do s = make();
    while (text::length(s) > width);
    return s;
}

std::string join(std::string_view a, std::string_view b) {
    std::string out(a);
    out += ' ';
    out += b;
    return out;
}

// Draws happen one statement at a time: the order of a call's arguments is unspecified,
// and the same seed must give the same rows with every compiler.
std::string nombreDeColonia(Rng& rng) {
    std::string name(rng.pick(colonias()));
    if (rng.perMil(200)) name = join(rng.pick(prefijosDeColonia()), name);
    if (rng.perMil(200)) name = join(name, rng.pick(sufijosDeColonia()));
    return name;
}

std::string nombreDeCalle(Rng& rng) {
    std::string_view kind = rng.pick(tiposDeCalle());
    return join(kind, rng.perMil(400) ? rng.pick(personajes()) : rng.pick(lugares()));
}

std::string sedeDeCasilla(Rng& rng) {
    std::string_view sede = rng.pick(sedesDeCasilla());
    std::string place =
        sede == "Domicilio particular" ? std::string(sede) : join(sede, rng.pick(personajes()));
    return place + ", " + domicilioAlAzar(rng);
}

std::string sedeQueCabe(Rng& rng) {
    return fitting(kAnchoDomicilio, [&] { return sedeDeCasilla(rng); });
}

}  // namespace

Date fechaDeCorte() {
    return Date::fromYmd(2024, 6, 2);
}

Structure casillasStructure() {
    return {{"CASILLA", 'N', 4, 0},
            {"TIPO", 'C', 2, 0},
            {"MUNICIPIO", 'N', 3, 0},
            {"SECCION", 'N', 4, 0},
            {"DOMICILIO", 'C', kAnchoDomicilio, 0}};
}

Structure coloniasStructure() {
    return {{"ESTADO", 'N', 2, 0},    {"MUNICIPIO", 'N', 3, 0},
            {"COLONIA", 'N', 3, 0},   {"D_LOCAL", 'N', 2, 0},
            {"D_FEDERAL", 'N', 2, 0}, {"NOMBRE", 'C', kAnchoNombreColonia, 0}};
}

Structure padronStructure() {
    return {{"PATERNO", 'C', 20, 0},        {"MATERNO", 'C', 20, 0}, {"NOMBRE", 'C', 30, 0},
            {"CLAVE", 'C', 18, 0},          {"SEXO", 'C', 1, 0},     {"FEC_NAC", 'D', 8, 0},
            {"CALLE", 'C', kAnchoCalle, 0}, {"COLONIA", 'N', 3, 0},  {"MUNICIPIO", 'N', 3, 0},
            {"SECCION", 'N', 4, 0}};
}

Rng::Rng(uint64_t seed, uint64_t stream)
    : state_(seed * 0x9E3779B97F4A7C15ull ^ (stream + 1) * 0xD1B54A32D192ED03ull) {}

uint64_t Rng::next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

int Rng::below(int n) {
    return int((unsigned __int128)next() * unsigned(n) >> 64);
}

std::string_view Rng::pickFrequent(std::span<const std::string_view> words) {
    int n = int(words.size());
    return words[size_t(below(n) * below(n) / n)];
}

Catalogo::Catalogo(uint64_t seed) {
    std::vector<int> secciones = shares(kSecciones);
    std::vector<int> colonias = shares(kColonias);
    auto del = delegaciones();
    int nextSection = 1;
    int weight = 0;
    for (size_t i = 0; i < del.size(); ++i) {
        zonas_.push_back({del[i].key, nextSection, secciones[i], colonias[i]});
        nextSection += secciones[i];
        weight += del[i].population;
        pesoAcumulado_.push_back(weight);
    }
    buildColonias(seed);
    buildCasillas(seed);
}

const Zona& Catalogo::zonaAlAzar(Rng& rng) const {
    int r = rng.below(pesoAcumulado_.back());
    auto it = std::upper_bound(pesoAcumulado_.begin(), pesoAcumulado_.end(), r);
    return zonas_[size_t(it - pesoAcumulado_.begin())];
}

int Catalogo::seccionDeColonia(const Zona& zona, int colonia, Rng* rng) const {
    int first = zona.primeraSeccion + (colonia - 1) * zona.secciones / zona.colonias;
    int spread = std::max(1, zona.secciones / zona.colonias);
    int section = first + (rng ? rng->below(spread) : 0);
    return std::min(section, zona.primeraSeccion + zona.secciones - 1);
}

void Catalogo::buildColonias(uint64_t seed) {
    Rng rng(seed, 2);
    for (const Zona& zona : zonas_) {
        std::set<std::string> used;  // names are unique within a delegation
        for (int colonia = 1; colonia <= zona.colonias; ++colonia) {
            std::string name;
            do name = fitting(kAnchoNombreColonia, [&] { return nombreDeColonia(rng); });
            while (!used.insert(name).second);
            int section = seccionDeColonia(zona, colonia, nullptr);
            Row row;
            row.values = {Value(kEstado),
                          Value(zona.municipio),
                          Value(colonia),
                          Value(1 + (section - 1) * kDistritosLocales / kSecciones),
                          Value(1 + (section - 1) * kDistritosFederales / kSecciones),
                          Value(name)};
            row.deleted = rng.perMil(kBorradosPorMil);
            colonias_.push_back(std::move(row));
        }
    }
}

void Catalogo::buildCasillas(uint64_t seed) {
    Rng rng(seed, 1);
    auto add = [&](int section, const Zona& zona, std::string tipo, const std::string& place) {
        Row row;
        row.values = {Value(section), Value(std::move(tipo)), Value(zona.municipio), Value(section),
                      Value(place)};
        row.deleted = rng.perMil(kBorradosPorMil);
        casillas_.push_back(std::move(row));
    };
    for (const Zona& zona : zonas_) {
        for (int s = zona.primeraSeccion; s < zona.primeraSeccion + zona.secciones; ++s) {
            // The basic station and its contiguous ones share a place; about one section
            // in fifty needs many contiguous stations.
            std::string place = sedeQueCabe(rng);
            add(s, zona, "B1", place);
            int contiguas = rng.perMil(20) ? 4 + rng.below(6) : rng.below(4);
            for (int c = 1; c <= contiguas; ++c) add(s, zona, "C" + std::to_string(c), place);
            if (rng.perMil(30)) add(s, zona, "E1", sedeQueCabe(rng));
            if (rng.perMil(20)) add(s, zona, "S1", sedeQueCabe(rng));
        }
    }
}

std::string domicilioAlAzar(Rng& rng) {
    std::string street = nombreDeCalle(rng);
    int number = 1 + rng.below(60) * rng.below(60) / 8;
    int kind = rng.below(100);
    char buf[48];
    if (kind < 5) {
        int block = 1 + rng.below(80);
        std::snprintf(buf, sizeof buf, " Mz. %d Lt. %d", block, 1 + rng.below(40));
    } else if (kind < 15) {
        std::snprintf(buf, sizeof buf, " %d Int. %d", number, 1 + rng.below(12));
    } else {
        std::snprintf(buf, sizeof buf, " %d", number);
    }
    return street + buf;
}

Row Padron::next() {
    char sexo = rng_.perMil(520) ? 'M' : 'H';
    auto given = sexo == 'M' ? nombresMujer() : nombresHombre();
    std::string nombre(rng_.pick(given));
    if (rng_.perMil(300)) {
        std::string_view second = rng_.pick(given);
        if (second != nombre) nombre = join(nombre, second);
    }
    std::string paterno(rng_.pickFrequent(apellidos()));
    std::string materno(rng_.pickFrequent(apellidos()));
    // Voters are 18 (6,576 days at least) to about 90 years old on the cut-off day.
    Date nacimiento = fechaDeCorte().plusDays(-6576 - rng_.below(72 * 365));
    int estado = rng_.perMil(700) ? kEstado : 1 + rng_.below(32);
    std::string clave =
        claveDeElector(paterno, materno, nombre, nacimiento, estado, sexo, rng_.below(1000));
    const Zona& zona = catalogo_.zonaAlAzar(rng_);
    int colonia = 1 + rng_.below(zona.colonias);
    int seccion = catalogo_.seccionDeColonia(zona, colonia, &rng_);
    std::string calle = fitting(kAnchoCalle, [&] { return domicilioAlAzar(rng_); });
    Row row;
    row.values = {Value(paterno),
                  Value(materno),
                  Value(nombre),
                  Value(clave),
                  Value(std::string(1, sexo)),
                  Value(nacimiento),
                  Value(calle),
                  Value(colonia),
                  Value(zona.municipio),
                  Value(seccion)};
    row.deleted = rng_.perMil(kBorradosPorMil);
    return row;
}

std::string claveDeElector(std::string_view paterno, std::string_view materno,
                           std::string_view nombre, Date nacimiento, int estado, char sexo,
                           int homoclave) {
    char tail[16];
    std::snprintf(tail, sizeof tail, "%02d%02d%02d%02d%c%03d", nacimiento.year() % 100,
                  nacimiento.month(), nacimiento.day(), estado % 100, sexo, homoclave % 1000);
    return twoLetters(paterno) + twoLetters(materno) + twoLetters(nombre) + tail;
}

}  // namespace datos
