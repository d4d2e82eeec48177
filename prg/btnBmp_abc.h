#pragma once
// The built-in set of small button and menu images, by name: "borrar", "checked",
// "configuracion", "copiar", "editar", "estadisticas", "font", "gr_barras", "gr_lineas",
// "gr_pastel", "gr_puntos", "grabar", "impresora", "lupa", "nuevo", "uncheked" and "ver".
// Each is a complete BMP file carried inside the program (resources/abc_<name>.bmp):
// 16 x 16 pixels ("estadisticas" 22 x 22), at 4, 8 or 24 bits per pixel.
#include <string>
#include <vector>

#include "Value.h"

class TWindowBase;

// The image called `name`, whatever its case. Without a window: its BMP bytes as a
// string; with one: a new bitmap handle made from them (CreateMemBitmap), one per call.
// A name not in the set gives the name in lower case and no image, window or not.
Value BTNBMP_ABC(const std::string& name, const TWindowBase* window = nullptr);

// The seventeen names, in the order above.
const std::vector<std::string>& btnBmpAbcNames();
