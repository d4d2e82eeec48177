#pragma once
// The catalogue of delegations: key number -> name, ordered by key ("Todas" under 0; there
// is no key 1). Owned by the configuration object for the whole run.
#include <map>
#include <string>
#include <vector>

#include "Value.h"

class municipios {
  public:
    municipios();

    std::map<int, std::string> hMunicipios;

    // 1-based position (in key order) of the entry named `name`; 0 when absent.
    int posicion(const std::string& name) const;
    // The key at position `x`, or of the entry named `x`; -1 when there is none.
    int numero(const Value& x) const;
    // That key as three digits ("002"); the empty text when there is none.
    std::string clave(const Value& x) const;
    // Name and key together, e.g. "Coyoacán (003)"; the empty text when there is none.
    std::string claNombre(const Value& x) const;
    // The name under key `n` ("Todas" for 0 unless `lBlankForAll`); empty when unknown.
    std::string nombre(int n, bool lBlankForAll = false) const;
    // Every name, "Todas" first and the rest in alphabetical order; without "Todas" when
    // `lWithoutAll`.
    std::vector<std::string> nombres(bool lWithoutAll = false) const;
};
