#include "mainMunicipios.h"

#include <algorithm>
#include <cstdio>

municipios::municipios()
    : hMunicipios{{0, "Todas"},
                  {2, "Azcapotzalco"},
                  {3, "Coyoacán"},
                  {4, "Cuajimalpa de morelos"},
                  {5, "Gustavo A. Madero"},
                  {6, "Iztacalco"},
                  {7, "Iztapalapa"},
                  {8, "La Magdalena Contreras"},
                  {9, "Milpa Alta"},
                  {10, "Alvaro Obregón"},
                  {11, "Tláhuac"},
                  {12, "Tlalpan"},
                  {13, "Xochimilco"},
                  {14, "Benito Juárez"},
                  {15, "Cuauhtémoc"},
                  {16, "Miguel Hidalgo"},
                  {17, "Venustiano Carranza"}} {}

int municipios::posicion(const std::string& name) const {
    int pos = 1;
    for (const auto& [key, n] : hMunicipios) {
        if (n == name) return pos;
        ++pos;
    }
    return 0;
}

int municipios::numero(const Value& x) const {
    int pos = x.isText() ? posicion(x.text()) : x.isNumber() ? int(x.num()) : 0;
    if (pos < 1 || pos > int(hMunicipios.size())) return -1;
    return std::next(hMunicipios.begin(), pos - 1)->first;
}

std::string municipios::clave(const Value& x) const {
    int key = numero(x);
    if (key < 0) return "";
    char buf[12];
    std::snprintf(buf, sizeof buf, "%03d", key);
    return buf;
}

std::string municipios::claNombre(const Value& x) const {
    int key = numero(x);
    return key < 0 ? "" : hMunicipios.at(key) + " (" + clave(x) + ")";
}

std::string municipios::nombre(int n, bool lBlankForAll) const {
    if (n == 0 && lBlankForAll) return "";
    auto it = hMunicipios.find(n);
    return it == hMunicipios.end() ? "" : it->second;
}

std::vector<std::string> municipios::nombres(bool lWithoutAll) const {
    std::vector<std::string> out;
    for (const auto& [key, n] : hMunicipios)
        if (key != 0) out.push_back(n);
    std::sort(out.begin(), out.end());
    if (!lWithoutAll) out.insert(out.begin(), hMunicipios.at(0));
    return out;
}
