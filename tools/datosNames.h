#pragma once
// Word lists of the sample "datos" tables: the delegations of the city, surnames, given
// names, street and colony names and polling-place kinds. UTF-8, with their accents.
#include <span>
#include <string_view>

namespace datos {

struct Delegacion {
    int key;                // municipio number, as in the program's catalogue
    std::string_view name;  // as in the program's catalogue
    int population;         // thousands of inhabitants; weights the data
};

// The 16 delegations in key order (2 to 17; there is no key 1).
std::span<const Delegacion> delegaciones();

// Surnames, the most frequent first.
std::span<const std::string_view> apellidos();
std::span<const std::string_view> nombresHombre();
std::span<const std::string_view> nombresMujer();
// People, dates and places that name streets and schools.
std::span<const std::string_view> personajes();
std::span<const std::string_view> lugares();
// "Calle", "Av.", "Cerrada" ...
std::span<const std::string_view> tiposDeCalle();
// Colony names and the words that vary them ("Ampliación", "Norte" ...).
std::span<const std::string_view> colonias();
std::span<const std::string_view> prefijosDeColonia();
std::span<const std::string_view> sufijosDeColonia();
// Kinds of building that host a polling station ("Escuela Primaria" ...).
std::span<const std::string_view> sedesDeCasilla();

}  // namespace datos
