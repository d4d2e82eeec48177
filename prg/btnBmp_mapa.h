#pragma once
// The picture of the button that allocates the representatives: a 16 x 15 hemicycle of
// seats, also registered as the bitmap resource "b_mapa".
#include "Value.h"

class TWindowBase;

// Its BMP bytes as a string without a window; a new bitmap handle with one.
Value BTNBMP_MAPA(const TWindowBase* window = nullptr);
