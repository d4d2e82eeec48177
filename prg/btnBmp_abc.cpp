#include "btnBmp_abc.h"

#include <algorithm>

#include "Resources.h"
#include "Text.h"
#include "bmp_es.h"
#include "embeddedResources.h"

const std::vector<std::string>& btnBmpAbcNames() {
    static const std::vector<std::string> names = {
        "borrar",    "checked",   "configuracion", "copiar",    "editar",    "estadisticas",
        "font",      "gr_barras", "gr_lineas",     "gr_pastel", "gr_puntos", "grabar",
        "impresora", "lupa",      "nuevo",         "uncheked",  "ver",
    };
    return names;
}

Value BTNBMP_ABC(const std::string& name, const TWindowBase* window) {
    registerEmbeddedResources();
    std::string key = text::lower(name);
    const auto& names = btnBmpAbcNames();
    if (std::find(names.begin(), names.end(), key) == names.end()) return Value(key);
    return imageForWindow(resourceBytes("abc_" + key), window);
}
